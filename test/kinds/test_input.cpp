// Input evaluation: spectra and THD, conduction angles, zero-crossing search, presence resets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "CaptureBuilder.h"
#include "kinds/Inputtest.h"

namespace korvex::testing {
namespace {

constexpr int kN = 256;
constexpr double kStep = 360.0 / kN; // 1.40625 degrees per sample

/// Runs the input test on a voltage and a current of one period (256 samples each).
TestRecord runInput(const std::function<double(int)>& u, const std::function<double(int)>& i,
                    const InputWords& words = {})
{
    TestRecord r = freshRecord();
    EXPECT_TRUE(load(r, KindInput, concat({sampleBlock(kN, u), sampleBlock(kN, i), words.bytes()})));
    evaluateKind(KindInput, r);
    return r;
}

double voltage(int i)
{
    return 10000.0 * sinePeriod(i, kN);
}

/// A rectangular current conducting from 30 to 150 degrees after the voltage's rising crossing
/// (index shift), with a small hump at 90 degrees so the peak is unique, and the mirror image in
/// the negative half-wave. sign -1 swaps the half-waves.
double pulse(int i, int shift, double sign = 1.0)
{
    const int j = ((i - shift) % kN + kN) % kN;
    const auto lobe = [](int k) {
        if (k < 22 || k > 106) // 30 deg = 21.33 samples, 150 deg = 106.67 samples
            return 0.0;
        return k == 64 ? 6000.0 : 5000.0;
    };
    if (j < kN / 2)
        return sign * lobe(j);
    return -sign * lobe(j - kN / 2);
}

TEST(InputSpectrum, PureSineCurrentHasNoDistortion)
{
    InputWords w;
    w.Irms = 0.75f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN, 1.0, 10.0); }, w);
    EXPECT_NEAR(r.THDI, 0.0, 0.01);
    EXPECT_NEAR(r.THDIcsa, 0.0, 0.01);
    EXPECT_NEAR(r.THDU, 0.0, 0.01);
    EXPECT_NEAR(r.harmI[1], 0.75, 1e-5);
    EXPECT_FLOAT_EQ(r.pctI[1], 100.0f);
    EXPECT_NEAR(r.mApW[1], 0.75 * 1000.0 / 100.0, 1e-3);
    // Unnormalised magnitude of a real sine of amplitude A over N points is A * N / 2.
    EXPECT_NEAR(r.ampU[1], 10000.0 * kN / 2, 10000.0 * kN / 2 * 1e-4);
    EXPECT_EQ(r.hasInputResult, 1);
    EXPECT_EQ(r.hasPhaseResult, 1);
}

TEST(InputSpectrum, ThirtyPercentThirdHarmonic)
{
    const TestRecord r =
        runInput(voltage, [](int i) { return 8000.0 * sinePeriod(i, kN) + 2400.0 * sinePeriod(i, kN, 3.0); });
    EXPECT_NEAR(r.THDI, 30.0, 0.01);
    EXPECT_NEAR(r.THDIcsa, 30.0 / std::sqrt(1.09), 0.01); // 28.74
    EXPECT_NEAR(r.pctI[3], 30.0, 0.01);
    // Ihf 0: nothing beyond order 39, the wide-band figures equal the narrow ones.
    EXPECT_FLOAT_EQ(r.THDIw, r.THDI);
    EXPECT_FLOAT_EQ(r.THDIwcsa, r.THDIcsa);
    // The fundamental RMS follows from Irms and THD: 0.5 / sqrt(1.09).
    EXPECT_NEAR(r.harmI[1], 0.5 / std::sqrt(1.09), 1e-4);
    EXPECT_NEAR(r.harmI[3], 0.3 * 0.5 / std::sqrt(1.09), 1e-4);
}

TEST(InputSpectrum, WideBandAddsTheResidualCurrent)
{
    InputWords w;
    w.Irms = 1.0f;
    w.Ihf = 0.1f; // 10 % of the fundamental beyond order 39
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN); }, w);
    EXPECT_NEAR(r.THDIw, 10.0, 0.01);
    EXPECT_NEAR(r.THDIwcsa, 100.0 * std::sqrt(100.0 / 10100.0), 0.01);
    EXPECT_NEAR(r.THDI, 0.0, 0.01);
}

