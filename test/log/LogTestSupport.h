// Shared pieces of the results log tests: a record with recognisable contents and entries of
// a known set.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QtTest/QTest>

#include "kinds/Verdict.h"
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

/// A log of tested ballasts (and one single run) whose statistics the ballast tests computed by
/// hand; written by the log's own writer.
/// Type T8-36W, lamp power 30..36 W (two-sided), power factor at least 0.9 (one-sided).
inline const char* const kBallastLimits =
    "[T8-36W]\nlamp_power_min = 30\nlamp_power_max = 36\npower_factor_min = 0.9\n";

struct BallastStep {
    int32_t kind;
    float value; // Pout of an output run, PF of an input run, the preheat energy (J) of an energy run
};

// A ballast entry and its step runs, written by the log's own writer.
inline void logBallast(QSqlDatabase& db, const char* serial, const char* type, qint64 at, korvex::VerdictResult verdict,
                       bool complete, const QStringList& failed, const std::vector<BallastStep>& steps)
{
    using namespace korvex;
    TestRecord r = sampleRecord(serial);
    storeText(r.infoType, type);
    LogEntry ballast = makeLogEntry(r, kBallastKind, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
    qint64 t = at - 100;
    for (const BallastStep& s : steps) {
        r.Pout = s.kind == KindOutput ? s.value : 0.0f;
        r.PF = s.kind == KindInput ? s.value : 0.0f;
        LogEntry run = makeLogEntry(r, s.kind, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
        run.loggedAtMs = t++;
        run.ballast = ballast.id;
        run.verdict = VerdictResult::Pass;
        if (s.kind == KindEnergy) {
            // Its checks as the log keeps them: Emin 10 J, Emax 15 J (F = 1.5).
            Verdict v;
            VerdictSection preheat;
            preheat.kind = SectionKind::PreheatEnergy;
            preheat.checks = {LimitCheck{CheckKind::PreheatMin, 0, s.value, 10.0, false},
                              LimitCheck{CheckKind::PreheatMax, 0, s.value, 15.0, true}};
            v.sections = {preheat};
            setVerdict(run, v);
        }
        QString error;
        ASSERT_TRUE(insertLogEntry(db, run, &error)) << error.toStdString();
    }
    ballast.loggedAtMs = at;
    ballast.startedAtMs = at - 100;
    ballast.plan = QStringLiteral("input, output");
    ballast.complete = complete;
    ballast.verdict = verdict;
    ballast.verdictDetails = QStringLiteral("{\"result\":\"x\",\"failed\":%1}")
                                 .arg(QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(failed)).toJson()));
    QString error;
    ASSERT_TRUE(insertLogEntry(db, ballast, &error)) << error.toStdString();
}

// By serial, in time order:
//   A: fail (lampPower.max, classC.h3), pass    first no,  final yes (a retest)
//   B: pass                                     first yes, final yes
//   C: incomplete after its input step (classC.h3)   first no, final no
//   D: fail (lampPower.max)                     first no,  final no
// ballasts 5, serials 4, retests 1; passed 2, failed 2, incomplete 1;
// first pass 1 of 4 = 25 %, final 2 of 4 = 50 %.
// Pareto: classC.h3 2 (A, C), lampPower.max 2 (A, D): a tie, by name.
// Pout of the output runs 37, 34, 33, 38 (C has none): mean 35.5, squares 2.25 + 2.25 + 6.25 +
//   6.25 = 17, sigma = sqrt(17 / 3) = 2.3804761; Cp = 6 / (6 sigma) = 0.4200840;
//   Cpk = (36 - 35.5) / (3 sigma) = 0.0700140.
// PF of the input runs 0.875, 0.9375, 1, 0.9375, 0.9375: mean 0.9375, squares 2 * 0.00390625,
//   sigma = sqrt(0.0078125 / 4) = 0.0441942; one-sided: no Cp, Cpk = 0.0375 / (3 sigma) = 0.2828427.
// Preheat energy of B and D 12 and 13 J against Emin 10, Emax 15: in units of Emin 1.2 and 1.3,
//   limits 1 and 1.5; mean 1.25, sigma = sqrt(2 * 0.05^2 / 1) = 0.0707107,
//   Cp = 0.5 / (6 sigma) = 1.1785113, Cpk = 0.25 / (3 sigma) = 1.1785113.
// Also in the log, and counted nowhere: a single run outside a plan; and E, of type T5-14W, which
// only a filter without a type sees (then the ballasts share no type: no limits); all at base + the
// times shown.
inline void writeCraftedBallastLog(const korvex::LogTarget& target, qint64 base = 0, bool otherType = true)
{
    using namespace korvex;
    LogConnection c;
    QString error;
    ASSERT_TRUE(c.open(target, false, &error)) << error.toStdString();
    QSqlDatabase db = c.db();
    const auto P = VerdictResult::Pass, F = VerdictResult::Fail, U = VerdictResult::NotJudged;
    logBallast(db, "A", "T8-36W", base + 1000, F, true, {"lampPower.max", "classC.h3"}, {{1, 0.875f}, {3, 37}});
    logBallast(db, "B", "T8-36W", base + 1500, P, true, {}, {{1, 1.0f}, {3, 33}, {6, 12.0f}});
    logBallast(db, "A", "T8-36W", base + 2000, P, true, {}, {{1, 0.9375f}, {3, 34}});
    logBallast(db, "C", "T8-36W", base + 2500, U, false, {"classC.h3"}, {{1, 0.9375f}});
    logBallast(db, "D", "T8-36W", base + 3000, F, true, {"lampPower.max"}, {{1, 0.9375f}, {3, 38}, {6, 13.0f}});
    if (otherType)
        logBallast(db, "E", "T5-14W", base + 3500, P, true, {}, {{1, 0.5f}, {3, 14}});
    ASSERT_TRUE(insertLogEntry(db, knownEntry(KindOutput, "A", base + 4000, 100.0f, true), &error))
        << error.toStdString();
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
