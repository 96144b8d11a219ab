// korvex-cli: the KORVEX front end's command-line tool.
#include <cstdio>
#include <cstring>

#include "Commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* summary;
};

const Command kCommands[] = {
    {"dump", korvex::cli::cmdDump, "print every stored field of a data file as JSON"},
    {"export", korvex::cli::cmdExport, "write the spreadsheet lines of data files as CSV"},
    {"replay", korvex::cli::cmdReplay, "evaluate a capture of instrument replies"},
    {"run", korvex::cli::cmdRun, "run a test on an instrument or the simulated instrument"},
    {"plan", korvex::cli::cmdPlan, "run one ballast through its product type's test plan, one verdict"},
    {"report", korvex::cli::cmdReport, "write the print pages of a data file as PDF"},
    {"render", korvex::cli::cmdRender, "write the screen page of a data file as PNG"},
    {"verdict", korvex::cli::cmdVerdict, "judge data files against the limits (Class C, crest factor, preheat)"},
    {"log", korvex::cli::cmdLog, "list, show and summarise the runs of the results log"},
    {"paths", korvex::cli::cmdPaths, "show where the settings, limits and results log are kept"},
};

void usage(FILE* out)
{
    std::fprintf(out, "Usage: korvex-cli COMMAND [ARGS...]\n\nCommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'korvex-cli COMMAND --help' describes a command.\n"
                      "Exit status of every command: 0 success, 1 usage error, 2 a file, page or link failure.\n");
}

} // namespace

bool korvex::cli::wantsHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 1;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0) {
        usage(stdout);
        return 0;
    }
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0)
            return c.run(argc - 1, argv + 1); // argv[0] of the subcommand is its name
    std::fprintf(stderr, "korvex-cli: unknown command '%s'\n", argv[1]);
    usage(stderr);
    return 1;
}
