// The preheat energy report: filament curves with the cursor, running energy against its limits.
#include "kinds/EnergytestPage.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "kinds/Energytest.h"
#include "kinds/PageConventions.h"
#include "record/NumberFormat.h"

namespace korvex {

namespace {

constexpr int kColumns = 300;
// Column j of the 300-column plots shows sample trunc(j * 3.3333) of the 1000-sample curves;
// a mark for sample n stands (n + 1) / 3.3333 columns from the plot's origin. The same factor
// turns a mouse position into a sample, so the cursor line stays under the pointer.
constexpr double kSamplesPerColumn = 3.3333;
constexpr double kColumnsPerSample = 0.3000030000300003;
constexpr double kSamplePeriod = 0.005; // s

const Colour kGreen{0, 128, 0};

int sampleOfColumn(int j)
{
    return static_cast<int>(j * kSamplesPerColumn);
}
int onCapture(int32_t n)
{
    return std::clamp<int32_t>(n, 0, kEnergySamples - 1);
}
double markColumn(int n)
{
    return (n + 1) * kColumnsPerSample;
}

// Emin = Q + P t at column j (t = j / 60 s), Emax = F Emin.
double eMin(const TestRecord& r, int j)
{
    return r.qPara + r.pPara * (j / 60.0);
}
double eMax(const TestRecord& r, int j)
{
    return r.fPara * eMin(r, j);
}

bool usable(float v)
{
    return v > 0.0f && std::isfinite(v);
}

// The axis scales in the record; a record that never had them prepared (a file written
// without a screen drawing) gets those a screen drawing would prepare, never a zero divisor.
EnergyScales scalesOf(const TestRecord& r)
{
    if (usable(r.energyScale) && usable(r.energyCurrentScale))
        return {r.energyScale, r.energyCurrentScale};
    return energyScales(r);
}

// A point `height` units above a baseline, truncated as one sum and kept within [lo, hi].
int above(double base, double height, int lo, int hi)
{
    return clampTrunc(base + (std::isnan(height) ? 0.0 : height), lo, hi);
}

// The texts of the page in one language (and its print or screen form).
struct FigureRow {
    bool heading;
    std::string label, value;
};

void upperFigures(const TestRecord& r, const EnergyScales& sc, bool chinese, bool print, FigureRow (&row)[10])
{
    if (!chinese) {
        row[0] = {true, "Voltage(RMS)", ""};
        row[1] = {false, "Mark:", "4.00V/div"};
        row[2] = {false, "Peak:", valueText(r.filamentUMax, 2) + "V"};
        row[3] = {true, "Time", ""};
        row[4] = {false, print ? "Time to Peak:" : "Time to peak:", valueText(r.filamentUMaxTime, 2) + "s"};
        row[5] = {true, "Current(RMS)", ""};
        row[6] = {false, "Mark:", valueText(sc.current * 0.2, 3) + "A/div"};
        row[7] = {false, "Peak:", valueText(r.filamentIMax, 3) + "A"};
        row[8] = {true, "Time", ""};
        row[9] = {false, "Time to peak:", valueText(r.filamentIMaxTime, 2) + "s"};
    } else {
        row[0] = {true, "灯丝电压(有效值)", ""};
        row[1] = {false, "每格分度：", "4.00V/格"};
        row[2] = {false, "峰值电压：", valueText(r.filamentUMax, 2) + "伏"};
        row[3] = {true, "时间", ""};
        row[4] = {false, "到达峰值时间：", valueText(r.filamentUMaxTime, 2) + "秒"};
        row[5] = {true, "灯丝电流(有效值)", ""};
        row[6] = {false, "每格分度：", valueText(sc.current * 0.2, 3) + "A/格"};
        row[7] = {false, "峰值电流：", valueText(r.filamentIMax, 3) + "安"};
        row[8] = {true, "时间", ""};
        row[9] = {false, "到达峰值时间：", valueText(r.filamentIMaxTime, 2) + "秒"};
    }
}

// Rows 0, 2, 3, 5 and 6 of the energy figures (rows 1 and 4 stay empty).
struct EnergyFigures {
    std::string heading;
    FigureRow time, energy;
    std::string minLimit, maxLimit;
};

EnergyFigures energyFigures(const TestRecord& r, bool chinese)
{
    EnergyFigures f;
    f.heading = chinese ? "预热能量参数" : "Warm-up energy parameter";
    f.time = {false,
              chinese ? "预启动时间：" : "Pre-start time:", valueText(r.preheatTime, 2) + (chinese ? "秒" : "s")};
    f.energy = {false,
                chinese ? "预热能量：" : "Warm-up energy:", valueText(r.preheatEnergy, 2, 5) + (chinese ? "焦" : "J")};
    f.minLimit = "Emin=Q+P*t [Q=" + valueText(r.qPara, 2, 5) + "J, " + "P=" + valueText(r.pPara, 2, 5) + "W]";
    f.maxLimit = "Emax=F*Emin [F=" + valueText(r.fPara, 3, 5) + "]";
    return f;
}

// The three cursor texts: voltage, current and time at the cursor's sample.
void cursorTexts(const TestRecord& r, std::string (&t)[3])
{
    const int n = onCapture(r.energyCursor);
    t[0] = valueText(r.waveFilamentU[n], 2) + " V";
    t[1] = valueText(r.waveFilamentI[n], 3) + " A";
    t[2] = valueText(n * kSamplePeriod, 2) + " s";
}

// Energy axis label i (0 at the top): energyScale (1 - 0.25 i), 5 significant digits.
std::string energyLabel(const EnergyScales& sc, int i)
{
    return formatGeneral(sc.energy * (1.0 - 0.25 * i), 5);
}

// The dotted grid of a plot whose time axis spans left..right in ten divisions: nine column
// lines over the plot's height, and rows - 1 row lines across the time axis.
template <class Line> void drawGrid(Line line, int left, int right, int top, int bottom, int rows)
{
    const int column = (right - left) / 10, row = (bottom - top) / rows;
    for (int i = 1; i <= 9; ++i)
        line(left + column * i, top, left + column * i, bottom);
    for (int i = 1; i < rows; ++i)
        line(left, top + row * i, right, top + row * i);
}

// ---- Screen ---------------------------------------------------------------------------------

// A plot on screen: its origin (bottom left) as truncated device position and its unrounded
// height in pixels. Curve points are placed relative to the origin.
struct ScreenPlot {
    const ScreenScale& s;
    int ox, oy;
    double h;

