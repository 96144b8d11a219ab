// The output report pages: figures at their points and colours, the lamp current's two crest
// factors, the print spellings, and the symmetric bar traces.
#include <gtest/gtest.h>

#include <algorithm>

#include "PageTestData.h"
#include "kinds/OutputtestPage.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

using Line = RecordingCanvas::Line;

struct At {
    const char* text;
    int x, y;
    Colour colour = colours::black;
};

// Each text stands exactly once at its point, in its colour.
void expectTexts(const RecordingCanvas& c, std::initializer_list<At> expected)
{
    for (const At& e : expected) {
        int n = 0;
        for (const auto& t : c.textsEqual(e.text))
            n += t.x == e.x && t.y == e.y && t.colour == e.colour;
        EXPECT_EQ(n, 1) << "'" << e.text << "' at " << e.x << "," << e.y;
    }
}

// Vertical bars of one colour left of x = divider whose ends lie at centre - d and centre + d.
std::vector<Line> barsAround(const RecordingCanvas& c, Colour colour, int centre, int divider)
{
    std::vector<Line> out;
    for (const Line& l : c.lines())
        if (l.colour == colour && l.x1 == l.x2 && l.x1 < divider && l.y1 + l.y2 == 2 * centre && l.y1 <= centre)
            out.push_back(l);
    return out;
}

constexpr Colour kGreen{0, 255, 0}, kYellow{255, 255, 0}, kWhite = colours::white, kRed = colours::red;

class OutputPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownOutput(r); }
    TestRecord r;
};

TEST_F(OutputPage, ScreenPanelsCarryTheirFiguresInTheirColours)
{
    RecordingCanvas en, zh;
    drawOutputScreen(en, r, testdata::inEnglish(r));
    drawOutputScreen(zh, r, testdata::inChinese(r));
    // Origin (40, 5): label column 370 (titles) and 390 (lines), value column 520.
    expectTexts(en, {{"Output Characteristic Test Report", 320, 25, kWhite},
                     {"Vm: ", 390, 87, kWhite},
                     {"145.0 (V)", 520, 87, kWhite},
                     {"1.42", 520, 103, kWhite},
                     {"Lamp Current RMS:", 370, 130, kRed},
                     {"0.357 (A)", 520, 130, kRed},
                     {"Ilcf:", 390, 162, kRed},
                     {"1.50", 500, 162, kRed},
                     {"-1.20", 545, 162, kRed},
                     {"20.0 %", 520, 178, kRed},
                     {"Filament Current :", 370, 210, kGreen},
                     {"0.123 (A)", 520, 226, kGreen},
                     {"Current Lead to Cathode :", 370, 290, kYellow},
                     {"Pout=36.2 (W)", 90, 365, kGreen},
                     {"f   =45.68 (kHz)", 440, 365, kGreen}});
    expectTexts(zh, {{"KORVEX 电子镇流器综合测试仪", 320, 5, kWhite},
                     {"波峰系数:", 370, 162, kRed},
                     {"正波:1.50", 445, 162, kRed},
                     {"负波:-1.20", 520, 162, kRed},
                     {"振荡频率=45.68 (kHz)", 440, 365, kGreen}});
    EXPECT_EQ(en.textsEqual("Vm: ")[0].height, 15);
    EXPECT_EQ(zh.textsEqual("正波:1.50")[0].height, 14);
    EXPECT_EQ(en.calls().front().colour, (Colour{0, 0, 150})); // dark-blue background
}

