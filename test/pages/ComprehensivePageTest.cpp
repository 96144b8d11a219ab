// The comprehensive report pages: value grid, THD method, harmonic and output tables, side
// labels turned or stacked, the print header, and the envelope bars on screen and paper.
#include <gtest/gtest.h>

#include <algorithm>

#include "PageTestData.h"
#include "kinds/StatictestPage.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

using Text = RecordingCanvas::Text;
using Line = RecordingCanvas::Line;

// The only text equal to s at (x, y).
Text textAt(const RecordingCanvas& c, const std::string& s, int x, int y)
{
    std::vector<Text> hits;
    for (const Text& t : c.textsEqual(s))
        if (t.x == x && t.y == y)
            hits.push_back(t);
    EXPECT_EQ(hits.size(), 1u) << "'" << s << "' at " << x << "," << y;
    return hits.empty() ? Text{-1, -1, "", "", 0, {}, TextAlign::Left, 0} : hits[0];
}

struct At {
    const char* text;
    int x, y;
};

void expectTexts(const RecordingCanvas& c, std::initializer_list<At> expected)
{
    for (const At& e : expected)
        textAt(c, e.text, e.x, e.y);
}

// Vertical bars of one colour from centre - half to centre + half.
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

TEST_F(ComprehensivePage, ScreenGridTablesAndSideLabels)
{
    RecordingCanvas en, zh;
    drawComprehensiveScreen(en, r, testdata::inEnglish(r));
    drawComprehensiveScreen(zh, r, testdata::inChinese(r));
    // Origin (20, 5), row pitch 20: grid rows at 69, 89, 109, THD rows at 129 and 149; the
    // tables' heads at 209 (English) or 211 (Chinese).
    expectTexts(en, {{"P     (W)", 290, 89},
                     {"0.951", 619, 89},
                     {"CFv", 390, 109},
                     {"THDIw", 560, 129},
                     {"1.2%(IEC)", 340, 149},
                     {"3350 lm", 380, 49},
                     {"6500 K", 565, 49},
                     {"11", 480, 349},
                     {"22.1", 612, 349},
                     {"Vrms", 320, 209},
                     {"102.4 (V)", 320, 229},
                     {"45.68 (kHz)", 395, 309}});
    const Text urms = textAt(en, "220.0", 387, 69);
    EXPECT_EQ(urms.align, TextAlign::Right);
    EXPECT_EQ(urms.colour, colours::blue);
    EXPECT_EQ(textAt(en, "5.5", 552, 349).colour, colours::red);
    EXPECT_TRUE(en.textsEqual("4.1").empty()); // order 2 is not listed
    // All five English side labels read upwards, centred on their points: the input side's two
    // lines, the output side's, and the two envelope panels'.
    for (const At& label : {At{"Input", 20, 115},
                            {"Characteristic", 40, 115},
                            {"Output Characteristic", 20, 285},
                            {"Lamp Voltage", 45, 225},
                            {"Lamp Current", 45, 325}}) {
        const Text t = textAt(en, label.text, label.x, label.y);
        EXPECT_EQ(t.escapement, 900) << label.text;
        EXPECT_EQ(t.align, TextAlign::Centre) << label.text;
    }
    EXPECT_EQ(urms.escapement, 0);
    // Chinese ones stand one character under the other: 输入特性分析 at x 36 from y 65 by 16,
    // 输出特性分析 at x 20 from 189 by 32, 灯管电压 at x 45 from 189 by 18.
    expectTexts(zh, {{"输", 36, 65},
                     {"析", 36, 145},
                     {"输", 20, 189},
                     {"析", 20, 349},
                     {"压", 45, 243},
                     {"窄频电流总谐波", 445, 129},
                     {"谐波", 500, 211},
                     {"11", 505, 351},
                     {"灯电流波峰比", 425, 331}});
    EXPECT_EQ(zh.textsEqual("输")[0].escapement, 0);
}

TEST_F(ComprehensivePage, ThdCellsFollowTheMethodFlag)
{
    r.thdCsa = 1;
    RecordingCanvas c, p(29700, 21000);
    drawComprehensiveScreen(c, r, testdata::inEnglish(r));
    drawComprehensivePrint(p, r, testdata::inChinese(r), 0);
    expectTexts(c, {{"1.3%(CSA)", 340, 149}, {"8.6%(CSA)", 445, 149}, {"9.2%(CSA)", 560, 149}});
    EXPECT_TRUE(c.textsEqual("1.2%(IEC)").empty());
    textAt(p, "8.6%(CSA)", 19200, -9700);
}

