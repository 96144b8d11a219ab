// The comprehensive test report: input values, harmonics, output values, the input waveforms
// and the lamp envelopes on one page, on screen and on paper, in English and Chinese.
#include "kinds/StatictestPage.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "kinds/PageConventions.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

constexpr int kHarmonicOrders[6] = {1, 3, 5, 7, 9, 11};
constexpr int kEnvelopeSamples = 150;
constexpr int kCoordLimit = 1 << 24;

struct Labelled {
    const char* label;
    std::string value;
};

struct CompTexts {
    const char* report;
    const char* flux;
    const char* colourTemp;
    Labelled grid[9];   // three rows of three pairs
    Labelled thd[3];    // THDU, THDI, THDIw
    Labelled output[8]; // four rows of two pairs
    const char* stackInput;
    const char* stackOutput;
    const char* stackVoltage;
    const char* stackCurrent;
};

CompTexts compTexts(const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese, csa = options.thdCsa;
    const char* method = csa ? "%(CSA)" : "%(IEC)";
    auto v = [](float x, int d, const char* unit = "") { return valueText(x, d) + unit; };
    const std::string thdU = v(csa ? r.THDUcsa : r.THDU, 1, method);
    const std::string thdI = v(csa ? r.THDIcsa : r.THDI, 1, method);
    const std::string thdIw = v(csa ? r.THDIwcsa : r.THDIw, 1, method);
    if (!chinese) {
        return {"Compositive Characteristic Test Report",
                "Luminous flux:",
                "Color Temperature:",
                {{"Urms (V)", v(r.Urms, 1)},
                 {"Irms (A)", v(r.Irms, 3)},
                 {"Irmsw (A)", v(r.Irmsw, 3)},
                 {"P     (W)", v(r.Pin, 1)},
                 {"PF", v(r.PF, 3)},
                 {"PFw", v(r.PFw, 3)},
                 {"Freq (Hz)", v(r.Fin, 2)},
                 {"CFv", v(r.CFv, 2)},
                 {"CFi", v(r.CFi, 2)}},
                {{"THDU", thdU}, {"THDI", thdI}, {"THDIw", thdIw}},
                {{"Vrms", v(r.Ulrms, 1, " (V)")},
                 {"Ilrms", v(r.Ilrms, 3, " (A)")},
                 {"Ifrms", v(r.Ifrms, 3, " (A)")},
                 {"Ikrms", v(r.Ikrms, 3, " (A)")},
                 {"Pout", v(r.Pout, 1, " (W)")},
                 {"f", v(r.Fout, 2, " (kHz)")},
                 {"Ilm", v(r.Ilm, 3, " (A)")},
                 {"Ilcf", v(r.Ilcf, 2)}},
                nullptr,
                nullptr,
                nullptr,
                nullptr};
    }
    return {"综合特性测试报告",
            "光通量:",
            "色温:",
            {{"电压 (V)", v(r.Urms, 1)},
             {"电流 (A)", v(r.Irms, 3)},
             {"宽频电流 (A)", v(r.Irmsw, 3)},
             {"功率 (W)", v(r.Pin, 1)},
             {"功率因数", v(r.PF, 3)},
             {"宽频功率因数", v(r.PFw, 3)},
             {"频率 (Hz)", v(r.Fin, 2)},
             {"电压波峰比", v(r.CFv, 2)},
             {"电流波峰比", v(r.CFi, 2)}},
            {{"电压总谐波", thdU}, {"窄频电流总谐波", thdI}, {"宽频电流总谐波", thdIw}},
            {{"灯管电压", v(r.Ulrms, 1, " (V)")},
             {"灯管电流", v(r.Ilrms, 3, " (A)")},
             {"灯丝电流", v(r.Ifrms, 3, " (A)")},
             {"导入阴极电流", v(r.Ikrms, 3, " (A)")},
             {"灯功率", v(r.Pout, 1, " (W)")},
             {"振荡频率", v(r.Fout, 2, " (kHz)")},
             {"峰值灯电流", v(r.Ilm, 3, " (A)")},
             {"灯电流波峰比", v(r.Ilcf, 2)}},
            "输入特性分析",
            "输出特性分析",
            "灯管电压",
            "灯管电流"};
}

