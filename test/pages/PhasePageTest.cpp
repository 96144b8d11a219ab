// The phase-angle report pages: value row, harmonic tables, fonts scaled by sy, and
// independence of the band and THD-method flags.
#include <gtest/gtest.h>

#include "PageTestData.h"
#include "kinds/PhasetestPage.h"
#include "record/NumberFormat.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

using Text = RecordingCanvas::Text;

// mApW[39] of the known record written with precision 5 and 2 decimals.
const std::string kBig5 = formatFixed(123456.0, 5, 2);

Text only(const RecordingCanvas& c, const std::string& s, TextAlign align)
{
    for (const Text& t : c.textsEqual(s))
        if (t.align == align)
            return t;
    ADD_FAILURE() << "no text '" << s << "'";
    return Text{-1, -1, "", "", 0, {}, TextAlign::Left, 0};
}

class PhaseScreenPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownInput(r); }
    TestRecord r;
};

TEST_F(PhaseScreenPage, ValueRowShowsCurrentSideAndWholeDegrees)
{
    RecordingCanvas c;
    drawPhaseScreen(c, r, testdata::inEnglish(r));
    const char* labels[6] = {"Irms (A)", "PF", "THDI %", "Begin Phase (°)", "Peak Phase (°)", "End Phase (°)"};
    const char* values[6] = {"0.182", "0.987", "8.5", "34", "91", "180"};
    for (int k = 0; k < 6; ++k) {
        const Text l = only(c, labels[k], TextAlign::Centre);
        EXPECT_EQ(l.x, 61 + 103 * k) << labels[k];
        EXPECT_EQ(l.y, 47);
        EXPECT_EQ(l.colour, colours::blue);
        EXPECT_EQ(l.height, 15);
        const Text v = only(c, values[k], TextAlign::Centre);
        EXPECT_EQ(v.x, 61 + 103 * k) << values[k];
        EXPECT_EQ(v.y, 62);
    }
    EXPECT_EQ(only(c, "Input Characteristic Test Report (continued)", TextAlign::Centre).height, 18);
}

TEST_F(PhaseScreenPage, HarmonicTableInAmperesAndMilliampsPerWatt)
{
    RecordingCanvas c;
    drawPhaseScreen(c, r, testdata::inEnglish(r));
    // Columns of 67 from 230, centres at 263 + 67 j.
    const Text o0 = only(c, "0", TextAlign::Right);
    EXPECT_EQ(o0.x, 267);
    EXPECT_EQ(o0.y, 119);
    EXPECT_EQ(o0.colour, colours::red);
    const Text o39 = only(c, "39", TextAlign::Right);
    EXPECT_EQ(o39.x, 468);
    EXPECT_EQ(o39.y, 347);
    const Text h39 = only(c, "0.039", TextAlign::Centre);
    EXPECT_EQ(h39.x, 531);
    EXPECT_EQ(h39.colour, colours::darkGreen);
    // Precision 5: 123456 mA/W no longer fits in fixed notation (and differs from precision 4).
    ASSERT_NE(kBig5.find('E'), std::string::npos);
    ASSERT_NE(kBig5, formatFixed(123456.0, 4, 2));
    const Text m39 = only(c, kBig5, TextAlign::Centre);
    EXPECT_EQ(m39.x, 598);
    EXPECT_EQ(m39.y, 347);
    EXPECT_EQ(m39.colour, colours::blue);
    EXPECT_EQ(only(c, "9.50", TextAlign::Centre).x, 397); // mApW[38], left group
    EXPECT_EQ(c.textsEqual("mA / W").size(), 2u);
}

TEST_F(PhaseScreenPage, SmallTableListsOrderTwoThenOddOrders)
{
    RecordingCanvas c;
    drawPhaseScreen(c, r, testdata::inEnglish(r));
    const int orders[6] = {2, 3, 5, 7, 9, 11};
    for (int k = 0; k < 6; ++k) {
        const Text o = only(c, std::to_string(orders[k]), TextAlign::Centre);
        EXPECT_EQ(o.x, 65);
        EXPECT_EQ(o.y, 265 + 16 * k);
        const Text p = only(c, testdata::pctText(r.pctI[orders[k]]), TextAlign::Centre);
        EXPECT_EQ(p.x, 175);
        EXPECT_EQ(p.y, 265 + 16 * k);
    }
    EXPECT_TRUE(c.textsEqual("4.1").size() == 1u); // order 4 is not in the small table: 8.1 absent
    EXPECT_TRUE(c.textsEqual("8.1").empty());
}

