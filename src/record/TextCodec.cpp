// Code page 936 conversion through iconv (glibc) or the Windows code page functions.
#include "record/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace korvex {

namespace {

#ifndef _WIN32
/// Converts with iconv; an invalid or unconvertible input sequence is replaced and skipped.
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    size_t badInputStep)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr): iconv_open's failure value
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 2);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buf[256];
    while (inLeft > 0) {
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf, static_cast<size_t>(outPtr - buf));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: replace the offending bytes and go on.
            out.append(replacement);
            size_t step = badInputStep;
            if (badInputStep == 0) { // UTF-8 input: skip one whole character
                const unsigned char c = static_cast<unsigned char>(*inPtr);
                step = c < 0x80 ? 1 : (c >= 0xF0 ? 4 : (c >= 0xE0 ? 3 : (c >= 0xC0 ? 2 : 1)));
            }
            step = std::min(step, inLeft);
            inPtr += step;
            inLeft -= step;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}
#endif

/// Plain ASCII reads the same in code page 936 and in UTF-8: no conversion is needed (most
/// texts of a record are numbers and Latin names, converted at every drawing of a page).
bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// Length of the character starting at bytes[i] in code page 936 (lead byte 0x81..0xFE).
size_t charLength(std::string_view bytes, size_t i)
{
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    return (c >= 0x81 && c <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
}

} // namespace

std::string cp936ToUtf8(std::string_view bytes)
{
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    if (isAscii(bytes))
        return std::string(bytes);
#ifdef _WIN32
    // Windows: via UTF-16.
    const int wn = MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), wn);
    const int un = WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(un), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, out.data(), un, nullptr, nullptr);
    return out;
#else
    return convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD", 1);
#endif
}

std::string utf8ToCp936(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
#ifdef _WIN32
    const int wn = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), wn);
    const int n = WideCharToMultiByte(936, 0, w.data(), wn, nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, w.data(), wn, out.data(), n, "?", nullptr);
    return out;
#else
    return convert("GBK", "UTF-8", utf8, "?", 0);
#endif
}

std::string truncateCp936(std::string_view bytes, size_t maxBytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t len = charLength(bytes, i);
        if (i + len > maxBytes)
            break;
        i += len;
    }
    return std::string(bytes.substr(0, i));
}

void storeText(char* field, size_t n, std::string_view cp936Bytes)
{
    if (n == 0)
        return;
    const size_t nul = cp936Bytes.find('\0');
    if (nul != std::string_view::npos)
        cp936Bytes = cp936Bytes.substr(0, nul);
    const std::string kept = truncateCp936(cp936Bytes, n - 1);
    std::memset(field, 0, n); // the rest of the field, and at least its last byte, stays 0
    std::copy(kept.begin(), kept.end(), field);
}

std::string fieldText(const char* field, size_t n)
{
    const void* nul = std::memchr(field, 0, n);
    const size_t len = nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : n;
    return std::string(field, len);
}

} // namespace korvex
