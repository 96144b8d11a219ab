// The output report pages: panel figures at their points and colours, the two crest factors
// of the lamp current, the print spellings, and the symmetric bar traces.
#include <gtest/gtest.h>

#include <algorithm>

#include "PageTestData.h"
#include "kinds/OutputtestPage.h"
#include "kinds/RecordingCanvas.h"

namespace korvex {
namespace {

using Text = RecordingCanvas::Text;
using Line = RecordingCanvas::Line;

constexpr Colour kGreen{0, 255, 0}, kYellow{255, 255, 0};

// The only text equal to s standing at (x, y).
void expectText(const RecordingCanvas& c, const std::string& s, int x, int y, Colour colour = colours::black)
{
    const auto found = c.textsEqual(s);
    const auto at = std::count_if(found.begin(), found.end(), [&](const Text& t) { return t.x == x && t.y == y; });
    EXPECT_EQ(at, 1) << "'" << s << "' at " << x << "," << y;
    for (const Text& t : found) {
        if (t.x == x && t.y == y) {
            EXPECT_EQ(t.colour, colour) << s;
        }
    }
}

// Vertical bars of one colour left of the panel's divider whose ends lie at centre - d and
// centre + d for some d.
std::vector<Line> barsAround(const RecordingCanvas& c, Colour colour, int centre, int divider)
{
    std::vector<Line> out;
    for (const Line& l : c.lines())
        if (l.colour == colour && l.x1 == l.x2 && l.x1 < divider && l.y1 + l.y2 == 2 * centre && l.y1 <= centre)
            out.push_back(l);
    return out;
}

class OutputPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownOutput(r); }
    TestRecord r;
};

TEST_F(OutputPage, EnglishScreenPanelsCarryTheirFiguresInTheirColours)
{
    RecordingCanvas c;
    drawOutputScreenEnglish(c, r);
    expectText(c, "KORVEX Electronic Ballast Test Instrument", 320, 5, colours::white);
    expectText(c, "Output Characteristic Test Report", 320, 25, colours::white);
    // Label column 370 (titles) and 390 (lines), value column 520.
    expectText(c, "Lamp Voltage:", 370, 55, colours::white);
    expectText(c, "Vm: ", 390, 87, colours::white);
    expectText(c, "145.0 (V)", 520, 87, colours::white);
    expectText(c, "Vcf:", 390, 103, colours::white);
    expectText(c, "1.42", 520, 103, colours::white);
    expectText(c, "Lamp Current RMS:", 370, 130, colours::red);
    expectText(c, "0.357 (A)", 520, 130, colours::red);
    expectText(c, "Ilcf:", 390, 162, colours::red);
    expectText(c, "1.50", 500, 162, colours::red);
    expectText(c, "-1.20", 545, 162, colours::red);
    expectText(c, "20.0 %", 520, 178, colours::red);
    expectText(c, "Filament Current :", 370, 210, kGreen);
    expectText(c, "Ifrms: ", 390, 226, kGreen);
    expectText(c, "0.123 (A)", 520, 226, kGreen);
    expectText(c, "Current Lead to Cathode :", 370, 290, kYellow);
    expectText(c, "1.45", 520, 338, kYellow);
    expectText(c, "Pout=36.2 (W)", 90, 365, kGreen);
    expectText(c, "f   =45.68 (kHz)", 440, 365, kGreen);
    EXPECT_EQ(c.textsEqual("Vcf:")[0].height, 15);
    EXPECT_EQ(c.calls().front().colour, (Colour{0, 0, 150})); // dark-blue background
}

TEST_F(OutputPage, ChineseScreenSplitsTheCrestFactorRow)
{
    RecordingCanvas c;
    drawOutputScreenChinese(c, r);
    expectText(c, "输出特性测试报告", 320, 25, colours::white);
    expectText(c, "波峰系数:", 370, 162, colours::red);
    expectText(c, "正波:1.50", 445, 162, colours::red);
    expectText(c, "负波:-1.20", 520, 162, colours::red);
    expectText(c, "半波差:", 390, 178, colours::red);
    expectText(c, "功率=36.2 (W)", 90, 365, kGreen);
    expectText(c, "振荡频率=45.68 (kHz)", 440, 365, kGreen);
    EXPECT_EQ(c.textsEqual("半波差:")[0].height, 14);
}

