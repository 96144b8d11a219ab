// The limits a verdict profile sets on the logged values: for the trend plots of the history and
// for the process capability (Cp, Cpk) of tested ballasts.
#pragma once

#include <limits>
#include <map>
#include <string>

#include "kinds/BallastStats.h"
#include "kinds/VerdictProfile.h"

namespace korvex {

struct LogValueColumn;

/// The limits a profile sets on one logged value (for trend plots); NaN where there is none.
struct TrendLimits {
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
};
TrendLimits valueLimits(const VerdictProfile& profile, const LogValueColumn& column);

/// Values that are no logged column but are judged against limits, taken from the checks of a
/// ballast's logged verdicts.
/// The lamp current at the end of the start capture (A), the start check's value.
inline constexpr const char* kStartCurrentValue = "startCurrent";
/// The preheat energy in units of its lower limit Emin = Q + P * t (1 is the limit itself),
/// since Emin follows each ballast's own preheat time.
inline constexpr const char* kPreheatRatioValue = "preheatEnergy/Emin";

/// The values a profile has limits on, by the name capability figures show: the logged columns
/// (Pin, PF, THDI, Pout, Ilcf, Ilncf, StrT, StrUlp) with the limits valueLimits gives, the start
/// current (lower: the ignition minimum) and the preheat energy ratio (lower 1; the upper limit
/// F is not in the profile: the caller sets it from the logged checks).
std::map<std::string, ValueLimits> capabilityLimits(const VerdictProfile& profile);

} // namespace korvex
