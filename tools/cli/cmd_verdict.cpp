// korvex-cli verdict: judges data files against the limits profile and prints the verdicts as a
// table, JSON or CSV; the exit status says whether every file passed.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "Json.h"
#include "VerdictArgs.h"
#include "kinds/Verdict.h"
#include "kinds/VerdictOutput.h"

namespace korvex::cli {

namespace {

const char* const kUsage =
    "Usage: korvex-cli verdict FILE.kvx... [--profile NAME] [--limits FILE] [--json | --csv] [--lang en|zh]\n";

} // namespace

int cmdVerdict(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        std::printf("%s\n"
                    "Judges each data file against its limits: IEC 61000-3-2 Class C input harmonics, lamp\n"
                    "current crest factor, preheat energy and the optional limits the profile switches on.\n"
                    "The limits come from --limits FILE, else from the KORVEX-limits.ini that 'korvex-cli\n"
                    "paths' names (the user's is written with the defaults on first use; a plant-wide one is\n"
                    "only read); the profile is --profile NAME, else the one named like the file's product\n"
                    "type, else [default]. While the limits file is damaged nothing is judged: the tool names\n"
                    "the file and line and exits with 2.\n"
                    "--json prints one JSON array (every limit with value, limit, margin and result), --csv\n"
                    "one title line and one line per file; --lang chooses the table's language (default en).\n"
                    "Exit status: 0 every file passes or has no checks (start results alone), 3 any file\n"
                    "fails or holds no results, 1 usage error or unknown profile, 2 a data file that cannot\n"
                    "be read or a limits file that is damaged.\n",
                    kUsage);
        return 0;
    }
    VerdictChoice choice;
    bool json = false, csv = false, chinese = false, bad = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (takeVerdictOption(argc, argv, i, choice, bad)) {
            if (bad)
                return 1;
        } else if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--csv") == 0) {
            csv = true;
        } else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc &&
                   (std::strcmp(argv[i + 1], "en") == 0 || std::strcmp(argv[i + 1], "zh") == 0)) {
            chinese = std::strcmp(argv[++i], "zh") == 0;
        } else if (argv[i][0] != '-') {
            files.emplace_back(argv[i]);
        } else {
            std::fputs(kUsage, stderr);
            return 1;
        }
    }
    if (files.empty() || (json && csv)) {
        std::fputs(kUsage, stderr);
        return 1;
    }

    LimitsFile limits;
    if (!loadLimits(choice, limits))
        return 2;
    bool unreadable = false, failed = false;
    std::string out;
    if (json)
        out = "[";
    if (csv)
        out = verdictCsvTitle() + "\r\n";
    bool firstJson = true;
    for (const std::string& file : files) {
        TestRecord r;
        if (!loadDataFile(file, r)) {
            unreadable = true;
            continue;
        }
        VerdictProfile profile;
        if (!chooseProfile(limits.profiles, choice, r, profile))
            return 1;
        const Verdict v = judgeRecord(r, profile);
        // No checks for what a file holds (start results alone) is no failure; a file that
        // holds no results at all has nothing to show and is.
        bool holdsResults = false;
        for (int32_t k = KindInput; k <= KindEnergy; ++k)
            holdsResults = holdsResults || r.hasResult(k) != 0;
        failed = failed || v.result() == VerdictResult::Fail || !holdsResults;
        if (json) {
            // The file's name first, then the verdict's own fields.
            out += (firstJson ? "{\"file\":" : ",{\"file\":") + jsonString(file) + "," + verdictJson(v).substr(1);
            firstJson = false;
        } else if (csv) {
            out += verdictCsvLine(file, v) + "\r\n";
        } else {
            out += file + ": " + verdictText(v, chinese) + "\n";
        }
    }
    if (json)
        out += "]\n";
    std::fputs(out.c_str(), stdout);
    return unreadable ? 2 : failed ? 3 : 0;
}

} // namespace korvex::cli
