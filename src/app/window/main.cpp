// The korvex program: the main window on the serial instrument, or with --simulator on the
// built-in simulated instrument (--scenario NAME picks its ballast).
#include <QtCore/QCoreApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include "app/canvas/PageFonts.h"
#include "app/dialogs/DialogRunner.h"
#include "app/dialogs/FileNameIcons.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/QtTranslations.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "log/LogSettings.h"
#include "log/ResultsLog.h"

int main(int argc, char** argv)
{
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
        controller.useSimulator(scenario, true);
    }

    korvex::DialogRunner runner;
    korvex::TKORVEXForm::StartOptions options;
    options.programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    options.dataFile = korvex::TKORVEXForm::dataFileArgument(args);
    korvex::TKORVEXForm form(controller, runner, options);
    // Qt's own texts in the pages' language, switched with it (without Qt's Chinese translation
    // they stay English).
    korvex::useQtTranslations(form.record().chinese != 0);
    QObject::connect(&form, &korvex::TKORVEXForm::languageChanged, &korvex::useQtTranslations);
    // Every run is logged: SQLite beside the configuration, or the plant's server.
    korvex::ResultsLog log(korvex::configuredLogTarget(options.programDir));
    korvex::LogControls logControls(form, controller, log);
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