TEST(InputSpectrum, WideBandResidualIsRelativeToTheFundamentalNotTheRms)
{
    // 30 % third harmonic: the fundamental is Irms / sqrt(1.09). Ihf of 10 % of that fundamental
    // adds 100 to the squared sums: THDIw = sqrt(900 + 100), THDIwcsa = sqrt(1000 / 11000) * 100.
    // Taking Irms as the fundamental would give 31.49 and 30.04 instead.
    InputWords w;
    w.Irms = 1.0f;
    w.Ihf = static_cast<float>(0.1 / std::sqrt(1.09));
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN) + 2400.0 * sinePeriod(i, kN, 3.0); }, w);
    EXPECT_NEAR(r.THDI, 30.0, 0.01);
    EXPECT_NEAR(r.THDIw, std::sqrt(1000.0), 0.01);
    EXPECT_NEAR(r.THDIwcsa, 100.0 * std::sqrt(1000.0 / 11000.0), 0.01);
}

TEST(InputSpectrum, VoltageWithoutFundamentalIsMeasuredAgainstOne)
{
    const TestRecord r =
        runInput([](int i) { return 9000.0 * std::cos(4.0 * std::numbers::pi * i / kN); }, // order 2 only
                 [](int i) { return 8000.0 * sinePeriod(i, kN); });
    EXPECT_NEAR(r.pctU[1], 0.0, 1e-3);
    EXPECT_NEAR(r.THDUcsa, 100.0, 1e-3);
    EXPECT_TRUE(std::isfinite(r.THDU));
}

TEST(InputSpectrum, CurrentWithoutFundamentalGivesZeroNotNaN)
{
    // Only a 3rd harmonic: the fundamental bin is 0, percentages have no reference.
    const TestRecord r = runInput(voltage, [](int i) { return 3000.0 * sinePeriod(i, kN, 3.0); });
    for (int n = 0; n < kHarmonics; ++n) {
        ASSERT_TRUE(std::isfinite(r.pctI[n])) << n;
        ASSERT_TRUE(std::isfinite(r.harmI[n])) << n;
        ASSERT_TRUE(std::isfinite(r.mApW[n])) << n;
    }
    for (float v : {r.THDI, r.THDIcsa, r.THDIw, r.THDIwcsa})
        EXPECT_TRUE(std::isfinite(v));
}

TEST(InputSpectrum, ExactlyZeroFundamentalCurrentBin)
{
    // A current at order 2 only, sampled so its fundamental bin is exactly 0 (an even signal
    // with period N/2 has no odd-order content at all).
    const TestRecord r = runInput(voltage, [](int i) { return 4000.0 * std::cos(4.0 * std::numbers::pi * i / kN); });
    ASSERT_EQ(r.ampI[1], 0.0f);
    for (int n = 0; n < kHarmonics; ++n) {
        EXPECT_EQ(r.pctI[n], 0.0f);
        EXPECT_EQ(r.harmI[n], 0.0f);
        EXPECT_EQ(r.mApW[n], 0.0f);
    }
    EXPECT_EQ(r.THDI, 0.0f);
    EXPECT_EQ(r.THDIcsa, 0.0f);
    EXPECT_EQ(r.THDIw, 0.0f);
    EXPECT_EQ(r.THDIwcsa, 0.0f);
}

TEST(InputSpectrum, ZeroPowerGivesZeroPerWattFigures)
{
    InputWords w;
    w.Pin = 0.0f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN); }, w);
    EXPECT_GT(r.harmI[1], 0.4f);
    for (int n = 0; n < kHarmonics; ++n)
        EXPECT_EQ(r.mApW[n], 0.0f) << n;
}

