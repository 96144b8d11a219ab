// Pages of reset and damaged records, the page dispatch, and pages leaving the record alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "PageTestData.h"
#include "kinds/Pages.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

// Every line end and text point inside [lo, hi] on both axes.
void expectOnPage(const RecordingCanvas& c, int xlo, int xhi, int ylo, int yhi)
{
    for (const auto& l : c.lines()) {
        EXPECT_TRUE(l.x1 >= xlo && l.x1 <= xhi && l.x2 >= xlo && l.x2 <= xhi) << l.x1 << " " << l.x2;
        EXPECT_TRUE(l.y1 >= ylo && l.y1 <= yhi && l.y2 >= ylo && l.y2 <= yhi) << l.y1 << " " << l.y2;
    }
    for (const auto& t : c.texts()) {
        EXPECT_TRUE(t.x >= xlo && t.x <= xhi && t.y >= ylo && t.y <= yhi) << t.text;
        EXPECT_GT(t.height, 0);
    }
}

void fillAllFloats(TestRecord& r, float v)
{
    for (float* f : {&r.Urms,      &r.Irms,     &r.Irmsw,   &r.Pin,      &r.PF,     &r.PFw,   &r.THDU,  &r.THDI,
                     &r.THDIw,     &r.THDUcsa,  &r.THDIcsa, &r.THDIwcsa, &r.Fin,    &r.peakU, &r.peakI, &r.PhaseStart,
                     &r.PhasePeak, &r.PhaseEnd, &r.CFv,     &r.CFi,      &r.Ulrms,  &r.Ilrms, &r.Ilcf,  &r.Ilncf,
                     &r.Pout,      &r.Fout,     &r.peakUl,  &r.peakIl,   &r.peakIf, &r.peakIk})
        *f = v;
    for (float* a : {r.waveU, r.waveI})
        for (int i = 0; i < kInputWaveLen; ++i)
            a[i] = v;
    for (float* a : {r.waveUl, r.waveIl, r.waveIf, r.waveIk})
        for (int i = 0; i < kOutputWaveLen; ++i)
            a[i] = v;
    for (float* a : {r.ampU, r.ampI, r.harmI, r.mApW, r.pctU, r.pctI})
        for (int i = 0; i < kHarmonics; ++i)
            a[i] = v;
}

struct Drawn {
    RecordingCanvas screen{640, 385};
    RecordingCanvas big{1920, 1080};
    RecordingCanvas print{29700, 21000};
};

Drawn drawAll(TestRecord& r, int32_t kind, int chinese)
{
    r.currentTest = kind;
    r.chinese = chinese;
    Drawn d;
    drawScreenPage(d.screen, r);
    drawScreenPage(d.big, r);
    drawPrintPage(d.print, r, kind, 0);
    return d;
}

TEST(ResetRecordPage, DrawsCompletePageWithZeros)
{
    TestRecord r;
    resetAllResults(r);
    TestRecord known;
    testdata::fillKnownOutput(known);
    for (int32_t kind : {1, 2, 3, 4}) {
        for (int zh : {0, 1}) {
            Drawn reset = drawAll(r, kind, zh);
            Drawn full = drawAll(known, kind, zh);
            EXPECT_EQ(reset.screen.texts().size(), full.screen.texts().size());
            EXPECT_EQ(reset.screen.lines().size(), full.screen.lines().size());
            EXPECT_EQ(reset.print.texts().size(), full.print.texts().size());
            expectOnPage(reset.screen, 0, 640, 0, 385);
            expectOnPage(reset.big, 0, 1920, 0, 1080);
            expectOnPage(reset.print, 0, 29700, -21000, 0);
        }
    }
    Drawn input = drawAll(r, 1, 0);
    // Zero values with their decimals, a table of zeros with one decimal.
    EXPECT_EQ(input.screen.textsEqual("0.0").size(), 2u * 40u + 2u); // table, Urms, P
    EXPECT_EQ(input.screen.textsEqual("0.000").size(), 2u);
    EXPECT_EQ(input.screen.textsEqual("0.00").size(), 1u);
    EXPECT_EQ(input.screen.textsEqual("0.0%").size(), 2u);
    // Flat traces on the zero line, a full-height fundamental bar beside zero bars.
    int onZero = 0, fundamental = 0, zeroBars = 0;
    for (const auto& l : input.screen.lines()) {
        if (l.width == 1 && l.colour == colours::red)
            onZero += l.y2 == 135;
        if (l.width == 2 && l.colour == colours::red) {
            fundamental += l.y2 == 205;
            zeroBars += l.y2 == l.y1;
        }
    }
    EXPECT_EQ(onZero, 200);
    EXPECT_EQ(fundamental, 1);
    EXPECT_EQ(zeroBars, 39);
    Drawn phase = drawAll(r, 2, 0);
    EXPECT_EQ(phase.screen.textsEqual("0").size(), 1u + 3u); // order 0 and three angles
}

