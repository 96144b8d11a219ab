// The preheat energy report: filament voltage and current with the cursor, and the running
// energy against the limits Emin = Q + P t and Emax = F Emin, screen and print.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// Both pages draw with the axis scales in the record (energyScale, energyCurrentScale), which
/// whoever shows the page brings up to date (updateEnergyScale) when the page becomes the one
/// shown and before it is printed; a record whose scales were never prepared (0) draws with
/// those the preparation would give. Of the display options only the language applies.
void drawEnergyScreen(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);
void drawEnergyPrint(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace korvex
