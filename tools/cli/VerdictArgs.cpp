// Limits file and profile selection for the command-line verdicts.
#include "VerdictArgs.h"

#include <QtCore/QFile>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "record/FileUtil.h"
#include "record/TextCodec.h"

namespace korvex::cli {

bool takeVerdictOption(int argc, char** argv, int& i, VerdictChoice& choice, bool& bad)
{
    const bool limits = std::strcmp(argv[i], "--limits") == 0;
    if (!limits && std::strcmp(argv[i], "--profile") != 0)
        return false;
    if (i + 1 >= argc) {
        std::fprintf(stderr, "korvex-cli: %s needs a value\n", argv[i]);
        bad = true;
        return true;
    }
    (limits ? choice.limitsPath : choice.profileName) = argv[++i];
    return true;
}

ProfileSet loadLimits(VerdictChoice& choice)
{
    if (choice.limitsPath.empty()) {
        const ProfileParse p = loadProfileFile(QFile::encodeName(writableLocations().limitsDir).toStdString());
        if (!p.ok)
            std::fprintf(stderr, "korvex-cli: %s\n", p.error.c_str());
        choice.limitsDamaged = !p.ok;
        return p.set;
    }
    std::string text;
    if (!readWholeFile(choice.limitsPath, text, 1 << 20)) {
        std::fprintf(stderr, "korvex-cli: %s: cannot be read; the built-in default limits are used\n",
                     choice.limitsPath.c_str());
        choice.limitsDamaged = true;
        return {};
    }
    const ProfileParse p = parseProfiles(text);
    if (!p.ok)
        std::fprintf(stderr, "korvex-cli: %s: %s; the built-in default limits are used\n", choice.limitsPath.c_str(),
                     p.error.c_str());
    choice.limitsDamaged = !p.ok;
    return p.set;
}

bool chooseProfile(const ProfileSet& set, const VerdictChoice& choice, const TestRecord& r, VerdictProfile& out)
{
    if (!choice.profileName.empty()) {
        const VerdictProfile* p = set.find(choice.profileName);
        if (!p && choice.limitsDamaged) {
            out = set.findOrDefault({});
            return true;
        }
        if (!p) {
            std::string known;
            for (const std::string& n : set.names())
                known += (known.empty() ? "" : ", ") + n;
            std::fprintf(stderr, "korvex-cli: no profile '%s' in the limits file (known: %s)\n",
                         choice.profileName.c_str(), known.c_str());
            return false;
        }
        out = *p;
        return true;
    }
    out = set.findOrDefault(fieldUtf8(r.infoType));
    return true;
}

} // namespace korvex::cli
