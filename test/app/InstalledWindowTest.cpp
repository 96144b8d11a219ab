// The window of an installed program: its settings in the user's folder, the plant-wide limits
// judging its runs without being copied or rewritten, and the about box naming those files.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QMessageBox>

#include "ScriptedRunner.h"
#include "app/window/AboutBox.h"
#include "app/window/KorvexForm.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "log/Locations.h"

namespace korvex {
namespace {

const QByteArray kPlantLimits = "[default]\nlamp_current_crest_factor_max = 1.2\n";

TEST(InstalledWindow, judgesWithThePlantWideLimitsAndNamesItsFilesInTheAboutBox)
{
    QTemporaryDir temp;
    const QString home = temp.filePath(QStringLiteral("home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(temp.filePath(QStringLiteral("etc/xdg"))));
    const QString plant = temp.filePath(QStringLiteral("etc/xdg/korvex/KORVEX-limits.ini"));
    QDir().mkpath(QFileInfo(plant).absolutePath());
    {
        QFile f(plant);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kPlantLimits);
    }
    QDir().mkpath(temp.filePath(QStringLiteral("bin")));
    const Locations where = locationsFor(temp.filePath(QStringLiteral("bin"))); // no KORVEX.cfg: installed
    ASSERT_FALSE(where.portable);
    ASSERT_TRUE(makeLocationFolders(where));

    Controller controller(evaluateKind);
    controller.useSimulator(QString(), false);
    ScriptedRunner runner;
    TKORVEXForm::StartOptions options;
    options.programDir = where.configDir;
    options.limitsDir = where.limitsDir;
    auto form = std::make_unique<TKORVEXForm>(controller, runner, options);
    addHelpMenu(*form, runner, where);
    EXPECT_TRUE(QFile::exists(where.configFile())); // the defaults, written at start

    // An output run's lamp current crest factor is above 1.2: the plant's limit, not the default 1.7.
    form->show();
    auto* panel = form->findChild<VerdictPanel*>();
    ASSERT_NE(panel, nullptr);
    panel->toggleViewAction()->trigger();
    form->OutputTestClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->verdict().judged(); }, 20000));
    form->LockTestClick();
    const VerdictSection* crest = panel->verdict().section(SectionKind::LampCrest);
    ASSERT_NE(crest, nullptr);
    EXPECT_FALSE(crest->pass);
    EXPECT_FALSE(QFile::exists(where.configDir + QStringLiteral("KORVEX-limits.ini")));
    QFile f(plant);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kPlantLimits);

    QString about;
    runner.script = [&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            about = box->informativeText();
    };
    auto* action = form->findChild<QAction*>(QStringLiteral("About"));
    ASSERT_NE(action, nullptr);
    action->trigger();
    EXPECT_TRUE(about.contains(where.configFile())) << about.toStdString();
    EXPECT_TRUE(about.contains(plant)) << about.toStdString();
    EXPECT_TRUE(about.contains(where.dataDir + QStringLiteral("KORVEX-log.db"))) << about.toStdString();

    form.reset();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS"})
        qunsetenv(name);
}

} // namespace
} // namespace korvex
