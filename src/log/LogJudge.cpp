// Judging runs for the log.
#include "log/LogJudge.h"

#include <cstring>

#include "log/LogColumns.h"
#include "record/TextCodec.h"

namespace korvex {

LogJudge::LogJudge(const QString& dir) : profiles_(loadProfileFile(dir.toStdString() + "/").set) {}

ValueLimits valueLimits(const VerdictProfile& p, const LogValueColumn& c)
{
    ValueLimits l;
    const auto is = [&c](const char* name) { return std::strcmp(c.name, name) == 0; };
    if ((is("Ilcf") || is("Ilncf")) && p.lampCrest)
        l.high = p.lampCrestMax;
    else if (is("PF") && p.powerFactorOn)
        l.low = p.powerFactorMin;
    else if (is("THDI") && p.currentThdOn)
        l.high = p.currentThdMax;
    else if (is("Pin") && p.inputPowerOn) {
        l.low = p.inputPowerRated * (1 - p.inputPowerTolerance / 100);
        l.high = p.inputPowerRated * (1 + p.inputPowerTolerance / 100);
    } else if (is("Pout") && p.lampPowerOn) {
        l.low = p.lampPowerMin;
        l.high = p.lampPowerMax;
    }
    return l;
}

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
