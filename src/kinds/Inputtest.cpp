// The input evaluation: RMS words, spectra and THD, conduction angles and display waveforms.
#include "kinds/Inputtest.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "kinds/Fft.h"
#include "link/Frames.h"
#include "record/Signal.h"

namespace korvex {

namespace {

constexpr float kVoltagePresence = 5.0f;      // V
constexpr float kCurrentPresence = 0.005f;    // A
constexpr int kConfirmSamples = 20;           // a rising crossing must still be >= 0 this much later
constexpr float kConductionThreshold = 0.05f; // of the current peak
constexpr float kNoVoltageScale = 10.0f;
constexpr float kNoCurrentScale = 0.1f;

const Fft& transform256()
{
    static const Fft fft(kFftLen);
    return fft;
}

float nonNegativeRoot(float x)
{
    return x > 0.0f ? std::sqrt(x) : 0.0f;
}

/// Orders 0..39 of the voltage: spectrum, percentages and both THD figures.
void voltageSpectrum(TestRecord& r)
{
    transform256().magnitudes(r.waveU, r.ampU, kHarmonics);
    // A missing fundamental is replaced by 1.0 so that the percentages stay finite.
    const float a = r.ampU[1] == 0.0f ? 1.0f : r.ampU[1];
    for (int n = 0; n < kHarmonics; ++n)
        r.pctU[n] = r.ampU[n] / a * 100.0f;
    // Orders 1..39: the voltage's total leaves out the direct-current bin (the current's
    // takes it in; see currentSpectrum).
    float s = 0.0f;
    for (int n = 1; n < kHarmonics; ++n)
        s += r.pctU[n] * r.pctU[n];
    const float h = s - r.pctU[1] * r.pctU[1];
    r.THDU = nonNegativeRoot(h);
    r.THDUcsa = s > 0.0f ? nonNegativeRoot(h / s) * 100.0f : 0.0f;
}

/// Orders 0..39 of the current: spectrum, percentages, narrow and wide-band THD (IEC and CSA),
/// RMS current per order. A current without a fundamental bin has no defined percentages:
/// everything derived from them is 0.
void currentSpectrum(TestRecord& r)
{
    transform256().magnitudes(r.waveI, r.ampI, kHarmonics);
    const float a = r.ampI[1];
    if (a == 0.0f) {
        std::fill(std::begin(r.pctI), std::end(r.pctI), 0.0f);
        std::fill(std::begin(r.harmI), std::end(r.harmI), 0.0f);
        r.THDI = r.THDIcsa = r.THDIw = r.THDIwcsa = 0.0f;
        return;
    }
    for (int n = 0; n < kHarmonics; ++n)
        r.pctI[n] = r.ampI[n] / a * 100.0f;
    // Unlike the voltage's, this total starts at order 0, the direct-current bin: the instrument
    // computes its current figures so, the CSA figure's reference being the RMS of everything
    // measured. The mean was taken off the waveform before the transform, so the bin holds only
    // its float residue and moves the figures by rounding at most; summing from order 1 here
    // would make them differ from the instrument's own in the last digits.
    float s = 0.0f;
    for (const float p : r.pctI)
        s += p * p;
    const float h = std::max(0.0f, s - r.pctI[1] * r.pctI[1]);
    r.THDI = std::sqrt(h);
    r.THDIcsa = std::sqrt(h / s) * 100.0f; // s >= pctI[1]^2 = 10000
    const float t = 0.01f * r.THDI;
    const float i1 = std::sqrt(r.Irms * r.Irms / (t * t + 1.0f));
    // Content beyond order 39, in percent of the fundamental, squared.
    const float w = i1 > 0.0f ? (r.work.Ihf / i1 * 100.0f) * (r.work.Ihf / i1 * 100.0f) : 0.0f;
    r.THDIw = std::sqrt(h + w);
    r.THDIwcsa = std::sqrt((h + w) / (s + w)) * 100.0f;
    for (int n = 0; n < kHarmonics; ++n)
        r.harmI[n] = i1 * (r.pctI[n] * 0.01f);
}

/// Aligns the first period of both cycle arrays to the voltage's rising crossing and measures
/// the current's conduction angles there; a failed search leaves the angles at 0.
void alignAndMeasure(TestRecord& r, int n)
{
    const int length = 3 * n;
    const int s = findRisingCrossing(r.work.cycleU, length);
    // The shifted period must come from the copied values; with three identical periods the
    // first crossing lies within the first two, so this only rejects damaged counts.
    if (s < 0 || s + n > length) {
        r.PhaseStart = r.PhasePeak = r.PhaseEnd = 0.0f;
        return;
    }
    for (int i = 0; i < n; ++i) {
        r.work.cycleU[i] = r.work.cycleU[i + s];
        r.work.cycleI[i] = r.work.cycleI[i + s];
    }
    const ConductionAngles a = measureConduction(r.work.cycleI, n);
    r.PhaseStart = a.start;
    r.PhasePeak = a.peak;
    r.PhaseEnd = a.end;
}

} // namespace

int findRisingCrossing(const float* v, int length)
{
    int first = -1;
    int i = 0;
    for (;;) {
        while (i < length && v[i] >= 0.0f)
            ++i;
        while (i < length && v[i] < 0.0f)
            ++i;
        if (i >= length)
            return -1;
        const int c = i; // first sample >= 0 after a negative run
        const int ahead = c + kConfirmSamples;
        if (ahead < length && v[ahead] >= 0.0f) {
            if (first < 0) {
                first = c;
                i = ahead;
                continue;
            }
            return c > first ? first : -1;
        }
        // Too short to count (or too close to the end to tell): look for the next negative run.
        i = c;
    }
}

ConductionAngles measureConduction(float* v, int n)
{
    ConductionAngles out;
    if (n <= 0)
        return out;
    const auto positivePeak = [&](float& b, int& k) {
        b = 0.0f;
        k = 0;
        for (int i = 0; i < n; ++i) {
            if (v[i] > b) {
                b = v[i];
                k = i;
            }
        }
    };
    float b = 0.0f;
    int k = 0;
    positivePeak(b, k);
    // A current conducting mainly in the negative half-wave is measured on its inverse.
    if (k > n / 2) {
        for (int i = 0; i < n; ++i)
            v[i] = -v[i];
        positivePeak(b, k);
    }
    // No positive sample at all: there is no conduction to measure.
    if (!(b > 0.0f))
        return out;
    const float e = b * kConductionThreshold;
    int begin = 0;
    for (int i = 0; i < k; ++i) {
        if (v[i] > e) {
            begin = i;
            break;
        }
    }
    int end = n / 2;
    for (int i = k; i < n / 2; ++i) {
        if (v[i] < e) {
            end = i;
            break;
        }
    }
    out.start = static_cast<float>(begin) / static_cast<float>(n) * 360.0f;
    out.peak = static_cast<float>(k) / static_cast<float>(n) * 360.0f;
    out.end = static_cast<float>(end) / static_cast<float>(n) * 360.0f;
    return out;
}

void resetInputForNoCurrent(TestRecord& r)
{
    r.Irms = r.Irmsw = r.Pin = r.PF = r.PFw = 0.0f;
    r.THDI = r.THDIcsa = r.THDIw = r.THDIwcsa = r.CFi = 0.0f;
    r.PhaseStart = r.PhasePeak = r.PhaseEnd = 0.0f;
    r.peakI = kNoCurrentScale;
    std::fill(r.waveI, r.waveI + kDisplayPoints, 0.0f);
    for (float* a : {r.mApW, r.ampI, r.harmI, r.pctI})
        std::fill(a, a + kHarmonics, 0.0f);
    r.ampI[1] = 1.0f;
}

void resetInputForNoVoltage(TestRecord& r)
{
    resetInputForNoCurrent(r);
    r.Urms = r.Fin = r.CFv = r.THDU = r.THDUcsa = 0.0f;
    r.peakU = kNoVoltageScale;
    r.work.sampleCount = kDisplayPoints;
    std::fill(r.waveU, r.waveU + kDisplayPoints, 0.0f);
    std::fill(r.ampU, r.ampU + kHarmonics, 0.0f);
    std::fill(r.pctU, r.pctU + kHarmonics, 0.0f);
    r.ampU[1] = 1.0f;
}

void evaluateInputHalf(TestRecord& r)
{
    // Three periods must fit the cycle arrays; a damaged count is bounded, never trusted.
    const int n = std::clamp<int32_t>(r.work.sampleCount, 1, kMaxInputSamples);

    float sumU = 0.0f;
    float sumI = 0.0f;
    for (int i = 0; i < n; ++i) {
        r.waveU[i] = sampleAt(r.work.rawU, i);
        r.waveI[i] = sampleAt(r.work.rawI, i);
        sumU += r.waveU[i];
        sumI += r.waveI[i];
    }
    const float meanU = sumU / static_cast<float>(n);
    const float meanI = sumI / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
        r.waveU[i] -= meanU;
        r.waveI[i] -= meanI;
    }
    for (int k = 0; k < 3; ++k) {
        std::copy(r.waveU, r.waveU + n, r.work.cycleU + std::ptrdiff_t{k} * n);
        std::copy(r.waveI, r.waveI + n, r.work.cycleI + std::ptrdiff_t{k} * n);
    }

