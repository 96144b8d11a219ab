// The start and preheat energy pages: heights against full scale, the cursor lines and their
// input, the energy axis and limits from Q, P and F, the scales the print takes over, and the
// texts of each page form at their places.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "PageTestData.h"
#include "kinds/CursorInput.h"
#include "kinds/Pages.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

using Line = RecordingCanvas::Line;

struct Placed {
    const char* text;
    int x, y;
};

// Draws the screen page as the window shows it (made the page shown, which prepares what it
// needs in the record, then drawn through the dispatch), or the print page as it stands.
RecordingCanvas page(TestRecord& r, bool print, bool chinese)
{
    r.chinese = chinese;
    RecordingCanvas c = print ? RecordingCanvas(29700, 21000) : RecordingCanvas(640, 385);
    if (!print)
        prepareShownPage(r);
    print ? drawPrintPage(c, r, r.currentTest, 0) : drawScreenPage(c, r);
    return c;
}

int countLines(const RecordingCanvas& c, int x1, int y1, int x2, int y2)
{
    return static_cast<int>(std::count_if(c.lines().begin(), c.lines().end(), [&](const Line& l) {
        return l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2;
    }));
}

void expectTexts(const RecordingCanvas& c, std::initializer_list<Placed> texts)
{
    for (const Placed& p : texts) {
        const auto all = c.textsEqual(p.text);
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const auto& t) { return t.x == p.x && t.y == p.y; }))
            << "'" << p.text << "' not at (" << p.x << ", " << p.y << ")" << (all.empty() ? ", not drawn" : "");
    }
}

// ---- Start page: at 640 x 385 the origin is (40, 5), panel k spans y 45 + 80 k to 120 + 80 k
// and sample i stands at x 40 + i. The known record's cursor is at sample 200 (x 240).

class StartPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownStart(r); }
    TestRecord r;
};

TEST_F(StartPage, FullScaleReachesThePanelTopBeyondItStaysOnScreenButNotOnPaper)
{
    RecordingCanvas c = page(r, false, false);
    EXPECT_EQ(countLines(c, 139, 120 - 37, 140, 45), 1); // 500 V (37.5 px) to 1000 V at sample 100
    EXPECT_EQ(countLines(c, 189, 200, 190, 125), 1);     // 1.5 A from sample 150 on: top of panel 2
    EXPECT_EQ(countLines(page(r, true, false), 6790, -6500, 6833, -5000), 1); // sample 100 on paper

    r.StrUlp = 2000.0f; // twice full scale: 150 px above 120 on screen, 6000 above 8000 down on paper
    c = page(r, false, false);
    EXPECT_EQ(countLines(c, 139, 120 - 75, 140, 0), 1);
    EXPECT_EQ(countLines(page(r, true, false), 6790, -5000, 6833, -2000), 1);
}

TEST_F(StartPage, EmptyEnvelopeWithInstrumentPeakIsFlatOnTheBottomLine)
{
    r.StrIkp = 0.5f;      // the instrument reports a cathode lead current,
    r.peakStartIk = 0.0f; // but its envelope is all 0
    const RecordingCanvas c = page(r, false, false);
    int steps = 0;
    for (const Line& l : c.lines()) {
        if (l.colour == Colour{255, 255, 0} && l.x2 == l.x1 + 1) { // one step of the curve
            ++steps;
            EXPECT_EQ(l.y2, 360);
        }
    }
    EXPECT_EQ(steps, 299);
}

TEST_F(StartPage, CursorLineFollowsClicksInsideThePlotAndTheArrowKeys)
{
    // From each panel's bottom line up to its curve: 500 V, 1.5 A, 0 A, 0 A.
    RecordingCanvas c = page(r, false, false);
    for (auto [bottom, top] : {std::pair{120, 83}, {200, 125}, {280, 280}, {360, 360}})
        EXPECT_EQ(countLines(c, 240, bottom, 240, top), 1) << bottom;
    expectTexts(c, {{"Time:      3.33 S", 230, 55}, {"Voltage:  500.0 V", 230, 71}, {"Current:  1.500 A", 230, 146}});

    for (int x : {39, 340, 600})
        EXPECT_FALSE(startCursorClick(r, x, 640));
    EXPECT_EQ(countLines(page(r, false, false), 240, 120, 240, 83), 1);

    setStartCursor(r, 299);
    storeStartCursor(r, startCursorStep(r, +1)); // right arrow at the last sample: the first one
    c = page(r, false, false);
    EXPECT_EQ(countLines(c, 40, 120, 40, 83), 2); // the curve's first step and the cursor line
    EXPECT_EQ(c.textsEqual("Time:      0.00 S").size(), 4u);
}

