// The start test report: the prompt page and the four-panel start pages, screen and print.
#include "kinds/StarttestPage.h"

#include <cmath>
#include <string>

#include "kinds/PageConventions.h"

namespace korvex {

void drawStartPrompt(PageCanvas& c)
{
    // Fixed device units: the prompt neither scales nor changes with the language.
    c.fillRect(0, 0, c.width(), c.height(), colours::white);
    c.setFont(kFontTimes, 20, colours::black, kDefaultCharset);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(320, 10, "启动测试，先关灯，再开灯！");
}

namespace {

constexpr int kPanels = 4;

// The texts of one panel right of its plot; each page form spells some of them its own way.
struct PanelLabels {
    const char* heading;
    const char* peak;
    const char* time;
    const char* last;
};

// [form][panel]; forms: English screen, English print, Chinese screen, Chinese print.
const PanelLabels kPanelLabels[4][kPanels] = {
    {{"Lamp Voltage :", "Peak Voltage: ", "Time to Peak Voltage: ", "Sensitivity:"},
     {"Lamp Current :", "Peak Current:", "Time to Peak Current:", "Time for Warm-up:"},
     {"Filament Current :", "Peak Currnet:", "Time to Peak Current:", "Sensitivity:"},
     {"Current Lead to Cathode :", "Peak Current:", "Time to Peak Current:", "Sentivity:"}},
    {{"Lamp Voltage:", "Peak Voltage:", "Time to Peak Voltage:", "Sensitivity:"},
     {"Lamp Current:", "Peak Current:", "Time to Peak Current:", "Time for warm-up:"},
     {"Filament Current:", "Peak Current:", "Time to Peak Current:", "Sensitivity:"},
     {"Current Lead to Cathode:", "Peak Current:", "Time to Peak Current:", "Sensitivity:"}},
    {{"灯电压 ：", "峰值电压 ：", "到达峰值时间 ： ", "时间分度 ："},
     {"灯电流 ：", "峰值电流 ：", "到达峰值时间 ：", "预热时间 ："},
     {"灯丝电流 ：", "峰值电流 ：", "到达峰值时间 ：", "时间分度 ："},
     {"导入阴极电流 ：", "峰值电流 ：", "到达峰值时间 ：", "时间分度 ："}},
    {{"灯电压:", "峰值电压:", "到达峰值时间:", "时间分度:"},
     {"灯电流:", "峰值电流:", "到达峰值时间:", "预热时间:"},
     {"灯丝电流:", "峰值电流:", "到达峰值时间:", "时间分度:"},
     {"导入阴极电流:", "峰值电流:", "到达峰值时间:", "时间分度:"}},
};

// Cursor read-out labels per form: time, voltage, current. Label and number form one text.
const char* const kReadoutLabels[4][3] = {
    {"Time:      ", "Voltage:  ", "Current:  "},
    {"Time:    ", "Voltage: ", "Current: "},
    {"时间:  ", "电压:  ", "电流:  "},
    {"时间: ", "电压: ", "电流: "},
};

int formOf(bool chinese, bool print)
{
    return (chinese ? 2 : 0) + (print ? 1 : 0);
}

// One panel's signal: an envelope in instrument units, its own peak, the instrument's peak
// value it stands for, and the value that fills the panel's height.
struct PanelSignal {
    const float* envelope;
    float envelopePeak;
    float instrumentPeak;
    double fullScale;
};

// Panels top to bottom: lamp voltage, lamp current, filament current, cathode lead current.
void panelSignals(const TestRecord& r, PanelSignal (&p)[kPanels])
{
    p[0] = {r.waveStartUl, r.peakStartUl, r.StrUlp, 1000.0};
    p[1] = {r.waveStartIl, r.peakStartIl, r.StrIlp, 1.5};
    p[2] = {r.waveStartIf, r.peakStartIf, r.StrIfp, 1.5};
    p[3] = {r.waveStartIk, r.peakStartIk, r.StrIkp, 1.5};
}

/// Height of sample i above the panel's bottom line for a panel height in device units, not yet
/// truncated. An envelope whose own peak is 0 (all samples 0) lies on the bottom line.
double sampleHeight(const PanelSignal& p, int i, double panelHeight)
{
    if (!(p.envelopePeak > 0.0f) || !std::isfinite(p.envelopePeak))
        return 0.0;
    return static_cast<double>(p.envelope[i]) / p.envelopePeak * p.instrumentPeak / p.fullScale * panelHeight;
}

// The texts of a panel: read-out time and value lines, then the values of the peak, time and
// last lines.
struct PanelTexts {
    std::string readoutTime, readoutValue;
    std::string peak, time, last;
};

void panelTexts(const TestRecord& r, int form, PanelTexts (&t)[kPanels])
{
    const char* const* labels = kReadoutLabels[form];
    const std::string time = labels[0] + valueText(r.cursorTime, 2) + " S";
    const std::string current = labels[2];
    const std::string perDivision = "0.50 s/div";
    t[0] = {time, labels[1] + valueText(r.cursorUl, 1) + " V", valueText(r.StrUlp, 1) + " (V)",
            valueText(r.UlpT, 2) + " (S)", perDivision};
    t[1] = {time, current + valueText(r.cursorIl, 3) + " A", valueText(r.StrIlp, 3) + " (A)",
            valueText(r.IlpT, 2) + " (S)", valueText(r.StrT, 2) + " (S)"};
    t[2] = {time, current + valueText(r.cursorIf, 3) + " A", valueText(r.StrIfp, 3) + " (A)",
            valueText(r.IfpT, 2) + " (S)", perDivision};
    t[3] = {time, current + valueText(r.cursorIk, 3) + " A", valueText(r.StrIkp, 3) + " (A)",
            valueText(r.IkpT, 2) + " (S)", perDivision};
}

bool cursorOnCapture(const TestRecord& r)
{
    return r.cursorIndex >= 0 && r.cursorIndex < kStartSamples;
}

// ---- Screen ---------------------------------------------------------------------------------

const Colour kDarkBlue{0, 0, 150};
const Colour kPanelColour[kPanels] = {colours::white, colours::red, {0, 255, 0}, {255, 255, 0}};

// Page points relative to the origin (40, 5): device (trunc(X0 + x sx), trunc(Y0 + y sy)) with
// X0 = trunc(40 sx) and Y0 = trunc(5 sy), kept on the drawing area.
struct StartScreen {
    ScreenScale s;
    int x0, y0;

