// The page dispatch: which report page the drawing area and the printer show for a record.
#pragma once

#include <cstdint>

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// Draws the screen page of r.currentTest in the language of r.chinese on a canvas of the
/// drawing area's size: kinds 1..6, kinds 5 and 6 show the start prompt page while
/// r.resultsShown is 0, any other kind draws nothing. Reads the record only (the reference
/// is non-const because some pages bring derived display scales up to date).
void drawScreenPage(PageCanvas& c, TestRecord& r);

/// Draws the print page of a kind (1..6) in the language of r.chinese on a printer canvas.
/// printerFamily (0 Epson/Canon, 1 HP) chooses the rotation of rotated print texts.
void drawPrintPage(PageCanvas& c, TestRecord& r, int32_t kind, int printerFamily);

} // namespace korvex
