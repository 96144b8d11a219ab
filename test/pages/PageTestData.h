// Records with known figures for the page tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "kinds/Starttest.h"
#include "record/TestRecord.h"
#include "record/TextCodec.h"

namespace korvex::testdata {

/// The record's display options with the language of a page form: the band and THD method as
/// the record holds them.
inline DisplayOptions inEnglish(const TestRecord& r)
{
    DisplayOptions o = displayOptions(r);
    o.chinese = false;
    return o;
}
inline DisplayOptions inChinese(const TestRecord& r)
{
    DisplayOptions o = displayOptions(r);
    o.chinese = true;
    return o;
}

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

/// An output and comprehensive result on top of the known input: a lamp at 102.4 V and
/// 0.3571 A with crest factors 1.50 / 1.20 (a 20 % half-wave difference), 36.2 W at 45.68 kHz;
/// the lamp voltage a sine of three periods over the 150 samples, the currents at their
/// peaks throughout.
inline void fillKnownOutput(TestRecord& r)
{
    fillKnownInput(r);
    r.CFv = 1.414f;
    r.CFi = 1.52f;
    r.Ulrms = 102.4f;
    r.Ulm = 145.0f;
    r.Ulcf = 1.416f;
    r.Ilrms = 0.3571f;
    r.Ilm = 0.512f;
    r.Ilcf = 1.5f;
    r.Ilncf = 1.2f;
    r.Ildhc = 20.0f;
    r.Ifrms = 0.1234f;
    r.Ifm = 0.2f;
    r.Ifcf = 1.62f;
    r.Ikrms = 0.4f;
    r.Ikm = 0.58f;
    r.Ikcf = 1.45f;
    r.Pout = 36.2f;
    r.Fout = 45.678f;
    r.peakUl = 145.0f;
    r.peakIl = 0.512f;
    r.peakIf = 0.2f;
    r.peakIk = 0.58f;
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 150; ++i) {
        r.waveUl[i] = static_cast<float>(145.0 * std::sin(2 * pi * i / 50.0));
        r.waveIl[i] = r.peakIl;
        r.waveIf[i] = r.peakIf;
        r.waveIk[i] = r.peakIk;
    }
    storeText(r.infoNo, "A-17");
    storeText(r.infoSpec, "T8 36W");
    storeText(r.infoFlux, "3350");
    storeText(r.infoColorTemp, "6500");
    r.hasOutputResult = r.hasCompResult = 1;
}

/// A start result: lamp voltage 1000 V at sample 100 and 500 V elsewhere (envelope 2000 / 1000),
/// lamp current 1.5 A from sample 150 on, filament current 0.75 A before it, no cathode lead
/// current; the cursor at sample 200 (3.33 s).
inline void fillKnownStart(TestRecord& r)
{
    resetAllResults(r);
    for (int i = 0; i < kStartSamples; ++i) {
        r.waveStartUl[i] = i == 100 ? 2000.0f : 1000.0f;
        r.waveStartIl[i] = i >= 150 ? 500.0f : 0.0f;
        r.waveStartIf[i] = i < 150 ? 100.0f : 0.0f;
    }
    r.peakStartUl = 2000.0f;
    r.peakStartIl = 500.0f;
    r.peakStartIf = 100.0f;
    r.StrUlp = 1000.0f;
    r.StrIlp = 1.5f;
    r.StrIfp = 0.75f;
    r.UlpT = 1.67f;
    r.IlpT = 2.5f;
    r.IfpT = 0.1f;
    r.StrT = 2.48f;
    setStartCursor(r, 200);
    storeText(r.infoNo, "A-7");
    storeText(r.infoType, "T8-36W");
    storeText(r.infoManufacturer, "Lumen");
    storeText(r.testDate, "2024-3-9");
    r.hasStartResult = 1;
    r.resultsShown = 1;
    r.currentTest = KindStart;
}

/// A preheat energy result with Q 7 J, P 9 W, F 1.5: 10 V and 0.8 A up to sample 300 (1.5 s),
/// 5 V and 0.4 A after it; the running energy rises by 0.02 J a sample (6 J at the end of the
/// preheat, 19.98 J at 5 s); the cursor at the end of the preheat.
inline void fillKnownEnergy(TestRecord& r)
{
    resetAllResults(r);
    r.qPara = 7.0f;
    r.pPara = 9.0f;
    r.fPara = 1.5f;
    for (int k = 0; k < kEnergySamples; ++k) {
        r.waveFilamentU[k] = k < 300 ? 10.0f : 5.0f;
        r.waveFilamentI[k] = k < 300 ? 0.8f : 0.4f;
        r.waveEnergy[k] = 0.02f * static_cast<float>(k);
    }
    r.filamentUMax = 10.0f;
    r.filamentUMaxTime = 0.0f;
    r.filamentIMax = 0.8f;
    r.filamentIMaxTime = 0.0f;
    r.preheatEndIndex = r.energyCursor = 300;
    r.preheatTime = 1.5f;
    r.preheatEnergy = r.waveEnergy[300];
    storeText(r.infoOperator, "Wang");
    storeText(r.testDate, "2024-3-9");
    r.hasEnergyResult = 1;
    r.resultsShown = 1;
    r.currentTest = KindEnergy;
}

/// A table percentage as the pages write it (one decimal).
inline std::string pctText(float v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", static_cast<double>(v));
    return b;
}

} // namespace korvex::testdata
