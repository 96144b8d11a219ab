// The QSerialPort port.
#include "link/QtSerialLinkPort.h"

#include "link/PortDevice.h"

#include <QMetaObject>
#include <utility>

namespace korvex {

QtSerialLinkPort::QtSerialLinkPort(QString device, QObject* parent) : LinkPort(parent), device_(std::move(device))
{
    connect(&serial_, &QSerialPort::readyRead, this, &QtSerialLinkPort::onReadyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialLinkPort::onError);
}

QtSerialLinkPort::~QtSerialLinkPort()
{
    serial_.close();
}

bool QtSerialLinkPort::open()
{
    close();
    // QSerialPort opens exclusively. The driver queue sizes are the system's; an unbounded
    // read buffer stands in for them. No read or write timeouts are set.
    serial_.setPortName(device_);
    accessDenied_ = false;
    if (!serial_.open(QIODevice::ReadWrite)) {
        // QSerialPort calls a device in use (its lock) a permission error too: only the system's
        // own refusal of this user is told as one.
        accessDenied_ = serial_.error() == QSerialPort::PermissionError && portAccessDenied(device_);
        errorText_ = accessDenied_ ? portPermissionAdvice(device_, false)
                                   : QStringLiteral("cannot open %1: %2").arg(device_, serial_.errorString());
        return false;
    }
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
    wakeLevel_ = 0;
    unannounced_ = false;
    return true;
}

void QtSerialLinkPort::close()
{
    serial_.close();
    unannounced_ = false;
}

void QtSerialLinkPort::purgeInput()
{
    if (serial_.isOpen())
        serial_.clear(QSerialPort::Input); // the driver's queue and QSerialPort's buffer
    unannounced_ = false;
}

int64_t QtSerialLinkPort::bytesWaiting()
{
    return serial_.isOpen() ? serial_.bytesAvailable() : 0;
}

bool QtSerialLinkPort::writeByte(uint8_t byte)
{
    if (!serial_.isOpen())
        return false;
    const char c = static_cast<char>(byte);
    if (serial_.write(&c, 1) != 1)
        return false;
    // Sent at once rather than at the next turn of the event loop; a line that is gone shows
    // here as an error, which closes the port.
    serial_.flush();
    return serial_.isOpen();
}

int64_t QtSerialLinkPort::read(uint8_t* dst, int64_t n)
{
    if (!serial_.isOpen() || n <= 0)
        return 0;
    const qint64 got = serial_.read(reinterpret_cast<char*>(dst), n);
    return got < 0 ? 0 : got;
}

bool QtSerialLinkPort::waitForData(int msecs)
{
    return serial_.isOpen() && serial_.waitForReadyRead(msecs);
}

void QtSerialLinkPort::setWakeLevel(int64_t waiting)
{
    wakeLevel_ = waiting;
    // Bytes that came under a higher level may already reach this one; told at the next turn
    // of the event loop, never inside the caller.
    if (unannounced_ && bytesWaiting() >= wakeLevel_) {
        unannounced_ = false;
        QMetaObject::invokeMethod(this, &LinkPort::dataArrived, Qt::QueuedConnection);
    }
}

void QtSerialLinkPort::onReadyRead()
{
    emptyReadErrors_ = 0;
    if (bytesWaiting() < wakeLevel_) {
        unannounced_ = true;
        return;
    }
    unannounced_ = false;
    emit dataArrived();
}

void QtSerialLinkPort::onError(QSerialPort::SerialPortError error)
{
    if (!serial_.isOpen())
        return;
    switch (error) {
    case QSerialPort::ResourceError: fail(QStringLiteral("device disconnected")); return;
    case QSerialPort::WriteError: fail(QStringLiteral("write failed (%1)").arg(serial_.errorString())); return;
    case QSerialPort::ReadError: {
        // A readiness notice queued for bytes that a purge has since discarded makes one read
        // come back empty, which QSerialPort reports as a read error: nothing is wrong with
        // the line. A line that is gone repeats the error at once, with no byte in between.
        constexpr int kEmptyReadsOfAHangUp = 8;
        if (++emptyReadErrors_ < kEmptyReadsOfAHangUp) {
            serial_.clearError();
            return;
        }
        fail(QStringLiteral("device disconnected"));
        return;
    }
    default: return;
    }
}

void QtSerialLinkPort::fail(const QString& cause)
{
    if (!serial_.isOpen())
        return;
    const QString text = QStringLiteral("%1: %2").arg(device_, cause);
    close();
    errorText_ = text;
    emit errorOccurred(text);
}

} // namespace korvex
