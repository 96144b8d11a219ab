// Statistics over tested ballasts: yield by ballast (first pass and final), the failure Pareto
// and the process capability (Cp, Cpk) of the values that have limits; as text and JSON.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

/// A ballast's overall outcome: every check passed and every step completed, a check failed,
/// a step did not complete (cancelled, the line lost), or every step completed but a run could
/// not be judged (the limits file was damaged): never a pass, and no check to blame.
enum class BallastResult : uint8_t { Pass, Fail, Incomplete, NotJudged };

/// "pass", "fail", "incomplete", "unjudged": the word used in file names, the log, JSON and the
/// text form.
const char* ballastResultName(BallastResult result);

/// One tested ballast, as the log keeps it.
struct BallastOutcome {
    std::string serial; ///< empty: not identified, counted as a ballast of its own
    int64_t atMs = 0;   ///< when its test ended, ms since the epoch (orders a serial's tests)
    BallastResult result = BallastResult::Incomplete;
    std::vector<std::string> failedChecks; ///< names of the checks it failed (a name once)
    std::map<std::string, double> values;  ///< measured values by name
};

/// The limits a value is judged against; at least one of them.
struct ValueLimits {
    std::optional<double> lower, upper;
};

struct YieldFigures {
    int ballasts = 0;                           ///< tests of ballasts (entries), retests included
    int serials = 0;                            ///< distinct ballasts (an entry without serial counts as one)
    int retests = 0;                            ///< ballasts - serials
    int passed = 0, failed = 0, incomplete = 0; ///< entries by result
    int notJudged = 0;                          ///< entries by result: not judged
    int firstPass = 0;                          ///< serials whose first test passed
    int finalPass = 0;                          ///< serials whose last test passed
    /// firstPass / serials and finalPass / serials; none without a serial.
    std::optional<double> firstPassYield, finalYield;
};

struct ParetoBar {
    std::string check;
    int ballasts = 0; ///< entries that failed the check
};

struct Capability {
    std::string value;
    ValueLimits limits;
    int count = 0;                     ///< finite values the figures are based on
    std::optional<double> mean, sigma; ///< sigma: sample standard deviation (n - 1), from 2 values
    /// Cp = (upper - lower) / 6 sigma, with both limits only; Cpk = min((upper - mean) / 3 sigma,
    /// (mean - lower) / 3 sigma) over the limits present. None below 2 values or at sigma 0.
    std::optional<double> cp, cpk;
};

struct BallastStats {
    YieldFigures yield;
    std::vector<ParetoBar> pareto;      ///< largest first, ties by name (numbers by value)
    std::vector<Capability> capability; ///< one per value with limits, by name
};

/// The statistics of outcomes (in any order). A serial's tests are ordered by atMs (equal times
/// keep their input order). First pass: the serial's first test passed; final: its last test
/// passed. An incomplete test is a test that did not pass: as a first test it loses the first
/// pass, as the last test it loses the final pass even after an earlier pass (a later complete
/// test decides again); a test not judged counts the same way. The Pareto counts each entry that failed a check once
/// per check; the capability takes the value from every entry that has it, retests included.
BallastStats computeBallastStats(const std::vector<BallastOutcome>& outcomes,
                                 const std::map<std::string, ValueLimits>& limits);

/// The caption of a failed check's stable key ("classC.h3", "lampCrest.notMeasured") in the
/// report's language ("Harmonic 3" / "3次谐波"); the key itself when it names no check.
std::string failedCheckLabel(const std::string& key, bool chinese);

/// A plain-text report for a terminal or a window, in English or Chinese. The Pareto names each
/// check by its caption, and by its key beside it where the key names a check.
std::string ballastStatsText(const BallastStats& stats, bool chinese);
/// The same as one JSON object (UTF-8); what has no value is null.
std::string ballastStatsJson(const BallastStats& stats);

} // namespace korvex