TEST(InputSpectrum, MeanIsRemovedBeforeTheTransform)
{
    const TestRecord r = runInput([](int i) { return 3000.0 + 10000.0 * sinePeriod(i, kN); },
                                  [](int i) { return -2000.0 + 8000.0 * sinePeriod(i, kN); });
    EXPECT_LT(r.ampU[0], 1.0f);
    EXPECT_LT(r.ampI[0], 1.0f);
    EXPECT_NEAR(r.THDI, 0.0, 0.01);
}

TEST(InputWaveforms, ResampledToTwoHundredPoints)
{
    const TestRecord r = runInput(voltage, [](int i) { return 8000.0 * sinePeriod(i, kN); });
    // Point p of 200 lies at sample 1.28 p: point 50 is the crest, point 100 the half period.
    EXPECT_NEAR(r.waveU[50], 10000.0, 1.0);
    EXPECT_NEAR(r.waveU[100], 0.0, 1.0);
    EXPECT_NEAR(r.waveI[150], -8000.0, 1.0);
    EXPECT_NEAR(r.peakU, 10000.0, 1.0);
    EXPECT_NEAR(r.peakI, 8000.0, 1.0);
}

TEST(InputWaveforms, InterpolatesAtOnePointTwoEightSamplesPerPoint)
{
    // A ramp 10 * (i - 128): its mean is -5, so the mean-free samples lie on the line 10 i - 1275
    // and linear interpolation at position 256 * p / 200 must land on that line exactly. A wrong
    // position rule (255 * p / 199, rounding to a sample) leaves it by several units near the end.
    const auto ramp = [](int i) { return 10.0 * (i - 128); };
    const TestRecord r = runInput(ramp, ramp);
    for (int p = 0; p < kDisplayPoints; ++p) {
        ASSERT_NEAR(r.waveU[p], 12.8 * p - 1275.0, 1e-2) << p;
        ASSERT_NEAR(r.waveI[p], 12.8 * p - 1275.0, 1e-2) << p;
    }
}

TEST(InputWaveforms, PlotScalesComeFromTheResampledPoints)
{
    // A spike at sample 1 falls between display points (point 1 sits at sample 1.28), so the
    // 200 points never reach it: the plot scales are the largest of the resampled points, not
    // the raw spike.
    const auto spiked = [](int i, double a) { return i == 1 ? 30000.0 : a * sinePeriod(i, kN); };
    const TestRecord r = runInput([&](int i) { return spiked(i, 10000.0); }, [&](int i) { return spiked(i, 8000.0); });
    float largestU = 0.0f;
    float largestI = 0.0f;
    for (int p = 0; p < kDisplayPoints; ++p) {
        largestU = std::max(largestU, std::fabs(r.waveU[p]));
        largestI = std::max(largestI, std::fabs(r.waveI[p]));
    }
    EXPECT_EQ(r.peakU, largestU);
    EXPECT_EQ(r.peakI, largestI);
    EXPECT_LT(r.peakU, 25000.0f); // the raw spike is about 29900 once the mean is removed
    EXPECT_LT(r.peakI, 25000.0f);
}

TEST(InputConduction, RectangularPulseAngles)
{
    const int shift = 40; // the voltage crosses zero rising at sample 40
    const TestRecord r = runInput([&](int i) { return 10000.0 * sinePeriod(i, kN, 1.0, shift); },
                                  [&](int i) { return pulse(i, shift); });
    EXPECT_NEAR(r.PhaseStart, 30.0, kStep);
    EXPECT_NEAR(r.PhasePeak, 90.0, kStep);
    EXPECT_NEAR(r.PhaseEnd, 150.0, kStep);
    // The stored first period is aligned to the crossing: it starts at the voltage's zero.
    EXPECT_NEAR(r.work.cycleU[0], 0.0, 1.0);
    EXPECT_GT(r.work.cycleU[1], 0.0f);
}

