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

void expectTheCraftedFigures(const LogTarget& target)
{
    const ProfileParse limits = parseProfiles(kBallastLimits);
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
    const Capability preheat = capability("preheatEnergy/Emin");
    EXPECT_EQ(preheat.count, 2);
    EXPECT_EQ(preheat.limits.upper.value_or(0), 1.5);
    EXPECT_NEAR(preheat.cp.value_or(0), 1.1785113, 1e-6);
    EXPECT_NEAR(preheat.cpk.value_or(0), 1.1785113, 1e-6);

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
    writeCraftedBallastLog(target);
    expectTheCraftedFigures(target);

    const QString limits = dir.filePath(QStringLiteral("limits.ini"));
    QFile file(limits);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kBallastLimits);
    file.close();
    QProcess p;
    p.start(QStringLiteral(KORVEX_CLI_PATH),
            {"log", "stats", "--json", "--db", db, "--limits", limits, "--type", "T8-36W", "--since", "1970-01-01"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_EQ(o.value(QStringLiteral("count")).toInt(), 12); // the runs as before: 11 steps and the single run
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
    writeCraftedBallastLog(target);
    expectTheCraftedFigures(target);
}
