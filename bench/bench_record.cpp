// Benchmarks of the record code: data file read and write, spreadsheet export.
#include <benchmark/benchmark.h>

#include "TestRecord.h"

static void BM_ResetAll(benchmark::State& state)
{
    korvex::TestRecord r;
    for (auto _ : state) {
        korvex::resetAllResults(r);
        benchmark::DoNotOptimize(r.peakU);
    }
}
BENCHMARK(BM_ResetAll);
