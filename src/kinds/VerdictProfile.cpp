// The profile file: "[name]" sections of "key = value" lines, "#" comments.
#include "kinds/VerdictProfile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "record/FileUtil.h"

namespace korvex {

namespace {

/// A limit switched by a flag: "off" or a number (which switches it on).
struct OptionalKey {
    const char* key;
    bool VerdictProfile::*on;
    double VerdictProfile::*value;
};

/// Plain numbers that belong to a switched limit but do not switch it.
struct NumberKey {
    const char* key;
    double VerdictProfile::*value;
};

struct SwitchKey {
    const char* key;
    bool VerdictProfile::*on;
};

const SwitchKey kSwitches[] = {
    {"class_c_harmonics", &VerdictProfile::classC},
    {"preheat_energy", &VerdictProfile::preheat},
};

const OptionalKey kOptional[] = {
    {"lamp_current_crest_factor_max", &VerdictProfile::lampCrest, &VerdictProfile::lampCrestMax},
    {"power_factor_min", &VerdictProfile::powerFactorOn, &VerdictProfile::powerFactorMin},
    {"current_thd_max", &VerdictProfile::currentThdOn, &VerdictProfile::currentThdMax},
    {"input_power_rated", &VerdictProfile::inputPowerOn, &VerdictProfile::inputPowerRated},
    {"lamp_power_min", &VerdictProfile::lampPowerOn, &VerdictProfile::lampPowerMin},
};

const NumberKey kNumbers[] = {
    {"input_power_tolerance", &VerdictProfile::inputPowerTolerance},
    {"lamp_power_max", &VerdictProfile::lampPowerMax},
};

std::string trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

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

/// "'key' must be WHAT, not 'value'": the reason a value is refused.
std::string mustBe(const std::string& key, const char* what, const std::string& value)
{
    std::string reason = "'";
    reason += key;
    reason += "' must be ";
    reason += what;
    reason += ", not '";
    reason += value;
    reason += "'";
    return reason;
}

/// Applies one key; an empty return means success, else the reason.
std::string applyKey(VerdictProfile& p, const std::string& key, const std::string& value)
{
    for (const SwitchKey& k : kSwitches)
        if (key == k.key) {
            if (value != "on" && value != "off")
                return mustBe(key, "on or off", value);
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
            if (!parseNumber(value, v) || v < 0)
                return mustBe(key, "off or a number not below 0", value);
            p.*k.on = true;
            p.*k.value = v;
            return {};
        }
    for (const NumberKey& k : kNumbers)
        if (key == k.key) {
            double v = 0;
            if (!parseNumber(value, v) || v < 0)
                return mustBe(key, "a number not below 0", value);
            p.*k.value = v;
            return {};
        }
    return "unknown key '" + key + "'";
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
}

const char* const kHeader =
    "# KORVEX verdict limits. One [section] per ballast type; the section whose name equals the\n"
    "# product type of the test information is used, else [default]. A section lists only what\n"
    "# differs from [default]. Lines starting with # are comments.\n"
    "#\n"
    "# class_c_harmonics = on|off   input current harmonics, IEC 61000-3-2 Class C:\n"
    "#   above 25 W, % of the fundamental: 2nd 2, 3rd 30*PF, 5th 10, 7th 7, 9th 5, 11th-39th 3;\n"
    "#   5 W to 25 W: either (a) mA/W: 3rd 3.4, 5th 1.9, 7th 1.0, 9th 0.5, 11th 0.35,\n"
    "#   13th-39th 3.85/n, or (b) 3rd <= 86 %, 5th <= 61 %, current starts <= 60 deg, peaks\n"
    "#   <= 65 deg and ends >= 90 deg; below 5 W no limits. Harmonics below 0.6 % of the input\n"
    "#   current or below 5 mA are disregarded. Over repeated runs the average must be within\n"
    "#   the limit and no single run above 150 % of it.\n"
    "# lamp_current_crest_factor_max = number|off   both half-waves of the lamp current\n"
    "# preheat_energy = on|off      Q + P*t <= energy at the end of preheat <= F*(Q + P*t),\n"
    "#                              with the filament parameters Q, P, F of the test\n"
    "# power_factor_min, current_thd_max (%, IEC) = number|off\n"
    "# input_power_rated (W) = number|off, within +-input_power_tolerance (%)\n"
    "# lamp_power_min (W) = number|off, switches on the range lamp_power_min..lamp_power_max\n"
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

ProfileParse parseProfiles(const std::string& text)
{
    ProfileParse result;
    ProfileSet set;
    VerdictProfile* current = &set.profiles.front();
    auto fail = [&](int line, const std::string& why) {
        ProfileParse bad;
        bad.ok = false;
        bad.errorLine = line;
        bad.error = "line " + std::to_string(line) + ": " + why;
        return bad;
    };
    int lineNo = 0;
    size_t pos = 0;
    bool inLog = false; // the [log] section holds the results log's settings, not limits
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        ++lineNo;
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3); // a byte order mark left by an editor
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(lineNo, "a section line must end with ']'");
            const std::string name = trim(line.substr(1, line.size() - 2));
            if (name.empty())
                return fail(lineNo, "empty section name");
            inLog = name == kLogSectionName;
            if (inLog)
                continue;
            if (name == kDefaultProfileName) {
                current = &set.profiles.front();
                continue;
            }
            if (set.find(name))
                return fail(lineNo, "section [" + name + "] appears twice");
            VerdictProfile p = set.profiles.front();
            p.name = name;
            set.profiles.push_back(p);
            current = &set.profiles.back();
            continue;
        }
        if (inLog)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            return fail(lineNo, "expected 'key = value' or '[name]', found '" + line + "'");
        // A value may carry a trailing comment.
        std::string value = line.substr(eq + 1);
        if (const size_t hash = value.find('#'); hash != std::string::npos)
            value.erase(hash);
        const std::string why = applyKey(*current, trim(line.substr(0, eq)), trim(value));
        if (!why.empty())
            return fail(lineNo, why);
    }
    result.set = std::move(set);
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

ProfileParse loadProfileFile(const std::string& dir)
{
    const std::string path = dir + kProfileFileName;
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::path(path), ec);
    std::string text;
    if (!exists && !ec) {
        ProfileParse defaults;
        replaceFileAtomically(path, profileFileText(defaults.set));
        return defaults;
    }
    if (!readWholeFile(path, text, 1 << 20)) {
        ProfileParse unreadable;
        unreadable.ok = false;
        unreadable.error = path + ": cannot be read; the built-in default limits are used";
        return unreadable;
    }
    ProfileParse parsed = parseProfiles(text);
    if (!parsed.ok)
        parsed.error = path + ": " + parsed.error + "; the built-in default limits are used";
    return parsed;
}

} // namespace korvex
