// The preheat energy report: filament voltage and current with the cursor, and the running
// energy against the limits Emin = Q + P t and Emax = F Emin, screen and print.
#pragma once

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

namespace korvex {

/// The screen pages draw with the axis scales in the record (energyScale, energyCurrentScale);
/// the caller brings them up to date with updateEnergyScale first, as drawScreenPage does.
void drawEnergyScreenEnglish(PageCanvas& c, const TestRecord& r);
void drawEnergyScreenChinese(PageCanvas& c, const TestRecord& r);

/// The print pages use the scales the last screen drawing left in the record; a record whose
/// scales were never prepared (0) prints with the scales a screen drawing would prepare.
void drawEnergyPrintEnglish(PageCanvas& c, const TestRecord& r);
void drawEnergyPrintChinese(PageCanvas& c, const TestRecord& r);

} // namespace korvex
