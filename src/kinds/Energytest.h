// Energytest: evaluation of the filament preheat energy capture and the scales of its page.
#pragma once

#include "record/TestRecord.h"

namespace korvex {

/// Calibrates the three 1000-sample curves, finds the peaks and the end of the preheat and turns
/// the power curve into the running energy in J.
void evaluateEnergy(TestRecord& r);

/// Prepares the axis scales of the energy page (run before every screen drawing of it).
void updateEnergyScale(TestRecord& r);

/// Coefficient k (0 voltage, 1 current, 2 power) of an 18-byte calibration block:
/// w0 + w1 * 0.01 + w2 * 0.0001 of its three signed words; a value not above 0 gives 1.0.
float calibrationCoefficient(const uint8_t* calibBlock, int k);

} // namespace korvex
