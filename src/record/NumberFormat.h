// Number texts of the pages, dialogs, export and configuration file.
#pragma once

#include <string>

namespace korvex {

/// The toolkit's fixed format: rounds to `precision` significant digits (half away from zero),
/// then writes exactly `decimals` digits after the point, padding with zeros. A value whose
/// integer part needs more than `precision` digits is written in scientific notation
/// ("1.2346E5" for 123456 at precision 5, trailing zeros of the mantissa dropped). Negative values get "-". NaN and
/// infinities read "NAN", "INF" and "-INF".
std::string formatFixed(double value, int precision, int decimals);

/// Shortest general form with up to `precision` significant digits, as the configuration file
/// writes the filament parameters (6 digits): 7 -> "7", 1.5 -> "1.5", 1234567 -> "1.23457E+06",
/// 0.000001 -> "1E-06". A value whose integer part needs more digits than `precision` is
/// written in scientific notation.
std::string formatGeneral(double value, int precision = 6);

/// Parses a decimal number as the configuration file and the filament dialog read them
/// (optional sign, digits, point, exponent; surrounding blanks allowed). Returns false when
/// the text is not a number.
bool parseNumber(const std::string& text, double& value);

} // namespace korvex
