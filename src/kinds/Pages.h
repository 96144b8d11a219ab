// The page dispatch: which report page the drawing area and the printer show for a record.
#pragma once

#include <cstdint>

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// Draws the screen page of r.currentTest in the language of r.chinese on a canvas of the
/// drawing area's size: kinds 1..6, kinds 5 and 6 show the start prompt page while
/// r.resultsShown is 0, any other kind draws nothing. Reads the record, apart from
/// prepareScreenPage, which it runs first. An area narrower than the page's proportions
/// (W / H < 640 / 385) gets the page at its full width and the height of those proportions
/// (screenPageHeight) at the top, and the page's background below it.
void drawScreenPage(PageCanvas& c, TestRecord& r);

/// The height of the page drawn in an area of width x height pixels: the area's height, or
/// width * 385 / 640 to the nearest pixel when that is less (the area is narrower than the
/// page's proportions), so that the page scales alike in x and y instead of squeezing its
/// texts together.
int screenPageHeight(int width, int height);

/// What a screen drawing of the current page leaves in the record: the preheat energy page
/// (kind 6 with resultsShown 1) brings its axis scales up to date (updateEnergyScale), and its
/// print page later uses them. The one place where drawing a page changes the record; a
/// program that prints without a window runs it to print the scales of the screen page.
void prepareScreenPage(TestRecord& r);

/// Draws the print page of a kind (1..6) in the language of r.chinese on a printer canvas.
/// printerFamily (0 Epson/Canon, 1 HP) chooses the rotation of rotated print texts.
void drawPrintPage(PageCanvas& c, TestRecord& r, int32_t kind, int printerFamily);

} // namespace korvex
