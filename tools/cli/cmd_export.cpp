// korvex-cli export: the spreadsheet title line and one value line per data file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "record/FileUtil.h"
#include "record/Spreadsheet.h"

namespace korvex::cli {

int cmdExport(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        std::printf("Usage: korvex-cli export FILE.kvx... [-o OUT.csv]\n\n"
                    "Writes the spreadsheet title line and then one value line per data file, in\n"
                    "argument order, each ended by CR LF. With one file the output is byte for byte\n"
                    "the window's export. Without -o the lines go to standard output; OUT.csv is written\n"
                    "through a temporary file and replaced only when complete.\n"
                    "Exit status: 0 written; 1 usage error; 2 a file cannot be read, has an unknown tag or\n"
                    "is too short (then nothing is written), or the output cannot be written.\n");
        return 0;
    }
    std::vector<std::string> files;
    std::string outPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "korvex-cli export: -o needs a file name\n");
                return 1;
            }
            outPath = argv[++i];
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "Usage: korvex-cli export FILE.kvx... [-o OUT.csv]\n");
        return 1;
    }
    std::string bytes = spreadsheetTitleLine() + "\r\n";
    bytes.reserve(bytes.size() + files.size() * 360);
    bool ok = true;
    for (const std::string& f : files) {
        // Each file starts from a freshly reset record, so no value carries over between files.
        TestRecord r;
        resetAllResults(r);
        if (!loadDataFile(f, r)) {
            ok = false;
            continue; // report every bad file, write nothing
        }
        bytes += spreadsheetValueLine(r);
        bytes += "\r\n";
    }
    if (!ok)
        return 2;
    if (outPath.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    if (!replaceFileAtomically(outPath, bytes)) {
        std::fprintf(stderr, "korvex-cli export: cannot write %s: %s\n", outPath.c_str(), std::strerror(errno));
        return 2;
    }
    return 0;
}

} // namespace korvex::cli
