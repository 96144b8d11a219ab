// The [archive] section's keys, the name pattern and the file-name-safe serial and type.
#include "kinds/ArchiveSettings.h"

#include <cstdio>

namespace korvex {

namespace {

constexpr const char* kPlaceholders[] = {"date", "time", "serial", "type", "verdict"};
constexpr size_t kMaxPartBytes = 64; // leaves room for folders, a counter and an extension

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

bool hasControl(std::string_view s)
{
    for (const char c : s)
        if (isControl(static_cast<unsigned char>(c)))
            return true;
    return false;
}

/// Length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t utf8Length(std::string_view s, size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xc2 && c <= 0xdf)
        n = 2;
    else if (c >= 0xe0 && c <= 0xef)
        n = 3;
    else if (c >= 0xf0 && c <= 0xf4)
        n = 4;
    else
        return 0;
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80)
            return 0;
    return n;
}

std::string twoDigits(int v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

} // namespace

PatternFault archivePatternFault(std::string_view pattern)
{
    const std::string shown(pattern);
    if (pattern.empty())
        return {"'pattern' is empty (leave the line out for " + std::string(kDefaultArchivePattern) + ")",
                "'pattern' 为空（使用 " + std::string(kDefaultArchivePattern) + " 时请删去此行）"};
    if (pattern.front() == '/')
        return {"'pattern' must name files below the folder, not '" + shown + "'",
                "'pattern' 应为文件夹之下的名称，而不是 '" + shown + "'"};
    if (hasControl(pattern) || pattern.find('\\') != std::string_view::npos)
        return {"'pattern' must not hold a backslash or a control character", "'pattern' 不能含反斜杠或控制字符"};
    // Placeholders: every '{' opens a known name closed by '}'; no other brace.
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '}')
            return {"'pattern' has a '}' without '{'", "'pattern' 中的 '}' 没有对应的 '{'"};
        if (pattern[i] != '{')
            continue;
        const size_t close = pattern.find('}', i);
        if (close == std::string_view::npos)
            return {"'pattern' has a '{' without '}'", "'pattern' 中的 '{' 没有对应的 '}'"};
        const std::string_view name = pattern.substr(i + 1, close - i - 1);
        bool known = false;
        for (const char* p : kPlaceholders)
            known = known || name == p;
        if (!known)
            return {"unknown placeholder '{" + std::string(name) +
                        "}' in 'pattern' (known: {date}, {time}, {serial}, "
                        "{type}, {verdict})",
                    "'pattern' 中的未知占位符 '{" + std::string(name) +
                        "}'（可用：{date}、{time}、{serial}、{type}、{verdict}）"};
        i = close;
    }
    // Each part between slashes names a file or a folder: none may be empty, "." or "..".
    size_t start = 0;
    while (true) {
        const size_t slash = pattern.find('/', start);
        const std::string_view part = pattern.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..")
            return {"'pattern' has an empty, '.' or '..' part: '" + shown + "'",
                    "'pattern' 含有空的、'.' 或 '..' 部分：'" + shown + "'"};
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    return {};
}

ArchiveSettings readArchiveSettings(const IniDocument& doc, std::vector<IniError>& errors)
{
    ArchiveSettings s;
    const IniSection* section = doc.find(kArchiveSectionName);
    if (!section)
        return s;
    for (const IniEntry& e : section->entries) {
        PatternFault why;
        if (e.key == "folder") {
            // Empty switches the archive off, as a missing line does.
            if (hasControl(e.value))
                why = {"'folder' must not hold a control character", "'folder' 不能含控制字符"};
            s.folder = e.value;
        } else if (e.key == "pattern") {
            why = archivePatternFault(e.value);
            s.pattern = e.value;
        } else {
            why = {"unknown key '" + e.key + "' in [archive] (known: folder, pattern)",
                   "[archive] 中的未知键 '" + e.key + "'（可用的键：folder、pattern）"};
        }
        if (!why.empty())
            errors.push_back(IniError{e.line, why.en, kArchiveSectionName, true, why.zh});
    }
    return s;
}

std::string safeNamePart(std::string_view text)
{
    size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    text = text.substr(first, last - first);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = utf8Length(text, i);
        if (n == 0) { // a byte that is not UTF-8
            if (out.size() + 1 > kMaxPartBytes)
                break;
            out += '_';
            ++i;
            continue;
        }
        if (out.size() + n > kMaxPartBytes)
            break;
        const char c = text[i];
        if (n == 1 && (isControl(static_cast<unsigned char>(c)) ||
                       std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos))
            out += '_';
        else
            out.append(text.substr(i, n));
        i += n;
    }
    if (!out.empty() && out.front() == '.')
        out.front() = '_';
    return out.empty() ? "_" : out;
}

std::string expandArchivePattern(std::string_view pattern, const ArchiveNameParts& parts)
{
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out += pattern[i];
            continue;
        }
        const std::string_view name = pattern.substr(i + 1, close - i - 1);
        if (name == "date")
            out += std::to_string(parts.year) + "-" + twoDigits(parts.month) + "-" + twoDigits(parts.day);
        else if (name == "time")
            out += twoDigits(parts.hour) + twoDigits(parts.minute) + twoDigits(parts.second);
        else if (name == "serial")
            out += safeNamePart(parts.serial);
        else if (name == "type")
            out += safeNamePart(parts.type);
        else if (name == "verdict")
            out += safeNamePart(parts.verdict);
        else
            out.append(pattern.substr(i, close - i + 1));
        i = close;
    }
    return out;
}

} // namespace korvex