    int x(double columns) const { return clampTrunc(ox + columns * s.sx, 0, s.W); }
    int y(double fraction) const { return above(oy, -fraction * h, 0, s.H); }
};

// The curves, marks and limit lines of both plots, on screen and paper: Plot maps a column and
// a fraction of full scale to the page.
template <class Plot> void plotCurve(PageCanvas& c, const Plot& p, const float* wave, double scale)
{
    c.moveTo(p.x(0), p.y(wave[0] / scale));
    for (int j = 0; j < kColumns; ++j)
        c.lineTo(p.x(j + 1), p.y(wave[sampleOfColumn(j)] / scale));
}

template <class Plot> void plotMark(PageCanvas& c, const Plot& p, const float* wave, double scale, int32_t index)
{
    const int n = onCapture(index);
    const int x = p.x(markColumn(n));
    drawLine(c, x, p.y(wave[n] / scale), x, p.oy);
}

/// Draws Emin or Emax through columns 0 to last; returns the height of its label at column 270.
template <class Plot>
int plotLimit(PageCanvas& c, const Plot& p, const TestRecord& r, double scale, bool upper, int last)
{
    auto limit = [&](int j) { return (upper ? eMax(r, j) : eMin(r, j)) / scale; };
    c.moveTo(p.x(0), p.y(limit(0)));
    for (int j = 1; j <= last; ++j)
        c.lineTo(p.x(j), p.y(limit(j)));
    return p.y(limit(270));
}

} // namespace

void drawEnergyScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using namespace colours;
    const ScreenScale s = screenScale(c);
    const EnergyScales sc = scalesOf(r);
    auto font = [&](int height, Colour colour) { c.setFont(kFontTimes, s.fontSy(height), colour, kDefaultCharset); };
    auto line = [&](double x1, double y1, double x2, double y2) { drawLine(c, s.x(x1), s.y(y1), s.x(x2), s.y(y2)); };

