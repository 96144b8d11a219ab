// The results log's target and bench from the limits file and the environment.
#include "log/LogSettings.h"

#include <QtCore/QSysInfo>

namespace korvex {

LogTarget logTargetOf(const LimitsFile& limits, const QString& dir)
{
    const QString env = qEnvironmentVariable("KORVEX_DB");
    LogTarget t = LogTarget::parse(env.isEmpty() ? limits.log.database : env, dir);
    if (!limits.logUsable)
        t.unusable =
            QStringLiteral("named in %1: %2; the runs are held until the file is fixed").arg(limits.path, limits.fault);
    return t;
}

QString benchNameOf(const LimitsFile& limits)
{
    QString bench = qEnvironmentVariable("KORVEX_BENCH");
    if (bench.isEmpty() && limits.logUsable)
        bench = limits.log.bench;
    return bench.isEmpty() ? QSysInfo::machineHostName() : bench;
}

QString configuredBenchName(const QString& dir)
{
    return benchNameOf(readLimitsFile(limitsFilePath(dir), false));
}

} // namespace korvex