std::string fluxText(const TestRecord& r)
{
    return fieldUtf8(r.infoFlux) + " lm";
}
std::string colourTempText(const TestRecord& r)
{
    return fieldUtf8(r.infoColorTemp) + " K";
}

/// The UTF-8 characters of s, one string each.
std::vector<std::string> characters(const std::string& s)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        const size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

// Screen mapping of this page: a page point (x, y) lands at (trunc(X0 + x sx), trunc(Y0 + y sy))
// with the origin X0 = trunc(20 sx), Y0 = trunc(5 sy).
struct CompScreen {
    ScreenScale s;
    int X0, Y0;
    int x(double v) const { return clampTrunc(X0 + v * s.sx, -kCoordLimit, kCoordLimit); }
    int y(double v) const { return clampTrunc(Y0 + v * s.sy, -kCoordLimit, kCoordLimit); }
};

// One period of the 200-point input waveform (its even samples) shown twice.
void screenInputCurve(PageCanvas& c, const CompScreen& m, int p, int centre, double amplitude, const float* wave,
                      float peak)
{
    for (int j = 0; j < 200; ++j) {
        const double sample = wave[std::ptrdiff_t{2} * (j % 100)];
        const int d = peak == 0.0f ? 0 : clampTrunc(amplitude * sample / peak, centre - m.s.H, centre);
        const int x = clampTrunc(p + j * m.s.sx, -kCoordLimit, kCoordLimit);
        j == 0 ? c.moveTo(x, centre - d) : c.lineTo(x, centre - d);
    }
}

void screenEnvelope(PageCanvas& c, const ScreenScale& s, int p, int centre, int amplitude, const float* wave,
                    float peak)
{
    const int n = s.x(100);
    const int limit = std::min(centre, s.H - centre);
    for (int i = 0; i < n; ++i) {
        const int d = barHalfHeight(resampledAt(wave, kEnvelopeSamples, n, i), peak, amplitude, limit);
        drawLine(c, p + 2 * i, centre - d, p + 2 * i, centre + d);
    }
}

} // namespace

void drawComprehensiveScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using namespace colours;
    const ScreenScale s = screenScale(c);
    const CompScreen m{s, s.x(20), s.y(5)};
    const CompTexts t = compTexts(r, options);
    const char* face = kFontTimes; // both languages; Chinese glyphs come from the face's fallback
    const int cs = kDefaultCharset;
    const int textHeight = s.fontSy(15);

    drawScreenBackground(c, white);

    c.setFont(face, s.fontSy(chinese ? 18 : 20), black, cs);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(m.x(300), m.y(0), chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    c.textOut(m.x(300), m.y(20), t.report);

    // Side labels: turned to read upwards in English, one character under the other in Chinese.
    if (!chinese) {
        c.setFont(face, textHeight, black, cs, 900);
        c.textOut(m.x(0), m.y(110), "Input");
        c.textOut(m.x(20), m.y(110), "Characteristic");
        c.textOut(m.x(0), m.y(280), "Output Characteristic");
        c.textOut(m.x(25), m.y(220), "Lamp Voltage");
        c.textOut(m.x(25), m.y(320), "Lamp Current");
        c.setFont(face, textHeight, black, cs);
    } else {
        c.setFont(face, textHeight, black, cs);
        c.setTextAlign(TextAlign::Left);
        auto stack = [&](const char* s8, int x, int y, int pitch) {
            int k = 0;
            for (const std::string& ch : characters(s8))
                c.textOut(m.x(x), m.y(y + pitch * k++), ch);
        };
        stack(t.stackInput, 16, 60, 16);
        stack(t.stackOutput, 0, 184, 32);
        stack(t.stackVoltage, 25, 184, 18);
        stack(t.stackCurrent, 25, 284, 18);
    }

    c.setPen(black, PenStyle::Solid, 2);
    drawFrame(c, m.x(-5), m.y(41), m.x(607), m.y(370));
    c.setPen(black, PenStyle::Solid, 1);
    drawLine(c, m.x(-5), m.y(170), m.x(607), m.y(170));
    drawLine(c, m.x(20), m.y(170), m.x(20), m.y(370));
    drawLine(c, m.x(20), m.y(270), m.x(260), m.y(270));
    drawLine(c, m.x(260), m.y(41), m.x(260), m.y(370));

    const int R = s.y(20);
    c.setTextAlign(TextAlign::Left);
    c.setFont(face, textHeight, black, cs);
    c.textOut(m.x(265), m.y(44), t.flux);
    c.textOut(m.x(425), m.y(44), t.colourTemp);
    c.setFont(face, textHeight, blue, cs);
    c.textOut(m.x(360), m.y(44), fluxText(r));
    c.textOut(m.x(545), m.y(44), colourTempText(r));

    // Input value grid: three rows of label/value pairs, then the THD labels and values.
    const int gridTop = m.y(60);
    drawFrame(c, m.x(265), gridTop, m.x(600), gridTop + 5 * R);
    for (int k = 1; k < 5; ++k)
        drawLine(c, m.x(265), gridTop + k * R, m.x(600), gridTop + k * R);
    for (int x : {328, 440, 564})
        drawLine(c, m.x(x), gridTop, m.x(x), gridTop + 3 * R);
    for (int x : {368, 478})
        drawLine(c, m.x(x), gridTop, m.x(x), gridTop + 5 * R);
    const int rowY = m.y(44);
    const int labelX[3] = {270, 370, 480}, valueX[3] = {367, 477, 599}, thdX[3] = {320, 425, 540};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const Labelled& cell = t.grid[3 * row + col];
            c.setFont(face, textHeight, black, cs);
            c.setTextAlign(TextAlign::Left);
            c.textOut(m.x(labelX[col]), rowY + (row + 1) * R, cell.label);
            c.setFont(face, textHeight, blue, cs);
            c.setTextAlign(TextAlign::Right);
            c.textOut(m.x(valueX[col]), rowY + (row + 1) * R, cell.value);
        }
    }
    c.setTextAlign(TextAlign::Centre);
    for (int col = 0; col < 3; ++col) {
        c.setFont(face, textHeight, black, cs);
        c.textOut(m.x(thdX[col]), rowY + 4 * R, t.thd[col].label);
        c.setFont(face, textHeight, blue, cs);
        c.textOut(m.x(thdX[col]), rowY + 5 * R, t.thd[col].value);
    }

    // Harmonic table and output value table share the top line T and the head rows.
    const int T = m.Y0 + clampTrunc(42 * s.sy + 8 * R, -kCoordLimit, kCoordLimit);
    const int headY = m.y(chinese ? 46 : 44) + 8 * R;
    const int boxLeft = chinese ? 462 : 422;
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, m.x(boxLeft), T, m.x(602), T + 8 * R);
    const int columns[2] = {chinese ? 504 : 491, chinese ? 554 : 547};
    for (int x : columns)
        drawLine(c, m.x(x), T, m.x(x), T + 8 * R);
    drawLine(c, m.x(boxLeft), T + R, m.x(602), T + R);
    const int headX[3] = {chinese ? 480 : 455, chinese ? 530 : 520, chinese ? 580 : 575};
    const char* heads[3] = {chinese ? "谐波" : "spectrum", chinese ? "电压" : "voltage", chinese ? "电流" : "current"};
    const char* units[3] = {"k", "%", "%"};
    const Colour headColour[3] = {black, red, blue};
    c.setTextAlign(TextAlign::Centre);
    for (int col = 0; col < 3; ++col) {
        c.setFont(face, textHeight, headColour[col], cs);
        c.textOut(m.x(headX[col]), headY, heads[col]);
        c.textOut(m.x(headX[col]), headY + R, units[col]);
    }
    c.setTextAlign(TextAlign::Right);
    for (int i = 0; i < 6; ++i) {
        const int y = headY + (i + 2) * R, k = kHarmonicOrders[i];
        c.setFont(face, textHeight, black, cs);
        c.textOut(m.x(chinese ? 485 : 460), y, std::to_string(k));
        c.setFont(face, textHeight, red, cs);
        c.textOut(m.x(chinese ? 542 : 532), y, valueText(r.pctU[k], 1));
        c.setFont(face, textHeight, blue, cs);
        c.textOut(m.x(592), y, valueText(r.pctI[k], 1));
    }

    const int outRight = chinese ? 455 : 415;
    for (int k = 0; k <= 8; ++k)
        drawLine(c, m.x(265), T + k * R, m.x(outRight), T + k * R);
    drawLine(c, m.x(265), T, m.x(265), T + 8 * R);
    drawLine(c, m.x(outRight), T, m.x(outRight), T + 8 * R);
    drawLine(c, m.x(chinese ? 355 : 335), T, m.x(chinese ? 355 : 335), T + 8 * R);
    c.setTextAlign(TextAlign::Centre);
    const int outX[2] = {chinese ? 310 : 300, chinese ? 405 : 375};
    for (int pair = 0; pair < 8; ++pair) {
        const int x = m.x(outX[pair % 2]), y = headY + (pair / 2) * 2 * R;
        c.setFont(face, textHeight, black, cs);
        c.textOut(x, y, t.output[pair].label);
        c.setFont(face, textHeight, blue, cs);
        c.textOut(x, y + R, t.output[pair].value);
    }

    // Input voltage and current over two periods.
    const int P = m.x(50);
    const int A = s.y(40);
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, m.x(50), m.y(55), m.x(250), m.y(155));
    drawLine(c, m.x(50), m.y(105), m.x(250), m.y(105));
    c.setPen(red, PenStyle::Solid, 1);
    screenInputCurve(c, m, P, m.y(105), A - 5 * s.sy, r.waveU, r.peakU);
    c.setPen(blue, PenStyle::Solid, 1);
    screenInputCurve(c, m, P, m.y(105), A + 5 * s.sy, r.waveI, r.peakI);

    // Lamp voltage and lamp current envelopes, ten units lower.
    const CompScreen low{s, m.X0, clampTrunc(m.Y0 + 10 * s.sy, -kCoordLimit, kCoordLimit)};
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, low.x(50), low.y(164), low.x(250), low.y(254));
    drawLine(c, low.x(50), low.y(209), low.x(250), low.y(209));
    drawFrame(c, low.x(50), low.y(264), low.x(250), low.y(354));
    drawLine(c, low.x(50), low.y(309), low.x(250), low.y(309));
    c.setPen(red, PenStyle::Solid, 1);
    screenEnvelope(c, s, P, low.y(209), A, r.waveUl, r.peakUl);
    c.setPen(blue, PenStyle::Solid, 1);
    screenEnvelope(c, s, P, low.y(309), A, r.waveIl, r.peakIl);
}

