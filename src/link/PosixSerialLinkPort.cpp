// The POSIX serial port.
#include "link/PosixSerialLinkPort.h"

#include "link/PortDevice.h"

#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace korvex {

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

/// Errors with which a terminal says that its line is gone (the other end of a
/// pseudo-terminal closed, a USB adapter pulled out).
bool lineGoneError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

// How long a command byte may wait for room in the driver before the write counts as failed.
constexpr int kWriteRoomMs = 100;

} // namespace

PosixSerialLinkPort::PosixSerialLinkPort(QString device, QObject* parent) : LinkPort(parent), device_(std::move(device))
{
}

PosixSerialLinkPort::~PosixSerialLinkPort()
{
    close();
}

bool PosixSerialLinkPort::open()
{
    close();
    errorText_.clear();
    accessDenied_ = false;
    path_ = portDevicePath(device_).toLocal8Bit();
    const QString shownPath = QString::fromLocal8Bit(path_);
    QString why;
    if (!lock_.acquire(shownPath, why)) {
        errorText_ = QStringLiteral("cannot open %1: %2").arg(device_, why);
        return false;
    }
    const int fd = ::open(path_.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A device this user may not use: say how to get the right rather than only "denied".
        accessDenied_ = errno == EACCES;
        errorText_ = accessDenied_ ? portPermissionAdvice(device_, false)
                                   : QStringLiteral("cannot open %1: %2").arg(device_, systemText(errno));
        lock_.release();
        return false;
    }
    fd_ = fd;
    if (!configureLine(why)) {
        errorText_ = QStringLiteral("cannot open %1: %2").arg(device_, why);
        close();
        return false;
    }
    if (::pipe(stopPipe_) != 0) {
        errorText_ = QStringLiteral("cannot open %1: %2").arg(device_, systemText(errno));
        close();
        return false;
    }
    for (const int end : stopPipe_)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    {
        const std::lock_guard lock(mutex_);
        received_.clear();
        wakeLevel_ = 0;
        unannounced_ = false;
        noticePending_ = false;
        lineLost_.clear();
    }
    watcher_ = std::thread([this] { watchLine(); });
    return true;
}

bool PosixSerialLinkPort::configureLine(QString& why)
{
    termios line{};
    if (::tcgetattr(fd_, &line) != 0) {
        why = QStringLiteral("not a serial device (%1)").arg(systemText(errno));
        return false;
    }
    // Exclusive: other programs that open the device find it busy (TIOCEXCL, which root
    // ignores) or locked (flock); the lock file is for those that look for one.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? QStringLiteral("in use by another program (the device is locked)")
                                   : systemText(errno);
        return false;
    }
    if (::ioctl(fd_, TIOCEXCL) != 0) {
        why = systemText(errno);
        return false;
    }
    earlier_ = line;
    restoreLine_ = true;
    // Raw bytes at 19200 baud, 8 data bits, no parity, 1 stop bit. No flow control of either
    // kind: the replies are binary, and XON/XOFF bytes occur among the samples.
    ::cfmakeraw(&line);
    line.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, B19200) != 0 || ::cfsetospeed(&line, B19200) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &line) != 0) {
        why = systemText(errno);
        return false;
    }
    // tcsetattr succeeds when any of the settings took: check the ones that matter.
    termios now{};
    if (::tcgetattr(fd_, &now) != 0 || ::cfgetispeed(&now) != B19200 || ::cfgetospeed(&now) != B19200 ||
        (now.c_cflag & (CSIZE | PARENB | CSTOPB)) != CS8) {
        why = QStringLiteral("the device does not take 19200 baud, 8 data bits, no parity, 1 stop bit");
        return false;
    }
    return true;
}

