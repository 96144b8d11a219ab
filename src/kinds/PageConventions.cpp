// Conventions shared by the report pages: screen scales, safe truncation, number texts,
// background, frames, the title block and the test-information block of the print pages.
#include "kinds/PageConventions.h"

#include <algorithm>
#include <cmath>

#include "record/NumberFormat.h"
#include "record/TextCodec.h"

namespace korvex {

int clampTrunc(double v, int lo, int hi)
{
    if (std::isnan(v))
        v = 0.0;
    if (v < lo)
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v); // truncation toward zero
}

namespace {
// Keeps every device coordinate far inside int while still off any real page.
constexpr int kCoordLimit = 1 << 24;
} // namespace

int ScreenScale::x(double v) const
{
    return clampTrunc(v * sx, -kCoordLimit, kCoordLimit);
}
int ScreenScale::y(double v) const
{
    return clampTrunc(v * sy, -kCoordLimit, kCoordLimit);
}
int ScreenScale::fontSf(double h) const
{
    return clampTrunc(h * sf, 1, kCoordLimit);
}
int ScreenScale::fontSy(double h) const
{
    return clampTrunc(h * sy, 1, kCoordLimit);
}

ScreenScale screenScale(int width, int height)
{
    ScreenScale s;
    s.W = width;
    s.H = height;
    s.sx = width * 0.0015625;
    s.sy = height / 385.0;
    s.sf = std::min(s.sx, s.sy);
    return s;
}

std::string valueText(double v, int decimals, int precision)
{
    return formatFixed(v, precision, decimals);
}

void drawLine(PageCanvas& c, int x1, int y1, int x2, int y2)
{
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}

void drawFrame(PageCanvas& c, int left, int top, int right, int bottom)
{
    c.moveTo(left, top);
    c.lineTo(right, top);
    c.lineTo(right, bottom);
    c.lineTo(left, bottom);
    c.lineTo(left, top);
}

void drawScreenBackground(PageCanvas& c, Colour background)
{
    const int w = c.width(), h = c.height();
    c.fillRect(0, 0, w, h, background);
    c.setPen(colours::black, PenStyle::Solid, 1);
    drawFrame(c, 0, 0, w - 1, h - 1);
}

void drawInfoBlock(PageCanvas& c, const TestRecord& r, bool chinese, const InfoLayout& layout,
                   const char* const* labels)
{
    static const char* const labelsEn[9] = {
        "Name:", "No.:", "Type:", "Standard:", "Temperature:", "Humidity:", "Manufacturer:", "Operator:", "Test Date:"};
    static const char* const labelsZh[9] = {
        "名称:", "编号:", "型号:", "规格:", "温度:", "湿度:", "制造商:", "测试员:", "测试日期:"};
    const std::string values[9] = {
        fieldUtf8(r.infoName),
        fieldUtf8(r.infoNo),
        fieldUtf8(r.infoType),
        fieldUtf8(r.infoSpec),
        fieldUtf8(r.infoTemperature) + "℃",
        fieldUtf8(r.infoHumidity) + "%",
        fieldUtf8(r.infoManufacturer),
        fieldUtf8(r.infoOperator),
        fieldUtf8(r.testDate),
    };
    if (!labels)
        labels = chinese ? labelsZh : labelsEn;
    c.setTextAlign(TextAlign::Left);
    for (int i = 0; i < 9; ++i) {
        printText(c, layout.labelX[i], layout.y[i], labels ? labels[i] : chinese ? labelsZh[i] : labelsEn[i]);
        printText(c, layout.valueX[i], layout.y[i], values[i]);
    }
}

double resampledAt(const float* wave, int count, int points, int k)
{
    if (k <= 0 || points <= 0)
        return wave[0];
    const double q = static_cast<double>(k) * count / points;
    const int i = static_cast<int>(q);
    return wave[i] + (static_cast<double>(wave[i + 1]) - wave[i]) * (q - i);
}

int barHalfHeight(double v, double peak, double amplitude, int limit)
{
    if (peak == 0.0)
        return 0;
    return clampTrunc(std::fabs(v / peak * amplitude), 0, std::max(0, limit));
}

void drawPrintTitle(PageCanvas& c, const std::string& font, int charset, const std::string& instrument,
                    const std::string& report)
{
    c.setFont(font, 800, colours::black, charset);
    c.setTextAlign(TextAlign::Centre);
    printText(c, 14300, 2000, instrument);
    printText(c, 14300, 2800, report);
}

} // namespace korvex
