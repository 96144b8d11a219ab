// Loading data files named on the command line, with the tool's error reporting.
#pragma once

#include <string>
#include <vector>

#include "record/DataFile.h"

namespace korvex::cli {

/// Reads a data file's bytes and decodes its stored fields as they are (see decodeRaw).
/// On failure prints "korvex-cli: FILE: reason" on stderr and returns false.
bool loadRawDataFile(const std::string& path, TestRecord& r, DataVersion& version);

/// Reads a data file as the window does (readDataFile: range checks, resultsShown). On failure
/// prints "korvex-cli: FILE: reason" on stderr and returns false.
bool loadDataFile(const std::string& path, TestRecord& r, DataVersion* version = nullptr);

} // namespace korvex::cli
