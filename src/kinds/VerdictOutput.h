// A verdict written out: one JSON object (the log and korvex-cli), a plain-text table for a
// terminal, and CSV lines.
#pragma once

#include <string>

#include "kinds/Verdict.h"

namespace korvex {

/// The verdict as one JSON object (UTF-8): overall result (resultKey), profile, runs, the reason
/// when not judged, and every check with value, limit, margin and result. Non-finite numbers
/// are written as null.
std::string verdictJson(const Verdict& v);
/// A plain-text table for a terminal, in English or Chinese.
std::string verdictText(const Verdict& v, bool chinese);

/// CSV of verdicts: a fixed title line and one line per judged file (no line ends).
std::string verdictCsvTitle();
std::string verdictCsvLine(const std::string& file, const Verdict& v);

} // namespace korvex