class DamagedRecordPage : public ::testing::TestWithParam<float> {};

TEST_P(DamagedRecordPage, StillDrawsCompletePageOnThePage)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    fillAllFloats(r, GetParam());
    TestRecord known;
    testdata::fillKnownInput(known);
    for (int32_t kind : {1, 2, 3, 4}) {
        for (int zh : {0, 1}) {
            Drawn d = drawAll(r, kind, zh);
            Drawn ref = drawAll(known, kind, zh);
            EXPECT_EQ(d.screen.texts().size(), ref.screen.texts().size());
            EXPECT_EQ(d.screen.lines().size(), ref.screen.lines().size());
            EXPECT_EQ(d.print.lines().size(), ref.print.lines().size());
            expectOnPage(d.screen, 0, 640, 0, 385);
            expectOnPage(d.big, 0, 1920, 0, 1080);
            expectOnPage(d.print, 0, 29700, -21000, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(NonFiniteAndHuge, DamagedRecordPage,
                         ::testing::Values(std::numeric_limits<float>::quiet_NaN(),
                                           std::numeric_limits<float>::infinity(),
                                           -std::numeric_limits<float>::infinity(), 3.0e38f, -3.0e38f, 0.0f));

// Start and energy values, curves, peaks, scales and filament parameters all set to v.
void fillStartAndEnergy(TestRecord& r, float v)
{
    for (float* f : {&r.StrUlp,       &r.StrIlp,
                     &r.StrIfp,       &r.StrIkp,
                     &r.peakStartUl,  &r.peakStartIl,
                     &r.peakStartIf,  &r.peakStartIk,
                     &r.StrT,         &r.UlpT,
                     &r.IlpT,         &r.IfpT,
                     &r.IkpT,         &r.cursorTime,
                     &r.cursorUl,     &r.cursorIl,
                     &r.cursorIf,     &r.cursorIk,
                     &r.qPara,        &r.pPara,
                     &r.fPara,        &r.energyCurrentScale,
                     &r.energyScale,  &r.preheatEnergy,
                     &r.filamentUMax, &r.filamentIMax,
                     &r.preheatTime})
        *f = v;
    for (float* a : {r.waveStartUl, r.waveStartIl, r.waveStartIf, r.waveStartIk})
        std::fill(a, a + kStartSamples, v);
    for (float* a : {r.waveFilamentU, r.waveFilamentI, r.waveEnergy})
        std::fill(a, a + kEnergySamples, v);
}

TEST_P(DamagedRecordPage, StartAndEnergyPagesStayOnTheAreaAndTheSheet)
{
    for (int32_t kind : {5, 6}) {
        TestRecord known;
        kind == 5 ? testdata::fillKnownStart(known) : testdata::fillKnownEnergy(known);
        TestRecord r = known;
        fillStartAndEnergy(r, GetParam());
        r.cursorIndex = r.energyCursor = r.preheatEndIndex = -7; // out of range, as a damaged file may hold
        for (int zh : {0, 1}) {
            Drawn d = drawAll(r, kind, zh);
            Drawn ref = drawAll(known, kind, zh);
            EXPECT_EQ(d.screen.texts().size(), ref.screen.texts().size());
            expectOnPage(d.screen, 0, 640, 0, 385);
            expectOnPage(d.big, 0, 1920, 0, 1080);
            expectOnPage(d.print, 0, 29700, -21000, 0);
        }
    }
}

TEST(DamagedRecordPage, ZeroFundamentalAndPeakKeepBarsOnThePage)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    r.ampU[1] = 0.0f; // 311 / 0 and 0 / 0 among the bars
    r.peakU = 0.0f;
    Drawn d = drawAll(r, 1, 0);
    expectOnPage(d.screen, 0, 640, 0, 385);
    expectOnPage(d.print, 0, 29700, -21000, 0);
}

TEST(DamagedRecordPage, ZeroOutputScalesDrawNoBars)
{
    // Groups that passed their presence test with all-zero waveforms leave plot scales of 0.
    TestRecord r;
    testdata::fillKnownOutput(r);
    r.peakUl = r.peakIl = r.peakIf = r.peakIk = 0.0f;
    for (int32_t kind : {3, 4}) {
        Drawn d = drawAll(r, kind, 0);
        for (const RecordingCanvas* c : {&d.screen, &d.print}) {
            int bars = 0;
            for (const auto& l : c->lines())
                bars += l.x1 == l.x2 && l.y1 == l.y2;
            EXPECT_EQ(bars, kind == 3 ? 4 * 150 : 2 * 100) << kind;
        }
        expectOnPage(d.big, 0, 1920, 0, 1080);
    }
}

TEST(PageDispatch, FollowsKindLanguageAndPromptFlag)
{
    TestRecord r;
    resetAllResults(r);
    RecordingCanvas none;
    for (int32_t kind : {0, 7, -1}) {
        r.currentTest = kind;
        drawScreenPage(none, r);
        drawPrintPage(none, r, kind, 0);
    }
    EXPECT_TRUE(none.calls().empty());

    r.currentTest = 1;
    r.chinese = 1;
    RecordingCanvas zh;
    drawScreenPage(zh, r);
    EXPECT_EQ(zh.textsEqual("输入特性测试报告").size(), 1u);

    for (int32_t kind : {5, 6}) {
        r.currentTest = kind;
        r.resultsShown = 0;
        RecordingCanvas prompt;
        drawScreenPage(prompt, r);
        ASSERT_EQ(prompt.texts().size(), 1u);
        EXPECT_EQ(prompt.texts()[0].text, "启动测试，先关灯，再开灯！");
        EXPECT_EQ(prompt.texts()[0].x, 320);
        EXPECT_EQ(prompt.texts()[0].y, 10);
        EXPECT_EQ(prompt.texts()[0].height, 20);
        r.resultsShown = 1;
        RecordingCanvas report;
        drawScreenPage(report, r);
        EXPECT_TRUE(report.textsEqual("启动测试，先关灯，再开灯！").empty());
        // The start screen page writes the instrument title with a space, the energy one without.
        const char* title = kind == 5 ? "KORVEX 电子镇流器综合测试仪" : "KORVEX电子镇流器综合测试仪";
        EXPECT_EQ(report.textsEqual(title).size(), 1u);
    }
    // The prompt does not scale with the area.
    r.currentTest = 5;
    r.resultsShown = 0;
    RecordingCanvas big(1920, 1080);
    drawScreenPage(big, r);
    ASSERT_EQ(big.texts().size(), 1u);
    EXPECT_EQ(big.texts()[0].height, 20);
}

TEST(PageDispatch, ChineseInstrumentTitleFormFollowsThePage)
{
    // With the space: input, phase, output, comprehensive and start screen pages and the
    // comprehensive, start and energy print pages; without: the other ones.
    const char* spaced = "KORVEX 电子镇流器综合测试仪";
    const char* joined = "KORVEX电子镇流器综合测试仪";
    const bool screenSpaced[6] = {true, true, true, true, true, false};
    const bool printSpaced[6] = {false, false, false, true, true, true};
    TestRecord r;
    resetAllResults(r);
    r.chinese = 1;
    r.resultsShown = 1;
    for (int32_t kind = 1; kind <= 6; ++kind) {
        r.currentTest = kind;
        RecordingCanvas screen, print(29700, 21000);
        drawScreenPage(screen, r);
        drawPrintPage(print, r, kind, 0);
        EXPECT_EQ(screen.textsEqual(screenSpaced[kind - 1] ? spaced : joined).size(), 1u) << "screen " << kind;
        EXPECT_TRUE(screen.textsEqual(screenSpaced[kind - 1] ? joined : spaced).empty()) << "screen " << kind;
        EXPECT_EQ(print.textsEqual(printSpaced[kind - 1] ? spaced : joined).size(), 1u) << "print " << kind;
        EXPECT_TRUE(print.textsEqual(printSpaced[kind - 1] ? joined : spaced).empty()) << "print " << kind;
    }
}

TEST(PageDispatch, PagesLeaveTheRecordUnchanged)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    std::vector<unsigned char> before(sizeof r);
    std::memcpy(before.data(), &r, sizeof r);
    for (int32_t kind = 1; kind <= 6; ++kind) {
        for (int zh : {0, 1}) {
            r.currentTest = kind;
            r.chinese = zh;
            // Not even the energy page's axis scales: whoever shows a page prepares them.
            std::memcpy(before.data(), &r, sizeof r);
            RecordingCanvas s, p(29700, 21000);
            drawScreenPage(s, r);
            drawPrintPage(p, r, kind, 1);
            EXPECT_EQ(std::memcmp(before.data(), &r, sizeof r), 0) << "kind " << kind;
            EXPECT_EQ(p.count(RecordingCanvas::Op::SetMetricMode), p.count(RecordingCanvas::Op::RestoreMode));
            EXPECT_FALSE(p.metricMode());
        }
    }
}

} // namespace
} // namespace korvex