    explicit StartScreen(const PageCanvas& c) : s(screenScale(c)), x0(s.x(40)), y0(s.y(5)) {}
    int x(double px) const { return clampTrunc(x0 + px * s.sx, 0, s.W); }
    int y(double py) const { return clampTrunc(y0 + py * s.sy, 0, s.H); }
    void line(PageCanvas& c, double x1, double y1, double x2, double y2) const
    {
        drawLine(c, x(x1), y(y1), x(x2), y(y2));
    }
};

// The envelope from (0, B) to the last sample, with the cursor line rising from the bottom line
// to the curve at cursorIndex. A curve beyond full scale runs up over the panels above but
// stays on the drawing area.
void screenCurve(PageCanvas& c, const StartScreen& g, const PanelSignal& p, int bottom, int cursor)
{
    const int yb = g.y(bottom);
    const double panelHeight = g.s.y(75);
    c.moveTo(g.x(0), yb);
    for (int i = 0; i < kStartSamples; ++i) {
        const int xi = g.x(i);
        const int yi = yb - clampTrunc(sampleHeight(p, i, panelHeight), yb - g.s.H, yb);
        c.lineTo(xi, yi);
        if (i == cursor) {
            c.moveTo(xi, yb);
            c.lineTo(xi, yi);
        }
    }
}

} // namespace

void drawStartScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    const StartScreen g(c);
    const int form = formOf(chinese, false);
    PanelSignal signal[kPanels];
    panelSignals(r, signal);
    PanelTexts text[kPanels];
    panelTexts(r, form, text);
    const int cursor = cursorOnCapture(r) ? r.cursorIndex : -1;

    drawScreenBackground(c, kDarkBlue);

