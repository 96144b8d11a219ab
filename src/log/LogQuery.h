// Reading the results log: runs by filter, one run with its record, statistics and trends.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <optional>
#include <vector>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"

namespace korvex {

struct LogValueColumn;
struct ProfileSet;
struct LogBallasts;

struct LogFilter {
    qint64 sinceMs = -1; ///< logged at or after (UTC ms), -1 any
    qint64 untilMs = -1; ///< logged before (UTC ms), -1 any
    QString serial;      ///< infoNo; "*" and "?" act as wildcards
    QString type;        ///< infoType, the same way
    QString operatorName;
    QString bench;
    int32_t kind = 0; ///< 0 any
    /// NoChecks: runs without checks (a start run); NotJudged: runs logged while the limits
    /// file could not be read.
    enum class Verdict { Any, Pass, Fail, NoChecks, NotJudged } verdict = Verdict::Any;
    /// The ballasts of production sequences (entries of kBallastKind) instead of the runs.
    bool ballasts = false;
};

struct LogValueStats {
    const LogValueColumn* column = nullptr;
    qint64 count = 0;                             ///< runs of the set that measure the value
    double mean = 0, sigma = 0, min = 0, max = 0; ///< sigma: sample standard deviation
};

struct LogStats {
    qint64 count = 0;  ///< runs in the set
    qint64 judged = 0; ///< runs that passed or failed (no checks and not judged are neither)
    qint64 passed = 0;
    std::vector<LogValueStats> values;
    /// Passed in % of the judged runs; nothing when none was judged.
    std::optional<double> yieldPercent() const
    {
        return judged > 0 ? std::optional<double>(100.0 * double(passed) / double(judged)) : std::nullopt;
    }
};

struct LogTrendPoint {
    qint64 loggedAtMs;
    double value;
};

/// The values statistics show unless asked for others.
std::vector<const LogValueColumn*> defaultStatsColumns();

/// Queries on one connection of the calling thread.
class LogQuery {
  public:
    /// Opens the log for reading (a server target: the server; queued entries are not seen).
    bool open(const LogTarget& target, QString* error);
    /// Runs of the set, newest first, without their records; at most limit (0: all).
    bool list(const LogFilter& f, int limit, std::vector<LogEntry>& out, QString* error);
    /// One run with its record, by id or by a unique beginning of the id.
    std::optional<LogEntry> entry(const QString& id, QString* error);
    bool stats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out, QString* error);
    /// One value of the runs that measure it, oldest first.
    bool trend(const LogFilter& f, const LogValueColumn& column, std::vector<LogTrendPoint>& out, QString* error);
    /// The product types (infoType) of the runs a trend of column shows: none, one shared by
    /// all of them, or two of the several there are.
    bool trendTypes(const LogFilter& f, const LogValueColumn& column, QStringList& types, QString* error);

    /// The ballasts (production sequences) of the set. The serial, type, operator, bench and time
    /// filters select them; the test kind and verdict filters select runs and are not applied.
    /// profiles: the limits file in use. LogBallasts is in log/LogBallasts.h.
    bool ballasts(const LogFilter& f, const ProfileSet& profiles, LogBallasts& out, QString* error);

  private:
    bool localStats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out,
                    QString* error);
    bool serverStats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out,
                     QString* error);

    LogConnection conn_;
};

} // namespace korvex
