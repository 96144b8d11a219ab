// The verdict options shared by the verdict, run and report commands: which limits file, which
// profile, and whether the limits can be used at all.
#pragma once

#include <QtCore/QString>
#include <string>

#include "kinds/Verdict.h"
#include "kinds/VerdictProfile.h"
#include "log/LimitsFile.h"

namespace korvex::cli {

struct VerdictChoice {
    std::string limitsPath;  ///< --limits FILE; empty: the KORVEX-limits.ini 'korvex-cli paths' names
    std::string profileName; ///< --profile NAME; empty: the record's product type, else default
};

/// Takes "--limits FILE" or "--profile NAME" at argv[i] (advancing i); false when argv[i] is
/// neither. A missing value is reported on stderr and sets bad.
bool takeVerdictOption(int argc, char** argv, int& i, VerdictChoice& choice, bool& bad);

/// The limits file the choice names: --limits FILE, else the one the location rule names (the
/// user's, else the plant-wide one).
QString limitsPathOf(const VerdictChoice& choice);

/// Whether a missing limits file is to be written with the defaults: only the user's own
/// default file; never a --limits file, never the plant-wide one.
bool writesMissingLimits(const VerdictChoice& choice);

/// Reads the limits. False when nothing may be judged with them: a --limits file that is not
/// there, or a file that is damaged (stderr then says "not judged: FILE line N: ...").
bool loadLimits(const VerdictChoice& choice, LimitsFile& out);

/// The profile for a record: the named one, else the one named like the record's product type,
/// else "default". False (reported on stderr) when a name was given that the set lacks.
bool chooseProfile(const ProfileSet& set, const VerdictChoice& choice, const TestRecord& r, VerdictProfile& out);

} // namespace korvex::cli
