// Loading a captured run: block sizes from the sequence table, the energy acknowledgement.
#include <gtest/gtest.h>

#include "CaptureBuilder.h"

namespace korvex::testing {
namespace {

TEST(CaptureLoading, WrongLengthIsRefusedAndTheRecordKept)
{
    TestRecord r = freshRecord();
    r.work.sampleCount = 77;
    const Bytes capture(replyBytesOf(KindInput) - 1, 0x11);
    std::string error;
    EXPECT_FALSE(loadCapture(r, KindInput, capture.data(), capture.size(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(r.work.sampleCount, 77);
    EXPECT_EQ(r.work.rawU[0], 0);
}

TEST(CaptureLoading, EnergyNeedsTheAcknowledgementFirst)
{
    TestRecord r = freshRecord();
    Bytes capture(static_cast<size_t>(replyBytesOf(KindEnergy)), 0);
    std::string error;
    capture[0] = '?';
    capture[1] = 5; // would be sample 0 of the voltage curve
    EXPECT_FALSE(loadCapture(r, KindEnergy, capture.data(), capture.size(), error));
    EXPECT_EQ(r.waveFilamentU[0], 0.0f);
    capture[0] = '!';
    EXPECT_TRUE(loadCapture(r, KindEnergy, capture.data(), capture.size(), error));
    EXPECT_EQ(r.waveFilamentU[0], 5.0f);
    EXPECT_EQ(r.work.sampleCount, 1000);
}

TEST(CaptureLoading, BlocksLandInArrivalOrder)
{
    TestRecord r = freshRecord();
    const Bytes capture = concat(
        {sampleBlock(256, [](int i) { return i; }), sampleBlock(256, [](int i) { return -i; }), InputWords{}.bytes()});
    std::string error;
    ASSERT_TRUE(loadCapture(r, KindPhase, capture.data(), capture.size(), error)) << error;
    EXPECT_EQ(sampleAt(r.work.rawU, 255), 255);
    EXPECT_EQ(sampleAt(r.work.rawI, 3), -3);
    EXPECT_EQ(decodeInstrumentFloat(r.work.paramBlock), 230.0f);
    EXPECT_EQ(r.work.sampleCount, 256);
}

TEST(CaptureLoading, UnknownKindIsRefused)
{
    TestRecord r;
    std::string error;
    const uint8_t b = 0;
    EXPECT_FALSE(loadCapture(r, 9, &b, 1, error));
    EXPECT_FALSE(loadCapture(r, KindNone, &b, 0, error));
}

} // namespace
} // namespace korvex::testing
