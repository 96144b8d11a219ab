// The verdict options shared by the verdict, run and report commands: which limits file, which
// profile, and how a verdict is printed.
#pragma once

#include <string>

#include "kinds/Verdict.h"
#include "kinds/VerdictProfile.h"

namespace korvex::cli {

struct VerdictChoice {
    std::string limitsPath;     ///< --limits FILE; empty: the one 'korvex-cli paths' names
    std::string profileName;    ///< --profile NAME; empty: the record's product type, else default
    bool limitsDamaged = false; ///< set by loadLimits: the defaults stand in for every profile
};

/// Takes "--limits FILE" or "--profile NAME" at argv[i] (advancing i); false when argv[i] is
/// neither. A missing value is reported on stderr and sets bad.
bool takeVerdictOption(int argc, char** argv, int& i, VerdictChoice& choice, bool& bad);

/// Reads the limits file. A damaged or unreadable file is reported on stderr (naming the line)
/// and the defaults are used; a missing default file is created with the defaults.
ProfileSet loadLimits(VerdictChoice& choice);

/// The profile for a record: the named one, else the one named like the record's product type,
/// else "default". False (reported on stderr) when a name was given that the set lacks, unless
/// the limits file was damaged (then the defaults stand in).
bool chooseProfile(const ProfileSet& set, const VerdictChoice& choice, const TestRecord& r, VerdictProfile& out);

} // namespace korvex::cli