void PosixSerialLinkPort::stopWatching()
{
    if (watcher_.joinable()) {
        const char stop = 's';
        while (::write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        watcher_.join();
    }
    for (int& end : stopPipe_) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void PosixSerialLinkPort::close()
{
    stopWatching();
    if (fd_ >= 0) {
        if (restoreLine_)
            ::tcsetattr(fd_, TCSANOW, &earlier_); // fails harmlessly on a line that is gone
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    restoreLine_ = false;
    lock_.release();
    const std::lock_guard lock(mutex_);
    received_.clear();
    unannounced_ = false;
}

void PosixSerialLinkPort::watchLine()
{
    QByteArray piece(4096, Qt::Uninitialized);
    for (;;) {
        pollfd waits[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            const std::lock_guard lock(mutex_);
            lineLost_ = QStringLiteral("cannot watch the line (%1)").arg(systemText(errno));
            postNoticeLocked();
            return;
        }
        if (waits[1].revents != 0)
            return; // close() asks
        if (waits[0].revents == 0)
            continue;
        // Read with the mutex held: a purge then finds no byte between the driver and
        // received_, and what is read joins the queue in the order it came.
        const std::lock_guard lock(mutex_);
        bool gone = (waits[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        bool came = false;
        for (;;) {
            const ssize_t got = ::read(fd_, piece.data(), size_t(piece.size()));
            if (got > 0) {
                received_.append(piece.constData(), qsizetype(got));
                came = true;
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                gone = true; // end of file or an error: the line is gone
            break;
        }
        if (came) {
            arrived_.notify_all();
            unannounced_ = true;
        }
        if (gone) {
            lineLost_ = QStringLiteral("device disconnected");
            arrived_.notify_all();
            postNoticeLocked();
            return;
        }
        if (unannounced_ && received_.size() >= wakeLevel_)
            postNoticeLocked();
    }
}

void PosixSerialLinkPort::postNoticeLocked()
{
    unannounced_ = false;
    if (noticePending_)
        return;
    noticePending_ = true;
    QMetaObject::invokeMethod(this, &PosixSerialLinkPort::takeNotice, Qt::QueuedConnection);
}

void PosixSerialLinkPort::takeNotice()
{
    QString lost;
    {
        const std::lock_guard lock(mutex_);
        noticePending_ = false;
        lost = lineLost_;
    }
    if (fd_ < 0)
        return; // closed since the notice was posted
    if (!lost.isEmpty()) {
        // The bytes that came before the line was lost stay unread: the run they belong to
        // cannot complete, and a reopened port starts empty.
        fail(lost);
        return;
    }
    emit dataArrived();
}

void PosixSerialLinkPort::purgeInput()
{
    const std::lock_guard lock(mutex_);
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
    received_.clear();
    unannounced_ = false;
}

int64_t PosixSerialLinkPort::bytesWaiting()
{
    const std::lock_guard lock(mutex_);
    return received_.size();
}

int64_t PosixSerialLinkPort::read(uint8_t* dst, int64_t n)
{
    if (n <= 0)
        return 0;
    const std::lock_guard lock(mutex_);
    const qsizetype count = qsizetype(std::min<int64_t>(n, received_.size()));
    std::memcpy(dst, received_.constData(), size_t(count));
    received_.remove(0, count);
    return count;
}

bool PosixSerialLinkPort::writeByte(uint8_t byte)
{
    if (fd_ < 0)
        return false;
    const char c = static_cast<char>(byte);
    int error = 0;
    for (;;) {
        const ssize_t written = ::write(fd_, &c, 1);
        if (written == 1)
            return true;
        error = written < 0 ? errno : EIO;
        if (error == EINTR)
            continue;
        if (error != EAGAIN && error != EWOULDBLOCK)
            break;
        // The driver's transmit queue is full: wait a little for room, never for long.
        pollfd room{fd_, POLLOUT, 0};
        const int ready = ::poll(&room, 1, kWriteRoomMs);
        if (ready > 0 && (room.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            error = EIO;
            break;
        }
        if (ready == 0) {
            fail(QStringLiteral("write failed (the line took no byte within %1 ms)").arg(kWriteRoomMs));
            return false;
        }
    }
    fail(lineGoneError(error) ? QStringLiteral("device disconnected")
                              : QStringLiteral("write failed (%1)").arg(systemText(error)));
    return false;
}

bool PosixSerialLinkPort::waitForData(int msecs)
{
    std::unique_lock lock(mutex_);
    if (fd_ < 0)
        return false;
    const qsizetype before = received_.size();
    return arrived_.wait_for(lock, std::chrono::milliseconds(std::max(msecs, 0)), [&] {
        return received_.size() > before || !lineLost_.isEmpty();
    }) && received_.size() > before;
}

void PosixSerialLinkPort::setWakeLevel(int64_t waiting)
{
    const std::lock_guard lock(mutex_);
    wakeLevel_ = waiting;
    // Bytes that came under a higher level may already reach this one: announce them, or the
    // reader would wait for bytes that are here.
    if (fd_ >= 0 && unannounced_ && received_.size() >= wakeLevel_)
        postNoticeLocked();
}

void PosixSerialLinkPort::fail(const QString& cause)
{
    if (fd_ < 0)
        return;
    const QString text = QStringLiteral("%1: %2").arg(device_, cause);
    close();
    errorText_ = text;
    emit errorOccurred(text);
}

} // namespace korvex
