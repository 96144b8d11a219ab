// The phase-angle test report: screen and print pages in English and Chinese.
#include "kinds/PhasetestPage.h"

#include <cstddef>
#include <string>

#include "kinds/PageConventions.h"

namespace korvex {

namespace {

// Orders of the small table of current harmonics.
constexpr int kSmallOrders[6] = {2, 3, 5, 7, 9, 11};

const char* const kCellEnScreen[6] = {"Irms (A)", "PF", "THDI %", "Begin Phase (°)", "Peak Phase (°)", "End Phase (°)"};
const char* const kCellEnPrint[6] = {"Irms (A)",       "PF",           "THDI (%)", "Begin Phase (°)",
                                     "Peak Phase (°)", "End Phase (°)"};
const char* const kCellZhScreen[6] = {"电流 (A)",     "功率因数",     "电流总谐波 %",
                                      "起始相位 (°)", "峰值相位 (°)", "终止相位 (°)"};
const char* const kCellZhPrint[6] = {"电流 (A)",     "功率因数",     "电流总谐波 (%)",
                                     "起始相位 (°)", "峰值相位 (°)", "终止相位 (°)"};

void cellValues(const TestRecord& r, std::string (&v)[6])
{
    v[0] = valueText(r.Irms, 3);
    v[1] = valueText(r.PF, 3);
    v[2] = valueText(r.THDI, 1);
    v[3] = valueText(r.PhaseStart, 0);
    v[4] = valueText(r.PhasePeak, 0);
    v[5] = valueText(r.PhaseEnd, 0);
}

std::string mApWText(float v)
{
    return valueText(v, 2, 5);
}

void screenTrace(PageCanvas& c, const ScreenScale& s, int x0, int y0, double depth, const float* wave, float peak)
{
    int y[100];
    for (int j = 0; j < 100; ++j)
        y[j] = y0 - clampTrunc(depth * wave[std::ptrdiff_t{2} * j] / peak, y0 - s.H, y0);
    c.moveTo(x0, y[0]);
    for (int period = 0; period < 2; ++period)
        for (int j = 0; j < 100; ++j)
            c.lineTo(clampTrunc(x0 + (j + 100 * period) * s.sx, 0, s.W), y[j]);
}

} // namespace

void drawPhaseScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    const ScreenScale s = screenScale(c);
    using namespace colours;
    const char* face = kFontTimes; // both languages; Chinese glyphs come from the face's fallback
    const int cs = kDefaultCharset;
    std::string value[6];
    cellValues(r, value);

    drawScreenBackground(c, white);