    drawScreenBackground(c, white);
    font(18, black);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(s.x(320), s.y(5), chinese ? kInstrumentTitleZh : kInstrumentTitleEn);
    c.textOut(s.x(320), s.y(25), chinese ? "灯丝预热能量测试报告" : "Filament Warm-up Test Report");

    // Outer frame, open at the top for the title.
    c.setPen(black, PenStyle::Solid, 2);
    line(20, 17, 110, 17);
    line(490, 17, 620, 17);
    c.moveTo(s.x(20), s.y(17));
    c.lineTo(s.x(20), s.y(380));
    c.lineTo(s.x(620), s.y(380));
    c.lineTo(s.x(620), s.y(17));

    // Upper plot: filament voltage and current.
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, s.x(40), s.y(43), s.x(600), s.y(178));
    line(340, 43, 340, 178);
    line(360, 43, 360, 178);
    c.setPen(black, PenStyle::Dotted, 1);
    drawGrid(line, 40, 340, 43, 178, 5);
    font(12, black);
    for (int i = 0; i <= 5; ++i)
        c.textOut(s.x(40 + 60 * i), s.y(180), std::to_string(i));
    c.setTextAlign(TextAlign::Left);
    c.textOut(s.x(350), s.y(180), "t(s)");

    const ScreenPlot upper{s, s.x(40), s.y(178), 135 * s.sy};
    c.setPen(red, PenStyle::Solid, 2);
    plotCurve(c, upper, r.waveFilamentU, 20.0); // 0..20 V over the plot's height
    c.setPen(kGreen, PenStyle::Solid, 2);
    plotCurve(c, upper, r.waveFilamentI, sc.current);
    c.setPen(black, PenStyle::Solid, 2);
    plotMark(c, upper, r.waveFilamentU, 20.0, r.energyCursor);

    // Cursor box, over the curves so its figures stay legible.
    c.setPen(black, PenStyle::Solid, 1);
    c.fillRect(s.x(240), s.y(45), s.x(336), s.y(89), white);
    drawFrame(c, s.x(240), s.y(45), s.x(336), s.y(89));
    std::string cursor[3];
    cursorTexts(r, cursor);
    c.setTextAlign(TextAlign::Centre);
    for (int k = 0; k < 3; ++k)
        c.textOut(s.x(288), s.y(47 + 14 * k), cursor[k]);

    // A label with its value at x 460 ends before it: the 70 units from x 390 hold less than
    // the longest labels ("到达峰值时间：", "Warm-up energy:") in a 12-unit font, which are
    // condensed to fit rather than run into their values.
    const int labelRoom = s.x(458) - s.x(390);
    FigureRow row[10];
    upperFigures(r, sc, chinese, false, row);
    c.setTextAlign(TextAlign::Left);
    for (int k = 0; k < 10; ++k) {
        font(12, k < 5 ? red : kGreen);
        const int y = s.y(47 + 13 * k);
        if (row[k].value.empty()) {
            c.textOut(s.x(row[k].heading ? 370 : 390), y, row[k].label);
        } else {
            c.textOutWithin(s.x(390), y, row[k].label, labelRoom);
            c.textOut(s.x(460), y, row[k].value);
        }
    }

    // Lower plot: running energy and its limits.
    c.setPen(black, PenStyle::Solid, 1);
    drawFrame(c, s.x(60), s.y(214), s.x(600), s.y(358));
    line(360, 214, 360, 358);
    c.setPen(black, PenStyle::Dotted, 1);
    drawGrid(line, 60, 360, 214, 358, 4);
    font(12, black);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(s.x(60), s.y(199), "E(J)");
    for (int i = 0; i <= 5; ++i)
        c.textOut(s.x(60 + 60 * i), s.y(364), std::to_string(i));
    c.setTextAlign(TextAlign::Right);
    for (int i = 0; i <= 4; ++i)
        c.textOut(s.x(58), s.y(214 + 36 * i - 5), energyLabel(sc, i));
    c.setTextAlign(TextAlign::Left);
    c.textOut(s.x(366), s.y(364), "t(s)");

    const ScreenPlot lower{s, s.x(60), s.y(358), 144 * s.sy};
    c.setPen(red, PenStyle::Solid, 2);
    c.textOut(lower.x(270), plotLimit(c, lower, r, sc.energy, false, kColumns - 1), "Emin");
    c.textOut(lower.x(270), plotLimit(c, lower, r, sc.energy, true, kColumns - 1), "Emax");
    c.setPen(blue, PenStyle::Solid, 2);
    plotCurve(c, lower, r.waveEnergy, sc.energy);
    c.setPen(black, PenStyle::Solid, 2);
    plotMark(c, lower, r.waveEnergy, sc.energy, r.preheatEndIndex);

    const EnergyFigures f = energyFigures(r, chinese);
    font(12, blue);
    auto rowY = [&](int k) { return s.y(224 + 13 * k); };
    c.textOut(s.x(370), rowY(0), f.heading);
    c.textOutWithin(s.x(390), rowY(2), f.time.label, labelRoom);
    c.textOut(s.x(460), rowY(2), f.time.value);
    c.textOutWithin(s.x(390), rowY(3), f.energy.label, labelRoom);
    c.textOut(s.x(460), rowY(3), f.energy.value);
    c.textOut(s.x(390), rowY(5), f.minLimit);
    c.textOut(s.x(390), rowY(6), f.maxLimit);
}

