// The test record: the latest results of the six tests, the display options stored with them,
// the test information, and beside them the raw working fields that the sequences fill.
#pragma once

#include <cstdint>
#include <string>

namespace korvex {

/// The six tests; 0 means no test chosen yet.
enum TestKind : int32_t {
    KindNone = 0,
    KindInput = 1,
    KindPhase = 2,
    KindOutput = 3,
    KindComprehensive = 4,
    KindStart = 5,
    KindEnergy = 6,
};

inline bool isTestKind(int32_t kind)
{
    return kind >= KindInput && kind <= KindEnergy;
}

// Sizes of the fixed arrays and text buffers.
inline constexpr int kInputWaveLen = 500;  // waveU, waveI (200 stored)
inline constexpr int kDisplayPoints = 200; // resampled display waveforms
inline constexpr int kHarmonics = 40;      // spectrum lines 0..39
inline constexpr int kOutputWaveLen = 200;
inline constexpr int kStartSamples = 300;
inline constexpr int kEnergySamples = 1000;
inline constexpr int kCycleLen = 800; // three periods of the input waveforms
inline constexpr int kFftLen = 256;

/// Raw working fields: what the command sequences receive and the evaluations read.
/// They are not stored in the data file. Sample blocks keep the bytes as received
/// (signed 16-bit, low byte first); see decodeSample().
struct WorkingFields {
    uint8_t rawU[1000] = {}; // 500 samples, 256 used
    uint8_t rawI[1000] = {};
    uint8_t paramBlock[40] = {};    // ten instrument floats
    uint8_t outParamBlock[64] = {}; // sixteen instrument floats
    uint8_t rawUl[1200] = {};       // 600 samples each, 150 used
    uint8_t rawIf[1200] = {};
    uint8_t rawIl[1200] = {};
    uint8_t rawIk[1200] = {};
    uint8_t rawStart[2400] = {}; // four regions of 300 samples (600 bytes each)
    uint8_t startBlock[36] = {}; // nine instrument floats
    uint32_t startSwapFlag = 0;  // byte 36 of the start tail, widened
    uint8_t calibBlock[18] = {}; // nine signed 16-bit words
    int32_t sampleCount = 0;
    int32_t outSampleCount = 0;
    float Ihf = 0.0f;      // current content beyond order 39 (A)
    float outWord7 = 0.0f; // word 7 of the output block, kept only
    float cycleU[kCycleLen] = {};
    float cycleI[kCycleLen] = {};
    int32_t peakIndex = 0; // index of the last peak search's maximum
};

/// The record. Field names are those of the data file and the spreadsheet export.
/// Texts are NUL-terminated code page 936 bytes.
struct TestRecord {
    // Window state stored with the record.
    int32_t currentTest = 0;
    int32_t thdCsa = 0;
    int32_t wideBand = 0;
    int32_t chinese = 0;

    // Result flags in test-kind order.
    int32_t hasInputResult = 0;
    int32_t hasPhaseResult = 0;
    int32_t hasOutputResult = 0;
    int32_t hasCompResult = 0;
    int32_t hasStartResult = 0;
    int32_t hasEnergyResult = 0;

    // Input values.
    float Urms = 0, Irms = 0, Irmsw = 0, Pin = 0, PF = 0, PFw = 0;
    float THDU = 0, THDI = 0, THDIw = 0, THDUcsa = 0, THDIcsa = 0, THDIwcsa = 0;
    float Fin = 0, CFv = 0, CFi = 0, peakU = 0, peakI = 0;
    float PhaseStart = 0, PhasePeak = 0, PhaseEnd = 0;
    float waveU[kInputWaveLen] = {};
    float waveI[kInputWaveLen] = {};
    float ampU[kHarmonics] = {};
    float ampI[kHarmonics] = {};
    float harmI[kHarmonics] = {};
    float mApW[kHarmonics] = {};
    float pctU[kHarmonics] = {};
    float pctI[kHarmonics] = {};

