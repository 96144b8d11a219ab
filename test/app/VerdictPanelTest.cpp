// The verdict panel in the window on the simulated instrument: it shows the judgement the log
// keeps, of what the latest run measured and of the ballast on the bench only; repeated runs are
// averaged until the next test command; a damaged limits file turns verdicts off, loudly, until
// it is fixed, and is never rewritten.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>

#include "ScriptedRunner.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictProfile.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"
#include "record/TextCodec.h"

namespace korvex {
namespace {

struct Bench {
    explicit Bench(const QString& scenario, const QByteArray& limits = {})
    {
        controller.setPortSource(simulatedPorts(makeSimInstrument(scenario, false)));
        if (!limits.isEmpty())
            writeLimits(limits);
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        QObject::connect(log.get(), &ResultsLog::logged, [this](const QString& id) { logged << id; });
        form->show();
        panel = form->findChild<VerdictPanel*>();
        panel->toggleViewAction()->trigger(); // shown through its menu entry
    }
    ~Bench()
    {
        controls->finish();
        controller.shutdown();
    }
    void writeLimits(const QByteArray& text)
    {
        QFile f(temp.filePath(QLatin1String(kProfileFileName)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    bool waitRuns(int runs)
    {
        return QTest::qWaitFor([&] { return panel->verdict().judged() && panel->verdict().runs >= runs; }, 20000);
    }
    bool waitLogged(int n)
    {
        return QTest::qWaitFor([&] { return logged.size() >= n; }, 20000);
    }
    LogEntry loggedEntry(int i)
    {
        LogQuery q;
        QString error;
        EXPECT_TRUE(q.open(log->target(), &error)) << error.toStdString();
        return q.entry(logged.value(i), &error).value_or(LogEntry{});
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    VerdictPanel* panel = nullptr;
    QStringList logged;
};

TEST(VerdictPanelView, CheapBallastFailsClassCOverRepeatedRuns)
{
    Bench b(QStringLiteral("cheap"));
    EXPECT_TRUE(b.panel->isVisible());
    b.form->InputTestClick();
    ASSERT_TRUE(b.waitRuns(2));
    const Verdict v = b.panel->verdict();
    EXPECT_FALSE(v.pass);
    ASSERT_NE(v.section(SectionKind::ClassC), nullptr);
    EXPECT_FALSE(v.section(SectionKind::ClassC)->pass);
    b.form->LockTestClick();

    // A new test command starts a new series.
    b.form->InputTestClick();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return b.panel->verdict().runs == 1 && b.controller.record().hasInputResult; }, 20000));
    b.form->LockTestClick();
}

TEST(VerdictPanelView, AStartRunAfterAFailingRunHasNoChecksOnScreenAndInTheLog)
{
    Bench b(QStringLiteral("cheap"));
    b.form->CompTestLockBtnClick();
    ASSERT_TRUE(b.waitLogged(1));
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::Fail);
    EXPECT_NE(b.panel->verdict().section(SectionKind::LampCrest), nullptr);
    b.form->StartTestComdClick();
    ASSERT_TRUE(b.waitLogged(2));
    EXPECT_EQ(b.loggedEntry(1).verdict, VerdictResult::NoChecks);
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::NoChecks);
    EXPECT_TRUE(b.panel->sourceText().contains(QStringLiteral("启动性能测试"))) << b.panel->sourceText().toStdString();

    // The next ballast's number: the panel shows nothing of the one before as its result.
    b.controls->serialField()->setText(QStringLiteral("SN-0044"));
    emit b.controls->serialField()->returnPressed();
    EXPECT_FALSE(b.panel->verdict().judged());
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::NoChecks);
    EXPECT_TRUE(b.panel->sourceText().contains(QStringLiteral("SN-0044"))) << b.panel->sourceText().toStdString();
}

TEST(VerdictPanelView, PfcBallastPassesAndFollowsTheLanguage)
{
    Bench b(QStringLiteral("pfc"));
    b.form->CompTestClick();
    ASSERT_TRUE(b.waitRuns(1));
    b.form->LockTestClick();
    EXPECT_TRUE(b.panel->verdict().pass);
    EXPECT_NE(b.panel->verdict().section(SectionKind::LampCrest), nullptr);

    b.form->EnglishClick();
    EXPECT_EQ(b.panel->windowTitle(), QStringLiteral("Verdict"));
    EXPECT_EQ(b.panel->toggleViewAction()->text(), QStringLiteral("Verdict"));
    b.form->ChineseClick();
    EXPECT_EQ(b.panel->windowTitle(), QStringLiteral("判定"));
}

TEST(VerdictPanelView, ADamagedLimitsFileTurnsVerdictsOffUntilItIsFixed)
{
    const QByteArray limits = "[default]\nlamp_current_crest_factor_max = 1,7\n";
    Bench b(QStringLiteral("pfc"), limits);
    const QLabel* status = b.controls->limitsLabel();
    EXPECT_TRUE(status->isVisible());
    const auto* notice = b.form->findChild<QMessageBox*>(QStringLiteral("LimitsProblem"));
    ASSERT_NE(notice, nullptr); // told at start, without opening the panel
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 2000));
    // In the window's language (Chinese here), the file and its line named.
    EXPECT_TRUE(status->text().contains(QStringLiteral("KORVEX-limits.ini 第 2 行"))) << status->text().toStdString();
    EXPECT_TRUE(b.panel->limitsMessage().startsWith(QStringLiteral("not judged: KORVEX-limits.ini line 2")));
    b.form->OutputTestLockBtnClick();
    ASSERT_TRUE(b.waitLogged(1));
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::NotJudged);
    const LogEntry entry = b.loggedEntry(0);
    EXPECT_EQ(entry.verdict, VerdictResult::NotJudged);
    EXPECT_TRUE(entry.verdictDetails.contains(QStringLiteral("KORVEX-limits.ini line 2")));
    QFile f(b.temp.filePath(QLatin1String(kProfileFileName)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), limits); // never rewritten

    // Fixed while the window runs: judged again without a restart.
    b.writeLimits("[default]\nlamp_current_crest_factor_max = 1.7\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status->isVisible(); }, 5000));
    EXPECT_TRUE(b.panel->limitsMessage().isEmpty());
    b.form->OutputTestLockBtnClick();
    ASSERT_TRUE(b.waitLogged(2));
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::Pass);
}

} // namespace
} // namespace korvex
