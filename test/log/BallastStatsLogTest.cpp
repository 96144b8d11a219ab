// The statistics of tested ballasts read from a crafted log, on an SQLite file, on a PostgreSQL
// server the test starts, and through 'korvex-cli log stats --json'; checked against figures
// computed by hand.
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>

#include "LogTestSupport.h"
#include "PgServer.h"
#include "kinds/BallastStats.h"
#include "kinds/VerdictProfile.h"
#include "log/LogBallasts.h"

using namespace korvex;

namespace {

// Type T8-36W, lamp power 30..36 W (two-sided), power factor at least 0.9 (one-sided).
const char* const kLimits = "[T8-36W]\nlamp_power_min = 30\nlamp_power_max = 36\npower_factor_min = 0.9\n";

struct Step {
    int32_t kind;
    float value; // Pout of an output run, PF of an input run
};

// A ballast entry and its step runs, written by the log's own writer.
void logBallast(QSqlDatabase& db, const char* serial, const char* type, qint64 at, VerdictResult verdict, bool complete,
                const QStringList& failed, const std::vector<Step>& steps)
{
    TestRecord r = sampleRecord(serial);
    storeText(r.infoType, type);
    LogEntry ballast = makeLogEntry(r, kBallastKind, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
    qint64 t = at - 100;
    for (const Step& s : steps) {
        r.Pout = s.kind == KindOutput ? s.value : 0.0f;
        r.PF = s.kind == KindInput ? s.value : 0.0f;
        LogEntry run = makeLogEntry(r, s.kind, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
        run.loggedAtMs = t++;
        run.ballast = ballast.id;
        run.verdict = VerdictResult::Pass;
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
// Also in the log, and counted nowhere: a single run outside a plan; and E, of type T5-14W, which
// only a filter without a type sees (then the ballasts share no type: no limits).
void writeCraftedLog(const LogTarget& target)
{
    LogConnection c;
    QString error;
    ASSERT_TRUE(c.open(target, false, &error)) << error.toStdString();
    QSqlDatabase db = c.db();
    const auto P = VerdictResult::Pass, F = VerdictResult::Fail, U = VerdictResult::NotJudged;
    logBallast(db, "A", "T8-36W", 1000, F, true, {"lampPower.max", "classC.h3"}, {{1, 0.875f}, {3, 37}});
    logBallast(db, "B", "T8-36W", 1500, P, true, {}, {{1, 1.0f}, {3, 33}});
    logBallast(db, "A", "T8-36W", 2000, P, true, {}, {{1, 0.9375f}, {3, 34}});
    logBallast(db, "C", "T8-36W", 2500, U, false, {"classC.h3"}, {{1, 0.9375f}});
    logBallast(db, "D", "T8-36W", 3000, F, true, {"lampPower.max"}, {{1, 0.9375f}, {3, 38}});
    logBallast(db, "E", "T5-14W", 3500, P, true, {}, {{1, 0.5f}, {3, 14}});
    ASSERT_TRUE(insertLogEntry(db, knownEntry(KindOutput, "A", 4000, 100.0f, true), &error)) << error.toStdString();
}

void expectTheCraftedFigures(const LogTarget& target)
{
    const ProfileParse limits = parseProfiles(kLimits);
    ASSERT_TRUE(limits.ok) << limits.error;
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(target, &error)) << error.toStdString();
    LogFilter f;
    f.type = QStringLiteral("T8-*");
    f.verdict = LogFilter::Verdict::Pass; // selects runs, never ballasts
    LogBallasts b;
    ASSERT_TRUE(q.ballasts(f, limits.set, b, &error)) << error.toStdString();
    EXPECT_EQ(b.profile.toStdString(), "T8-36W");
    const BallastStats s = computeBallastStats(b.outcomes, b.limits);
    const YieldFigures& y = s.yield;
    EXPECT_EQ(std::vector<int>(
                  {y.ballasts, y.serials, y.retests, y.passed, y.failed, y.incomplete, y.firstPass, y.finalPass}),
              std::vector<int>({5, 4, 1, 2, 2, 1, 1, 2}));
    ASSERT_EQ(s.pareto.size(), 2u);
    EXPECT_EQ(s.pareto[0].check, "classC.h3");
    EXPECT_EQ(s.pareto[1].check, "lampPower.max");
    EXPECT_EQ(s.pareto[0].ballasts + s.pareto[1].ballasts, 4);
    const auto capability = [&s](const char* name) {
        for (const Capability& c : s.capability)
            if (c.value == name)
                return c;
        ADD_FAILURE() << "no capability of " << name;
        return Capability{};
    };
    const Capability pout = capability("Pout");
    EXPECT_EQ(pout.count, 4);
    EXPECT_NEAR(pout.sigma.value_or(0), 2.3804761, 1e-6);
    EXPECT_NEAR(pout.cp.value_or(0), 0.4200840, 1e-6);
    EXPECT_NEAR(pout.cpk.value_or(0), 0.0700140, 1e-6);
    const Capability pf = capability("PF");
    EXPECT_EQ(pf.count, 5);
    EXPECT_FALSE(pf.cp.has_value());
    EXPECT_NEAR(pf.cpk.value_or(0), 0.2828427, 1e-6);

    // Without a type the ballasts are of two types: counted, but judged against no limits.
    LogBallasts all;
    ASSERT_TRUE(q.ballasts(LogFilter{}, limits.set, all, &error)) << error.toStdString();
    EXPECT_EQ(all.outcomes.size(), 6u);
    EXPECT_TRUE(all.limits.empty());
    EXPECT_TRUE(all.profile.isEmpty());
    EXPECT_EQ(all.types.size(), 2);
}

} // namespace

TEST(BallastStatsLog, yieldParetoAndCapabilityOfACraftedSqliteLogAndTheToolsJson)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("log.db"));
    const LogTarget target = LogTarget::parse(db, dir.path());
    writeCraftedLog(target);
    expectTheCraftedFigures(target);

    const QString limits = dir.filePath(QStringLiteral("limits.ini"));
    QFile file(limits);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kLimits);
    file.close();
    QProcess p;
    p.start(QStringLiteral(KORVEX_CLI_PATH),
            {"log", "stats", "--json", "--db", db, "--limits", limits, "--type", "T8-36W", "--since", "1970-01-01"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_EQ(o.value(QStringLiteral("count")).toInt(), 10); // the runs as before: 9 steps and the single run
    const QJsonObject s = o.value(QStringLiteral("ballastStats")).toObject();
    EXPECT_EQ(s.value(QStringLiteral("first_pass_yield")).toDouble(), 0.25);
    EXPECT_EQ(s.value(QStringLiteral("final_yield")).toDouble(), 0.5);
    EXPECT_EQ(s.value(QStringLiteral("pareto")).toArray().at(1).toObject().value(QStringLiteral("check")).toString(),
              QStringLiteral("lampPower.max"));
    bool sawPout = false;
    for (const QJsonValue& v : s.value(QStringLiteral("capability")).toArray())
        if (v.toObject().value(QStringLiteral("value")).toString() == QStringLiteral("Pout")) {
            sawPout = true;
            EXPECT_EQ(v.toObject().value(QStringLiteral("count")).toInt(), 4);
            EXPECT_NEAR(v.toObject().value(QStringLiteral("cpk")).toDouble(), 0.0700140, 1e-6);
        }
    EXPECT_TRUE(sawPout);
    EXPECT_EQ(o.value(QStringLiteral("limitsProfile")).toString(), QStringLiteral("T8-36W"));

    // Ballasts of two types: no limits, and the tool says why.
    p.start(QStringLiteral(KORVEX_CLI_PATH), {"log", "stats", "--db", db, "--limits", limits, "--since", "1970-01-01"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.readAllStandardOutput().indexOf("No limits: ballasts of several types"), -1);
}

TEST(BallastStatsLog, theSameFiguresFromAPostgresqlServer)
{
    PgServer pg;
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    QTemporaryDir bench;
    const LogTarget target = LogTarget::parse(pg.url(), bench.path());
    writeCraftedLog(target);
    expectTheCraftedFigures(target);
}
