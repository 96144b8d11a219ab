// Shared pieces of the results log tests: a record with recognisable contents and entries of
// a known set.
#pragma once

#include <QString>
#include <QtTest/QTest>

#include "log/LogColumns.h"
#include "log/LogEntry.h"
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
