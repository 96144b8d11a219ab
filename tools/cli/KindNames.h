// The test kinds' names on the command line.
#pragma once

#include <cstdint>
#include <string>

namespace korvex::cli {

/// input, phase, output, comprehensive, start or energy to its kind; 0 for any other text.
int32_t kindByName(const std::string& name);

/// The name of a kind 1..6; "none" for any other value.
const char* kindName(int32_t kind);

} // namespace korvex::cli
