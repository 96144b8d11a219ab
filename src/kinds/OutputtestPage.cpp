// The output test report: four signal panels with bar traces and figures, on screen (dark blue)
// and on paper, in English and Chinese.
#include "kinds/OutputtestPage.h"

#include <algorithm>
#include <string>

#include "kinds/PageConventions.h"

namespace korvex {

namespace {

constexpr Colour kDarkBlue{0, 0, 150};
constexpr Colour kGreen{0, 255, 0};
constexpr Colour kYellow{255, 255, 0};

// Samples of each output waveform shown on the page.
constexpr int kOutputSamples = 150;

// One panel: its waveform and the label/value lines beside it. The first line is the panel
// title; the lamp current's title carries its value, the other titles none. (The NOLINT: the
// analyser takes the implicit copy of the array members for a reserved name of ours.)
struct Panel { // NOLINT(bugprone-reserved-identifier)
    const float* wave;
    float peak;
    Colour colour;
    const char* label[4];
    std::string value[4];
};

struct OutputTexts {
    const char* report;
    const char* ilcfLabel;        // label of the lamp current's crest-factor row
    std::string ilcf;             // Ilcf with its prefix
    std::string ilncf;            // "-" Ilncf with its prefix
    std::string power, frequency; // figures with their units, without the label
};

std::string withUnit(double v, int decimals, const char* unit)
{
    return valueText(v, decimals) + unit;
}

void makePanels(const TestRecord& r, bool chinese, bool print, Panel (&p)[4])
{
    using colours::red;
    using colours::white;
    const std::string vrms = withUnit(r.Ulrms, 1, " (V)"), vm = withUnit(r.Ulm, 1, " (V)");
    const std::string ilrms = withUnit(r.Ilrms, 3, " (A)"), ilm = withUnit(r.Ilm, 3, " (A)");
    const std::string ildhc = withUnit(r.Ildhc, 1, " %");
    const std::string ifrms = withUnit(r.Ifrms, 3, " (A)"), ifm = withUnit(r.Ifm, 3, " (A)");
    const std::string ikrms = withUnit(r.Ikrms, 3, " (A)"), ikm = withUnit(r.Ikm, 3, " (A)");
    const std::string ulcf = valueText(r.Ulcf, 2), ifcf = valueText(r.Ifcf, 2), ikcf = valueText(r.Ikcf, 2);
    // The crest-factor row of the lamp current is drawn apart (two figures); its value slot stays empty.
    if (chinese) {
        p[0] = {r.waveUl, r.peakUl, white, {"灯电压:", "有效值:", "峰值:", "波峰系数:"}, {"", vrms, vm, ulcf}};
        p[1] = {r.waveIl, r.peakIl, red, {"灯电流有效值:", "峰值:", nullptr, "半波差:"}, {ilrms, ilm, "", ildhc}};
        p[2] = {r.waveIf, r.peakIf, kGreen, {"灯丝电流:", "有效值:", "峰值:", "波峰系数:"}, {"", ifrms, ifm, ifcf}};
        p[3] = {
            r.waveIk, r.peakIk, kYellow, {"导入阴极电流:", "有效值:", "峰值:", "波峰系数:"}, {"", ikrms, ikm, ikcf}};
    } else if (!print) {
        p[0] = {r.waveUl, r.peakUl, white, {"Lamp Voltage:", "Vrms:", "Vm: ", "Vcf:"}, {"", vrms, vm, ulcf}};
        p[1] = {r.waveIl, r.peakIl, red, {"Lamp Current RMS:", "Ilm: ", nullptr, "Ildhc:"}, {ilrms, ilm, "", ildhc}};
        p[2] = {
            r.waveIf, r.peakIf, kGreen, {"Filament Current :", "Ifrms: ", "Ifm: ", "Ifcf:"}, {"", ifrms, ifm, ifcf}};
        p[3] = {r.waveIk,
                r.peakIk,
                kYellow,
                {"Current Lead to Cathode :", "Ikrms: ", "Ikm: ", "Ikcf:"},
                {"", ikrms, ikm, ikcf}};
    } else {
        p[0] = {r.waveUl, r.peakUl, white, {"Lamp Voltage:", "Vrms:", "Vm:", "Vcf:"}, {"", vrms, vm, ulcf}};
        p[1] = {r.waveIl, r.peakIl, red, {"Lamp Current RMS:", "Ilm:", nullptr, "Ildhc:"}, {ilrms, ilm, "", ildhc}};
        p[2] = {r.waveIf, r.peakIf, kGreen, {"Filament Current:", "Ifrms:", "Ifm:", "Ifcf:"}, {"", ifrms, ifm, ifcf}};
        p[3] = {r.waveIk,
                r.peakIk,
                kYellow,
                {"Current Lead to Cathode:", "Ikrms:", "Ikm:", "Ikcf:"},
                {"", ikrms, ikm, ikcf}};
    }
}

OutputTexts outputTexts(const TestRecord& r, bool chinese, bool print)
{
    OutputTexts t;
    t.report = chinese ? "输出特性测试报告" : "Output Characteristic Test Report";
    const std::string ilcf = valueText(r.Ilcf, 2), ilncf = valueText(r.Ilncf, 2);
    if (chinese) {
        t.ilcfLabel = "波峰系数:";
        t.ilcf = (print ? "正波：" : "正波:") + ilcf;
        t.ilncf = (print ? "负波：-" : "负波:-") + ilncf;
    } else {
        t.ilcfLabel = "Ilcf:";
        t.ilcf = ilcf;
        t.ilncf = "-" + ilncf;
    }
    t.power = withUnit(r.Pout, 1, " (W)");
    t.frequency = withUnit(r.Fout, 2, " (kHz)");
    return t;
}

// Panel rows in logical units (screen) and 0.01 mm (print): title, then three lines; the
// lamp current's crest-factor row is the third line of panel 2.
constexpr int kScreenRowY[4][4] = {{55, 71, 87, 103}, {130, 146, 162, 178}, {210, 226, 242, 258}, {290, 306, 322, 338}};
constexpr int kScreenPanelTop[4] = {46, 126, 206, 286};
constexpr int kScreenPanelBottom[4] = {120, 200, 280, 360};
constexpr int kScreenCentre[4] = {83, 163, 243, 323};
constexpr int kPrintRowY[4][4] = {
    {5100, 5850, 6600, 7350}, {8300, 9050, 9800, 10550}, {11500, 12250, 13000, 13750}, {14700, 15450, 16200, 16950}};

} // namespace

void drawOutputScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    const ScreenScale s = screenScale(c);
    using colours::white;
    Panel panel[4];
    makePanels(r, chinese, false, panel);
    const OutputTexts t = outputTexts(r, chinese, false);
    const char* face = chinese ? kFontSong : kFontTimes;
    const int cs = kDefaultCharset;

