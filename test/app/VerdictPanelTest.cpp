// The verdict panel in the window on the simulated instrument: a cheap ballast fails Class C and
// a PFC ballast passes, repeated runs are averaged until the next test command, the panel
// follows the language, and a damaged limits file is reported in the panel.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>

#include "ScriptedRunner.h"
#include "app/window/KorvexForm.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictProfile.h"
#include "link/Controller.h"

namespace korvex {
namespace {

struct Bench {
    explicit Bench(const QString& scenario, const QByteArray& limits = {})
    {
        controller.useSimulator(scenario, false);
        if (!limits.isEmpty()) {
            QFile f(temp.filePath(QLatin1String(kProfileFileName)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(limits);
        }
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        form->show();
        panel = form->findChild<VerdictPanel*>();
    }
    /// Shows the panel through its menu entry.
    void showPanel() { panel->toggleViewAction()->trigger(); }
    bool waitRuns(int runs)
    {
        return QTest::qWaitFor([&] { return panel->verdict().judged() && panel->verdict().runs >= runs; }, 20000);
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    VerdictPanel* panel = nullptr;
};

TEST(VerdictPanelView, CheapBallastFailsClassCOverRepeatedRuns)
{
    Bench b(QStringLiteral("cheap"));
    ASSERT_NE(b.panel, nullptr);
    EXPECT_FALSE(b.panel->isVisible());
    b.showPanel();
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

TEST(VerdictPanelView, PfcBallastPassesAndFollowsTheLanguage)
{
    Bench b(QStringLiteral("pfc"));
    b.showPanel();
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

TEST(VerdictPanelView, DamagedLimitsFileIsNamedAndLeftAlone)
{
    const QByteArray limits = "[default]\nlamp_current_crest_factor_max = high\n";
    Bench b(QStringLiteral("pfc"), limits);
    EXPECT_TRUE(b.panel->limitsMessage().contains(QStringLiteral("line 2"))) << b.panel->limitsMessage().toStdString();
    QFile f(b.temp.filePath(QLatin1String(kProfileFileName)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), limits);
}

} // namespace
} // namespace korvex
