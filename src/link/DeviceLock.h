// The lock file a serial device is taken with on POSIX systems: "LCK..<name>" in /var/lock,
// the convention other serial programs (minicom, programs built on QSerialPort) look for.
#pragma once

#include <QByteArray>
#include <QString>

namespace korvex {

class DeviceLock {
  public:
    DeviceLock() = default;
    ~DeviceLock() { release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    /// Takes the lock of device (a path such as "/dev/ttyUSB0"). False, with why naming the
    /// holder and the lock file, while another program (or another port of this one) holds
    /// it. A lock left by a process that no longer runs is taken over. Without a writable lock
    /// directory there is no lock file and the lock is taken.
    bool acquire(const QString& device, QString& why);
    /// Removes the lock file; harmless when none is held.
    void release();
    /// The lock file held, empty when none is.
    QString path() const { return QString::fromLocal8Bit(path_); }

    /// The lock file of device in directory: the path below /dev with "/" turned into "_".
    static QString lockPathFor(const QString& device, const QString& directory);
    /// The first writable of /var/lock and /run/lock, empty when neither is.
    static QString lockDirectory();

  private:
    QByteArray path_;
    int fd_ = -1; // the lock file, held with flock for as long as the lock is
};

} // namespace korvex