    // Output values.
    float Fout = 0, Pout = 0, Ulm = 0, Ulrms = 0, Ulcf = 0, Ilm = 0, Ilrms = 0, Ilcf = 0;
    float Ilncf = 0, Ildhc = 0, Ifm = 0, Ifrms = 0, Ifcf = 0, Ikm = 0, Ikrms = 0, Ikcf = 0;
    float peakUl = 0, peakIl = 0, peakIf = 0, peakIk = 0;
    float waveUl[kOutputWaveLen] = {};
    float waveIl[kOutputWaveLen] = {};
    float waveIf[kOutputWaveLen] = {};
    float waveIk[kOutputWaveLen] = {};

    // Start values.
    float StrUlp = 0, StrIlp = 0, StrIfp = 0, StrIkp = 0;
    float peakStartUl = 0, peakStartIl = 0, peakStartIf = 0, peakStartIk = 0;
    float StrT = 0, UlpT = 0, IlpT = 0, IfpT = 0, IkpT = 0;
    int32_t cursorIndex = 0;
    float cursorTime = 0, cursorUl = 0, cursorIl = 0, cursorIf = 0, cursorIk = 0;
    float waveStartUl[kStartSamples] = {};
    float waveStartIl[kStartSamples] = {};
    float waveStartIf[kStartSamples] = {};
    float waveStartIk[kStartSamples] = {};

    // Preheat energy values.
    float qPara = 0, pPara = 0, fPara = 0;
    float energyCurrentScale = 0, energyScale = 0, preheatEnergy = 0;
    float filamentUMax = 0, filamentIMax = 0, filamentUMaxTime = 0, filamentIMaxTime = 0;
    float preheatTime = 0;
    int32_t energyCursor = 0;
    int32_t preheatEndIndex = 0;
    float waveFilamentU[kEnergySamples] = {};
    float waveFilamentI[kEnergySamples] = {};
    float waveEnergy[kEnergySamples] = {};

    // Test information.
    char infoName[31] = {};
    char infoNo[21] = {};
    char infoType[21] = {};
    char infoSpec[21] = {};
    char infoTemperature[11] = {};
    char infoHumidity[11] = {};
    char infoManufacturer[51] = {};
    char infoOperator[31] = {};
    char infoFlux[11] = {};
    char infoColorTemp[11] = {};
    char testDate[11] = {};

    // Not stored: 0 makes the start and energy kinds show their prompt page.
    int32_t resultsShown = 0;

    // Not stored: the raw fields of the sequences and evaluations.
    WorkingFields work;

    /// Result flag of a kind (1..6); an out-of-range kind yields a dummy that is always 0.
    int32_t& hasResult(int32_t kind);
    int32_t hasResult(int32_t kind) const;
};

/// The display choices the pages follow: the language, the band of the input current figures
/// and the THD method. The record keeps them (its chinese, wideBand and thdCsa flags), so the
/// data file and KORVEX.cfg store them with it.
struct DisplayOptions {
    bool chinese = true;
    bool wideBand = false;
    bool thdCsa = false;
    friend bool operator==(const DisplayOptions&, const DisplayOptions&) = default;
};

/// The choices the record holds.
DisplayOptions displayOptions(const TestRecord& r);
/// Stores the choices in the record's flags (0 or 1).
void storeDisplayOptions(TestRecord& r, const DisplayOptions& options);

/// The start page's cursor: a sample index of the 5 s start capture, its time in s and the
/// four envelopes there in V or A (the record's cursor fields).
struct StartCursor {
    int32_t index = 0;
    float time = 0, ul = 0, il = 0, iff = 0, ik = 0;
};
void storeStartCursor(TestRecord& r, const StartCursor& cursor);

/// Copies the operator's entries from one record to another: the ten test-information texts
/// (not testDate) and the filament parameters Q, P and F, as the dialogs edit them.
void copyEntries(const TestRecord& from, TestRecord& to);

void resetInputResults(TestRecord& r);
void resetOutputResults(TestRecord& r);
void resetCompResults(TestRecord& r);
void resetStartResults(TestRecord& r);
void resetEnergyResults(TestRecord& r);
void resetAllResults(TestRecord& r);

/// The current UTC date as "Y-M-D" without leading zeros ("2007-3-9").
std::string utcDateText(int64_t unixSeconds);
/// Writes today's UTC date into testDate.
void stampTestDate(TestRecord& r);

} // namespace korvex
