// The start report pages: curve heights against full scale, the cursor line and its input,
// and the texts of each page form at their places.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PageTestData.h"
#include "kinds/CursorInput.h"
#include "kinds/Pages.h"
#include "kinds/RecordingCanvas.h"
#include "kinds/StarttestPage.h"

namespace korvex {
namespace {

using Line = RecordingCanvas::Line;

const Colour kYellow{255, 255, 0};

// At 640 x 385 the page origin is (40, 5): panel k spans device y 45 + 80 k to 120 + 80 k and
// sample i stands at x 40 + i.
int bottomOf(int panel)
{
    return 120 + 80 * panel;
}

// The curve point of sample i: the end of the solid line of the colour that reaches x 40 + i
// from the left.
int curveY(const RecordingCanvas& c, Colour colour, int i)
{
    for (const Line& l : c.lines())
        if (l.colour == colour && l.x2 == 40 + i && l.x1 == 40 + i - 1)
            return l.y2;
    ADD_FAILURE() << "no curve point at sample " << i;
    return -1;
}

bool onBottomLine(int y)
{
    for (int k = 0; k < 4; ++k)
        if (y == bottomOf(k))
            return true;
    return false;
}

// Vertical lines rising from a panel's bottom line inside the plots: the cursor lines.
std::vector<Line> cursorLines(const RecordingCanvas& c)
{
    std::vector<Line> out;
    for (const Line& l : c.lines())
        if (l.x1 == l.x2 && l.x1 > 40 && l.x1 < 340 && l.style == PenStyle::Solid && onBottomLine(l.y1) && l.y2 <= l.y1)
            out.push_back(l);
    return out;
}

int countLines(const RecordingCanvas& c, int x1, int y1, int x2, int y2)
{
    return static_cast<int>(std::count_if(c.lines().begin(), c.lines().end(), [&](const Line& l) {
        return l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2;
    }));
}

void expectText(const RecordingCanvas& c, const std::string& s, int x, int y)
{
    const auto all = c.textsEqual(s);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const auto& t) { return t.x == x && t.y == y; }))
        << "'" << s << "' not at (" << x << ", " << y << ")" << (all.empty() ? ", not drawn at all" : "");
}

class StartPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownStart(r); }
    RecordingCanvas screen(bool chinese = false)
    {
        RecordingCanvas c;
        chinese ? drawStartScreenChinese(c, r) : drawStartScreenEnglish(c, r);
        return c;
    }
    TestRecord r;
};

TEST_F(StartPage, FullScaleReachesThePanelTop)
{
    const RecordingCanvas c = screen();
    EXPECT_EQ(curveY(c, colours::white, 100), 45);      // 1000 V: top of panel 1
    EXPECT_EQ(curveY(c, colours::white, 50), 120 - 37); // 500 V: 37.5 pixels, truncated
    EXPECT_EQ(curveY(c, colours::red, 200), 125);       // 1.5 A: top of panel 2
    EXPECT_EQ(curveY(c, Colour{0, 255, 0}, 100), 280 - 37);

    RecordingCanvas paper(29700, 21000);
    drawStartPrintEnglish(paper, r);
    bool top = false; // sample 100 at x 2500 + 4333, panel 1 top at 2500 + 2500 down
    for (const Line& l : paper.lines())
        top |= l.x2 == 6833 && l.y2 == -5000 && l.width == 50;
    EXPECT_TRUE(top);
}

TEST_F(StartPage, BeyondFullScaleStaysOnTheAreaButNotOnPaper)
{
    r.StrUlp = 2000.0f; // twice full scale: 150 pixels above panel 1's bottom at 120
    const RecordingCanvas c = screen();
    EXPECT_EQ(curveY(c, colours::white, 100), 0);
    EXPECT_EQ(curveY(c, colours::white, 50), 120 - 75);

    RecordingCanvas paper(29700, 21000);
    drawStartPrintEnglish(paper, r);
    int highest = -21000;
    for (const Line& l : paper.lines())
        if (l.x2 == 6833)
            highest = std::max(highest, l.y2);
    EXPECT_EQ(highest, -2000); // 6000 above the bottom at 8000 down, over the title's lines
}

TEST_F(StartPage, EmptyEnvelopeWithInstrumentPeakIsFlatOnTheBottomLine)
{
    // The instrument reports a cathode current but its envelope is all 0 (envelope peak 0).
    r.StrIkp = 0.5f;
    r.peakStartIk = 0.0f;
    const RecordingCanvas c = screen();
    int points = 0;
    for (const Line& l : c.lines())
        if (l.colour == kYellow && l.x2 == l.x1 + 1) { // one step of the curve
            ++points;
            EXPECT_EQ(l.y2, bottomOf(3));
        }
    EXPECT_EQ(points, 299);
}

TEST_F(StartPage, CursorLineStandsAtCursorIndexInEveryPanel)
{
    const RecordingCanvas c = screen();
    const std::vector<Line> cursor = cursorLines(c);
    ASSERT_EQ(cursor.size(), 4u);
    for (const Line& l : cursor)
        EXPECT_EQ(l.x1, 240);
    EXPECT_EQ(cursor[0].y2, 120 - 37); // up to the curve: 500 V
    EXPECT_EQ(cursor[1].y2, 125);      // 1.5 A
    EXPECT_EQ(cursor[3].y2, bottomOf(3));
    expectText(c, "Time:      3.33 S", 230, 55);
    expectText(c, "Voltage:  500.0 V", 230, 71);
    expectText(c, "Current:  1.500 A", 230, 146);
}

