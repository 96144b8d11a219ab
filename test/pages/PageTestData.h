// Records with known figures for the page tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "record/TestRecord.h"
#include "record/TextCodec.h"

namespace korvex::testdata {

/// An input result a reader can follow: 220 V, 0.1818 A, a sine of 311 V peak, a 10 % third
/// voltage harmonic, a fifth larger than the fundamental (as a damaged spectrum could be).
inline void fillKnownInput(TestRecord& r)
{
    resetAllResults(r);
    r.Urms = 220.0f;
    r.Irms = 0.1818f;
    r.Irmsw = 0.1901f;
    r.Pin = 39.5f;
    r.PF = 0.987f;
    r.PFw = 0.951f;
    r.Fin = 50.0f;
    r.THDU = 1.2f;
    r.THDUcsa = 1.3f;
    r.THDI = 8.5f;
    r.THDIcsa = 8.6f;
    r.THDIw = 9.1f;
    r.THDIwcsa = 9.2f;
    r.PhaseStart = 34.4f;
    r.PhasePeak = 90.6f;
    r.PhaseEnd = 180.0f;
    r.peakU = 311.0f;
    r.peakI = 0.25f;
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < kDisplayPoints; ++i) {
        r.waveU[i] = static_cast<float>(311.0 * std::sin(2 * pi * i / 200.0));
        r.waveI[i] = static_cast<float>(0.25 * std::sin(2 * pi * i / 200.0));
    }
    for (int n = 0; n < kHarmonics; ++n) {
        r.ampU[n] = 0.0f;
        r.ampI[n] = 0.0f;
        r.pctU[n] = 0.5f * n;
        r.pctI[n] = 2.0f * n + 0.1f;
        r.harmI[n] = 0.001f * n;
        r.mApW[n] = 0.25f * n;
    }
    r.ampU[1] = 311.0f;
    r.ampU[3] = 31.1f;
    r.ampU[5] = 622.0f;
    r.ampI[1] = 0.25f;
    r.ampI[3] = 0.125f;
    r.mApW[39] = 123456.0f;
    storeText(r.infoName, utf8ToCp936("镇流器"));
    storeText(r.infoTemperature, "25");
    storeText(r.infoHumidity, "60");
    storeText(r.testDate, "2024-3-9");
    r.hasInputResult = r.hasPhaseResult = 1;
    r.resultsShown = 1;
}

/// A table percentage as the pages write it (one decimal).
inline std::string pctText(float v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", static_cast<double>(v));
    return b;
}

} // namespace korvex::testdata
