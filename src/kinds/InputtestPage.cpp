// The input test report: screen and print pages in English and Chinese.
#include "kinds/InputtestPage.h"

#include <cstddef>
#include <string>

#include "kinds/PageConventions.h"

namespace korvex {

namespace {

struct InputTexts {
    const char* title;
    const char* cellLabel[5];
    const char* thdU;
    const char* thdI;
    const char* spectrum;
    const char* voltage;
    const char* current;
};

// The labels that follow the band and THD-method flags; everything else is fixed.
InputTexts inputTexts(const DisplayOptions& options, bool print)
{
    const bool chinese = options.chinese, wide = options.wideBand, csa = options.thdCsa;
    InputTexts t{};
    if (!chinese) {
        t = {"Input Characteristic Test Report",
             {"Urms (V)", wide ? "Irmsw (A)" : "Irms (A)", "P (W)", wide ? "PFw" : "PF", "Freq (Hz)"},
             csa ? "THDU(CSA)" : "THDU(IEC)",
             wide ? (csa ? "THDIw(CSA)" : "THDIw(IEC)") : (csa ? "THDI(CSA)" : "THDI(IEC)"),
             "spectrum",
             "voltage",
             "current"};
    } else if (!print) {
        t = {"输入特性测试报告",
             {"电压(V)", wide ? "宽频电流(A)" : "电流(A)", "功率(W)", wide ? "宽频功率因数" : "功率因数", "频率(Hz)"},
             nullptr,
             nullptr,
             "谐波",
             "电压",
             "电流"};
    } else {
        t = {"输入特性测试报告",
             {"电压 (V)", wide ? "宽频电流 (A)" : "电流 (A)", "功率 (W)", wide ? "宽频功率因数" : "功率因数",
              "频率 (Hz)"},
             nullptr,
             nullptr,
             "谐波",
             "电压",
             "电流"};
    }
    if (chinese) {
        t.thdU = csa ? "电压总谐波(CSA)" : "电压总谐波(IEC)";
        t.thdI = wide ? (csa ? "宽频电流总谐波(CSA)" : "宽频电流总谐波(IEC)")
                      : (csa ? "电流总谐波(CSA)" : "电流总谐波(IEC)");
    }
    return t;
}

struct InputValues {
    std::string cell[5];
    std::string thdU, thdI;
};

InputValues inputValues(const TestRecord& r, const DisplayOptions& options)
{
    const bool wide = options.wideBand, csa = options.thdCsa;
    InputValues v;
    v.cell[0] = valueText(r.Urms, 1);
    v.cell[1] = valueText(wide ? r.Irmsw : r.Irms, 3);
    v.cell[2] = valueText(r.Pin, 1);
    v.cell[3] = valueText(wide ? r.PFw : r.PF, 3);
    v.cell[4] = valueText(r.Fin, 2);
    v.thdU = valueText(csa ? r.THDUcsa : r.THDU, 1) + "%";
    const float thdI = wide ? (csa ? r.THDIwcsa : r.THDIw) : (csa ? r.THDIcsa : r.THDI);
    v.thdI = valueText(thdI, 1) + "%";
    return v;
}

// Two identical periods from the even samples of the 200-point display waveform; depth is
// the deflection at the peak in device pixels. Device y is kept on the page.
void screenTrace(PageCanvas& c, const ScreenScale& s, int x0, int y0, double depth, const float* wave, float peak)
{
    int y[100];
    for (int j = 0; j < 100; ++j) {
        const double d = depth * wave[std::ptrdiff_t{2} * j] / peak;
        y[j] = y0 - clampTrunc(d, y0 - s.H, y0);
    }
    c.moveTo(x0, y[0]);
    for (int period = 0; period < 2; ++period)
        for (int j = 0; j < 100; ++j)
            c.lineTo(clampTrunc(x0 + (j + 100 * period) * s.sx, 0, s.W), y[j]);
}

void screenBars(PageCanvas& c, const ScreenScale& s, int x0, int base, int a, const float* amp)
{
    for (int n = 0; n < kHarmonics; ++n) {
        const int x = clampTrunc(x0 + 5 * n * s.sx, 0, s.W);
        const int h = clampTrunc(static_cast<double>(amp[n]) / amp[1] * a, base - s.H, base);
        drawLine(c, x, base, x, base - h);
    }
}

} // namespace

void drawInputScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    const ScreenScale s = screenScale(c);
    const InputTexts t = inputTexts(options, false);
    const InputValues v = inputValues(r, options);
    const char* face = chinese ? kFontSong : kFontTimes;
    const int charset = chinese ? kGb2312Charset : kDefaultCharset;
    using namespace colours;

