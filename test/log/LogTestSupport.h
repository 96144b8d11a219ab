// Shared pieces of the results log tests: a record with recognisable contents and entries of
// a known set.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QtTest/QTest>

#include "log/LogColumns.h"
#include "log/LogDatabase.h"
#include "log/LogEntry.h"
#include "log/LogQuery.h"
#include "record/DataFile.h"
#include "record/TestRecord.h"
#include "record/TextCodec.h"

/// A comprehensive record with distinct values in every stored array and Chinese texts.
inline korvex::TestRecord sampleRecord(const char* serial = "SN-0042")
{
    using namespace korvex;
    TestRecord r;
    resetAllResults(r);
    r.currentTest = KindComprehensive;
    r.hasInputResult = r.hasPhaseResult = r.hasOutputResult = r.hasCompResult = 1;
    r.chinese = 1;
    r.Pin = 36.25f;
    r.PF = 0.987f;
    r.THDI = 9.5f;
    r.Ilcf = 1.41f;
    for (int i = 0; i < kDisplayPoints; ++i) {
        r.waveU[i] = float(i) * 0.5f - 50.0f;
        r.waveIl[i] = float(i % 17) / 7.0f;
    }
    for (int i = 0; i < kEnergySamples; ++i)
        r.waveEnergy[i] = float(i) / 1000.0f;
    storeText(r.infoNo, serial);
    storeText(r.infoType, "T8-36W");
    storeText(r.infoOperator, utf8ToCp936("张三"));
    storeText(r.testDate, "2024-5-1");
    return r;
}

/// An entry of a known kind, serial, time and verdict, with Pin, Pout and preheatEnergy set.
inline korvex::LogEntry knownEntry(int32_t kind, const char* serial, qint64 atMs, float pin, std::optional<bool> pass,
                                   const char* op = "Li")
{
    using namespace korvex;
    TestRecord r = sampleRecord(serial);
    r.currentTest = kind;
    r.Pin = pin;
    r.Pout = pin - 6.0f;
    r.preheatEnergy = pin / 10.0f;
    storeText(r.infoOperator, op);
    LogEntry e = makeLogEntry(r, kind, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
    e.loggedAtMs = atMs;
    e.verdict = !pass ? VerdictResult::NoChecks : *pass ? VerdictResult::Pass : VerdictResult::Fail;
    if (pass)
        e.verdictDetails = QStringLiteral("{\"limits\":[]}");
    return e;
}

inline QByteArray imageOf(const korvex::TestRecord& r)
{
    const std::vector<uint8_t> image = korvex::encodeDataFile(r);
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

inline float valueOf(const korvex::LogEntry& e, const char* name)
{
    const auto cols = korvex::logValueColumns();
    return e.values.at(size_t(korvex::findLogValue(name) - cols.data()));
}

#ifdef KORVEX_CLI_PATH
/// The runs of an SQLite log as another process lists them (the command-line tool); -1 when it
/// cannot list them.
inline int runsSeenByAnotherProcess(const QString& db)
{
    QProcess p;
    p.start(QStringLiteral(KORVEX_CLI_PATH), {"log", "list", "--json", "--db", db});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return int(QJsonDocument::fromJson(p.readAllStandardOutput()).array().size());
}
#endif

/// Serial patterns on a log, the same on every database: case counts, "*" and "?" are the only
/// wildcards, every other character ("%", "_", "[") stands for itself.
inline void expectTheSerialPatternRule(const korvex::LogTarget& target)
{
    using namespace korvex;
    {
        LogConnection c;
        QString error;
        ASSERT_TRUE(c.open(target, false, &error)) << error.toStdString();
        QSqlDatabase db = c.db();
        qint64 at = 1000;
        for (const char* serial : {"SN-0001", "sn-0001", "SN_0001", "SN%0001", "SN-0002", "SN[1]"})
            ASSERT_TRUE(insertLogEntry(db, knownEntry(KindInput, serial, at++, 36.0f, true), &error))
                << error.toStdString();
    }
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(target, &error)) << error.toStdString();
    const std::pair<const char*, const char*> cases[] = {
        {"SN-*", "SN-0001 SN-0002"},
        {"sn-*", "sn-0001"},
        {"sn-0001", "sn-0001"},
        {"SN?0001", "SN%0001 SN-0001 SN_0001"},
        {"*0001", "SN%0001 SN-0001 SN_0001 sn-0001"},
        {"SN_*", "SN_0001"},
        {"SN%*", "SN%0001"},
        {"SN[1]*", "SN[1]"},
        {"SN-000?", "SN-0001 SN-0002"},
    };
    for (const auto& [pattern, expected] : cases) {
        LogFilter f;
        f.serial = QString::fromLatin1(pattern);
        std::vector<LogEntry> out;
        EXPECT_TRUE(q.list(f, 0, out, &error)) << error.toStdString();
        QStringList serials;
        for (const LogEntry& e : out)
            serials << e.serial();
        serials.sort();
        EXPECT_EQ(serials.join(QLatin1Char(' ')).toStdString(), expected) << pattern;
    }
}
