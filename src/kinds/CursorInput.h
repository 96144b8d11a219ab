// Cursor arithmetic of the start and preheat-energy pages: drawing-area pixels to sample indexes.
#pragma once

#include <cstdint>

#include "record/TestRecord.h"

namespace korvex {

/// Ratio of the drawing area's width to the reference width of 640 pixels.
double cursorScale(int paintWidth);

/// Start page click at pixel x: sets cursorIndex and cursorTime and the four readouts and returns
/// true, or returns false (record untouched) when x lies left of the plot or beyond its end.
bool startCursorClick(TestRecord& r, int x, int paintWidth);

/// Start page arrow keys: moves cursorIndex by step (+1 right, -1 left), wrapping within
/// 0..299, then sets cursorTime and the readouts.
void startCursorStep(TestRecord& r, int step);

/// Preheat-energy page click at pixel x: sets energyCursor and returns true, or false outside
/// the plot.
bool energyCursorClick(TestRecord& r, int x, int paintWidth);

/// Preheat-energy page drag to pixel x: like the click but the pixel offset is rounded before
/// it is scaled to samples.
bool energyCursorDrag(TestRecord& r, int x, int paintWidth);

} // namespace korvex