TEST_F(PhaseScreenPage, FontsScaleBySyAlone)
{
    RecordingCanvas c(640, 770);
    drawPhaseScreen(c, r, testdata::inEnglish(r));
    EXPECT_EQ(only(c, "PF", TextAlign::Centre).height, 30);
    EXPECT_EQ(only(c, "PF", TextAlign::Centre).y, 94);
    EXPECT_EQ(only(c, "spectrum", TextAlign::Centre).height, 30);
}

TEST_F(PhaseScreenPage, BandAndMethodFlagsChangeNothing)
{
    RecordingCanvas base;
    drawPhaseScreen(base, r, testdata::inEnglish(r));
    RecordingCanvas basePrint(29700, 21000);
    drawPhasePrint(basePrint, r, testdata::inChinese(r));
    for (int flags = 1; flags < 4; ++flags) {
        TestRecord f = r;
        f.wideBand = flags & 1;
        f.thdCsa = flags >> 1;
        RecordingCanvas c;
        drawPhaseScreen(c, f, testdata::inEnglish(f));
        ASSERT_EQ(c.texts().size(), base.texts().size());
        for (size_t k = 0; k < c.texts().size(); ++k) {
            EXPECT_EQ(c.texts()[k].text, base.texts()[k].text);
            EXPECT_EQ(c.texts()[k].x, base.texts()[k].x);
        }
        ASSERT_EQ(c.lines().size(), base.lines().size());
        RecordingCanvas p(29700, 21000);
        drawPhasePrint(p, f, testdata::inChinese(f));
        ASSERT_EQ(p.texts().size(), basePrint.texts().size());
        for (size_t k = 0; k < p.texts().size(); ++k)
            EXPECT_EQ(p.texts()[k].text, basePrint.texts()[k].text);
    }
}

TEST_F(PhaseScreenPage, ChinesePageMovesSmallTableDown)
{
    RecordingCanvas c;
    drawPhaseScreen(c, r, testdata::inChinese(r));
    EXPECT_EQ(only(c, "电流总谐波 %", TextAlign::Centre).x, 267);
    EXPECT_EQ(only(c, "输入特性测试报告(续)", TextAlign::Centre).font, "Times New Roman");
    const auto spectrum = c.textsEqual("谐波");
    ASSERT_EQ(spectrum.size(), 3u);
    EXPECT_EQ(spectrum[2].y, 228);
}

TEST(PhasePrintPage, PositionsIn001mm)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    RecordingCanvas en(29700, 21000), zh(29700, 21000);
    drawPhasePrint(en, r, testdata::inEnglish(r));
    drawPhasePrint(zh, r, testdata::inChinese(r));
    EXPECT_EQ(only(en, "THDI (%)", TextAlign::Centre).x, 12250);
    EXPECT_EQ(only(en, "THDI (%)", TextAlign::Centre).y, -5300);
    EXPECT_EQ(only(en, "180", TextAlign::Centre).x, 24550);
    EXPECT_EQ(only(en, "180", TextAlign::Centre).y, -6000);
    EXPECT_EQ(only(en, kBig5, TextAlign::Centre).x, 25300);
    EXPECT_EQ(only(en, kBig5, TextAlign::Centre).y, -(8200 + 19 * 500));
    EXPECT_EQ(only(en, "mA/W", TextAlign::Centre).height, 400);
    EXPECT_EQ(only(zh, "谐波", TextAlign::Centre).height, 500);
    // Small table rows, right-aligned at 4950 / 11050 from 14900 in steps of 600.
    int smallEleven = 0;
    for (const Text& t : en.textsEqual("11"))
        smallEleven += t.x == 4950 && t.y == -(14900 + 5 * 600) && t.align == TextAlign::Right;
    EXPECT_EQ(smallEleven, 1);
    EXPECT_EQ(only(en, "22.1", TextAlign::Right).x, 11050);
    // The information block keeps its positions in Chinese.
    EXPECT_EQ(only(zh, "温度:", TextAlign::Left).x, 20500);
    EXPECT_EQ(only(zh, "25℃", TextAlign::Left).x, 23500);
    // Both traces reach 25.5 mm above the zero line at their peaks, in both periods.
    int peaks = 0;
    for (const auto& l : en.lines())
        if (l.y2 == -(10000 - 2550) && (l.x2 == 2700 + 50 * 25 || l.x2 == 7700 + 50 * 25))
            ++peaks;
    EXPECT_EQ(peaks, 4);
    EXPECT_FALSE(en.metricMode());
}

} // namespace
} // namespace korvex
