// The preheat energy evaluation: calibration, peaks, end of preheat and running energy.
#include "kinds/Energytest.h"

#include <algorithm>
#include <cstddef>

#include "link/Frames.h"
#include "record/Signal.h"

namespace korvex {

namespace {

constexpr float kSamplePeriod = 0.005f; // s between samples

/// The shared peak search, but an all-zero curve yields index 0 instead of whatever an earlier
/// search left, so times and the cursor always point into the capture.
float peakFromStart(const float* values, int32_t& index)
{
    index = 0;
    return peakSearch(values, kEnergySamples, index);
}

} // namespace

float calibrationCoefficient(const uint8_t* calibBlock, int k)
{
    const uint8_t* w = calibBlock + std::ptrdiff_t{6} * k;
    const float value = static_cast<float>(decodeSample(w)) + static_cast<float>(decodeSample(w + 2)) * 0.01f +
                        static_cast<float>(decodeSample(w + 4)) * 0.0001f;
    return value > 0.0f ? value : 1.0f;
}

void evaluateEnergy(TestRecord& r)
{
    r.hasEnergyResult = 1;
    r.resultsShown = 1;

    const float calibU = calibrationCoefficient(r.work.calibBlock, 0);
    const float calibI = calibrationCoefficient(r.work.calibBlock, 1);
    const float calibP = calibrationCoefficient(r.work.calibBlock, 2);
    for (int k = 0; k < kEnergySamples; ++k) {
        r.waveFilamentU[k] /= calibU;
        r.waveFilamentI[k] /= calibI;
        r.waveEnergy[k] /= calibP;
    }

    int32_t& index = r.work.peakIndex;
    r.filamentUMax = peakFromStart(r.waveFilamentU, index);
    r.filamentUMaxTime = static_cast<float>(index) * kSamplePeriod;
    if (!(r.filamentUMax > 0.0f))
        r.filamentUMax = 1.0f;
    r.filamentIMax = peakFromStart(r.waveFilamentI, index);
    r.filamentIMaxTime = static_cast<float>(index) * kSamplePeriod;
    if (!(r.filamentIMax > 0.0f))
        r.filamentIMax = 0.1f;

    // The preheat ends at the first sample after the power peak that is not above half of it.
    // A negative peak is already below its positive half and ends the preheat at once.
    const float h = peakFromStart(r.waveEnergy, index);
    const int32_t p = std::clamp<int32_t>(index, 0, kEnergySamples - 1);
    int32_t e = p;
    for (int32_t k = p; k < kEnergySamples; ++k) {
        if (!(r.waveEnergy[k] > h * 0.5f)) {
            e = k;
            break;
        }
    }
    r.preheatEndIndex = e;
    r.energyCursor = e;
    r.preheatTime = static_cast<float>(e) * kSamplePeriod;

    // Running energy in J, summed in single precision like the rest of the record.
    float sum = 0.0f;
    for (float& w : r.waveEnergy) {
        sum += w * kSamplePeriod;
        w = sum;
    }
    r.preheatEnergy = r.waveEnergy[e];

    stampTestDate(r);
}

EnergyScales energyScales(const TestRecord& r)
{
    EnergyScales sc;
    // Top of the energy axis: the upper limit F * (Q + P * t) at t = 5 s, or the measured energy
    // where that lies higher.
    sc.energy = (r.pPara * 5.0f + r.qPara) * r.fPara;
    const float currentPeak = r.filamentIMax > 0.0f ? r.filamentIMax : 0.1f;
    sc.current = currentPeak >= 0.5f ? 1.0f : 0.5f;
    if (r.waveEnergy[kEnergySamples - 1] > sc.energy)
        sc.energy = r.waveEnergy[kEnergySamples - 1];
    // Without filament parameters and without measured energy the axis would span 0 J.
    if (!(sc.energy > 0.0f))
        sc.energy = 1.0f;
    return sc;
}

void updateEnergyScale(TestRecord& r)
{
    const EnergyScales sc = energyScales(r);
    r.energyScale = sc.energy;
    r.energyCurrentScale = sc.current;
    if (!(r.filamentUMax > 0.0f))
        r.filamentUMax = 1.0f;
    if (!(r.filamentIMax > 0.0f))
        r.filamentIMax = 0.1f;
}

} // namespace korvex
