// Production sequences on the simulated instrument: one verdict per ballast from every step,
// the clean start of each ballast, incomplete ballasts logged once, and the ballast entry that
// reopens exactly as tested; a log of the previous schema keeps its runs.
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/LogQuery.h"
#include "log/PlanRunner.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "record/Configuration.h"
#include "support/RecordEdits.h"

using namespace korvex;

namespace {

class PlanBench : public ::testing::Test {
  protected:
    /// A bench on the simulated ballast scenario, with plan as the default profile's plan.
    void start(const char* scenario, const char* plan, const char* fault = "")
    {
        QFile limits(dir.filePath(QStringLiteral("KORVEX-limits.ini")));
        ASSERT_TRUE(limits.open(QIODevice::WriteOnly));
        limits.write(QByteArray("[default]\nplan = ") + plan + "\n");
        limits.close();
        judge = std::make_unique<RunJudge>(limits.fileName(), false);
        logger.setJudge(judge.get());
        runner = std::make_unique<PlanRunner>(controller, logger, *judge);
        runner->setLog(&log);
        QObject::connect(runner.get(), &PlanRunner::ballastFinished,
                         [this](const Ballast& b) { finished.push_back(b); });
        controller.setPortSource(
            simulatedPorts(makeSimInstrument(QString::fromLatin1(scenario), false, QString::fromLatin1(fault))));
        ASSERT_EQ(controller.openPort(), 0);
        // The filament parameters of a new configuration, which the preheat energy is judged by.
        Configuration cfg;
        Settings settings;
        auto entries = std::make_unique<TestRecord>(controller.record());
        cfg.applyTo(*entries, settings);
        controller.takeEntries(*entries);
    }
    void TearDown() override { controller.shutdown(); }
    bool waitBallasts(size_t n)
    {
        return QTest::qWaitFor([&] { return finished.size() >= n; }, 30000);
    }
    std::vector<LogEntry> logged(bool ballasts)
    {
        log.close();
        LogQuery q;
        QString error;
        LogFilter f;
        f.ballasts = ballasts;
        std::vector<LogEntry> out;
        EXPECT_TRUE(q.open(log.target(), &error)) << error.toStdString();
        EXPECT_TRUE(q.list(f, 0, out, &error)) << error.toStdString();
        return out;
    }

    QTemporaryDir dir;
    Controller controller{evaluateKind};
    ResultsLog log{LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path())};
    RunLogger logger{controller};
    std::unique_ptr<RunJudge> judge;
    std::unique_ptr<PlanRunner> runner;
    std::vector<Ballast> finished;
};

TEST_F(PlanBench, theCorrectedBallastPassesEveryStepAndTheCapacitorInputOneFailsItsHarmonics)
{
    start("pfc", "input*2, output, start, energy");
    test::setSerialNumber(controller, "SN-1");
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(1));
    EXPECT_EQ(finished[0].result, BallastResult::Pass) << finished[0].failedChecks(false).join(',').toStdString();
    EXPECT_EQ(finished[0].steps[0].run->seriesRuns, 2);
    EXPECT_EQ(finished[0].steps[2].state, StepState::NoChecks); // a start without limits
    EXPECT_TRUE(finished[0].failedChecks(false).isEmpty());

    controller.setPortSource(simulatedPorts(makeSimInstrument(QStringLiteral("cheap"), false)));
    test::setSerialNumber(controller, "SN-2");
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(2));
    const Ballast& cheap = finished[1];
    EXPECT_EQ(cheap.result, BallastResult::Fail);
    EXPECT_EQ(cheap.steps[0].state, StepState::Failed);
    EXPECT_EQ(cheap.steps[1].state, StepState::Passed);
    EXPECT_TRUE(cheap.failedKeys().contains(QStringLiteral("classC.h3")));
    EXPECT_TRUE(cheap.failedChecks(false).contains(QStringLiteral("Harmonic 3")));
    // Its verdict sheet: the checks of every step, the failed harmonics among them.
    const Verdict sheet = ballastVerdict(cheap);
    EXPECT_FALSE(sheet.pass);
    EXPECT_EQ(sheet.runs, 2);
    ASSERT_TRUE(sheet.section(SectionKind::ClassC) && sheet.section(SectionKind::LampCrest) &&
                sheet.section(SectionKind::PreheatEnergy));
    EXPECT_FALSE(sheet.section(SectionKind::ClassC)->pass);
    EXPECT_TRUE(ballastVerdict(finished[0]).pass);
    // Each step once, then its ballast: two ballasts, eight runs.
    EXPECT_EQ(logged(false).size(), 8u);
    EXPECT_EQ(logged(true).size(), 2u);
}

TEST_F(PlanBench, aWiringPictureNotConfirmedEndsTheBallastIncompleteBeforeTheEnergyRun)
{
    start("pfc", "output, energy, output");
    test::setSerialNumber(controller, "SN-1");
    int asked = 0;
    runner->setWiringConfirmation([&] {
        ++asked;
        EXPECT_EQ(runner->ballast().steps[0].state, StepState::Passed); // asked when its step comes
        return false;
    });
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(1));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(finished[0].result, BallastResult::Incomplete);
    EXPECT_EQ(finished[0].steps[1].state, StepState::Incomplete);
    EXPECT_FALSE(finished[0].steps[1].run);
    EXPECT_EQ(controller.record().hasEnergyResult, 0);
    EXPECT_EQ(logged(true).size(), 1u);
    // Its verdict sheet shows no verdict but the step that did not complete; the passed output
    // step before it makes no pass.
    const Verdict sheet = ballastVerdict(finished[0]);
    EXPECT_FALSE(sheet.pass);
    EXPECT_EQ(sheet.result(), VerdictResult::NotJudged);
    EXPECT_NE(sheet.notJudged.find("energy"), std::string::npos) << sheet.notJudged;
}

