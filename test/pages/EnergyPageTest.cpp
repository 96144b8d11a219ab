// The preheat energy report pages: energy axis and limit lines from Q, P and F, the cursor and
// the end-of-preheat mark, the scales the print page takes over, and the texts of each form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PageTestData.h"
#include "kinds/CursorInput.h"
#include "kinds/EnergytestPage.h"
#include "kinds/Pages.h"
#include "kinds/RecordingCanvas.h"

namespace korvex {

namespace {

using Line = RecordingCanvas::Line;

bool hasLine(const RecordingCanvas& c, int x1, int y1, int x2, int y2, Colour colour, int width)
{
    return std::any_of(c.lines().begin(), c.lines().end(), [&](const Line& l) {
        return l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2 && l.colour == colour && l.width == width;
    });
}

// The end point of a line of the colour and width that reaches (x, any y).
int yAt(const RecordingCanvas& c, int x, Colour colour, int width, int skip = 0)
{
    for (const Line& l : c.lines())
        if (l.x2 == x && l.x1 < x && l.colour == colour && l.width == width && skip-- == 0)
            return l.y2;
    ADD_FAILURE() << "no line reaches x " << x;
    return 0;
}

void expectText(const RecordingCanvas& c, const std::string& s, int x, int y)
{
    const auto all = c.textsEqual(s);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const auto& t) { return t.x == x && t.y == y; }))
        << "'" << s << "' not at (" << x << ", " << y << ")" << (all.empty() ? ", not drawn at all" : "");
}

class EnergyPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownEnergy(r); }
    // The screen page as the window draws it: through the dispatch, which prepares the scales.
    RecordingCanvas screen(bool chinese = false)
    {
        r.chinese = chinese;
        RecordingCanvas c;
        drawScreenPage(c, r);
        return c;
    }
    RecordingCanvas print(bool chinese = false)
    {
        r.chinese = chinese;
        RecordingCanvas c(29700, 21000);
        drawPrintPage(c, r, KindEnergy, 0);
        return c;
    }
    TestRecord r;
};

TEST_F(EnergyPage, EnergyAxisTopsAtUpperLimitAtFiveSeconds)
{
    // (Q + 5 P) F = (7 + 45) 1.5 = 78 J; labels from the top, 36 pixels apart.
    RecordingCanvas c = screen();
    EXPECT_FLOAT_EQ(r.energyScale, 78.0f);
    const char* labels[5] = {"78", "58.5", "39", "19.5", "0"};
    for (int i = 0; i < 5; ++i) {
        expectText(c, labels[i], 58, 209 + 36 * i);
        EXPECT_EQ(c.textsEqual(labels[i]).back().align, TextAlign::Right);
    }
    RecordingCanvas paper = print();
    for (int i = 0; i < 5; ++i)
        expectText(paper, labels[i], 3400, -11300 - 1500 * i);

    // A measured energy above the limit at 5 s raises the axis.
    r.waveEnergy[kEnergySamples - 1] = 100.0f;
    c = screen();
    expectText(c, "100", 58, 209);
    expectText(c, "75", 58, 245);
}

TEST_F(EnergyPage, LimitLinesAtTheirColumns)
{
    const RecordingCanvas c = screen();
    const Colour red = colours::red;
    // Columns 0 and 1, 59 and 60 (1 s): Emin from 7 J to 16 J, Emax from 10.5 J to 24 J, of
    // 78 J over 144 pixels above y 358.
    EXPECT_TRUE(hasLine(c, 60, 345, 61, 344, red, 2));
    EXPECT_TRUE(hasLine(c, 119, 328, 120, 328, red, 2));
    EXPECT_TRUE(hasLine(c, 60, 338, 61, 338, red, 2));
    EXPECT_TRUE(hasLine(c, 119, 314, 120, 313, red, 2));
    expectText(c, "Emin", 330, 270); // column 270: 47.5 J
    expectText(c, "Emax", 330, 226); // 71.25 J

    // On paper the limits come first among the lines of the lower plot.
    const RecordingCanvas paper = print();
    EXPECT_EQ(yAt(paper, 3500 + 2600, colours::black, 50), -16269);
    expectText(paper, "Emin", 15200, -13846);
    // The printed limits run through column 300 (52 J), one further than on screen.
    EXPECT_EQ(yAt(paper, 3500 + 13000, colours::black, 50), -17500 + 4000);
}

