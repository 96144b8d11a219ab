// The verdict sheet of the printed report and the harmonic chart it shares with the window's
// verdict panel, drawn through PageCanvas.
#pragma once

#include "kinds/PageCanvas.h"
#include "kinds/Verdict.h"
#include "record/TestRecord.h"

namespace korvex {

/// One landscape sheet: title, test information, the overall result, a table per section
/// (value, largest run, limit, margin, result) and the harmonic chart. Printer canvas; the
/// sheet switches to the metric mode itself.
void drawVerdictSheet(PageCanvas& c, const TestRecord& r, const Verdict& v, bool chinese);

/// Box of the harmonic chart, y measured downwards; optionally the height and face of its
/// texts (a window's own font), else the sheet's (宋体, sized by the box).
struct ChartBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int textHeight = 0;
    const char* font = nullptr;
};

/// Bars of the judged input harmonics as a share of their limits (0 to 200 %), with the limit
/// at 100 % and, over a series, the single-run bound at 150 %, each line named in a legend
/// above the bars. A bar beyond 200 % is cut at the top and its share written on it. Failing
/// bars red, passing green, disregarded grey. metric: the canvas is in the printer's metric
/// mode (y drawn negated) and sizes are in 0.01 mm; otherwise pixels. Draws the axes only
/// when nothing was judged.
void drawHarmonicChart(PageCanvas& c, const Verdict& v, const ChartBox& box, bool metric, bool chinese);

} // namespace korvex
