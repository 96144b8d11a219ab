// The comprehensive test report: input values, harmonics, output values, the input waveforms
// and the lamp envelopes on one page, on screen and on paper, in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages read the input and output results and the test information, in the language and
/// with the THD method of the display options (the band does not apply).
void drawComprehensiveScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
/// printerFamily (0 Epson/Canon, 1 HP and compatibles) turns the English side labels by
/// 2700 or 900 tenths of a degree: the two families turn escapements opposite ways.
void drawComprehensivePrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options, int printerFamily);

} // namespace korvex