TEST(InputConduction, CurrentPeakingInTheSecondHalfIsInverted)
{
    const int shift = 40;
    const TestRecord r = runInput([&](int i) { return 10000.0 * sinePeriod(i, kN, 1.0, shift); },
                                  [&](int i) { return pulse(i, shift, -1.0); });
    EXPECT_NEAR(r.PhaseStart, 30.0, kStep);
    EXPECT_NEAR(r.PhasePeak, 90.0, kStep);
    EXPECT_NEAR(r.PhaseEnd, 150.0, kStep);
    // The first period of cycleI stays inverted: the negative hump now reads positive.
    EXPECT_NEAR(r.work.cycleI[64], 6000.0, 1.0);
    // The later periods keep the capture's own alignment and sign.
    EXPECT_NEAR(r.work.cycleI[kN + shift + 64], -6000.0, 1.0);
}

TEST(InputConduction, NoiseCrossingsDoNotCount)
{
    const int shift = 40;
    // A short positive blip in the negative half-wave, 30 samples before the real crossing: a rising
    // crossing that turns negative again within 20 samples. (The large amplitude keeps the
    // blip's share of the mean, and so the shift of the real crossing, below half a sample.)
    const auto u = [&](int i) { return (i >= 10 && i < 15) ? 2000.0 : 30000.0 * sinePeriod(i, kN, 1.0, shift); };
    const TestRecord r = runInput(u, [&](int i) { return pulse(i, shift); });
    EXPECT_NEAR(r.PhaseStart, 30.0, kStep);
    EXPECT_NEAR(r.PhasePeak, 90.0, kStep);
    EXPECT_NEAR(r.PhaseEnd, 150.0, kStep);
}

TEST(InputConduction, VoltageWithoutCrossingLeavesAnglesZero)
{
    const TestRecord r = runInput([](int) { return 5000.0; }, // never negative once the mean is removed
                                  [&](int i) { return pulse(i, 40); });
    EXPECT_EQ(r.PhaseStart, 0.0f);
    EXPECT_EQ(r.PhasePeak, 0.0f);
    EXPECT_EQ(r.PhaseEnd, 0.0f);
    EXPECT_GT(r.THDI, 0.0f); // the harmonics are still computed
}

TEST(ZeroCrossingSearch, ConfirmationNeedsTwentySamples)
{
    std::vector<float> v(300, -1.0f);
    for (int i = 50; i < 70; ++i) // 50..69 >= 0, but the sample 20 later (70) is negative
        v[static_cast<size_t>(i)] = 1.0f;
    for (int i = 100; i < 150; ++i)
        v[static_cast<size_t>(i)] = 1.0f;
    for (int i = 200; i < 250; ++i)
        v[static_cast<size_t>(i)] = 1.0f;
    EXPECT_EQ(findRisingCrossing(v.data(), 300), 100);
    v[70] = 1.0f; // now the sample 20 later is >= 0
    EXPECT_EQ(findRisingCrossing(v.data(), 300), 50);
}

TEST(ZeroCrossingSearch, LookAheadPastTheEndDoesNotConfirm)
{
    std::vector<float> v(120, -1.0f);
    for (int i = 10; i < 60; ++i)
        v[static_cast<size_t>(i)] = 1.0f;
    for (int i = 105; i < 120; ++i) // second crossing at 105, look-ahead 125 is past the end
        v[static_cast<size_t>(i)] = 1.0f;
    EXPECT_EQ(findRisingCrossing(v.data(), 120), -1);
    // With room for the look-ahead the same shape succeeds.
    v.resize(130, 1.0f);
    EXPECT_EQ(findRisingCrossing(v.data(), 130), 10);
}

TEST(ZeroCrossingSearch, SignalThatNeverTurnsNegativeFails)
{
    std::vector<float> v(100, 0.0f);
    EXPECT_EQ(findRisingCrossing(v.data(), 100), -1);
    v.assign(100, -3.0f);
    EXPECT_EQ(findRisingCrossing(v.data(), 100), -1);
}

