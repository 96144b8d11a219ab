// The results log's settings: the [log] section of the limits file in use
// ("database = postgresql://..." and "bench = Line 2"), overridden by KORVEX_DB and KORVEX_BENCH.
#pragma once

#include <QtCore/QString>

#include "log/LimitsFile.h"
#include "log/LogDatabase.h"

namespace korvex {

/// KORVEX_DB, else the settings' database, else the default file; the queue lives in dir.
/// While [log] cannot be read the log it names is unknown: the target is then unusable and
/// says why, so runs are held and set aside rather than written to some other log.
LogTarget logTargetOf(const LimitsFile& limits, const QString& dir);
/// KORVEX_BENCH, else the settings' bench, else the host name.
QString benchNameOf(const LimitsFile& limits);
/// The same for the limits file in dir as it stands now (never written).
QString configuredBenchName(const QString& dir);

} // namespace korvex