TEST_F(StartPage, TextsOfEachFormAtTheirPlaces)
{
    expectTexts(page(r, false, false), {{"Start Characteristic Test Report", 320, 25},
                                        {"Peak Voltage: ", 390, 71},
                                        {"1.67 (S)", 520, 87},
                                        {"Time for Warm-up:", 370, 178},
                                        {"2.48 (S)", 520, 178},
                                        {"Peak Currnet:", 390, 226},
                                        {"0.750 (A)", 520, 226},
                                        {"Current Lead to Cathode :", 370, 290},
                                        {"Sentivity:", 370, 338},
                                        {"0.50 s/div", 520, 338}});
    expectTexts(page(r, false, true), {{"KORVEX 电子镇流器综合测试仪", 320, 5},
                                       {"到达峰值时间 ： ", 390, 87},
                                       {"到达峰值时间 ：", 390, 162},
                                       {"预热时间 ：", 370, 178},
                                       {"导入阴极电流 ：", 370, 290},
                                       {"电压:  500.0 V", 230, 71}});
    // Print: page points at the offset (2500, 2500), panels 2500, 6000, 9500, 13000 down.
    const RecordingCanvas en = page(r, true, false);
    expectTexts(en, {{"Start Characteristic Test Report", 14300, -2800},
                     {"No. :", 3500, -4300},
                     {"A-7", 5000, -4300},
                     {"T8-36W", 14000, -3800},
                     {"Time:    3.33 S", 10500, -5300},
                     {"Voltage: 500.0 V", 10500, -5800},
                     {"Lamp Voltage:", 16500, -5100},
                     {"Time for warm-up:", 16500, -10850},
                     {"2.48 (S)", 22500, -10850},
                     {"Peak Current:", 17500, -12850},
                     {"Sensitivity:", 16500, -17850},
                     {"Lumen", 6500, -18700},
                     {"Operator:", 18500, -18700},
                     {"2024-3-9", 6500, -19200}});
    EXPECT_TRUE(en.textsEqual("Sentivity:").empty());
    EXPECT_EQ(en.textsEqual("Start Characteristic Test Report")[0].height, 700);
    expectTexts(page(r, true, true), {{"KORVEX 电子镇流器综合测试仪", 14300, -2000},
                                      {"编号:", 3500, -4300},
                                      {"T8-36W", 13000, -3800},
                                      {"电压: 500.0 V", 10500, -5800},
                                      {"预热时间:", 16500, -10850},
                                      {"Lumen", 6000, -18700},
                                      {"2024-3-9", 6000, -19200}});
}

// ---- Preheat energy page: Q 7 J, P 9 W, F 1.5; at 640 x 385 the upper plot's origin is
// (40, 178), 135 px high, the lower one's (60, 358), 144 px high. Cursor and end mark at sample
// 300, (300 + 1) / 3.3333 = 90.3 columns from the origins.

class EnergyPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownEnergy(r); }
    TestRecord r;
};

TEST_F(EnergyPage, AxisAndLimitLinesFollowQPAndF)
{
    // Top (Q + 5 P) F = 78 J; Emin from 7 J to 16 J at column 60 (1 s), Emax from 10.5 J to 24 J.
    RecordingCanvas c = page(r, false, false);
    expectTexts(c, {{"78", 58, 209}, {"58.5", 58, 245}, {"39", 58, 281}, {"19.5", 58, 317}, {"0", 58, 353}});
    EXPECT_EQ(countLines(c, 60, 345, 61, 344) + countLines(c, 119, 328, 120, 328), 2);
    EXPECT_EQ(countLines(c, 60, 338, 61, 338) + countLines(c, 119, 314, 120, 313), 2);
    expectTexts(c, {{"Emin", 330, 270}, {"Emax", 330, 226}}); // column 270: 47.5 J and 71.25 J
    const RecordingCanvas paper = page(r, true, false);
    expectTexts(paper, {{"78", 3400, -11300}, {"19.5", 3400, -15800}, {"Emin", 15200, -13846}});
    EXPECT_EQ(countLines(paper, 16456, -13511, 16500, -13500), 1); // Emin to column 300: 52 J

    r.waveEnergy[kEnergySamples - 1] = 100.0f; // measured energy above the limit at 5 s
    expectTexts(page(r, false, false), {{"100", 58, 209}, {"75", 58, 245}});
}

