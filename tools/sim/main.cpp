// korvex-sim: serves the simulated instrument on a pseudo-terminal, so the program (or
// korvex-cli run) can talk to it through a real serial device path.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "link/sim/SimInstrument.h"
#include "link/sim/SimModel.h"

namespace {

void usage(FILE* out)
{
    std::fprintf(out,
                 "Usage: korvex-sim [--scenario NAME] [--fault FAULT] [--pace] [--lamp-wait MS] [--stale N]\n"
                 "Serves the simulated KORVEX instrument on a pseudo-terminal and prints its path.\n"
                 "  --scenario NAME  ballast model: %s (default pfc)\n"
                 "  --fault FAULT    silent | stall:N[:B] | badack | surplus:N | disconnect:N[:B]\n"
                 "  --pace           send at 19200 baud and wait for the lamp before captures\n"
                 "  --lamp-wait MS   time the lamp takes to be switched (default 2000 paced, 0 otherwise)\n"
                 "  --stale N        N bytes of line noise wait on the terminal before a client opens it\n",
                 qPrintable(korvex::SimModel::scenarioNames().join(QStringLiteral(", "))));
}

bool writeAll(int fd, const uint8_t* data, size_t n)
{
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done > 0) {
            data += done;
            n -= size_t(done);
        } else if (done < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

int signalPipe[2] = {-1, -1};

// Only an async-signal-safe write here; the event loop reads the pipe and quits.
void quitOnSignal(int /*signal*/)
{
    const char c = 'q';
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString scenario = QStringLiteral("pfc");
    QString faultText;
    bool pace = false;
    int lampWait = -1;
    int stale = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            usage(stdout);
            return 0;
        }
        if (arg == QLatin1String("--scenario") && hasValue) {
            scenario = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--fault") && hasValue) {
            faultText = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--pace")) {
            pace = true;
        } else if (arg == QLatin1String("--lamp-wait") && hasValue) {
            bool ok = false;
            lampWait = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || lampWait < 0) {
                std::fprintf(stderr, "korvex-sim: bad --lamp-wait value\n");
                return 1;
            }
        } else if (arg == QLatin1String("--stale") && hasValue) {
            bool ok = false;
            stale = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || stale < 0 || stale > 4000) {
                std::fprintf(stderr, "korvex-sim: bad --stale value (0 to 4000)\n");
                return 1;
            }
        } else {
            std::fprintf(stderr, "korvex-sim: unknown or incomplete argument '%s'\n", argv[i]);
            usage(stderr);
            return 1;
        }
    }
    if (!korvex::SimModel::knownScenario(scenario)) {
        std::fprintf(stderr, "korvex-sim: unknown scenario '%s'\n", qPrintable(scenario));
        return 1;
    }
    korvex::SimFault fault;
    if (!faultText.isEmpty() && !korvex::SimFault::parse(faultText, fault)) {
        std::fprintf(stderr, "korvex-sim: unknown fault '%s'\n", qPrintable(faultText));
        return 1;
    }

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "korvex-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 2;
    }
    const char* slavePath = ptsname(master);
    // Holding the slave open keeps the master from reporting a hang-up whenever no client has
    // the device open (between runs); it also carries the raw line settings.
    int slave = ::open(slavePath, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::fprintf(stderr, "korvex-sim: cannot open %s: %s\n", slavePath, std::strerror(errno));
        return 2;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    if (stale > 0) {
        // Noise that is already in the receive queue when the client opens the device, as
        // from an instrument switched on in the middle of a reply.
        std::vector<uint8_t> noise(static_cast<size_t>(stale));
        for (size_t k = 0; k < noise.size(); ++k)
            noise[k] = uint8_t(0xA5 ^ (k * 37));
        writeAll(master, noise.data(), noise.size());
    }

    korvex::SimInstrument sim(scenario, pace);
    sim.setFault(fault);
    if (lampWait >= 0)
        sim.setLampWait(lampWait);
    sim.output = [&master](const uint8_t* data, size_t n) {
        if (master >= 0)
            writeAll(master, data, n);
    };
    QSocketNotifier notifier(master, QSocketNotifier::Read);
    sim.hangUp = [&] {
        // The line drops: close both ends, so the client sees the hang-up, and stop.
        notifier.setEnabled(false);
        ::close(master);
        ::close(slave);
        master = slave = -1;
        std::fprintf(stderr, "korvex-sim: line disconnected (fault)\n");
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    };
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        uint8_t buf[256];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            for (ssize_t k = 0; k < n && master >= 0; ++k)
                sim.receive(buf[k]);
        }
    });

    if (::pipe(signalPipe) != 0) {
        std::fprintf(stderr, "korvex-sim: %s\n", std::strerror(errno));
        return 2;
    }
    QSocketNotifier interrupted(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupted, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, quitOnSignal);
    std::signal(SIGTERM, quitOnSignal);
    std::printf("%s\n", slavePath);
    std::fflush(stdout);
    const int status = QCoreApplication::exec();
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
    return status;
}
