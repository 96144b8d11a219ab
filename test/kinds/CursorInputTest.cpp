// The cursor arithmetic of the start and preheat-energy pages at the edges of their plots.
#include <gtest/gtest.h>

#include <optional>

#include "kinds/CursorInput.h"

namespace korvex {
namespace {

TestRecord startRecord()
{
    TestRecord r;
    resetStartResults(r);
    for (int i = 0; i < kStartSamples; ++i) {
        r.waveStartUl[i] = float(i); // plot units; the page scales by StrUlp / peak
        r.waveStartIl[i] = float(2 * i);
        r.waveStartIf[i] = 1.0f;
        r.waveStartIk[i] = -1.0f;
    }
    r.StrUlp = 600.0f;
    r.peakStartUl = 300.0f;
    r.StrIlp = 0.5f;
    r.peakStartIl = 100.0f;
    r.StrIfp = 0.25f;
    r.peakStartIf = 1.0f;
    r.StrIkp = 2.0f;
    r.peakStartIk = 4.0f;
    return r;
}

TEST(StartCursorClick, LeftOfThePlotIsNoPosition)
{
    const TestRecord r = startRecord();
    EXPECT_FALSE(startCursorClick(r, 38, 640)); // 38 - 40 = -2
}

TEST(StartCursorClick, FirstAndLastPlotPixelAtReferenceWidth)
{
    const TestRecord r = startRecord();
    const std::optional<StartCursor> first = startCursorClick(r, 40, 640);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->index, 0);
    EXPECT_FLOAT_EQ(first->time, 0.0f);
    const std::optional<StartCursor> last = startCursorClick(r, 339, 640);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->index, 299);
    EXPECT_FLOAT_EQ(last->time, 299.0f * 5.0f / 300.0f);
    EXPECT_FALSE(startCursorClick(r, 340, 640)); // one past the plot's end
}

TEST(StartCursorClick, DoubleWidthMapsTwoPixelsToOneSample)
{
    const TestRecord r = startRecord();
    const std::optional<StartCursor> middle = startCursorClick(r, 80 + 301, 1280); // s = 2: offset 301 -> 150
    ASSERT_TRUE(middle);
    EXPECT_EQ(middle->index, 150);
    EXPECT_FLOAT_EQ(middle->time, 301.0f * 5.0f / 600.0f);
    const std::optional<StartCursor> last = startCursorClick(r, 80 + 599, 1280);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->index, 299);
    EXPECT_FALSE(startCursorClick(r, 80 + 600, 1280));
}

TEST(StartCursorClick, ReadoutsAreScaledByPeakValues)
{
    const TestRecord r = startRecord();
    const std::optional<StartCursor> c = startCursorClick(r, 40 + 150, 640);
    ASSERT_TRUE(c);
    EXPECT_FLOAT_EQ(c->ul, 150.0f * 600.0f / 300.0f);
    EXPECT_FLOAT_EQ(c->il, 300.0f * 0.5f / 100.0f);
    EXPECT_FLOAT_EQ(c->iff, 0.25f);
    EXPECT_FLOAT_EQ(c->ik, -0.5f);
}

TEST(StartCursorClick, ZeroPeakReadsZeroInsteadOfInfinity)
{
    TestRecord r = startRecord();
    r.peakStartUl = 0.0f;
    const std::optional<StartCursor> c = startCursorClick(r, 100, 640);
    ASSERT_TRUE(c);
    EXPECT_FLOAT_EQ(c->ul, 0.0f);
    EXPECT_GT(c->il, 0.0f); // the other curves are unaffected
}

TEST(StartCursorClick, EmptyDrawingAreaIgnoresClicks)
{
    const TestRecord r = startRecord();
    EXPECT_FALSE(startCursorClick(r, 0, 0));
    EXPECT_FALSE(startCursorClick(r, 5, 0));
}

TEST(StartCursorKeys, LeftFromFirstSampleWrapsToLast)
{
    TestRecord r = startRecord();
    r.cursorIndex = 0;
    const StartCursor c = startCursorStep(r, -1);
    EXPECT_EQ(c.index, 299);
    EXPECT_FLOAT_EQ(c.time, 299.0f * 5.0f / 300.0f);
    EXPECT_FLOAT_EQ(c.ul, 299.0f * 2.0f);
}

TEST(StartCursorKeys, RightFromLastSampleWrapsToFirst)
{
    TestRecord r = startRecord();
    r.cursorIndex = 299;
    storeStartCursor(r, startCursorStep(r, +1));
    EXPECT_EQ(r.cursorIndex, 0);
    EXPECT_FLOAT_EQ(r.cursorTime, 0.0f);
    storeStartCursor(r, startCursorStep(r, +1));
    EXPECT_EQ(r.cursorIndex, 1);
    EXPECT_FLOAT_EQ(r.cursorTime, 5.0f / 300.0f);
    EXPECT_FLOAT_EQ(r.cursorIl, 2.0f * 0.5f / 100.0f);
}

TEST(StartCursorKeys, OutOfRangeIndexRestartsAtZero)
{
    TestRecord r = startRecord();
    r.cursorIndex = 5000; // e.g. from a damaged file
    EXPECT_EQ(startCursorStep(r, +1).index, 1);
}

TEST(EnergyCursorClick, FirstPlotPixelGivesSampleZero)
{
    EXPECT_EQ(energyCursorClick(40, 640), 0);
    EXPECT_EQ(energyCursorClick(41, 640), 0); // e = 0
    EXPECT_EQ(energyCursorClick(42, 640), 3); // e = 1: 3.3333 -> 3
}

TEST(EnergyCursorClick, PlotEdges)
{
    EXPECT_FALSE(energyCursorClick(39, 640));
    EXPECT_EQ(energyCursorClick(339, 640), 993); // e = 298: 993.32 -> 993
    EXPECT_FALSE(energyCursorClick(340, 640));
}

TEST(EnergyCursorDrag, RoundsThePixelBeforeScaling)
{
    // Width 1000: s = 1.5625, plot from 62.5. x = 101: d / s - 1 = 23.64.
    EXPECT_EQ(energyCursorClick(101, 1000), 79); // 3.3333 * 23.64 = 78.8
    EXPECT_EQ(energyCursorDrag(101, 1000), 80);  // 3.3333 * 24 = 79.9992
}

TEST(EnergyCursorDrag, SameBoundsAsTheClick)
{
    // Width 1000: the plot covers 62.5 <= x < 531.25.
    EXPECT_FALSE(energyCursorDrag(62, 1000));
    EXPECT_FALSE(energyCursorDrag(532, 1000));
    EXPECT_EQ(energyCursorDrag(531, 1000), 997); // 298.84 -> 299 pixels, 3.3333 * 299 = 996.66
}

} // namespace
} // namespace korvex
