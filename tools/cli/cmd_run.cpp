// korvex-cli run: drives the controller through one test (or a repeated measuring test) on an
// instrument or the simulated instrument, then saves the data file and the spreadsheet lines.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "ControllerSetup.h"
#include "KindNames.h"
#include "VerdictArgs.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictOutput.h"
#include "link/Controller.h"
#include "link/sim/SimModel.h"
#include "log/LogSettings.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "record/DataFile.h"
#include "record/FileUtil.h"
#include "record/Spreadsheet.h"
#include "record/TextCodec.h"

namespace korvex::cli {

namespace {

void runUsage(FILE* out)
{
    std::fprintf(out, "Usage: korvex-cli run KIND --port DEVICE [--count N] [--save FILE.kvx] [--csv FILE.csv]\n"
                      "                      [--timeout SECONDS] [--link-limits MS,MS] [--scenario NAME] [--pace]\n"
                      "                      [--verdict [--json] [--profile NAME] [--limits FILE]] [--log [PATH|URL]]\n"
                      "  KIND     input | phase | output | comprehensive | start | energy\n"
                      "  DEVICE   a serial device path, 'sim' for the built-in simulated instrument, or COM1..COM4\n"
                      "           (resolved through KORVEX_COMn as in the window, else /dev/ttyS0..3)\n"
                      "  --count N  repeat a measuring test N times through the unlocked loop (500 ms apart)\n"
                      "  --timeout S  give up after S seconds (never sooner), with status 2\n"
                      "  --link-limits H,R  the milliseconds the handshake's answer and each reply block may take\n"
                      "           (default 2000,4000, the instrument's; more for a slow line or a loaded machine)\n"
                      "  --verdict  judge the result against the limits (see 'korvex-cli verdict --help'): only\n"
                      "           what the test measured (a start test has no checks); the harmonics of repeated\n"
                      "           input runs are averaged over the series. A damaged limits file: not judged,\n"
                      "           status 2\n"
                      "  --log    log the runs: a single run each, a repeated test once at its end (default log:\n"
                      "           KORVEX_DB, else the one 'korvex-cli paths' names, as 'korvex-cli log' reads it);\n"
                      "           [log] settings that cannot be read: nothing is run, status 2\n"
                      "Exit status: 0 every run completed, every file written (and the verdict passed or had no\n"
                      "checks); 1 usage error; 2 the port cannot be opened, a link failure (no answer, overdue\n"
                      "reply, wrong acknowledgement, device disconnected), the time limit, a file or log that\n"
                      "cannot be written (a file is written only when complete, through a temporary file), or\n"
                      "limits that cannot be read; 3 the verdict fails.\n");
}

} // namespace

int cmdRun(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        runUsage(stdout);
        return 0;
    }
    int32_t kind = 0;
    std::string device, savePath, csvPath, scenario;
    int count = 1;
    double timeoutSeconds = 0;
    int handshakeLimitMs = Controller::kHandshakeLimitMs;
    int replyLimitMs = Controller::kReplyLimitMs;
    bool pace = false;
    bool countGiven = false;
    bool verdict = false, json = false, badOption = false;
    bool logRuns = false;
    QString logText;
    VerdictChoice choice;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (takeVerdictOption(argc, argv, i, choice, badOption)) {
            if (badOption)
                return 1;
        } else if (arg == "--verdict")
            verdict = true;
        else if (arg == "--json")
            json = true;
        else if (arg == "--port" && hasValue)
            device = argv[++i];
        else if (arg == "--count" && hasValue) {
            count = std::atoi(argv[++i]);
            countGiven = true;
        } else if (arg == "--save" && hasValue)
            savePath = argv[++i];
        else if (arg == "--csv" && hasValue)
            csvPath = argv[++i];
        else if (arg == "--timeout" && hasValue) {
            char* end = nullptr;
            timeoutSeconds = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(timeoutSeconds > 0) || timeoutSeconds > 2e6) {
                std::fprintf(stderr, "korvex-cli run: --timeout must be a number of seconds above 0\n");
                return 1;
            }
        } else if (arg == "--link-limits" && hasValue) {
            char* end = nullptr;
            const char* text = argv[++i];
            const long handshake = std::strtol(text, &end, 10);
            const bool comma = end != text && *end == ',';
            const char* second = comma ? end + 1 : end;
            const long reply = comma ? std::strtol(second, &end, 10) : 0;
            if (!comma || end == second || *end != '\0' || handshake < 1 || reply < 1 || handshake > 3600000 ||
                reply > 3600000) {
                std::fprintf(stderr,
                             "korvex-cli run: --link-limits must be two numbers of milliseconds, such as 2000,4000\n");
                return 1;
            }
            handshakeLimitMs = int(handshake);
            replyLimitMs = int(reply);
        } else if (arg == "--scenario" && hasValue)
            scenario = argv[++i];
        else if (arg == "--pace")
            pace = true;
        else if (arg == "--log") {
            logRuns = true;
            if (hasValue && std::strncmp(argv[i + 1], "--", 2) != 0 && kind != 0)
                logText = QString::fromLocal8Bit(argv[++i]);
        } else if (kind == 0 && arg.rfind("--", 0) != 0) {
            kind = kindByName(arg);
            if (kind == 0) {
                std::fprintf(stderr, "korvex-cli run: unknown test kind '%s'\n", arg.c_str());
                return 1;
            }
        } else {
            std::fprintf(stderr, "korvex-cli run: unknown or incomplete argument '%s'\n", arg.c_str());
            runUsage(stderr);
            return 1;
        }
    }
    if (kind == 0 || device.empty()) {
        runUsage(stderr);
        return 1;
    }
    if (count < 1 || (countGiven && count > 1 && kind >= KindStart)) {
        std::fprintf(stderr, "korvex-cli run: --count must be at least 1 and only measuring tests repeat\n");
        return 1;
    }
    if (!scenario.empty() && !SimModel::knownScenario(QString::fromStdString(scenario))) {
        std::fprintf(stderr, "korvex-cli run: unknown scenario '%s'\n", scenario.c_str());
        return 1;
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication* app = QCoreApplication::instance();
    std::unique_ptr<QCoreApplication> ownApp;
    if (!app) {
        ownApp = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
        app = ownApp.get();
    }

    Controller controller(evaluateKind);
    controller.setLimits(handshakeLimitMs, replyLimitMs);
    // The configuration supplies the display options and test information stored with the
    // data file; it is read, never written.
    const Locations& where = logRuns || verdict ? writableLocations() : locations();
    setUpController(controller, where, device, scenario, pace);

    // Each run is judged once, as it completes: the log keeps that judgement and --verdict
    // prints it.
    if (!choice.limitsPath.empty() && !pathExists(choice.limitsPath)) {
        std::fprintf(stderr, "korvex-cli run: not judged: %s: no such file\n", choice.limitsPath.c_str());
        return 2;
    }
    // Only a run that is judged or logged writes a missing limits file (into the user's folder
    // when installed, made above).
    RunJudge judge(limitsPathOf(choice), (logRuns || verdict) && writesMissingLimits(choice));
    judge.setProfile(choice.profileName);
    if (!choice.profileName.empty() && judge.limits().current().ok() &&
        !judge.limits().current().profiles.find(choice.profileName)) {
        std::fprintf(stderr, "korvex-cli run: no profile '%s' in %s\n", choice.profileName.c_str(),
                     qPrintable(judge.limits().path()));
        return 1;
    }
    RunLogger logger(controller);
    logger.setJudge(&judge);
    std::unique_ptr<ResultsLog> log;
    if (logRuns) {
        // Settings that cannot be read name no log: the run would only be held. Nothing runs.
        const LogTarget target = logTargetFor(logText);
        if (!target.unusable.isEmpty()) {
            std::fprintf(stderr, "korvex-cli run: results log: cannot open the results log %s; nothing was run\n",
                         qPrintable(target.unusable));
            return 2;
        }
        log = std::make_unique<ResultsLog>(target);
        logger.setLog(log.get());
        logger.setBench(configuredBenchName(where.limitsDir));
        QObject::connect(log.get(), &ResultsLog::logged, app, [&](const QString& id) {
            std::fprintf(verdict && json ? stderr : stdout, "logged %s\n", qPrintable(id));
            std::fflush(stdout);
        });
        QObject::connect(log.get(), &ResultsLog::forwarded, app, [&](int n) {
            std::fprintf(verdict && json ? stderr : stdout, "forwarded %d waiting run(s) to the log server %s\n", n,
                         qPrintable(log->target().display()));
            std::fflush(stdout);
        });
        QObject::connect(log.get(), &ResultsLog::problem, app, [](const QString& text) {
            if (!text.isEmpty())
                std::fprintf(stderr, "korvex-cli run: results log: %s\n", qPrintable(text));
        });
    }

    QString failure;
    auto fail = [&](const QString& why) {
        if (failure.isEmpty())
            failure = why;
        controller.setLocked(true);
        QCoreApplication::quit();
    };
    QObject::connect(&controller, &Controller::messageRequested, app, [&](const QString& text, const QString&) {
        fail(controller.lastFailure().isEmpty() ? text : controller.lastFailure());
    });
    QObject::connect(&controller, &Controller::linkFailed, app, [&](const QString& why) { fail(why); });

    std::vector<std::string> valueLines;
    int completed = 0;
    QObject::connect(&controller, &Controller::runCompleted, app, [&](int32_t k) {
        ++completed;
        valueLines.push_back(spreadsheetValueLine(controller.record()));
        // With a JSON verdict, stdout carries the JSON alone.
        std::fprintf(verdict && json ? stderr : stdout, "run %d of %d: %s completed\n", completed, count, kindName(k));
        std::fflush(stdout);
        if (completed >= count) {
            controller.setLocked(true);
            QCoreApplication::quit();
        }
    });

    if (controller.openPort() != 0) {
        std::fprintf(stderr, "korvex-cli run: cannot open port %s: %s\n", device.c_str(),
                     qPrintable(controller.lastFailure()));
        return 2;
    }
    // The limit is measured, not only timed: a timer may wake a little early, and the run
    // must never end before the time given.
    QTimer timeout;
    QElapsedTimer sinceStart;
    const qint64 limitNs = qint64(std::ceil(timeoutSeconds * 1e9));
    if (timeoutSeconds > 0) {
        timeout.setSingleShot(true);
        timeout.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timeout, &QTimer::timeout, app, [&] {
            const qint64 left = limitNs - sinceStart.nsecsElapsed();
            if (left > 0) {
                timeout.start(int((left + 999999) / 1000000));
                return;
            }
            fail(QStringLiteral("timed out after %1 s").arg(timeoutSeconds));
        });
        sinceStart.start();
        timeout.start(int(std::min<qint64>((limitNs + 999999) / 1000000, std::numeric_limits<int>::max())));
    }

    if (kind == KindStart)
        controller.startTest();
    else if (kind == KindEnergy)
        controller.energyTest();
    else if (count == 1)
        controller.singleRun(kind);
    else {
        switch (kind) {
        case KindInput: controller.inputTest(); break;
        case KindPhase: controller.phaseTest(); break;
        case KindOutput: controller.outputTest(); break;
        default: controller.compTest(); break;
        }
    }
    QCoreApplication::exec();
    controller.shutdown();

    int status = 0;
    logger.finishSeries();
    if (log) {
        const int lost = log->close();
        QCoreApplication::processEvents(); // the last "logged" lines
        if (lost > 0) {
            std::fprintf(stderr, "korvex-cli run: %d run(s) could not be written to the results log %s and are lost\n",
                         lost, qPrintable(log->target().display()));
            status = 2;
        } else if (log->setAside() > 0) {
            std::fprintf(stderr,
                         "korvex-cli run: %d run(s) could not be written to the results log %s; kept in %s and "
                         "written there at the next start\n",
                         log->setAside(), qPrintable(log->target().display()), qPrintable(log->target().unwrittenPath));
            status = 2;
        } else if (log->waiting() > 0) {
            std::fprintf(stderr, "korvex-cli run: %d run(s) wait in %s for the log server\n", log->waiting(),
                         qPrintable(log->target().queuePath));
        }
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "korvex-cli run: link failure: %s\n", qPrintable(failure));
        status = 2;
    }
    if (completed > 0 && !savePath.empty()) {
        const Notice n = writeDataFile(savePath, controller.record());
        if (!n.ok) {
            std::fprintf(stderr, "korvex-cli run: cannot write the data file %s\n", n.detail.c_str());
            status = 2;
        }
    }
    if (completed > 0 && !csvPath.empty()) {
        std::string text = spreadsheetTitleLine() + "\r\n";
        for (const std::string& line : valueLines)
            text += line + "\r\n";
        if (!replaceFileAtomically(csvPath, text)) {
            std::fprintf(stderr, "korvex-cli run: cannot write %s: %s\n", csvPath.c_str(), std::strerror(errno));
            status = 2;
        }
    }
    if (completed > 0 && verdict) {
        const Verdict& v = judge.current().verdict;
        std::fputs(json ? (verdictJson(v) + "\n").c_str() : verdictText(v, false).c_str(), stdout);
        if (v.result() == VerdictResult::NotJudged) {
            // The whole path: a plant-wide file lies elsewhere than the user's.
            std::fprintf(stderr, "korvex-cli run: not judged: %s (%s)\n", v.notJudged.c_str(),
                         qPrintable(judge.limits().path()));
            status = 2;
        } else if (status == 0 && v.result() == VerdictResult::Fail) {
            status = 3;
        }
    }
    return status;
}

} // namespace korvex::cli
