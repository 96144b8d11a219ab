// The value and text columns of the results log.
#include "log/LogColumns.h"

#include <cctype>

namespace korvex {

namespace {

constexpr uint32_t bit(int kind)
{
    return 1u << kind;
}
// Input values come from the input, phase-angle and comprehensive runs, output values from the
// output and comprehensive runs.
constexpr uint32_t kIn = bit(KindInput) | bit(KindPhase) | bit(KindComprehensive);
constexpr uint32_t kOut = bit(KindOutput) | bit(KindComprehensive);
constexpr uint32_t kStart = bit(KindStart);
constexpr uint32_t kEnergy = bit(KindEnergy);

#define KORVEX_VALUE(f, col, kinds, dec)                                                                               \
    {                                                                                                                  \
#f, col, &TestRecord::f, kinds, dec                                                                            \
    }
const LogValueColumn kValues[] = {
    KORVEX_VALUE(Urms, "urms", kIn, 1),
    KORVEX_VALUE(Irms, "irms", kIn, 3),
    KORVEX_VALUE(Irmsw, "irmsw", kIn, 3),
    KORVEX_VALUE(Pin, "pin", kIn, 1),
    KORVEX_VALUE(PF, "pf", kIn, 3),
    KORVEX_VALUE(PFw, "pfw", kIn, 3),
    KORVEX_VALUE(Fin, "fin", kIn, 2),
    KORVEX_VALUE(THDU, "thdu", kIn, 1),
    KORVEX_VALUE(THDI, "thdi", kIn, 1),
    KORVEX_VALUE(THDIw, "thdiw", kIn, 1),
    KORVEX_VALUE(THDUcsa, "thducsa", kIn, 1),
    KORVEX_VALUE(THDIcsa, "thdicsa", kIn, 1),
    KORVEX_VALUE(THDIwcsa, "thdiwcsa", kIn, 1),
    KORVEX_VALUE(CFv, "cfv", kIn, 2),
    KORVEX_VALUE(CFi, "cfi", kIn, 2),
    KORVEX_VALUE(PhaseStart, "phase_start", kIn, 1),
    KORVEX_VALUE(PhasePeak, "phase_peak", kIn, 1),
    KORVEX_VALUE(PhaseEnd, "phase_end", kIn, 1),
    KORVEX_VALUE(Fout, "fout", kOut, 2),
    KORVEX_VALUE(Pout, "pout", kOut, 1),
    KORVEX_VALUE(Ulm, "ulm", kOut, 1),
    KORVEX_VALUE(Ulrms, "ulrms", kOut, 1),
    KORVEX_VALUE(Ulcf, "ulcf", kOut, 2),
    KORVEX_VALUE(Ilm, "ilm", kOut, 3),
    KORVEX_VALUE(Ilrms, "ilrms", kOut, 3),
    KORVEX_VALUE(Ilcf, "ilcf", kOut, 2),
    KORVEX_VALUE(Ilncf, "ilncf", kOut, 2),
    KORVEX_VALUE(Ildhc, "ildhc", kOut, 1),
    KORVEX_VALUE(Ifm, "ifm", kOut, 3),
    KORVEX_VALUE(Ifrms, "ifrms", kOut, 3),
    KORVEX_VALUE(Ifcf, "ifcf", kOut, 2),
    KORVEX_VALUE(Ikm, "ikm", kOut, 3),
    KORVEX_VALUE(Ikrms, "ikrms", kOut, 3),
    KORVEX_VALUE(Ikcf, "ikcf", kOut, 2),
    KORVEX_VALUE(StrUlp, "str_ulp", kStart, 1),
    KORVEX_VALUE(StrIlp, "str_ilp", kStart, 3),
    KORVEX_VALUE(StrIfp, "str_ifp", kStart, 3),
    KORVEX_VALUE(StrIkp, "str_ikp", kStart, 3),
    KORVEX_VALUE(StrT, "str_t", kStart, 2),
    KORVEX_VALUE(UlpT, "ulp_t", kStart, 2),
    KORVEX_VALUE(IlpT, "ilp_t", kStart, 2),
    KORVEX_VALUE(IfpT, "ifp_t", kStart, 2),
    KORVEX_VALUE(IkpT, "ikp_t", kStart, 2),
    KORVEX_VALUE(preheatEnergy, "preheat_energy", kEnergy, 3),
    KORVEX_VALUE(preheatTime, "preheat_time", kEnergy, 3),
};
#undef KORVEX_VALUE
static_assert(sizeof kValues / sizeof kValues[0] == 45);

#define KORVEX_TEXT(f, col)                                                                                            \
    {                                                                                                                  \
#f, col, [](const TestRecord& r) { return &r.f[0]; }, int(sizeof(TestRecord::f))                               \
    }
const LogTextColumn kTexts[] = {
    KORVEX_TEXT(infoNo, "info_no"),
    KORVEX_TEXT(infoName, "info_name"),
    KORVEX_TEXT(infoType, "info_type"),
    KORVEX_TEXT(infoSpec, "info_spec"),
    KORVEX_TEXT(infoTemperature, "info_temperature"),
    KORVEX_TEXT(infoHumidity, "info_humidity"),
    KORVEX_TEXT(infoManufacturer, "info_manufacturer"),
    KORVEX_TEXT(infoOperator, "info_operator"),
    KORVEX_TEXT(infoFlux, "info_flux"),
    KORVEX_TEXT(infoColorTemp, "info_color_temp"),
    KORVEX_TEXT(testDate, "test_date"),
};
#undef KORVEX_TEXT

} // namespace

std::span<const LogValueColumn> logValueColumns()
{
    return kValues;
}
std::span<const LogTextColumn> logTextColumns()
{
    return kTexts;
}

namespace {

bool sameName(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

} // namespace

const LogValueColumn* findLogValue(const char* name)
{
    for (const LogValueColumn& c : kValues)
        if (sameName(name, c.name) || sameName(name, c.column))
            return &c;
    return nullptr;
}

} // namespace korvex
