// Which device a configured port name ("COM1".."COM4") stands for on this platform.
#pragma once

#include <QString>

namespace korvex {

/// On Linux "COMn" is the device named by the environment variable KORVEX_COMn when that is
/// set (a device path, a pseudo-terminal, or "sim" for the simulated instrument), otherwise
/// /dev/ttyS(n-1). Other names, and every name on Windows, are used as they stand.
QString resolvePortDevice(const QString& comName);

/// When this user may not read and write device (the system refuses with "permission
/// denied"), says so and how to get the right: join the group the device grants it to (on
/// Debian dialout), then log in again, in Chinese or English. Empty for any other outcome.
QString portPermissionAdvice(const QString& device, bool chinese);

} // namespace korvex
