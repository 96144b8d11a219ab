// The page dispatch: which report page the drawing area and the printer show for a record.
#pragma once

#include <cstdint>

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// Draws the screen page of r.currentTest with the display options on a canvas of the drawing
/// area's size: kinds 1..6, kinds 5 and 6 show the start prompt page while r.resultsShown is 0,
/// any other kind draws nothing. Pages read the record and change nothing in it. An area
/// narrower than the page's proportions (W / H < 640 / 385) gets the page at its full width and
/// the height of those proportions (screenPageHeight) at the top, and the page's background
/// below it.
void drawScreenPage(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
/// The same with the display options the record holds.
void drawScreenPage(PageCanvas& c, const TestRecord& r);

/// The height of the page drawn in an area of width x height pixels: the area's height, or
/// width * 385 / 640 to the nearest pixel when that is less (the area is narrower than the
/// page's proportions), so that the page scales alike in x and y instead of squeezing its
/// texts together.
int screenPageHeight(int width, int height);

/// Draws the print page of a kind (1..6) with the display options on a printer canvas.
/// printerFamily (0 Epson/Canon, 1 HP) chooses the rotation of rotated print texts.
void drawPrintPage(PageCanvas& c, const TestRecord& r, const DisplayOptions& options, int32_t kind, int printerFamily);
/// The same with the display options the record holds.
void drawPrintPage(PageCanvas& c, const TestRecord& r, int32_t kind, int printerFamily);

/// What the page shown needs in the record: the preheat energy page (kind 6 with resultsShown
/// 1) has its axis scales brought up to date (updateEnergyScale), which its screen and print
/// pages then draw with; other pages need nothing. Whoever shows the pages runs it whenever a
/// page becomes the one shown and before a page is printed (in the window, the controller
/// does); a program that shows no page leaves the record as its run left it.
void prepareShownPage(TestRecord& r);

} // namespace korvex