    drawScreenBackground(c, white);

    // Title block.
    c.setFont(face, s.fontSf(chinese ? 19 : 20), black, charset);
    c.setTextAlign(TextAlign::Centre);
    const int titleX = chinese ? s.W / 2 : s.x(320);
    c.textOut(titleX, s.y(2), chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    c.textOut(titleX, s.y(22), t.title);

    // Frame.
    c.setPen(black, PenStyle::Solid, 2);
    drawFrame(c, s.x(10), s.y(42), s.x(630), s.y(370));
    drawLine(c, s.x(10), s.y(78), s.x(630), s.y(78));
    drawLine(c, s.x(10), s.y(192), s.x(230), s.y(192));
    drawLine(c, s.x(10), s.y(275), s.x(230), s.y(275));
    drawLine(c, s.x(230), s.y(78), s.x(230), s.y(370));

    // Value-row dividers and the harmonic table's lines.
    c.setPen(black, PenStyle::Solid, 1);
    const int cell = s.x(120);
    const int halfCell = cell / 2; // whole pixels, like every position on the page
    for (int k = 1; k <= 4; ++k) {
        const int x = clampTrunc(10 * s.sx + k * cell, 0, s.W);
        drawLine(c, x, s.y(42), x, s.y(78));
    }
    drawLine(c, s.x(230), s.y(115), s.x(630), s.y(115));
    for (int lx : {296, 362, 430, 498, 564})
        drawLine(c, s.x(lx), s.y(78), s.x(lx), s.y(370));

    // Value row.
    c.setFont(face, s.fontSf(chinese ? 15 : 16), blue, charset);
    c.setTextAlign(TextAlign::Centre);
    for (int k = 0; k < 5; ++k) {
        const int x = clampTrunc(10 * s.sx + k * cell + halfCell, 0, s.W);
        c.textOut(x, s.y(47), t.cellLabel[k]);
        c.textOut(x, s.y(62), v.cell[k]);
    }

    // Waveforms.
    const int x0 = s.x(20), y0 = s.y(135), a = s.y(50), width = s.x(200);
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, x0, y0 - a, x0 + width, y0 + a);
    drawLine(c, x0, y0, x0 + width, y0);
    c.setPen(red, PenStyle::Solid, 1);
    screenTrace(c, s, x0, y0, a - 15 * s.sy, r.waveU, r.peakU);
    c.setPen(darkGreen, PenStyle::Solid, 1);
    screenTrace(c, s, x0, y0, a - 5 * s.sy, r.waveI, r.peakI);
    c.moveTo(x0, y0);

    // Spectra, each bar scaled to the fundamental.
    const int baseU = y0 + s.y(120), baseI = y0 + s.y(205);
    c.setPen(black, PenStyle::Solid, 1);
    drawLine(c, x0, baseU, x0 + width, baseU);
    c.setPen(red, PenStyle::Solid, 2);
    screenBars(c, s, x0, baseU, a, r.ampU);
    c.setPen(black, PenStyle::Solid, 1);
    drawLine(c, x0, baseI, x0 + width, baseI);
    c.setPen(darkGreen, PenStyle::Solid, 2);
    screenBars(c, s, x0, baseI, a, r.ampI);

    // THD block.
    c.setTextAlign(TextAlign::Right);
    c.setFont(face, s.fontSf(12), red, charset);
    c.textOut(x0 + width, y0 + s.y(70), t.thdU);
    c.textOut(x0 + width, y0 + s.y(84), v.thdU);
    c.setFont(face, s.fontSf(12), darkGreen, charset);
    c.textOut(x0 + width, y0 + s.y(150), t.thdI);
    c.textOut(x0 + width, y0 + s.y(164), v.thdI);

