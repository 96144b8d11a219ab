// Benchmarks of the record code: data file read and write, spreadsheet export.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "record/DataFile.h"
#include "record/Spreadsheet.h"

namespace {

korvex::TestRecord sampleRecord()
{
    korvex::TestRecord r;
    korvex::resetAllResults(r);
    r.currentTest = 4;
    for (int i = 0; i < korvex::kDisplayPoints; ++i)
        r.waveU[i] = static_cast<float>(i) * 1.5f;
    r.Urms = 230.1f;
    r.Irms = 0.1623f;
    r.Pin = 36.4f;
    return r;
}

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_EncodeDataFile(benchmark::State& state)
{
    const korvex::TestRecord r = sampleRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::encodeDataFile(r));
}
BENCHMARK(BM_EncodeDataFile);

void BM_WriteDataFile(benchmark::State& state)
{
    const korvex::TestRecord r = sampleRecord();
    const std::string path = tempPath("korvex-bench-write.kvx");
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::writeDataFile(path, r).ok);
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteDataFile)->Unit(benchmark::kMicrosecond);

void BM_ReadDataFile(benchmark::State& state)
{
    const std::string path = tempPath("korvex-bench-read.kvx");
    korvex::writeDataFile(path, sampleRecord());
    korvex::TestRecord r;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::readDataFile(path, r).ok);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMicrosecond);

void BM_SpreadsheetValueLine(benchmark::State& state)
{
    const korvex::TestRecord r = sampleRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::spreadsheetValueLine(r));
}
BENCHMARK(BM_SpreadsheetValueLine)->Unit(benchmark::kMicrosecond);

void BM_ExportSpreadsheet(benchmark::State& state)
{
    const korvex::TestRecord r = sampleRecord();
    const std::string path = tempPath("korvex-bench.csv");
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::exportSpreadsheet(path, r).ok);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportSpreadsheet)->Unit(benchmark::kMicrosecond);

} // namespace