    const uint8_t* b = r.work.paramBlock;
    r.Urms = floatAt(b, 0);
    r.Irms = floatAt(b, 1);
    r.Irmsw = floatAt(b, 2);
    r.Pin = floatAt(b, 3);
    r.PF = floatAt(b, 4);
    r.PFw = floatAt(b, 5);
    r.Fin = floatAt(b, 6);
    r.work.Ihf = floatAt(b, 7);
    r.CFv = floatAt(b, 8);
    r.CFi = floatAt(b, 9);

    if (r.Urms < kVoltagePresence) {
        resetInputForNoVoltage(r);
        return;
    }

    // The spectra always take 256 points: one period as the sequences deliver it.
    r.peakU = peakSearch(r.waveU, n, r.work.peakIndex);
    voltageSpectrum(r);
    if (n != kDisplayPoints) {
        resampleTo200(r.waveU, n, kInputWaveLen);
        r.peakU = peakSearch(r.waveU, kDisplayPoints, r.work.peakIndex);
    }
    if (!(r.peakU > 0.0f))
        r.peakU = kNoVoltageScale; // flat curve, finite plot scale

    if (r.Irms < kCurrentPresence) {
        resetInputForNoCurrent(r);
        return;
    }

    r.peakI = peakSearch(r.waveI, n, r.work.peakIndex);
    alignAndMeasure(r, n);
    currentSpectrum(r);
    if (n != kDisplayPoints) {
        resampleTo200(r.waveI, n, kInputWaveLen);
        r.peakI = peakSearch(r.waveI, kDisplayPoints, r.work.peakIndex);
    }
    if (!(r.peakI > 0.0f))
        r.peakI = kNoCurrentScale;

    // Harmonic current per watt of input power; without power there is no such figure.
    for (int k = 0; k < kHarmonics; ++k)
        r.mApW[k] = r.Pin != 0.0f ? r.harmI[k] * 1000.0f / r.Pin : 0.0f;
}

void evaluateInput(TestRecord& r)
{
    r.hasInputResult = 1;
    r.hasPhaseResult = 1;
    evaluateInputHalf(r);
    stampTestDate(r);
}

} // namespace korvex