    c.setFont(kFontTimes, g.s.fontSy(20), colours::white, kDefaultCharset);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(g.x(280), g.y(0), chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    c.textOut(g.x(280), g.y(20), chinese ? "启动特性测试报告" : "Start Characteristic Test Report");

    // Outer frame with a gap in its top edge for the title.
    c.setPen(colours::white, PenStyle::Solid, 2);
    g.line(c, -20, 12, 70, 12);
    g.line(c, 490, 12, 580, 12);
    c.moveTo(g.x(-20), g.y(12));
    c.lineTo(g.x(-20), g.y(360));
    c.lineTo(g.x(580), g.y(360));
    c.lineTo(g.x(580), g.y(12));

    c.setFont(kFontTimes, g.s.fontSy(15), colours::white, kDefaultCharset);
    c.setTextAlign(TextAlign::Left);
    for (int k = 0; k < kPanels; ++k) {
        const int top = 40 + 80 * k, bottom = top + 75;
        const Colour colour = kPanelColour[k];
        c.setPen(colour, PenStyle::Solid, 1);
        drawFrame(c, g.x(0), g.y(top), g.x(560), g.y(bottom));
        g.line(c, 300, top, 300, bottom);

        c.setPen(colours::black, PenStyle::Dotted, 1);
        for (int j = 1; j <= 9; ++j)
            g.line(c, 30 * j, top, 30 * j, bottom);
        for (int j = 1; j <= 4; ++j)
            g.line(c, 0, top + 15 * j, 300, top + 15 * j);

        c.setPen(colour, PenStyle::Solid, 1);
        screenCurve(c, g, signal[k], bottom, cursor);

        // The read-out box covers the curve beneath it, so its figures stay legible.
        const int boxTop = k == 0 ? 45 : top + 2;
        c.fillRect(g.x(185), g.y(boxTop), g.x(290), g.y(boxTop + 40), kDarkBlue);
        drawFrame(c, g.x(185), g.y(boxTop), g.x(290), g.y(boxTop + 40));

        const int row1 = k == 0 ? 50 : top + 5;
        const int row[4] = {row1, row1 + 16, row1 + 32, row1 + 48};
        const PanelLabels& label = kPanelLabels[form][k];
        c.setFont(kFontTimes, g.s.fontSy(15), colour, kDefaultCharset);
        c.textOut(g.x(190), g.y(row[0]), text[k].readoutTime);
        c.textOut(g.x(190), g.y(row[1]), text[k].readoutValue);
        c.textOut(g.x(330), g.y(row[0]), label.heading);
        c.textOut(g.x(350), g.y(row[1]), label.peak);
        c.textOut(g.x(480), g.y(row[1]), text[k].peak);
        c.textOut(g.x(350), g.y(row[2]), label.time);
        c.textOut(g.x(480), g.y(row[2]), text[k].time);
        c.textOut(g.x(330), g.y(row[3]), label.last);
        c.textOut(g.x(480), g.y(row[3]), text[k].last);
    }
}

namespace {

// ---- Print ----------------------------------------------------------------------------------

// Page points (x, y down) at the offset (2500, 2500), drawn as (2500 + x, -(2500 + y)).
constexpr int kOffset = 2500;
void text(PageCanvas& c, int x, int y, const std::string& s)
{
    printText(c, kOffset + x, kOffset + y, s);
}
void line(PageCanvas& c, int x1, int y1, int x2, int y2)
{
    printLine(c, kOffset + x1, kOffset + y1, kOffset + x2, kOffset + y2);
}

// A curve beyond full scale is drawn over the panels above, up to the top of the sheet.
void printCurve(PageCanvas& c, const PanelSignal& p, int bottom, int cursor)
{
    const int yb = kOffset + bottom; // downwards from the top of the sheet
    c.moveTo(kOffset, -yb);
    for (int i = 0; i < kStartSamples; ++i) {
        const int xi = kOffset + 1300 * i / 30;
        const int yi = yb - clampTrunc(sampleHeight(p, i, 3000), yb - kSheetHeight, yb);
        c.lineTo(xi, -yi);
        if (i == cursor) {
            c.moveTo(xi, -yb);
            c.lineTo(xi, -yi);
        }
    }
}

} // namespace

void drawStartPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using colours::black;
    const int form = formOf(chinese, true);
    PanelSignal signal[kPanels];
    panelSignals(r, signal);
    PanelTexts values[kPanels];
    panelTexts(r, form, values);
    const int cursor = cursorOnCapture(r) ? r.cursorIndex : -1;

