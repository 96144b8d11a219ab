// The output test report: four signal panels with bar traces and figures, on screen (dark blue)
// and on paper, in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages read the output figures, the four display waveforms with their peaks and (print
/// only) the test information; the band and THD-method flags play no part.
void drawOutputScreenEnglish(PageCanvas& c, const TestRecord& r);
void drawOutputScreenChinese(PageCanvas& c, const TestRecord& r);
void drawOutputPrintEnglish(PageCanvas& c, const TestRecord& r);
void drawOutputPrintChinese(PageCanvas& c, const TestRecord& r);

} // namespace korvex
