// The [archive] section of the limits file: the folder each tested ballast's files are kept in,
// and the pattern their names are made from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/IniFile.h"

namespace korvex {

/// The section of the limits file that holds the archive's settings (not a profile).
inline constexpr const char* kArchiveSectionName = "archive";
/// A folder per day, the files named by serial number and verdict.
inline constexpr const char* kDefaultArchivePattern = "{date}/{serial}_{verdict}";

/// "folder = /srv/korvex/archive" and "pattern = {date}/{serial}_{verdict}".
struct ArchiveSettings {
    /// Where the archive is kept; empty: no archive (the default). The limits file's reader
    /// makes a relative folder absolute against the folder of the limits file.
    std::string folder;
    /// The name of a ballast's files below the folder, without extension: '/' separates
    /// folders; {date} (YYYY-MM-DD), {time} (HHMMSS), {serial}, {type} and {verdict} (pass,
    /// fail, incomplete or unjudged) are replaced.
    std::string pattern = kDefaultArchivePattern;

    bool on() const { return !folder.empty(); }
    friend bool operator==(const ArchiveSettings&, const ArchiveSettings&) = default;
};

/// The [archive] section of a limits file read by parseIni (the defaults without one). A key
/// that is unknown or a value that cannot be used is added to errors with its line.
ArchiveSettings readArchiveSettings(const IniDocument& doc, std::vector<IniError>& errors);

/// Why a pattern cannot be used (English and Chinese), or empty texts when it can: it must be
/// non-empty, relative, with only known placeholders, no empty, "." or ".." folder, no
/// control character and no backslash.
struct PatternFault {
    std::string en, zh;
    bool empty() const { return en.empty(); }
};
PatternFault archivePatternFault(std::string_view pattern);

/// A serial number or type made safe as part of a file name: '/', '\', control characters,
/// bytes that are not UTF-8 and the characters Windows shares refuse (: * ? " < > |) become
/// '_', as does a leading '.' (no hidden files, no ".."); blanks at either end are dropped;
/// cut to 64 bytes on a character boundary; empty gives "_".
std::string safeNamePart(std::string_view text);

/// What a ballast's name is made of: local date and time, its serial and type, its verdict.
struct ArchiveNameParts {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    std::string serial, type;
    std::string verdict; ///< "pass", "fail", "incomplete" or "unjudged"
};

/// The pattern with its placeholders replaced (serial and type through safeNamePart): the
/// relative path of a ballast's files, without extension. The pattern must be usable
/// (archivePatternFault empty).
std::string expandArchivePattern(std::string_view pattern, const ArchiveNameParts& parts);

} // namespace korvex
