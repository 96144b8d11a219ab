// The phase-angle test report: screen and print pages in English and Chinese.
// The test has no evaluation of its own; it uses the input evaluation.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages always show Irms, PF and THDI: of the display options only the language applies.
void drawPhaseScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
void drawPhasePrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace korvex
