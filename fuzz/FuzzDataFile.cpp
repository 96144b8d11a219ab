// libFuzzer target: a data file image through the reader, the export line and every page.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kinds/Pages.h"
#include "record/DataFile.h"
#include "record/Spreadsheet.h"
#include "record/TestRecord.h"
#include "support/RecordingCanvas.h"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> image(data, data + size);
    DataVersion version{};
    TestRecord raw;
    decodeRaw(image, raw, version); // as `dump` reads it

    TestRecord r;
    resetAllResults(r);
    if (!decodeDataFile(image, r, &version).ok)
        return 0;
    (void)spreadsheetValueLine(r);
    if (encodeDataFile(r).size() != sizeOf(DataVersion::V32))
        __builtin_trap();
    // The pages draw whatever the file holds: NaN, infinities, huge scales, odd indexes.
    for (int32_t kind = KindInput; kind <= KindEnergy; ++kind) {
        for (int chinese = 0; chinese <= 1; ++chinese) {
            r.chinese = chinese;
            r.currentTest = kind;
            RecordingCanvas screen;
            drawScreenPage(screen, r);
            RecordingCanvas printer;
            drawPrintPage(printer, r, kind, chinese);
        }
    }
    return 0;
}
