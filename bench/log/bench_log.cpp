// Benchmarks of the results log: the cost of handing a run to the log on the window's thread,
// the commit of one entry on the writer thread, an unpaced input run with and without logging,
// and a filtered query and the statistics over 100,000 logged runs.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/LogColumns.h"
#include "log/LogQuery.h"
#include "log/PlanRunner.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "record/TextCodec.h"

namespace {

using namespace korvex;

// A comprehensive record as the simulated instrument leaves it.
const TestRecord& measuredRecord()
{
    static const TestRecord r = [] {
        Controller c(evaluateKind);
        c.setPortSource(korvex::simulatedPorts(korvex::makeSimInstrument(QStringLiteral("pfc"), false)));
        c.openPort();
        bool done = false;
        QObject::connect(&c, &Controller::runCompleted, [&done](int32_t) { done = true; });
        c.singleRun(KindComprehensive);
        while (!done)
            QCoreApplication::processEvents();
        c.shutdown();
        return c.record();
    }();
    return r;
}

// What the window's thread spends on a completed run: the entry (texts, values, the data file
// image) and the hand-over to the writer.
void BM_LogEntryOnCallingThread(benchmark::State& state)
{
    QTemporaryDir dir;
    ResultsLog log(LogTarget::parse(QString(), dir.path()));
    const TestRecord& r = measuredRecord();
    for (auto _ : state)
        log.submit(makeLogEntry(r, KindComprehensive, LogSource{QStringLiteral("bench"), QStringLiteral("sim")}));
    log.close();
}
BENCHMARK(BM_LogEntryOnCallingThread)->Unit(benchmark::kMicrosecond);

// From the hand-over to the commit on disk (SQLite, WAL, synchronous FULL), on the writer thread.
void BM_LogCommitSqlite(benchmark::State& state)
{
    QTemporaryDir dir;
    ResultsLog log(LogTarget::parse(QString(), dir.path()));
    int logged = 0;
    QObject::connect(&log, &ResultsLog::logged, [&logged] { ++logged; });
    const TestRecord& r = measuredRecord();
    for (auto _ : state) {
        const LogEntry e = makeLogEntry(r, KindComprehensive, LogSource{});
        const int before = logged;
        const auto t0 = std::chrono::steady_clock::now();
        log.submit(e);
        while (logged == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    log.close();
}
BENCHMARK(BM_LogCommitSqlite)->UseManualTime()->Unit(benchmark::kMillisecond);

// One whole single input run on the unpaced simulator, without (0) and with (1) the log.
void BM_UnpacedInputRun(benchmark::State& state)
{
    QTemporaryDir dir;
    Controller c(evaluateKind);
    c.setPortSource(korvex::simulatedPorts(korvex::makeSimInstrument(QStringLiteral("pfc"), false)));
    c.openPort();
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<RunLogger> logger;
    if (state.range(0)) {
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), dir.path()));
        logger = std::make_unique<RunLogger>(c, *log);
    }
    int completed = 0;
    QObject::connect(&c, &Controller::runCompleted, [&completed](int32_t) { ++completed; });
    for (auto _ : state) {
        const int before = completed;
        c.singleRun(KindInput);
        while (completed == before)
            QCoreApplication::processEvents();
    }
    c.shutdown();
    if (log)
        log->close();
}
BENCHMARK(BM_UnpacedInputRun)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Output, start, preheat energy and comprehensive on the unpaced simulator, logged: by the
// commands one after the other (0), and as a test plan (1), which adds the reset of the ballast,
// the steps' bookkeeping, the ballast's verdict and its entry. The difference over 4 is what a
// plan adds per step.
void BM_UnpacedPlan(benchmark::State& state)
{
    QTemporaryDir dir;
    {
        QFile limits(dir.filePath(QStringLiteral("KORVEX-limits.ini")));
        limits.open(QIODevice::WriteOnly);
        limits.write("[default]\nplan = output, start, energy, comprehensive\n");
    }
    Controller c(evaluateKind);
    c.setPortSource(korvex::simulatedPorts(korvex::makeSimInstrument(QStringLiteral("pfc"), false)));
    c.openPort();
    ResultsLog log(LogTarget::parse(QString(), dir.path()));
    RunLogger logger(c, log);
    RunJudge judge(dir.filePath(QStringLiteral("KORVEX-limits.ini")), false);
    logger.setJudge(&judge);
    PlanRunner runner(c, logger, judge);
    runner.setLog(&log);
    int completed = 0, ballasts = 0;
    QObject::connect(&c, &Controller::runCompleted, [&completed](int32_t) { ++completed; });
    QObject::connect(&runner, &PlanRunner::ballastFinished, [&ballasts] { ++ballasts; });
    auto wait = [&](auto done) {
        while (!done())
            QCoreApplication::processEvents();
    };
    for (auto _ : state) {
        if (state.range(0)) {
            const int before = ballasts;
            runner.start();
            wait([&] { return ballasts > before; });
        } else {
            for (int k : {KindOutput, KindStart, KindEnergy, KindComprehensive}) {
                const int before = completed;
                if (k == KindStart)
                    c.startTest();
                else if (k == KindEnergy)
                    c.energyTest();
                else
                    c.singleRun(k);
                wait([&] { return completed > before && !c.testRunning(); });
            }
        }
    }
    c.shutdown();
    log.close();
}
BENCHMARK(BM_UnpacedPlan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 100,000 runs over 100 days: kinds in turn, serials SN-000000.., values spread around the
// measured ones, 5 % failed.
class BigLog {
  public:
    static BigLog& get()
    {
        static BigLog b;
        return b;
    }
    LogTarget target;

  private:
    BigLog()
    {
        target = LogTarget::parse(dir.filePath(QStringLiteral("big.db")), dir.path());
        LogConnection c;
        QString error;
        c.open(target, false, &error);
        QSqlDatabase db = c.db();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db.transaction();
        const LogEntry model = makeLogEntry(measuredRecord(), KindComprehensive,
                                            LogSource{QStringLiteral("bench-1"), QStringLiteral("sim")});
        const qint64 t0 = QDateTime::currentMSecsSinceEpoch() - 100LL * 86400 * 1000;
        for (int i = 0; i < kRuns; ++i) {
            LogEntry e = model;
            e.id = QStringLiteral("00000000-0000-0000-0000-%1").arg(i, 12, 10, QLatin1Char('0'));
            e.loggedAtMs = t0 + qint64(i) * 86400;
            e.kind = 1 + i % 6;
            e.texts[0] = QStringLiteral("SN-%1").arg(i, 6, 10, QLatin1Char('0'));
            e.texts[2] = (i / 6) % 2 ? QStringLiteral("T8-36W") : QStringLiteral("T5-28W");
            for (size_t k = 0; k < e.values.size(); ++k)
                e.values[k] *= 1.0f + float((i * 7919 + int(k) * 104729) % 1000 - 500) / 10000.0f;
            e.verdict = i % 20 != 0 ? VerdictResult::Pass : VerdictResult::Fail;
            insertLogEntry(db, e, &error, false);
        }
        db.commit();
    }
    static constexpr int kRuns = 100000;
    QTemporaryDir dir;
};

// The history window's question: one product type, input runs of the last 30 days, the newest
// 2000 of them.
void BM_FilteredQuery100k(benchmark::State& state)
{
    LogQuery q;
    QString error;
    q.open(BigLog::get().target, &error);
    LogFilter f;
    f.sinceMs = QDateTime::currentMSecsSinceEpoch() - 30LL * 86400 * 1000;
    f.type = QStringLiteral("T8-36W");
    f.kind = KindInput;
    std::vector<LogEntry> rows;
    for (auto _ : state)
        q.list(f, 2000, rows, &error);
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_FilteredQuery100k)->Unit(benchmark::kMillisecond);

// A serial pattern over all 100,000 runs (on SQLite the serial index serves its fixed beginning).
void BM_SerialPattern100k(benchmark::State& state)
{
    LogQuery q;
    QString error;
    q.open(BigLog::get().target, &error);
    LogFilter f;
    f.serial = QStringLiteral("SN-0471*");
    std::vector<LogEntry> rows;
    for (auto _ : state)
        q.list(f, 0, rows, &error);
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_SerialPattern100k)->Unit(benchmark::kMillisecond);

// Count, yield, mean, sigma, min and max over all 100,000 runs: the nine default values
// (korvex-cli log stats) and all 45 (the history window).
void BM_Statistics100k(benchmark::State& state)
{
    LogQuery q;
    QString error;
    q.open(BigLog::get().target, &error);
    std::vector<const LogValueColumn*> columns = defaultStatsColumns();
    if (state.range(0) == 45) {
        columns.clear();
        for (const LogValueColumn& c : logValueColumns())
            columns.push_back(&c);
    }
    LogStats s;
    for (auto _ : state)
        q.stats(LogFilter{}, columns, s, &error);
    state.counters["runs"] = double(s.count);
}
BENCHMARK(BM_Statistics100k)->Arg(9)->Arg(45)->Unit(benchmark::kMillisecond);

// The history window's trend: one value of the filtered runs, oldest first.
void BM_Trend100k(benchmark::State& state)
{
    LogQuery q;
    QString error;
    q.open(BigLog::get().target, &error);
    std::vector<LogTrendPoint> points;
    for (auto _ : state)
        q.trend(LogFilter{}, *findLogValue("Pin"), points, &error);
    state.counters["points"] = double(points.size());
}
BENCHMARK(BM_Trend100k)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
