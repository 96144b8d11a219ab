// The binary data file: one whole record with its display options and test information.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/Notice.h"
#include "record/TestRecord.h"

namespace korvex {

inline constexpr size_t kDataFileSize32 = 23129;
inline constexpr size_t kDataFileSize31 = 23089;
inline constexpr size_t kDataFileSize30 = 11037;

enum class DataVersion { V30, V31, V32 };

/// How a stored field is laid out.
enum class FieldType { I32, F32, Text };

/// One stored field of the data file, in file order. `count` is the number of elements
/// (bytes for a text). Versions 3.1 and 3.0 leave some fields out.
struct StoredField {
    const char* name;
    FieldType type;
    int count;
    bool in31;
    bool in30;
    void* (*at)(TestRecord&);
    size_t bytes() const
    {
        return type == FieldType::Text ? static_cast<size_t>(count) : 4u * static_cast<size_t>(count);
    }
    bool presentIn(DataVersion v) const { return v == DataVersion::V32 || (v == DataVersion::V31 ? in31 : in30); }
};

/// The stored fields in file order (the tag excluded).
const StoredField* storedFields(size_t& count);
/// Byte offset of a field in a version's file, or -1 when that version leaves it out.
long fieldOffset(const StoredField& f, DataVersion v);

/// Loads the fields of an image into r exactly as stored (no range checks, no side effects).
/// False when the tag is unknown or the image is shorter than its version.
bool decodeRaw(const std::vector<uint8_t>& image, TestRecord& r, DataVersion& version);

/// The version named by a tag, or false for an unknown tag.
bool versionOfTag(const char* tag10, DataVersion& version);
const char* tagOf(DataVersion version);
size_t sizeOf(DataVersion version);

/// Serialises the stored fields as version 3.2 (23129 bytes).
std::vector<uint8_t> encodeDataFile(const TestRecord& r);

/// Loads an image (all its bytes) into r. On success the stored fields of that version are
/// replaced, older versions set thdCsa and the CSA figures to 0 (3.0 also empties the energy
/// curves), resultsShown becomes 1 and indexes are brought into range. On failure r is
/// unchanged and the notice carries "数据文件格式错误!" / "警告".
Notice decodeDataFile(const std::vector<uint8_t>& image, TestRecord& r, DataVersion* version = nullptr);

/// Reads a file into r (see decodeDataFile). A file that cannot be opened or read gives
/// "打开数据文件失败!" / "警告".
Notice readDataFile(const std::string& path, TestRecord& r, DataVersion* version = nullptr);

/// Writes r as version 3.2 through a temporary file that then replaces path; on any failure
/// an existing file is left as it was and the notice carries "存数据失败!" / "警告".
Notice writeDataFile(const std::string& path, const TestRecord& r);

} // namespace korvex
