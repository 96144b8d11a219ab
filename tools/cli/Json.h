// Minimal JSON text helpers for the command-line tool.
#pragma once

#include <string>
#include <string_view>

namespace korvex::cli {

/// A JSON string literal (quotes included) of UTF-8 text.
std::string jsonString(std::string_view utf8);
/// A float that reads back to the same single-precision value; non-finite values as the
/// strings "NaN", "Infinity", "-Infinity".
std::string jsonFloat(float v);

} // namespace korvex::cli
