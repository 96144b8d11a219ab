// The in-memory port.
#include "link/MemoryLinkPort.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <utility>

namespace korvex {

MemoryLinkPort::MemoryLinkPort(QString name, QObject* parent) : LinkPort(parent), name_(std::move(name)) {}

bool MemoryLinkPort::open()
{
    if (!present_) {
        errorText_ = QStringLiteral("device %1 is not present").arg(name_);
        open_ = false;
        return false;
    }
    open_ = true;
    rx_.clear();
    errorText_.clear();
    if (onOpen)
        onOpen();
    return true;
}

void MemoryLinkPort::close()
{
    open_ = false;
    rx_.clear();
    unannounced_ = false;
}

void MemoryLinkPort::purgeInput()
{
    rx_.clear();
    unannounced_ = false;
}

int64_t MemoryLinkPort::bytesWaiting()
{
    return rx_.size();
}

bool MemoryLinkPort::writeByte(uint8_t byte)
{
    if (!open_)
        return false;
    written_.append(static_cast<char>(byte));
    if (onWrite)
        onWrite(byte);
    return true;
}

int64_t MemoryLinkPort::read(uint8_t* dst, int64_t n)
{
    const int64_t count = std::min<int64_t>(n, rx_.size());
    std::memcpy(dst, rx_.constData(), size_t(count));
    rx_.remove(0, qsizetype(count));
    return count;
}

bool MemoryLinkPort::waitForData(int msecs)
{
    if (!rx_.isEmpty())
        return true;
    if (!open_)
        return false;
    const qsizetype before = rx_.size();
    if (onWait)
        onWait(msecs);
    else if (msecs > 0)
        QThread::msleep(static_cast<unsigned long>(msecs));
    return rx_.size() > before;
}

void MemoryLinkPort::setWakeLevel(int64_t waiting)
{
    if (waiting == wakeLevel_)
        return;
    wakeLevel_ = waiting;
    if (unannounced_ && rx_.size() >= wakeLevel_) {
        unannounced_ = false;
        QMetaObject::invokeMethod(this, &LinkPort::dataArrived, Qt::QueuedConnection);
    }
    if (onWakeLevelChanged)
        onWakeLevelChanged();
}

void MemoryLinkPort::deliver(const uint8_t* data, size_t n)
{
    if (!open_ || n == 0)
        return;
    rx_.append(reinterpret_cast<const char*>(data), qsizetype(n));
    unannounced_ = rx_.size() < wakeLevel_;
    if (!unannounced_)
        emit dataArrived();
}

void MemoryLinkPort::hangUp(const QString& text)
{
    if (!open_)
        return;
    close();
    errorText_ = text;
    emit errorOccurred(text);
}

} // namespace korvex