TEST_F(StartPage, PressOutsideThePlotLeavesTheCursor)
{
    for (int x : {39, 340, 600}) {
        EXPECT_FALSE(startCursorClick(r, x, 640));
        EXPECT_EQ(cursorLines(screen())[0].x1, 240) << x;
    }
    ASSERT_TRUE(startCursorClick(r, 2 * 40 + 2 * 75, 1280)); // sample 75 on a double-width area
    RecordingCanvas wide(1280, 385);
    drawStartScreenEnglish(wide, r);
    expectText(wide, "Time:      1.25 S", 2 * 40 + 2 * 190, 55);
}

TEST_F(StartPage, RightArrowAtTheLastSampleGoesToTheFirst)
{
    setStartCursor(r, 299);
    EXPECT_EQ(cursorLines(screen())[0].x1, 40 + 299);
    EXPECT_EQ(countLines(screen(), 40, 120, 40, 120 - 37), 1);
    startCursorStep(r, +1);
    const RecordingCanvas c = screen();
    // Sample 0: besides the curve's first step up from the bottom line, the cursor line.
    EXPECT_EQ(countLines(c, 40, 120, 40, 120 - 37), 2);
    EXPECT_EQ(c.textsEqual("Time:      0.00 S").size(), 4u);
    expectText(c, "Voltage:  500.0 V", 230, 71);
}

TEST_F(StartPage, ScreenTextsOfBothLanguages)
{
    const RecordingCanvas en = screen(false);
    expectText(en, "Start Characteristic Test Report", 320, 25);
    expectText(en, "Peak Voltage: ", 390, 71);
    expectText(en, "1.67 (S)", 520, 87);
    expectText(en, "Time for Warm-up:", 370, 178);
    expectText(en, "2.48 (S)", 520, 178);
    expectText(en, "Peak Currnet:", 390, 226);
    expectText(en, "0.750 (A)", 520, 226);
    expectText(en, "Current Lead to Cathode :", 370, 290);
    expectText(en, "Sentivity:", 370, 338);
    expectText(en, "0.50 s/div", 520, 338);
    EXPECT_EQ(en.texts()[0].height, 20);
    EXPECT_EQ(en.textsEqual("Sentivity:")[0].height, 15);

    const RecordingCanvas zh = screen(true);
    expectText(zh, "KORVEX 电子镇流器综合测试仪", 320, 5);
    expectText(zh, "到达峰值时间 ： ", 390, 87);
    expectText(zh, "到达峰值时间 ：", 390, 162);
    expectText(zh, "预热时间 ：", 370, 178);
    expectText(zh, "导入阴极电流 ：", 370, 290);
    expectText(zh, "电压:  500.0 V", 230, 71);
    EXPECT_EQ(zh.textsEqual("时间:  3.33 S").size(), 4u);
    EXPECT_EQ(zh.textsEqual("时间分度 ：").size(), 3u);
}

TEST_F(StartPage, PrintTextsOfBothLanguages)
{
    RecordingCanvas en(29700, 21000), zh(29700, 21000);
    drawStartPrintEnglish(en, r);
    drawStartPrintChinese(zh, r);
    // Page points at the offset (2500, 2500); panels at 2500, 6000, 9500, 13000 down.
    expectText(en, "Start Characteristic Test Report", 14300, -2800);
    EXPECT_EQ(en.textsEqual("Start Characteristic Test Report")[0].height, 700);
    expectText(en, "No. :", 3500, -4300);
    expectText(en, "A-7", 5000, -4300);
    expectText(en, "T8-36W", 14000, -3800);
    expectText(en, "Time:    3.33 S", 10500, -5300);
    expectText(en, "Voltage: 500.0 V", 10500, -5800);
    expectText(en, "Lamp Voltage:", 16500, -5100);
    expectText(en, "Time for warm-up:", 16500, -10850);
    expectText(en, "2.48 (S)", 22500, -10850);
    expectText(en, "Peak Current:", 17500, -12850);
    expectText(en, "Sensitivity:", 16500, -17850);
    expectText(en, "Lumen", 6500, -18700);
    expectText(en, "Operator:", 18500, -18700);
    expectText(en, "2024-3-9", 6500, -19200);
    EXPECT_EQ(en.textsEqual("Sentivity:").size(), 0u);
    EXPECT_EQ(en.textsEqual("Peak Currnet:").size(), 0u);

    expectText(zh, "KORVEX 电子镇流器综合测试仪", 14300, -2000);
    expectText(zh, "编号:", 3500, -4300);
    expectText(zh, "T8-36W", 13000, -3800);
    expectText(zh, "电压: 500.0 V", 10500, -5800);
    expectText(zh, "预热时间:", 16500, -10850);
    expectText(zh, "Lumen", 6000, -18700);
    expectText(zh, "2024-3-9", 6000, -19200);
    EXPECT_EQ(zh.textsEqual("到达峰值时间:").size(), 4u);
    for (const auto& t : zh.texts())
        EXPECT_EQ(t.height, t.text.rfind("KORVEX", 0) == 0 || t.text == "启动特性测试报告" ? 700 : 400) << t.text;
}

} // namespace
} // namespace korvex
