// Port name resolution.
#include "link/PortDevice.h"

#include <QRegularExpression>
#include <QtGlobal>

namespace korvex {

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

} // namespace korvex
