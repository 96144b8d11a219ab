// What the log keeps of the controller's runs on the simulated instrument: a single run at
// once, a repeating series once at its end; and serial numbers that count up.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "log/ResultsLog.h"
#include "log/RunLogger.h"
#include "log/SerialNumber.h"

using namespace korvex;

namespace {

class Bench : public ::testing::Test {
  protected:
    void SetUp() override
    {
        controller.useSimulator(QString(), false);
        ASSERT_EQ(controller.openPort(), 0);
        QObject::connect(&controller, &Controller::runCompleted, [this](int32_t kind) { completed << kind; });
        QObject::connect(&logger, &RunLogger::entrySubmitted, [this](const LogEntry& e, bool single) {
            entries.push_back({e, single});
        });
    }
    void TearDown() override { controller.shutdown(); }
    bool waitRuns(int n)
    {
        return QTest::qWaitFor([&] { return completed.size() >= n; }, 30000);
    }
    bool waitEntries(size_t n)
    {
        return QTest::qWaitFor([&] { return entries.size() >= n; }, 30000);
    }

    QTemporaryDir dir;
    Controller controller{evaluateKind};
    ResultsLog log{LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path())};
    RunLogger logger{controller, log};
    QList<int32_t> completed;
    std::vector<std::pair<LogEntry, bool>> entries;
};

TEST_F(Bench, aSingleRunIsLoggedWhenItCompletes)
{
    storeText(controller.record().infoNo, "SN-0042");
    controller.singleRun(KindOutput);
    ASSERT_TRUE(waitEntries(1));
    EXPECT_TRUE(entries[0].second);
    EXPECT_EQ(entries[0].first.kind, KindOutput);
    EXPECT_EQ(entries[0].first.seriesRuns, 1);
    EXPECT_EQ(entries[0].first.serial(), QStringLiteral("SN-0042"));
    EXPECT_EQ(entries[0].first.port, QStringLiteral("sim"));
    EXPECT_EQ(entries[0].first.record, imageOf(controller.record()));
}

TEST_F(Bench, aSeriesIsLoggedOnceWhenLockedAsItsLastRun)
{
    controller.inputTest();
    ASSERT_TRUE(waitRuns(3));
    EXPECT_TRUE(entries.empty());
    controller.setLocked(true); // a run under way still completes and counts
    ASSERT_TRUE(waitEntries(1));
    QTest::qWait(800); // nothing more follows
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].second);
    EXPECT_EQ(entries[0].first.seriesRuns, completed.size());
    EXPECT_EQ(entries[0].first.record, imageOf(controller.record())); // the last run's record
}

TEST_F(Bench, anotherTestEndsTheSeriesAndTheClosingEndsTheNext)
{
    controller.compTest();
    ASSERT_TRUE(waitRuns(2));
    controller.outputTest();
    ASSERT_TRUE(waitEntries(1));
    const int compRuns = int(completed.count(KindComprehensive));
    ASSERT_TRUE(waitRuns(compRuns + 1));
    EXPECT_EQ(entries[0].first.kind, KindComprehensive);
    EXPECT_EQ(entries[0].first.seriesRuns, compRuns);

    controller.setLocked(true); // hold the output series still so its count is known
    ASSERT_TRUE(waitEntries(2));
    logger.finishSeries(); // closing: nothing left under way, nothing logged twice
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].first.kind, KindOutput);
    EXPECT_EQ(entries[1].first.seriesRuns, int(completed.count(KindOutput)));
    EXPECT_EQ(log.close(), 0);
}

TEST(SerialNumber, theTrailingDigitsCountUpInTheirWidth)
{
    EXPECT_EQ(nextSerialNumber(QStringLiteral("SN-0042")), QStringLiteral("SN-0043"));
    EXPECT_EQ(nextSerialNumber(QStringLiteral("SN-0099")), QStringLiteral("SN-0100"));
    EXPECT_EQ(nextSerialNumber(QStringLiteral("A99")), QStringLiteral("A100"));
    EXPECT_EQ(nextSerialNumber(QStringLiteral("2024-17")), QStringLiteral("2024-18"));
    EXPECT_EQ(nextSerialNumber(QStringLiteral("SN-A")), QStringLiteral("SN-A"));
    EXPECT_EQ(nextSerialNumber(QString()), QString());
}

} // namespace
