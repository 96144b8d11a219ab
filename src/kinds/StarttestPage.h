// The start test report: the prompt page shown while the operator switches the lamp, and the
// four-panel start page (lamp voltage, lamp current, filament current, cathode lead current).
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The prompt shown while a start or preheat energy test waits for its lamp.
void drawStartPrompt(PageCanvas& c);

/// The start pages: the four envelopes over 5 s with the cursor line at cursorIndex, its
/// read-out and the instrument's peak values and times, in the options' language.
void drawStartScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
void drawStartPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace korvex
