// The columns of a logged run: the 43 values of the spreadsheet export plus the preheat energy
// figures, each with the test kinds that measure it, and the ten test information texts.
#pragma once

#include <cstdint>
#include <span>

#include "record/TestRecord.h"

namespace korvex {

struct LogValueColumn {
    const char* name;   ///< the record's field name ("Pin"), shown to users and accepted by tools
    const char* column; ///< the SQL column ("pin")
    float TestRecord::*field;
    uint32_t kinds; ///< bit (1 << kind) for each kind whose run measures the value
    int decimals;   ///< as in the spreadsheet export (4 significant digits)
};

struct LogTextColumn {
    const char* name;   ///< the record's field name ("infoNo")
    const char* column; ///< the SQL column ("info_no")
    const char* (*at)(const TestRecord&);
    int size; ///< the field's size in bytes, terminator included
};

/// The 43 values of the spreadsheet export in its column order, then preheatEnergy and
/// preheatTime.
std::span<const LogValueColumn> logValueColumns();
/// The ten test information texts and testDate.
std::span<const LogTextColumn> logTextColumns();
/// A value column by its field name (case-insensitive) or SQL column; nullptr when unknown.
const LogValueColumn* findLogValue(const char* name);
inline bool measuredBy(const LogValueColumn& c, int32_t kind)
{
    return (c.kinds >> kind) & 1u;
}

} // namespace korvex
