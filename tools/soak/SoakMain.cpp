// korvex-soak: runs input, comprehensive and preheat energy cycles against korvex-sim on a
// pseudo-terminal, with a fault drawn at random for each cycle (stale bytes, a stall, silence,
// a wrong acknowledgement, surplus bytes, a hang-up with the terminal made anew). Checks that
// every fault ends in its recovery, every completed run carries the simulator's values, and
// that the process neither spins nor grows.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

#include "kinds/Evaluate.h"
#include "link/Capture.h"
#include "link/Controller.h"
#include "link/SerialPortFactory.h"
#include "link/sim/SimModel.h"
#include "record/TestRecord.h"

using namespace korvex;

namespace {

void usage(FILE* out)
{
    std::fprintf(out, "Usage: korvex-soak --sim PATH [--cycles N] [--seed S]\n"
                      "Runs N cycles (default 50) against the korvex-sim program at PATH with random faults.\n"
                      "Exit status: 0 every cycle recovered as it should; 1 usage error; 2 a cycle failed,\n"
                      "hung, or the process spun or grew.\n");
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

struct Fault {
    QString name;     // for the summary: none, stale, surplus, stall, silent, disconnect, badack
    QStringList args; // korvex-sim arguments
};

/// The block sizes of a kind's reply (energy without its acknowledgement).
std::vector<int> blockSizes(int32_t kind)
{
    SimModel m;
    std::vector<int> sizes;
    for (const auto& b : m.measurement(kind))
        sizes.push_back(int(b.size()));
    return sizes;
}

/// The results compared between a completed run and the simulator's measurement.
std::vector<float> valuesOf(int32_t kind, const TestRecord& r)
{
    if (kind == KindEnergy)
        return {r.preheatEnergy, r.preheatTime, r.filamentUMax, r.filamentIMax};
    std::vector<float> v{r.Urms, r.Irms, r.Irmsw, r.Pin, r.PF, r.Fin, r.THDU, r.THDI, r.CFi};
    if (kind == KindComprehensive)
        v.insert(v.end(), {r.Ulrms, r.Ilrms, r.Ifrms, r.Ikrms, r.Pout, r.Fout});
    return v;
}

/// The values a completed run must carry: the simulator's n-th measurement, evaluated.
std::vector<float> expectedValues(int32_t kind, int n)
{
    SimModel model; // korvex-sim's model: scenario "pfc", seed 1
    std::vector<std::vector<uint8_t>> blocks;
    for (int k = 0; k < n; ++k)
        blocks = model.measurement(kind);
    std::vector<uint8_t> capture;
    if (kind == KindEnergy)
        capture.push_back('!');
    for (const auto& b : blocks)
        capture.insert(capture.end(), b.begin(), b.end());
    TestRecord r;
    resetAllResults(r);
    std::string error;
    if (!loadCapture(r, kind, capture.data(), capture.size(), error))
        return {};
    evaluateKind(kind, r);
    r.currentTest = kind;
    return valuesOf(kind, r);
}

class Soak {
  public:
    Soak(QString simPath, uint32_t seed) : simPath_(std::move(simPath)), rng_(seed)
    {
        link_ = dir_.filePath(QStringLiteral("ttyKORVEX-%1").arg(::getpid()));
        makeController();
    }
    ~Soak() { stopSim(); }

    void makeController()
    {
        if (controller_)
            controller_->shutdown();
        controller_ = std::make_unique<Controller>(evaluateKind);
        controller_->setPortSource(PortSource(makeSerialPort, link_));
        alarmShown_ = false;
        QObject::connect(controller_.get(), &Controller::alarmVisibilityChanged,
                         [this](bool shown) { alarmShown_ = shown; });
        QObject::connect(controller_.get(), &Controller::linkFailed, [this](const QString& why) { onFailure(why); });
        QObject::connect(controller_.get(), &Controller::statusTextChanged, [this](const QString& text) {
            if (text.endsWith(QStringLiteral("：0%")))
                ++commandsOnThisSim_; // the handshake was answered and the command went out
        });
        QObject::connect(controller_.get(), &Controller::runCompleted, [this](int32_t) { onCompleted(); });
        // Message boxes of a locked handshake failure: not expected here (runs are unlocked).
        QObject::connect(controller_.get(), &Controller::messageRequested, [this](const QString& text, const QString&) {
            problem(QStringLiteral("message box: ") + text);
        });
    }

    bool runCycle(int index)
    {
        const int32_t kind = pickKind();
        const Fault fault = pickFault(kind == KindEnergy ? KindEnergy : kind);
        const int32_t runKind = fault.name == QLatin1String("badack") ? KindEnergy : kind;
        cycleKind_ = runKind;
        cycleFault_ = fault.name;
        failures_.clear();
        problem_.clear();
        completed_ = false;
        alarmSeen_ = false;
        recreated_ = false;
        if (!startSim(fault.args))
            return report(index, QStringLiteral("korvex-sim did not start"));
        // The port is opened anew on the new terminal (the old one went with its simulator).
        controller_->openPort();
        switch (runKind) {
        case KindInput: controller_->inputTest(); break;
        case KindComprehensive: controller_->compTest(); break;
        default: controller_->energyTest(); break;
        }
        QEventLoop loop;
        loop_ = &loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [this] {
            problem(QStringLiteral("no completion within 30 s (hang)"));
            loop_->quit();
        });
        limit.start(30000);
        loop.exec();
        loop_ = nullptr;
        controller_->setLocked(true);
        ++byFault_[fault.name];
        const QString bad = verify(runKind, fault.name);
        if (!problem_.isEmpty() || !completed_)
            makeController(); // a run left hanging must not spoil the next cycles
        return report(index, bad);
    }

    void summary(int cycles, double wall, double cpu, long rssWarm, long rssEnd) const
    {
        std::printf("korvex-soak: %d cycles in %.1f s, %d failed; faults:", cycles, wall, failedCycles_);
        for (const auto& [name, count] : byFault_)
            std::printf(" %s %d", qPrintable(name), count);
        std::printf("\nkorvex-soak: link failures met and recovered %d; CPU %.1f s (%.1f %% of the time); "
                    "resident %ld kB after 10 cycles, %ld kB at the end\n",
                    recoveries_, cpu, 100.0 * cpu / wall, rssWarm, rssEnd);
    }
    int failedCycles() const { return failedCycles_; }

  private:
    int32_t pickKind()
    {
        const int r = int(rng_() % 20);
        return r < 9 ? KindInput : r < 18 ? KindComprehensive : KindEnergy;
    }

    Fault pickFault(int32_t kind)
    {
        const std::vector<int> sizes = blockSizes(kind);
        auto block = [&]() { return int(rng_() % sizes.size()); };
        const int r = int(rng_() % 100);
        if (r < 30)
            return {QStringLiteral("none"), {}};
        if (r < 45)
            return {QStringLiteral("stale"), {QStringLiteral("--stale"), QString::number(1 + rng_() % 200)}};
        if (r < 55)
            return {QStringLiteral("surplus"),
                    {QStringLiteral("--fault"), QStringLiteral("surplus:%1").arg(1 + rng_() % 64)}};
        if (r < 70 && kind != KindEnergy) {
            // (A preheat energy run waits for its lamp without a time limit: a stall there is
            // ended only by the operator, so it is no fault to recover from.)
            const int b = block();
            return {QStringLiteral("stall"),
                    {QStringLiteral("--fault"), QStringLiteral("stall:%1:%2").arg(rng_() % sizes[size_t(b)]).arg(b)}};
        }
        if (r < 80)
            return {QStringLiteral("silent"), {QStringLiteral("--fault"), QStringLiteral("silent")}};
        if (r < 95) {
            const int b = block();
            return {
                QStringLiteral("disconnect"),
                {QStringLiteral("--fault"), QStringLiteral("disconnect:%1:%2").arg(rng_() % sizes[size_t(b)]).arg(b)}};
        }
        return {QStringLiteral("badack"), {QStringLiteral("--fault"), QStringLiteral("badack")}};
    }

    bool startSim(const QStringList& args)
    {
        stopSim();
        sim_ = std::make_unique<QProcess>();
        sim_->setProcessChannelMode(QProcess::SeparateChannels);
        sim_->setStandardErrorFile(QProcess::nullDevice());
        sim_->start(simPath_, args);
        if (!sim_->waitForStarted(5000) || !sim_->waitForReadyRead(5000))
            return false;
        const QString pty = QString::fromLocal8Bit(sim_->readLine()).trimmed();
        if (pty.isEmpty())
            return false;
        // The program keeps one device name; the terminal behind it changes, as a USB adapter
        // comes back under the same name.
        QFile::remove(link_ + QStringLiteral(".new"));
        if (!QFile::link(pty, link_ + QStringLiteral(".new")) ||
            std::rename(QFile::encodeName(link_ + QStringLiteral(".new")).constData(),
                        QFile::encodeName(link_).constData()) != 0)
            return false;
        commandsOnThisSim_ = 0;
        return true;
    }

    void stopSim()
    {
        if (!sim_)
            return;
        if (sim_->state() != QProcess::NotRunning) {
            sim_->terminate();
            if (!sim_->waitForFinished(3000))
                sim_->kill();
        }
        sim_->waitForFinished(3000);
        sim_.reset();
    }

    void onFailure(const QString& why)
    {
        failures_ << why;
        ++recoveries_;
        if (alarmShown_)
            alarmSeen_ = true;
        // Silence and a hang-up end only when the instrument is back: a new terminal with a
        // healthy simulator behind the same name. The program must find it by itself.
        if ((cycleFault_ == QLatin1String("silent") || cycleFault_ == QLatin1String("disconnect")) && !recreated_) {
            recreated_ = true;
            QTimer::singleShot(0, [this] {
                if (!startSim({}))
                    problem(QStringLiteral("korvex-sim did not start again"));
            });
        }
    }

    void onCompleted()
    {
        completed_ = true;
        completedCommands_ = commandsOnThisSim_;
        completedValues_ = valuesOf(cycleKind_, controller_->record());
        controller_->setLocked(true);
        if (loop_)
            loop_->quit();
    }

    void problem(const QString& text)
    {
        if (problem_.isEmpty())
            problem_ = text;
        if (loop_)
            loop_->quit();
    }

    QString verify(int32_t kind, const QString& fault)
    {
        if (!problem_.isEmpty())
            return problem_;
        if (!completed_)
            return QStringLiteral("the run did not complete");
        const QString first = failures_.isEmpty() ? QString() : failures_.front();
        auto expect = [&](bool ok, const QString& what) {
            return ok ? QString() : what + QStringLiteral(": ") + failures_.join(QStringLiteral(" / "));
        };
        QString bad;
        if (fault == QLatin1String("none") || fault == QLatin1String("stale") || fault == QLatin1String("surplus"))
            bad = expect(failures_.isEmpty(), QStringLiteral("a link failure without a fault"));
        else if (fault == QLatin1String("stall"))
            bad = expect(failures_.size() == 1 && first.contains(QStringLiteral("within 4000 ms")),
                         QStringLiteral("a stall must be one overdue reply"));
        else if (fault == QLatin1String("silent"))
            bad = expect(!failures_.isEmpty() &&
                             first.contains(QStringLiteral("no answer to the handshake within 2000 ms")),
                         QStringLiteral("silence must fail the handshake"));
        else if (fault == QLatin1String("disconnect"))
            bad = expect(!failures_.isEmpty() && first.contains(QStringLiteral("device disconnected")),
                         QStringLiteral("a hang-up must name the disconnected device"));
        else if (fault == QLatin1String("badack"))
            bad = expect(failures_.size() == 1 && first.contains(QStringLiteral("wrong acknowledgement")),
                         QStringLiteral("a wrong acknowledgement must fail the run once"));
        if (!bad.isEmpty())
            return bad;
        if (!failures_.isEmpty() && !alarmSeen_)
            return QStringLiteral("a link failure without the alarm");
        if (alarmShown_)
            return QStringLiteral("the alarm is still shown after the run completed");
        const std::vector<float> want = expectedValues(kind, completedCommands_);
        if (want.empty() || want.size() != completedValues_.size() ||
            std::memcmp(want.data(), completedValues_.data(), want.size() * sizeof(float)) != 0)
            return QStringLiteral("the values differ from the simulator's");
        return {};
    }

    bool report(int index, const QString& bad)
    {
        if (bad.isEmpty())
            return true;
        ++failedCycles_;
        std::printf("cycle %d (%s, fault %s): %s\n", index,
                    cycleKind_ == KindInput           ? "input"
                    : cycleKind_ == KindComprehensive ? "comprehensive"
                                                      : "energy",
                    qPrintable(cycleFault_), qPrintable(bad));
        std::fflush(stdout);
        return false;
    }

    QString simPath_;
    std::mt19937 rng_;
    QTemporaryDir dir_;
    QString link_;
    std::unique_ptr<Controller> controller_;
    std::unique_ptr<QProcess> sim_;
    QEventLoop* loop_ = nullptr;
    int32_t cycleKind_ = 0;
    QString cycleFault_;
    QStringList failures_;
    QString problem_;
    bool completed_ = false;
    bool alarmSeen_ = false;
    bool alarmShown_ = false; // as the controller's last alarm signal left it
    bool recreated_ = false;
    int commandsOnThisSim_ = 0;
    int completedCommands_ = 0;
    std::vector<float> completedValues_;
    std::map<QString, int> byFault_;
    int recoveries_ = 0;
    int failedCycles_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int cycles = 50;
    uint32_t seed = 1;
    QString sim;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--cycles" && hasValue) {
            cycles = std::atoi(argv[++i]);
        } else if (arg == "--seed" && hasValue) {
            seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--sim" && hasValue) {
            sim = QString::fromLocal8Bit(argv[++i]);
        } else {
            usage(stderr);
            return 1;
        }
    }
    if (cycles < 1 || sim.isEmpty()) {
        usage(stderr);
        return 1;
    }

    Soak soak(sim, seed);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    long rssWarm = residentKb();
    for (int k = 1; k <= cycles; ++k) {
        soak.runCycle(k);
        if (k == std::min(10, cycles))
            rssWarm = residentKb();
        if (k % 50 == 0) {
            std::printf("korvex-soak: %d cycles, %d failed, resident %ld kB\n", k, soak.failedCycles(), residentKb());
            std::fflush(stdout);
        }
    }
    const double seconds = double(wall.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpu0;
    const long rssEnd = residentKb();
    soak.summary(cycles, seconds, cpu, rssWarm, rssEnd);
    int status = soak.failedCycles() ? 2 : 0;
    // The link waits on events: a busy loop anywhere would keep a core busy for the whole run.
    if (cpu > 0.5 * seconds) {
        std::printf("korvex-soak: the process used the processor %.0f %% of the time (spinning)\n",
                    100.0 * cpu / seconds);
        status = 2;
    }
    if (rssWarm > 0 && rssEnd - rssWarm > 16L * 1024) {
        std::printf("korvex-soak: resident memory grew by %ld kB\n", rssEnd - rssWarm);
        status = 2;
    }
    return status;
}
