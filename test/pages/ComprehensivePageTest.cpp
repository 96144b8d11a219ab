// The comprehensive report pages: value grid, THD method, harmonic and output tables, side
// labels turned or stacked, the print header, and the envelope bars on screen and paper.
#include <gtest/gtest.h>

#include <algorithm>

#include "PageTestData.h"
#include "kinds/RecordingCanvas.h"
#include "kinds/StatictestPage.h"

namespace korvex {
namespace {

using Text = RecordingCanvas::Text;
using Line = RecordingCanvas::Line;

// The only text equal to s at (x, y); returns it for further checks.
Text textAt(const RecordingCanvas& c, const std::string& s, int x, int y)
{
    Text hit{-1, -1, "", "", 0, {}, TextAlign::Left, 0};
    int n = 0;
    for (const Text& t : c.textsEqual(s))
        if (t.x == x && t.y == y) {
            hit = t;
            ++n;
        }
    EXPECT_EQ(n, 1) << "'" << s << "' at " << x << "," << y;
    return hit;
}

// Vertical bars of one colour drawn symmetrically around the centre line y (full-height ones
// of the known record's lamp current).
int barsOfHalfHeight(const RecordingCanvas& c, Colour colour, int centre, int half)
{
    return static_cast<int>(std::count_if(c.lines().begin(), c.lines().end(), [&](const Line& l) {
        return l.colour == colour && l.x1 == l.x2 && l.y1 == centre - half && l.y2 == centre + half;
    }));
}

class ComprehensivePage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownOutput(r); }
    TestRecord r;
};

TEST_F(ComprehensivePage, ScreenGridTablesAndTurnedLabels)
{
    RecordingCanvas c;
    drawComprehensiveScreenEnglish(c, r);
    // Origin (20, 5), row pitch 20: grid rows at 69, 89, 109, THD rows at 129 and 149.
    EXPECT_EQ(textAt(c, "Urms (V)", 290, 69).align, TextAlign::Left);
    const Text urms = textAt(c, "220.0", 387, 69);
    EXPECT_EQ(urms.align, TextAlign::Right);
    EXPECT_EQ(urms.colour, colours::blue);
    textAt(c, "P     (W)", 290, 89);
    textAt(c, "0.951", 619, 89);
    textAt(c, "CFv", 390, 109);
    textAt(c, "1.41", 497, 109);
    textAt(c, "THDIw", 560, 129);
    textAt(c, "1.2%(IEC)", 340, 149);
    textAt(c, "9.1%(IEC)", 560, 149);
    textAt(c, "Luminous flux:", 285, 49);
    textAt(c, "3350 lm", 380, 49);
    textAt(c, "6500 K", 565, 49);
    // Harmonic table: orders 1, 3, .., 11 from y 249 in steps of 20.
    EXPECT_EQ(textAt(c, "voltage", 540, 209).colour, colours::red);
    EXPECT_EQ(textAt(c, "current", 595, 209).colour, colours::blue);
    textAt(c, "11", 480, 349);
    EXPECT_EQ(textAt(c, "5.5", 552, 349).colour, colours::red);
    EXPECT_EQ(textAt(c, "22.1", 612, 349).colour, colours::blue);
    EXPECT_TRUE(c.textsEqual("4.1").empty()); // order 2 is not listed
    // Output table: label and value rows alternate under the same heads.
    textAt(c, "Vrms", 320, 209);
    textAt(c, "102.4 (V)", 320, 229);
    textAt(c, "f", 395, 289);
    textAt(c, "45.68 (kHz)", 395, 309);
    textAt(c, "1.50", 395, 349);
    // Side labels read upwards, centred on their points; the values stay upright.
    const Text input = textAt(c, "Input", 20, 115);
    EXPECT_EQ(input.escapement, 900);
    EXPECT_EQ(input.align, TextAlign::Centre);
    EXPECT_EQ(textAt(c, "Lamp Current", 45, 325).escapement, 900);
    EXPECT_EQ(textAt(c, "Output Characteristic", 20, 285).height, 15);
    EXPECT_EQ(urms.escapement, 0);
}

TEST_F(ComprehensivePage, ThdCellsFollowTheMethodFlag)
{
    r.thdCsa = 1;
    RecordingCanvas c;
    drawComprehensiveScreenEnglish(c, r);
    textAt(c, "1.3%(CSA)", 340, 149);
    textAt(c, "8.6%(CSA)", 445, 149);
    textAt(c, "9.2%(CSA)", 560, 149);
    EXPECT_TRUE(c.textsEqual("1.2%(IEC)").empty());
    RecordingCanvas p(29700, 21000);
    drawComprehensivePrintChinese(p, r);
    textAt(p, "8.6%(CSA)", 19200, -9700);
}

TEST_F(ComprehensivePage, ChineseScreenStacksSideLabels)
{
    RecordingCanvas c;
    drawComprehensiveScreenChinese(c, r);
    // 输入特性分析 at x 36 from y 65 in steps of 16; 输出特性分析 at x 20 from 189 in steps of 32.
    EXPECT_EQ(textAt(c, "输", 36, 65).align, TextAlign::Left);
    textAt(c, "析", 36, 145);
    textAt(c, "输", 20, 189);
    textAt(c, "析", 20, 349);
    textAt(c, "压", 45, 243);
    textAt(c, "流", 45, 343);
    EXPECT_EQ(c.textsEqual("输")[0].escapement, 0);
    textAt(c, "宽频电流 (A)", 500, 69);
    textAt(c, "窄频电流总谐波", 445, 129);
    textAt(c, "谐波", 500, 211);
    textAt(c, "11", 505, 351);
    textAt(c, "灯管电压", 330, 211);
    textAt(c, "灯电流波峰比", 425, 331);
}

