// Conversion between the record's code page 936 texts and UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

/// Decodes code page 936 bytes (up to the first NUL) to UTF-8. Bytes that are not valid
/// code page 936 become U+FFFD.
std::string cp936ToUtf8(std::string_view bytes);

/// Encodes UTF-8 text as code page 936. Characters that code page 936 cannot hold become "?".
std::string utf8ToCp936(std::string_view utf8);

/// Cuts code page 936 bytes to at most maxBytes without splitting a double-byte character.
std::string truncateCp936(std::string_view bytes, size_t maxBytes);

/// Stores code page 936 bytes in a text field of n bytes: at most n-1 bytes (never splitting
/// a character), NUL-terminated, the rest of the buffer zeroed.
void storeText(char* field, size_t n, std::string_view cp936Bytes);
template <size_t N> void storeText(char (&field)[N], std::string_view cp936Bytes)
{
    storeText(field, N, cp936Bytes);
}

/// The bytes of a text field up to its terminator (or all n bytes when there is none).
std::string fieldText(const char* field, size_t n);
template <size_t N> std::string fieldText(const char (&field)[N])
{
    return fieldText(field, N);
}

/// A text field as UTF-8.
template <size_t N> std::string fieldUtf8(const char (&field)[N])
{
    return cp936ToUtf8(fieldText(field, N));
}

} // namespace korvex
