// The input report pages: texts and their points, label sets of the band and THD flags,
// trace and bar geometry, the screen mapping and the print page in 0.01 mm.
#include <gtest/gtest.h>

#include "PageTestData.h"
#include "kinds/InputtestPage.h"
#include "kinds/Pages.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

using Text = RecordingCanvas::Text;

// The harmonic order s of the table (right-aligned black text), apart from the axis labels.
Text order(const RecordingCanvas& c, const std::string& s)
{
    for (const Text& t : c.textsEqual(s))
        if (t.align == TextAlign::Right)
            return t;
    ADD_FAILURE() << "no order " << s;
    return Text{-1, -1, "", "", 0, {}, TextAlign::Left, 0};
}

// The only text equal to s; fails when there is not exactly one.
Text only(const RecordingCanvas& c, const std::string& s)
{
    const auto found = c.textsEqual(s);
    EXPECT_EQ(found.size(), 1u) << "text '" << s << "'";
    return found.empty() ? Text{-1, -1, "", "", 0, {}, TextAlign::Left, 0} : found.front();
}

class InputScreenPage : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownInput(r); }
    RecordingCanvas draw(int w = 640, int h = 385, bool chinese = false)
    {
        RecordingCanvas c(w, h);
        chinese ? drawInputScreen(c, r, testdata::inChinese(r)) : drawInputScreen(c, r, testdata::inEnglish(r));
        return c;
    }
    TestRecord r;
};

TEST_F(InputScreenPage, ValueRowCellsAreCentredAtTheirPitch)
{
    const RecordingCanvas c = draw();
    const char* labels[5] = {"Urms (V)", "Irms (A)", "P (W)", "PF", "Freq (Hz)"};
    const char* values[5] = {"220.0", "0.182", "39.5", "0.987", "50.00"};
    for (int k = 0; k < 5; ++k) {
        const Text l = only(c, labels[k]);
        EXPECT_EQ(l.x, 70 + 120 * k);
        EXPECT_EQ(l.y, 47);
        EXPECT_EQ(l.align, TextAlign::Centre);
        EXPECT_EQ(l.colour, colours::blue);
        EXPECT_EQ(l.height, 16);
        EXPECT_EQ(l.font, "Times New Roman");
    }
    for (int k = 0; k < 5; ++k) {
        const Text v = only(c, values[k]);
        EXPECT_EQ(v.x, 70 + 120 * k);
        EXPECT_EQ(v.y, 62);
    }
}

TEST_F(InputScreenPage, TitleBlockAndTableHeads)
{
    const RecordingCanvas c = draw();
    const Text t1 = only(c, "KORVEX Electronic Ballast Test Instrument");
    const Text t2 = only(c, "Input Characteristic Test Report");
    EXPECT_EQ(t1.x, 320);
    EXPECT_EQ(t1.y, 2);
    EXPECT_EQ(t2.y, 22);
    EXPECT_EQ(t1.height, 20);
    EXPECT_EQ(t1.colour, colours::black);
    const auto spectrum = c.textsEqual("spectrum");
    ASSERT_EQ(spectrum.size(), 2u);
    EXPECT_EQ(spectrum[0].x, 267);
    EXPECT_EQ(spectrum[1].x, 464);
    EXPECT_EQ(spectrum[0].y, 84);
    EXPECT_EQ(c.textsEqual("voltage")[0].colour, colours::red);
    EXPECT_EQ(c.textsEqual("current")[1].colour, colours::darkGreen);
    EXPECT_EQ(c.textsEqual("k").size(), 4u); // two table heads, two axis labels
}

TEST_F(InputScreenPage, HarmonicTableFirstAndLastRows)
{
    const RecordingCanvas c = draw();
    // Row 0: order 0 and 1; row 19 (y = 121 + 19 * 12): orders 38 and 39.
    const Text o0 = only(c, "0");
    EXPECT_EQ(o0.x, 269);
    EXPECT_EQ(o0.y, 121);
    EXPECT_EQ(o0.align, TextAlign::Right);
    const Text o39 = order(c, "39");
    EXPECT_EQ(o39.y, 349);
    EXPECT_EQ(o39.x, 469);
    // pctU[39] = 19.5 (red), pctI[39] = 58.5 (green) in the right group.
    const Text u39 = only(c, "19.5");
    EXPECT_EQ(u39.x, 544);
    EXPECT_EQ(u39.y, 349);
    EXPECT_EQ(u39.colour, colours::red);
    const Text i39 = only(c, "78.1");
    EXPECT_EQ(i39.x, 611);
    EXPECT_EQ(i39.colour, colours::darkGreen);
    // pctU[38] = 19.0 sits in the left group of the same row.
    EXPECT_EQ(only(c, "19.0").x, 337);
    // Axis labels "1" and "39" stand under each spectrum besides the orders.
    EXPECT_EQ(c.textsEqual("1").size(), 3u);
    EXPECT_EQ(c.textsEqual("39").size(), 3u);
}

