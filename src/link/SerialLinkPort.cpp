// The QSerialPort port.
#include "link/SerialLinkPort.h"

#include "link/PortDevice.h"

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <utility>

namespace korvex {

SerialLinkPort::SerialLinkPort(QString device, QObject* parent) : LinkPort(parent), device_(std::move(device))
{
    connect(&serial_, &QSerialPort::readyRead, this, &SerialLinkPort::onReadyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this, &SerialLinkPort::onError);
    quiet_.setSingleShot(true);
    quiet_.setTimerType(Qt::PreciseTimer);
    connect(&quiet_, &QTimer::timeout, this, [this] { endQuiet(true); });
}

SerialLinkPort::~SerialLinkPort()
{
    serial_.close();
}

bool SerialLinkPort::open()
{
    close();
    // The name is used as given: pseudo-terminals are not in QSerialPortInfo's list, so the
    // port is never checked against it. QSerialPort opens exclusively (lock file and TIOCEXCL).
    serial_.setPortName(device_);
    if (!serial_.open(QIODevice::ReadWrite)) {
        const QString denied = portPermissionAdvice(device_, false);
        errorText_ =
            denied.isEmpty() ? QStringLiteral("cannot open %1: %2").arg(device_, serial_.errorString()) : denied;
        return false;
    }
    // Only the line settings change; QSerialPort keeps no read or write timeouts. The driver
    // queue sizes cannot be set on POSIX; an unbounded Qt read buffer stands in for them.
    serial_.setReadBufferSize(0);
    if (!serial_.setBaudRate(QSerialPort::Baud19200) || !serial_.setDataBits(QSerialPort::Data8) ||
        !serial_.setParity(QSerialPort::NoParity) || !serial_.setStopBits(QSerialPort::OneStop)) {
        errorText_ = QStringLiteral("cannot configure %1: %2").arg(device_, serial_.errorString());
        serial_.close();
        return false;
    }
    serial_.clearError();
    errorText_.clear();
    emptyReadErrors_ = 0;
    minimumBytes_ = 0; // as QSerialPort sets the line up
    return true;
}

void SerialLinkPort::close()
{
    quiet_.stop();
    serial_.close();
    received_.clear();
}

void SerialLinkPort::purgeInput()
{
    if (serial_.isOpen())
        serial_.clear(QSerialPort::Input); // the kernel queue and Qt's buffer
    received_.clear();
    setWakeLevel(0);
}

int64_t SerialLinkPort::bytesWaiting()
{
    return serial_.isOpen() ? received_.size() + serial_.bytesAvailable() : 0;
}

bool SerialLinkPort::writeByte(uint8_t byte)
{
    if (!serial_.isOpen())
        return false;
    const char c = static_cast<char>(byte);
#ifndef Q_OS_WIN
    // Straight to the descriptor when nothing waits before it: QSerialPort would turn its write
    // notifier on for the byte, and the thread would wake once more only to learn it was sent.
    if (serial_.bytesToWrite() == 0) {
        ssize_t written = 0;
        do
            written = ::write(static_cast<int>(serial_.handle()), &c, 1);
        while (written < 0 && errno == EINTR);
        if (written == 1)
            return true;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(lineHungUp() ? QStringLiteral("device disconnected")
                              : QStringLiteral("write failed (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        // No room in the driver: QSerialPort keeps the byte and sends it when there is.
    }
#endif
    const bool ok = serial_.write(&c, 1) == 1;
    serial_.flush();
    return ok;
}

int64_t SerialLinkPort::read(uint8_t* dst, int64_t n)
{
    if (!serial_.isOpen() || n <= 0)
        return 0;
    takeQtBuffer();
    const qsizetype count = std::min<qsizetype>(n, received_.size());
    std::copy_n(received_.constData(), count, reinterpret_cast<char*>(dst));
    received_.remove(0, count);
    return count;
}

void SerialLinkPort::takeQtBuffer()
{
    if (serial_.bytesAvailable() > 0)
        received_.append(serial_.readAll());
}

void SerialLinkPort::collectInput()
{
    takeQtBuffer();
    drainDescriptor();
}

void SerialLinkPort::drainDescriptor()
{
#ifndef Q_OS_WIN
    const int fd = static_cast<int>(serial_.handle());
    int queued = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &queued) < 0)
        return;
    // The read stops at what was counted: QSerialPort's notifier learns of anything later
    // through poll, and a hang-up is left for it to find.
    while (queued > 0) {
        char piece[256];
        const ssize_t got = ::read(fd, piece, std::min<size_t>(sizeof piece, size_t(queued)));
        if (got <= 0)
            return;
        received_.append(piece, qsizetype(got));
        queued -= int(got);
    }
#endif
}

bool SerialLinkPort::waitForData(int msecs)
{
    if (!serial_.isOpen())
        return false;
    setWakeLevel(0); // any byte ends the wait
    return serial_.waitForReadyRead(msecs);
}

void SerialLinkPort::setWakeLevel(int64_t waiting)
{
#ifndef Q_OS_WIN
    // The terminal driver's poll reports data only once VMIN bytes are queued (non-canonical
    // input without a VTIME), while a non-blocking read still returns whatever is there. So
    // QSerialPort's notifier reports a block at every 255th byte (VMIN is one byte) and at its
    // last, not at every chunk the adapter hands over; a hang-up it reports at once. The bytes
    // read already count towards the level.
    if (!serial_.isOpen())
        return;
    const int64_t more = waiting - bytesWaiting();
    if (more > 1)
        beginQuiet(more);
    else
        endQuiet(false);
    constexpr int64_t kMostPerWake = 255;
    const int minimum = more > 1 ? int(std::min(more, kMostPerWake)) : 0;
    if (minimum == minimumBytes_)
        return;
    const int fd = static_cast<int>(serial_.handle());
    termios line{};
    if (fd < 0 || ::tcgetattr(fd, &line) != 0)
        return;
    line.c_cc[VMIN] = static_cast<cc_t>(minimum);
    line.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &line) == 0)
        minimumBytes_ = minimum;