TEST_F(PlanBench, aFailedResultOfTheBallastBeforeCannotFailTheNext)
{
    start("cheap", "output, start");
    test::setSerialNumber(controller, "SN-1");
    controller.singleRun(KindInput); // fails Class C, and the record keeps it
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return controller.record().hasInputResult != 0 && !controller.testRunning(); }, 30000));
    test::setSerialNumber(controller, "SN-2");
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(1));
    EXPECT_EQ(finished[0].result, BallastResult::Pass);
    EXPECT_EQ(controller.record().hasInputResult, 0); // nor is it stored with this ballast
    EXPECT_EQ(controller.record().Urms, 0.0f);
}

TEST_F(PlanBench, cancelAndLinkFailureRecordAnIncompleteBallastOnce)
{
    start("pfc", "output, input*3, energy", "badack");
    test::setSerialNumber(controller, "SN-1");
    const QMetaObject::Connection cancelling =
        QObject::connect(&controller, &Controller::runCompleted, [this](int32_t kind) {
            if (kind == KindInput && runner->running())
                runner->cancel(); // in the middle of the series
        });
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(1));
    EXPECT_EQ(finished[0].result, BallastResult::Incomplete);
    EXPECT_EQ(finished[0].steps[1].state, StepState::Incomplete);
    EXPECT_EQ(finished[0].steps[2].state, StepState::Waiting);
    EXPECT_TRUE(controller.testLocked());

    // The energy step meets a wrong acknowledgement: the link fails, the ballast is incomplete.
    QObject::disconnect(cancelling);
    test::setSerialNumber(controller, "SN-2");
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(2));
    EXPECT_EQ(finished[1].result, BallastResult::Incomplete);
    EXPECT_TRUE(finished[1].failure.contains(QStringLiteral("acknowledgement")));
    EXPECT_EQ(finished[1].steps[2].state, StepState::Incomplete);
    QTest::qWait(700); // the loop does not start the failed step again
    EXPECT_EQ(finished.size(), 2u);

    const std::vector<LogEntry> ballasts = logged(true);
    ASSERT_EQ(ballasts.size(), 2u);
    for (const LogEntry& b : ballasts) {
        EXPECT_FALSE(b.complete);
        EXPECT_NE(b.verdict, VerdictResult::Pass);
    }
    // The runs each completed step had, each once: output and the cancelled series for SN-1,
    // output and three input runs (a series of 1 each) for SN-2.
    const std::vector<LogEntry> runs = logged(false);
    QStringList ids;
    for (const LogEntry& r : runs) {
        EXPECT_FALSE(ids.contains(r.id));
        ids << r.id;
        EXPECT_FALSE(r.ballast.isEmpty());
    }
}

TEST_F(PlanBench, theBallastEntryReopensExactlyAsTestedWithItsStepsRuns)
{
    start("pfc", "comprehensive, start");
    test::setSerialNumber(controller, "SN-7");
    ASSERT_TRUE(runner->start());
    ASSERT_TRUE(waitBallasts(1));
    const QByteArray image = imageOf(controller.record());
    log.close();
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(log.target(), &error));
    const std::optional<LogEntry> b = q.entry(finished[0].id, &error);
    ASSERT_TRUE(b) << error.toStdString();
    EXPECT_EQ(b->kind, kBallastKind);
    EXPECT_EQ(b->record, image);
    EXPECT_EQ(b->plan, QStringLiteral("comprehensive, start"));
    EXPECT_EQ(b->serial(), QStringLiteral("SN-7"));
    EXPECT_TRUE(b->complete);
    EXPECT_GT(b->loggedAtMs, b->startedAtMs - 1);
    EXPECT_TRUE(b->verdictDetails.contains(QStringLiteral("\"result\":\"pass\"")));
    for (const PlanStepOutcome& s : finished[0].steps) {
        const std::optional<LogEntry> run = q.entry(s.run->id, &error);
        ASSERT_TRUE(run);
        EXPECT_EQ(run->ballast, finished[0].id);
        EXPECT_EQ(run->record, s.run->record);
        EXPECT_EQ(run->kind, s.step.kind);
    }
}

TEST(PlanLog, aLogOfThePreviousSchemaOpensAndKeepsItsRuns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.db"));
    const LogEntry old = knownEntry(KindInput, "SN-0001", 1000, 36.0f, true);
    {
        // A log as the previous program left it: schema 2, one run.
        LogConnection c;
        QString error;
        ASSERT_TRUE(c.openFile(path, &error)) << error.toStdString();
        ASSERT_TRUE(insertLogEntry(*std::make_unique<QSqlDatabase>(c.db()), old, &error)) << error.toStdString();
        QSqlQuery q(c.db());
        ASSERT_TRUE(q.exec(QStringLiteral("DROP INDEX runs_ballast")));
        for (const char* column : {"ballast", "plan", "started_at", "complete"})
            ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE runs DROP COLUMN %1").arg(QLatin1String(column)))) << column;
        ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM schema_version")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (2)")));
    }
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(LogTarget::parse(path, dir.path()), &error)) << error.toStdString();
    std::vector<LogEntry> runs;
    ASSERT_TRUE(q.list(LogFilter{}, 0, runs, &error)) << error.toStdString();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].id, old.id);
    EXPECT_TRUE(runs[0].retest == old.retest && runs[0].ballast.isEmpty() && runs[0].complete);
    const std::optional<LogEntry> back = q.entry(old.id, &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->record, old.record);
}

} // namespace
