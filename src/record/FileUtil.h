// Whole-file reads, atomic replacement of a file and creation of a file that must not exist yet.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

/// Reads a whole file, or its first maxBytes bytes; false when it cannot be opened or read,
/// or is not a regular file (a FIFO or a device could block the reader for ever).
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = static_cast<size_t>(-1));

/// True when something (of any type) exists at path.
bool pathExists(const std::string& path);
/// True when path names something that exists and is not a regular file (a folder, a FIFO,
/// a device).
bool isSpecialFile(const std::string& path);

/// Writes bytes to a temporary file in the target's folder, flushes it to disk and renames it
/// over path. On any failure the temporary file is removed, an existing target is left as it
/// was, and false is returned with errno telling why.
bool replaceFileAtomically(const std::string& path, std::string_view bytes);

/// Creates path with bytes, written completely before it appears, only when nothing is there:
/// an existing file is never touched (false, errno EEXIST). Other failures as above.
bool createFileExclusively(const std::string& path, std::string_view bytes);

} // namespace korvex
