// Energytest: evaluation of its test kind.
#pragma once

#include "TestRecord.h"

namespace korvex {

void evaluateEnergy(TestRecord& r);

/// Prepares the axis scales of the energy page (run before every screen drawing of it).
void updateEnergyScale(TestRecord& r);

} // namespace korvex
