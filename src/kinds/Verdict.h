// Pass/fail verdicts of a test record against a profile: IEC 61000-3-2 Class C input harmonics,
// lamp current crest factor, preheat energy and the optional limits; and over a repeated series.
// Their names are in VerdictNames, their JSON, text and CSV forms in VerdictOutput.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "kinds/VerdictProfile.h"
#include "record/TestRecord.h"

namespace korvex {

/// What one check compares.
enum class CheckKind : uint8_t {
    ClassCHarmonic,    ///< order n in % of the fundamental, Class C table (above 25 W)
    ClassDHarmonic,    ///< order n in mA/W, Class D power-related limit (25 W and below, way a)
    WaveformHarmonic,  ///< 3rd or 5th in % of the fundamental (25 W and below, way b)
    WaveformStart,     ///< current begins at or before 60 degrees (way b)
    WaveformPeak,      ///< current peak at or before 65 degrees (way b)
    WaveformEnd,       ///< current does not end before 90 degrees (way b)
    LampCrestPositive, ///< Ilcf
    LampCrestNegative, ///< Ilncf
    PreheatMin,        ///< preheatEnergy >= Q + P * preheatTime
    PreheatMax,        ///< preheatEnergy <= F * (Q + P * preheatTime)
    PowerFactorMin,
    CurrentThdMax,
    InputPowerMin,
    InputPowerMax,
    LampPowerMin,
    LampPowerMax,
    StartIgnition,   ///< lamp current at the end of the start capture >= the minimum
    StartTimeMax,    ///< StrT, the preheat time until ignition
    StartVoltageMax, ///< StrUlp, the peak lamp voltage of the start
};

enum class Outcome : uint8_t {
    Pass,
    Fail,
    Disregarded, ///< a harmonic too small to judge (below 0.6 % of the input current or 5 mA)
};

/// One limit: measured value against the limit.
struct LimitCheck {
    CheckKind kind = CheckKind::ClassCHarmonic;
    int order = 0;    ///< harmonic order for the harmonic kinds, else 0
    double value = 0; ///< measured (over a series: the average)
    double limit = 0;
    bool upper = true; ///< true: value <= limit passes; false: value >= limit passes
    /// Headroom in % of the limit: positive inside, negative outside (NaN for a zero limit).
    double margin = 0;
    Outcome result = Outcome::Pass;
    /// Over a series of runs: the largest single-run value, judged against 150 % of the limit.
    /// NaN for a single capture.
    double maxValue = std::numeric_limits<double>::quiet_NaN();
};

/// Which way the Class C limits apply to the measured active input power.
enum class ClassCRegime : uint8_t {
    NotMeasured,     ///< no mains voltage or no input results: cannot be judged, fails
    AboveTwentyFive, ///< above 25 W: the Class C table
    LowPower,        ///< 5 W to 25 W: way a (Class D per watt) or way b (waveform)
    BelowFive,       ///< below 5 W: no limits
};

enum class SectionKind : uint8_t { ClassC, LampCrest, PreheatEnergy, Optional, Start };

/// The checks of one group and its result.
struct VerdictSection {
    SectionKind kind = SectionKind::ClassC;
    bool pass = true;
    /// False when the record lacks the signal the section needs (no lamp current, no mains):
    /// the section then fails with no checks.
    bool measured = true;
    ClassCRegime regime = ClassCRegime::NotMeasured; ///< ClassC only
    bool passA = false, passB = false;               ///< ClassC, LowPower only: the two ways
    std::vector<LimitCheck> checks;
};

/// The outcome as a whole: passed or failed checks, no check for what was measured (a start
/// test), or not judged at all because the limits could not be read.
enum class VerdictResult : uint8_t { Pass, Fail, NoChecks, NotJudged };

struct Verdict {
    std::string profile; ///< name of the profile used
    int runs = 1;        ///< input runs the harmonics were averaged over; 1 = single capture
    bool pass = false;   ///< every section passes, and there is at least one
    std::vector<VerdictSection> sections;
    /// Why nothing was judged (the limits file is damaged: "KORVEX-limits.ini line 4: ...");
    /// empty when the limits were read.
    std::string notJudged;

    /// Checks were made (it passed or failed).
    bool judged() const { return !sections.empty() && notJudged.empty(); }
    VerdictResult result() const;
    const VerdictSection* section(SectionKind kind) const;
};

/// Judges every kind the record holds results of (its result flags): input harmonics and the
/// input optional limits from an input, phase-angle or comprehensive result, the lamp limits
/// from an output or comprehensive result, the preheat energy from an energy result. For a
/// stored record, which holds one ballast's results.
Verdict judgeRecord(const TestRecord& r, const VerdictProfile& profile);

/// Judges only what a run of kind measured, whatever else the record still holds from earlier
/// runs: input and phase angle the input limits, output the lamp limits, comprehensive both,
/// preheat energy its energy limits; a start run has no checks unless the profile switches
/// start limits on.
Verdict judgeRun(const TestRecord& r, int32_t kind, const VerdictProfile& profile);

/// A verdict that was not made, and why.
Verdict notJudgedVerdict(const std::string& reason);

/// Repeated input (or comprehensive) runs since the page was last reset: per harmonic order the
/// average and the largest value. Harmonics pass when the average is within the limit and no
/// single run exceeds 150 % of it; every other limit is judged on the latest run.
class VerdictSeries {
  public:
    void reset();
    /// Adds the input values of a completed run; records without input results are ignored.
    void add(const TestRecord& r);
    int runs() const { return runs_; }
    /// The verdict of latest, a run of kind, with its harmonics judged over the series (a single
    /// run, or an empty series, is judged as judgeRun does).
    Verdict judge(const TestRecord& latest, int32_t kind, const VerdictProfile& profile) const;

  private:
    int runs_ = 0;
    double sumPct_[kHarmonics] = {}, maxPct_[kHarmonics] = {};
    double sumMApW_[kHarmonics] = {}, maxMApW_[kHarmonics] = {};
    double sumHarm_[kHarmonics] = {};
    double sumIrms_ = 0, sumPin_ = 0, sumPF_ = 0, sumUrms_ = 0;
    double worstStart_ = 0, worstPeak_ = 0, worstEnd_ = 0;
};

} // namespace korvex
