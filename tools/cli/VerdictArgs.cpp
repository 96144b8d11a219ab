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

QString limitsPathOf(const VerdictChoice& choice)
{
    // The same file the window judges with: the user's, else the plant-wide one ('korvex-cli paths').
    return choice.limitsPath.empty() ? locations().limitsFile() : QString::fromLocal8Bit(choice.limitsPath);
}

bool writesMissingLimits(const VerdictChoice& choice)
{
    return choice.limitsPath.empty() && !locations().limitsSystemWide;
}

bool loadLimits(const VerdictChoice& choice, LimitsFile& out)
{
    const QString path = limitsPathOf(choice);
    if (!choice.limitsPath.empty() && !pathExists(choice.limitsPath)) {
        std::fprintf(stderr, "korvex-cli: not judged: %s: no such file\n", choice.limitsPath.c_str());
        return false;
    }
    const bool create = writesMissingLimits(choice);
    if (create)
        writableLocations(); // the user's folder the missing file is written into
    out = readLimitsFile(path, create);
    if (out.ok())
        return true;
    std::fprintf(stderr, "korvex-cli: not judged: %s (%s)\n", qPrintable(out.error), qPrintable(out.path));
    return false;
}

bool chooseProfile(const ProfileSet& set, const VerdictChoice& choice, const TestRecord& r, VerdictProfile& out)
{
    if (!choice.profileName.empty()) {
        const VerdictProfile* p = set.find(choice.profileName);
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
