// The output evaluation and its half reused by the comprehensive test.
#include "kinds/Outputtest.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "link/Frames.h"
#include "record/Signal.h"

namespace korvex {

namespace {

constexpr float kLampVoltagePresence = 10.0f; // V
constexpr float kCurrentPresence = 0.005f;    // A

void clearWave(float* w)
{
    std::fill(w, w + kOutputWaveLen, 0.0f);
}

} // namespace

void evaluateOutputHalf(TestRecord& r, int32_t waveCount)
{
    const uint8_t* b = r.work.outParamBlock;
    r.Ulrms = floatAt(b, 0);
    r.Ifrms = floatAt(b, 1);
    r.Ilrms = floatAt(b, 2);
    r.Ikrms = floatAt(b, 3);
    r.Ulm = floatAt(b, 4);
    r.Ifm = floatAt(b, 5);
    r.Ilm = floatAt(b, 6);
    r.work.outWord7 = floatAt(b, 7);
    r.Ikm = floatAt(b, 8);
    r.Ulcf = floatAt(b, 9);
    r.Ifcf = floatAt(b, 10);
    r.Ilcf = floatAt(b, 11);
    r.Ilncf = floatAt(b, 12);
    r.Ikcf = floatAt(b, 13);
    r.Pout = std::fabs(floatAt(b, 14)); // power flowing back is shown as its magnitude
    r.Fout = floatAt(b, 15);

    // Difference of the lamp current's half-wave crest factors, relative to the larger one.
    r.Ildhc = r.Ilcf > 0.0f ? std::fabs(r.Ilcf - r.Ilncf) / std::max(r.Ilcf, r.Ilncf) * 100.0f : 0.0f;

    // The display arrays hold 200 values; a larger count must not run past them.
    const int n = std::clamp<int32_t>(waveCount, 0, kOutputWaveLen);
    for (int i = 0; i < n; ++i) {
        r.waveUl[i] = sampleAt(r.work.rawUl, i);
        r.waveIf[i] = sampleAt(r.work.rawIf, i);
        r.waveIl[i] = sampleAt(r.work.rawIl, i);
        r.waveIk[i] = sampleAt(r.work.rawIk, i);
    }
    r.peakUl = peakSearch(r.waveUl, n, r.work.peakIndex);
    r.peakIf = peakSearch(r.waveIf, n, r.work.peakIndex);
    r.peakIl = peakSearch(r.waveIl, n, r.work.peakIndex);
    r.peakIk = peakSearch(r.waveIk, n, r.work.peakIndex);

    // The filament panel always shows the smaller of the two current waveforms; the scalar
    // figures beside the panels stay where the instrument put them.
    if (r.peakIf > r.peakIk) {
        std::swap(r.peakIf, r.peakIk);
        std::swap_ranges(r.waveIf, r.waveIf + n, r.waveIk);
    }

    if (r.Ulrms < kLampVoltagePresence) {
        r.Ulm = r.Ulrms = r.Ulcf = r.Pout = 0.0f;
        r.peakUl = 1.0f;
        clearWave(r.waveUl);
    }
    if (r.Ilrms < kCurrentPresence) {
        r.Fout = r.Pout = r.Ilm = r.Ilrms = r.Ilcf = r.Ilncf = r.Ildhc = 0.0f;
        r.peakIl = 1.0f;
        clearWave(r.waveIl);
    }
    if (r.Ifrms < kCurrentPresence) {
        r.Ifm = r.Ifrms = r.Ifcf = 0.0f;
        r.peakIf = 1.0f;
        clearWave(r.waveIf);
    }
    if (r.Ikrms < kCurrentPresence) {
        r.Ikm = r.Ikrms = r.Ikcf = 0.0f;
        r.peakIk = 1.0f;
        clearWave(r.waveIk);
    }
    // A present signal whose samples are all 0 would leave a plot scale of 0 for the pages to
    // divide by; give it the scale of an absent group (its curve is flat anyway).
    for (float* peak : {&r.peakUl, &r.peakIl, &r.peakIf, &r.peakIk})
        if (!(*peak > 0.0f))
            *peak = 1.0f;
}

void evaluateOutput(TestRecord& r)
{
    r.hasOutputResult = 1;
    evaluateOutputHalf(r, r.work.sampleCount);
    stampTestDate(r);
}

} // namespace korvex
