// The configuration file KORVEX.cfg: key lines each followed by their value line.
#pragma once

#include <string>
#include <vector>

#include "record/Notice.h"
#include "record/TestRecord.h"

namespace korvex {

inline constexpr const char* kConfigFileName = "KORVEX.cfg";

/// Settings kept in the configuration file besides the record's fields.
struct Settings {
    char portName[8] = {};
};

/// The configuration lines (code page 936 bytes, without line ends).
class Configuration {
  public:
    Configuration(); ///< starts with the 36 default lines
    static const std::vector<std::string>& defaultLines();

    /// Index of the first line containing key, or -1.
    int findConfigLine(const std::string& key) const;
    /// Line i, or "" past the end.
    std::string line(int i) const;
    /// Replaces line i; past the end (or negative) nothing changes.
    void setLine(int i, const std::string& text);
    /// The value line of a key (the line after the key's line; line 0 for a missing key).
    std::string value(const std::string& key) const { return line(findConfigLine(key) + 1); }
    void setValue(const std::string& key, const std::string& text) { setLine(findConfigLine(key) + 1, text); }

    const std::vector<std::string>& lines() const { return lines_; }
    void setLines(std::vector<std::string> lines) { lines_ = std::move(lines); }

    /// Splits file bytes into lines (CR LF, LF or CR ends a line).
    static std::vector<std::string> splitLines(const std::string& bytes);
    /// The file bytes: every line followed by CR LF.
    std::string fileBytes() const;

    /// Copies the values into the record and settings (portName, the three flags, Q, P, F,
    /// the ten texts), each bounded to its field; a Q, P or F that is not a number a single
    /// float can hold (or is missing) takes the default file's value.
    void applyTo(TestRecord& r, Settings& s) const;
    /// Writes the current values into their value lines.
    void takeFrom(const TestRecord& r, const Settings& s);

  private:
    std::vector<std::string> lines_;
};

/// Reads programDir + "KORVEX.cfg" into cfg and applies it to r and s. When there is no such
/// file, the default lines are kept and written to that path (a failure to write them is not
/// reported); one that is there but cannot be read as a regular file is left as it is.
void loadConfiguration(const std::string& programDir, Configuration& cfg, TestRecord& r, Settings& s);

/// Stores the values in cfg and writes it to programDir + "KORVEX.cfg", replacing the file
/// atomically; on failure "存配置文件失败!" / "警告".
Notice saveConfiguration(const std::string& programDir, Configuration& cfg, const TestRecord& r, const Settings& s);

} // namespace korvex
