// The korvex program: the main window on the serial instrument, or with --simulator on the
// built-in simulated instrument (--scenario NAME picks its ballast).
#include <QtCore/QCoreApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <cstdio>
#include <cstring>

#include "app/canvas/PageFonts.h"
#include "app/dialogs/DialogRunner.h"
#include "app/dialogs/FileNameIcons.h"
#include "app/window/AboutBox.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/PlanControls.h"
#include "app/window/QtTranslations.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/Locations.h"
#include "log/ResultsLog.h"

namespace {

// Said before the application object exists: --help needs no display.
bool printHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") != 0 && std::strcmp(argv[i], "-h") != 0)
            continue;
        std::printf("Usage: korvex [--simulator [--scenario NAME]] [FILE.kvx]\n"
                    "The window of the KORVEX electronic-ballast test instrument.\n"
                    "  FILE.kvx    a data file, opened when the window is shown\n"
                    "  --simulator run on the built-in simulated instrument instead of the serial port\n"
                    "  --scenario NAME  the simulated ballast: pfc (the default) or cheap\n"
                    "  --help      this text\n"
                    "The serial port is the configuration's COM1..COM4: on Linux the device KORVEX_COMn names,\n"
                    "else /dev/ttyS0..3. Files: 'korvex-cli paths' names them (portable copy or installed).\n");
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (printHelp(argc, argv))
        return 0;
    QApplication app(argc, argv);
    korvex::installPageFonts(); // before any font is created
    // No file dialog may open the results log's files (that would drop the log writer's locks).
    korvex::listAllFileDialogsByNameOnly(app);

    const QStringList args = QCoreApplication::arguments();
    korvex::Controller controller(korvex::evaluateKind);
    if (args.contains(QStringLiteral("--simulator"))) {
        QString scenario;
        const qsizetype i = args.indexOf(QStringLiteral("--scenario"));
        if (i >= 0 && i + 1 < args.size())
            scenario = args[i + 1];
        controller.setPortSource(korvex::simulatedPorts(korvex::makeSimInstrument(scenario, true)));
    } else {
        // A port name may stand for the simulated instrument too (KORVEX_COMn=sim).
        controller.setPortSource(korvex::serialOrSimulatedPorts());
    }

    korvex::DialogRunner runner;
    // A portable copy keeps every file beside the program, an installed one in the user's
    // folders; a folder that cannot be created shows as the file that cannot be written.
    const korvex::Locations where = korvex::programLocations();
    korvex::makeLocationFolders(where);
    korvex::TKORVEXForm::StartOptions options;
    options.programDir = where.configDir;
    options.limitsDir = where.limitsDir;
    options.dataDir = where.dataDir;
    options.plantLimits = where.limitsSystemWide;
    options.dataFile = korvex::TKORVEXForm::dataFileArgument(args);
    korvex::TKORVEXForm form(controller, runner, options);
    // Qt's own texts in the pages' language, switched with it (without Qt's Chinese translation
    // they stay English).
    korvex::useQtTranslations(form.record().chinese != 0);
    QObject::connect(&form, &korvex::TKORVEXForm::languageChanged, &korvex::useQtTranslations);
    // Every run is logged: SQLite in the data folder, or the plant's server.
    korvex::ResultsLog log(where.logTarget());
    korvex::LogControls logControls(form, controller, log);
    korvex::PlanControls planControls(form, controller, logControls);
    korvex::addHelpMenu(form, runner, where);
    // Without a window manager (a bare X server) maximising does nothing: start at full size.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    const int status = QApplication::exec();
    // What could not be written by now is set aside beside the configuration and written at
    // the next start; only what cannot be kept even there is lost, and the operator is told.
    const int lost = logControls.finish();
    const bool chinese = controller.record().chinese != 0;
    const QString caption = chinese ? QStringLiteral("警告") : QStringLiteral("Warning");
    if (lost > 0)
        runner.message((chinese ? QStringLiteral("%1 个测试结果未能写入结果记录 %2，已丢失。")
                                : QStringLiteral("%1 test result(s) could not be written to the results log %2 "
                                                 "and are lost."))
                           .arg(lost)
                           .arg(log.target().display()),
                       caption);
    else if (log.setAside() > 0)
        runner.message((chinese ? QStringLiteral("%1 个测试结果未能写入结果记录 %2，已暂存于 %3，下次启动时自动写入。")
                                : QStringLiteral("%1 test result(s) could not be written to the results log %2; "
                                                 "they are kept in %3 and written at the next start."))
                           .arg(log.setAside())
                           .arg(log.target().display(), log.target().unwrittenPath),
                       caption);
    return status;
}