#else
    (void)waiting;
#endif
}

QSocketNotifier* SerialLinkPort::qtReadNotifier()
{
    // QSerialPort reads through a socket notifier it keeps as a child; without one (another
    // version of Qt) the port simply goes on watching the line.
    const auto notifiers = serial_.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier* n : notifiers)
        if (n->type() == QSocketNotifier::Read && n->socket() == qintptr(serial_.handle()))
            return n;
    return nullptr;
}

void SerialLinkPort::beginQuiet(int64_t more)
{
#ifndef Q_OS_WIN
    // A thread that watches a terminal is woken at every chunk the adapter hands over (every
    // 16 ms or so), whatever VMIN says: VMIN only decides whether poll then reports it. The
    // bytes cannot come faster than the line carries them, so for a block well on its way
    // the line is left unwatched until they can be there. A hang-up found then is reported
    // then: at most a quarter of a second late.
    constexpr int64_t kBytesPerSecond = 1920; // 19200 baud, 10 bits a byte
    constexpr int64_t kLeastQuietMs = 40;     // shorter waits are left to VMIN
    constexpr int64_t kMostQuietMs = 250;
    if (quiet_.isActive())
        return;
    const int64_t lineMs = more * 1000 / kBytesPerSecond;
    if (lineMs < kLeastQuietMs)
        return;
    QSocketNotifier* notifier = qtReadNotifier();
    if (!notifier || !notifier->isEnabled())
        return;
    notifier->setEnabled(false);
    quiet_.start(int(std::min(lineMs, kMostQuietMs)));
#else
    (void)more;
#endif
}

void SerialLinkPort::endQuiet(bool readNow)
{
    if (!quiet_.isActive() && !readNow)
        return;
    quiet_.stop();
    if (QSocketNotifier* notifier = qtReadNotifier())
        notifier->setEnabled(true);
    if (!readNow)
        return;
    const int64_t before = bytesWaiting();
    collectInput();
    if (bytesWaiting() > before)
        emit dataArrived(); // the reader sets its level again, which may begin another quiet
}

void SerialLinkPort::onReadyRead()
{
    emptyReadErrors_ = 0;
    // With VMIN above 64, Linux hands a read over in pieces of 64 bytes, and QSerialPort reads
    // once per notice: the rest of the queue would stay below VMIN, unannounced. So what the
    // driver holds is read here, behind QSerialPort's own buffer, which keeps the order.
    collectInput();
    emit dataArrived();
}

bool SerialLinkPort::lineHungUp() const
{
#ifdef Q_OS_WIN
    return false;
#else
    const int fd = static_cast<int>(serial_.handle());
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false; // interrupted; the next error looks again
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
        return true;
    int waiting = 0;
    return ::ioctl(fd, FIONREAD, &waiting) < 0;
#endif
}

void SerialLinkPort::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError && error != QSerialPort::WriteError)
        return;
    if (!serial_.isOpen())
        return;
    // A readiness notice queued for bytes that a purge has since discarded makes the next
    // read come back empty, and QSerialPort reports that as a ReadError carrying whatever
    // errno was left over. Nothing is wrong with the line then: ignore it. A real hang-up
    // shows in the descriptor, or as read errors that keep coming with no data (QSerialPort
    // repeats them in a busy loop), so those close the port on the spot.
    constexpr int kEmptyReadsOfAHangUp = 8;
    if (error == QSerialPort::ReadError && !lineHungUp() && ++emptyReadErrors_ < kEmptyReadsOfAHangUp) {
        serial_.clearError();
        return;
    }
    fail(error == QSerialPort::WriteError && !lineHungUp()
             ? QStringLiteral("write failed (%1)").arg(serial_.errorString())
             : QStringLiteral("device disconnected"));
}

void SerialLinkPort::fail(const QString& cause)
{
    const QString text = QStringLiteral("%1: %2").arg(device_, cause);
    close();
    errorText_ = text;
    emit errorOccurred(text);
}

} // namespace korvex
