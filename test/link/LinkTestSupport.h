// Test helpers for the link: a clock the test drives, a scripted instrument on an in-memory
// port, a controller wired to both with every signal recorded, and a pseudo-terminal.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

#include "link/Clock.h"
#include "link/Controller.h"
#include "link/MemoryLinkPort.h"

namespace korvex::test {

class ManualClock final : public Clock {
  public:
    explicit ManualClock(uint32_t start = 1000) : now(start) {}
    uint32_t ticks() const override { return now; }
    void advance(uint32_t ms) { now += ms; }
    uint32_t now;
};

/// An instrument the test scripts: it answers the handshake (unless told not to) and, when
/// autoReply is set, answers each command and "!" with the next of the blocks given to it.
class ScriptedInstrument {
  public:
    bool answerHandshake = true;
    bool autoReply = true;
    uint8_t energyAck = '!';
    std::vector<QByteArray> blocks; // replies of the next run, in order (energy: without ack)
    size_t next = 0;
    MemoryLinkPort* port = nullptr;

    void attach(MemoryLinkPort* p);
    /// Sends the next block (or the first n bytes of it) now.
    void sendNext(int n = -1);
    QByteArray pendingRest; // the rest of a block sent in part
};

/// A controller on a ManualClock and a ScriptedInstrument, recording its signals. The test sees
/// the controller as a caller does: through its commands, its signals and the bytes it writes.
class LinkFixture {
  public:
    LinkFixture();
    ~LinkFixture();

    /// The command of kind with the scripted instrument holding one simulated run's blocks of
    /// kind, then the steps that follow. replies: the instrument answers every command and "!"
    /// (else only the handshake, and the test sends the blocks); single: the locked single run
    /// of a measuring kind instead of the repeating test.
    void run(int32_t kind, bool replies = true, bool single = false);
    /// Delivers queued message 1025 events until none is left; returns how many steps ran.
    int pump();
    /// Lets ms of the driven clock pass, runs the reader's check and the steps it posts.
    void passTime(uint32_t ms);
    /// The bytes the controller wrote since the last clearWritten().
    QByteArray written() const { return port ? port->written() : QByteArray(); }
    void clearWritten()
    {
        if (port)
            port->clearWritten();
    }
    /// The alarm window as the last alarm signal left it (hidden at start).
    bool alarmShown() const { return !alarmChanges.empty() && alarmChanges.back(); }
    /// "?" went out and the handshake's answer (or its limit) is still awaited.
    bool awaitingHandshake() const { return controller->testRunning() && written().endsWith('?'); }
    /// Whether the test starts again by itself (Timer1, 500 ms after its run) within ms of real
    /// time: a new "?" goes out. The scripted instrument answers as it is set.
    bool restartsWithin(int ms);
    /// Whether the reader still acts: after a long wait on the driven clock and bytes arriving,
    /// nothing is sent, stepped or reported.
    bool readerIdle();

    ManualClock clock;
    ScriptedInstrument instrument;
    std::unique_ptr<Controller> controller;
    MemoryLinkPort* port = nullptr; // owned by the controller
    int portsMade = 0;

    QStringList statusTexts;
    std::vector<int> progressValues;
    std::vector<bool> alarmChanges;
    std::vector<bool> lockChanges;
    QStringList messages; // "text|caption"
    QStringList failures; // linkFailed reasons
    int closeRequests = 0;
    int promptRequests = 0;
    int steps = 0; // repaint requests, one per step message and more
    std::vector<int32_t> completed;
};

/// Blocks of one simulated run of a kind (SimModel, seed 7), as the scripted instrument sends.
std::vector<QByteArray> simBlocks(int32_t kind);

/// The test command of a kind (input, phase, output, comprehensive, start, energy).
void giveCommand(Controller& c, int32_t kind);

/// A pseudo-terminal: the test holds the master end and plays the instrument on it; path names
/// the slave, the program's serial device.
class Pty {
  public:
    Pty();
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    void closeMaster();
    int master = -1;
    QString path;
};

} // namespace korvex::test
