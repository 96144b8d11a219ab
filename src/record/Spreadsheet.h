// The spreadsheet export: one title line and one line of 43 values, comma-separated.
#pragma once

#include <string>

#include "record/Notice.h"
#include "record/TestRecord.h"

namespace korvex {

/// The 340-character title line, without line end.
const std::string& spreadsheetTitleLine();
/// The value line of a record, without line end.
std::string spreadsheetValueLine(const TestRecord& r);

/// Writes the title line and the value line (each ended by CR LF) to path, replacing the file
/// atomically; on failure "Export data failure!" / "Notice".
Notice exportSpreadsheet(const std::string& path, const TestRecord& r);

} // namespace korvex