TEST_F(InputScreenPage, RowStepsAccumulateTruncatedPitch)
{
    // At 1080 pixels sy = 2.805: the pitch is trunc(12 sy) = 33, so row 19 stands at
    // trunc(121 sy) + 19 * 33 = 339 + 627, not at trunc(349 sy) = 979.
    const RecordingCanvas c = draw(1920, 1080);
    EXPECT_EQ(only(c, "0").y, 339);
    EXPECT_EQ(order(c, "39").y, 966);
}

struct FlagCase {
    int wideBand, thdCsa;
    const char *cell2, *cell2Value, *cell4, *cell4Value, *thdU, *thdUValue, *thdI, *thdIValue;
};

void PrintTo(const FlagCase& f, std::ostream* os)
{
    *os << "wideBand " << f.wideBand << ", thdCsa " << f.thdCsa;
}

class InputFlagLabels : public ::testing::TestWithParam<FlagCase> {};

TEST_P(InputFlagLabels, ScreenShowsTheChosenFiguresOnly)
{
    const FlagCase f = GetParam();
    TestRecord r;
    testdata::fillKnownInput(r);
    r.wideBand = f.wideBand;
    r.thdCsa = f.thdCsa;
    RecordingCanvas c;
    drawInputScreen(c, r, testdata::inEnglish(r));
    EXPECT_EQ(only(c, f.cell2).x, 190);
    EXPECT_EQ(only(c, f.cell2Value).x, 190);
    EXPECT_EQ(only(c, f.cell4).x, 430);
    EXPECT_EQ(only(c, f.cell4Value).x, 430);
    const Text u = only(c, f.thdU);
    EXPECT_EQ(u.x, 220);
    EXPECT_EQ(u.y, 205);
    EXPECT_EQ(u.colour, colours::red);
    EXPECT_EQ(only(c, f.thdUValue).y, 219);
    const Text i = only(c, f.thdI);
    EXPECT_EQ(i.y, 285);
    EXPECT_EQ(i.colour, colours::darkGreen);
    EXPECT_EQ(only(c, f.thdIValue).y, 299);

    // The flags change nothing else: same number of texts, lines and the same geometry.
    TestRecord plain;
    testdata::fillKnownInput(plain);
    RecordingCanvas base;
    drawInputScreen(base, plain, testdata::inEnglish(plain));
    ASSERT_EQ(c.texts().size(), base.texts().size());
    ASSERT_EQ(c.lines().size(), base.lines().size());
    for (size_t k = 0; k < c.lines().size(); ++k) {
        EXPECT_EQ(c.lines()[k].x2, base.lines()[k].x2);
        EXPECT_EQ(c.lines()[k].y2, base.lines()[k].y2);
    }

    RecordingCanvas print(29700, 21000);
    drawInputPrint(print, r, testdata::inEnglish(r));
    EXPECT_EQ(only(print, f.cell2).x, 9600);
    EXPECT_EQ(only(print, f.thdI).y, -15400);
    EXPECT_EQ(only(print, f.thdIValue).y, -15800);
}

INSTANTIATE_TEST_SUITE_P(
    BandAndMethod, InputFlagLabels,
    ::testing::Values(FlagCase{0, 0, "Irms (A)", "0.182", "PF", "0.987", "THDU(IEC)", "1.2%", "THDI(IEC)", "8.5%"},
                      FlagCase{0, 1, "Irms (A)", "0.182", "PF", "0.987", "THDU(CSA)", "1.3%", "THDI(CSA)", "8.6%"},
                      FlagCase{1, 0, "Irmsw (A)", "0.190", "PFw", "0.951", "THDU(IEC)", "1.2%", "THDIw(IEC)", "9.1%"},
                      FlagCase{1, 1, "Irmsw (A)", "0.190", "PFw", "0.951", "THDU(CSA)", "1.3%", "THDIw(CSA)", "9.2%"}),
    [](const ::testing::TestParamInfo<FlagCase>& p) {
        return std::string(p.param.wideBand ? "wide" : "narrow") + (p.param.thdCsa ? "Csa" : "Iec");
    });

