// The simulated instrument's side of the byte protocol.
#include "link/sim/SimInstrument.h"

#include <QStringList>
#include <algorithm>

#include "link/Frames.h"
#include "record/TestRecord.h"

namespace korvex {

bool SimFault::parse(const QString& text, SimFault& fault)
{
    const QStringList parts = text.trimmed().toLower().split(QLatin1Char(':'));
    SimFault f;
    const QString& name = parts.front();
    bool ok = true;
    auto number = [&](int i, int fallback) {
        if (parts.size() <= i)
            return fallback;
        bool good = false;
        const int v = parts[i].toInt(&good);
        if (!good || v < 0)
            ok = false;
        return v;
    };
    if (name == QLatin1String("none") && parts.size() == 1)
        f.kind = None;
    else if (name == QLatin1String("silent") && parts.size() == 1)
        f.kind = Silent;
    else if (name == QLatin1String("badack") && parts.size() == 1)
        f.kind = BadAck;
    else if (name == QLatin1String("stall") && parts.size() >= 2 && parts.size() <= 3) {
        f.kind = Stall;
        f.bytes = number(1, 0);
        f.block = number(2, 0);
    } else if (name == QLatin1String("disconnect") && parts.size() >= 2 && parts.size() <= 3) {
        f.kind = Disconnect;
        f.bytes = number(1, 0);
        f.block = number(2, 0);
    } else if (name == QLatin1String("surplus") && parts.size() == 2) {
        f.kind = Surplus;
        f.bytes = number(1, 0);
    } else
        return false;
    if (!ok)
        return false;
    fault = f;
    return true;
}

SimInstrument::SimInstrument(const QString& scenario, bool paced, QObject* parent)
    : QObject(parent), model_(scenario), paced_(paced), lampWaitMs_(paced ? 2000 : 0)
{
    // Bytes arrive in chunks, as a USB serial adapter hands them over at 19200 baud (every
    // 16 ms, its usual latency); a finer pace only wakes the window's thread more often.
    pacer_.setSingleShot(true);
    pacer_.setTimerType(Qt::PreciseTimer);
    connect(&pacer_, &QTimer::timeout, this, &SimInstrument::pump);
    lamp_.setSingleShot(true);
    connect(&lamp_, &QTimer::timeout, this, [this] { sendBlock(0); });
}

void SimInstrument::reset()
{
    blocks_.clear();
    nextBlock_ = 0;
    queue_.clear();
    pacer_.stop();
    lamp_.stop();
    stalled_ = false;
    hangUpPending_ = false;
}

void SimInstrument::receive(uint8_t byte)
{
    if (fault_.kind == SimFault::Silent)
        return;
    switch (byte) {
    case kCmdHandshake: {
        // A handshake aborts whatever run was in progress.
        reset();
        const uint8_t answer = kHandshakeAnswer;
        emitBytes(&answer, 1);
        break;
    }
    case kCmdInput:
        blocks_ = model_.measurement(KindInput);
        sendBlock(0);
        break;
    case kCmdOutput:
        blocks_ = model_.measurement(KindOutput);
        sendBlock(0);
        break;
    case kCmdComprehensive:
        blocks_ = model_.measurement(KindComprehensive);
        sendBlock(0);
        break;
    case kCmdStart:
        blocks_ = model_.measurement(KindStart);
        beginCapture();
        break;
    case kCmdEnergy: {
        blocks_ = model_.measurement(KindEnergy);
        nextBlock_ = 0;
        if (fault_.kind == SimFault::BadAck && !faultUsed_) {
            faultUsed_ = true;
            blocks_.clear();
            const uint8_t wrong = '?';
            queueBytes({wrong});
            break;
        }
        queueBytes({kEnergyAck});
        beginCapture();
        break;
    }
    case kCmdNext:
        if (!stalled_ && nextBlock_ > 0 && nextBlock_ < blocks_.size())
            sendBlock(nextBlock_);
        break;
    default: break;
    }
}

void SimInstrument::beginCapture()
{
    nextBlock_ = 0;
    // The capture begins when the operator has switched the lamp off and on again.
    if (lampWaitMs_ > 0)
        lamp_.start(lampWaitMs_);
    else
        sendBlock(0);
}

void SimInstrument::sendBlock(size_t index)
{
    if (index >= blocks_.size())
        return;
    nextBlock_ = index + 1;
    std::vector<uint8_t> bytes = blocks_[index];
    bool dropLine = false;
    if (!faultUsed_ && int(index) == fault_.block &&
        (fault_.kind == SimFault::Stall || fault_.kind == SimFault::Disconnect)) {
        faultUsed_ = true;
        bytes.resize(std::min(bytes.size(), size_t(fault_.bytes)));
        if (fault_.kind == SimFault::Stall)
            stalled_ = true; // silent until the next handshake
        else
            dropLine = true;
    }
    if (fault_.kind == SimFault::Surplus && nextBlock_ == blocks_.size())
        bytes.insert(bytes.end(), size_t(fault_.bytes), uint8_t(0x55));
    queueBytes(bytes);
    if (dropLine) {
        if (paced_)
            hangUpPending_ = true; // once the bytes before the drop have gone out
        else if (hangUp)
            hangUp();
    }
}

void SimInstrument::queueBytes(const std::vector<uint8_t>& bytes)
{
    if (!paced_) {
        emitBytes(bytes.data(), bytes.size());
        return;
    }
    queue_.insert(queue_.end(), bytes.begin(), bytes.end());
    if (!pacer_.isActive()) {
        paceClock_.start();
        paceSent_ = 0;
        schedulePump();
    }
}

void SimInstrument::schedulePump()
{
    constexpr qint64 kChunkMs = 16;
    if (!wanted) {
        pacer_.start(int(kChunkMs));
        return;
    }
    // When the byte the port waits for is due (or the last one queued): byte k (from 0) of
    // the pacing is due k / 1920 s after it began.
    const qint64 count = std::min<qint64>(std::max<int64_t>(1, wanted()), qint64(queue_.size()));
    const qint64 last = paceSent_ + count - 1;
    const qint64 at = (last * 1000 + kBytesPerSecond - 1) / kBytesPerSecond;
    pacer_.start(int(std::max<qint64>(0, at - paceClock_.elapsed())));
}

void SimInstrument::wantChanged()
{
    if (pacer_.isActive() && wanted)
        schedulePump(); // a lower wish may be due sooner
}

void SimInstrument::pump()
{
    // As many bytes as 19200 baud allows since pacing began.
    const qint64 due = paceClock_.elapsed() * kBytesPerSecond / 1000 + 1 - paceSent_;
    std::vector<uint8_t> chunk;
    while (qint64(chunk.size()) < due && !queue_.empty()) {
        chunk.push_back(queue_.front());
        queue_.pop_front();
    }
    paceSent_ += qint64(chunk.size());
    emitBytes(chunk.data(), chunk.size());
    if (!queue_.empty()) {
        schedulePump();
    } else {
        pacer_.stop();
        if (hangUpPending_) {
            hangUpPending_ = false;
            if (hangUp)
                hangUp();
        }
    }
}

void SimInstrument::emitBytes(const uint8_t* data, size_t n) const
{
    if (n > 0 && output)
        output(data, n);
}

} // namespace korvex
