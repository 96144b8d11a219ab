// korvex-cli plan: one ballast through its product type's test plan on an instrument or the
// simulated instrument, each step printed, one verdict for the ballast, optionally logged and
// archived.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "Commands.h"
#include "ControllerSetup.h"
#include "GuiApp.h"
#include "VerdictArgs.h"
#include "app/canvas/Archive.h"
#include "kinds/Evaluate.h"
#include "kinds/TestPlan.h"
#include "link/Controller.h"
#include "link/sim/SimModel.h"
#include "log/LimitsFile.h"
#include "log/LogQuery.h"
#include "log/LogSettings.h"
#include "log/PlanRunner.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "record/FileUtil.h"
#include "record/TextCodec.h"

namespace korvex::cli {

namespace {

void planUsage(FILE* out)
{
    std::fprintf(out,
                 "Usage: korvex-cli plan --port DEVICE --serial SN [--type TYPE] [--log [PATH|URL]] [--archive DIR]\n"
                 "                       [--lang en|zh] [--scenario NAME] [--limits FILE] [--pace]\n"
                 "  Runs one ballast through the plan of its product type's profile in KORVEX-limits.ini\n"
                 "  (plan = input*3, output, start, energy): every result is reset first, each step is\n"
                 "  printed as it ends, then the ballast's verdict and what failed. The start and preheat\n"
                 "  energy steps ask on the terminal to switch the lamp off and on, and wait for it.\n"
                 "  DEVICE   a serial device path, 'sim' for the built-in simulated instrument, or COM1..COM4\n"
                 "  --type   the product type (产品型号) whose profile and plan are used (default: the\n"
                 "           configuration's)\n"
                 "  --log    log the ballast and its steps' runs (default log as for 'run --log')\n"
                 "  --archive  write the ballast's data file, a PDF of the plan's pages and the verdict\n"
                 "           sheet, and its line in the day's CSV into DIR (the name pattern of the limits\n"
                 "           file's [archive] section, else {date}/{serial}_{verdict}); each file written is\n"
                 "           printed; a file that cannot be written is a warning on stderr naming DIR\n"
                 "  --lang   the language of the failed checks and of the archived PDF (default en)\n"
                 "Exit status: 0 the ballast passed; 3 it failed; 2 a step could not complete (link failure,\n"
                 "limits or log that cannot be read); 1 usage error. An archive that cannot be written\n"
                 "does not change it.\n");
}

} // namespace

int cmdPlan(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        planUsage(stdout);
        return 0;
    }
    std::string device, serial, type, scenario, archiveDir;
    bool pace = false, logRuns = false, chinese = false, badOption = false;
    QString logText;
    VerdictChoice choice;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (takeVerdictOption(argc, argv, i, choice, badOption)) {
            if (badOption)
                return 1;
        } else if (arg == "--port" && hasValue)
            device = argv[++i];
        else if (arg == "--serial" && hasValue)
            serial = argv[++i];
        else if (arg == "--type" && hasValue)
            type = argv[++i];
        else if (arg == "--scenario" && hasValue)
            scenario = argv[++i];
        else if (arg == "--archive" && hasValue)
            archiveDir = argv[++i];
        else if (arg == "--lang" && hasValue) {
            const std::string lang = argv[++i];
            if (lang != "en" && lang != "zh") {
                std::fprintf(stderr, "korvex-cli plan: --lang must be en or zh\n");
                return 1;
            }
            chinese = lang == "zh";
        } else if (arg == "--pace")
            pace = true;
        else if (arg == "--log") {
            logRuns = true;
            if (hasValue && std::strncmp(argv[i + 1], "--", 2) != 0)
                logText = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "korvex-cli plan: unknown or incomplete argument '%s'\n", arg.c_str());
            planUsage(stderr);
            return 1;
        }
    }
    if (device.empty() || serial.empty()) {
        planUsage(stderr);
        return 1;
    }
    if (!choice.profileName.empty()) {
        std::fprintf(stderr, "korvex-cli plan: the profile is the product type's; give --type instead\n");
        return 1;
    }
    if (!scenario.empty() && !SimModel::knownScenario(QString::fromStdString(scenario))) {
        std::fprintf(stderr, "korvex-cli plan: unknown scenario '%s'\n", scenario.c_str());
        return 1;
    }
    // The archive's PDF needs the GUI layer (offscreen, with the page fonts).
    Gui gui;
    if (!archiveDir.empty() && !QCoreApplication::instance())
        gui = startGui();

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QCoreApplication> ownApp;
    if (!QCoreApplication::instance())
        ownApp = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    QCoreApplication* app = QCoreApplication::instance();

    Controller controller(evaluateKind);
    const Locations& where = writableLocations();
    setUpController(controller, where, device, scenario, pace, [&](TestRecord& r) {
        storeText(r.infoNo, utf8ToCp936(serial));
        if (!type.empty())
            storeText(r.infoType, utf8ToCp936(type));
    });

    if (!choice.limitsPath.empty() && !pathExists(choice.limitsPath)) {
        std::fprintf(stderr, "korvex-cli plan: %s: no such file\n", choice.limitsPath.c_str());
        return 2;
    }
    RunJudge judge(limitsPathOf(choice), writesMissingLimits(choice));
    RunLogger logger(controller);
    logger.setJudge(&judge);
    PlanRunner runner(controller, logger, judge);
    std::unique_ptr<ResultsLog> log;
    if (logRuns) {
        const LogTarget target = logTargetFor(logText);
        if (!target.unusable.isEmpty()) {
            std::fprintf(stderr, "korvex-cli plan: results log: cannot open the results log %s; nothing was run\n",
                         qPrintable(target.unusable));
            return 2;
        }
        {
            // A ballast of this number in the log, whatever its result, makes this one a retest.
            // Asked before the writer opens the file, so no descriptor of it is closed under the
            // writer's locks.
            LogQuery query;
            LogFilter f;
            f.serial = QString::fromStdString(serial);
            f.ballasts = true;
            std::vector<LogEntry> before;
            QString error;
            if (query.open(target, &error) && query.list(f, 50, before, &error)) {
                for (const LogEntry& e : before)
                    if (e.serial() == f.serial) // a pattern character in the number matches no other
                        runner.noteTested(f.serial);
            }
        }
        log = std::make_unique<ResultsLog>(target);
        runner.setLog(log.get());
        runner.setBench(configuredBenchName(where.limitsDir));
        logger.setBench(configuredBenchName(where.limitsDir));
        QObject::connect(log.get(), &ResultsLog::problem, app, [](const QString& text) {
            if (!text.isEmpty())
                std::fprintf(stderr, "korvex-cli plan: results log: %s\n", qPrintable(text));
        });
    }

    QObject::connect(&runner, &PlanRunner::lampPrompt, app,
                     [](int32_t) { std::fprintf(stderr, "switch the lamp off and on now; the test waits for it\n"); });
    QObject::connect(&runner, &PlanRunner::stepChanged, app, [&](int index) {
        const PlanStepOutcome& s = runner.ballast().steps[size_t(index)];
        if (s.state == StepState::Running || s.state == StepState::Waiting)
            return;
        std::string line = "step " + std::to_string(index + 1) + " of " +
                           std::to_string(runner.ballast().steps.size()) + ": " + planKindName(s.step.kind);
        if (s.step.runs > 1)
            line += "*" + std::to_string(s.step.runs);
        line += s.state == StepState::NoChecks ? std::string(" no checks") : std::string(" ") + stepStateKey(s.state);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    QObject::connect(&runner, &PlanRunner::ballastFinished, app, [] { QCoreApplication::quit(); });

    if (controller.openPort() != 0) {
        std::fprintf(stderr, "korvex-cli plan: cannot open port %s: %s\n", device.c_str(),
                     qPrintable(controller.lastFailure()));
        return 2;
    }
    QString why;
    if (!runner.start(&why)) {
        std::fprintf(stderr, "korvex-cli plan: no plan: %s\n", qPrintable(why));
        return 2;
    }
    std::printf("ballast %s (%s), plan: %s%s\n", serial.c_str(),
                runner.ballast().type.isEmpty() ? "no type" : qPrintable(runner.ballast().type),
                testPlanText(runner.ballast().plan).c_str(), runner.ballast().retest ? ", retest" : "");
    std::fflush(stdout);
    QCoreApplication::exec();
    controller.shutdown();

    const Ballast& b = runner.ballast();
    int status = 0;
    switch (b.result) {
    case BallastResult::Pass: status = 0; break;
    case BallastResult::Fail: status = 3; break;
    default: status = 2; break;
    }
    std::printf("verdict: %s\n", ballastResultName(b.result));
    if (!b.failure.isEmpty())
        std::printf("incomplete: %s\n", qPrintable(b.failure));
    for (const QString& f : b.failedChecks(chinese))
        std::printf("  failed: %s\n", qPrintable(f));
    if (!archiveDir.empty()) {
        // The folder given here; the names as the limits file's [archive] section makes them.
        ArchiveSettings archiveSettings = judge.limits().current().archive;
        archiveSettings.folder =
            QDir::cleanPath(QDir(QString::fromLocal8Bit(archiveDir.c_str())).absolutePath()).toStdString();
        if (!archivePatternFault(archiveSettings.pattern).empty())
            archiveSettings.pattern = kDefaultArchivePattern;
        ArchiveItem item;
        item.record = controller.record(); // the ballast's own results: the plan reset the rest
        item.kinds = ballastPages(b);
        item.verdict = ballastVerdict(b, chinese);
        item.result = b.result;
        item.serial = b.serial.toStdString();
        item.type = b.type.toStdString();
        item.endedAt = QDateTime::fromMSecsSinceEpoch(b.endedAtMs);
        item.chinese = chinese;
        const ArchiveReport report = writeArchive(item, archiveSettings);
        for (const std::string& path : report.written)
            std::printf("archived %s\n", path.c_str());
        if (!report.warning.empty())
            std::fprintf(stderr, "korvex-cli plan: archive %s: %s\n", report.folder.c_str(), report.warning.c_str());
        if (!report.ok)
            std::fprintf(stderr, "korvex-cli plan: warning: the archive was not written completely: %s\n",
                         report.error.c_str());
    }
    if (log) {
        const int lost = log->close();
        if (lost > 0 || log->setAside() > 0) {
            std::fprintf(stderr, "korvex-cli plan: the ballast could not be written to the results log %s%s\n",
                         qPrintable(log->target().display()), lost > 0 ? " and is lost" : "; kept for the next start");
            status = 2;
        } else {
            std::printf("logged ballast %s\n", qPrintable(b.id));
        }
    }
    return status;
}

} // namespace korvex::cli
