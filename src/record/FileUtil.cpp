// Whole-file reads and atomic replacement (temporary file, flush to disk, rename).
#include "record/FileUtil.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvex {

bool pathExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !ec;
}

bool isSpecialFile(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st);
}

#ifdef _WIN32
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes)
{
    if (isSpecialFile(path))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string out;
    char buf[65536];
    while (out.size() < maxBytes) {
        const size_t want = std::min(sizeof buf, maxBytes - out.size());
        in.read(buf, static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        if (got > 0)
            out.append(buf, static_cast<size_t>(got));
        if (!in)
            break;
    }
    if (in.bad())
        return false;
    bytes = std::move(out);
    return true;
}
#else
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is then checked on
    // the open descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    std::string out;
    char buf[65536];
    bool ok = true;
    while (out.size() < maxBytes) {
        const size_t want = std::min(sizeof buf, maxBytes - out.size());
        const ssize_t got = ::read(fd, buf, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        out.append(buf, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!ok)
        return false;
    bytes = std::move(out);
    return true;
}
#endif

#ifdef _WIN32
bool replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool createFileExclusively(const std::string& path, std::string_view bytes)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}
#else
namespace {

bool writeAll(int fd, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC; // a write that makes no progress: treat as a full disk
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

/// A device or FIFO named as the output (/dev/stdout, a pipe): there is nothing to keep, and
/// a rename would replace the device node itself, so the bytes go straight into it.
bool writeIntoSpecialFile(const std::string& path, std::string_view bytes)
{
    // O_NONBLOCK: a FIFO without a reader fails at once instead of blocking.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool ok = writeAll(fd, bytes);
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    errno = failure;
    return ok;
}

/// Writes bytes to a new temporary file in path's folder and flushes it to disk; its name is
/// returned in tmpl. False (with errno) when that fails; nothing is then left behind.
bool writeTemporary(const std::string& path, std::string_view bytes, std::string& tmpl)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    tmpl = (slash == std::string::npos ? std::string() : dir) + ".korvex-XXXXXX";
    const int fd = mkstemp(tmpl.data());
    if (fd < 0)
        return false;
    // Keep the permissions of a file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    bool ok = writeAll(fd, bytes);
    int failure = ok ? 0 : errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        failure = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(tmpl.c_str());
        errno = failure ? failure : EIO; // the caller may name the reason
        return false;
    }
    return true;
}

} // namespace

bool replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            return false;
        }
        return writeIntoSpecialFile(path, bytes);
    }
    std::string tmpl;
    if (!writeTemporary(path, bytes, tmpl))
        return false;
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int failure = errno;
        ::unlink(tmpl.c_str());
        errno = failure;
        return false;
    }
    return true;
}

bool createFileExclusively(const std::string& path, std::string_view bytes)
{
    std::string tmpl;
    if (!writeTemporary(path, bytes, tmpl))
        return false;
    // link() never replaces: whatever appeared at path meanwhile stays as it is (EEXIST).
    const bool ok = ::link(tmpl.c_str(), path.c_str()) == 0;
    const int failure = errno;
    ::unlink(tmpl.c_str());
    errno = ok ? 0 : failure;
    return ok;
}
#endif

} // namespace korvex
