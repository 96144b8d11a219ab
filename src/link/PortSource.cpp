// The source of the controller's ports.
#include "link/PortSource.h"

#include <utility>

#include "link/PortDevice.h"
#include "link/SerialPortFactory.h"

namespace korvex {

PortSource::PortSource() : factory_(makeSerialPort) {}

PortSource::PortSource(Factory factory, QString device) : factory_(std::move(factory)), device_(std::move(device)) {}

QString PortSource::deviceFor(const QString& portName) const
{
    if (!device_.isEmpty())
        return device_;
    return resolvePortDevice(portName.isEmpty() ? QStringLiteral("COM1") : portName);
}

std::unique_ptr<LinkPort> PortSource::make(const QString& device) const
{
    return factory_ ? factory_(device) : nullptr;
}

} // namespace korvex
