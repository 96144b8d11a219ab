// korvex-link-probe: plays the instrument on a pseudo-terminal for `korvex-cli run` and measures,
// from the instrument's side of the line, how soon the program answers each reply block and how
// long a whole test cycle takes, with the blocks sent at once (burst) or at exactly 19200 baud.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "link/Frames.h"
#include "link/sim/SimModel.h"

namespace {

constexpr double kBytesPerSecond = 1920.0; // 19200 baud, 10 bits a byte
constexpr double kRepeatPauseMs = 500.0;

void usage(FILE* out)
{
    std::fprintf(out, "Usage: korvex-link-probe [--cli PATH] [--mode burst|paced|both] [--count N] [--kind KIND]\n"
                      "                         [--chunk BYTES]\n"
                      "Plays the instrument on a pseudo-terminal for 'korvex-cli run KIND --count N' and prints, per\n"
                      "mode, the time from the last byte of each reply block to the program's next command byte\n"
                      "(median, 90th percentile, largest) and the time from one handshake to the next (a cycle),\n"
                      "beside the ideal cycle: the 500 ms pause, plus every byte at 1920 per second when paced.\n"
                      "  --cli PATH     the korvex-cli to measure (default: the one built beside this probe)\n"
                      "  --mode MODE    burst: each block written at once; paced: in chunks at 19200 baud, each\n"
                      "                 chunk written when the line would have carried its last byte; both (default)\n"
                      "  --count N      test cycles per mode (default 5)\n"
                      "  --kind KIND    input (default), phase, output or comprehensive\n"
                      "  --chunk BYTES  paced chunk size (default 64, as a USB adapter hands bytes over)\n"
                      "Exit status: 0 measured, 1 usage error, 2 the program failed or the protocol went wrong.\n");
}

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

/// Returns at the moment ms (CLOCK_MONOTONIC): sleeps until shortly before, as a sleeping thread
/// wakes some tens of microseconds late, and spins for the rest.
void waitUntil(double ms)
{
    constexpr double kSpinMs = 0.3;
    const double wake = ms - kSpinMs;
    timespec at{};
    at.tv_sec = time_t(wake / 1e3);
    at.tv_nsec = long((wake - double(at.tv_sec) * 1e3) * 1e6);
    if (wake > nowMs())
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    while (nowMs() < ms) {
    }
}

bool writeAll(int fd, const uint8_t* data, size_t n)
{
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done > 0) {
            data += done;
            n -= size_t(done);
        } else if (done < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

/// Nearest-rank percentile of a sorted list.
double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return NAN;
    const size_t rank = size_t(std::ceil(p / 100.0 * double(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

struct Figures {
    std::vector<double> responses;  // ms from a block's last byte to the next command byte
    std::vector<double> cycles;     // ms from one handshake byte to the next
    std::vector<double> pauses;     // ms from the last byte of a run to the next handshake byte
    std::vector<double> lateness;   // ms each paced chunk was written after its moment
    std::vector<double> fairCycles; // cycles less the lateness of the blocks' last chunks
};

void printFigures(const char* mode, Figures f, double idealCycleMs)
{
    std::sort(f.responses.begin(), f.responses.end());
    std::sort(f.cycles.begin(), f.cycles.end());
    std::printf("%-6s response after the last byte: median %8.3f ms  p90 %8.3f ms  max %8.3f ms  (%zu blocks)\n", mode,
                percentile(f.responses, 50), percentile(f.responses, 90),
                f.responses.empty() ? NAN : f.responses.back(), f.responses.size());
    if (f.cycles.empty()) {
        std::printf("%-6s cycle: needs --count 2 or more\n", mode);
        return;
    }
    const double median = percentile(f.cycles, 50);
    std::printf("%-6s cycle: median %9.3f ms  p90 %9.3f ms  (%zu cycles); ideal %.3f ms, median %+.3f ms\n", mode,
                median, percentile(f.cycles, 90), f.cycles.size(), idealCycleMs, median - idealCycleMs);
    if (!f.lateness.empty()) {
        std::sort(f.fairCycles.begin(), f.fairCycles.end());
        const double fair = percentile(f.fairCycles, 50);
        std::printf("%-6s cycle less the probe's own lateness: median %9.3f ms, %+.3f ms over the ideal\n", mode, fair,
                    fair - idealCycleMs);
    }
    std::sort(f.pauses.begin(), f.pauses.end());
    std::printf("%-6s pause from a run's last byte to the next handshake: median %8.3f ms  p90 %8.3f ms\n", mode,
                percentile(f.pauses, 50), percentile(f.pauses, 90));
    if (!f.lateness.empty()) {
        std::sort(f.lateness.begin(), f.lateness.end());
        std::printf(
            "%-6s the probe's own pacing: chunks written after their moment by median %.3f ms, at most %.3f ms\n", mode,
            percentile(f.lateness, 50), f.lateness.back());
    }
}

/// One mode: a fresh pseudo-terminal, korvex-cli run against it, the instrument served here.
/// Returns false (having said why) when the program or the protocol failed.
bool measure(const std::string& cli, const char* kindName, int32_t kind, int count, bool paced, size_t chunk,
             Figures& out)
{
    const korvex::SequenceSpec* seq = korvex::sequenceFor(kind);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "korvex-link-probe: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    const std::string slavePath = ptsname(master);
    // The slave stays open here too, so the master sees no hang-up before the program opens
    // it; it also carries raw line settings from the start.
    const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (slave < 0 || tcgetattr(slave, &tio) != 0) {
        std::fprintf(stderr, "korvex-link-probe: cannot open %s: %s\n", slavePath.c_str(), std::strerror(errno));
        ::close(master);
        return false;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(slave, TCSANOW, &tio);

    char errPath[] = "/tmp/korvex-link-probe.XXXXXX";
    const int errFd = mkstemp(errPath);
    const std::string countText = std::to_string(count);
    const std::string timeoutText = std::to_string(30 + 10 * count);
    const pid_t child = fork();
    if (child == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        if (errFd >= 0)
            dup2(errFd, STDERR_FILENO);
        ::close(master);
        ::close(slave);
        execl(cli.c_str(), cli.c_str(), "run", kindName, "--port", slavePath.c_str(), "--count", countText.c_str(),
              "--timeout", timeoutText.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "cannot run %s: %s\n", cli.c_str(), std::strerror(errno));
        _exit(127);
    }

    korvex::SimModel model(QStringLiteral("pfc"));
    std::vector<std::vector<uint8_t>> blocks;
    size_t nextBlock = 0;
    double lastByteAt = -1; // when the last byte of the latest block was written, -1 after use
    double handshakeAt = -1;
    double cycleLate = 0; // how late the probe wrote the last chunks of this cycle's blocks
    bool protocolOk = true;
    int status = -1;
    auto send = [&](const uint8_t* data, size_t n, double commandAt) {
        if (!paced) {
            writeAll(master, data, n);
        } else {
            // Chunk by chunk, each when the line would have carried its last byte.
            for (size_t done = 0; done < n;) {
                const size_t piece = std::min(chunk, n - done);
                const double due = commandAt + double(done + piece) * 1000.0 / kBytesPerSecond;
                waitUntil(due);
                writeAll(master, data + done, piece);
                done += piece;
                out.lateness.push_back(nowMs() - due);
                if (done == n)
                    cycleLate += out.lateness.back();
            }
        }
        lastByteAt = nowMs();
    };
    for (;;) {
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        const double at = nowMs();
        if (ready > 0 && (p.revents & POLLIN)) {
            uint8_t bytes[64];
            const ssize_t n = ::read(master, bytes, sizeof bytes);
            for (ssize_t k = 0; k < n; ++k) {
                const uint8_t b = bytes[k];
                if (lastByteAt >= 0)
                    (b == korvex::kCmdHandshake ? out.pauses : out.responses).push_back(at - lastByteAt);
                lastByteAt = -1;
                if (b == korvex::kCmdHandshake) {
                    if (handshakeAt >= 0) {
                        out.cycles.push_back(at - handshakeAt);
                        out.fairCycles.push_back(at - handshakeAt - cycleLate);
                    }
                    handshakeAt = at;
                    cycleLate = 0;
                    const uint8_t answer = 'K';
                    send(&answer, 1, at);
                } else if (b == seq->command) {
                    blocks = model.measurement(kind);
                    send(blocks[0].data(), blocks[0].size(), at);
                    nextBlock = 1;
                } else if (b == korvex::kCmdNext && nextBlock < blocks.size()) {
                    send(blocks[nextBlock].data(), blocks[nextBlock].size(), at);
                    ++nextBlock;
                } else {
                    std::fprintf(stderr, "korvex-link-probe: unexpected byte 0x%02x from the program\n", b);
                    protocolOk = false;
                }
            }
        }
        int wstatus = 0;
        if (waitpid(child, &wstatus, WNOHANG) == child) {
            status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
            break;
        }
    }
    ::close(slave);
    ::close(master);
    if (status != 0) {
        std::fprintf(stderr, "korvex-link-probe: %s exited with status %d:\n", cli.c_str(), status);
        std::fflush(stderr);
        if (errFd >= 0) {
            char text[4096];
            const ssize_t n = pread(errFd, text, sizeof text, 0);
            if (n > 0)
                fwrite(text, 1, size_t(n), stderr);
        }
    }
    if (errFd >= 0) {
        ::close(errFd);
        ::unlink(errPath);
    }
    return status == 0 && protocolOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::string cli = KORVEX_CLI_PATH;
    std::string mode = "both";
    std::string kindName = "input";
    int count = 5;
    long chunk = 64;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--cli" && hasValue)
            cli = argv[++i];
        else if (arg == "--mode" && hasValue)
            mode = argv[++i];
        else if (arg == "--count" && hasValue)
            count = std::atoi(argv[++i]);
        else if (arg == "--kind" && hasValue)
            kindName = argv[++i];
        else if (arg == "--chunk" && hasValue)
            chunk = std::atol(argv[++i]);
        else {
            usage(stderr);
            return 1;
        }
    }
    const int32_t kind = kindName == "input"           ? korvex::KindInput
                         : kindName == "phase"         ? korvex::KindPhase
                         : kindName == "output"        ? korvex::KindOutput
                         : kindName == "comprehensive" ? korvex::KindComprehensive
                                                       : 0;
    if (kind == 0 || count < 1 || chunk < 1 || (mode != "burst" && mode != "paced" && mode != "both")) {
        usage(stderr);
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Paced: one handshake answer and the blocks of one run at 1920 bytes a second, then the
    // pause. Burst: the bytes take no time, the pause alone remains.
    const double pacedCycleMs = double(1 + korvex::replyBytesOf(kind)) * 1000.0 / kBytesPerSecond + kRepeatPauseMs;
    std::printf("korvex-link-probe: %s --count %d, %s\n", kindName.c_str(), count, cli.c_str());
    bool ok = true;
    for (const bool paced : {false, true}) {
        if ((paced && mode == "burst") || (!paced && mode == "paced"))
            continue;
        Figures f;
        if (!measure(cli, kindName.c_str(), kind, count, paced, size_t(chunk), f))
            ok = false;
        printFigures(paced ? "paced" : "burst", f, paced ? pacedCycleMs : kRepeatPauseMs);
        std::fflush(stdout);
    }
    return ok ? 0 : 2;
}
