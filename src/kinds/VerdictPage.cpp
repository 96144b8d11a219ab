// The verdict sheet: test information, overall result, per-section tables of the checks and the
// harmonic chart, in 0.01 mm on an A4 landscape sheet.
#include "kinds/VerdictPage.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "kinds/PageConventions.h"
#include "kinds/VerdictNames.h"

namespace korvex {

namespace {

constexpr Colour kPassGreen{0, 128, 0};
constexpr Colour kFailRed{200, 0, 0};
constexpr Colour kGrey{150, 150, 150};

// Table geometry: two columns of rows.
constexpr int kColumnX[2] = {2000, 15100};
constexpr int kColumnWidth = 12600;
constexpr int kTableTop = 6300;
constexpr int kTableBottom = 19800;
constexpr int kRow = 420;
constexpr int kTextHeight = 300;
// Right edges (value columns) and the centre of the result column, from the column's left.
constexpr int kValueRight = 5600, kMaxRight = 7100, kLimitRight = 8900, kMarginRight = 10500, kResultCentre = 11700;

Colour outcomeColour(Outcome o)
{
    switch (o) {
    case Outcome::Pass: return kPassGreen;
    case Outcome::Fail: return kFailRed;
    default: return kGrey;
    }
}

int decimalsFor(double v)
{
    const double a = std::abs(v);
    return a >= 1000 ? 0 : a >= 100 ? 1 : a >= 10 ? 2 : 3;
}

std::string number(double v)
{
    if (!std::isfinite(v))
        return "-";
    return valueText(v, decimalsFor(v));
}

bool isHarmonic(const LimitCheck& c)
{
    return c.kind == CheckKind::ClassCHarmonic || c.kind == CheckKind::ClassDHarmonic ||
           c.kind == CheckKind::WaveformHarmonic;
}

/// Rows a section takes: its title, the column heads and one per check.
int rowsOf(const VerdictSection& s)
{
    return 2 + int(s.checks.size());
}

void drawSection(PageCanvas& c, const VerdictSection& s, int x0, int y, bool series, bool chinese)
{
    using colours::black;
    c.setFont(kFontSong, 340, s.pass ? kPassGreen : kFailRed, kDefaultCharset);
    c.setTextAlign(TextAlign::Left);
    std::string title = sectionLabel(s, chinese) + ": " + outcomeText(s.pass ? Outcome::Pass : Outcome::Fail, chinese);
    if (s.kind == SectionKind::ClassC && s.regime == ClassCRegime::LowPower)
        title += std::string("  (a ") + outcomeText(s.passA ? Outcome::Pass : Outcome::Fail, chinese) + ", b " +
                 outcomeText(s.passB ? Outcome::Pass : Outcome::Fail, chinese) + ")";
    printText(c, x0, y, title);
    y += kRow;
    if (s.checks.empty())
        return;

    c.setFont(kFontSong, kTextHeight, black, kDefaultCharset);
    c.setPen(black, PenStyle::Solid, 10);
    printLine(c, x0, y - 40, x0 + kColumnWidth, y - 40);
    c.setTextAlign(TextAlign::Left);
    printText(c, x0 + 100, y, chinese ? "项目" : "Check");
    c.setTextAlign(TextAlign::Right);
    printText(c, x0 + kValueRight, y, series ? (chinese ? "平均值" : "Average") : (chinese ? "测量值" : "Value"));
    if (series)
        printText(c, x0 + kMaxRight, y, chinese ? "最大值" : "Max run");
    printText(c, x0 + kLimitRight, y, chinese ? "限值" : "Limit");
    printText(c, x0 + kMarginRight, y, chinese ? "裕量" : "Margin");
    c.setTextAlign(TextAlign::Centre);
    printText(c, x0 + kResultCentre, y, chinese ? "结果" : "Result");
    y += kRow;
    printLine(c, x0, y - 40, x0 + kColumnWidth, y - 40);

    for (const LimitCheck& k : s.checks) {
        const std::string unit = checkUnit(k);
        c.setFont(kFontSong, kTextHeight, black, kDefaultCharset);
        c.setTextAlign(TextAlign::Left);
        printText(c, x0 + 100, y, checkLabel(k, chinese));
        c.setTextAlign(TextAlign::Right);
        printText(c, x0 + kValueRight, y, number(k.value) + " " + unit);
        if (series && std::isfinite(k.maxValue))
            printText(c, x0 + kMaxRight, y, number(k.maxValue));
        printText(c, x0 + kLimitRight, y, (k.upper ? "≤ " : "≥ ") + number(k.limit) + " " + unit);
        printText(c, x0 + kMarginRight, y, std::isfinite(k.margin) ? valueText(k.margin, 1) + " %" : "-");
        c.setFont(kFontSong, kTextHeight, outcomeColour(k.result), kDefaultCharset);
        c.setTextAlign(TextAlign::Centre);
        printText(c, x0 + kResultCentre, y, outcomeText(k.result, chinese));
        y += kRow;
    }
}

} // namespace

void drawHarmonicChart(PageCanvas& c, const Verdict& v, const ChartBox& box, bool metric, bool chinese)
{
    const auto Y = [metric](int y) { return metric ? -y : y; };
    const int unit = metric ? 10 : 1; // a hairline
    const int textHeight = box.textHeight > 0 ? box.textHeight
                           : metric           ? 280
                                              : std::max(9, (box.bottom - box.top) / 14);
    const char* font = box.font ? box.font : kFontSong;
    const int labelRoom = textHeight + (metric ? 100 : 3);
    const int left = box.left + (metric ? 900 : 3 * textHeight);
    const int right = box.right;
    const int legend = box.top + labelRoom; // the legend's row, under the title
    const int top = legend + labelRoom;
    const int bottom = box.bottom - labelRoom;
    if (right - left < 40 * unit || bottom - top < 10 * unit)
        return;
    constexpr double kFullScale = 200.0; // % of the limit at the top of the chart
    const auto yOf = [&](double pct) {
        const double share = std::clamp(pct, 0.0, kFullScale) / kFullScale;
        return bottom - int(std::lround(share * (bottom - top)));
    };

    const VerdictSection* s = v.section(SectionKind::ClassC);
    std::vector<const LimitCheck*> bars;
    if (s)
        for (const LimitCheck& k : s->checks)
            if (isHarmonic(k) && (s->regime != ClassCRegime::LowPower || k.kind == CheckKind::ClassDHarmonic))
                bars.push_back(&k);

    c.setFont(font, textHeight, colours::black, kDefaultCharset);
    c.setTextAlign(TextAlign::Left);
    std::string title = chinese ? "谐波 / 限值 (%)" : "Harmonics / limit (%)";
    if (s && s->regime == ClassCRegime::LowPower)
        title += chinese ? "  a: mA/W" : "  way a: mA/W";
    c.textOut(box.left, Y(box.top), title);

    // The legend: a stretch of each line with its meaning, the limit at the left, the bound of a
    // single run of a series in the middle.
    const int sample = 3 * textHeight;
    const int legendLine = legend + textHeight / 2;
    const auto legendItem = [&](int x, PenStyle style, const char* text) {
        c.setPen(kFailRed, style, unit);
        drawLine(c, x, Y(legendLine), x + sample, Y(legendLine));
        c.textOut(x + sample + textHeight / 2, Y(legend), text);
    };
    legendItem(left, PenStyle::Solid, chinese ? "限值 (100 %)" : "limit (100 %)");
    if (v.runs > 1)
        legendItem(left + (right - left) / 2, PenStyle::Dotted, chinese ? "单次上限 (150 %)" : "single run (150 %)");

    c.setPen(colours::black, PenStyle::Solid, unit);
    drawLine(c, left, Y(top), left, Y(bottom));
    drawLine(c, left, Y(bottom), right, Y(bottom));
    c.setTextAlign(TextAlign::Right);
    for (int pct : {0, 100, 200}) {
        const int y = yOf(pct);
        c.textOut(left - unit * 4, Y(y - textHeight / 2), std::to_string(pct));
    }

    if (!bars.empty()) {
        const double pitch = double(right - left) / double(bars.size());
        const int barWidth = std::max(unit, int(pitch * 0.6));
        for (size_t i = 0; i < bars.size(); ++i) {
            const LimitCheck& k = *bars[i];
            const int cx = left + int(pitch * (double(i) + 0.5));
            const double pct = k.limit > 0 ? k.value / k.limit * 100.0 : kFullScale;
            const int y = yOf(pct);
            if (y < bottom)
                c.fillRect(cx - barWidth / 2, Y(y), cx - barWidth / 2 + barWidth, Y(bottom), outcomeColour(k.result));
            c.setFont(font, textHeight, colours::black, kDefaultCharset);
            c.setTextAlign(TextAlign::Centre);
            // Every other order under a crowded axis.
            if (bars.size() <= 12 || i % 2 == 0)
                c.textOut(cx, Y(bottom + unit * 2), std::to_string(k.order));
            if (pct > kFullScale && std::isfinite(pct)) {
                // Cut at the top: its share reads upwards on the bar, from the top down.
                c.setFont(font, textHeight, colours::white, kDefaultCharset, 900);
                c.setTextAlign(TextAlign::Right);
                c.textOut(cx - textHeight / 2, Y(top + unit * 3), std::to_string(std::lround(pct)) + "%");
            }
        }
        c.setFont(font, textHeight, colours::black, kDefaultCharset);
    }

    c.setPen(kFailRed, PenStyle::Solid, unit);
    drawLine(c, left, Y(yOf(100)), right, Y(yOf(100)));
    if (v.runs > 1) {
        c.setPen(kFailRed, PenStyle::Dotted, unit);
        drawLine(c, left, Y(yOf(150)), right, Y(yOf(150)));
    }
}

void drawVerdictSheet(PageCanvas& c, const TestRecord& r, const Verdict& v, bool chinese)
{
    using colours::black;
    c.setMetricMode();
    drawPrintTitle(c, kFontSong, kDefaultCharset, chinese ? kInstrumentTitleZh : kInstrumentTitleEn,
                   chinese ? "判定报告" : "Verdict Sheet");

    static const InfoLayout info{{2000, 2000, 11000, 11000, 20000, 20000, 2000, 11000, 20000},
                                 {4000, 4000, 13000, 13000, 22500, 22500, 5000, 13000, 22500},
                                 {3700, 4150, 3700, 4150, 3700, 4150, 4600, 4600, 4600}};
    c.setFont(kFontSong, 350, black, kDefaultCharset);
    drawInfoBlock(c, r, chinese, info);

    // The overall result.
    const VerdictResult result = v.result();
    const bool judged = v.judged();
    c.setFont(kFontSong, 700, judged ? (v.pass ? kPassGreen : kFailRed) : black, kDefaultCharset);
    c.setTextAlign(TextAlign::Left);
    std::string overall = (chinese ? "判定: " : "Verdict: ") + std::string(resultText(result, chinese));
    if (result == VerdictResult::NotJudged)
        overall += ": " + v.notJudged;
    printText(c, 2000, 5200, overall);
    c.setFont(kFontSong, 350, black, kDefaultCharset);
    const std::string runs = v.runs > 1 ? (chinese ? std::to_string(v.runs) + "次测量平均"
                                                   : "average of " + std::to_string(v.runs) + " runs")
                                        : (chinese ? "单次测量" : "single capture");
    printText(c, 15100, 5500, (chinese ? "限值配置: " : "Profile: ") + v.profile + "   " + runs);
    c.setPen(black, PenStyle::Solid, 30);
    printLine(c, 2000, 6000, 27700, 6000);

    // The harmonics take the left column; the other sections and the chart the right one.
    const bool harmonics = v.section(SectionKind::ClassC) != nullptr;
    int y[2] = {kTableTop, kTableTop};
    for (const VerdictSection& s : v.sections) {
        const int column = harmonics && s.kind != SectionKind::ClassC ? 1 : 0;
        drawSection(c, s, kColumnX[column], y[column], v.runs > 1, chinese);
        y[column] += rowsOf(s) * kRow + kRow / 2;
    }
    if (harmonics) {
        const int top = std::max(y[1], 11500);
        if (kTableBottom - top >= 4000)
            drawHarmonicChart(c, v, {kColumnX[1], top, kColumnX[1] + kColumnWidth, kTableBottom}, true, chinese);
    }
    c.restoreMode();
}

} // namespace korvex
