// The platform's serial port.
#include "link/SerialPortFactory.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "link/QtSerialLinkPort.h"
#else
#include "link/PosixSerialLinkPort.h"
#endif

namespace korvex {

std::unique_ptr<LinkPort> makeSerialPort(const QString& device)
{
#ifdef Q_OS_WIN
    return std::make_unique<QtSerialLinkPort>(device);
#else
    return std::make_unique<PosixSerialLinkPort>(device);
#endif
}

} // namespace korvex
