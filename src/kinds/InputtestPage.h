// The input test report: screen and print pages in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages read the record and its wideBand / thdCsa flags and change nothing.
void drawInputScreenEnglish(PageCanvas& c, const TestRecord& r);
void drawInputScreenChinese(PageCanvas& c, const TestRecord& r);
void drawInputPrintEnglish(PageCanvas& c, const TestRecord& r);
void drawInputPrintChinese(PageCanvas& c, const TestRecord& r);

} // namespace korvex
