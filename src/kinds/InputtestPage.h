// The input test report: screen and print pages in English and Chinese.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The pages follow all three display options: the language, the band and the THD method.
void drawInputScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
void drawInputPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace korvex
