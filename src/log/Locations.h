// Where the programs keep their files: beside themselves in a portable copy, else in the user's
// folders, with a plant-wide limits file standing in for a user who has none.
#pragma once

#include <QtCore/QString>

#include "log/LogDatabase.h"

namespace korvex {

/// The folders one run of a program uses. Every folder ends with a separator.
struct Locations {
    bool portable = false;
    QString programDir;            ///< the running program's folder
    QString reason;                ///< why the copy counts as portable or installed (English, for `paths`)
    QString reasonZh;              ///< the same in Chinese, for a window showing Chinese
    QString configDir;             ///< KORVEX.cfg and the user's limits file
    QString dataDir;               ///< the results log, its queue and the file of runs set aside
    QString limitsDir;             ///< the folder of the limits file in use
    bool limitsSystemWide = false; ///< the plant-wide file is used: the user has none

    QString configFile() const;
    QString limitsFile() const;
    /// KORVEX_DB, else the [log] section of the limits file in use, else the log in dataDir;
    /// the queue and the file of runs set aside live in dataDir. While that [log] section
    /// cannot be read the target is unusable and says why (the runs are held, not redirected).
    LogTarget logTarget() const;
    /// A log named on a command line (--db), or logTarget() when text is empty.
    LogTarget logTarget(const QString& text) const;
};

/// The rule for a program in programDir. Portable when the folder is writable and not one of
/// the system's program folders (isSystemFolder); then every file stays in it. Otherwise
/// installed: the user's configuration folder (~/.config/korvex/ on Linux) and data
/// folder (~/.local/share/korvex/), and the limits file of the user, else the first
/// korvex/KORVEX-limits.ini of the system's configuration folders (/etc/xdg/korvex/), else
/// the user's (written with the defaults on first use). Only looks; creates nothing.
Locations locationsFor(const QString& programDir);

/// The same for the running program (needs the Qt application object).
Locations programLocations();

/// Creates the folders an installed program writes into. False with the reason in error.
bool makeLocationFolders(const Locations& where, QString* error = nullptr);

/// True for the folders programs are installed into: under /usr, /bin, /sbin, or a folder laid
/// out as an installation (…/usr/bin, …/usr/local/bin, …/usr/games, ~/.local/bin). A program
/// there is never a portable copy, whatever lies beside it.
bool isSystemFolder(const QString& dir);

/// One line per file: the mode and why, the settings, the limits, the results log, its queue
/// and the file of runs set aside; in English (`korvex-cli paths`) or, for a window showing
/// Chinese, in Chinese.
QString describeLocations(const Locations& where, bool chinese = false);

} // namespace korvex