    // The page's own origin (40, 5): a logical point (X, Y) lands at ox + trunc((X - 40) sx).
    const int ox = s.x(40), oy = s.y(5);
    auto px = [&](int x) { return ox + s.x(x - 40); };
    auto py = [&](int y) { return oy + s.y(y - 5); };

    drawScreenBackground(c, kDarkBlue);

    c.setFont(face, s.fontSy(chinese ? 18 : 20), white, cs);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(px(320), py(5), chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    c.textOut(px(320), py(25), t.report);

    // Frame, open at the top where the titles stand.
    c.setPen(white, PenStyle::Solid, 2);
    drawLine(c, px(20), py(17), px(20), py(383));
    drawLine(c, px(620), py(17), px(620), py(383));
    drawLine(c, px(20), py(383), px(620), py(383));
    drawLine(c, px(20), py(17), px(100), py(17));
    drawLine(c, px(540), py(17), px(620), py(17));

    const int n = s.x(kOutputSamples);
    const int amplitude = s.y(34);
    for (int p = 0; p < 4; ++p) {
        const Panel& pn = panel[p];
        c.setPen(pn.colour, PenStyle::Solid, 1);
        drawFrame(c, px(40), py(kScreenPanelTop[p]), px(600), py(kScreenPanelBottom[p]));
        drawLine(c, px(340), py(kScreenPanelTop[p]), px(340), py(kScreenPanelBottom[p]));
        const int centre = py(kScreenCentre[p]);
        drawLine(c, px(40), centre, px(340), centre);
        // Two device pixels per point whatever the width: a wider area shows more points.
        const int limit = std::min(centre, s.H - centre);
        for (int k = 0; k < n; ++k) {
            const int x = ox + 2 * k;
            const int v = barHalfHeight(resampledAt(pn.wave, kOutputSamples, n, k), pn.peak, amplitude, limit);
            drawLine(c, x, centre - v, x, centre + v);
        }
    }

    const int xl = ox + s.x(330), xv = ox + s.x(480);
    const int indent = s.x(20);
    c.setTextAlign(TextAlign::Left);
    for (int p = 0; p < 4; ++p) {
        const Panel& pn = panel[p];
        c.setFont(face, s.fontSy(chinese ? 14 : 15), pn.colour, cs);
        c.textOut(xl, py(kScreenRowY[p][0]), pn.label[0]);
        if (!pn.value[0].empty())
            c.textOut(xv, py(kScreenRowY[p][0]), pn.value[0]);
        for (int line = 1; line < 4; ++line) {
            const int y = py(kScreenRowY[p][line]);
            if (!pn.label[line]) {
                // The lamp current's two crest factors.
                if (chinese) {
                    c.textOut(xl, y, t.ilcfLabel);
                    c.textOut(xl + s.x(75), y, t.ilcf);
                    c.textOut(xv, y, t.ilncf);
                } else {
                    c.textOut(xl + indent, y, t.ilcfLabel);
                    c.textOut(xv - s.x(20), y, t.ilcf);
                    c.textOut(xv + s.x(25), y, t.ilncf);
                }
                continue;
            }
            c.textOut(xl + indent, y, pn.label[line]);
            c.textOut(xv, y, pn.value[line]);
        }
    }

    c.setFont(face, s.fontSy(chinese ? 14 : 15), kGreen, cs);
    c.textOut(px(90), py(365), (chinese ? "功率=" : "Pout=") + t.power);
    c.textOut(px(440), py(365), (chinese ? "振荡频率=" : "f   =") + t.frequency);
}

void drawOutputPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using colours::black;
    Panel panel[4];
    makePanels(r, chinese, true, panel);
    const OutputTexts t = outputTexts(r, chinese, true);
    const int cs = kDefaultCharset;

