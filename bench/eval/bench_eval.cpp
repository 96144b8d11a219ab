// Benchmarks of one input evaluation and one preheat energy evaluation on realistic captures.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "kinds/Energytest.h"
#include "kinds/Inputtest.h"
#include "link/Frames.h"
#include "record/TestRecord.h"

namespace {

using korvex::TestRecord;

/// An input capture: sine voltage, a distorted current, the parameter words.
std::unique_ptr<TestRecord> inputRecord()
{
    auto r = std::make_unique<TestRecord>();
    korvex::resetAllResults(*r);
    for (int i = 0; i < 256; ++i) {
        const double x = 2.0 * std::numbers::pi * i / 256;
        korvex::encodeSample(static_cast<int16_t>(std::lround(10000 * std::sin(x - 0.3))), r->work.rawU + 2 * i);
        korvex::encodeSample(static_cast<int16_t>(std::lround(8000 * std::sin(x) + 2400 * std::sin(3 * x))),
                             r->work.rawI + 2 * i);
    }
    const float words[10] = {230, 0.5f, 0.5f, 100, 0.95f, 0.94f, 50, 0.01f, 1.41f, 1.6f};
    for (int k = 0; k < 10; ++k)
        korvex::encodeInstrumentFloat(words[k], r->work.paramBlock + 4 * k);
    r->work.sampleCount = 256;
    return r;
}

void BM_InputEvaluation(benchmark::State& state)
{
    const auto source = inputRecord();
    auto r = std::make_unique<TestRecord>();
    for (auto _ : state) {
        state.PauseTiming();
        *r = *source; // the evaluation changes sampleCount and the waveforms
        state.ResumeTiming();
        korvex::evaluateInput(*r);
        benchmark::DoNotOptimize(r->THDI);
    }
}
BENCHMARK(BM_InputEvaluation);

void BM_EnergyEvaluation(benchmark::State& state)
{
    auto source = std::make_unique<TestRecord>();
    korvex::resetAllResults(*source);
    for (int k = 0; k < korvex::kEnergySamples; ++k) {
        source->waveFilamentU[k] = static_cast<float>(k < 300 ? 600 : 200);
        source->waveFilamentI[k] = static_cast<float>(k < 300 ? 450 + k % 7 : 150);
        source->waveEnergy[k] = static_cast<float>(k < 300 ? 2700 - k : 300);
    }
    const int16_t calib[9] = {100, 0, 0, 100, 0, 0, 100, 0, 0};
    for (int k = 0; k < 9; ++k)
        korvex::encodeSample(calib[k], source->work.calibBlock + 2 * k);
    auto r = std::make_unique<TestRecord>();
    for (auto _ : state) {
        state.PauseTiming();
        *r = *source; // the evaluation calibrates the curves in place
        state.ResumeTiming();
        korvex::evaluateEnergy(*r);
        benchmark::DoNotOptimize(r->preheatEnergy);
    }
}
BENCHMARK(BM_EnergyEvaluation);

} // namespace
