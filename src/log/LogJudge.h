// The verdict of a logged run: the record judged against the profile of its product type; over a
// repeating series the harmonics are judged on the accumulated runs.
#pragma once

#include <QtCore/QString>

#include "kinds/Verdict.h"
#include "log/LogEntry.h"

namespace korvex {

class LogJudge {
public:
    /// Profiles of dir/KORVEX-limits.ini (the defaults when it is missing or damaged).
    explicit LogJudge(const QString& dir);
    explicit LogJudge(ProfileSet profiles) : profiles_(std::move(profiles)) {}

    /// Fills the entry's verdict; runs is the run's number in its series (1 starts a series).
    void judge(LogEntry& entry, const TestRecord& record, int runs);

private:
    ProfileSet profiles_;
    VerdictSeries series_;
};

} // namespace korvex
