// Judging runs for the log.
#include "log/LogJudge.h"

#include "record/TextCodec.h"

namespace korvex {

LogJudge::LogJudge(const QString& dir) : profiles_(loadProfileFile(dir.toStdString() + "/").set) {}

void LogJudge::judge(LogEntry& entry, const TestRecord& record, int runs)
{
    if (runs <= 1)
        series_.reset();
    series_.add(record); // ignores records without input results
    const VerdictProfile& profile = profiles_.findOrDefault(fieldUtf8(record.infoType));
    const Verdict v = runs > 1 ? series_.judge(record, profile) : judgeRecord(record, profile);
    if (!v.judged()) {
        entry.verdictPass.reset();
        entry.verdictDetails.clear();
        return;
    }
    entry.verdictPass = v.pass;
    entry.verdictDetails = QString::fromStdString(verdictJson(v));
}

} // namespace korvex
