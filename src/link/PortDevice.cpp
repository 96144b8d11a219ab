// Port name resolution.
#include "link/PortDevice.h"

#include <QFile>
#include <QRegularExpression>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvex {

QString portDevicePath(const QString& device)
{
#ifdef Q_OS_UNIX
    // A bare name ("ttyUSB0", "pts/3") means the device of that name under /dev.
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
#else
    return device;
#endif
}

QString resolvePortDevice(const QString& comName)
{
#ifdef Q_OS_WIN
    return comName;
#else
    static const QRegularExpression comPattern(QStringLiteral("^COM([1-9][0-9]?)$"));
    const QRegularExpressionMatch m = comPattern.match(comName);
    if (!m.hasMatch())
        return comName;
    const QByteArray variable = "KORVEX_" + comName.toLatin1();
    QString overridden = qEnvironmentVariable(variable.constData());
    if (!overridden.isEmpty())
        return overridden;
    return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
#endif
}

bool portAccessDenied(const QString& device)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(portDevicePath(device));
    return ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    Q_UNUSED(device);
    return false;
#endif
}

QString portPermissionAdvice(const QString& device, bool chinese)
{
    const QString where = portDevicePath(device);
#ifdef Q_OS_UNIX
    // The group the device lets read and write; serial ports on Debian belong to dialout, and
    // that is the advice when the device grants no group the right.
    const QByteArray path = QFile::encodeName(where);
    QString group = QStringLiteral("dialout");
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) &&
        st.st_gid != 0) {
        if (const struct group* g = ::getgrgid(st.st_gid))
            group = QString::fromLocal8Bit(g->gr_name);
    }
    const struct passwd* pw = ::getpwuid(::geteuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : qEnvironmentVariable("USER");
#else
    const QString group = QStringLiteral("dialout");
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    const QString command = QStringLiteral("sudo adduser %1 %2").arg(user, group);
    if (chinese)
        return QStringLiteral("用户 %1 无权使用 %2：请将该用户加入 %3 组（%4），然后重新登录")
            .arg(user, where, group, command);
    return QStringLiteral("user %1 has no permission to use %2: add the user to the group %3 (%4), then log in again")
        .arg(user, where, group, command);
}

} // namespace korvex
