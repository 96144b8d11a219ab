// The device lock file.
#include "link/DeviceLock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool processRuns(long pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

/// The process number on the first line of a lock file (written as text, padded or not, by
/// every program that keeps this convention); 0 when there is none.
long lockHolder(int fd)
{
    char text[64] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

} // namespace

QString DeviceLock::lockPathFor(const QString& device, const QString& directory)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return directory + QLatin1String("/LCK..") + name;
}

QString DeviceLock::lockDirectory()
{
    for (const char* dir : {"/var/lock", "/run/lock"}) {
        struct stat s {};
        if (::stat(dir, &s) == 0 && S_ISDIR(s.st_mode) && ::access(dir, W_OK | X_OK) == 0)
            return QString::fromLatin1(dir);
    }
    return {};
}

bool DeviceLock::acquire(const QString& device, QString& why)
{
    release();
    const QString dir = lockDirectory();
    if (dir.isEmpty())
        return true; // nowhere to keep a lock file: the device's own exclusive open must do
    const QByteArray path = lockPathFor(device, dir).toLocal8Bit();
    const QString shown = QString::fromLocal8Bit(path);
    // Two rounds: the second follows the removal of a stale lock.
    for (int round = 0; round < 2; ++round) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            // The flock tells programs that judge a lock by it (QSerialPort does) that this one
            // is alive, whatever they make of the text.
            char text[16];
            const int len = std::snprintf(text, sizeof text, "%10ld\n", long(::getpid()));
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::write(fd, text, size_t(len)) != len) {
                const int error = errno;
                ::unlink(path.constData());
                ::close(fd);
                why = QStringLiteral("cannot write the lock file %1: %2").arg(shown, systemText(error));
                return false;
            }
            fd_ = fd;
            path_ = path;
            return true;
        }
        if (errno != EEXIST) {
            why = QStringLiteral("cannot create the lock file %1: %2").arg(shown, systemText(errno));
            return false;
        }
        const int held = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (held < 0) {
            if (errno == ENOENT)
                continue; // released meanwhile
            why = QStringLiteral("cannot read the lock file %1: %2").arg(shown, systemText(errno));
            return false;
        }
        const bool flocked = ::flock(held, LOCK_EX | LOCK_NB) != 0;
        const long pid = lockHolder(held);
        const bool alive = flocked || (pid > 0 && pid != long(::getpid()) && processRuns(pid));
        if (!alive) {
            // Stale: its process is gone. Removed while its flock is ours, and only if the name
            // still means the same file, so a lock another program has just made stays.
            if (sameFile(held, path))
                ::unlink(path.constData());
            ::close(held);
            continue;
        }
        ::close(held);
        why = pid == long(::getpid()) ? QStringLiteral("already open in this program (lock file %1)").arg(shown)
              : pid > 0               ? QStringLiteral("in use by process %1 (lock file %2)").arg(pid).arg(shown)
                                      : QStringLiteral("in use by another program (lock file %1)").arg(shown);
        return false;
    }
    why = QStringLiteral("cannot take the lock file %1").arg(shown);
    return false;
}

void DeviceLock::release()
{
    if (fd_ < 0)
        return;
    // Removed while still held, so no other program's fresh lock can be the one removed.
    ::unlink(path_.constData());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

} // namespace korvex
