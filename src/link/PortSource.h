// Where the controller's ports come from: the device a port name stands for, and the factory
// that makes a port for a device (the platform's serial port unless another is given).
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "link/LinkPort.h"

namespace korvex {

class PortSource {
  public:
    /// Makes a port for a device name; nullptr when it cannot.
    using Factory = std::function<std::unique_ptr<LinkPort>(const QString& device)>;

    /// The platform's serial ports (makeSerialPort), each port name standing for the device
    /// resolvePortDevice gives it.
    PortSource();
    /// Ports made by factory; a device given here is opened whatever the port name says.
    explicit PortSource(Factory factory, QString device = QString());

    /// The device a port name ("COM1".."COM4"; empty means COM1) stands for.
    QString deviceFor(const QString& portName) const;
    /// A new port for device, not yet open.
    std::unique_ptr<LinkPort> make(const QString& device) const;

  private:
    Factory factory_;
    QString device_;
};

} // namespace korvex
