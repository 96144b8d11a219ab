// korvex-cli replay: evaluates a captured run of instrument replies as the window would.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Commands.h"
#include "KindNames.h"
#include "kinds/Energytest.h"
#include "kinds/Evaluate.h"
#include "link/Capture.h"
#include "link/Frames.h"
#include "record/DataFile.h"
#include "record/Spreadsheet.h"
#include "record/TestRecord.h"

namespace korvex::cli {

namespace {

const char* const kUsage = "Usage: korvex-cli replay KIND CAPTURE [--save FILE.kvx] [--csv FILE.csv]\n";

void printInput(const TestRecord& r)
{
    std::printf("Urms %.4g V  Irms %.4g A  Pin %.4g W  PF %.4g  Fin %.4g Hz\n", r.Urms, r.Irms, r.Pin, r.PF, r.Fin);
    std::printf("THDU %.4g %%  THDI %.4g %%  THDIcsa %.4g %%  THDIw %.4g %%\n", r.THDU, r.THDI, r.THDIcsa, r.THDIw);
    std::printf("PhaseStart %.4g  PhasePeak %.4g  PhaseEnd %.4g deg\n", r.PhaseStart, r.PhasePeak, r.PhaseEnd);
}

void printOutput(const TestRecord& r)
{
    std::printf("Ulrms %.4g V  Ilrms %.4g A  Ifrms %.4g A  Ikrms %.4g A\n", r.Ulrms, r.Ilrms, r.Ifrms, r.Ikrms);
    std::printf("Pout %.4g W  Fout %.4g kHz  Ilcf %.4g  Ilncf %.4g  Ildhc %.4g %%\n", r.Pout, r.Fout, r.Ilcf, r.Ilncf,
                r.Ildhc);
}

void printSummary(int32_t kind, const TestRecord& r)
{
    switch (kind) {
    case KindInput:
    case KindPhase: printInput(r); break;
    case KindOutput: printOutput(r); break;
    case KindComprehensive:
        printInput(r);
        printOutput(r);
        break;
    case KindStart:
        std::printf("StrUlp %.4g V  StrIlp %.4g A  StrIfp %.4g A  StrIkp %.4g A  StrT %.4g s\n", r.StrUlp, r.StrIlp,
                    r.StrIfp, r.StrIkp, r.StrT);
        std::printf("cursor %d (%.4g s): Ul %.4g V  Il %.4g A  If %.4g A  Ik %.4g A\n", r.cursorIndex, r.cursorTime,
                    r.cursorUl, r.cursorIl, r.cursorIf, r.cursorIk);
        break;
    case KindEnergy:
        std::printf("preheat %.4g s  energy %.4g J  Umax %.4g V at %.4g s  Imax %.4g A at %.4g s\n", r.preheatTime,
                    r.preheatEnergy, r.filamentUMax, r.filamentUMaxTime, r.filamentIMax, r.filamentIMaxTime);
        break;
    default: break;
    }
}

} // namespace

int cmdReplay(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        std::printf("%s\n"
                    "KIND is one of input, phase, output, comprehensive, start, energy. CAPTURE holds the\n"
                    "instrument's reply blocks of one run in arrival order, after the handshake answer\n"
                    "(an energy capture starts with the acknowledgement \"!\"). The blocks are stored and\n"
                    "evaluated as the window does, the main results are printed, and the record is\n"
                    "saved as a data file (--save) and exported as spreadsheet lines (--csv) when asked.\n"
                    "Exit status: 0 evaluated (and written); 1 usage error; 2 the capture cannot be read,\n"
                    "has the wrong length or a bad energy acknowledgement, or a file cannot be written.\n",
                    kUsage);
        return 0;
    }
    std::string savePath;
    std::string csvPath;
    std::vector<const char*> positional;
    for (int i = 1; i < argc; ++i) {
        const bool save = std::strcmp(argv[i], "--save") == 0;
        if (save || std::strcmp(argv[i], "--csv") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "korvex-cli replay: %s needs a file name\n", argv[i]);
                return 1;
            }
            (save ? savePath : csvPath) = argv[++i];
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "%s", kUsage);
        return 1;
    }
    const int32_t kind = kindByName(positional[0]);
    if (kind == KindNone) {
        std::fprintf(stderr, "korvex-cli replay: unknown test kind '%s'\n%s", positional[0], kUsage);
        return 1;
    }

    std::ifstream in(positional[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "korvex-cli replay: %s: cannot open the capture\n", positional[1]);
        return 2;
    }
    const std::vector<uint8_t> capture{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        std::fprintf(stderr, "korvex-cli replay: %s: read error\n", positional[1]);
        return 2;
    }

    // A record as the window has it after start-up; the test command's reset is part of that.
    TestRecord r;
    resetAllResults(r);
    std::string error;
    if (!loadCapture(r, kind, capture.data(), capture.size(), error)) {
        std::fprintf(stderr, "korvex-cli replay: %s: %s\n", positional[1], error.c_str());
        return 2;
    }
    r.currentTest = kind;
    // Only the evaluation: the energy page's axis scales are the page's business and are
    // prepared when the page is drawn, not here.
    evaluateKind(kind, r);
    printSummary(kind, r);

    int status = 0;
    if (!savePath.empty()) {
        const Notice n = writeDataFile(savePath, r);
        if (!n.ok) {
            std::fprintf(stderr, "korvex-cli replay: cannot write the data file %s\n", n.detail.c_str());
            status = 2;
        }
    }
    if (!csvPath.empty()) {
        const Notice n = exportSpreadsheet(csvPath, r);
        if (!n.ok) {
            std::fprintf(stderr, "korvex-cli replay: cannot write %s\n", n.detail.c_str());
            status = 2;
        }
    }
    return status;
}

} // namespace korvex::cli