namespace {

// ---- Print ----------------------------------------------------------------------------------

// A plot on paper in 0.01 mm, y negative downwards: its origin and height. A column is 13000 /
// 300 units wide. Curves are not clipped to the plot, only kept on the sheet.
struct PrintPlot {
    int ox, oy, h;

    int x(double columns) const { return clampTrunc(ox + columns * (13000.0 / kColumns), 0, kSheetWidth); }
    int y(double fraction) const { return above(oy, fraction * h, -kSheetHeight, 0); }
};

} // namespace

void drawEnergyPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const bool chinese = options.chinese;
    using colours::black;
    const EnergyScales sc = scalesOf(r);
    auto font = [&](int height) { c.setFont(kFontSong, height, black, kDefaultCharset); };
    // Positions on this page are absolute, y measured downwards.
    auto text = [&](int x, int y, const std::string& s) { printText(c, x, y, s); };
    auto line = [&](int x1, int y1, int x2, int y2) { printLine(c, x1, y1, x2, y2); };

    c.setMetricMode();
    font(700);
    c.setTextAlign(TextAlign::Centre);
    text(14300, 2000, chinese ? kInstrumentTitleZhSpaced : kInstrumentTitleEn);
    text(14300, 2800, chinese ? "灯丝预热能量测试报告" : "Filament Warm-up Test Report");

    static const InfoLayout infoEn{{3500, 3500, 11500, 11500, 20500, 20500, 3500, 20500, 3500},
                                   {5000, 5000, 13500, 13500, 23500, 23500, 6500, 22500, 6500},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    static const InfoLayout infoZh{{3500, 3500, 11500, 11500, 20500, 20500, 3500, 18500, 3500},
                                   {5000, 5000, 13000, 13000, 22000, 22000, 6000, 20500, 6000},
                                   {3800, 4300, 3800, 4300, 3800, 4300, 18700, 18700, 19200}};
    font(400);
    drawInfoBlock(c, r, chinese, chinese ? infoZh : infoEn);

    // Upper plot.
    c.setPen(black, PenStyle::Solid, 10);
    printFrame(c, 2500, 5000, 26200, 10000);
    printLine(c, 15500, 5000, 15500, 10000);
    printLine(c, 16500, 5000, 16500, 10000);
    c.setPen(black, PenStyle::Dotted, 1);
    drawGrid(line, 2500, 15500, 5000, 10000, 5);
    c.setTextAlign(TextAlign::Centre);
    for (int i = 0; i <= 5; ++i)
        text(2500 + 2600 * i, 10100, std::to_string(i));
    c.setTextAlign(TextAlign::Left);
    text(16100, 10100, "t(s)");

    const PrintPlot upper{2500, -10000, 5000};
    c.setPen(black, PenStyle::Solid, 50);
    plotCurve(c, upper, r.waveFilamentU, 20.0);
    plotCurve(c, upper, r.waveFilamentI, sc.current);
    c.setPen(black, PenStyle::Dotted, 1);
    plotMark(c, upper, r.waveFilamentU, 20.0, r.energyCursor);

    c.setPen(black, PenStyle::Solid, 10);
    c.fillRect(11500, -5100, 15000, -6700, colours::white);
    printFrame(c, 11500, 5100, 15000, 6700);
    std::string cursor[3];
    cursorTexts(r, cursor);
    font(350);
    c.setTextAlign(TextAlign::Centre);
    for (int k = 0; k < 3; ++k)
        text(13250, 5300 + 400 * k, cursor[k]);

    FigureRow row[10];
    upperFigures(r, sc, chinese, true, row);
    font(400);
    c.setTextAlign(TextAlign::Left);
    for (int k = 0; k < 10; ++k) {
        const int y = 5050 + 500 * k;
        text(row[k].heading ? 17000 : 17500, y, row[k].label);
        if (!row[k].value.empty())
            text(21500, y, row[k].value);
    }

    // Lower plot.
    c.setPen(black, PenStyle::Solid, 10);
    printFrame(c, 3500, 11500, 26200, 17500);
    printLine(c, 16500, 11500, 16500, 17500);
    c.setPen(black, PenStyle::Dotted, 1);
    drawGrid(line, 3500, 16500, 11500, 17500, 4);
    c.setTextAlign(TextAlign::Centre);
    text(3500, 10700, "E(J)");
    for (int i = 0; i <= 5; ++i)
        text(3500 + 2600 * i, 17600, std::to_string(i));
    c.setTextAlign(TextAlign::Right);
    for (int i = 0; i <= 4; ++i)
        text(3400, 11300 + 1500 * i, energyLabel(sc, i));
    c.setTextAlign(TextAlign::Left);
    text(17100, 17600, "t(s)");

    const PrintPlot lower{3500, -17500, 6000};
    c.setPen(black, PenStyle::Solid, 50);
    c.textOut(15200, plotLimit(c, lower, r, sc.energy, false, kColumns), "Emin");
    c.textOut(15200, plotLimit(c, lower, r, sc.energy, true, kColumns), "Emax");
    plotCurve(c, lower, r.waveEnergy, sc.energy);
    c.setPen(black, PenStyle::Dotted, 1);
    plotMark(c, lower, r.waveEnergy, sc.energy, r.preheatEndIndex);

    const EnergyFigures f = energyFigures(r, chinese);
    text(17000, 12000, f.heading);
    text(17500, 13200, f.time.label);
    text(21500, 13200, f.time.value);
    text(17500, 13800, f.energy.label);
    text(21500, 13800, f.energy.value);
    text(17500, 15000, f.minLimit);
    text(17500, 15600, f.maxLimit);

    c.restoreMode();
}

} // namespace korvex
