// The verdict profiles of the limits file: what each key of a ballast type's section means.
#include "kinds/VerdictProfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "kinds/ArchiveSettings.h"

namespace korvex {

namespace {

/// A limit switched by a flag: "off" or a number (which switches it on).
struct OptionalKey {
    const char* key;
    bool VerdictProfile::*on;
    double VerdictProfile::*value;
    double low, high; ///< the values that make sense
};

/// Plain numbers that belong to a switched limit but do not switch it.
struct NumberKey {
    const char* key;
    double VerdictProfile::*value;
    double low, high;
};

struct SwitchKey {
    const char* key;
    bool VerdictProfile::*on;
};

const SwitchKey kSwitches[] = {
    {"class_c_harmonics", &VerdictProfile::classC},
    {"preheat_energy", &VerdictProfile::preheat},
    {"start_on_scan", &VerdictProfile::startOnScan},
};

// A crest factor is at least 1; a power factor at most 1; powers in W, shares in %.
const OptionalKey kOptional[] = {
    {"lamp_current_crest_factor_max", &VerdictProfile::lampCrest, &VerdictProfile::lampCrestMax, 1, 10},
    {"power_factor_min", &VerdictProfile::powerFactorOn, &VerdictProfile::powerFactorMin, 0, 1},
    {"current_thd_max", &VerdictProfile::currentThdOn, &VerdictProfile::currentThdMax, 0, 1000},
    {"input_power_rated", &VerdictProfile::inputPowerOn, &VerdictProfile::inputPowerRated, 0, 10000},
    {"lamp_power_min", &VerdictProfile::lampPowerOn, &VerdictProfile::lampPowerMin, 0, 10000},
    {"start_lamp_current_min", &VerdictProfile::startCurrentOn, &VerdictProfile::startCurrentMin, 0, 100},
    {"start_time_max", &VerdictProfile::startTimeOn, &VerdictProfile::startTimeMax, 0, 5},
    {"start_lamp_voltage_max", &VerdictProfile::startVoltageOn, &VerdictProfile::startVoltageMax, 0, 100000},
};

const NumberKey kNumbers[] = {
    {"input_power_tolerance", &VerdictProfile::inputPowerTolerance, 0, 100},
    {"lamp_power_max", &VerdictProfile::lampPowerMax, 0, 10000},
};

bool parseNumber(const std::string& s, double& out)
{
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto res = std::from_chars(first, last, out);
    return res.ec == std::errc() && res.ptr == last && std::isfinite(out);
}

std::string numberText(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

/// Why a key or value is refused, in English and Chinese; empty when it is not.
struct KeyFault {
    std::string en, zh;
    bool empty() const { return en.empty(); }
};

/// "'key' must be WHAT, not 'value'": the reason a value is refused.
KeyFault mustBe(const std::string& key, const std::string& what, const std::string& whatZh, const std::string& value)
{
    return {"'" + key + "' must be " + what + ", not '" + value + "'",
            "'" + key + "' 应为" + whatZh + "，而不是 '" + value + "'"};
}

/// Applies one key; an empty return means success, else the reason.
KeyFault applyKey(VerdictProfile& p, const std::string& key, const std::string& value)
{
    for (const SwitchKey& k : kSwitches)
        if (key == k.key) {
            if (value != "on" && value != "off")
                return mustBe(key, "on or off", " on 或 off", value);
            p.*k.on = value == "on";
            return {};
        }
    for (const OptionalKey& k : kOptional)
        if (key == k.key) {
            if (value == "off") {
                p.*k.on = false;
                return {};
            }
            double v = 0;
            if (!parseNumber(value, v) || v < k.low || v > k.high)
                return mustBe(key, "off or a number from " + numberText(k.low) + " to " + numberText(k.high),
                              " off 或 " + numberText(k.low) + " 到 " + numberText(k.high) + " 之间的数", value);
            p.*k.on = true;
            p.*k.value = v;
            return {};
        }
    if (key == "plan") {
        KeyFault why;
        if (!parseTestPlan(value, p.plan, why.en, why.zh))
            return why;
        return {};
    }
    for (const NumberKey& k : kNumbers)
        if (key == k.key) {
            double v = 0;
            if (!parseNumber(value, v) || v < k.low || v > k.high)
                return mustBe(key, "a number from " + numberText(k.low) + " to " + numberText(k.high),
                              " " + numberText(k.low) + " 到 " + numberText(k.high) + " 之间的数", value);
            p.*k.value = v;
            return {};
        }
    return {"unknown key '" + key + "'", "未知的键 '" + key + "'"};
}

void writeProfile(std::string& out, const VerdictProfile& p)
{
    auto line = [&out](const char* key, const std::string& value) { out += std::string(key) + " = " + value + "\n"; };
    auto optional = [](bool on, double v) { return on ? numberText(v) : std::string("off"); };
    out += "[" + p.name + "]\n";
    line("class_c_harmonics", p.classC ? "on" : "off");
    line("lamp_current_crest_factor_max", optional(p.lampCrest, p.lampCrestMax));
    line("preheat_energy", p.preheat ? "on" : "off");
    line("power_factor_min", optional(p.powerFactorOn, p.powerFactorMin));
    line("current_thd_max", optional(p.currentThdOn, p.currentThdMax));
    line("input_power_rated", optional(p.inputPowerOn, p.inputPowerRated));
    line("input_power_tolerance", numberText(p.inputPowerTolerance));
    line("lamp_power_min", optional(p.lampPowerOn, p.lampPowerMin));
    line("lamp_power_max", numberText(p.lampPowerMax));
    line("start_lamp_current_min", optional(p.startCurrentOn, p.startCurrentMin));
    line("start_time_max", optional(p.startTimeOn, p.startTimeMax));
    line("start_lamp_voltage_max", optional(p.startVoltageOn, p.startVoltageMax));
    line("plan", testPlanText(p.plan));
    line("start_on_scan", p.startOnScan ? "on" : "off");
}

const char* const kHeader =
    "# KORVEX verdict limits. One [section] per ballast type; the section whose name equals the\n"
    "# product type of the test information is used, else [default]. A section lists only what\n"
    "# differs from [default]. Lines starting with # are comments, and so is the rest of a line\n"
    "# after a blank and #. The [log] section names the results log (see the README). While a\n"
    "# line cannot be read (an unknown key, no '=', a value out of range) nothing is judged.\n"
    "#\n"
    "# class_c_harmonics = on|off   input current harmonics, IEC 61000-3-2 Class C:\n"
    "#   above 25 W, % of the fundamental: 2nd 2, 3rd 30*PF, 5th 10, 7th 7, 9th 5, 11th-39th 3;\n"
    "#   5 W to 25 W: either (a) mA/W: 3rd 3.4, 5th 1.9, 7th 1.0, 9th 0.5, 11th 0.35,\n"
    "#   13th-39th 3.85/n, or (b) 3rd <= 86 %, 5th <= 61 %, current starts <= 60 deg, peaks\n"
    "#   <= 65 deg and ends >= 90 deg; below 5 W no limits. Harmonics below 0.6 % of the input\n"
    "#   current or below 5 mA are disregarded. Over repeated runs the average must be within\n"
    "#   the limit and no single run above 150 % of it.\n"
    "# lamp_current_crest_factor_max = 1..10|off   both half-waves of the lamp current\n"
    "# preheat_energy = on|off      Q + P*t <= energy at the end of preheat <= F*(Q + P*t),\n"
    "#                              with the filament parameters Q, P, F of the test\n"
    "# power_factor_min = 0..1|off, current_thd_max (%, IEC) = 0..1000|off\n"
    "# input_power_rated (W) = number|off, within +-input_power_tolerance (0..100 %)\n"
    "# lamp_power_min (W) = number|off, switches on the range lamp_power_min..lamp_power_max\n"
    "# start_lamp_current_min (A) = number|off   the lamp ignited: its current over the last\n"
    "#   0.5 s of the start capture at least this\n"
    "# start_time_max (s) = 0..5|off   preheat time until the lamp ignites at most this\n"
    "# start_lamp_voltage_max (V) = number|off   peak lamp voltage during the start at most this\n"
    "#   With any start limit on, a lamp that never ignites fails the ballast.\n"
    "#\n"
    "# plan = input*3, output, start, energy   the production sequence of the type (the plan\n"
    "#   button, Ctrl+R, korvex-cli plan): tests in order, from input, phase, output,\n"
    "#   comprehensive, start, energy; a measuring test may take a run count (*N, 1..100),\n"
    "#   its harmonics judged by the average and 150 % rule. One verdict for the ballast: it\n"
    "#   passes only if every step completed and every check passed.\n"
    "# start_on_scan = on|off   Enter in the serial number field (a barcode scanner) starts\n"
    "#   the plan for that serial number\n"
    "#\n"
    "# An [archive] section keeps each tested ballast's files (off without one):\n"
    "#   [archive]\n"
    "#   folder = /srv/korvex/archive   the folder (relative: beside this file); empty: off\n"
    "#   pattern = {date}/{serial}_{verdict}   the default: a folder per day\n"
    "# The pattern names a ballast's data file (.kvx) and PDF (its pages and the verdict sheet)\n"
    "# below the folder; placeholders {date} (YYYY-MM-DD), {time} (HHMMSS), {serial}, {type}\n"
    "# and {verdict} (pass, fail or incomplete). In serial and type the characters / \\ : * ?\n"
    "# \" < > | and control characters become _. A name in use gets _2, _3, ... Each ballast's\n"
    "# spreadsheet line is added to <folder>/<YYYY-MM-DD>.csv.\n"
    "\n";

} // namespace

const VerdictProfile* ProfileSet::find(const std::string& name) const
{
    for (const VerdictProfile& p : profiles)
        if (p.name == name)
            return &p;
    return nullptr;
}

const VerdictProfile& ProfileSet::findOrDefault(const std::string& name) const
{
    if (const VerdictProfile* p = find(name))
        return *p;
    return profiles.front();
}

std::vector<std::string> ProfileSet::names() const
{
    std::vector<std::string> out;
    for (const VerdictProfile& p : profiles)
        out.push_back(p.name);
    return out;
}

ProfileSet readProfiles(const IniDocument& doc, std::vector<IniError>& errors)
{
    ProfileSet set;
    for (const IniSection& section : doc.sections) {
        if (section.name == kLogSectionName || section.name == kArchiveSectionName)
            continue; // the results log's and the archive's settings, not limits
        VerdictProfile* current = &set.profiles.front();
        if (!section.name.empty() && section.name != kDefaultProfileName) {
            // A ballast type starts from [default] as it stands above its section.
            VerdictProfile p = set.profiles.front();
            p.name = section.name;
            set.profiles.push_back(p);
            current = &set.profiles.back();
        }
        for (const IniEntry& e : section.entries) {
            const KeyFault why = applyKey(*current, e.key, e.value);
            if (!why.empty())
                errors.push_back(IniError{e.line, why.en, section.name, true, why.zh});
        }
    }
    return set;
}

ProfileParse parseProfiles(const std::string& text)
{
    const IniDocument doc = parseIni(text);
    std::vector<IniError> errors = doc.errors;
    ProfileParse result;
    result.set = readProfiles(doc, errors);
    if (errors.empty())
        return result;
    const IniError& first = *std::min_element(errors.begin(), errors.end(),
                                              [](const IniError& a, const IniError& b) { return a.line < b.line; });
    result = ProfileParse{};
    result.ok = false;
    result.errorLine = first.line;
    result.error = iniErrorText(first);
    return result;
}

std::string profileFileText(const ProfileSet& set)
{
    std::string out = kHeader;
    for (const VerdictProfile& p : set.profiles) {
        writeProfile(out, p);
        out += "\n";
    }
    return out;
}

} // namespace korvex
