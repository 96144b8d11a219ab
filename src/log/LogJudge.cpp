// The limits of a logged value.
#include "log/LogJudge.h"

#include <cstring>

#include "log/LogColumns.h"

namespace korvex {

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

} // namespace korvex
