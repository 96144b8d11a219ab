// Verdict profiles: the limits a ballast type is judged against, one [section] per ballast type
// in the human-readable limits file kept beside KORVEX.cfg.
#pragma once

#include <string>
#include <vector>

#include "kinds/TestPlan.h"
#include "record/IniFile.h"

namespace korvex {

inline constexpr const char* kProfileFileName = "KORVEX-limits.ini";
inline constexpr const char* kDefaultProfileName = "default";
/// The section of the file that holds the results log's settings (not a profile).
inline constexpr const char* kLogSectionName = "log";

/// The limits of one ballast type. The harmonic limits themselves are those of IEC 61000-3-2
/// Class C and are not part of a profile; a profile only switches them on or off.
struct VerdictProfile {
    std::string name = kDefaultProfileName;

    bool classC = true;    ///< input harmonics, IEC 61000-3-2 Class C
    bool lampCrest = true; ///< lamp current crest factor, both half-waves
    double lampCrestMax = 1.7;
    bool preheat = true; ///< preheat energy between Emin = Q + P*t and Emax = F*Emin

    // Optional limits, off unless the profile switches them on.
    bool powerFactorOn = false;
    double powerFactorMin = 0.95;
    bool currentThdOn = false;
    double currentThdMax = 10.0; ///< %, IEC method
    bool inputPowerOn = false;
    double inputPowerRated = 36.0;     ///< W
    double inputPowerTolerance = 10.0; ///< +-% of the rated power
    bool lampPowerOn = false;
    double lampPowerMin = 30.0; ///< W
    double lampPowerMax = 36.0; ///< W

    // Start test limits, off unless switched on: the lamp ignited (its current at the end of
    // the 5 s capture at least startCurrentMin), the preheat time to ignition and the peak lamp
    // voltage. With any of them on, a lamp that never starts fails.
    bool startCurrentOn = false;
    double startCurrentMin = 0.1; ///< A
    bool startTimeOn = false;
    double startTimeMax = 2.0; ///< s
    bool startVoltageOn = false;
    double startVoltageMax = 1000.0; ///< V

    /// The production sequence of this type, and whether Enter in the serial number field
    /// (a scanner) starts it.
    TestPlan plan = defaultTestPlan();
    bool startOnScan = false;

    friend bool operator==(const VerdictProfile&, const VerdictProfile&) = default;
};

/// The profiles of a file: always holds "default" first.
struct ProfileSet {
    std::vector<VerdictProfile> profiles{VerdictProfile{}};

    /// The profile named name, or nullptr.
    const VerdictProfile* find(const std::string& name) const;
    /// The profile named name, else "default".
    const VerdictProfile& findOrDefault(const std::string& name) const;
    std::vector<std::string> names() const;
};

/// The outcome of reading profile text. On any error the set holds the defaults only and
/// error names the first line that is wrong ("line 7: ...").
struct ProfileParse {
    ProfileSet set;
    bool ok = true;
    int errorLine = 0; ///< 1-based; 0 when ok
    std::string error; ///< English, names the line
};

/// The profiles of a limits file read by parseIni: every section but [log], whose settings
/// belong to the results log. Sections other than [default] start from the values of [default]
/// as read so far, so a ballast type lists only what differs. Each key that is unknown or has a
/// value out of range is added to errors with its line; the set then must not be used.
ProfileSet readProfiles(const IniDocument& doc, std::vector<IniError>& errors);

/// The profiles of a text: its syntax and its profile sections checked ([log] is not).
ProfileParse parseProfiles(const std::string& text);

/// The file text of a set: a comment header explaining the limits, then each profile with
/// every key (LF line ends).
std::string profileFileText(const ProfileSet& set);

} // namespace korvex
