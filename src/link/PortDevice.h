// Which device a configured port name ("COM1".."COM4") stands for on this platform.
#pragma once

#include <QString>

namespace korvex {

/// On Linux "COMn" is the device named by the environment variable KORVEX_COMn when that is
/// set (a device path, a pseudo-terminal, or "sim" for the simulated instrument), otherwise
/// /dev/ttyS(n-1). Other names, and every name on Windows, are used as they stand.
QString resolvePortDevice(const QString& comName);

/// The path a port's device name stands for: on POSIX a bare name ("ttyUSB0", "pts/3") is
/// the device of that name under /dev; other names are used as they stand.
QString portDevicePath(const QString& device);

/// True when the system refuses this user the right to read and write device ("permission
/// denied"); false when it may, and for any other outcome (a device that is missing, say).
/// For ports whose own open cannot tell a refusal from other faults.
bool portAccessDenied(const QString& device);

/// For a port this user may not use: says so and how to get the right (join the group the
/// device grants it to, on Debian dialout, then log in again), in Chinese or English.
QString portPermissionAdvice(const QString& device, bool chinese);

} // namespace korvex
