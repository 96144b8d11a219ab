// Whole-file reads and atomic replacement of a file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

/// Reads a whole file, or its first maxBytes bytes; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = static_cast<size_t>(-1));

/// Writes bytes to a temporary file in the target's folder, flushes it to disk and renames it
/// over path. On any failure the temporary file is removed, an existing target is left as it
/// was, and false is returned.
bool replaceFileAtomically(const std::string& path, std::string_view bytes);

} // namespace korvex
