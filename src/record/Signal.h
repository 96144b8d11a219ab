// Small numeric helpers shared by the evaluations and the cursor handling.
#pragma once

#include <cstdint>

namespace korvex {

/// Truncates x toward zero to r and returns r + 1 when x - r > 0.5, else r
/// (a fraction of exactly 0.5 rounds down). Values beyond the int32 range saturate.
int32_t roundHalfDown(float x);

/// Largest absolute value among the first n values. Scans from index 0 starting with 0.0;
/// only a strictly greater value replaces the maximum, so the first of equal maxima wins and
/// its index is written to peakIndex. An all-zero curve returns 0 and leaves peakIndex alone.
/// NaN samples never replace the maximum.
float peakSearch(const float* values, int n, int32_t& peakIndex);

/// Resamples one period of sampleCount values onto 200 points by linear interpolation:
/// out[0] = w[0], out[p] at position sampleCount * p / 200. The result replaces w[0..199].
/// w must hold at least sampleCount + 1 values when sampleCount * 199 / 200 reaches
/// sampleCount - 1; reads are clamped to w[capacity - 1].
void resampleTo200(float* w, int sampleCount, int capacity);

} // namespace korvex
