// Cursor arithmetic of the start and preheat-energy pages.
#include "kinds/CursorInput.h"

#include <cmath>

#include "kinds/Starttest.h"
#include "record/Signal.h"

namespace korvex {

namespace {

constexpr double kPlotLeft = 40.0;   // reference pixels from the page's left edge to the plot
constexpr double kPlotWidth = 300.0; // reference pixels of the plot
// Maps the 300 plot pixels onto the 1000 samples of the energy curves; kept at this value
// (not 10/3) so the cursor lands on the same samples as the page's own marks.
constexpr float kEnergySamplesPerPixel = 3.3333f;

} // namespace

double cursorScale(int paintWidth)
{
    return paintWidth * 0.0015625;
}

std::optional<StartCursor> startCursorClick(const TestRecord& r, int x, int paintWidth)
{
    const double s = cursorScale(paintWidth);
    const int offset = static_cast<int>(x - kPlotLeft * s); // truncated toward zero
    if (offset < 0 || offset >= static_cast<int>(kPlotWidth * s))
        return std::nullopt;
    return startCursorAt(r, static_cast<int32_t>(offset / s), static_cast<float>(offset * 5.0 / (kPlotWidth * s)));
}

StartCursor startCursorStep(const TestRecord& r, int step)
{
    int index = r.cursorIndex;
    if (index < 0 || index >= kStartSamples)
        index = 0;
    index = ((index + step) % kStartSamples + kStartSamples) % kStartSamples;
    return startCursorAt(r, index, static_cast<float>(index * 5.0 / 300.0));
}

std::optional<int32_t> energyCursorClick(int x, int paintWidth)
{
    const double s = cursorScale(paintWidth);
    const float d = static_cast<float>(x - kPlotLeft * s);
    if (d < 0 || d >= kPlotWidth * s)
        return std::nullopt;
    float e = static_cast<float>(d / s - 1.0);
    if (e < 0)
        e = 0;
    return roundHalfDown(kEnergySamplesPerPixel * e);
}

std::optional<int32_t> energyCursorDrag(int x, int paintWidth)
{
    const double s = cursorScale(paintWidth);
    const float d = static_cast<float>(x - kPlotLeft * s);
    if (d < 0 || d >= kPlotWidth * s)
        return std::nullopt;
    int32_t k = roundHalfDown(static_cast<float>(d / s - 1.0));
    if (k < 0)
        k = 0;
    return roundHalfDown(kEnergySamplesPerPixel * static_cast<float>(k));
}

} // namespace korvex
