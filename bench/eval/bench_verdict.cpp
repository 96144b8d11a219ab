// Speed of judging one record: a comprehensive result with a distorted input current (every
// Class C order judged), the lamp crest factors and a preheat energy result; and of the JSON form.
#include <benchmark/benchmark.h>

#include <cmath>

#include "kinds/Verdict.h"
#include "kinds/VerdictOutput.h"

namespace {

korvex::TestRecord sampleRecord()
{
    korvex::TestRecord r;
    korvex::resetAllResults(r);
    r.hasInputResult = r.hasOutputResult = r.hasCompResult = r.hasEnergyResult = 1;
    r.Urms = 230;
    r.Irms = 0.3f;
    r.Pin = 40;
    r.PF = 0.58f;
    for (int n = 1; n < korvex::kHarmonics; n += 2) {
        r.pctI[n] = float(100.0 / n);
        r.harmI[n] = 0.2f * r.pctI[n] / 100;
        r.mApW[n] = r.harmI[n] * 1000 / r.Pin;
    }
    r.Ilrms = 0.32f;
    r.Ilcf = 1.45f;
    r.Ilncf = 1.5f;
    r.qPara = 7;
    r.pPara = 9;
    r.fPara = 1.5f;
    r.preheatTime = 1.0f;
    r.preheatEnergy = 18;
    return r;
}

void BM_JudgeRecord(benchmark::State& state)
{
    const korvex::TestRecord r = sampleRecord();
    const korvex::VerdictProfile profile;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::judgeRecord(r, profile));
}
BENCHMARK(BM_JudgeRecord);

void BM_VerdictJson(benchmark::State& state)
{
    const korvex::Verdict v = korvex::judgeRecord(sampleRecord(), korvex::VerdictProfile{});
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::verdictJson(v));
}
BENCHMARK(BM_VerdictJson);

} // namespace