    c.setMetricMode();
    c.setFont(kFontSong, 700, black, kDefaultCharset);
    c.setTextAlign(TextAlign::Centre);
    text(c, 11800, -500, chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    text(c, 11800, 300, chinese ? "启动特性测试报告" : "Start Characteristic Test Report");

    // Test information; no result line on this page.
    static const char* const labelsEn[9] = {"Name:",     "No. :",         "Type:",     "Standard:", "Temperature:",
                                            "Humidity:", "Manufacturer:", "Operator:", "Test Date:"};
    constexpr int o = kOffset;
    static const InfoLayout infoEn{
        {o + 1000, o + 1000, o + 9000, o + 9000, o + 18000, o + 18000, o + 1000, o + 16000, o + 1000},
        {o + 2500, o + 2500, o + 11500, o + 11500, o + 21000, o + 21000, o + 4000, o + 18500, o + 4000},
        {o + 1300, o + 1800, o + 1300, o + 1800, o + 1300, o + 1800, o + 16200, o + 16200, o + 16700}};
    static const InfoLayout infoZh{
        {o + 1000, o + 1000, o + 9000, o + 9000, o + 18000, o + 18000, o + 1000, o + 16000, o + 1000},
        {o + 2500, o + 2500, o + 10500, o + 10500, o + 19500, o + 19500, o + 3500, o + 18000, o + 3500},
        {o + 1300, o + 1800, o + 1300, o + 1800, o + 1300, o + 1800, o + 16200, o + 16200, o + 16700}};
    c.setFont(kFontSong, 400, black, kDefaultCharset);
    drawInfoBlock(c, r, chinese, chinese ? infoZh : infoEn, chinese ? nullptr : labelsEn);

    for (int k = 0; k < kPanels; ++k) {
        const int top = 2500 + 3500 * k, bottom = top + 3000;
        c.setPen(black, PenStyle::Solid, 50);
        printFrame(c, kOffset, kOffset + top, kOffset + 23700, kOffset + bottom);
        line(c, 13000, top, 13000, bottom);
        c.setPen(black, PenStyle::Dotted, 10);
        for (int j = 1; j <= 9; ++j)
            line(c, 1300 * j, top, 1300 * j, bottom);
        for (int j = 1; j <= 4; ++j)
            line(c, 0, top + 600 * j, 13000, top + 600 * j);
        c.setPen(black, PenStyle::Solid, 50);
        printCurve(c, signal[k], bottom, cursor);
    }
    // The panels' sides joined from the first panel's top to the last one's bottom.
    c.setPen(black, PenStyle::Solid, 50);
    line(c, 0, 2500, 0, 16000);
    line(c, 23700, 2500, 23700, 16000);

    c.setTextAlign(TextAlign::Left);
    for (int k = 0; k < kPanels; ++k) {
        const int top = 2500 + 3500 * k;
        c.setPen(black, PenStyle::Solid, 10);
        c.fillRect(kOffset + 7800, -(kOffset + top + 200), kOffset + 11500, -(kOffset + top + 1400), colours::white);
        printFrame(c, kOffset + 7800, kOffset + top + 200, kOffset + 11500, kOffset + top + 1400);
        const PanelLabels& label = kPanelLabels[form][k];
        text(c, 14000, top + 100, label.heading);
        text(c, 15000, top + 850, label.peak);
        text(c, 20000, top + 850, values[k].peak);
        text(c, 15000, top + 1600, label.time);
        text(c, 20000, top + 1600, values[k].time);
        text(c, 14000, top + 2350, label.last);
        text(c, 20000, top + 2350, values[k].last);
        text(c, 8000, top + 300, values[k].readoutTime);
        text(c, 8000, top + 800, values[k].readoutValue);
    }
    c.restoreMode();
}

} // namespace korvex
