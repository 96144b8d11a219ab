// The comprehensive test report: input values, harmonics, output values, the input waveforms
// and the lamp envelopes on one page, on screen and on paper, in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages read the input and output results, the thdCsa flag and the test information.
void drawComprehensiveScreenEnglish(PageCanvas& c, const TestRecord& r);
void drawComprehensiveScreenChinese(PageCanvas& c, const TestRecord& r);
/// printerFamily (0 Epson/Canon, 1 HP and compatibles) turns the English side labels by
/// 2700 or 900 tenths of a degree: the two families turn escapements opposite ways.
void drawComprehensivePrintEnglish(PageCanvas& c, const TestRecord& r, int printerFamily);
void drawComprehensivePrintChinese(PageCanvas& c, const TestRecord& r);

} // namespace korvex
