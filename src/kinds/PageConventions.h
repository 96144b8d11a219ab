// Conventions shared by the report pages: screen scales, safe truncation, number texts,
// background, frames, the title block and the test-information block of the print pages.
#pragma once

#include <string>

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

inline constexpr const char* kFontTimes = "Times New Roman";
inline constexpr const char* kFontSong = "宋体";

inline constexpr const char* kInstrumentTitleEn = "KORVEX Electronic Ballast Test Instrument";
inline constexpr const char* kInstrumentTitleZhSpaced = "KORVEX 电子镇流器综合测试仪";
inline constexpr const char* kInstrumentTitleZh = "KORVEX电子镇流器综合测试仪";

/// Size of an A4 landscape sheet in 0.01 mm; print traces and bars are kept on it.
inline constexpr int kSheetWidth = 29700;
inline constexpr int kSheetHeight = 21000;

/// Truncates toward zero after clamping to [lo, hi]; NaN gives the clamp of 0. Converting a
/// huge or non-finite float straight to int is undefined, and a damaged file may hold one.
int clampTrunc(double v, int lo, int hi);

/// Screen scales of a drawing area W x H against the logical 640 x 385 page.
struct ScreenScale {
    int W = 640, H = 385;
    double sx = 1, sy = 1, sf = 1;

    /// Logical x / y (or a length along them) to device pixels: trunc(v * s).
    int x(double v) const;
    int y(double v) const;
    /// Font cell heights: trunc(h * sf) (input pages) and trunc(h * sy) (pages scaled by sy).
    int fontSf(double h) const;
    int fontSy(double h) const;
};

ScreenScale screenScale(int width, int height);
inline ScreenScale screenScale(const PageCanvas& c)
{
    return screenScale(c.width(), c.height());
}

/// A measured value in fixed notation, 4 significant digits (precision) and d decimals.
std::string valueText(double v, int decimals, int precision = 4);

/// Fills the whole area with the background colour and outlines it with a 1-pixel black pen.
void drawScreenBackground(PageCanvas& c, Colour background);

/// A straight line with the current pen.
void drawLine(PageCanvas& c, int x1, int y1, int x2, int y2);
/// The outline of a rectangle with the current pen.
void drawFrame(PageCanvas& c, int left, int top, int right, int bottom);

/// Text in the current font and alignment on a print page: y is measured downwards in 0.01 mm
/// and drawn as -y in the metric mode.
inline void printText(PageCanvas& c, int x, int y, const std::string& s)
{
    c.textOut(x, -y, s);
}
inline void printLine(PageCanvas& c, int x1, int y1, int x2, int y2)
{
    drawLine(c, x1, -y1, x2, -y2);
}
inline void printFrame(PageCanvas& c, int l, int t, int r, int b)
{
    drawFrame(c, l, -t, r, -b);
}

/// Positions of the nine test-information items (label x, value x, y measured downwards):
/// Name, No., Type, Standard, Temperature, Humidity, Manufacturer, Operator, Test Date.
struct InfoLayout {
    int labelX[9];
    int valueX[9];
    int y[9];
};

/// Draws the test-information labels and values left-aligned in the current font. labels
/// replaces the usual nine labels of the language where a page spells them its own way.
void drawInfoBlock(PageCanvas& c, const TestRecord& r, bool chinese, const InfoLayout& layout,
                   const char* const* labels = nullptr);

/// Value k of a waveform's first count samples resampled onto points values by linear
/// interpolation at position k * count / points (value 0 is sample 0). The last interval
/// reads sample count, so wave must hold count + 1 values.
double resampledAt(const float* wave, int count, int points, int k);

/// Half-height of a symmetric bar: trunc(|v| / peak * amplitude), at most limit; 0 when the
/// peak is 0 (a group whose waveform is all zero) or the quotient is not a number.
int barHalfHeight(double v, double peak, double amplitude, int limit);

/// The two title lines of a print page, centred at x 14300, y 2000 and 2800, height 800.
void drawPrintTitle(PageCanvas& c, const std::string& font, int charset, const std::string& instrument,
                    const std::string& report);

} // namespace korvex
