// Inputtest: the input evaluation shared by the input, phase-angle and comprehensive tests.
#pragma once

#include "record/TestRecord.h"

namespace korvex {

/// The whole input evaluation: both result flags, the input half, the test date.
void evaluateInput(TestRecord& r);

/// The input half (RMS words, spectra, THD, conduction angles, display waveforms, and the full
/// or current reset when voltage or current is absent). Sets no flag and no date.
void evaluateInputHalf(TestRecord& r);

/// Largest sampleCount the input evaluation accepts: three periods must fit the cycle arrays.
inline constexpr int kMaxInputSamples = kCycleLen / 3;

/// Index of the first confirmed rising zero crossing of v[0..length-1], or -1 when there is no
/// second confirmed crossing after it. A crossing is confirmed when the sample 20 positions
/// later is still >= 0; a look-ahead past the end does not confirm.
int findRisingCrossing(const float* v, int length);

/// Conduction angles (degrees) of one aligned current period v[0..n-1]. When the positive peak
/// lies in the second half, v is negated in place and measured again.
struct ConductionAngles {
    float start = 0.0f;
    float peak = 0.0f;
    float end = 0.0f;
};
ConductionAngles measureConduction(float* v, int n);

/// Full reset (voltage absent): the current reset, then the voltage results, peakU 10.0 and
/// sampleCount 200.
void resetInputForNoVoltage(TestRecord& r);
/// Current reset (current absent): current results and angles 0, peakI 0.1, ampI[1] 1.0.
void resetInputForNoCurrent(TestRecord& r);

} // namespace korvex
