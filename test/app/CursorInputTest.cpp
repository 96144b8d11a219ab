// The cursor arithmetic of the start and preheat-energy pages at the edges of their plots.
#include <gtest/gtest.h>

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

TEST(StartCursorClick, LeftOfThePlotChangesNothing)
{
    TestRecord r = startRecord();
    r.cursorIndex = 7;
    r.cursorTime = 1.25f;
    EXPECT_FALSE(startCursorClick(r, 38, 640)); // 38 - 40 = -2
    EXPECT_EQ(r.cursorIndex, 7);
    EXPECT_FLOAT_EQ(r.cursorTime, 1.25f);
}

TEST(StartCursorClick, FirstAndLastPlotPixelAtReferenceWidth)
{
    TestRecord r = startRecord();
    ASSERT_TRUE(startCursorClick(r, 40, 640));
    EXPECT_EQ(r.cursorIndex, 0);
    EXPECT_FLOAT_EQ(r.cursorTime, 0.0f);
    ASSERT_TRUE(startCursorClick(r, 339, 640));
    EXPECT_EQ(r.cursorIndex, 299);
    EXPECT_FLOAT_EQ(r.cursorTime, 299.0f * 5.0f / 300.0f);
    r.cursorIndex = 5;
    EXPECT_FALSE(startCursorClick(r, 340, 640)); // one past the plot's end
    EXPECT_EQ(r.cursorIndex, 5);
}

TEST(StartCursorClick, DoubleWidthMapsTwoPixelsToOneSample)
{
    TestRecord r = startRecord();
    ASSERT_TRUE(startCursorClick(r, 80 + 301, 1280)); // s = 2: offset 301 -> sample 150
    EXPECT_EQ(r.cursorIndex, 150);
    EXPECT_FLOAT_EQ(r.cursorTime, 301.0f * 5.0f / 600.0f);
    ASSERT_TRUE(startCursorClick(r, 80 + 599, 1280));
    EXPECT_EQ(r.cursorIndex, 299);
    EXPECT_FALSE(startCursorClick(r, 80 + 600, 1280));
}

TEST(StartCursorClick, ReadoutsAreScaledByPeakValues)
{
    TestRecord r = startRecord();
    ASSERT_TRUE(startCursorClick(r, 40 + 150, 640));
    EXPECT_FLOAT_EQ(r.cursorUl, 150.0f * 600.0f / 300.0f);
    EXPECT_FLOAT_EQ(r.cursorIl, 300.0f * 0.5f / 100.0f);
    EXPECT_FLOAT_EQ(r.cursorIf, 0.25f);
    EXPECT_FLOAT_EQ(r.cursorIk, -0.5f);
}

TEST(StartCursorClick, ZeroPeakReadsZeroInsteadOfInfinity)
{
    TestRecord r = startRecord();
    r.peakStartUl = 0.0f;
    ASSERT_TRUE(startCursorClick(r, 100, 640));
    EXPECT_FLOAT_EQ(r.cursorUl, 0.0f);
    EXPECT_GT(r.cursorIl, 0.0f); // the other curves are unaffected
}

TEST(StartCursorClick, EmptyDrawingAreaIgnoresClicks)
{
    TestRecord r = startRecord();
    EXPECT_FALSE(startCursorClick(r, 0, 0));
    EXPECT_FALSE(startCursorClick(r, 5, 0));
}

TEST(StartCursorKeys, LeftFromFirstSampleWrapsToLast)
{
    TestRecord r = startRecord();
    r.cursorIndex = 0;
    startCursorStep(r, -1);
    EXPECT_EQ(r.cursorIndex, 299);
    EXPECT_FLOAT_EQ(r.cursorTime, 299.0f * 5.0f / 300.0f);
    EXPECT_FLOAT_EQ(r.cursorUl, 299.0f * 2.0f);
}

TEST(StartCursorKeys, RightFromLastSampleWrapsToFirst)
{
    TestRecord r = startRecord();
    r.cursorIndex = 299;
    startCursorStep(r, +1);
    EXPECT_EQ(r.cursorIndex, 0);
    EXPECT_FLOAT_EQ(r.cursorTime, 0.0f);
    startCursorStep(r, +1);
    EXPECT_EQ(r.cursorIndex, 1);
    EXPECT_FLOAT_EQ(r.cursorTime, 5.0f / 300.0f);
}

TEST(StartCursorKeys, OutOfRangeIndexRestartsAtZero)
{
    TestRecord r = startRecord();
    r.cursorIndex = 5000; // e.g. from a damaged file
    startCursorStep(r, +1);
    EXPECT_EQ(r.cursorIndex, 1);
}

TEST(EnergyCursorClick, FirstPlotPixelGivesSampleZero)
{
    TestRecord r;
    r.energyCursor = 500;
    ASSERT_TRUE(energyCursorClick(r, 40, 640));
    EXPECT_EQ(r.energyCursor, 0);
    ASSERT_TRUE(energyCursorClick(r, 41, 640)); // e = 0
    EXPECT_EQ(r.energyCursor, 0);
    ASSERT_TRUE(energyCursorClick(r, 42, 640)); // e = 1: 3.3333 -> 3
    EXPECT_EQ(r.energyCursor, 3);
}

TEST(EnergyCursorClick, PlotEdges)
{
    TestRecord r;
    r.energyCursor = 17;
    EXPECT_FALSE(energyCursorClick(r, 39, 640));
    EXPECT_EQ(r.energyCursor, 17);
    ASSERT_TRUE(energyCursorClick(r, 339, 640)); // e = 298: 993.32 -> 993
    EXPECT_EQ(r.energyCursor, 993);
    EXPECT_FALSE(energyCursorClick(r, 340, 640));
    EXPECT_EQ(r.energyCursor, 993);
}

TEST(EnergyCursorDrag, RoundsThePixelBeforeScaling)
{
    // Width 1000: s = 1.5625, plot from 62.5. x = 101: d / s - 1 = 23.64.
    TestRecord click, drag;
    ASSERT_TRUE(energyCursorClick(click, 101, 1000));
    ASSERT_TRUE(energyCursorDrag(drag, 101, 1000));
    EXPECT_EQ(click.energyCursor, 79); // 3.3333 * 23.64 = 78.8
    EXPECT_EQ(drag.energyCursor, 80);  // 3.3333 * 24 = 79.9992
}

TEST(EnergyCursorDrag, SameBoundsAsTheClick)
{
    // Width 1000: the plot covers 62.5 <= x < 531.25.
    TestRecord r;
    r.energyCursor = 9;
    EXPECT_FALSE(energyCursorDrag(r, 62, 1000));
    EXPECT_FALSE(energyCursorDrag(r, 532, 1000));
    EXPECT_EQ(r.energyCursor, 9);
    ASSERT_TRUE(energyCursorDrag(r, 531, 1000)); // 298.84 -> 299 pixels, 3.3333 * 299 = 996.66
    EXPECT_EQ(r.energyCursor, 997);
}

} // namespace
} // namespace korvex
