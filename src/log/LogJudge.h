// The verdict of a logged run: the record judged against the profile of its product type; over a
// repeating series the harmonics are judged on the accumulated runs.
#pragma once

#include <QtCore/QString>
#include <limits>

#include "kinds/Verdict.h"
#include "log/LogEntry.h"

namespace korvex {

struct LogValueColumn;

/// The limits a profile sets on one logged value (for trend plots); NaN where there is none.
struct ValueLimits {
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
};
ValueLimits valueLimits(const VerdictProfile& profile, const LogValueColumn& column);

class LogJudge {
  public:
    /// Profiles of dir/KORVEX-limits.ini (the defaults when it is missing or damaged).
    explicit LogJudge(const QString& dir);
    explicit LogJudge(ProfileSet profiles) : profiles_(std::move(profiles)) {}
    const ProfileSet& profiles() const { return profiles_; }

    /// Fills the entry's verdict; runs is the run's number in its series (1 starts a series).
    void judge(LogEntry& entry, const TestRecord& record, int runs);

  private:
    ProfileSet profiles_;
    VerdictSeries series_;
};

} // namespace korvex
