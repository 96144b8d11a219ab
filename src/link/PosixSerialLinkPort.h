// The port on a serial device (or pseudo-terminal) of a POSIX system, which it owns outright:
// its own descriptor, lock and line settings, and a small thread of its own that waits on the
// line, so the thread using the port is woken once a block it waits for is complete.
#pragma once

#include <QByteArray>
#include <condition_variable>
#include <mutex>
#include <termios.h>
#include <thread>

#include "link/DeviceLock.h"
#include "link/LinkPort.h"

namespace korvex {

class PosixSerialLinkPort final : public LinkPort {
    Q_OBJECT
  public:
    explicit PosixSerialLinkPort(QString device, QObject* parent = nullptr);
    ~PosixSerialLinkPort() override;

    /// Takes the device's lock file, opens it exclusively (TIOCEXCL and flock) and sets it to
    /// raw 19200 8-N-1 without flow control. errorText() gives the system's reason on failure.
    bool open() override;
    /// Stops the line thread, gives the line its earlier settings back and releases the lock.
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    void purgeInput() override;
    int64_t bytesWaiting() override;
    bool writeByte(uint8_t byte) override;
    int64_t read(uint8_t* dst, int64_t n) override;
    bool waitForData(int msecs) override;
    void setWakeLevel(int64_t waiting) override;
    QString deviceName() const override { return device_; }

  private:
    /// The line thread: waits on the descriptor and a stop pipe, moves what arrives into
    /// received_ and posts a notice once the wake level is reached or the line is gone.
    void watchLine();
    /// On the port's thread: announces the bytes, or closes the port for a lost line.
    void takeNotice();
    /// With the mutex held: posts one notice unless one is on its way.
    void postNoticeLocked();
    bool configureLine(QString& why);
    void stopWatching();
    /// Closes the port and reports "<device>: <cause>" (once; a closed port says nothing).
    void fail(const QString& cause);

    QString device_;
    QByteArray path_; // the device as opened
    int fd_ = -1;
    int stopPipe_[2] = {-1, -1};
    termios earlier_{}; // the line settings found at open, given back at close
    bool restoreLine_ = false;
    DeviceLock lock_;
    std::thread watcher_;

    // Shared with the line thread.
    std::mutex mutex_;
    std::condition_variable arrived_;
    QByteArray received_;        // read from the line and not yet by the reader, in order
    int64_t wakeLevel_ = 0;      // announce once this many bytes wait (0: every arrival)
    bool unannounced_ = false;   // bytes came that no notice has told of
    bool noticePending_ = false; // a notice is posted and not yet taken
    QString lineLost_;           // why the line is gone, empty while it works
};

} // namespace korvex
