// The production sequence in the window on the simulated instrument: a scanned serial number
// starts the plan, the strip follows its steps, the banner shows the verdict and what failed,
// +1 once per completed ballast, Esc cancels, and the archive's files or its warning.
#include <gtest/gtest.h>

#include <QtCore/QDate>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>
#include <map>
#include <vector>

#include "WindowBench.h"
#include "app/canvas/Archive.h"
#include "app/window/PlanControls.h"
#include "log/PlanRunner.h"

namespace korvex {
namespace {

QByteArray limitsText(const char* archiveFolder)
{
    return QByteArray("[default]\nplan = input*2, output, start, energy\nstart_on_scan = on\n\n[archive]\nfolder = ") +
           archiveFolder + "\n";
}

struct PlanWindow {
    explicit PlanWindow(const QString& scenario, const char* archiveFolder = "archive")
        : bench(scenario, limitsText(archiveFolder)), plan(*bench.form, bench.controller, *bench.controls)
    {
        // The wiring picture is confirmed with its test button, as the operator does.
        bench.runner.script = [this](QDialog& d) {
            if (d.objectName() == QLatin1String("PictureForm")) {
                ++pictures;
                QTest::mouseClick(d.findChild<QWidget*>(QStringLiteral("TestBtn")), Qt::LeftButton);
            }
        };
        PlanRunner& r = plan.runner();
        QObject::connect(&r, &PlanRunner::stepChanged,
                         [this, &r](int i) { states[i].push_back(r.ballast().steps[size_t(i)].state); });
        QObject::connect(&r, &PlanRunner::ballastFinished, [this](const Ballast& b) { finished.push_back(b); });
        QObject::connect(&plan.archive(), &ArchiveWriter::done, [this](const QStringList& paths) { archived = paths; });
        QObject::connect(&plan.archive(), &ArchiveWriter::failed,
                         [this](const QString& folder) { archiveFailedIn = folder; });
        bench.controls->autoIncrementButton()->setChecked(true);
    }
    /// A scanner types the number into 产品编号 and sends Enter.
    void scan(const QString& serial)
    {
        QLineEdit* field = bench.controls->serialField();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, serial);
        QTest::keyClick(field, Qt::Key_Return);
    }
    bool waitBallast()
    {
        return QTest::qWaitFor([this] { return !finished.empty(); }, 60000);
    }
    bool waitLogged(const QString& id)
    {
        return QTest::qWaitFor([&] { return bench.logged.contains(id); }, 30000);
    }
    QString shownSerial() const { return bench.controls->serialField()->text(); }

    WindowBench bench;
    PlanControls plan;
    int pictures = 0;
    std::map<int, std::vector<StepState>> states; // each step's states in the order shown
    std::vector<Ballast> finished;
    QStringList archived;
    QString archiveFailedIn;
};

TEST(PlanWindow, aScanRunsThePlanTheStripFollowsItsStepsAndTheBallastCountsUpOnce)
{
    PlanWindow w(QStringLiteral("pfc"));
    w.scan(QStringLiteral("SN100"));
    ASSERT_TRUE(w.waitBallast());
    const Ballast& b = w.finished[0];
    EXPECT_EQ(b.result, BallastResult::Pass) << b.failedChecks(false).join(", ").toStdString();
    EXPECT_EQ(b.serial, "SN100");
    EXPECT_FALSE(b.retest);
    EXPECT_EQ(w.pictures, 1); // before the preheat energy step, as the energy button shows it

    // Every step went from running to its outcome; the start test has no checks of its own.
    const std::map<int, std::vector<StepState>> expected = {
        {0, {StepState::Running, StepState::Passed}},
        {1, {StepState::Running, StepState::Passed}},
        {2, {StepState::Running, StepState::NoChecks}},
        {3, {StepState::Running, StepState::Passed}},
    };
    EXPECT_EQ(w.states, expected);
    EXPECT_TRUE(w.plan.strip()->isVisible());
    EXPECT_EQ(w.plan.strip()->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^PlanStep\\d$"))).size(), 4);

    // The banner stands over most of the report area, with the result and the number.
    QLabel* banner = w.plan.banner();
    ASSERT_TRUE(banner->isVisible());
    EXPECT_TRUE(banner->text().contains(QStringLiteral("PASS")));
    EXPECT_TRUE(banner->text().contains(QStringLiteral("SN100")));
    const QWidget* area = banner->parentWidget();
    EXPECT_GT(banner->height() * 2, area->height());
    EXPECT_GT(banner->width() * 3, area->width() * 2);

    // Two input runs and four steps: one ballast, one +1.
    EXPECT_EQ(w.shownSerial(), "SN101");
    ASSERT_TRUE(w.waitLogged(b.id));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.archived.isEmpty(); }, 30000)) << w.archiveFailedIn.toStdString();
    const QString day = QDate::currentDate().toString(Qt::ISODate);
    for (const char* ext : {".kvx", ".pdf"})
        EXPECT_TRUE(QFile::exists(w.bench.temp.filePath(QStringLiteral("archive/") + day + "/SN100_pass" + ext)))
            << ext;
    EXPECT_FALSE(w.plan.archiveLabel()->isVisible());

    // The same number again is a retest of it.
    w.finished.clear();
    w.scan(QStringLiteral("SN100"));
    ASSERT_TRUE(w.waitBallast());
    EXPECT_TRUE(w.finished[0].retest);
}

