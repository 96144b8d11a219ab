// The port on a real serial device (or pseudo-terminal) for this platform.
#pragma once

#include <QString>
#include <memory>

#include "link/LinkPort.h"

namespace korvex {

/// POSIX: a port that owns its descriptor and waits on the line in a thread of its own.
/// Windows: QSerialPort, through its documented interface.
std::unique_ptr<LinkPort> makeSerialPort(const QString& device);

} // namespace korvex