TEST(InputChinesePages, LabelsFollowTheFlagsInBothForms)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    r.wideBand = 1;
    r.thdCsa = 1;
    RecordingCanvas screen;
    drawInputScreen(screen, r, testdata::inChinese(r));
    EXPECT_EQ(only(screen, "宽频电流(A)").font, "宋体");
    EXPECT_EQ(only(screen, "宽频电流(A)").height, 15);
    EXPECT_EQ(only(screen, "宽频电流总谐波(CSA)").y, 285);
    EXPECT_EQ(only(screen, "电压总谐波(CSA)").y, 205);
    EXPECT_EQ(only(screen, "KORVEX 电子镇流器综合测试仪").x, 320);
    EXPECT_EQ(only(screen, "输入特性测试报告").height, 19);
    EXPECT_EQ(screen.textsEqual("谐波").size(), 2u);

    RecordingCanvas print(29700, 21000);
    drawInputPrint(print, r, testdata::inChinese(r));
    EXPECT_EQ(only(print, "宽频电流 (A)").y, -5300);
    EXPECT_EQ(only(print, "KORVEX电子镇流器综合测试仪").x, 14300);
    // The Chinese print page moves the value columns of the information block.
    EXPECT_EQ(only(print, "温度:").x, 21500);
    EXPECT_EQ(only(print, "25℃").x, 23000);
    EXPECT_EQ(only(print, "测试日期:").y, -19200);
    EXPECT_EQ(only(print, "2024-3-9").x, 5500);
    EXPECT_EQ(only(print, "镇流器").x, 5000);
}

class InputTraceGeometry : public ::testing::Test {
  protected:
    void SetUp() override { testdata::fillKnownInput(r); }
    static std::vector<RecordingCanvas::Line> withPen(const RecordingCanvas& c, Colour colour, int width)
    {
        std::vector<RecordingCanvas::Line> out;
        for (const auto& l : c.lines())
            if (l.colour == colour && l.width == width)
                out.push_back(l);
        return out;
    }
    TestRecord r;
};

TEST_F(InputTraceGeometry, TwoPeriodsFromTheEvenSamples)
{
    RecordingCanvas c;
    drawInputScreen(c, r, testdata::inEnglish(r));
    const auto u = withPen(c, colours::red, 1);
    ASSERT_EQ(u.size(), 200u);
    // Depth 50 - 15 = 35 pixels at the peak; sample 50 (j = 25) is the peak of the sine.
    EXPECT_EQ(u[0].x1, 20);
    EXPECT_EQ(u[0].y1, 135);
    EXPECT_EQ(u[25].x2, 45);
    EXPECT_EQ(u[25].y2, 100);
    EXPECT_EQ(u[75].y2, 170);
    // The second period starts at x0 + 100 and repeats the first.
    EXPECT_EQ(u[100].x2, 120);
    EXPECT_EQ(u[125].x2, 145);
    EXPECT_EQ(u[125].y2, 100);
    EXPECT_EQ(u[199].x2, 219);
    const auto i = withPen(c, colours::darkGreen, 1);
    ASSERT_EQ(i.size(), 200u);
    EXPECT_EQ(i[25].y2, 135 - 45); // depth 50 - 5
}

TEST_F(InputTraceGeometry, BarsScaleToTheFundamental)
{
    RecordingCanvas c;
    drawInputScreen(c, r, testdata::inEnglish(r));
    const auto bars = withPen(c, colours::red, 2);
    ASSERT_EQ(bars.size(), 40u);
    EXPECT_EQ(bars[0].x1, 20); // order 0 at the left edge
    EXPECT_EQ(bars[0].y2, 255);
    EXPECT_EQ(bars[1].x1, 25);
    EXPECT_EQ(bars[1].y1, 255); // baseline y0 + 120
    EXPECT_EQ(bars[1].y2, 205); // the fundamental is a = 50 pixels tall
    EXPECT_EQ(bars[3].y2, 250); // 10 % of it
    EXPECT_EQ(bars[5].y2, 155); // twice the fundamental is twice as tall
    EXPECT_EQ(bars[39].x1, 215);
    const auto ibars = withPen(c, colours::darkGreen, 2);
    ASSERT_EQ(ibars.size(), 40u);
    EXPECT_EQ(ibars[1].y1, 340);
    EXPECT_EQ(ibars[1].y2, 290);
    EXPECT_EQ(ibars[3].y2, 315);
}