TEST_F(ComprehensivePage, PrintHeaderTablesAndTurnedLabels)
{
    for (int family : {0, 1}) {
        RecordingCanvas p(29700, 21000);
        drawComprehensivePrint(p, r, testdata::inEnglish(r), family);
        const Text title = textAt(p, "KORVEX Electronic Ballast Test Instrument", 14300, -2000);
        EXPECT_EQ(title.font, "T 宋体");
        EXPECT_EQ(title.height, 800);
        // HP-compatible printers turn by 900, the others by 2700.
        const int angle = family == 1 ? 900 : 2700;
        for (const At& label : {At{"Input", 2800, -7700},
                                {"Characteristic", 3800, -7700},
                                {"Output Characteristic", 2800, -14500},
                                {"Lamp Voltage", 3800, -12500},
                                {"Lamp Current", 3800, -16500}})
            EXPECT_EQ(textAt(p, label.text, label.x, label.y).escapement, angle) << label.text;
        EXPECT_EQ(textAt(p, "No. :", 3500, -4300).escapement, 0);
        EXPECT_FALSE(p.metricMode());
    }
    RecordingCanvas en(29700, 21000), zh(29700, 21000);
    drawComprehensivePrint(en, r, testdata::inEnglish(r), 0);
    drawComprehensivePrint(zh, r, testdata::inChinese(r), 0);
    expectTexts(en, {{"A-17", 5000, -4300},
                     {"Standard:", 11500, -4300},
                     {"25℃", 23500, -3800},
                     {"Luminous flux:", 12800, -5200},
                     {"3350 lm", 15800, -5200},
                     {"6500 K", 24500, -5200},
                     {"Result:", 18500, -19200},
                     {"Urms (V)", 12700, -6100},
                     {"1.52", 26100, -7900},
                     {"Voltage", 22200, -10700},
                     {"22.1", 25300, -17700},
                     {"1.50", 17000, -17700}});
    // "Result:" is a label without a value: nothing stands right of it on its row.
    for (const Text& t : en.texts())
        EXPECT_FALSE(t.y == -19200 && t.x > 18500) << t.text;
    const Text title = textAt(zh, "KORVEX 电子镇流器综合测试仪", 14300, -2000);
    EXPECT_EQ(title.height, 700);
    // Stacked characters every 5 mm, centred like the turned English lines.
    EXPECT_EQ(textAt(zh, "输", 3500, -6200).align, TextAlign::Centre);
    expectTexts(zh, {{"输", 3000, -13000},
                     {"电", 4000, -12500},
                     {"测定结果:", 20500, -19200},
                     {"3350 lm", 14800, -5200},
                     {"谐波", 21400, -10700},
                     {"102.4 (V)", 14500, -11700}});
}

TEST_F(ComprehensivePage, EnvelopeBarsFollowTheScreenWidthWhilePrintKeeps100)
{
    // Lamp current at its peak everywhere: bars of +-40 around y 324 (Y0 5, 10 lower, centre 309).
    RecordingCanvas full(640, 385), half(320, 385), p(29700, 21000);
    drawComprehensiveScreen(full, r, testdata::inEnglish(r));
    drawComprehensiveScreen(half, r, testdata::inEnglish(r));
    drawComprehensivePrint(p, r, testdata::inEnglish(r), 0);
    EXPECT_EQ(barsOfHalfHeight(full, colours::blue, 324, 40), 100);
    EXPECT_EQ(barsOfHalfHeight(half, colours::blue, 324, 40), 50);
    EXPECT_EQ(barsOfHalfHeight(p, colours::black, -16500, -1700), 100); // centre 140 mm + margin
}

TEST_F(ComprehensivePage, ResamplingReadsTheRecordAtPosition150)
{
    // 1920 wide: 300 bars, the last at position 149.5, half way to sample 150.
    RecordingCanvas c(1920, 1080);
    drawComprehensiveScreen(c, r, testdata::inEnglish(r));
    const int centre = 42 + 309 * 1080 / 385; // trunc(Y0 + 10 sy) + trunc(309 sy) with Y0 = 14
    ASSERT_EQ(centre, 908);
    EXPECT_EQ(barsOfHalfHeight(c, colours::blue, centre, 112), 299); // A = trunc(40 sy)
    EXPECT_EQ(barsOfHalfHeight(c, colours::blue, centre, 56), 1);    // sample 150 is 0 after a reset
    r.waveIl[150] = r.peakIl;
    RecordingCanvas d(1920, 1080);
    drawComprehensiveScreen(d, r, testdata::inEnglish(r));
    EXPECT_EQ(barsOfHalfHeight(d, colours::blue, centre, 112), 300);
}

} // namespace
} // namespace korvex