namespace {

// Print page points are 0.01 mm from the top-left margin of 25 mm, y downwards.
constexpr int kMargin = 2500;
void text(PageCanvas& c, int x, int y, const std::string& s)
{
    printText(c, kMargin + x, kMargin + y, s);
}
void line(PageCanvas& c, int x1, int y1, int x2, int y2)
{
    printLine(c, kMargin + x1, kMargin + y1, kMargin + x2, kMargin + y2);
}

void printInputCurve(PageCanvas& c, double scale, const float* wave, float peak)
{
    constexpr int centre = 5200;
    for (int j = 0; j < 200; ++j) {
        const double sample = wave[std::ptrdiff_t{2} * (j % 100)];
        const int d =
            peak == 0.0f ? 0 : clampTrunc(sample / peak * scale, centre + kMargin - kSheetHeight, centre + kMargin);
        const int x = kMargin + 2000 + 40 * j, y = -(kMargin + centre - d);
        j == 0 ? c.moveTo(x, y) : c.lineTo(x, y);
    }
}

void printEnvelope(PageCanvas& c, int centre, const float* wave, float peak)
{
    const int limit = std::min(centre + kMargin, kSheetHeight - centre - kMargin);
    for (int k = 0; k < 100; ++k) {
        const int d = barHalfHeight(wave[k], peak, 1700, limit);
        line(c, 2000 + 80 * k, centre - d, 2000 + 80 * k, centre + d);
    }
}

} // namespace

void drawComprehensivePrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options, int printerFamily)
{
    const bool chinese = options.chinese;
    using colours::black;
    const CompTexts t = compTexts(r, options);
    const char* face = chinese ? kFontSong : "T 宋体";
    const int cs = chinese ? kDefaultCharset : kGb2312Charset;

    c.setMetricMode();
    c.setFont(face, chinese ? 700 : 800, black, cs);
    c.setTextAlign(TextAlign::Centre);
    text(c, 11800, -500, chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    text(c, 11800, 300, t.report);

    // Side labels. The stacked Chinese characters keep the centred alignment of the title, so
    // they stand where the turned English lines stand.
    if (!chinese) {
        c.setFont(face, 400, black, cs, printerFamily == 1 ? 900 : 2700);
        text(c, 300, 5200, "Input");
        text(c, 1300, 5200, "Characteristic");
        text(c, 300, 12000, "Output Characteristic");
        text(c, 1300, 10000, "Lamp Voltage");
        text(c, 1300, 14000, "Lamp Current");
    } else {
        c.setFont(face, 400, black, cs);
        auto stack = [&](const char* s8, int x, int y) {
            int k = 0;
            for (const std::string& ch : characters(s8))
                text(c, x, y + 500 * k++, ch);
        };
        stack(t.stackInput, 1000, 3700);
        stack(t.stackOutput, 500, 10500);
        stack(t.stackVoltage, 1500, 9000);
        stack(t.stackCurrent, 1500, 13000);
    }

    // Header: the test information, luminous flux, colour temperature and the result label.
    // The information block's positions include the margin.
    c.setFont(face, 400, black, cs);
    static const InfoLayout infoEn{{3500, 3500, 11500, 11500, 20500, 20500, 3500, 18500, 3500},
                                   {5000, 5000, 14000, 14000, 23500, 23500, 6500, 21000, 6500},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    static const InfoLayout infoZh{{3500, 3500, 12500, 12500, 21500, 21500, 3500, 20500, 3500},
                                   {5000, 5000, 14000, 14000, 23000, 23000, 5500, 22500, 5500},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    static const char* const labelsEn[9] = {"Name:",     "No. :",         "Type:",     "Standard:", "Temperature:",
                                            "Humidity:", "Manufacturer:", "Operator:", "Test Date:"};
    drawInfoBlock(c, r, chinese, chinese ? infoZh : infoEn, chinese ? nullptr : labelsEn);
    c.setTextAlign(TextAlign::Left);
    text(c, 10300, 2700, t.flux);
    text(c, chinese ? 12300 : 13300, 2700, fluxText(r));
    text(c, chinese ? 18000 : 17000, 2700, t.colourTemp);
    text(c, chinese ? 19500 : 22000, 2700, colourTempText(r));
    text(c, chinese ? 18000 : 16000, 16700, chinese ? "测定结果:" : "Result:");

    // Input value grid.
    const int labelX[3] = {10200, 14600, 19100}, valueX[3] = {14400, 18900, 23600}, rowY[3] = {3600, 4500, 5400};
    const int thdX[3] = {12300, 16700, 21300};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const Labelled& cell = t.grid[3 * row + col];
            c.setTextAlign(TextAlign::Left);
            text(c, labelX[col], rowY[row], cell.label);
            c.setTextAlign(TextAlign::Right);
            text(c, valueX[col], rowY[row], cell.value);
        }
    }
    c.setTextAlign(TextAlign::Centre);
    for (int col = 0; col < 3; ++col) {
        text(c, thdX[col], 6300, t.thd[col].label);
        text(c, thdX[col], 7200, t.thd[col].value);
    }

    // Harmonic table.
    const int headX[3] = {chinese ? 18900 : 17200, chinese ? 20800 : 19700, chinese ? 22700 : 22200};
    const char* heads[3] = {chinese ? "谐波" : "spectrum", chinese ? "电压" : "Voltage", chinese ? "电流" : "Current"};
    const char* units[3] = {"k", "%", "%"};
    for (int col = 0; col < 3; ++col) {
        text(c, headX[col], 8200, heads[col]);
        text(c, headX[col], 9200, units[col]);
    }
    c.setTextAlign(TextAlign::Right);
    for (int i = 0; i < 6; ++i) {
        const int y = 10200 + 1000 * i, k = kHarmonicOrders[i];
        text(c, chinese ? 19100 : 17400, y, std::to_string(k));
        text(c, chinese ? 21400 : 20300, y, valueText(r.pctU[k], 1));
        text(c, chinese ? 23300 : 22800, y, valueText(r.pctI[k], 1));
    }

    // Output value table.
    c.setTextAlign(TextAlign::Centre);
    const int outX[2] = {chinese ? 12000 : 11500, chinese ? 16000 : 14500};
    for (int pair = 0; pair < 8; ++pair) {
        const int y = 8200 + 2000 * (pair / 2);
        text(c, outX[pair % 2], y, t.output[pair].label);
        text(c, outX[pair % 2], y + 1000, t.output[pair].value);
    }

    // Frame.
    const int split = chinese ? 18000 : 16000;
    c.setPen(black, PenStyle::Solid, 50);
    line(c, 0, 2500, 23700, 2500);
    line(c, 23700, 2500, 23700, 16000);
    line(c, 23700, 16000, 0, 16000);
    line(c, 0, 16000, 0, 2500);
    line(c, 0, 7900, 23700, 7900);
    line(c, 10100, 2500, 10100, 16000);
    line(c, split, 7900, split, 16000);
    line(c, 10100, 3400, 23700, 3400);
    c.setPen(black, PenStyle::Solid, 10);
    line(c, 1000, 7900, 1000, 16000);
    line(c, 1000, 12000, 10100, 12000);
    for (int x : {13100, 17600, 22300})
        line(c, x, 3400, x, 6100);
    for (int x : {14500, 19000})
        line(c, x, 3400, x, 7900);
    for (int k = 1; k <= 4; ++k)
        line(c, 10100, 3400 + 900 * k, 23700, 3400 + 900 * k);
    for (int k = 0; k <= 6; ++k)
        line(c, 10100, 8900 + 1000 * k, split, 8900 + 1000 * k);
    line(c, split, 8900, 23700, 8900);
    const int columns[3] = {chinese ? 14000 : 13000, chinese ? 19900 : 18500, chinese ? 21800 : 21000};
    for (int x : columns)
        line(c, x, 7900, x, 16000);

    // Input voltage and current over two periods.
    line(c, 2000, 3200, 10000, 3200);
    line(c, 10000, 3200, 10000, 7200);
    line(c, 10000, 7200, 2000, 7200);
    line(c, 2000, 7200, 2000, 3200);
    line(c, 2000, 5200, 10000, 5200);
    printInputCurve(c, 1500, r.waveU, r.peakU);
    printInputCurve(c, 1700, r.waveI, r.peakI);

    // Lamp voltage and lamp current envelopes: 100 bars from the samples themselves.
    for (int top : {8200, 12200}) {
        line(c, 2000, top, 10000, top);
        line(c, 10000, top, 10000, top + 3600);
        line(c, 10000, top + 3600, 2000, top + 3600);
        line(c, 2000, top + 3600, 2000, top);
    }
    printEnvelope(c, 10000, r.waveUl, r.peakUl);
    printEnvelope(c, 14000, r.waveIl, r.peakIl);

    c.restoreMode();
}

} // namespace korvex
