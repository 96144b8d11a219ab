// The limits a verdict profile sets on the logged values, for the trend plots of the history.
#pragma once

#include <limits>

#include "kinds/VerdictProfile.h"

namespace korvex {

struct LogValueColumn;

/// The limits a profile sets on one logged value (for trend plots); NaN where there is none.
struct ValueLimits {
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
};
ValueLimits valueLimits(const VerdictProfile& profile, const LogValueColumn& column);

} // namespace korvex
