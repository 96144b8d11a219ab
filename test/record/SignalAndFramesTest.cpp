// roundHalfDown, the peak search, resampling, and the instrument's value encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "link/Frames.h"
#include "record/Signal.h"

using namespace korvex;

TEST(RoundHalfDown, HalfRoundsDownAboveHalfRoundsUp)
{
    EXPECT_EQ(roundHalfDown(2.5f), 2);
    EXPECT_EQ(roundHalfDown(2.51f), 3);
    EXPECT_EQ(roundHalfDown(-0.7f), 0);
    EXPECT_EQ(roundHalfDown(0.0f), 0);
    EXPECT_EQ(roundHalfDown(999.9f), 1000);
    EXPECT_EQ(roundHalfDown(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(roundHalfDown(1e20f), std::numeric_limits<int32_t>::max());
}

TEST(PeakSearch, LargestAbsoluteValueFirstIndexWins)
{
    const float v[] = {1.0f, -3.0f, 2.0f, 3.0f, -3.0f};
    int32_t index = -1;
    EXPECT_FLOAT_EQ(peakSearch(v, 5, index), 3.0f);
    EXPECT_EQ(index, 1);
    EXPECT_FLOAT_EQ(peakSearch(v, 1, index), 1.0f);
    EXPECT_EQ(index, 0);
}

TEST(PeakSearch, AllZeroLeavesTheIndexAlone)
{
    const float zeros[4] = {};
    int32_t index = 17;
    EXPECT_FLOAT_EQ(peakSearch(zeros, 4, index), 0.0f);
    EXPECT_EQ(index, 17);
}

TEST(Resample, LinearInterpolationOntoTwoHundredPoints)
{
    float w[500];
    for (int i = 0; i < 500; ++i)
        w[i] = static_cast<float>(i);
    resampleTo200(w, 256, 500);
    EXPECT_FLOAT_EQ(w[0], 0.0f);
    EXPECT_FLOAT_EQ(w[1], 1.28f);
    EXPECT_FLOAT_EQ(w[100], 128.0f);
    EXPECT_NEAR(w[199], 254.72f, 1e-4);
    EXPECT_FLOAT_EQ(w[200], 200.0f); // beyond the 200 points nothing changes
}

TEST(Resample, ShorterPeriodStretches)
{
    float w[300] = {};
    for (int i = 0; i <= 150; ++i) // the last point interpolates towards the sample after the period
        w[i] = static_cast<float>(2 * i);
    resampleTo200(w, 150, 300);
    EXPECT_FLOAT_EQ(w[2], 3.0f);     // position 1.5
    EXPECT_FLOAT_EQ(w[199], 298.5f); // position 149.25
}

namespace {
float decode(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    const uint8_t b[4] = {b0, b1, b2, b3};
    return decodeInstrumentFloat(b);
}
} // namespace

TEST(InstrumentFloat, DecodesExponentFirstValuesWithTheSignInTheTopMantissaBit)
{
    EXPECT_EQ(decode(0x80, 0, 0, 0), 1.0f);
    EXPECT_EQ(decode(0x81, 0, 0, 0), 2.0f);
    EXPECT_EQ(decode(0x7F, 0, 0, 0), 0.5f);
    EXPECT_EQ(decode(0x80, 0, 0, 0xC0), -1.5f);
    EXPECT_EQ(decode(0x84, 0, 0, 0x20), 20.0f);
    EXPECT_EQ(decode(0x00, 0x12, 0x34, 0x56), 0.0f);
    EXPECT_EQ(decode(0x00, 0xFF, 0xFF, 0xFF), 0.0f);
    EXPECT_EQ(decode(0x01, 0, 0, 0), 0.0f);
    const float negZero = decode(0x01, 0, 0, 0x80);
    EXPECT_EQ(negZero, 0.0f);
    EXPECT_TRUE(std::signbit(negZero));
    EXPECT_EQ(decode(0xFF, 0xFF, 0xFF, 0x7F), std::numeric_limits<float>::max());
}

TEST(InstrumentFloat, NoPatternGivesInfinityOrNaN)
{
    for (int e = 0; e < 256; ++e)
        for (const uint8_t b3 : {0x00, 0x7F, 0x80, 0xFF}) {
            const float v = decode(static_cast<uint8_t>(e), 0xFF, 0xFF, b3);
            EXPECT_TRUE(std::isfinite(v)) << e;
        }
}

TEST(InstrumentFloat, EncodingRoundTrips)
{
    for (const float v : {1.0f, -1.5f, 230.25f, 0.0049f, 3.0e-39f, -2.5e30f, std::numeric_limits<float>::max()}) {
        uint8_t b[4];
        encodeInstrumentFloat(v, b);
        EXPECT_EQ(decodeInstrumentFloat(b), v);
    }
    uint8_t b[4];
    encodeInstrumentFloat(20.0f, b);
    EXPECT_EQ(b[0], 0x84);
    EXPECT_EQ(b[3], 0x20);
}

TEST(Samples, SignedLowByteFirst)
{
    const uint8_t a[] = {0x00, 0x80}, c[] = {0xFF, 0x7F}, d[] = {0x01, 0x00}, e[] = {0xFF, 0xFF};
    EXPECT_EQ(decodeSample(a), -32768);
    EXPECT_EQ(decodeSample(c), 32767);
    EXPECT_EQ(decodeSample(d), 1);
    EXPECT_EQ(decodeSample(e), -1);
}

TEST(BlockTable, SizesOfEachRun)
{
    EXPECT_EQ(replyBytesOf(KindInput), 512 + 512 + 40);
    EXPECT_EQ(replyBytesOf(KindPhase), replyBytesOf(KindInput));
    EXPECT_EQ(replyBytesOf(KindOutput), 64 + 4 * 300);
    EXPECT_EQ(replyBytesOf(KindComprehensive), 512 + 512 + 104 + 4 * 300);
    EXPECT_EQ(replyBytesOf(KindStart), 4 * 600 + 37);
    EXPECT_EQ(replyBytesOf(KindEnergy), 1 + 3 * 2000 + 18);
    EXPECT_EQ(sequenceFor(0), nullptr);
    EXPECT_EQ(sequenceFor(7), nullptr);
    EXPECT_EQ(sequenceFor(KindComprehensive)->command, '2');
    EXPECT_EQ(sequenceFor(KindEnergy)->command, '5');
}

TEST(BlockTable, EachBlockFillsItsOwnBytesAndNoMore)
{
    TestRecord r;
    const std::vector<uint8_t> block(size_t(kLargestReplyBlock), 0xA5);
    auto filled = [](const uint8_t* bytes, size_t n) { return size_t(std::count(bytes, bytes + n, uint8_t(0xA5))); };
    // The voltage block holds 256 samples of the 500 the field has room for.
    storeBlock(r, sequenceFor(KindInput)->steps[0], block.data());
    EXPECT_EQ(filled(r.work.rawU, sizeof r.work.rawU), 512u);
    EXPECT_EQ(r.work.rawU[512], 0);
    // The output curves hold 150 samples of 600.
    storeBlock(r, sequenceFor(KindOutput)->steps[4], block.data());
    EXPECT_EQ(filled(r.work.rawIk, sizeof r.work.rawIk), 300u);
    // The four start curves lie end to end, each in its own quarter.
    for (const ReplyStep& step : sequenceFor(KindStart)->steps)
        storeBlock(r, step, block.data());
    EXPECT_EQ(filled(r.work.rawStart, sizeof r.work.rawStart), sizeof r.work.rawStart);
    EXPECT_EQ(filled(r.work.startBlock, sizeof r.work.startBlock), 36u);
    // The energy curves: 1000 samples of -23131 each, the whole curve.
    storeBlock(r, sequenceFor(KindEnergy)->steps[3], block.data());
    EXPECT_EQ(std::count(std::begin(r.waveEnergy), std::end(r.waveEnergy), float(int16_t(0xA5A5))), kEnergySamples);
}

TEST(BlockTable, StoreBlockFillsDestinationsAndCounts)
{
    TestRecord r;
    uint8_t block[2000];
    for (int i = 0; i < 2000; ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    const SequenceSpec* comp = sequenceFor(KindComprehensive);
    storeBlock(r, comp->steps[2], block); // the 104-byte combined parameters
    EXPECT_EQ(std::memcmp(r.work.paramBlock, block, 40), 0);
    EXPECT_EQ(std::memcmp(r.work.outParamBlock, block + 40, 64), 0);
    storeBlock(r, comp->steps[3], block);
    EXPECT_EQ(r.work.outSampleCount, 150);

    const SequenceSpec* start = sequenceFor(KindStart);
    storeBlock(r, start->steps[4], block);
    EXPECT_EQ(r.work.startSwapFlag, block[36]);

    encodeSample(-1234, block);
    storeBlock(r, sequenceFor(KindEnergy)->steps[1], block);
    EXPECT_EQ(r.work.sampleCount, 1000);
    EXPECT_EQ(r.waveFilamentU[0], -1234.0f);
}
