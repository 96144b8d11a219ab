// Data file loading for the subcommands, with messages that name the file and the reason.
#include "FileArgs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "record/FileUtil.h"

namespace korvex::cli {

namespace {

/// Why a data file image is refused, or empty when it is acceptable.
std::string imageProblem(const std::vector<uint8_t>& image)
{
    DataVersion v{};
    if (image.size() < 10 || !versionOfTag(reinterpret_cast<const char*>(image.data()), v))
        return "unknown tag (not a KORVEX data file)";
    if (image.size() < sizeOf(v))
        return "too short for " + std::string(tagOf(v)) + ": " + std::to_string(image.size()) + " of " +
               std::to_string(sizeOf(v)) + " bytes";
    return {};
}

bool readImage(const std::string& path, std::vector<uint8_t>& image)
{
    std::string bytes;
    if (isSpecialFile(path)) {
        std::fprintf(stderr, "korvex-cli: %s: cannot read (not a regular file)\n", path.c_str());
        return false;
    }
    errno = 0;
    if (!readWholeFile(path, bytes, kDataFileSize32)) {
        std::fprintf(stderr, "korvex-cli: %s: cannot read (%s)\n", path.c_str(),
                     errno ? std::strerror(errno) : "open failed");
        return false;
    }
    image.assign(bytes.begin(), bytes.end());
    const std::string problem = imageProblem(image);
    if (!problem.empty()) {
        std::fprintf(stderr, "korvex-cli: %s: %s\n", path.c_str(), problem.c_str());
        return false;
    }
    return true;
}

} // namespace

bool loadRawDataFile(const std::string& path, TestRecord& r, DataVersion& version)
{
    std::vector<uint8_t> image;
    return readImage(path, image) && decodeRaw(image, r, version);
}

bool loadDataFile(const std::string& path, TestRecord& r, DataVersion* version)
{
    std::vector<uint8_t> image;
    return readImage(path, image) && decodeDataFile(image, r, version).ok;
}

} // namespace korvex::cli
