// Benchmark of the ballasts' statistics over a large log: 10,000 ballasts of three steps each
// (input, output, preheat energy), read with their type's limits and computed (yield, Pareto,
// Cp/Cpk), as log stats and the history window's worker do.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <sys/resource.h>

#include "kinds/BallastStats.h"
#include "kinds/VerdictOutput.h"
#include "kinds/VerdictProfile.h"
#include "log/LogBallasts.h"
#include "log/LogColumns.h"
#include "log/LogDatabase.h"
#include "log/LogEntry.h"
#include "log/LogQuery.h"
#include "record/TextCodec.h"

namespace {

using namespace korvex;

constexpr int kBallasts = 10000;

// Serials repeat every 9,000 ballasts (10 % retests); every 7th fails its lamp power, every
// 50th is incomplete; the energy step carries its preheat checks as the log keeps them.
class BallastLog {
  public:
    static BallastLog& get()
    {
        static BallastLog b;
        return b;
    }
    LogTarget target;

  private:
    BallastLog()
    {
        target = LogTarget::parse(dir.filePath(QStringLiteral("ballasts.db")), dir.path());
        LogConnection c;
        QString error;
        c.open(target, false, &error);
        QSqlDatabase db = c.db();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db.transaction();
        TestRecord r;
        resetAllResults(r);
        storeText(r.infoType, "T8-36W");
        const LogSource source{QStringLiteral("bench-1"), QStringLiteral("sim")};
        const LogEntry model = makeLogEntry(r, kBallastKind, source);
        Verdict energy;
        VerdictSection preheat;
        preheat.kind = SectionKind::PreheatEnergy;
        preheat.checks = {LimitCheck{CheckKind::PreheatMin, 0, 12.0, 10.0, false},
                          LimitCheck{CheckKind::PreheatMax, 0, 12.0, 15.0, true}};
        energy.sections = {preheat};
        const QString energyJson = QString::fromStdString(verdictJson(energy));
        const qint64 t0 = QDateTime::currentMSecsSinceEpoch() - 30LL * 86400 * 1000;
        for (int i = 0; i < kBallasts; ++i) {
            LogEntry b = model;
            b.id = QStringLiteral("b0000000-0000-0000-0000-%1").arg(i, 12, 10, QLatin1Char('0'));
            b.texts[0] = QStringLiteral("SN-%1").arg(i % 9000, 6, 10, QLatin1Char('0'));
            b.loggedAtMs = t0 + qint64(i) * 60000;
            b.complete = i % 50 != 0;
            const bool failed = i % 7 == 0;
            b.verdict = !b.complete ? VerdictResult::NotJudged : failed ? VerdictResult::Fail : VerdictResult::Pass;
            b.verdictDetails =
                failed ? QStringLiteral("{\"failed\":[\"lampPower.max\"]}") : QStringLiteral("{\"failed\":[]}");
            int step = 0;
            for (const int32_t kind : {KindInput, KindOutput, KindEnergy}) {
                LogEntry e = makeLogEntry(r, kind, source);
                e.id = QStringLiteral("s%1-0000-0000-0000-%2").arg(step).arg(i, 12, 10, QLatin1Char('0'));
                e.texts = b.texts;
                e.loggedAtMs = b.loggedAtMs - 3 + step++;
                e.ballast = b.id;
                e.values[size_t(findLogValue("Pout") - logValueColumns().data())] = 33.0f + float(i % 13) * 0.25f;
                e.values[size_t(findLogValue("PF") - logValueColumns().data())] = 0.95f + float(i % 11) * 0.004f;
                e.verdict = VerdictResult::Pass;
                if (kind == KindEnergy)
                    e.verdictDetails = energyJson;
                insertLogEntry(db, e, &error, false);
            }
            insertLogEntry(db, b, &error, false);
        }
        db.commit();
    }
    QTemporaryDir dir;
};

void BM_BallastStats10k(benchmark::State& state)
{
    LogQuery q;
    QString error;
    q.open(BallastLog::get().target, &error);
    const ProfileParse limits = parseProfiles("[T8-36W]\nlamp_power_min = 30\nlamp_power_max = 36\n"
                                              "power_factor_min = 0.9\n" +
                                              std::string(state.range(0) ? "" : "preheat_energy = off\n"));
    LogBallasts b;
    BallastStats s;
    for (auto _ : state) {
        q.ballasts(LogFilter{}, limits.set, b, &error);
        s = computeBallastStats(b.outcomes, b.limits);
    }
    state.counters["ballasts"] = double(s.yield.ballasts);
    state.counters["values"] = double(s.capability.size());
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    state.counters["maxRssMB"] = double(use.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_BallastStats10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