TEST(PlanWindow, aFailingBallastShowsItsFailedChecksOnTheBanner)
{
    PlanWindow w(QStringLiteral("cheap"));
    w.scan(QStringLiteral("SN200"));
    ASSERT_TRUE(w.waitBallast());
    const Ballast& b = w.finished[0];
    EXPECT_EQ(b.result, BallastResult::Fail);
    EXPECT_TRUE(b.failedKeys().contains(QStringLiteral("classC.h3"))) << b.failedKeys().join(", ").toStdString();
    EXPECT_EQ(w.states[0].back(), StepState::Failed);

    const QString text = w.plan.banner()->text();
    EXPECT_TRUE(w.plan.banner()->isVisible());
    EXPECT_TRUE(text.contains(QStringLiteral("FAIL")));
    const QStringList failed = b.failedChecks(w.bench.form->record().chinese != 0);
    ASSERT_FALSE(failed.isEmpty());
    EXPECT_TRUE(text.contains(failed.first().toHtmlEscaped())) << text.toStdString();
    EXPECT_EQ(w.shownSerial(), "SN201"); // a failed ballast was tested completely
}

TEST(PlanWindow, aSerialWithABallastInTheLogFromAnotherProgramIsARetest)
{
    PlanWindow w(QStringLiteral("pfc"));
    QProcess cli;
    cli.start(QStringLiteral(KORVEX_CLI_PATH),
              {"plan", "--port", "sim", "--scenario", "cheap", "--serial", "SN500", "--log", w.bench.log->target().path,
               "--limits", w.bench.temp.filePath(QLatin1String(kProfileFileName))});
    cli.closeWriteChannel();
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 3) << cli.readAllStandardError().toStdString();

    w.scan(QStringLiteral("SN501")); // never tested
    ASSERT_TRUE(w.waitBallast());
    w.scan(QStringLiteral("SN500")); // failed at the other bench
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.finished.size() == 2; }, 60000));
    EXPECT_FALSE(w.finished[0].retest);
    EXPECT_TRUE(w.finished[1].retest);
}

TEST(PlanWindow, escCancelsTheBallastIncompleteAndTheNumberStays)
{
    PlanWindow w(QStringLiteral("pfc"));
    // Esc is pressed once the output step has started, while its run is under way.
    QObject::connect(&w.plan.runner(), &PlanRunner::stepChanged, w.bench.form.get(), [&w](int i) {
        if (i == 1 && w.plan.runner().ballast().steps[1].state == StepState::Running)
            QMetaObject::invokeMethod(
                w.bench.form.get(), [&w] { QTest::keyClick(w.bench.form.get(), Qt::Key_Escape); },
                Qt::QueuedConnection);
    });
    w.scan(QStringLiteral("SN300"));
    ASSERT_TRUE(w.waitBallast());
    const Ballast& b = w.finished[0];
    EXPECT_EQ(b.result, BallastResult::Incomplete);
    EXPECT_EQ(b.steps[0].state, StepState::Passed);
    EXPECT_EQ(b.steps[1].state, StepState::Incomplete);
    EXPECT_EQ(b.steps[3].state, StepState::Waiting);
    EXPECT_EQ(w.pictures, 0);
    EXPECT_TRUE(w.plan.banner()->isVisible());
    EXPECT_EQ(w.shownSerial(), "SN300");
    ASSERT_TRUE(w.waitLogged(b.id));
    QTest::qWait(300); // nothing more of this ballast arrives
    EXPECT_EQ(w.finished.size(), 1u);
    EXPECT_FALSE(w.bench.controller.testRunning());
}

TEST(PlanWindow, anArchiveThatCannotBeWrittenIsAWarningNamingTheFolderAndTheBallastIsLogged)
{
    PlanWindow w(QStringLiteral("pfc"), "blocker/archive");
    QFile blocker(w.bench.temp.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a regular file where a folder should be
    blocker.close();
    w.scan(QStringLiteral("SN400"));
    ASSERT_TRUE(w.waitBallast());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.archiveFailedIn.isEmpty(); }, 30000));
    const QString folder = w.bench.temp.filePath(QStringLiteral("blocker/archive"));
    EXPECT_EQ(w.archiveFailedIn, folder);
    QTest::qWait(50);
    EXPECT_TRUE(w.plan.archiveLabel()->isVisible());
    EXPECT_TRUE(w.plan.archiveLabel()->text().contains(folder));
    auto* box = w.bench.form->findChild<QMessageBox*>(QStringLiteral("ArchiveProblem"));
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->text().contains(folder) && box->text().contains(QStringLiteral("SN400_pass.pdf")))
        << box->text().toStdString();
    EXPECT_TRUE(w.waitLogged(w.finished[0].id));
    EXPECT_EQ(w.shownSerial(), "SN401");
}

} // namespace
} // namespace korvex
