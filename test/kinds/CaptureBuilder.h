// Builds the instrument's reply blocks for the evaluation tests: samples and instrument floats
// are encoded as the instrument sends them, so each test covers the path from bytes to results.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

#include "kinds/Evaluate.h"
#include "link/Capture.h"
#include "link/Frames.h"
#include "record/TestRecord.h"

namespace korvex::testing {

using Bytes = std::vector<uint8_t>;

/// n samples of f(i), rounded to the nearest integer and encoded low byte first.
inline Bytes sampleBlock(int n, const std::function<double(int)>& f)
{
    Bytes out(static_cast<size_t>(2 * n));
    for (int i = 0; i < n; ++i)
        encodeSample(static_cast<int16_t>(std::lround(f(i))), out.data() + 2 * i);
    return out;
}

/// Instrument floats, 4 bytes each, in the given order.
inline Bytes floatBlock(const std::vector<float>& values)
{
    Bytes out(4 * values.size());
    for (size_t k = 0; k < values.size(); ++k)
        encodeInstrumentFloat(values[k], out.data() + 4 * k);
    return out;
}

inline Bytes concat(const std::vector<Bytes>& parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline double sinePeriod(int i, int n, double cycles = 1.0, double shiftSamples = 0.0)
{
    return std::sin(2.0 * std::numbers::pi * cycles * (i - shiftSamples) / n);
}

/// The ten words of the input parameter block.
struct InputWords {
    float Urms = 230.0f, Irms = 0.5f, Irmsw = 0.5f, Pin = 100.0f, PF = 0.99f, PFw = 0.98f;
    float Fin = 50.0f, Ihf = 0.0f, CFv = 1.41f, CFi = 1.5f;
    Bytes bytes() const { return floatBlock({Urms, Irms, Irmsw, Pin, PF, PFw, Fin, Ihf, CFv, CFi}); }
};

/// The sixteen words of the output parameter block.
struct OutputWords {
    float Ulrms = 100.0f, Ifrms = 0.2f, Ilrms = 0.3f, Ikrms = 0.4f, Ulm = 150.0f, Ifm = 0.3f;
    float Ilm = 0.45f, word7 = 7.0f, Ikm = 0.6f, Ulcf = 1.5f, Ifcf = 1.4f, Ilcf = 1.5f;
    float Ilncf = 1.2f, Ikcf = 1.6f, Pout = 30.0f, Fout = 45.0f;
    Bytes bytes() const
    {
        return floatBlock(
            {Ulrms, Ifrms, Ilrms, Ikrms, Ulm, Ifm, Ilm, word7, Ikm, Ulcf, Ifcf, Ilcf, Ilncf, Ikcf, Pout, Fout});
    }
};

/// Loads a capture the way the sequence stores it; fails the calling test when refused.
inline bool load(TestRecord& r, int32_t kind, const Bytes& capture)
{
    std::string error;
    return loadCapture(r, kind, capture.data(), capture.size(), error);
}

/// A fresh record as the program has it after start-up and the test's own reset.
inline TestRecord freshRecord()
{
    TestRecord r;
    resetAllResults(r);
    return r;
}

} // namespace korvex::testing
