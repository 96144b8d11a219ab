// Energytest: evaluation of the filament preheat energy capture and the scales of its page.
#pragma once

#include "record/TestRecord.h"

namespace korvex {

/// Calibrates the three 1000-sample curves, finds the peaks and the end of the preheat and turns
/// the power curve into the running energy in J.
void evaluateEnergy(TestRecord& r);

/// The axis scales of the energy page: the top of the energy axis (J) and of the filament current
/// axis (0.5 or 1.0 A), never 0.
struct EnergyScales {
    float energy = 1.0f;
    float current = 0.5f;
};
/// The scales the record's filament parameters, current peak and energy call for.
EnergyScales energyScales(const TestRecord& r);

/// Brings the energy page's scales in the record up to date (energyScale, energyCurrentScale),
/// and a filament peak that is not above 0 to its reset value (filamentUMax 1.0, filamentIMax
/// 0.1). Runs whenever the energy page with results becomes the page shown, and before it is
/// printed; the pages themselves never change the record.
void updateEnergyScale(TestRecord& r);

/// Coefficient k (0 voltage, 1 current, 2 power) of an 18-byte calibration block:
/// w0 + w1 * 0.01 + w2 * 0.0001 of its three signed words; a value not above 0 gives 1.0.
float calibrationCoefficient(const uint8_t* calibBlock, int k);

} // namespace korvex
