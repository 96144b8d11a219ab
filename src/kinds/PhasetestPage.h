// The phase-angle test report: screen and print pages in English and Chinese.
// The test has no evaluation of its own; it uses the input evaluation.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages always show Irms, PF and THDI: the band and THD-method flags do not apply.
void drawPhaseScreenEnglish(PageCanvas& c, const TestRecord& r);
void drawPhaseScreenChinese(PageCanvas& c, const TestRecord& r);
void drawPhasePrintEnglish(PageCanvas& c, const TestRecord& r);
void drawPhasePrintChinese(PageCanvas& c, const TestRecord& r);

} // namespace korvex
