// The window of an installed program: its settings in the user's folder, its log in the user's
// data folder, the plant-wide limits judging its runs without being copied or rewritten (damaged,
// they judge nothing), and the about box naming those files.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>

#include "ScriptedRunner.h"
#include "app/window/AboutBox.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/Locations.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"

namespace korvex {
namespace {

/// An installed window as main() builds it, in a temporary home with a plant-wide limits file.
struct InstalledBench {
    explicit InstalledBench(const QByteArray& plantLimits) : plantText(plantLimits)
    {
        const QString home = temp.filePath(QStringLiteral("home"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(temp.filePath(QStringLiteral("etc/xdg"))));
        plant = temp.filePath(QStringLiteral("etc/xdg/korvex/KORVEX-limits.ini"));
        QDir().mkpath(QFileInfo(plant).absolutePath());
        QFile f(plant);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(plantLimits);
        f.close();
        QDir().mkpath(temp.filePath(QStringLiteral("usr/bin")));
        where = locationsFor(temp.filePath(QStringLiteral("usr/bin"))); // laid out as installed
        EXPECT_FALSE(where.portable);
        EXPECT_TRUE(where.limitsSystemWide);
        EXPECT_TRUE(makeLocationFolders(where));

        controller.setPortSource(simulatedPorts(makeSimInstrument(QString(), false)));
        TKORVEXForm::StartOptions options;
        options.programDir = where.configDir;
        options.limitsDir = where.limitsDir;
        options.dataDir = where.dataDir;
        options.plantLimits = where.limitsSystemWide;
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(where.logTarget());
        controls = std::make_unique<LogControls>(*form, controller, *log);
        addHelpMenu(*form, runner, where);
        QObject::connect(log.get(), &ResultsLog::logged, [this](const QString& id) { logged << id; });
        form->show();
        panel = form->findChild<VerdictPanel*>();
        EXPECT_NE(panel, nullptr);
        panel->toggleViewAction()->trigger();
    }
    ~InstalledBench()
    {
        controls->finish();
        controller.shutdown();
        controls.reset();
        log.reset();
        form.reset();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS"})
            qunsetenv(name);
    }
    /// Runs the output test once and returns its log entry.
    LogEntry outputRun()
    {
        const qsizetype before = logged.size();
        form->OutputTestLockBtnClick();
        EXPECT_TRUE(QTest::qWaitFor([&] { return logged.size() > before; }, 20000));
        LogQuery q;
        QString error;
        EXPECT_TRUE(q.open(log->target(), &error)) << error.toStdString();
        return q.entry(logged.value(before), &error).value_or(LogEntry{});
    }
    /// The plant-wide file is as IT wrote it, and the user was given no copy of it.
    void expectPlantFileUntouched()
    {
        QFile f(plant);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), plantText);
        EXPECT_FALSE(QFile::exists(where.configDir + QStringLiteral("KORVEX-limits.ini")));
    }

    QTemporaryDir temp;
    QByteArray plantText;
    QString plant;
    Locations where;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    VerdictPanel* panel = nullptr;
    QStringList logged;
};

TEST(InstalledWindow, judgesWithThePlantWideLimitsLogsInTheUsersFolderAndNamesItsFiles)
{
    InstalledBench b("[default]\nlamp_current_crest_factor_max = 1.2\n\n[log]\nbench = Line 7\n");
    EXPECT_TRUE(QFile::exists(b.where.configFile())); // the defaults, written at start

    // An output run's lamp current crest factor is above 1.2: the plant's limit, not the default 1.7.
    const LogEntry entry = b.outputRun();
    EXPECT_EQ(entry.verdict, VerdictResult::Fail);
    EXPECT_EQ(entry.bench, QStringLiteral("Line 7"));
    const VerdictSection* crest = b.panel->verdict().section(SectionKind::LampCrest);
    ASSERT_NE(crest, nullptr);
    EXPECT_FALSE(crest->pass);
    EXPECT_EQ(b.log->target().path, b.where.dataDir + QStringLiteral("KORVEX-log.db"));
    EXPECT_TRUE(QFile::exists(b.log->target().path));
    b.expectPlantFileUntouched();

    QString about;
    b.runner.script = [&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            about = box->informativeText();
    };
    auto* action = b.form->findChild<QAction*>(QStringLiteral("About"));
    ASSERT_NE(action, nullptr);
    action->trigger();
    EXPECT_TRUE(about.contains(b.where.configFile())) << about.toStdString();
    EXPECT_TRUE(about.contains(b.plant)) << about.toStdString();
    EXPECT_TRUE(about.contains(b.where.dataDir + QStringLiteral("KORVEX-log.db"))) << about.toStdString();
}

TEST(InstalledWindow, aDamagedPlantWideFileJudgesNothingAndIsLeftAsItIs)
{
    InstalledBench b("[default]\nlamp_current_crest_factor_max = 1,2\n");
    const QLabel* status = b.controls->limitsLabel();
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->toolTip().contains(b.plant)) << status->toolTip().toStdString();

    const LogEntry entry = b.outputRun();
    EXPECT_EQ(entry.verdict, VerdictResult::NotJudged);
    EXPECT_TRUE(entry.verdictDetails.contains(QStringLiteral("KORVEX-limits.ini line 2")));
    EXPECT_EQ(b.panel->verdict().result(), VerdictResult::NotJudged);
    b.expectPlantFileUntouched();
}

} // namespace
} // namespace korvex