    // Spectrum axis labels.
    c.setFont(face, s.fontSf(14), black, charset);
    c.setTextAlign(TextAlign::Left);
    for (int dy : {125, 210}) {
        c.textOut(x0, y0 + s.y(dy), "1");
        c.textOut(x0 + s.x(90), y0 + s.y(dy), "k");
        c.textOut(x0 + s.x(180), y0 + s.y(dy), "39");
    }

    // Harmonic table heads.
    const int xb = s.x(50);
    c.setTextAlign(TextAlign::Centre);
    const int head1 = s.y(84), head2 = s.y(100);
    for (int group = 0; group < 2; ++group) {
        const int xk = xb + s.x(group ? 414 : 217), xu = xb + s.x(group ? 481 : 279), xi = xb + s.x(group ? 547 : 345);
        c.setFont(face, s.fontSf(16), black, charset);
        c.textOut(xk, head1, t.spectrum);
        c.textOut(xk, head2, "k");
        c.textOut(xu, head2, "%");
        c.textOut(xi, head2, "%");
        c.setFont(face, s.fontSf(16), red, charset);
        c.textOut(xu, head1, t.voltage);
        c.setFont(face, s.fontSf(16), darkGreen, charset);
        c.textOut(xi, head1, t.current);
    }

    // Harmonic table body: row r holds orders 2r and 2r + 1; the row cursor accumulates.
    c.setTextAlign(TextAlign::Right);
    const int pitch = s.y(12);
    int y = s.y(121);
    for (int row = 0; row < 20; ++row, y += pitch) {
        for (int group = 0; group < 2; ++group) {
            const int n = 2 * row + group;
            c.setFont(face, s.fontSf(14), black, charset);
            c.textOut(xb + s.x(group ? 419 : 219), y, std::to_string(n));
            c.setFont(face, s.fontSf(14), red, charset);
            c.textOut(xb + s.x(group ? 494 : 287), y, valueText(r.pctU[n], 1));
            c.setFont(face, s.fontSf(14), darkGreen, charset);
            c.textOut(xb + s.x(group ? 561 : 353), y, valueText(r.pctI[n], 1));
        }
    }
}

namespace {

// Print traces: deflection from the zero line in 0.01 mm, kept on the sheet.
void printTrace(PageCanvas& c, int zeroY, double scale, const float* wave, float peak, int x1, int x2)
{
    int y[100];
    for (int j = 0; j < 100; ++j)
        y[j] = zeroY -
               clampTrunc(static_cast<double>(wave[std::ptrdiff_t{2} * j]) / peak * scale, zeroY - kSheetHeight, zeroY);
    c.moveTo(x1, -y[0]);
    for (int j = 0; j < 100; ++j)
        c.lineTo(x1 + 50 * j, -y[j]);
    for (int j = 0; j < 100; ++j)
        c.lineTo(x2 + 50 * j, -y[j]);
}

void printBars(PageCanvas& c, int base, const float* amp)
{
    for (int n = 0; n < kHarmonics; ++n) {
        const int x = 2500 + 250 * n;
        const int h = clampTrunc(static_cast<double>(amp[n]) / amp[1] * 2000, base - kSheetHeight, base);
        printLine(c, x, base, x, base - h);
    }
}

} // namespace

void drawInputPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    const InputTexts t = inputTexts(options, true);
    const InputValues v = inputValues(r, options);
    const int cs = kDefaultCharset;
    using colours::black;

    c.setMetricMode();
    drawPrintTitle(c, kFontSong, cs, chinese ? kInstrumentTitleZh : kInstrumentTitleEn, t.title);

    c.setPen(black, PenStyle::Solid, 50);
    printFrame(c, 2000, 5000, 26600, 18500);
    printLine(c, 2000, 6800, 26600, 6800);
    printLine(c, 2000, 11500, 13500, 11500);
    printLine(c, 2000, 15000, 13500, 15000);
    printLine(c, 13500, 6800, 13500, 18500);
    printLine(c, 14000, 6800, 14000, 18500);

    c.setPen(black, PenStyle::Solid, 10);
    for (int x : {7200, 11900, 16700, 21400})
        printLine(c, x, 5000, x, 6800);
    for (int x : {16300, 18300, 20300, 22300, 24300})
        printLine(c, x, 6800, x, 18500);
    printLine(c, 14000, 8100, 26600, 8100);

    c.setFont(kFontSong, 600, black, cs);
    c.setTextAlign(TextAlign::Centre);
    const int cellX[5] = {5000, 9600, 14300, 19000, 23600};
    for (int k = 0; k < 5; ++k) {
        printText(c, cellX[k], 5300, t.cellLabel[k]);
        printText(c, cellX[k], 6000, v.cell[k]);
    }

    static const InfoLayout infoEn{{3500, 3500, 12500, 12500, 20500, 20500, 3500, 20500, 3500},
                                   {5000, 5000, 14500, 14500, 23500, 23500, 6500, 22500, 6500},
                                   {4000, 4500, 4000, 4500, 4000, 4500, 18700, 18700, 19200}};
    static const InfoLayout infoZh{{3500, 3500, 12500, 12500, 21500, 21500, 3500, 21500, 3500},
                                   {5000, 5000, 14000, 14000, 23000, 23000, 5500, 23000, 5500},
                                   {4000, 4500, 4000, 4500, 4000, 4500, 18700, 18700, 19200}};
    c.setFont(kFontSong, 400, black, cs);
    drawInfoBlock(c, r, chinese, chinese ? infoZh : infoEn);

    c.setFont(kFontSong, 350, black, cs);
    c.setTextAlign(TextAlign::Right);
    printText(c, 12500, 12000, t.thdU);
    printText(c, 12500, 12400, v.thdU);
    printText(c, 12500, 15400, t.thdI);
    printText(c, 12500, 15800, v.thdI);

    c.setFont(kFontSong, 400, black, cs);
    c.setTextAlign(TextAlign::Left);
    for (int y : {14100, 17600}) {
        printText(c, 2500, y, "1");
        printText(c, 7500, y, "k");
        printText(c, 12000, y, "39");
    }

    c.setFont(kFontSong, 500, black, cs);
    c.setTextAlign(TextAlign::Centre);
    for (int x : {15300, 21300})
        printText(c, x, 7000, t.spectrum);
    for (int x : {17300, 23300})
        printText(c, x, 7000, t.voltage);
    for (int x : {19300, 25300})
        printText(c, x, 7000, t.current);
    const int head2X[6] = {15300, 17300, 19300, 21300, 23300, 25300};
    const char* const head2[6] = {"k", "%", "%", "k", "%", "%"};
    for (int i = 0; i < 6; ++i)
        printText(c, head2X[i], 7500, head2[i]);

    c.setTextAlign(TextAlign::Right);
    for (int row = 0; row < 20; ++row) {
        const int y = 8200 + 500 * row;
        const int even = 2 * row, odd = 2 * row + 1;
        printText(c, 15400, y, std::to_string(even));
        printText(c, 17600, y, valueText(r.pctU[even], 1));
        printText(c, 19600, y, valueText(r.pctI[even], 1));
        printText(c, 21400, y, std::to_string(odd));
        printText(c, 23800, y, valueText(r.pctU[odd], 1));
        printText(c, 25800, y, valueText(r.pctI[odd], 1));
    }

    c.setPen(black, PenStyle::Solid, 10);
    printFrame(c, 2500, 7000, 12500, 11000);
    printLine(c, 2500, 9000, 12500, 9000);
    printTrace(c, 9000, 1500, r.waveU, r.peakU, 2500, 7500);
    printTrace(c, 9000, 1750, r.waveI, r.peakI, 2500, 7500);

    printLine(c, 2500, 14000, 12500, 14000);
    c.setPen(black, PenStyle::Solid, 100);
    printBars(c, 14000, r.ampU);
    c.setPen(black, PenStyle::Solid, 10);
    printLine(c, 2500, 17500, 12500, 17500);
    c.setPen(black, PenStyle::Solid, 100);
    printBars(c, 17500, r.ampI);

    c.restoreMode();
}

} // namespace korvex
