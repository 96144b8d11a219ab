// korvex-cli replay end to end: the built tool on capture files written here.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CaptureBuilder.h"
#include "record/DataFile.h"

namespace korvex::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
};

/// Runs korvex-cli with the arguments (already shell-quoted where needed).
CliRun runCli(const std::string& args)
{
    CliRun run;
    const std::string cmd = std::string("'") + KORVEX_CLI_PATH + "' " + args + " 2>/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr)
        return run;
    char buf[512];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        run.out.append(buf, n);
    const int raw = ::pclose(p);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class Replay : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("korvex-replay-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return "'" + p.string() + "'";
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

Bytes inputCapture()
{
    return concat(
        {sampleBlock(256, [](int i) { return 10000.0 * sinePeriod(i, 256); }),
         sampleBlock(256, [](int i) { return 8000.0 * sinePeriod(i, 256) + 2400.0 * sinePeriod(i, 256, 3.0); }),
         InputWords{}.bytes()});
}

TEST_F(Replay, InputCaptureIsEvaluatedSavedAndExported)
{
    const std::string cap = write("input.bin", inputCapture());
    const CliRun run =
        runCli("replay input " + cap + " --save '" + path("out.kvx") + "' --csv '" + path("out.csv") + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("THDI 30"), std::string::npos) << run.out;

    TestRecord r;
    resetAllResults(r);
    ASSERT_TRUE(readDataFile(path("out.kvx"), r).ok);
    EXPECT_NEAR(r.THDI, 30.0, 0.01);
    EXPECT_EQ(r.currentTest, KindInput);
    EXPECT_EQ(r.hasInputResult, 1);

    std::ifstream csv(path("out.csv"), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(csv), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("230"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST_F(Replay, EnergyCaptureWithAcknowledgement)
{
    Bytes capture{kEnergyAck};
    const Bytes curve = sampleBlock(1000, [](int k) { return k < 200 ? 100.0 : 10.0; });
    capture = concat({capture, curve, curve, curve, Bytes(18, 0)});
    const CliRun run = runCli("replay energy " + write("energy.bin", capture) + " --save '" + path("e.kvx") + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("preheat 1 s"), std::string::npos) << run.out;
    // The record holds the evaluation's results only; the page's axis scales are not prepared.
    TestRecord r;
    ASSERT_TRUE(readDataFile(path("e.kvx"), r).ok);
    EXPECT_EQ(r.hasEnergyResult, 1);
    EXPECT_EQ(r.preheatEndIndex, 200);
    EXPECT_EQ(r.energyScale, 0.0f);
    EXPECT_EQ(r.energyCurrentScale, 0.0f);
}

TEST_F(Replay, WrongLengthIsRefused)
{
    Bytes capture = inputCapture();
    capture.pop_back();
    EXPECT_EQ(runCli("replay input " + write("short.bin", capture)).status, 2);
    capture.push_back(0);
    capture.push_back(0);
    EXPECT_EQ(runCli("replay input " + write("long.bin", capture)).status, 2);
    // An input capture is not an output capture.
    EXPECT_EQ(runCli("replay output " + write("input.bin", inputCapture())).status, 2);
}

TEST_F(Replay, BadEnergyAcknowledgementIsRefused)
{
    Bytes capture(static_cast<size_t>(replyBytesOf(KindEnergy)), 0);
    capture[0] = '?';
    EXPECT_EQ(runCli("replay energy " + write("bad.bin", capture) + " --save '" + path("x.kvx") + "'").status, 2);
    EXPECT_FALSE(fs::exists(path("x.kvx")));
}

TEST_F(Replay, UsageErrors)
{
    EXPECT_EQ(runCli("replay").status, 1);
    EXPECT_EQ(runCli("replay bogus " + write("a.bin", inputCapture())).status, 1);
    EXPECT_EQ(runCli("replay input").status, 1);
    EXPECT_EQ(runCli("replay input '" + path("missing.bin") + "'").status, 2);
    const CliRun help = runCli("replay --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("KIND"), std::string::npos);
}

} // namespace
// ---- Verdicts of replayed captures ------------------------------------------------------------

Bytes inputCaptureWithThird(double third)
{
    return concat(
        {sampleBlock(256, [](int i) { return 10000.0 * sinePeriod(i, 256); }),
         sampleBlock(256,
                     [&](int i) { return 8000.0 * sinePeriod(i, 256) + third * 8000.0 * sinePeriod(i, 256, 3.0); }),
         InputWords{}.bytes()}); // 100 W at PF 0.99: the 3rd may reach 29.7 %
}

TEST_F(Replay, VerdictExitStatusJsonAndCsv)
{
    ASSERT_EQ(
        runCli("replay input " + write("ten.bin", inputCaptureWithThird(0.10)) + " --save '" + path("ten.kvx") + "'")
            .status,
        0);
    ASSERT_EQ(runCli("replay input " + write("thirty.bin", inputCaptureWithThird(0.30)) + " --save '" +
                     path("thirty.kvx") + "'")
                  .status,
              0);
    const std::string ten = "'" + path("ten.kvx") + "'", thirty = "'" + path("thirty.kvx") + "'";

    EXPECT_EQ(runCli("verdict " + ten).status, 0);
    EXPECT_EQ(runCli("verdict " + thirty).status, 3);
    EXPECT_EQ(runCli("verdict " + ten + " " + thirty).status, 3);

    const CliRun json = runCli("verdict " + thirty + " --json");
    EXPECT_EQ(json.status, 3);
    const size_t h3 = json.out.find("\"check\":\"classC.h3\"");
    ASSERT_NE(h3, std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"limit\":29.7", h3), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"result\":\"fail\"", h3), std::string::npos) << json.out;

    const CliRun csv = runCli("verdict " + ten + " " + thirty + " --csv");
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3) << csv.out;
    EXPECT_NE(csv.out.find(",FAIL,default,1,FAIL,"), std::string::npos) << csv.out;

    // A named profile from a limits file.
    std::ofstream(path("limits.ini")) << "[strict]\npower_factor_min = 0.995\n";
    const std::string limits = " --limits '" + path("limits.ini") + "'";
    EXPECT_EQ(runCli("verdict " + ten + limits).status, 0);
    EXPECT_EQ(runCli("verdict " + ten + limits + " --profile strict").status, 3);
    EXPECT_EQ(runCli("verdict " + ten + limits + " --profile nonesuch").status, 1);
    EXPECT_EQ(runCli("verdict '" + path("missing.kvx") + "'").status, 2);
}

} // namespace korvex::testing
