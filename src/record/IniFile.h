// The reader of the settings files written by people (KORVEX-limits.ini): "[section]" lines,
// "key = value" lines and comments. Every section of such a file is read by this one reader;
// what a key means is checked by the section's owner, which reports against the same lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

struct IniEntry {
    int line = 0; ///< 1-based
    std::string key;
    std::string value; ///< trimmed, without a trailing comment
};

struct IniSection {
    std::string name; ///< "" for lines before the first section line
    int line = 0;     ///< of the section line; 0 for the unnamed part
    std::vector<IniEntry> entries;
};

/// Something wrong at a line: "section" is the section the line belongs to. A section line
/// that cannot be read leaves the lines up to the next section line without a known section
/// (sectionKnown false); they are not read.
struct IniError {
    int line = 0;
    std::string message; ///< English, without the line number
    std::string section;
    bool sectionKnown = true;
    std::string messageZh; ///< the same in Chinese, for a window showing Chinese
};

struct IniDocument {
    std::vector<IniSection> sections; ///< in file order; each name once
    std::vector<IniError> errors;     ///< in line order

    const IniSection* find(const std::string& name) const;
};

/// Reads the text. Lines end with CR LF, LF or CR alike; a UTF-8 byte order mark at the start
/// is skipped. A line whose first character other than a blank is '#' or ';' is a comment, and
/// after a value a '#' that follows a blank starts one ("bench = Line 2  # by the door"). A key
/// given twice in a section, a section given twice, a line that is neither a section nor has a
/// '=', an empty key and a line that is not UTF-8 are errors.
IniDocument parseIni(std::string_view text);

/// "line 4: message".
std::string iniErrorText(const IniError& e);
/// "第 4 行：" and the Chinese message (the English one where there is none).
std::string iniErrorTextZh(const IniError& e);

} // namespace korvex