TEST_F(OutputPage, PrintPagesUseTheirOwnSpellings)
{
    RecordingCanvas en(29700, 21000), zh(29700, 21000);
    drawOutputPrintEnglish(en, r);
    drawOutputPrintChinese(zh, r);
    expectText(en, "KORVEX Electronic Ballast Test Instrument", 14300, -2000);
    expectText(en, "No. :", 3500, -4300);
    expectText(en, "A-17", 5500, -4300);
    expectText(en, "standard:", 11500, -4300);
    expectText(en, "T8 36W", 14000, -4300);
    expectText(en, "Filament Current:", 16500, -11500);
    expectText(en, "Vm:", 17500, -6600);
    expectText(en, "0.357 (A)", 22500, -8300);
    expectText(en, "1.50", 21500, -9800);
    expectText(en, "-1.20", 23000, -9800);
    expectText(en, "Pout:", 3500, -17800);
    expectText(en, "36.2 (W)", 5000, -17800);
    expectText(en, "f   :", 20500, -17800);
    expectText(en, "45.68 (kHz)", 22000, -17800);
    expectText(en, "Test Date:", 3500, -19200);
    expectText(en, "2024-3-9", 7000, -19200);
    EXPECT_EQ(en.textsEqual("Vm:")[0].height, 400);

    expectText(zh, "KORVEX电子镇流器综合测试仪", 14300, -2000);
    expectText(zh, "正波：1.50", 20000, -9800);
    expectText(zh, "负波：-1.20", 23000, -9800);
    expectText(zh, "编号:", 3500, -4300);
    expectText(zh, "A-17", 5000, -4300);
    expectText(zh, "振荡频率:", 20000, -17800);
    expectText(zh, "45.68 (kHz)", 22500, -17800);
    EXPECT_FALSE(zh.metricMode());
}

TEST_F(OutputPage, WaveformAtItsPeakDrawsAFullBandOf150Bars)
{
    RecordingCanvas c;
    drawOutputScreenEnglish(c, r);
    // Lamp current at its peak everywhere: bars of +-34 around y 163, x 40..338 two pixels apart.
    const auto bars = barsAround(c, colours::red, 163, 340);
    ASSERT_EQ(bars.size(), 150u);
    for (size_t k = 0; k < bars.size(); ++k) {
        EXPECT_EQ(bars[k].x1, 40 + 2 * static_cast<int>(k));
        EXPECT_EQ(bars[k].y1, 163 - 34);
    }
    RecordingCanvas p(29700, 21000);
    drawOutputPrintEnglish(p, r);
    int printed = 0;
    for (const Line& l : p.lines())
        printed += l.x1 == l.x2 && l.y1 == -(9700 - 1300) && l.y2 == -(9700 + 1300);
    EXPECT_EQ(printed, 150);
}

TEST_F(OutputPage, NegativeSamplesDrawLikePositiveOnes)
{
    TestRecord negative = r;
    for (int i = 0; i < 150; ++i)
        negative.waveUl[i] = -r.waveUl[i];
    for (bool print : {false, true}) {
        RecordingCanvas a(print ? 29700 : 640, print ? 21000 : 385), b(a.width(), a.height());
        print ? drawOutputPrintEnglish(a, r) : drawOutputScreenEnglish(a, r);
        print ? drawOutputPrintEnglish(b, negative) : drawOutputScreenEnglish(b, negative);
        ASSERT_EQ(a.lines().size(), b.lines().size());
        for (size_t k = 0; k < a.lines().size(); ++k) {
            EXPECT_EQ(a.lines()[k].y1, b.lines()[k].y1);
            EXPECT_EQ(a.lines()[k].y2, b.lines()[k].y2);
        }
    }
    // The sine's crest (sample 12.5 of each 50) reaches close to the full amplitude.
    RecordingCanvas c;
    drawOutputScreenEnglish(c, negative);
    int deepest = 0;
    for (const Line& l : barsAround(c, colours::white, 83, 340))
        deepest = std::max(deepest, 83 - l.y1);
    EXPECT_EQ(deepest, 33);
}

TEST_F(OutputPage, WiderAreaKeepsTwoPixelsAndGainsBars)
{
    RecordingCanvas c(1280, 385);
    drawOutputScreenEnglish(c, r);
    const auto bars = barsAround(c, colours::red, 163, 680);
    ASSERT_EQ(bars.size(), 300u);
    EXPECT_EQ(bars.front().x1, 80);
    EXPECT_EQ(bars.back().x1, 80 + 2 * 299);
}

} // namespace
} // namespace korvex
