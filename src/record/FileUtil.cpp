// Whole-file reads and atomic replacement (temporary file, flush to disk, rename).
#include "record/FileUtil.h"

#include <algorithm>
#include <cstdio>
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

bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes)
{
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
#else
bool replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    std::string tmpl = (slash == std::string::npos ? std::string() : dir) + ".korvex-XXXXXX";
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
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && std::rename(tmpl.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok) {
        ::unlink(tmpl.c_str());
        return false;
    }
    return true;
}
#endif

} // namespace korvex
