// korvex-cli paths: which files this program uses, portable copy or installed; and turning a
// folder into a portable copy.
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "record/Configuration.h"
#include "record/FileUtil.h"

namespace korvex::cli {

namespace {

void pathsUsage(FILE* out)
{
    std::fprintf(out, "Usage: korvex-cli paths\n"
                      "       korvex-cli paths --make-portable [DIR...]\n"
                      "Prints where the programs of this folder keep their files: the settings (KORVEX.cfg), the\n"
                      "limits (KORVEX-limits.ini), the results log, its queue and the file of runs set aside.\n"
                      "A folder is a portable copy when it is writable and no system folder (/usr, /bin, /sbin, or\n"
                      "one laid out as an installation: .../usr/bin, .../usr/local/bin, .../usr/games, ~/.local/bin):\n"
                      "then every file stays beside the programs. Otherwise the programs are installed: settings\n"
                      "in ~/.config/korvex/, the log in ~/.local/share/korvex/ (XDG_CONFIG_HOME, XDG_DATA_HOME),\n"
                      "and the limits file of the user, else a plant-wide\n"
                      "/etc/xdg/korvex/KORVEX-limits.ini (XDG_CONFIG_DIRS).\n"
                      "  --make-portable  write KORVEX.cfg with the default settings into each DIR (default: this\n"
                      "                   program's folder) unless it holds one\n"
                      "Exit status: 0 done, 1 usage error, 2 a KORVEX.cfg that cannot be written.\n");
}

QString programFolder()
{
    // Commands that start no Qt application ask the system for the program's own path.
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
}

int makePortable(const QStringList& dirs)
{
    int status = 0;
    for (const QString& dir : dirs) {
        const std::string path = QFile::encodeName(QDir(dir).filePath(QLatin1String(kConfigFileName))).toStdString();
        if (pathExists(path))
            continue;
        if (!replaceFileAtomically(path, Configuration().fileBytes())) {
            std::fprintf(stderr, "korvex-cli paths: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            status = 2;
        }
    }
    return status;
}

} // namespace

const Locations& locations()
{
    static const Locations where = locationsFor(programFolder());
    return where;
}

const Locations& writableLocations()
{
    static const bool made = [] {
        QString error;
        if (!makeLocationFolders(locations(), &error))
            std::fprintf(stderr, "korvex-cli: %s\n", qPrintable(error));
        return true;
    }();
    (void)made;
    return locations();
}

int cmdPaths(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        pathsUsage(stdout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--make-portable") == 0) {
        QStringList dirs;
        for (int i = 2; i < argc; ++i)
            dirs << QString::fromLocal8Bit(argv[i]);
        return makePortable(dirs.isEmpty() ? QStringList{locations().programDir} : dirs);
    }
    if (argc > 1) {
        std::fprintf(stderr, "korvex-cli paths: unknown argument '%s'\n", argv[1]);
        pathsUsage(stderr);
        return 1;
    }
    std::fputs(qPrintable(describeLocations(locations())), stdout);
    return 0;
}

} // namespace korvex::cli
