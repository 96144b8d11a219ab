// The limits of a logged value.
#include "log/LogJudge.h"

#include <cmath>
#include <cstring>

#include "log/LogColumns.h"

namespace korvex {

TrendLimits valueLimits(const VerdictProfile& p, const LogValueColumn& c)
{
    TrendLimits l;
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
    } else if (is("StrT") && p.startTimeOn)
        l.high = p.startTimeMax;
    else if (is("StrUlp") && p.startVoltageOn)
        l.high = p.startVoltageMax;
    return l;
}

std::map<std::string, ValueLimits> capabilityLimits(const VerdictProfile& p)
{
    std::map<std::string, ValueLimits> out;
    for (const LogValueColumn& c : logValueColumns()) {
        const TrendLimits t = valueLimits(p, c);
        ValueLimits l;
        if (!std::isnan(t.low))
            l.lower = t.low;
        if (!std::isnan(t.high))
            l.upper = t.high;
        if (l.lower || l.upper)
            out[c.name] = l;
    }
    if (p.startCurrentOn)
        out[kStartCurrentValue] = ValueLimits{p.startCurrentMin, std::nullopt};
    if (p.preheat)
        out[kPreheatRatioValue] = ValueLimits{1.0, std::nullopt};
    return out;
}

} // namespace korvex
