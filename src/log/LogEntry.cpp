// Building a log entry from the record.
#include "log/LogEntry.h"

#include <QtCore/QDateTime>
#include <QtCore/QSysInfo>
#include <QtCore/QUuid>

#include "kinds/VerdictNames.h"
#include "kinds/VerdictOutput.h"
#include "log/LogColumns.h"
#include "record/DataFile.h"
#include "record/TextCodec.h"

#ifndef KORVEX_VERSION
#define KORVEX_VERSION "unknown"
#endif

namespace korvex {

LogEntry makeLogEntry(const TestRecord& r, int32_t kind, const LogSource& source, int seriesRuns)
{
    LogEntry e;
    e.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    e.loggedAtMs = QDateTime::currentMSecsSinceEpoch();
    e.bench = source.bench;
    e.port = source.port;
    e.kind = kind;
    e.seriesRuns = seriesRuns;
    for (const LogTextColumn& t : logTextColumns())
        e.texts << QString::fromStdString(cp936ToUtf8(fieldText(t.at(r), size_t(t.size))));
    e.values.reserve(logValueColumns().size());
    for (const LogValueColumn& c : logValueColumns())
        e.values.push_back(r.*(c.field));
    e.programVersion = programVersion();
    const std::vector<uint8_t> image = encodeDataFile(r);
    e.record = QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    return e;
}

VerdictResult verdictResultOf(const QString& key, bool isNull)
{
    if (isNull)
        return VerdictResult::NoChecks;
    for (const VerdictResult r : {VerdictResult::Pass, VerdictResult::Fail, VerdictResult::NoChecks})
        if (key == QLatin1String(resultKey(r)))
            return r;
    return VerdictResult::NotJudged;
}

void setVerdict(LogEntry& entry, const Verdict& verdict)
{
    entry.verdict = verdict.result();
    entry.verdictDetails = QString::fromStdString(verdictJson(verdict));
}

QString defaultBenchName()
{
    const QString set = qEnvironmentVariable("KORVEX_BENCH");
    return set.isEmpty() ? QSysInfo::machineHostName() : set;
}

QString programVersion()
{
    return QStringLiteral(KORVEX_VERSION);
}

} // namespace korvex
