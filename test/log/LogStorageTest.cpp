// The results log on SQLite files: what goes in comes back exactly, filters and statistics of
// a known set.
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "kinds/VerdictOutput.h"
#include "log/LogDatabase.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"
#include "log/VerdictJson.h"

using namespace korvex;

namespace {

qint64 utc(const char* iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toMSecsSinceEpoch();
}

TEST(LogStorage, aLoggedRunIsReadableOnceReportedAndReopensBitForBit)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
    const TestRecord r = sampleRecord();
    const LogEntry e = makeLogEntry(r, KindComprehensive, LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});

    ResultsLog log(target);
    QStringList logged;
    QObject::connect(&log, &ResultsLog::logged, [&](const QString& id) { logged << id; });
    log.submit(e);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !logged.isEmpty(); }, 10000));
    EXPECT_EQ(logged, QStringList{e.id});

    // Reported as logged means committed: another connection sees it while the writer runs.
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(target, &error)) << error.toStdString();
    const std::optional<LogEntry> back = q.entry(e.id, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->record, imageOf(r));
    EXPECT_EQ(back->record.size(), 23129);
    EXPECT_EQ(back->kind, KindComprehensive);
    EXPECT_EQ(back->serial(), QStringLiteral("SN-0042"));
    EXPECT_EQ(back->texts.value(7), QStringLiteral("张三")); // infoOperator, from code page 936
    EXPECT_EQ(valueOf(*back, "Pin"), 36.25f);
    EXPECT_EQ(valueOf(*back, "PF"), 0.987f);
    EXPECT_EQ(back->verdict, VerdictResult::NoChecks);

    // The image loads into a record that stores the same file again.
    TestRecord reopened;
    const std::vector<uint8_t> image(back->record.begin(), back->record.end());
    ASSERT_TRUE(decodeDataFile(image, reopened).ok);
    EXPECT_EQ(imageOf(reopened), imageOf(r));
    EXPECT_EQ(log.close(), 0);
}

class KnownSet : public ::testing::Test {
  protected:
    void SetUp() override
    {
        target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
        LogConnection c;
        QString error;
        ASSERT_TRUE(c.open(target, false, &error)) << error.toStdString();
        QSqlDatabase db = c.db();
        // Three input runs of 36, 37 and 38 W; an output run whose record still holds an old
        // 99 W input value that is not its own; a preheat energy run.
        entries = {knownEntry(KindInput, "SN-0001", utc("2024-05-01T08:00:00Z"), 36.0f, true),
                   knownEntry(KindInput, "SN-0002", utc("2024-05-01T09:00:00Z"), 37.0f, true, "Wang"),
                   knownEntry(KindInput, "SN-0003", utc("2024-05-02T08:00:00Z"), 38.0f, false),
                   knownEntry(KindOutput, "SN-0003", utc("2024-05-02T09:00:00Z"), 99.0f, std::nullopt),
                   knownEntry(KindEnergy, "SN-0100", utc("2024-05-03T08:00:00Z"), 15.0f, true)};
        for (const LogEntry& e : entries)
            ASSERT_TRUE(insertLogEntry(db, e, &error)) << error.toStdString();
        ASSERT_TRUE(query.open(target, &error)) << error.toStdString();
    }
    QStringList serials(const LogFilter& f)
    {
        std::vector<LogEntry> out;
        QString error;
        EXPECT_TRUE(query.list(f, 0, out, &error)) << error.toStdString();
        QStringList s;
        for (const LogEntry& e : out)
            s << e.serial() + QLatin1Char('/') + QString::number(e.kind);
        return s;
    }

    QTemporaryDir dir;
    LogTarget target;
    std::vector<LogEntry> entries;
    LogQuery query;
};

TEST_F(KnownSet, filtersSelectTheRunsNewestFirst)
{
    LogFilter f;
    EXPECT_EQ(serials(f).size(), 5);
    f.serial = QStringLiteral("SN-0003");
    EXPECT_EQ(serials(f), (QStringList{"SN-0003/3", "SN-0003/1"}));
    f.serial = QStringLiteral("SN-000*");
    EXPECT_EQ(serials(f).size(), 4);
    f.serial = QStringLiteral("SN_0001"); // "_" is a character here, not a wildcard
    EXPECT_TRUE(serials(f).isEmpty());

    LogFilter kind;
    kind.kind = KindInput;
    kind.verdict = LogFilter::Verdict::Pass;
    EXPECT_EQ(serials(kind), (QStringList{"SN-0002/1", "SN-0001/1"}));
    LogFilter unjudged;
    unjudged.verdict = LogFilter::Verdict::NoChecks;
    EXPECT_EQ(serials(unjudged), QStringList{"SN-0003/3"});

    LogFilter day; // 2 May, UTC: since is inclusive, until exclusive
    day.sinceMs = utc("2024-05-02T00:00:00Z");
    day.untilMs = utc("2024-05-03T00:00:00Z");
    EXPECT_EQ(serials(day), (QStringList{"SN-0003/3", "SN-0003/1"}));
    LogFilter op;
    op.operatorName = QStringLiteral("Wang");
    EXPECT_EQ(serials(op), QStringList{"SN-0002/1"});

    QString error;
    const std::optional<LogEntry> byPrefix = query.entry(entries[4].id.left(8), &error);
    ASSERT_TRUE(byPrefix);
    EXPECT_EQ(byPrefix->serial(), QStringLiteral("SN-0100"));
}