    c.setFont(face, s.fontSy(18), black, cs);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(s.x(320), s.y(2), chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    c.textOut(s.x(320), s.y(22), chinese ? "输入特性测试报告(续)" : "Input Characteristic Test Report (continued)");

    c.setPen(black, PenStyle::Solid, 2);
    drawFrame(c, s.x(10), s.y(42), s.x(630), s.y(370));
    drawLine(c, s.x(10), s.y(78), s.x(630), s.y(78));
    drawLine(c, s.x(10), s.y(224), s.x(230), s.y(224));
    drawLine(c, s.x(230), s.y(78), s.x(230), s.y(370));

    c.setPen(black, PenStyle::Solid, 1);
    const int cell = s.x(103);
    const int halfCell = cell / 2; // whole pixels, like every position on the page
    for (int k = 1; k <= 5; ++k) {
        const int x = clampTrunc(10 * s.sx + k * cell, 0, s.W);
        drawLine(c, x, s.y(42), x, s.y(78));
    }
    drawLine(c, s.x(120), s.y(224), s.x(120), s.y(370));
    drawLine(c, s.x(10), s.y(260), s.x(230), s.y(260));
    drawLine(c, s.x(230), s.y(115), s.x(630), s.y(115));
    const int e = s.x(67);
    for (int k = 1; k <= 5; ++k) {
        const int x = clampTrunc(230 * s.sx + k * e, 0, s.W);
        drawLine(c, x, s.y(78), x, s.y(370));
    }

    // Value row.
    c.setFont(face, s.fontSy(15), blue, cs);
    c.setTextAlign(TextAlign::Centre);
    const char* const* labels = chinese ? kCellZhScreen : kCellEnScreen;
    for (int k = 0; k < 6; ++k) {
        const int x = clampTrunc(10 * s.sx + k * cell + halfCell, 0, s.W);
        c.textOut(x, s.y(47), labels[k]);
        c.textOut(x, s.y(62), value[k]);
    }

    // Harmonic table heads.
    const int xb = s.x(230);
    auto column = [&](int j) { return xb + j * e + e / 2; };
    const char* spectrum = chinese ? "谐波" : "spectrum";
    const char* current = chinese ? "电流" : "current";
    for (int g = 0; g < 2; ++g) {
        c.setFont(face, s.fontSy(15), red, cs);
        c.textOut(column(3 * g), s.y(82), spectrum);
        c.textOut(column(3 * g), s.y(98), "k");
        c.setFont(face, s.fontSy(15), darkGreen, cs);
        c.textOut(column(3 * g + 1), s.y(82), current);
        c.textOut(column(3 * g + 1), s.y(98), "(A)");
        c.setFont(face, s.fontSy(15), blue, cs);
        c.textOut(column(3 * g + 2), s.y(82), "mA / W");
    }

    // Harmonic table body; the row cursor accumulates.
    const int pitch = s.y(12);
    int y = s.y(119);
    for (int row = 0; row < 20; ++row, y += pitch) {
        for (int g = 0; g < 2; ++g) {
            const int n = 2 * row + g;
            c.setFont(face, s.fontSy(14), red, cs);
            c.setTextAlign(TextAlign::Right);
            c.textOut(column(3 * g) + s.x(4), y, std::to_string(n));
            c.setTextAlign(TextAlign::Centre);
            c.setFont(face, s.fontSy(14), darkGreen, cs);
            c.textOut(column(3 * g + 1), y, valueText(r.harmI[n], 3));
            c.setFont(face, s.fontSy(14), blue, cs);
            c.textOut(column(3 * g + 2), y, mApWText(r.mApW[n]));
        }
    }

    // Waveforms.
    const int x0 = s.x(20), y0 = s.y(150), a = s.y(55), width = s.x(200);
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, x0, y0 - a, x0 + width, y0 + a);
    drawLine(c, x0, y0, x0 + width, y0);
    c.setPen(red, PenStyle::Solid, 1);
    screenTrace(c, s, x0, y0, a - 10 * s.sy, r.waveU, r.peakU);
    c.setPen(darkGreen, PenStyle::Solid, 1);
    screenTrace(c, s, x0, y0, a - 5 * s.sy, r.waveI, r.peakI);
    c.moveTo(x0, y0);

    // Small table of current harmonics in percent.
    const int xs = s.x(65), ys = s.y(chinese ? 228 : 227), xc = xs + s.x(110);
    c.setTextAlign(TextAlign::Centre);
    c.setFont(face, s.fontSy(15), red, cs);
    c.textOut(xs, ys, spectrum);
    c.textOut(xs, ys + s.y(16), "k");
    c.setFont(face, s.fontSy(15), darkGreen, cs);
    c.textOut(xc, ys, current);
    c.textOut(xc, ys + s.y(16), "%");
    int rowY = ys + s.y(38);
    const int smallPitch = s.y(16);
    for (int order : kSmallOrders) {
        c.setFont(face, s.fontSy(14), red, cs);
        c.textOut(xs, rowY, std::to_string(order));
        c.setFont(face, s.fontSy(14), darkGreen, cs);
        c.textOut(xc, rowY, valueText(r.pctI[order], 1));
        rowY += smallPitch;
    }
}

namespace {

void printTrace(PageCanvas& c, const float* wave, float peak)
{
    constexpr int zeroY = 10000;
    int y[100];
    for (int j = 0; j < 100; ++j)
        y[j] = zeroY -
               clampTrunc(static_cast<double>(wave[std::ptrdiff_t{2} * j]) / peak * 2550, zeroY - kSheetHeight, zeroY);
    c.moveTo(2700, -y[0]);
    for (int j = 0; j < 100; ++j)
        c.lineTo(2700 + 50 * j, -y[j]);
    for (int j = 0; j < 100; ++j)
        c.lineTo(7700 + 50 * j, -y[j]);
}

} // namespace

void drawPhasePrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using colours::black;
    const int cs = kDefaultCharset;
    std::string value[6];
    cellValues(r, value);

    c.setMetricMode();
    drawPrintTitle(c, kFontSong, cs, chinese ? kInstrumentTitleZh : kInstrumentTitleEn,
                   chinese ? "输入特性测试报告(续)" : "Input Characteristic Test Report (continued)");

    c.setPen(black, PenStyle::Solid, 50);
    printFrame(c, 2000, 5000, 26600, 18500);
    printLine(c, 2000, 6800, 26600, 6800);
    printLine(c, 2000, 13200, 13500, 13200);
    printLine(c, 13500, 6800, 13500, 18500);
    printLine(c, 14000, 6800, 14000, 18500);

    c.setPen(black, PenStyle::Solid, 10);
    for (int x : {6100, 10200, 14300, 18400, 22500})
        printLine(c, x, 5000, x, 6800);
    printLine(c, 2000, 14700, 13500, 14700);
    printLine(c, 7700, 13200, 7700, 18500);
    for (int x : {16300, 18300, 20300, 22300, 24300})
        printLine(c, x, 6800, x, 18500);
    printLine(c, 14000, 8100, 26600, 8100);

    c.setFont(kFontSong, 500, black, cs);
    c.setTextAlign(TextAlign::Centre);
    const int cellX[6] = {4050, 8150, 12250, 16350, 20450, 24550};
    const char* const* labels = chinese ? kCellZhPrint : kCellEnPrint;
    for (int k = 0; k < 6; ++k) {
        printText(c, cellX[k], 5300, labels[k]);
        printText(c, cellX[k], 6000, value[k]);
    }

    // The same test-information positions serve both languages on this page.
    static const InfoLayout info{{3500, 3500, 12500, 12500, 20500, 20500, 3500, 20500, 3500},
                                 {5000, 5000, 14500, 14500, 23500, 23500, 6500, 22500, 6500},
                                 {4000, 4500, 4000, 4500, 4000, 4500, 18700, 18700, 19200}};
    c.setFont(kFontSong, 400, black, cs);
    drawInfoBlock(c, r, chinese, info);

    const int tableHeight = chinese ? 500 : 400;
    c.setFont(kFontSong, tableHeight, black, cs);
    c.setTextAlign(TextAlign::Centre);
    const char* spectrum = chinese ? "谐波" : "spectrum";
    const char* current = chinese ? "电流" : "current";
    for (int g = 0; g < 2; ++g) {
        const int dx = 6000 * g;
        printText(c, 15300 + dx, 7000, spectrum);
        printText(c, 17300 + dx, 7000, current);
        printText(c, 19300 + dx, 7000, "mA/W");
        printText(c, 15300 + dx, 7500, "k");
        printText(c, 17300 + dx, 7500, "(A)");
    }

    for (int row = 0; row < 20; ++row) {
        const int y = 8200 + 500 * row;
        for (int g = 0; g < 2; ++g) {
            const int n = 2 * row + g, dx = 6000 * g;
            c.setTextAlign(TextAlign::Right);
            printText(c, 15400 + dx, y, std::to_string(n));
            c.setTextAlign(TextAlign::Centre);
            printText(c, 17300 + dx, y, valueText(r.harmI[n], 3));
            printText(c, 19300 + dx, y, mApWText(r.mApW[n]));
        }
    }

    c.setPen(black, PenStyle::Solid, 10);
    printFrame(c, 2700, 7200, 12700, 12800);
    printLine(c, 2700, 10000, 12700, 10000);
    printTrace(c, r.waveU, r.peakU);
    printTrace(c, r.waveI, r.peakI);

    c.setFont(kFontSong, 500, black, cs);
    c.setTextAlign(TextAlign::Centre);
    printText(c, 4850, 13400, spectrum);
    printText(c, 10550, 13400, current);
    printText(c, 4850, 14000, "k");
    printText(c, 10550, 14000, "%");
    c.setTextAlign(TextAlign::Right);
    for (int k = 0; k < 6; ++k) {
        const int y = 14900 + 600 * k;
        printText(c, 4950, y, std::to_string(kSmallOrders[k]));
        printText(c, 11050, y, valueText(r.pctI[kSmallOrders[k]], 1));
    }

    c.restoreMode();
}

} // namespace korvex