TEST_F(OutputPage, PrintPagesUseTheirOwnSpellings)
{
    RecordingCanvas en(29700, 21000), zh(29700, 21000);
    drawOutputPrint(en, r, testdata::inEnglish(r));
    drawOutputPrint(zh, r, testdata::inChinese(r));
    expectTexts(en, {{"No. :", 3500, -4300},
                     {"A-17", 5500, -4300},
                     {"standard:", 11500, -4300},
                     {"T8 36W", 14000, -4300},
                     {"Filament Current:", 16500, -11500},
                     {"Vm:", 17500, -6600},
                     {"0.357 (A)", 22500, -8300},
                     {"1.50", 21500, -9800},
                     {"-1.20", 23000, -9800},
                     {"Pout:", 3500, -17800},
                     {"36.2 (W)", 5000, -17800},
                     {"f   :", 20500, -17800},
                     {"45.68 (kHz)", 22000, -17800},
                     {"2024-3-9", 7000, -19200}});
    expectTexts(zh, {{"KORVEX电子镇流器综合测试仪", 14300, -2000},
                     {"正波：1.50", 20000, -9800},
                     {"负波：-1.20", 23000, -9800},
                     {"A-17", 5000, -4300},
                     {"振荡频率:", 20000, -17800},
                     {"45.68 (kHz)", 22500, -17800}});
    EXPECT_EQ(en.textsEqual("Vm:")[0].height, 400);
}

TEST_F(OutputPage, WaveformAtItsPeakDrawsAFullBandTwoPixelsPerPoint)
{
    // Lamp current at its peak everywhere: bars of +-34 around y 163 at x 40, 42, .. 338.
    RecordingCanvas c;
    drawOutputScreen(c, r, testdata::inEnglish(r));
    const auto bars = barsAround(c, kRed, 163, 340);
    ASSERT_EQ(bars.size(), 150u);
    EXPECT_EQ(bars.front().x1, 40);
    EXPECT_EQ(bars.back().x1, 338);
    EXPECT_TRUE(std::all_of(bars.begin(), bars.end(), [](const Line& l) { return l.y1 == 163 - 34; }));
    // Twice as wide: still two pixels apart, twice the points.
    RecordingCanvas wide(1280, 385);
    drawOutputScreen(wide, r, testdata::inEnglish(r));
    const auto wideBars = barsAround(wide, kRed, 163, 680);
    ASSERT_EQ(wideBars.size(), 300u);
    EXPECT_EQ(wideBars.front().x1, 80);
    EXPECT_EQ(wideBars.back().x1, 80 + 2 * 299);
    // Print: 150 bars of +-13 mm around the panel's centre line at 97 mm.
    RecordingCanvas p(29700, 21000);
    drawOutputPrint(p, r, testdata::inEnglish(r));
    EXPECT_EQ(std::count_if(p.lines().begin(), p.lines().end(),
                            [](const Line& l) { return l.y1 == -(9700 - 1300) && l.y2 == -(9700 + 1300); }),
              150);
}

TEST_F(OutputPage, NegativeSamplesDrawLikePositiveOnes)
{
    TestRecord negative = r;
    for (int i = 0; i < 150; ++i)
        negative.waveUl[i] = -r.waveUl[i];
    for (bool print : {false, true}) {
        RecordingCanvas a(print ? 29700 : 640, print ? 21000 : 385), b(a.width(), a.height());
        print ? drawOutputPrint(a, r, testdata::inEnglish(r)) : drawOutputScreen(a, r, testdata::inEnglish(r));
        print ? drawOutputPrint(b, negative, testdata::inEnglish(negative))
              : drawOutputScreen(b, negative, testdata::inEnglish(negative));
        ASSERT_EQ(a.lines().size(), b.lines().size());
        for (size_t k = 0; k < a.lines().size(); ++k) {
            EXPECT_EQ(a.lines()[k].y1, b.lines()[k].y1);
            EXPECT_EQ(a.lines()[k].y2, b.lines()[k].y2);
        }
    }
    // The sine's crest (sample 12 of each 50 is 0.998 of the peak) nearly fills the band.
    RecordingCanvas c;
    drawOutputScreen(c, negative, testdata::inEnglish(negative));
    int deepest = 0;
    for (const Line& l : barsAround(c, kWhite, 83, 340))
        deepest = std::max(deepest, 83 - l.y1);
    EXPECT_EQ(deepest, 33);
}

} // namespace
} // namespace korvex
