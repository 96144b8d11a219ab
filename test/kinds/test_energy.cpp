// Preheat energy evaluation: calibration, peaks, end of preheat, running energy, page scales.
#include <gtest/gtest.h>

#include "CaptureBuilder.h"
#include "kinds/Energytest.h"

namespace korvex::testing {
namespace {

constexpr int kE = 1000;

Bytes calibration(std::initializer_list<int16_t> words)
{
    Bytes out(18, 0);
    int k = 0;
    for (int16_t w : words)
        encodeSample(w, out.data() + 2 * k++);
    return out;
}

TestRecord runEnergy(const std::function<double(int)>& u, const std::function<double(int)>& i,
                     const std::function<double(int)>& p, const Bytes& calib = Bytes(18, 0))
{
    TestRecord r = freshRecord();
    r.work.peakIndex = 123456; // left by some earlier search
    const Bytes ack{kEnergyAck};
    EXPECT_TRUE(load(r, KindEnergy, concat({ack, sampleBlock(kE, u), sampleBlock(kE, i), sampleBlock(kE, p), calib})));
    evaluateKind(KindEnergy, r);
    return r;
}

// A preheat of 1 s: power 100 W from 0.1 s to 1.1 s with its peak of 120 W at 0.5 s, then 10 W.
double power(int k)
{
    if (k < 20)
        return 0.0;
    if (k == 100)
        return 120.0;
    return k < 220 ? 100.0 : 10.0;
}
double volts(int k)
{
    return k == 300 ? 9.0 : 6.0;
}
double amps(int k)
{
    return k == 50 ? 4.0 : 3.0;
}

TEST(EnergyCalibration, AllZeroBlockLeavesTheCurvesUnscaled)
{
    const TestRecord r = runEnergy(volts, amps, power);
    EXPECT_EQ(r.waveFilamentU[0], 6.0f);
    EXPECT_EQ(r.filamentUMax, 9.0f);
    EXPECT_EQ(r.filamentIMax, 4.0f);
    EXPECT_EQ(r.hasEnergyResult, 1);
    EXPECT_EQ(r.resultsShown, 1);
}

TEST(EnergyCalibration, CoefficientsFromThreeWords)
{
    // voltage 2 + 50 * 0.01 = 2.5; current 0 + 0 + 5000 * 0.0001 = 0.5; power -3 -> 1.0
    const TestRecord r = runEnergy(volts, amps, power, calibration({2, 50, 0, 0, 0, 5000, -3, 0, 0}));
    EXPECT_FLOAT_EQ(r.filamentUMax, 9.0f / 2.5f);
    EXPECT_FLOAT_EQ(r.waveFilamentI[0], 3.0f / 0.5f);
    EXPECT_FLOAT_EQ(r.preheatEnergy, r.waveEnergy[r.preheatEndIndex]);
    EXPECT_FLOAT_EQ(r.waveEnergy[20], 100.0f * 0.005f); // power not scaled
    const uint8_t block[18] = {0xFF, 0xFF, 0x64, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FLOAT_EQ(calibrationCoefficient(block, 0), 1.0f); // -1 + 100 * 0.01 = 0 -> 1.0
}

TEST(EnergyPeaks, TimesOfTheFilamentPeaks)
{
    const TestRecord r = runEnergy(volts, amps, power);
    EXPECT_FLOAT_EQ(r.filamentUMaxTime, 1.5f);
    EXPECT_FLOAT_EQ(r.filamentIMaxTime, 0.25f);
}

TEST(EnergyPeaks, FlatCurvesGetScalesAndTimesInsideTheCapture)
{
    const TestRecord r = runEnergy([](int) { return 0.0; }, [](int) { return 0.0; }, [](int) { return 0.0; });
    EXPECT_EQ(r.filamentUMax, 1.0f);
    EXPECT_EQ(r.filamentIMax, 0.1f);
    EXPECT_EQ(r.filamentUMaxTime, 0.0f);
    EXPECT_GE(r.energyCursor, 0);
    EXPECT_LT(r.energyCursor, kE);
    EXPECT_EQ(r.preheatEnergy, 0.0f);
}

TEST(EnergyPreheat, EndsAtTheFirstSampleNotAboveHalfThePeak)
{
    const TestRecord r = runEnergy(volts, amps, power);
    EXPECT_EQ(r.preheatEndIndex, 220);
    EXPECT_EQ(r.energyCursor, 220);
    EXPECT_FLOAT_EQ(r.preheatTime, 1.1f);
    // 200 samples of 100 W, one of 120 W (replacing a 100), one of 10 W, each 5 ms.
    EXPECT_NEAR(r.preheatEnergy, (199 * 100.0 + 120.0 + 10.0) * 0.005, 1e-3);
}

TEST(EnergyPreheat, ExactlyHalfThePeakEndsIt)
{
    const TestRecord r = runEnergy(volts, amps, [](int k) { return k == 10 ? 100.0 : (k == 40 ? 50.0 : 80.0); });
    EXPECT_EQ(r.preheatEndIndex, 40);
}

TEST(EnergyPreheat, PowerThatNeverFallsEndsAtThePeak)
{
    const TestRecord r = runEnergy(volts, amps, [](int k) { return k == 600 ? 100.0 : 90.0; });
    EXPECT_EQ(r.preheatEndIndex, 600);
    EXPECT_NEAR(r.preheatEnergy, (600 * 90.0 + 100.0) * 0.005, 1e-2);
}

TEST(EnergyPreheat, NegativePowerPeakEndsAtThePeak)
{
    const TestRecord r = runEnergy(volts, amps, [](int k) { return k == 300 ? -200.0 : 150.0; });
    EXPECT_EQ(r.preheatEndIndex, 300);
}

TEST(EnergyRunningSum, LastSampleIsTheTotalEnergy)
{
    const TestRecord r = runEnergy(volts, amps, [](int) { return 20.0; });
    EXPECT_NEAR(r.waveEnergy[kE - 1], 100.0, 1e-3); // 20 W for 5 s
    EXPECT_NEAR(r.waveEnergy[499], 50.0, 1e-3);
    EXPECT_FLOAT_EQ(r.waveEnergy[0], 0.1f);
}

TEST(EnergyScale, AxisFromTheFilamentParameters)
{
    TestRecord r = runEnergy(volts, amps, [](int) { return 2.0; }); // 10 J in all
    r.qPara = 7.0f;
    r.pPara = 9.0f;
    r.fPara = 1.5f;
    updateEnergyScale(r);
    EXPECT_FLOAT_EQ(r.energyScale, 78.0f);
    EXPECT_EQ(r.energyCurrentScale, 1.0f); // 4 A
}

TEST(EnergyScale, MeasuredEnergyAboveTheLimitWidensTheAxis)
{
    TestRecord r = runEnergy(volts, amps, [](int) { return 40.0; }); // 200 J
    r.qPara = 7.0f;
    r.pPara = 9.0f;
    r.fPara = 1.5f;
    updateEnergyScale(r);
    EXPECT_NEAR(r.energyScale, 200.0, 1e-2);
}

TEST(EnergyScale, CurrentAxisHalfAmpereBelowHalfAmpere)
{
    TestRecord r = runEnergy(
        volts, [](int k) { return k == 3 ? 49.0 : 1.0; }, power, calibration({0, 0, 0, 100}));
    ASSERT_FLOAT_EQ(r.filamentIMax, 0.49f);
    updateEnergyScale(r);
    EXPECT_EQ(r.energyCurrentScale, 0.5f);
    r.filamentIMax = 0.5f;
    updateEnergyScale(r);
    EXPECT_EQ(r.energyCurrentScale, 1.0f);
}

TEST(EnergyScale, NothingToShowStillGivesAPositiveAxis)
{
    TestRecord r = freshRecord();
    r.filamentUMax = 0.0f;
    r.filamentIMax = -1.0f;
    updateEnergyScale(r);
    EXPECT_GT(r.energyScale, 0.0f);
    EXPECT_EQ(r.filamentUMax, 1.0f);
    EXPECT_EQ(r.filamentIMax, 0.1f);
    EXPECT_EQ(r.energyCurrentScale, 0.5f);
}

} // namespace
} // namespace korvex::testing