TEST_F(KnownSet, statisticsCountOnlyTheRunsThatMeasureEachValue)
{
    LogStats s;
    QString error;
    const LogValueColumn* pin = findLogValue("Pin");
    const LogValueColumn* energy = findLogValue("preheatEnergy");
    ASSERT_TRUE(query.stats(LogFilter{}, {pin, energy}, s, &error)) << error.toStdString();
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.judged, 4);
    EXPECT_EQ(s.passed, 3);
    EXPECT_DOUBLE_EQ(*s.yieldPercent(), 75.0);
    // Pin of the three input runs only: 36, 37, 38 W (not the output run's stale 99 W).
    EXPECT_EQ(s.values[0].count, 3);
    EXPECT_DOUBLE_EQ(s.values[0].mean, 37.0);
    EXPECT_DOUBLE_EQ(s.values[0].sigma, 1.0);
    EXPECT_DOUBLE_EQ(s.values[0].min, 36.0);
    EXPECT_DOUBLE_EQ(s.values[0].max, 38.0);
    EXPECT_EQ(s.values[1].count, 1);
    EXPECT_FLOAT_EQ(float(s.values[1].mean), 1.5f);

    LogFilter failed;
    failed.verdict = LogFilter::Verdict::Fail;
    ASSERT_TRUE(query.stats(failed, {pin}, s, &error));
    EXPECT_EQ(s.count, 1);
    EXPECT_DOUBLE_EQ(*s.yieldPercent(), 0.0);
    EXPECT_DOUBLE_EQ(s.values[0].sigma, 0.0);

    std::vector<LogTrendPoint> trend;
    ASSERT_TRUE(query.trend(LogFilter{}, *pin, trend, &error));
    ASSERT_EQ(trend.size(), 3u);
    EXPECT_EQ(trend[0].value, 36.0);
    EXPECT_EQ(trend[2].value, 38.0);
    EXPECT_LT(trend[0].loggedAtMs, trend[2].loggedAtMs);
}

TEST(LogStorage, serialPatternsKeepCaseAndTakeOnlyStarAndQuestionMarkAsWildcards)
{
    QTemporaryDir dir;
    expectTheSerialPatternRule(LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path()));
}

TEST(LogVerdicts, noChecksAndNotJudgedAreNeitherPassNorFail)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
    LogConnection c;
    QString error;
    ASSERT_TRUE(c.open(target, false, &error)) << error.toStdString();
    QSqlDatabase db = c.db();
    LogEntry unjudged = knownEntry(KindInput, "SN-4", 4000, 36.0f, std::nullopt);
    unjudged.verdict = VerdictResult::NotJudged;
    unjudged.retest = true;
    for (const LogEntry& e :
         {knownEntry(KindInput, "SN-1", 1000, 36.0f, true), knownEntry(KindInput, "SN-2", 2000, 36.0f, false),
          knownEntry(KindStart, "SN-3", 3000, 36.0f, std::nullopt), unjudged})
        ASSERT_TRUE(insertLogEntry(db, e, &error)) << error.toStdString();

    LogQuery q;
    ASSERT_TRUE(q.open(target, &error));
    const auto only = [&](LogFilter::Verdict v) {
        LogFilter f;
        f.verdict = v;
        std::vector<LogEntry> out;
        EXPECT_TRUE(q.list(f, 0, out, &error));
        QStringList serials;
        for (const LogEntry& e : out)
            serials << e.serial();
        return serials;
    };
    EXPECT_EQ(only(LogFilter::Verdict::NoChecks), QStringList{"SN-3"});
    EXPECT_EQ(only(LogFilter::Verdict::NotJudged), QStringList{"SN-4"});
    EXPECT_EQ(only(LogFilter::Verdict::Pass), QStringList{"SN-1"});
    LogStats s;
    ASSERT_TRUE(q.stats(LogFilter{}, {findLogValue("Pin")}, s, &error));
    EXPECT_EQ(s.count, 4);
    EXPECT_EQ(s.judged, 2);
    EXPECT_DOUBLE_EQ(*s.yieldPercent(), 50.0);
    const std::optional<LogEntry> back = q.entry(unjudged.id, &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->verdict, VerdictResult::NotJudged);
    EXPECT_TRUE(back->retest);
}

TEST(LogVerdicts, aLoggedVerdictReadsBackAsItWasWritten)
{
    // What a reopened run shows: the checks it was logged with, margins and series maxima too.
    TestRecord r = sampleRecord();
    r.Urms = 230.0f;
    r.Irms = 0.16f;
    r.harmI[3] = 0.05f;
    r.pctI[3] = 31.0f;
    r.Ilrms = 0.3f;
    VerdictProfile p;
    p.powerFactorOn = true;
    VerdictSeries series;
    series.add(r);
    series.add(r);
    const Verdict v = series.judge(r, KindComprehensive, p);
    ASSERT_GE(v.sections.size(), 3u);
    for (const Verdict& each : {v, judgeRun(r, KindStart, p), notJudgedVerdict("KORVEX-limits.ini line 4: x")}) {
        const std::string json = verdictJson(each);
        const std::optional<Verdict> back = verdictFromJson(QString::fromStdString(json));
        ASSERT_TRUE(back) << json;
        EXPECT_EQ(verdictJson(*back), json);
    }
    EXPECT_FALSE(verdictFromJson(QStringLiteral("{\"limits\":[]}")));
}

} // namespace
