// The start evaluation: envelopes, the instrument's peak values and times, presence tests, cursor.
#include "kinds/Starttest.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "link/Frames.h"
#include "record/Signal.h"

namespace korvex {

namespace {

constexpr float kLampVoltagePresence = 20.0f; // V
constexpr float kLampCurrentPresence = 0.02f; // A
constexpr float kFilamentPresence = 0.01f;    // A
constexpr float kCathodePresence = 0.02f;     // A
constexpr float kCaptureSeconds = 5.0f;

void clearEnvelope(float* w)
{
    std::fill(w, w + kStartSamples, 0.0f);
}

/// Envelope value in physical units; an envelope whose peak is 0 (or not a number) reads 0.
float physical(float envelope, float instrumentPeak, float envelopePeak)
{
    return (envelopePeak > 0.0f && std::isfinite(envelopePeak)) ? envelope * instrumentPeak / envelopePeak : 0.0f;
}

} // namespace

StartCursor startCursorAt(const TestRecord& r, int32_t index, float time)
{
    // An index from a damaged file starts again at the first sample.
    const int c = index < 0 || index >= kStartSamples ? 0 : index;
    return {c,
            time,
            physical(r.waveStartUl[c], r.StrUlp, r.peakStartUl),
            physical(r.waveStartIl[c], r.StrIlp, r.peakStartIl),
            physical(r.waveStartIf[c], r.StrIfp, r.peakStartIf),
            physical(r.waveStartIk[c], r.StrIkp, r.peakStartIk)};
}

void setStartCursor(TestRecord& r, int32_t index)
{
    const int32_t c = std::clamp<int32_t>(index, 0, kStartSamples - 1);
    storeStartCursor(r, startCursorAt(r, c, static_cast<float>(c) * kCaptureSeconds / kStartSamples));
}

void evaluateStart(TestRecord& r)
{
    r.hasStartResult = 1;
    r.resultsShown = 1;

    const int n = std::clamp<int32_t>(r.work.sampleCount, 0, kStartSamples);
    const uint8_t* raw = r.work.rawStart;
    constexpr int region = 2 * kStartSamples; // bytes per envelope
    for (int i = 0; i < n; ++i) {
        r.waveStartUl[i] = sampleAt(raw, i);
        r.waveStartIf[i] = sampleAt(raw + region, i);
        r.waveStartIl[i] = sampleAt(raw + std::ptrdiff_t{2} * region, i);
        r.waveStartIk[i] = sampleAt(raw + std::ptrdiff_t{3} * region, i);
    }
    r.peakStartUl = peakSearch(r.waveStartUl, n, r.work.peakIndex);
    r.peakStartIf = peakSearch(r.waveStartIf, n, r.work.peakIndex);
    r.peakStartIl = peakSearch(r.waveStartIl, n, r.work.peakIndex);
    // The cursor goes to the (first) largest lamp current. When that envelope is all 0 the
    // search leaves the previous index; any index serves then, as long as it is in range.
    const int32_t c = r.work.peakIndex;
    r.peakStartIk = peakSearch(r.waveStartIk, n, r.work.peakIndex);

    // The reply lists the peaks in envelope order, then the preheat time, then the peak times.
    const uint8_t* b = r.work.startBlock;
    r.StrUlp = floatAt(b, 0);
    r.StrIfp = floatAt(b, 1);
    r.StrIlp = floatAt(b, 2);
    r.StrIkp = floatAt(b, 3);
    r.StrT = floatAt(b, 4);
    r.UlpT = floatAt(b, 5);
    r.IfpT = floatAt(b, 6);
    r.IlpT = floatAt(b, 7);
    r.IkpT = floatAt(b, 8);

    // The instrument says when its filament and cathode channels are wired the other way round.
    if (r.work.startSwapFlag != 0) {
        std::swap(r.peakStartIf, r.peakStartIk);
        std::swap_ranges(r.waveStartIf, r.waveStartIf + kStartSamples, r.waveStartIk);
    }

    if (r.StrUlp < kLampVoltagePresence) {
        r.StrUlp = r.UlpT = 0.0f;
        r.peakStartUl = 1.0f;
        clearEnvelope(r.waveStartUl);
    }
    if (r.StrIlp < kLampCurrentPresence) {
        r.StrIlp = r.IlpT = r.StrT = 0.0f;
        r.peakStartIl = 1.0f;
        clearEnvelope(r.waveStartIl);
    }
    if (r.StrIfp < kFilamentPresence) {
        r.StrIfp = r.IfpT = 0.0f;
        r.peakStartIf = 1.0f;
        clearEnvelope(r.waveStartIf);
    }
    if (r.StrIkp < kCathodePresence) {
        r.StrIkp = r.IkpT = 0.0f;
        r.peakStartIk = 1.0f;
        clearEnvelope(r.waveStartIk);
    }

    // Read-outs first, while an all-zero envelope still has its peak of 0 (it reads 0); then
    // such a peak gets the scale of an absent signal so the page never divides by 0.
    setStartCursor(r, c);
    for (float* peak : {&r.peakStartUl, &r.peakStartIl, &r.peakStartIf, &r.peakStartIk})
        if (!(*peak > 0.0f))
            *peak = 1.0f;

    stampTestDate(r);
}

} // namespace korvex