TEST_F(EnergyPage, CursorAndEndMarkStandAtTheirSamples)
{
    // Sample 300 is (300 + 1) / 3.3333 = 90.3 columns from each plot's origin.
    RecordingCanvas c = screen();
    EXPECT_TRUE(hasLine(c, 130, 144, 130, 178, colours::black, 2)); // up to 5 V of 20 V
    EXPECT_TRUE(hasLine(c, 150, 346, 150, 358, colours::black, 2)); // up to 6 J of 78 J
    expectText(c, "5.00 V", 288, 47);
    expectText(c, "0.400 A", 288, 61);
    expectText(c, "1.50 s", 288, 75);

    // Dragging moves the cursor, not the end mark.
    ASSERT_TRUE(energyCursorDrag(r, 140, 640)); // 99 pixels into the plot: sample 330
    EXPECT_EQ(r.energyCursor, 330);
    c = screen();
    EXPECT_TRUE(hasLine(c, 139, 144, 139, 178, colours::black, 2));
    EXPECT_TRUE(hasLine(c, 150, 346, 150, 358, colours::black, 2));
    expectText(c, "1.65 s", 288, 75);
    EXPECT_FALSE(energyCursorDrag(r, 340, 640));
    EXPECT_FALSE(energyCursorClick(r, 39, 640));
    EXPECT_EQ(r.energyCursor, 330);

    const RecordingCanvas paper = print();
    bool cursor = false, mark = false;
    for (const Line& l : paper.lines()) {
        cursor |= l.x1 == 2500 + 4303 && l.x2 == l.x1 && l.y2 == -10000 && l.style == PenStyle::Dotted;
        mark |= l.x1 == 3500 + 3913 && l.x2 == l.x1 && l.y2 == -17500 && l.style == PenStyle::Dotted;
    }
    EXPECT_TRUE(cursor); // (330 + 1) / 3.3333 columns of 43.33
    EXPECT_TRUE(mark);   // (300 + 1) / 3.3333 columns of 43.33
}

TEST_F(EnergyPage, PrintUsesTheScalesOfTheLastScreenDrawing)
{
    // Left by an earlier drawing with other limits and a smaller current.
    r.energyScale = 100.0f;
    r.energyCurrentScale = 0.5f;
    RecordingCanvas paper = print();
    expectText(paper, "100", 3400, -11300);
    expectText(paper, "0.100A/div", 21500, -8050);
    // A screen drawing brings them up to date for the next print.
    screen();
    paper = print();
    expectText(paper, "78", 3400, -11300);
    expectText(paper, "0.200A/div", 21500, -8050);

    // Scales never prepared (a file written without a window): those of the screen page.
    r.energyScale = r.energyCurrentScale = 0.0f;
    paper = print();
    expectText(paper, "78", 3400, -11300);
    EXPECT_EQ(r.energyScale, 0.0f);
}

