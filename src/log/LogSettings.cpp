// Reading the [log] section of the limits file.
#include "log/LogSettings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QSysInfo>

#include "kinds/VerdictProfile.h"

namespace korvex {

LogSettings readLogSettings(const QString& dir)
{
    LogSettings s;
    QFile f(QDir(dir).filePath(QLatin1String(kProfileFileName)));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return s;
    bool inLog = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inLog = line.mid(1, line.size() - 2).trimmed() == QLatin1String(kLogSectionName);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inLog || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed(); // a URL may hold '#': no trailing comments
        if (key == QLatin1String("database"))
            s.database = value;
        else if (key == QLatin1String("bench"))
            s.bench = value;
    }
    return s;
}

LogTarget configuredLogTarget(const QString& dir)
{
    return configuredLogTarget(dir, dir);
}

LogTarget configuredLogTarget(const QString& limitsDir, const QString& dataDir)
{
    const QString env = qEnvironmentVariable("KORVEX_DB");
    return LogTarget::parse(env.isEmpty() ? readLogSettings(limitsDir).database : env, dataDir);
}

QString configuredBenchName(const QString& dir)
{
    QString bench = qEnvironmentVariable("KORVEX_BENCH");
    if (bench.isEmpty())
        bench = readLogSettings(dir).bench;
    return bench.isEmpty() ? QSysInfo::machineHostName() : bench;
}

} // namespace korvex
