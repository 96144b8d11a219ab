// libFuzzer target: KORVEX.cfg bytes through the line splitter, the value readers and the writer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "record/Configuration.h"
#include "record/TestRecord.h"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Configuration cfg;
    cfg.setLines(Configuration::splitLines(bytes));
    TestRecord r;
    Settings s;
    cfg.applyTo(r, s);
    // Filament values are finite single floats, whatever the file says.
    if (!std::isfinite(r.qPara) || !std::isfinite(r.pPara) || !std::isfinite(r.fPara))
        __builtin_trap();
    if (s.portName[sizeof s.portName - 1] != '\0')
        __builtin_trap();
    // Written back and read again, every value is still within its field.
    cfg.takeFrom(r, s);
    Configuration again;
    again.setLines(Configuration::splitLines(cfg.fileBytes()));
    TestRecord r2;
    Settings s2;
    again.applyTo(r2, s2);
    if (!std::isfinite(r2.qPara) || s2.portName[sizeof s2.portName - 1] != '\0')
        __builtin_trap();
    return 0;
}
