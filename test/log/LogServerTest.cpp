// The results log on a PostgreSQL server started by the test: a server that goes away during
// a series loses and duplicates nothing.
#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "PgServer.h"
#include "log/LogDatabase.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"

using namespace korvex;

namespace {

QSet<QString> idsOnServer(const LogTarget& target)
{
    LogQuery q;
    QString error;
    std::vector<LogEntry> all;
    EXPECT_TRUE(q.open(target, &error)) << error.toStdString();
    EXPECT_TRUE(q.list(LogFilter{}, 0, all, &error)) << error.toStdString();
    QSet<QString> ids;
    for (const LogEntry& e : all)
        ids << e.id;
    EXPECT_EQ(qsizetype(all.size()), ids.size()) << "an id stored twice";
    return ids;
}

TEST(LogServer, aServerStoppedDuringASeriesLosesAndDuplicatesNothing)
{
    PgServer pg;
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    QTemporaryDir bench;
    const LogTarget target = LogTarget::parse(pg.url(), bench.path());
    ASSERT_TRUE(target.isServer());

    ResultsLog log(target);
    log.setRetryInterval(200);
    QSet<QString> logged, submitted;
    int queued = 0;
    QObject::connect(&log, &ResultsLog::logged, [&](const QString& id) { logged << id; });
    QObject::connect(&log, &ResultsLog::queued, [&] { ++queued; });
    QString problem;
    QObject::connect(&log, &ResultsLog::problem, [&](const QString& text) { problem = text; });
    QList<int> forwarded;
    QObject::connect(&log, &ResultsLog::forwarded, [&](int n) { forwarded << n; });
    auto submit = [&](int n) {
        const LogEntry e = knownEntry(KindInput, qPrintable(QStringLiteral("SN-%1").arg(n, 4, 10, QLatin1Char('0'))),
                                      QDateTime::currentMSecsSinceEpoch(), 36.0f + float(n) / 10, true);
        submitted << e.id;
        log.submit(e);
    };
    for (int n = 1; n <= 3; ++n)
        submit(n);
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged.size() == 3; }, 20000)) << problem.toStdString();

    ASSERT_TRUE(pg.stop()) << pg.error().toStdString();
    for (int n = 4; n <= 6; ++n)
        submit(n);
    ASSERT_TRUE(QTest::qWaitFor([&] { return queued == 6 && log.waiting() == 3; }, 20000)) << log.waiting();
    EXPECT_EQ(logged.size(), 3);
    EXPECT_TRUE(problem.contains(QStringLiteral("cannot be reached"))) << problem.toStdString();

    ASSERT_TRUE(pg.start()) << pg.error().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged.size() == 6 && log.waiting() == 0; }, 20000)) << log.waiting();
    EXPECT_EQ(forwarded, QList<int>{3}); // said once, when the server took the three that waited
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    EXPECT_EQ(log.close(), 0);
    EXPECT_EQ(idsOnServer(target), submitted);

    // An entry that reached the server but stayed in the queue (the bench stopped between the
    // two commits) is forwarded again and stored once.
    const LogEntry twice = knownEntry(KindOutput, "SN-0007", QDateTime::currentMSecsSinceEpoch(), 40.0f, false);
    {
        LogConnection server, queue;
        QString error;
        ASSERT_TRUE(server.open(target, false, &error)) << error.toStdString();
        ASSERT_TRUE(queue.open(target, true, &error)) << error.toStdString();
        QSqlDatabase s = server.db(), q = queue.db();
        ASSERT_TRUE(insertLogEntry(s, twice, &error));
        ASSERT_TRUE(insertLogEntry(q, twice, &error));
    }
    submitted << twice.id;
    ResultsLog again(target);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.waiting() == 0; }, 20000));
    EXPECT_EQ(again.close(), 0);
    EXPECT_EQ(idsOnServer(target), submitted);

    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(target, &error));
    const std::optional<LogEntry> back = q.entry(twice.id, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->record, twice.record); // the image crosses the queue and the server intact
    EXPECT_EQ(back->verdict, VerdictResult::Fail);

    // The server computes the statistics: Pin of the six input runs 36.1 .. 36.6 W only.
    LogStats stats;
    ASSERT_TRUE(q.stats(LogFilter{}, {findLogValue("Pin")}, stats, &error)) << error.toStdString();
    EXPECT_EQ(stats.count, 7);
    EXPECT_EQ(stats.passed, 6);
    EXPECT_EQ(stats.values[0].count, 6);
    EXPECT_NEAR(stats.values[0].mean, 36.35, 1e-5);
    EXPECT_NEAR(stats.values[0].sigma, 0.187083, 1e-5);
    EXPECT_NEAR(stats.values[0].min, 36.1, 1e-5);
    EXPECT_NEAR(stats.values[0].max, 36.6, 1e-5);
}

TEST(LogServer, theFirstEntryAfterARestartReachesTheServerWithoutAComplaint)
{
    PgServer pg;
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    QTemporaryDir bench;
    const LogTarget target = LogTarget::parse(pg.url(), bench.path());
    ResultsLog log(target);
    log.setRetryInterval(3600 * 1000); // no timed retry: what happens, happens with the entry
    QStringList logged, problems;
    QObject::connect(&log, &ResultsLog::logged, [&](const QString& id) { logged << id; });
    QObject::connect(&log, &ResultsLog::problem, [&](const QString& text) {
        if (!text.isEmpty())
            problems << text;
    });
    log.submit(knownEntry(KindInput, "SN-0001", QDateTime::currentMSecsSinceEpoch(), 36.0f, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged.size() == 1; }, 20000)) << problems.join(' ').toStdString();

    // The server restarts between two runs: the writer's connection went with the old server.
    ASSERT_TRUE(pg.stop()) << pg.error().toStdString();
    ASSERT_TRUE(pg.start()) << pg.error().toStdString();
    log.submit(knownEntry(KindInput, "SN-0002", QDateTime::currentMSecsSinceEpoch(), 36.5f, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged.size() == 2; }, 20000)) << problems.join(' ').toStdString();
    EXPECT_TRUE(problems.isEmpty()) << problems.join(' ').toStdString();
    EXPECT_EQ(log.close(), 0);
}

TEST(LogServer, serialPatternsFollowTheSameRuleAsOnSqlite)
{
    PgServer pg;
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    QTemporaryDir bench;
    expectTheSerialPatternRule(LogTarget::parse(pg.url(), bench.path()));
}

} // namespace
