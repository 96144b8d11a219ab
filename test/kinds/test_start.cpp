// Start evaluation: word order, channel exchange, presence tests and the cursor read-outs.
#include <gtest/gtest.h>

#include "CaptureBuilder.h"
#include "kinds/Starttest.h"

namespace korvex::testing {
namespace {

constexpr int kS = 300;

/// The nine words of the start tail in reply order.
struct StartWords {
    float Ulp = 600.0f, Ifp = 0.8f, Ilp = 0.4f, Ikp = 0.9f, T = 1.2f;
    float UlpT = 1.0f, IfpT = 0.5f, IlpT = 1.5f, IkpT = 0.6f;
    uint8_t swap = 0;
    Bytes bytes() const
    {
        Bytes b = floatBlock({Ulp, Ifp, Ilp, Ikp, T, UlpT, IfpT, IlpT, IkpT});
        b.push_back(swap);
        return b;
    }
};

// Envelopes in instrument units: a ramp of lamp voltage, a preheat bump of filament current, the
// lamp current rising after ignition with its largest value at sample 180.
double envUl(int i)
{
    return 10.0 * i;
}
double envIf(int i)
{
    return i < 100 ? 800.0 : 200.0;
}
double envIl(int i)
{
    return i < 120 ? 0.0 : (i == 180 ? 1000.0 : 500.0);
}
double envIk(int i)
{
    return i < 100 ? 900.0 : 100.0;
}

TestRecord runStart(const StartWords& w, const std::function<double(int)>& il = envIl,
                    const std::function<double(int)>& iff = envIf)
{
    TestRecord r = freshRecord();
    r.work.peakIndex = 4711; // left by some earlier search
    EXPECT_TRUE(load(r, KindStart,
                     concat({sampleBlock(kS, envUl), sampleBlock(kS, iff), sampleBlock(kS, il), sampleBlock(kS, envIk),
                             w.bytes()})));
    evaluateKind(KindStart, r);
    return r;
}

TEST(StartDecoding, ReplyOrderDiffersFromRecordOrder)
{
    const TestRecord r = runStart(StartWords{});
    EXPECT_EQ(r.StrUlp, 600.0f);
    EXPECT_EQ(r.StrIfp, 0.8f);
    EXPECT_EQ(r.StrIlp, 0.4f);
    EXPECT_EQ(r.StrIkp, 0.9f);
    EXPECT_EQ(r.StrT, 1.2f);
    EXPECT_EQ(r.UlpT, 1.0f);
    EXPECT_EQ(r.IfpT, 0.5f);
    EXPECT_EQ(r.IlpT, 1.5f);
    EXPECT_EQ(r.IkpT, 0.6f);
    EXPECT_EQ(r.peakStartUl, 2990.0f);
    EXPECT_EQ(r.peakStartIf, 800.0f);
    EXPECT_EQ(r.peakStartIl, 1000.0f);
    EXPECT_EQ(r.peakStartIk, 900.0f);
    EXPECT_EQ(r.hasStartResult, 1);
    EXPECT_EQ(r.resultsShown, 1);
}

TEST(StartCursor, SitsAtTheLargestLampCurrent)
{
    const TestRecord r = runStart(StartWords{});
    EXPECT_EQ(r.cursorIndex, 180);
    EXPECT_FLOAT_EQ(r.cursorTime, 3.0f);
    // Envelope value x instrument peak / envelope peak.
    EXPECT_FLOAT_EQ(r.cursorIl, 0.4f);
    EXPECT_FLOAT_EQ(r.cursorUl, 1800.0f * 600.0f / 2990.0f);
    EXPECT_FLOAT_EQ(r.cursorIf, 200.0f * 0.8f / 800.0f);
    EXPECT_FLOAT_EQ(r.cursorIk, 100.0f * 0.9f / 900.0f);
}

TEST(StartCursor, FirstOfEqualMaximaAndLastSample)
{
    TestRecord r = runStart(StartWords{}, [](int i) { return (i == 150 || i == 250) ? 1000.0 : 10.0; });
    EXPECT_EQ(r.cursorIndex, 150);
    r = runStart(StartWords{}, [](int i) { return i == 299 ? -1000.0 : 10.0; });
    EXPECT_EQ(r.cursorIndex, 299);
    EXPECT_NEAR(r.cursorTime, 4.98333, 1e-4);
    EXPECT_FLOAT_EQ(r.cursorIl, -0.4f);
}

TEST(StartCursor, AllZeroLampCurrentKeepsTheCursorInRange)
{
    const TestRecord r = runStart(
        StartWords{}, [](int) { return 0.0; }, [](int) { return 0.0; });
    EXPECT_GE(r.cursorIndex, 0);
    EXPECT_LT(r.cursorIndex, kS);
    // Present by the instrument's figure but a flat envelope: read-out 0, finite plot scale.
    EXPECT_EQ(r.cursorIl, 0.0f);
    EXPECT_EQ(r.cursorIf, 0.0f);
    EXPECT_EQ(r.peakStartIl, 1.0f);
    EXPECT_EQ(r.peakStartIf, 1.0f);
}

TEST(StartCursor, MovingTheCursorIsBounded)
{
    TestRecord r = runStart(StartWords{});
    setStartCursor(r, 1000);
    EXPECT_EQ(r.cursorIndex, 299);
    setStartCursor(r, -4);
    EXPECT_EQ(r.cursorIndex, 0);
    EXPECT_EQ(r.cursorIl, 0.0f); // no lamp current before ignition
    EXPECT_FLOAT_EQ(r.cursorIf, 0.8f);
}

TEST(StartSwap, FlagExchangesFilamentAndCathodeEnvelopes)
{
    StartWords w;
    w.swap = 1;
    const TestRecord r = runStart(w);
    EXPECT_EQ(r.peakStartIf, 900.0f);
    EXPECT_EQ(r.peakStartIk, 800.0f);
    EXPECT_EQ(r.waveStartIf[0], 900.0f);
    EXPECT_EQ(r.waveStartIk[0], 800.0f);
    EXPECT_EQ(r.waveStartIf[299], 100.0f);
    EXPECT_EQ(r.StrIfp, 0.8f); // the figures stay in their panels
    EXPECT_EQ(r.IkpT, 0.6f);
}

TEST(StartSwap, PresenceTestsAndCursorSeeTheExchangedEnvelopes)
{
    // After the exchange the filament slot holds the cathode envelope (peak 900) and the cathode
    // slot the filament envelope (peak 800); the read-outs use the exchanged envelopes and peaks
    // with the figures that stayed in their panels. An absent filament current then clears the
    // filament slot, i.e. the cathode envelope.
    StartWords w;
    w.swap = 1;
    TestRecord r = runStart(w);
    ASSERT_EQ(r.cursorIndex, 180);
    EXPECT_FLOAT_EQ(r.cursorIf, 100.0f * 0.8f / 900.0f);
    EXPECT_FLOAT_EQ(r.cursorIk, 200.0f * 0.9f / 800.0f);

    w.Ifp = 0.001f;
    r = runStart(w);
    EXPECT_EQ(r.peakStartIf, 1.0f);
    EXPECT_EQ(r.waveStartIf[0], 0.0f);
    EXPECT_EQ(r.cursorIf, 0.0f);
    EXPECT_EQ(r.peakStartIk, 800.0f);
    EXPECT_EQ(r.waveStartIk[0], 800.0f);
}

TEST(StartSwap, AnyNonZeroByteCounts)
{
    StartWords w;
    w.swap = 0x80;
    EXPECT_EQ(runStart(w).waveStartIf[0], 900.0f);
    w.swap = 0;
    EXPECT_EQ(runStart(w).waveStartIf[0], 800.0f);
}

TEST(StartPresence, UnlitLamp)
{
    StartWords w;
    w.Ilp = 0.0199f;
    const TestRecord r = runStart(w);
    EXPECT_EQ(r.StrIlp, 0.0f);
    EXPECT_EQ(r.IlpT, 0.0f);
    EXPECT_EQ(r.StrT, 0.0f); // no preheat time without ignition
    EXPECT_EQ(r.peakStartIl, 1.0f);
    EXPECT_EQ(r.waveStartIl[180], 0.0f);
    EXPECT_EQ(r.cursorIl, 0.0f);
    EXPECT_EQ(r.StrUlp, 600.0f);
    w.Ilp = 0.02f;
    EXPECT_EQ(runStart(w).StrT, 1.2f);
}

TEST(StartPresence, EachThresholdJustBelowAndAt)
{
    struct Case {
        float StartWords::*word;
        float below;
        float at;
        float TestRecord::*value;
        float TestRecord::*peak;
    };
    const Case cases[] = {
        {&StartWords::Ulp, 19.99f, 20.0f, &TestRecord::StrUlp, &TestRecord::peakStartUl},
        {&StartWords::Ilp, 0.0199f, 0.02f, &TestRecord::StrIlp, &TestRecord::peakStartIl},
        {&StartWords::Ifp, 0.0099f, 0.01f, &TestRecord::StrIfp, &TestRecord::peakStartIf},
        {&StartWords::Ikp, 0.0199f, 0.02f, &TestRecord::StrIkp, &TestRecord::peakStartIk},
    };
    for (const Case& c : cases) {
        StartWords w;
        w.*c.word = c.below;
        TestRecord r = runStart(w);
        EXPECT_EQ(r.*c.value, 0.0f) << c.below;
        EXPECT_EQ(r.*c.peak, 1.0f) << c.below;
        w.*c.word = c.at;
        r = runStart(w);
        EXPECT_EQ(r.*c.value, c.at);
        EXPECT_GT(r.*c.peak, 1.0f) << c.at;
    }
}

TEST(StartPresence, ResetsClearTheirTimes)
{
    StartWords w;
    w.Ulp = 1.0f;
    w.Ifp = 0.001f;
    w.Ikp = 0.001f;
    const TestRecord r = runStart(w);
    EXPECT_EQ(r.UlpT, 0.0f);
    EXPECT_EQ(r.IfpT, 0.0f);
    EXPECT_EQ(r.IkpT, 0.0f);
    EXPECT_EQ(r.waveStartUl[100], 0.0f);
    EXPECT_EQ(r.waveStartIf[0], 0.0f);
    EXPECT_EQ(r.waveStartIk[0], 0.0f);
    EXPECT_EQ(r.IlpT, 1.5f);
}

} // namespace
} // namespace korvex::testing