TEST_F(ComprehensivePage, PrintHeaderAndTurnedSideLabelsFollowThePrinterFamily)
{
    for (int family : {0, 1}) {
        RecordingCanvas p(29700, 21000);
        drawComprehensivePrintEnglish(p, r, family);
        const Text title = textAt(p, "KORVEX Electronic Ballast Test Instrument", 14300, -2000);
        EXPECT_EQ(title.font, "T 宋体");
        EXPECT_EQ(title.height, 800);
        const int angle = family == 1 ? 900 : 2700;
        EXPECT_EQ(textAt(p, "Input", 2800, -7700).escapement, angle);
        EXPECT_EQ(textAt(p, "Characteristic", 3800, -7700).escapement, angle);
        EXPECT_EQ(textAt(p, "Lamp Voltage", 3800, -12500).escapement, angle);
        EXPECT_EQ(textAt(p, "No. :", 3500, -4300).escapement, 0);
        EXPECT_FALSE(p.metricMode());
        if (family == 1)
            continue;
        textAt(p, "A-17", 5000, -4300);
        textAt(p, "Standard:", 11500, -4300);
        textAt(p, "25℃", 23500, -3800);
        textAt(p, "Luminous flux:", 12800, -5200);
        textAt(p, "3350 lm", 15800, -5200);
        textAt(p, "6500 K", 24500, -5200);
        textAt(p, "2024-3-9", 6500, -19200);
        // "Result:" is a label without a value: nothing else stands right of it on its row.
        textAt(p, "Result:", 18500, -19200);
        for (const Text& t : p.texts())
            EXPECT_FALSE(t.y == -19200 && t.x > 18500) << t.text;
        textAt(p, "Urms (V)", 12700, -6100);
        textAt(p, "1.52", 26100, -7900);
        textAt(p, "Voltage", 22200, -10700);
        textAt(p, "11", 19900, -17700);
        textAt(p, "22.1", 25300, -17700);
        textAt(p, "Ilcf", 17000, -16700);
        textAt(p, "1.50", 17000, -17700);
    }
}

TEST_F(ComprehensivePage, ChinesePrintPage)
{
    RecordingCanvas p(29700, 21000);
    drawComprehensivePrintChinese(p, r);
    const Text title = textAt(p, "KORVEX 电子镇流器综合测试仪", 14300, -2000);
    EXPECT_EQ(title.height, 700);
    EXPECT_EQ(title.font, "宋体");
    // Stacked characters every 5 mm, centred like the turned English lines.
    EXPECT_EQ(textAt(p, "输", 3500, -6200).align, TextAlign::Centre);
    textAt(p, "析", 3500, -8700);
    textAt(p, "输", 3000, -13000);
    textAt(p, "电", 4000, -12500);
    textAt(p, "测定结果:", 20500, -19200);
    textAt(p, "光通量:", 12800, -5200);
    textAt(p, "3350 lm", 14800, -5200);
    textAt(p, "6500 K", 22000, -5200);
    textAt(p, "谐波", 21400, -10700);
    textAt(p, "22.1", 25800, -17700);
    textAt(p, "灯管电压", 14500, -10700);
    textAt(p, "102.4 (V)", 14500, -11700);
}

TEST_F(ComprehensivePage, ScreenEnvelopeBarsFollowTheWidthWhilePrintKeeps100)
{
    // Lamp current at its peak everywhere: bars of +-40 around y 324 (Y0 5, 10 lower, centre 309).
    RecordingCanvas full(640, 385), half(320, 385);
    drawComprehensiveScreenEnglish(full, r);
    drawComprehensiveScreenEnglish(half, r);
    EXPECT_EQ(barsOfHalfHeight(full, colours::blue, 324, 40), 100);
    EXPECT_EQ(barsOfHalfHeight(half, colours::blue, 324, 40), 50);
    RecordingCanvas p(29700, 21000);
    drawComprehensivePrintEnglish(p, r, 0);
    EXPECT_EQ(barsOfHalfHeight(p, colours::black, -16500, -1700), 100); // centre 140 mm + margin
}

TEST_F(ComprehensivePage, ResamplingReadsTheRecordAtPosition150)
{
    // 1920 wide: 300 bars, the last at position 149.5, half way to sample 150.
    RecordingCanvas c(1920, 1080);
    drawComprehensiveScreenEnglish(c, r);
    const int centre = 42 + 309 * 1080 / 385; // trunc(Y0 + 10 sy) + trunc(309 sy) with Y0 = 14
    ASSERT_EQ(centre, 908);
    EXPECT_EQ(barsOfHalfHeight(c, colours::blue, centre, 112), 299); // A = trunc(40 sy)
    EXPECT_EQ(barsOfHalfHeight(c, colours::blue, centre, 56), 1);    // sample 150 is 0 after a reset
    r.waveIl[150] = r.peakIl;
    RecordingCanvas d(1920, 1080);
    drawComprehensiveScreenEnglish(d, r);
    EXPECT_EQ(barsOfHalfHeight(d, colours::blue, centre, 112), 300);
}

} // namespace
} // namespace korvex
