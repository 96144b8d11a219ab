// libFuzzer target: the test loop and the six step machines fed an arbitrary byte stream
// through the in-memory port, with a clock the input drives. The input is a little script:
// each operation byte is followed by its argument bytes (instrument bytes, milliseconds,
// a test command, a hang-up ...). The loop must never crash, and what it shows stays consistent.
#include <QCoreApplication>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "kinds/Evaluate.h"
#include "link/Clock.h"
#include "link/Controller.h"
#include "link/MemoryLinkPort.h"

using namespace korvex;

namespace {

class DrivenClock final : public Clock {
  public:
    uint32_t ticks() const override { return now; }
    uint32_t now = 0;
};

class Script {
  public:
    Script(const uint8_t* d, size_t n) : data_(d), size_(n) {}
    bool done() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    size_t take(size_t n, const uint8_t*& out)
    {
        out = data_ + pos_;
        const size_t k = n < size_ - pos_ ? n : size_ - pos_;
        pos_ += k;
        return k;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

void pump(Controller& c)
{
    // Each round delivers the queued messages 1025 and lets the reader look at the port.
    for (int round = 0; round < 12; ++round) {
        QCoreApplication::sendPostedEvents(&c, Controller::kStepEvent);
        c.checkReader();
    }
}

// What the loop shows stays consistent: progress between 0 and 100 %, and the instrument sees
// the protocol, whatever bytes it sent: only command bytes, and a test's command only right
// after the handshake byte it answered.
void checkState(const QByteArray& written, int lowestProgress, int highestProgress)
{
    if (lowestProgress < 0 || highestProgress > 100)
        __builtin_trap();
    for (qsizetype i = 0; i < written.size(); ++i) {
        const char b = written[i];
        const bool command = b == '0' || b == '1' || b == '2' || b == '3' || b == '5';
        if (!command && b != '?' && b != '!')
            __builtin_trap();
        if (command && (i == 0 || written[i - 1] != '?'))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DrivenClock clock;
    clock.now = 0xFFFFF000u; // starts just before the tick counter wraps
    auto controller = std::make_unique<Controller>(evaluateKind, clock);
    MemoryLinkPort* port = nullptr;
    bool present = true;
    controller->setPortSource(PortSource([&](const QString& device) -> std::unique_ptr<LinkPort> {
        auto p = std::make_unique<MemoryLinkPort>(device);
        p->setPresent(present);
        port = p.get();
        return p;
    }));
    int lowestProgress = 0, highestProgress = 0;
    QObject::connect(controller.get(), &Controller::progressChanged, [&](int percent) {
        lowestProgress = std::min(lowestProgress, percent);
        highestProgress = std::max(highestProgress, percent);
    });
    controller->openPort();
    Controller& c = *controller;

    Script s(data, size);
    while (!s.done()) {
        const uint8_t op = s.byte();
        switch (op % 10) {
        case 0: { // instrument bytes: a short chunk
            const uint8_t* bytes = nullptr;
            const size_t n = s.take(size_t(s.byte()) + 1, bytes);
            if (port)
                port->deliver(bytes, n);
            break;
        }
        case 1: { // a whole block's worth of the same byte
            const size_t n = (size_t(s.byte()) << 4) + 1;
            const QByteArray fill(qsizetype(n), char(s.byte()));
            if (port)
                port->deliver(fill);
            break;
        }
        case 2: // time passes
            clock.now += uint32_t(s.byte()) * 40u;
            c.checkReader();
            break;
        case 3: {
            const int kind = s.byte() % 8;
            switch (kind) {
            case 0: c.inputTest(); break;
            case 1: c.phaseTest(); break;
            case 2: c.outputTest(); break;
            case 3: c.compTest(); break;
            case 4: c.startTest(); break;
            case 5: c.energyTest(); break;
            default: c.singleRun(s.byte() % 5); break;
            }
            break;
        }
        case 4: c.timer1Timer(); break;
        case 5:
            if (port)
                port->hangUp(QStringLiteral("fuzz: device disconnected"));
            present = s.byte() & 1;
            break;
        case 6: c.toggleLock(); break;
        case 7:
            if (s.byte() & 1)
                c.back();
            else
                c.next();
            break;
        case 8: c.openPort(); break;
        case 9:
            // Closing ends the window, and the controller with it (at once, or by Timer2).
            if (c.requestClose() || (s.byte() & 1)) {
                QCoreApplication::removePostedEvents(&c);
                c.shutdown();
                return 0;
            }
            break;
        }
        pump(c);
        checkState(port ? port->written() : QByteArray(), lowestProgress, highestProgress);
    }
    QCoreApplication::removePostedEvents(&c);
    c.shutdown();
    return 0;
}
