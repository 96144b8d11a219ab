// The results log's settings: the [log] section of the limits file beside KORVEX.cfg
// ("database = postgresql://..." and "bench = Line 2"), overridden by KORVEX_DB and KORVEX_BENCH.
#pragma once

#include <QtCore/QString>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"

namespace korvex {

struct LogSettings {
    QString database; ///< an SQLite file or a postgresql:// URL; empty: the default file
    QString bench;    ///< empty: the host name
};

/// The [log] section of dir/KORVEX-limits.ini (nothing when the file or section is missing).
LogSettings readLogSettings(const QString& dir);
/// KORVEX_DB, else the settings' database, else the default file; the queue lives in dir.
LogTarget configuredLogTarget(const QString& dir);
/// The same with the limits file in limitsDir and the default file and queue in dataDir.
LogTarget configuredLogTarget(const QString& limitsDir, const QString& dataDir);
/// KORVEX_BENCH, else the settings' bench, else the host name.
QString configuredBenchName(const QString& dir);

} // namespace korvex
