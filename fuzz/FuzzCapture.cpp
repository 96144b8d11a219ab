// libFuzzer target: a capture of reply blocks, as `korvex-cli replay` splits and evaluates it.
// The first byte picks the kind (1..6); the rest is the capture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kinds/Evaluate.h"
#include "link/Capture.h"
#include "record/Spreadsheet.h"
#include "record/TestRecord.h"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t kind = int32_t(data[0] % 6) + 1;
    TestRecord r;
    resetAllResults(r);
    std::string error;
    if (!loadCapture(r, kind, data + 1, size - 1, error)) {
        if (error.empty())
            __builtin_trap(); // a refused capture always says why
        return 0;
    }
    r.currentTest = kind;
    evaluateKind(kind, r);
    (void)spreadsheetValueLine(r);
    return 0;
}
