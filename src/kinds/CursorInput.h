// Cursor arithmetic of the start and preheat-energy pages: drawing-area pixels to sample indexes.
// Each routine reads the record and answers with the position; the caller stores it.
#pragma once

#include <cstdint>
#include <optional>

#include "record/TestRecord.h"

namespace korvex {

/// Ratio of the drawing area's width to the reference width of 640 pixels.
double cursorScale(int paintWidth);

/// Start page click at pixel x: the cursor there, with its time and read-outs, or none when x
/// lies left of the plot or beyond its end.
std::optional<StartCursor> startCursorClick(const TestRecord& r, int x, int paintWidth);

/// Start page arrow keys: the cursor step samples from the record's (+1 right, -1 left),
/// wrapping within 0..299 (an index outside that range counts as 0).
StartCursor startCursorStep(const TestRecord& r, int step);

/// Preheat-energy page click at pixel x: the sample index, or none outside the plot.
std::optional<int32_t> energyCursorClick(int x, int paintWidth);

/// Preheat-energy page drag to pixel x: like the click but the pixel offset is rounded before
/// it is scaled to samples.
std::optional<int32_t> energyCursorDrag(int x, int paintWidth);

} // namespace korvex
