// The event-driven reader of a running sequence.
#include "link/InputThread.h"

#include "link/LinkPort.h"

namespace korvex {

InputThread::InputThread(LinkPort& port, std::function<void()> check, QObject* parent)
    : QObject(parent), check_(std::move(check))
{
    deadline_.setSingleShot(true);
    // A coarse timer may wake up to 5 % (200 ms) after the reply limit.
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, &InputThread::wake);
    dataConnection_ = connect(&port, &LinkPort::dataArrived, this, &InputThread::wake);
}

InputThread::~InputThread()
{
    stop();
}

void InputThread::armDeadline(int msecs)
{
    if (running_)
        deadline_.start(msecs < 0 ? 0 : msecs);
}

void InputThread::disarmDeadline()
{
    deadline_.stop();
}

void InputThread::stop()
{
    running_ = false;
    deadline_.stop();
    QObject::disconnect(dataConnection_);
}

void InputThread::wake()
{
    if (running_ && check_)
        check_();
}

} // namespace korvex
