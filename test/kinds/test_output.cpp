// Output and comprehensive evaluations: decoding, Ildhc, waveform exchange, group resets.
#include <gtest/gtest.h>

#include "CaptureBuilder.h"
#include "kinds/Outputtest.h"
#include "kinds/Statictest.h"

namespace korvex::testing {
namespace {

constexpr int kOut = 150;

double lamp(int i)
{
    return 1200.0 * sinePeriod(i, 40);
}
double filament(int i)
{
    return 300.0 * sinePeriod(i, 40);
}
double lampCurrent(int i)
{
    return 900.0 * sinePeriod(i, 40, 1.0, 5.0);
}
double cathode(int i)
{
    return 700.0 * sinePeriod(i, 40, 1.0, 10.0);
}

Bytes outputCapture(const OutputWords& w, const std::function<double(int)>& fil = filament,
                    const std::function<double(int)>& cat = cathode)
{
    return concat({w.bytes(), sampleBlock(kOut, lamp), sampleBlock(kOut, fil), sampleBlock(kOut, lampCurrent),
                   sampleBlock(kOut, cat)});
}

TestRecord runOutput(const OutputWords& w, const std::function<double(int)>& fil = filament,
                     const std::function<double(int)>& cat = cathode)
{
    TestRecord r = freshRecord();
    EXPECT_TRUE(load(r, KindOutput, outputCapture(w, fil, cat)));
    evaluateKind(KindOutput, r);
    return r;
}

TEST(OutputDecoding, WordsLandInTheirFields)
{
    OutputWords w;
    const TestRecord r = runOutput(w);
    EXPECT_EQ(r.Ulrms, 100.0f);
    EXPECT_EQ(r.Ifrms, 0.2f);
    EXPECT_EQ(r.Ilrms, 0.3f);
    EXPECT_EQ(r.Ikrms, 0.4f);
    EXPECT_EQ(r.Ulm, 150.0f);
    EXPECT_EQ(r.Ilm, 0.45f);
    EXPECT_EQ(r.work.outWord7, 7.0f);
    EXPECT_EQ(r.Ikm, 0.6f); // word 8: word 7 is skipped
    EXPECT_EQ(r.Ikcf, 1.6f);
    EXPECT_EQ(r.Pout, 30.0f);
    EXPECT_EQ(r.Fout, 45.0f);
    EXPECT_EQ(r.hasOutputResult, 1);
    EXPECT_EQ(r.waveUl[13], static_cast<float>(std::lround(1200.0 * sinePeriod(13, 40))));
    EXPECT_NEAR(r.peakUl, 1200.0, 0.5);
    EXPECT_NEAR(r.peakIl, 900.0, 0.5);
}

TEST(OutputDecoding, NegativePowerIsStoredAsItsMagnitude)
{
    OutputWords w;
    w.Pout = -42.5f;
    EXPECT_EQ(runOutput(w).Pout, 42.5f);
}

TEST(OutputCrestFactors, HalfWaveDifference)
{
    OutputWords w;
    w.Ilcf = 1.5f;
    w.Ilncf = 1.2f;
    EXPECT_NEAR(runOutput(w).Ildhc, 20.0, 1e-4);
    w.Ilcf = 1.2f;
    w.Ilncf = 1.5f; // relative to the larger of the two
    EXPECT_NEAR(runOutput(w).Ildhc, 20.0, 1e-4);
    w.Ilcf = 0.0f;
    w.Ilncf = 1.7f;
    EXPECT_EQ(runOutput(w).Ildhc, 0.0f);
}

TEST(OutputWaveforms, LargerFilamentWaveformChangesPlaceWithCathode)
{
    OutputWords w;
    const TestRecord r = runOutput(
        w, [](int i) { return 3000.0 * sinePeriod(i, 40); }, [](int i) { return 1000.0 * sinePeriod(i, 40); });
    EXPECT_NEAR(r.peakIf, 1000.0, 0.5);
    EXPECT_NEAR(r.peakIk, 3000.0, 0.5);
    EXPECT_NEAR(r.waveIf[12], 1000.0 * sinePeriod(12, 40), 0.5);
    EXPECT_NEAR(r.waveIk[12], 3000.0 * sinePeriod(12, 40), 0.5);
    // The figures beside the panels stay with their own signal.
    EXPECT_EQ(r.Ifrms, 0.2f);
    EXPECT_EQ(r.Ikrms, 0.4f);
    EXPECT_EQ(r.Ifm, 0.3f);
}

TEST(OutputWaveforms, ExchangeHappensBeforeTheGroupResets)
{
    // The filament waveform is the larger, so it moves to the cathode slot first; then the absent
    // filament current clears the filament slot, which by now holds the cathode waveform.
    OutputWords w;
    w.Ifrms = 0.001f;
    const TestRecord r = runOutput(
        w, [](int i) { return 3000.0 * sinePeriod(i, 40); }, [](int i) { return 1000.0 * sinePeriod(i, 40); });
    EXPECT_EQ(r.peakIf, 1.0f);
    EXPECT_EQ(r.waveIf[10], 0.0f);
    EXPECT_NEAR(r.peakIk, 3000.0, 0.5);
    EXPECT_NEAR(r.waveIk[10], 3000.0, 0.5);
    EXPECT_EQ(r.Ikrms, 0.4f);
}

TEST(OutputWaveforms, SmallerFilamentWaveformStays)
{
    const TestRecord r = runOutput(OutputWords{});
    EXPECT_NEAR(r.peakIf, 300.0, 0.5);
    EXPECT_NEAR(r.peakIk, 700.0, 0.5);
}

TEST(OutputPresence, LampVoltageBelowTenVolts)
{
    OutputWords w;
    w.Ulrms = 9.9f;
    const TestRecord r = runOutput(w);
    EXPECT_EQ(r.Ulrms, 0.0f);
    EXPECT_EQ(r.Ulm, 0.0f);
    EXPECT_EQ(r.Ulcf, 0.0f);
    EXPECT_EQ(r.Pout, 0.0f); // even with lamp current present
    EXPECT_EQ(r.peakUl, 1.0f);
    EXPECT_EQ(r.waveUl[13], 0.0f);
    EXPECT_EQ(r.Ilrms, 0.3f);
    EXPECT_EQ(r.Fout, 45.0f);
    w.Ulrms = 10.0f;
    EXPECT_EQ(runOutput(w).Pout, 30.0f);
}

TEST(OutputPresence, LampCurrentBelowThreshold)
{
    OutputWords w;
    w.Ilrms = 0.004f;
    const TestRecord r = runOutput(w);
    for (float v : {r.Fout, r.Pout, r.Ilm, r.Ilrms, r.Ilcf, r.Ilncf, r.Ildhc})
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(r.peakIl, 1.0f);
    EXPECT_EQ(r.waveIl[20], 0.0f);
    EXPECT_EQ(r.Ulrms, 100.0f);
    w.Ilrms = 0.005f;
    EXPECT_EQ(runOutput(w).Fout, 45.0f);
}

TEST(OutputPresence, FilamentAndCathodeEachOnTheirOwn)
{
    OutputWords w;
    w.Ifrms = 0.0049f;
    TestRecord r = runOutput(w);
    EXPECT_EQ(r.Ifrms, 0.0f);
    EXPECT_EQ(r.Ifm, 0.0f);
    EXPECT_EQ(r.Ifcf, 0.0f);
    EXPECT_EQ(r.peakIf, 1.0f);
    EXPECT_EQ(r.waveIf[12], 0.0f);
    EXPECT_EQ(r.Ikrms, 0.4f);
    EXPECT_NEAR(r.peakIk, 700.0, 0.5);

    w = OutputWords{};
    w.Ikrms = 0.0049f;
    r = runOutput(w);
    EXPECT_EQ(r.Ikrms, 0.0f);
    EXPECT_EQ(r.Ikm, 0.0f);
    EXPECT_EQ(r.Ikcf, 0.0f);
    EXPECT_EQ(r.peakIk, 1.0f);
    EXPECT_EQ(r.waveIk[12], 0.0f);
    EXPECT_EQ(r.Ifrms, 0.2f);
}

TEST(OutputRobustness, FlatWaveformOfAPresentSignalKeepsAFiniteScale)
{
    const TestRecord r = runOutput(
        OutputWords{}, [](int) { return 0.0; }, [](int) { return 0.0; });
    EXPECT_EQ(r.peakIf, 1.0f);
    EXPECT_EQ(r.peakIk, 1.0f);
}

TEST(OutputRobustness, CountBeyondTheDisplayArraysIsBounded)
{
    TestRecord r = freshRecord();
    ASSERT_TRUE(load(r, KindOutput, outputCapture(OutputWords{})));
    r.work.sampleCount = 600; // the raw blocks hold 600, the display arrays 200
    r.waveIk[0] = 0.0f;
    evaluateOutput(r);
    EXPECT_NEAR(r.peakUl, 1200.0, 0.5);
    r.work.sampleCount = -3;
    evaluateOutput(r);
    EXPECT_EQ(r.peakUl, 1.0f);
}

// --- comprehensive: both halves on one record ---

Bytes compCapture(const InputWords& in, const OutputWords& out)
{
    return concat(
        {sampleBlock(256, [](int i) { return 10000.0 * sinePeriod(i, 256); }),
         sampleBlock(256, [](int i) { return 8000.0 * sinePeriod(i, 256) + 2400.0 * sinePeriod(i, 256, 3.0); }),
         in.bytes(), out.bytes(), sampleBlock(kOut, lamp), sampleBlock(kOut, filament), sampleBlock(kOut, lampCurrent),
         sampleBlock(kOut, cathode)});
}

TEST(Comprehensive, BothHalvesAndAllFourFlags)
{
    TestRecord r = freshRecord();
    ASSERT_TRUE(load(r, KindComprehensive, compCapture(InputWords{}, OutputWords{})));
    EXPECT_EQ(r.work.sampleCount, 256);
    EXPECT_EQ(r.work.outSampleCount, 150);
    evaluateKind(KindComprehensive, r);
    EXPECT_NEAR(r.THDI, 30.0, 0.01);
    EXPECT_EQ(r.Urms, 230.0f);
    EXPECT_EQ(r.CFi, 1.5f);
    EXPECT_EQ(r.Ulrms, 100.0f);
    EXPECT_NEAR(r.Ildhc, 20.0, 1e-4);
    EXPECT_NEAR(r.peakIl, 900.0, 0.5);
    EXPECT_EQ(r.hasInputResult, 1);
    EXPECT_EQ(r.hasPhaseResult, 1);
    EXPECT_EQ(r.hasOutputResult, 1);
    EXPECT_EQ(r.hasCompResult, 1);
    EXPECT_EQ(r.work.sampleCount, 256);
}

TEST(Comprehensive, OutputHalfUsesItsOwnCount)
{
    TestRecord r = freshRecord();
    ASSERT_TRUE(load(r, KindComprehensive, compCapture(InputWords{}, OutputWords{})));
    // Lamp samples beyond the 150 of this run must not be shown (left from an earlier test).
    for (int i = 150; i < 200; ++i)
        encodeSample(30000, r.work.rawUl + 2 * i);
    evaluateComprehensive(r);
    EXPECT_NEAR(r.peakUl, 1200.0, 0.5);
    EXPECT_EQ(r.waveUl[150], 0.0f);
}

TEST(Comprehensive, NoMainsVoltageStillMeasuresTheLamp)
{
    InputWords in;
    in.Urms = 4.0f;
    TestRecord r = freshRecord();
    ASSERT_TRUE(load(r, KindComprehensive, compCapture(in, OutputWords{})));
    evaluateComprehensive(r);
    EXPECT_EQ(r.Urms, 0.0f);
    EXPECT_EQ(r.Irms, 0.0f);
    EXPECT_EQ(r.work.sampleCount, 200);
    EXPECT_EQ(r.peakU, 10.0f);
    EXPECT_EQ(r.Ulrms, 100.0f);
    EXPECT_EQ(r.Pout, 30.0f);
    EXPECT_NEAR(r.peakUl, 1200.0, 0.5);
}

TEST(Comprehensive, NoMainsCurrentStillMeasuresVoltageAndLamp)
{
    InputWords in;
    in.Irms = 0.001f;
    TestRecord r = freshRecord();
    ASSERT_TRUE(load(r, KindComprehensive, compCapture(in, OutputWords{})));
    evaluateComprehensive(r);
    EXPECT_EQ(r.Urms, 230.0f);
    EXPECT_NEAR(r.pctU[1], 100.0, 1e-3);
    EXPECT_EQ(r.Irms, 0.0f);
    EXPECT_EQ(r.Pin, 0.0f);
    EXPECT_EQ(r.PF, 0.0f);
    EXPECT_EQ(r.THDI, 0.0f);
    EXPECT_EQ(r.Fout, 45.0f);
}

} // namespace
} // namespace korvex::testing
