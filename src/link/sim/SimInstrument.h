// The simulated instrument: answers the byte protocol of the six tests from SimModel, paced
// at 19200 baud when asked, with a lamp switching wait and faults injected on request.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "link/sim/SimModel.h"

namespace korvex {

/// A fault to inject: "silent", "stall:N[:B]", "badack", "surplus:N", "disconnect:N[:B]".
/// N counts bytes into block B (0 = the first block after the command) of the first run.
struct SimFault {
    enum Kind { None, Silent, Stall, BadAck, Surplus, Disconnect };
    Kind kind = None;
    int bytes = 0;
    int block = 0;
    /// False (and fault unchanged) for a text that names no fault.
    static bool parse(const QString& text, SimFault& fault);
};

class SimInstrument : public QObject {
    Q_OBJECT
  public:
    static constexpr int kBytesPerSecond = 1920; // 19200 baud, 10 bits a byte
    static constexpr uint8_t kHandshakeAnswer = 'K';

    explicit SimInstrument(const QString& scenario = QStringLiteral("pfc"), bool paced = false,
                           QObject* parent = nullptr);

    /// The host's bytes arrive here.
    void receive(uint8_t byte);
    /// Bytes to the host.
    std::function<void(const uint8_t*, size_t)> output;
    /// The line drops (disconnect fault).
    std::function<void()> hangUp;
    /// Paced: how many more bytes the host's port can take before it wakes its reader (at
    /// least 1). Given, the instrument hands its bytes over when that many are due at 19200
    /// baud, or its last byte is, instead of in a chunk every 16 ms: the reader gets what it
    /// waits for as soon as the line has carried it, and the host's thread is not woken for
    /// chunks nobody reads. Call wantChanged() when the port's wish changes.
    std::function<int64_t()> wanted;
    void wantChanged();

    /// Forgets the run in progress (the port was reopened).
    void reset();
    void setFault(const SimFault& fault) { fault_ = fault; }
    const SimFault& fault() const { return fault_; }
    /// How long the operator takes to switch the lamp off and on before a start or energy
    /// capture; by default 2000 ms when paced, none otherwise.
    void setLampWait(int msecs) { lampWaitMs_ = msecs; }
    int lampWait() const { return lampWaitMs_; }
    bool paced() const { return paced_; }
    SimModel& model() { return model_; }
    /// Bytes queued but not yet sent (paced mode).
    size_t queuedBytes() const { return queue_.size(); }

  private:
    void command(uint8_t byte);
    void sendBlock(size_t index);
    void emitBytes(const uint8_t* data, size_t n) const;
    void queueBytes(const std::vector<uint8_t>& bytes);
    void pump();
    void schedulePump();
    void beginCapture();

    SimModel model_;
    bool paced_;
    int lampWaitMs_;
    SimFault fault_;
    bool faultUsed_ = false;
    bool stalled_ = false;
    bool hangUpPending_ = false;
    std::vector<std::vector<uint8_t>> blocks_;
    size_t nextBlock_ = 0;
    std::deque<uint8_t> queue_;
    QTimer pacer_;
    QElapsedTimer paceClock_;
    qint64 paceSent_ = 0; // bytes sent since paceClock_ started
    QTimer lamp_;
};

} // namespace korvex
