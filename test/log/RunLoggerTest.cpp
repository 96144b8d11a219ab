// What the log keeps of the controller's runs on the simulated instrument: a single run at
// once, a repeating series once at its end; and serial numbers that count up.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictOutput.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "log/SerialNumber.h"
#include "support/RecordEdits.h"

using namespace korvex;

namespace {

class Bench : public ::testing::Test {
  protected:
    void SetUp() override
    {
        controller.setPortSource(simulatedPorts(makeSimInstrument(QString(), false)));
        ASSERT_EQ(controller.openPort(), 0);
        logger.setJudge(&judge);
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
    RunJudge judge{dir.filePath(QStringLiteral("KORVEX-limits.ini")), true};
    QList<int32_t> completed;
    std::vector<std::pair<LogEntry, bool>> entries;
};

TEST_F(Bench, aSingleRunIsLoggedWhenItCompletes)
{
    test::setSerialNumber(controller, "SN-0042");
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

TEST_F(Bench, aNewSerialNumberEndsTheSeriesOfTheBallastBefore)
{
    test::setSerialNumber(controller, "SN-0001");
    controller.inputTest();
    ASSERT_TRUE(waitRuns(2));
    test::setSerialNumber(controller, "SN-0002"); // the next ballast, the test still repeating
    ASSERT_TRUE(waitEntries(1));
    const int before = int(completed.size());
    ASSERT_TRUE(waitRuns(before + 1));
    controller.setLocked(true);
    ASSERT_TRUE(waitEntries(2));
    EXPECT_EQ(entries[0].first.serial(), QStringLiteral("SN-0001"));
    EXPECT_EQ(entries[1].first.serial(), QStringLiteral("SN-0002"));
    EXPECT_EQ(entries[0].first.seriesRuns + entries[1].first.seriesRuns, int(completed.size()));
    EXPECT_EQ(judge.current().serial, QStringLiteral("SN-0002"));
    EXPECT_EQ(judge.current().runs, entries[1].first.seriesRuns);
}

TEST_F(Bench, eachEntryCarriesTheJudgementOfWhatItsRunMeasured)
{
    controller.setPortSource(simulatedPorts(makeSimInstrument(QStringLiteral("cheap"), false))); // fails Class C
    ASSERT_EQ(controller.openPort(), 0);
    test::setSerialNumber(controller, "SN-0043");
    controller.singleRun(KindComprehensive);
    ASSERT_TRUE(waitEntries(1));
    EXPECT_EQ(entries[0].first.verdict, VerdictResult::Fail);
    controller.startTest(); // the record still holds the failing comprehensive results
    ASSERT_TRUE(waitEntries(2));
    const LogEntry& start = entries[1].first;
    EXPECT_EQ(start.kind, KindStart);
    EXPECT_EQ(start.verdict, VerdictResult::NoChecks);
    // The log and the judge (which the window's panel shows) hold the one judgement.
    EXPECT_EQ(start.verdictDetails.toStdString(), verdictJson(judge.current().verdict));
    EXPECT_EQ(judge.current().kind, KindStart);
}

TEST_F(Bench, aSerialThatPassedBeforeIsMarkedAsARetestOfThatTest)
{
    test::setSerialNumber(controller, "SN-0007");
    controller.singleRun(KindOutput);
    ASSERT_TRUE(waitEntries(1));
    ASSERT_EQ(entries[0].first.verdict, VerdictResult::Pass);
    EXPECT_FALSE(entries[0].first.retest);
    controller.singleRun(KindInput); // another test of the same ballast: no retest
    ASSERT_TRUE(waitEntries(2));
    EXPECT_FALSE(entries[1].first.retest);
    controller.singleRun(KindOutput);
    ASSERT_TRUE(waitEntries(3));
    EXPECT_TRUE(entries[2].first.retest);
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
