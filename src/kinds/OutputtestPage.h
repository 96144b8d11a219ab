// The output test report: four signal panels with bar traces and figures, on screen (dark blue)
// and on paper, in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages read the output figures, the four display waveforms with their peaks and (print
/// only) the test information; of the display options only the language applies.
void drawOutputScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
void drawOutputPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace korvex
