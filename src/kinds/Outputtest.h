// Outputtest: evaluation of the output test (lamp voltage, lamp, filament and cathode-lead currents).
#pragma once

#include "record/TestRecord.h"

namespace korvex {

/// The whole output evaluation: flag, output half over sampleCount samples, test date.
void evaluateOutput(TestRecord& r);

/// The output half shared with the comprehensive evaluation: decodes outParamBlock, derives
/// Ildhc, copies and searches the four waveforms (waveCount samples, bounded to the 200 the
/// display arrays hold), exchanges filament and cathode waveforms when the filament's peak is
/// the larger, and resets each absent group. Sets no flag and no date.
void evaluateOutputHalf(TestRecord& r, int32_t waveCount);

} // namespace korvex