TEST_F(EnergyPage, CursorFollowsTheDragAndTheEndMarkStays)
{
    RecordingCanvas c = page(r, false, false);
    EXPECT_EQ(countLines(c, 130, 144, 130, 178), 1); // up to 5 V of 20 V
    EXPECT_EQ(countLines(c, 150, 346, 150, 358), 1); // up to 6 J of 78 J
    expectTexts(c, {{"5.00 V", 288, 47}, {"0.400 A", 288, 61}, {"1.50 s", 288, 75}});

    const std::optional<int32_t> dragged = energyCursorDrag(140, 640); // 99 px into the plot: sample 330
    ASSERT_TRUE(dragged);
    r.energyCursor = *dragged;
    EXPECT_FALSE(energyCursorDrag(340, 640));
    EXPECT_FALSE(energyCursorClick(39, 640));
    c = page(r, false, false);
    EXPECT_EQ(countLines(c, 139, 144, 139, 178), 1);
    EXPECT_EQ(countLines(c, 150, 346, 150, 358), 1);
    expectTexts(c, {{"1.65 s", 288, 75}});
    const RecordingCanvas paper = page(r, true, false); // columns of 43.33
    EXPECT_EQ(countLines(paper, 6803, -8750, 6803, -10000), 1);
    EXPECT_EQ(countLines(paper, 7413, -17038, 7413, -17500), 1);
}

TEST_F(EnergyPage, PrintTakesTheScalesPreparedWhenThePageWasLastShown)
{
    r.energyScale = 100.0f; // left by an earlier showing with other limits and a smaller current
    r.energyCurrentScale = 0.5f;
    expectTexts(page(r, true, false), {{"100", 3400, -11300}, {"0.100A/div", 21500, -8050}});
    page(r, false, false);
    expectTexts(page(r, true, false), {{"78", 3400, -11300}, {"0.200A/div", 21500, -8050}});

    r.energyScale = r.energyCurrentScale = 0.0f; // never prepared: those of the screen page
    expectTexts(page(r, true, false), {{"78", 3400, -11300}, {"0.200A/div", 21500, -8050}});
    EXPECT_EQ(r.energyScale, 0.0f);
}

TEST_F(EnergyPage, TextsOfEachFormAtTheirPlaces)
{
    expectTexts(page(r, false, false), {{"Filament Warm-up Test Report", 320, 25},
                                        {"Voltage(RMS)", 370, 47},
                                        {"4.00V/div", 460, 60},
                                        {"10.00V", 460, 73},
                                        {"Time", 370, 86},
                                        {"Time to peak:", 390, 99},
                                        {"0.800A", 460, 138},
                                        {"Warm-up energy parameter", 370, 224},
                                        {"Pre-start time:", 390, 250},
                                        {"1.50s", 460, 250},
                                        {"6.00J", 460, 263},
                                        {"Emin=Q+P*t [Q=7.00J, P=9.00W]", 390, 289},
                                        {"Emax=F*Emin [F=1.500]", 390, 302},
                                        {"E(J)", 60, 199},
                                        {"t(s)", 366, 364}});
    expectTexts(page(r, false, true), {{"KORVEX电子镇流器综合测试仪", 320, 5},
                                       {"峰值电压：", 390, 73},
                                       {"10.00伏", 460, 73},
                                       {"0.200A/格", 460, 125},
                                       {"0.800安", 460, 138},
                                       {"1.50秒", 460, 250},
                                       {"6.00焦", 460, 263}});
    const RecordingCanvas en = page(r, true, false);
    expectTexts(en, {{"KORVEX Electronic Ballast Test Instrument", 14300, -2000},
                     {"Voltage(RMS)", 17000, -5050},
                     {"Time to Peak:", 17500, -7050},
                     {"Time to peak:", 17500, -9550},
                     {"5.00 V", 13250, -5300},
                     {"Warm-up energy:", 17500, -13800},
                     {"6.00J", 21500, -13800},
                     {"Emax=F*Emin [F=1.500]", 17500, -15600},
                     {"t(s)", 16100, -10100},
                     {"E(J)", 3500, -10700},
                     {"Operator:", 20500, -18700},
                     {"Wang", 22500, -18700},
                     {"2024-3-9", 6500, -19200}});
    EXPECT_EQ(en.textsEqual("5.00 V")[0].height, 350);
    expectTexts(page(r, true, true), {{"KORVEX 电子镇流器综合测试仪", 14300, -2000},
                                      {"到达峰值时间：", 17500, -7050},
                                      {"预启动时间：", 17500, -13200},
                                      {"测试员:", 18500, -18700},
                                      {"Wang", 20500, -18700},
                                      {"2024-3-9", 6000, -19200}});
}

} // namespace
} // namespace korvex