    c.setMetricMode();
    drawPrintTitle(c, kFontSong, cs, chinese ? kInstrumentTitleZh : kInstrumentTitleEn, t.report);

    for (int p = 0; p < 4; ++p) {
        const int top = 5000 + 3200 * p, bottom = 8000 + 3200 * p, centre = 6500 + 3200 * p;
        c.setPen(black, PenStyle::Solid, 50);
        printFrame(c, 2500, top, 26200, bottom);
        printLine(c, 15500, top, 15500, bottom);
        c.setPen(black, PenStyle::Solid, 10);
        printLine(c, 2500, centre, 15500, centre);
        const int limit = std::min(centre, kSheetHeight - centre);
        for (int i = 0; i < kOutputSamples; ++i) {
            const int x = 2500 + i * 1300 / 15;
            const int v = barHalfHeight(panel[p].wave[i], panel[p].peak, 1300, limit);
            printLine(c, x, centre - v, x, centre + v);
        }
    }
    c.setPen(black, PenStyle::Solid, 50);
    printLine(c, 2500, 5000, 2500, 18500);
    printLine(c, 26200, 5000, 26200, 18500);
    printLine(c, 2500, 18500, 26200, 18500);

    c.setFont(kFontSong, 400, black, cs);
    c.setTextAlign(TextAlign::Left);
    for (int p = 0; p < 4; ++p) {
        const Panel& pn = panel[p];
        printText(c, 16500, kPrintRowY[p][0], pn.label[0]);
        if (!pn.value[0].empty())
            printText(c, 22500, kPrintRowY[p][0], pn.value[0]);
        for (int line = 1; line < 4; ++line) {
            const int y = kPrintRowY[p][line];
            if (!pn.label[line]) {
                printText(c, 17500, y, t.ilcfLabel);
                printText(c, chinese ? 20000 : 21500, y, t.ilcf);
                printText(c, 23000, y, t.ilncf);
                continue;
            }
            printText(c, 17500, y, pn.label[line]);
            printText(c, 22500, y, pn.value[line]);
        }
    }

    if (chinese) {
        printText(c, 3500, 17800, "功率:");
        printText(c, 5000, 17800, t.power);
        printText(c, 20000, 17800, "振荡频率:");
        printText(c, 22500, 17800, t.frequency);
    } else {
        printText(c, 3500, 17800, "Pout:");
        printText(c, 5000, 17800, t.power);
        printText(c, 20500, 17800, "f   :");
        printText(c, 22000, 17800, t.frequency);
    }

    // This page spells two English labels its own way ("No. :", "standard:").
    static const char* const labelsEn[9] = {"Name:",     "No. :",         "Type:",     "standard:", "Temperature:",
                                            "Humidity:", "Manufacturer:", "Operator:", "Test Date:"};
    static const InfoLayout infoEn{{3500, 3500, 11500, 11500, 20500, 20500, 3500, 18500, 3500},
                                   {5500, 5500, 14000, 14000, 23500, 23500, 7000, 21000, 7000},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    static const InfoLayout infoZh{{3500, 3500, 12500, 12500, 21500, 21500, 3500, 20500, 3500},
                                   {5000, 5000, 14000, 14000, 23000, 23000, 5500, 22500, 5500},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    drawInfoBlock(c, r, chinese, chinese ? infoZh : infoEn, chinese ? nullptr : labelsEn);

    c.restoreMode();
}

} // namespace korvex