TEST_F(InputTraceGeometry, FullHdScalesPositionsAndBars)
{
    RecordingCanvas c(1920, 1080);
    drawInputScreen(c, r, testdata::inEnglish(r));
    const auto bars = withPen(c, colours::red, 2);
    ASSERT_EQ(bars.size(), 40u);
    // x0 = 60, bar 1 at trunc(60 + 5 * 3) = 75; base trunc(135 sy) + trunc(120 sy) = 378 + 336;
    // a = trunc(50 sy) = 140.
    EXPECT_EQ(bars[1].x1, 75);
    EXPECT_EQ(bars[1].y1, 714);
    EXPECT_EQ(bars[1].y2, 574);
    const auto u = withPen(c, colours::red, 1);
    ASSERT_EQ(u.size(), 200u);
    EXPECT_EQ(u[100].x2, 360); // second period at x0 + 100 sx
}

TEST_F(InputTraceGeometry, PrintTracesAndBarsIn001mm)
{
    RecordingCanvas c(29700, 21000);
    drawInputPrint(c, r, testdata::inEnglish(r));
    std::vector<RecordingCanvas::Line> traces, bars;
    for (const auto& l : c.lines()) {
        if (l.width == 100)
            bars.push_back(l);
    }
    ASSERT_EQ(bars.size(), 80u);
    EXPECT_EQ(bars[1].x1, 2750);
    EXPECT_EQ(bars[1].y1, -14000);
    EXPECT_EQ(bars[1].y2, -12000); // 2000 up
    EXPECT_EQ(bars[3].y2, -13800);
    EXPECT_EQ(bars[41].y1, -17500);
    EXPECT_EQ(bars[41].y2, -15500);
    // The voltage trace peak: 1500 up from the zero line at 9000; second period at 7500.
    bool peakFirst = false, peakSecond = false;
    for (const auto& l : c.lines()) {
        if (l.width == 10 && l.x2 == 2500 + 50 * 25 && l.y2 == -7500)
            peakFirst = true;
        if (l.width == 10 && l.x2 == 7500 + 50 * 25 && l.y2 == -7500)
            peakSecond = true;
    }
    EXPECT_TRUE(peakFirst);
    EXPECT_TRUE(peakSecond);
    EXPECT_EQ(c.count(RecordingCanvas::Op::SetMetricMode), 1u);
    EXPECT_EQ(c.count(RecordingCanvas::Op::RestoreMode), 1u);
    EXPECT_FALSE(c.metricMode());
    EXPECT_EQ(c.calls().front().op, RecordingCanvas::Op::SetMetricMode);
    EXPECT_EQ(c.calls().back().op, RecordingCanvas::Op::RestoreMode);
}

TEST(ScreenMapping, WideAreaStretchesXOnly)
{
    TestRecord r;
    testdata::fillKnownInput(r);
    RecordingCanvas narrow(640, 385), wide(1280, 385);
    drawInputScreen(narrow, r, testdata::inEnglish(r));
    drawInputScreen(wide, r, testdata::inEnglish(r));
    const Text a = only(narrow, "Urms (V)"), b = only(wide, "Urms (V)");
    EXPECT_EQ(b.x, 2 * 10 + 240 / 2); // c = trunc(120 * 2)
    EXPECT_EQ(b.y, a.y);
    EXPECT_EQ(b.height, a.height); // sf = min(2, 1) = 1
    EXPECT_EQ(only(wide, "0").y, 121);
    EXPECT_EQ(only(wide, "0").x, 2 * 50 + 2 * 219);
    ASSERT_EQ(narrow.lines().size(), wide.lines().size());
    // The background outline stands on the area's last pixel row and column.
    EXPECT_EQ(wide.lines()[0].x2, 1279);
    EXPECT_EQ(wide.lines()[1].y2, 384);
}

} // namespace
} // namespace korvex
