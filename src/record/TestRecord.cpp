// Result resets, the display options and operator's entries the record keeps, and the test
// date stamp.
#include "record/TestRecord.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace korvex {

namespace {

template <size_t N> void zero(float (&a)[N], size_t count = N)
{
    std::fill(a, a + std::min(count, N), 0.0f);
}

int32_t g_noResult = 0;

} // namespace

int32_t& TestRecord::hasResult(int32_t kind)
{
    switch (kind) {
    case KindInput: return hasInputResult;
    case KindPhase: return hasPhaseResult;
    case KindOutput: return hasOutputResult;
    case KindComprehensive: return hasCompResult;
    case KindStart: return hasStartResult;
    case KindEnergy: return hasEnergyResult;
    default: g_noResult = 0; return g_noResult;
    }
}

int32_t TestRecord::hasResult(int32_t kind) const
{
    return const_cast<TestRecord*>(this)->hasResult(kind);
}

DisplayOptions displayOptions(const TestRecord& r)
{
    return {r.chinese != 0, r.wideBand != 0, r.thdCsa != 0};
}

void storeDisplayOptions(TestRecord& r, const DisplayOptions& options)
{
    r.chinese = options.chinese ? 1 : 0;
    r.wideBand = options.wideBand ? 1 : 0;
    r.thdCsa = options.thdCsa ? 1 : 0;
}

void storeStartCursor(TestRecord& r, const StartCursor& cursor)
{
    r.cursorIndex = cursor.index;
    r.cursorTime = cursor.time;
    r.cursorUl = cursor.ul;
    r.cursorIl = cursor.il;
    r.cursorIf = cursor.iff;
    r.cursorIk = cursor.ik;
}

void copyEntries(const TestRecord& from, TestRecord& to)
{
    auto text = [](char* dst, const char* src, size_t size) { std::memcpy(dst, src, size); };
    text(to.infoName, from.infoName, sizeof to.infoName);
    text(to.infoNo, from.infoNo, sizeof to.infoNo);
    text(to.infoType, from.infoType, sizeof to.infoType);
    text(to.infoSpec, from.infoSpec, sizeof to.infoSpec);
    text(to.infoTemperature, from.infoTemperature, sizeof to.infoTemperature);
    text(to.infoHumidity, from.infoHumidity, sizeof to.infoHumidity);
    text(to.infoManufacturer, from.infoManufacturer, sizeof to.infoManufacturer);
    text(to.infoOperator, from.infoOperator, sizeof to.infoOperator);
    text(to.infoFlux, from.infoFlux, sizeof to.infoFlux);
    text(to.infoColorTemp, from.infoColorTemp, sizeof to.infoColorTemp);
    to.qPara = from.qPara;
    to.pPara = from.pPara;
    to.fPara = from.fPara;
}

void resetInputResults(TestRecord& r)
{
    zero(r.waveU, kDisplayPoints);
    zero(r.waveI, kDisplayPoints);
    r.peakU = 1.0f;
    r.peakI = 0.01f;
    zero(r.ampU);
    zero(r.ampI);
    zero(r.harmI);
    zero(r.pctU);
    zero(r.pctI);
    zero(r.mApW);
    r.ampU[1] = 1.0f;
    r.ampI[1] = 1.0f;
    r.Urms = r.Irms = r.Irmsw = r.Pin = r.PF = r.PFw = 0;
    r.THDU = r.THDI = r.THDIw = r.THDUcsa = r.THDIcsa = r.THDIwcsa = 0;
    r.Fin = r.CFv = r.CFi = 0;
    r.PhaseStart = r.PhasePeak = r.PhaseEnd = 0;
    r.hasInputResult = 0;
    r.hasPhaseResult = 0;
}

void resetOutputResults(TestRecord& r)
{
    r.Fout = r.Pout = r.Ulm = r.Ulrms = r.Ulcf = r.Ilm = r.Ilrms = r.Ilcf = 0;
    r.Ilncf = r.Ildhc = r.Ifm = r.Ifrms = r.Ifcf = r.Ikm = r.Ikrms = r.Ikcf = 0;
    zero(r.waveUl);
    zero(r.waveIl);
    zero(r.waveIf);
    zero(r.waveIk);
    r.peakUl = r.peakIl = r.peakIf = r.peakIk = 1.0f;
    r.hasOutputResult = 0;
}

void resetCompResults(TestRecord& r)
{
    resetInputResults(r);
    resetOutputResults(r);
    r.hasCompResult = 0;
}

void resetStartResults(TestRecord& r)
{
    zero(r.waveStartUl);
    zero(r.waveStartIl);
    zero(r.waveStartIf);
    zero(r.waveStartIk);
    r.StrUlp = r.StrIlp = r.StrIfp = r.StrIkp = 0;
    r.peakStartUl = r.peakStartIl = r.peakStartIf = r.peakStartIk = 1.0f;
    r.StrT = r.UlpT = r.IlpT = r.IfpT = r.IkpT = 0;
    r.hasStartResult = 0;
}

void resetEnergyResults(TestRecord& r)
{
    zero(r.waveFilamentU);
    zero(r.waveFilamentI);
    zero(r.waveEnergy);
    r.preheatEnergy = 0;
    r.filamentUMax = 1.0f;
    r.filamentIMax = 0.1f;
    r.filamentUMaxTime = r.filamentIMaxTime = r.preheatTime = 0;
    r.hasEnergyResult = 0;
}

void resetAllResults(TestRecord& r)
{
    resetCompResults(r);
    resetStartResults(r);
    resetEnergyResults(r);
}

std::string utcDateText(int64_t unixSeconds)
{
    using namespace std::chrono;
    const sys_days day = floor<days>(sys_seconds{seconds{unixSeconds}});
    const year_month_day ymd{day};
    char text[32];
    std::snprintf(text, sizeof text, "%d-%u-%u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return text;
}

void stampTestDate(TestRecord& r)
{
    using namespace std::chrono;
    const int64_t now = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    const std::string text = utcDateText(now);
    // A four-digit year gives at most 10 characters; the field holds 10 plus the terminator.
    const size_t n = std::min(text.size(), sizeof r.testDate - 1);
    std::fill(std::begin(r.testDate), std::end(r.testDate), '\0');
    std::copy_n(text.begin(), n, r.testDate);
}

} // namespace korvex
