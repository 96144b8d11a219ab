// Which device a configured port name ("COM1".."COM4") stands for on this platform.
#pragma once

#include <QString>

namespace korvex {

/// On Linux "COMn" is the device named by the environment variable KORVEX_COMn when that is
/// set (a device path, a pseudo-terminal, or "sim" for the simulated instrument), otherwise
/// /dev/ttyS(n-1). Other names, and every name on Windows, are used as they stand.
QString resolvePortDevice(const QString& comName);

} // namespace korvex