TEST(InputPresence, VoltageJustBelowThresholdResetsEverything)
{
    InputWords w;
    w.Urms = 4.99f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN); }, w);
    EXPECT_EQ(r.Urms, 0.0f);
    EXPECT_EQ(r.Irms, 0.0f);
    EXPECT_EQ(r.Pin, 0.0f);
    EXPECT_EQ(r.THDU, 0.0f);
    EXPECT_EQ(r.THDI, 0.0f);
    EXPECT_EQ(r.peakU, 10.0f);
    EXPECT_EQ(r.peakI, 0.1f);
    EXPECT_EQ(r.work.sampleCount, 200);
    EXPECT_EQ(r.ampU[1], 1.0f);
    EXPECT_EQ(r.ampI[1], 1.0f);
    for (int i = 0; i < kDisplayPoints; ++i) {
        ASSERT_EQ(r.waveU[i], 0.0f);
        ASSERT_EQ(r.waveI[i], 0.0f);
    }
    EXPECT_EQ(r.hasInputResult, 1); // the page shows the zeros
}

TEST(InputPresence, VoltageAtThresholdIsMeasured)
{
    InputWords w;
    w.Urms = 5.0f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN); }, w);
    EXPECT_EQ(r.Urms, 5.0f);
    EXPECT_EQ(r.Irms, 0.5f);
    EXPECT_EQ(r.work.sampleCount, 256);
}

TEST(InputPresence, CurrentJustBelowThresholdKeepsTheVoltageSide)
{
    InputWords w;
    w.Irms = 0.004f;
    w.Ihf = 0.25f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN) + 2400.0 * sinePeriod(i, kN, 3.0); }, w);
    EXPECT_EQ(r.Urms, 230.0f);
    EXPECT_NEAR(r.peakU, 10000.0, 1.0);
    EXPECT_NEAR(r.pctU[1], 100.0, 1e-3);
    EXPECT_EQ(r.Irms, 0.0f);
    EXPECT_EQ(r.Pin, 0.0f);
    EXPECT_EQ(r.PF, 0.0f);
    EXPECT_EQ(r.THDI, 0.0f);
    EXPECT_EQ(r.pctI[3], 0.0f);
    EXPECT_EQ(r.PhasePeak, 0.0f);
    EXPECT_EQ(r.peakI, 0.1f);
    EXPECT_EQ(r.ampI[1], 1.0f);
    EXPECT_EQ(r.work.Ihf, 0.25f); // left as decoded
}

TEST(InputPresence, CurrentAtThresholdIsMeasured)
{
    InputWords w;
    w.Irms = 0.005f;
    const TestRecord r = runInput(
        voltage, [](int i) { return 8000.0 * sinePeriod(i, kN) + 2400.0 * sinePeriod(i, kN, 3.0); }, w);
    EXPECT_EQ(r.Irms, 0.005f);
    EXPECT_NEAR(r.THDI, 30.0, 0.01);
}

TEST(InputRobustness, OversizedSampleCountStaysInsideTheArrays)
{
    TestRecord r = freshRecord();
    ASSERT_TRUE(
        load(r, KindInput,
             concat({sampleBlock(kN, voltage), sampleBlock(kN, [](int i) { return 8000.0 * sinePeriod(i, kN); }),
                     InputWords{}.bytes()})));
    for (int32_t count : {100000, 267, -5, 0}) {
        r.work.sampleCount = count;
        evaluateInput(r);
        EXPECT_TRUE(std::isfinite(r.THDI)) << count;
        EXPECT_TRUE(std::isfinite(r.PhaseEnd)) << count;
        EXPECT_GT(r.peakU, 0.0f) << count;
        EXPECT_LE(r.PhaseEnd, 360.0f) << count;
    }
}

TEST(InputRobustness, FlatCurrentWithMeasuredRmsKeepsAFiniteScale)
{
    const TestRecord r = runInput(voltage, [](int) { return 0.0; });
    EXPECT_GT(r.peakI, 0.0f);
    EXPECT_EQ(r.PhaseStart, 0.0f);
    EXPECT_EQ(r.PhasePeak, 0.0f);
    EXPECT_EQ(r.PhaseEnd, 0.0f);
    EXPECT_EQ(r.THDI, 0.0f);
}

} // namespace
} // namespace korvex::testing
