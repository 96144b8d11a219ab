// A port that lives in memory: what the host writes goes to a callback (the simulated or a
// scripted instrument), and what the instrument delivers waits in a receive queue.
#pragma once

#include <QByteArray>
#include <algorithm>
#include <functional>

#include "link/LinkPort.h"

namespace korvex {

class MemoryLinkPort final : public LinkPort {
    Q_OBJECT
  public:
    explicit MemoryLinkPort(QString name = QStringLiteral("sim"), QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    void purgeInput() override;
    int64_t bytesWaiting() override;
    bool writeByte(uint8_t byte) override;
    int64_t read(uint8_t* dst, int64_t n) override;
    bool waitForData(int msecs) override;
    QString deviceName() const override { return name_; }
    void setWakeLevel(int64_t waiting) override;
    /// How many more bytes it takes to wake the reader (at least 1).
    int64_t bytesWanted() const { return std::max<int64_t>(1, wakeLevel_ - rx_.size()); }

    /// The instrument's end: receives every byte the host writes while the port is open.
    std::function<void(uint8_t)> onWrite;
    /// Called by waitForData instead of sleeping (a test advances its clock or delivers bytes
    /// here). Without it, waitForData sleeps for msecs when nothing is waiting.
    std::function<void(int msecs)> onWait;
    /// Called when the reader sets a new wake level (a paced instrument times its bytes by it).
    std::function<void()> onWakeLevelChanged;
    /// Called each time the port opens (an instrument wired to it starts afresh).
    std::function<void()> onOpen;

    /// Bytes from the instrument; ignored while the port is closed.
    void deliver(const uint8_t* data, size_t n);
    void deliver(const QByteArray& data)
    {
        deliver(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    }
    /// The device went away: the port closes and reports the error.
    void hangUp(const QString& text);
    /// false: the device is absent and open() fails.
    void setPresent(bool present) { present_ = present; }
    /// Every byte written since the port was made.
    const QByteArray& written() const { return written_; }
    void clearWritten() { written_.clear(); }

  private:
    QString name_;
    QByteArray rx_;
    QByteArray written_;
    bool open_ = false;
    bool present_ = true;
    int64_t wakeLevel_ = 0;
    bool unannounced_ = false; // bytes came under a level they did not reach
};

} // namespace korvex