TEST_F(EnergyPage, ScreenTextsOfBothLanguages)
{
    const RecordingCanvas en = screen(false);
    expectText(en, "Filament Warm-up Test Report", 320, 25);
    EXPECT_EQ(en.textsEqual("Filament Warm-up Test Report")[0].height, 18);
    expectText(en, "Voltage(RMS)", 370, 47);
    expectText(en, "4.00V/div", 460, 60);
    expectText(en, "10.00V", 460, 73);
    expectText(en, "Time", 370, 86);
    expectText(en, "Time to peak:", 390, 99);
    expectText(en, "0.200A/div", 460, 125);
    expectText(en, "0.800A", 460, 138);
    expectText(en, "Warm-up energy parameter", 370, 224);
    expectText(en, "Pre-start time:", 390, 250);
    expectText(en, "1.50s", 460, 250);
    expectText(en, "6.00J", 460, 263);
    expectText(en, "Emin=Q+P*t [Q=7.00J, P=9.00W]", 390, 289);
    expectText(en, "Emax=F*Emin [F=1.500]", 390, 302);
    expectText(en, "E(J)", 60, 199);
    expectText(en, "t(s)", 366, 364);
    EXPECT_EQ(en.textsEqual("Peak:")[0].colour, colours::red);
    EXPECT_EQ(en.textsEqual("Peak:")[1].colour, (Colour{0, 128, 0}));
    EXPECT_EQ(en.textsEqual("6.00J")[0].colour, colours::blue);

    const RecordingCanvas zh = screen(true);
    expectText(zh, "KORVEX电子镇流器综合测试仪", 320, 5);
    expectText(zh, "灯丝预热能量测试报告", 320, 25);
    expectText(zh, "峰值电压：", 390, 73);
    expectText(zh, "10.00伏", 460, 73);
    expectText(zh, "0.200A/格", 460, 125);
    expectText(zh, "0.800安", 460, 138);
    expectText(zh, "1.50秒", 460, 250);
    expectText(zh, "6.00焦", 460, 263);
    expectText(zh, "Emin=Q+P*t [Q=7.00J, P=9.00W]", 390, 289);
    EXPECT_EQ(zh.textsEqual("每格分度：").size(), 2u);
    EXPECT_EQ(zh.textsEqual("峰值电压：")[0].font, "Times New Roman");
}

TEST_F(EnergyPage, PrintTextsOfBothLanguages)
{
    const RecordingCanvas en = print(false);
    expectText(en, "KORVEX Electronic Ballast Test Instrument", 14300, -2000);
    expectText(en, "Voltage(RMS)", 17000, -5050);
    expectText(en, "4.00V/div", 21500, -5550);
    expectText(en, "Time to Peak:", 17500, -7050);
    expectText(en, "Time to peak:", 17500, -9550);
    expectText(en, "5.00 V", 13250, -5300);
    EXPECT_EQ(en.textsEqual("5.00 V")[0].height, 350);
    expectText(en, "Warm-up energy parameter", 17000, -12000);
    expectText(en, "Warm-up energy:", 17500, -13800);
    expectText(en, "6.00J", 21500, -13800);
    expectText(en, "Emax=F*Emin [F=1.500]", 17500, -15600);
    expectText(en, "t(s)", 16100, -10100);
    expectText(en, "t(s)", 17100, -17600);
    expectText(en, "E(J)", 3500, -10700);
    expectText(en, "Standard:", 11500, -4300);
    expectText(en, "Operator:", 20500, -18700);
    expectText(en, "Wang", 22500, -18700);
    expectText(en, "2024-3-9", 6500, -19200);

    const RecordingCanvas zh = print(true);
    expectText(zh, "KORVEX 电子镇流器综合测试仪", 14300, -2000);
    EXPECT_EQ(zh.textsEqual("KORVEX 电子镇流器综合测试仪")[0].height, 700);
    expectText(zh, "到达峰值时间：", 17500, -7050);
    expectText(zh, "预启动时间：", 17500, -13200);
    expectText(zh, "测试员:", 18500, -18700);
    expectText(zh, "Wang", 20500, -18700);
    expectText(zh, "测试日期:", 3500, -19200);
    expectText(zh, "2024-3-9", 6000, -19200);
    EXPECT_EQ(zh.textsEqual("到达峰值时间：")[0].font, "宋体");
}

} // namespace
} // namespace korvex
