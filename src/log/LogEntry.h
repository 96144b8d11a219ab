// One logged run: who, where and when it ran, what it measured, its verdict and the whole
// record image, so that it can be reopened exactly as a stored data file.
#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <optional>
#include <vector>

#include "kinds/Verdict.h"
#include "record/TestRecord.h"

namespace korvex {

struct LogEntry {
    QString id;            ///< UUID, unique across all benches
    qint64 loggedAtMs = 0; ///< UTC, milliseconds since 1970
    QString bench;         ///< bench name (the host name unless set)
    QString port;          ///< the device the run used ("/dev/ttyUSB0", "sim")
    int32_t kind = 0;
    int seriesRuns = 1;        ///< runs of the repeating series this entry ends; 1 for a single run
    QStringList texts;         ///< logTextColumns() in order, UTF-8
    std::vector<float> values; ///< logValueColumns() in order
    /// Passed or failed its checks, had no checks (a start run), or was not judged because the
    /// limits file could not be read.
    VerdictResult verdict = VerdictResult::NoChecks;
    QString verdictDetails; ///< the verdict as JSON (verdictJson); empty in entries of old logs
    /// The serial number had passed before: the ballast was tested again on purpose.
    bool retest = false;
    QString programVersion;
    QByteArray record; ///< the data file image, 23129 bytes

    // A production sequence (test plan) logs each step's run with the id of its ballast, and
    // then the ballast itself as an entry of kind kBallastKind: its plan, the overall verdict,
    // when it started (loggedAtMs is when it ended), whether every step completed, and the
    // record of all its steps. Empty, 0 and true for a run outside a plan.
    QString ballast;        ///< a step's run: the id of the ballast entry it belongs to
    QString plan;           ///< the ballast entry: its plan ("input*3, output, start, energy")
    qint64 startedAtMs = 0; ///< the ballast entry: when its first step began
    bool complete = true;   ///< the ballast entry: every step of the plan completed

    QString serial() const { return texts.value(0); }
};

/// The kind of a ballast entry (no test kind is 0).
inline constexpr int32_t kBallastKind = 0;

/// Where and how a run is logged.
struct LogSource {
    QString bench;
    QString port;
};

/// An entry for the record as it is now (a fresh id and time).
LogEntry makeLogEntry(const TestRecord& r, int32_t kind, const LogSource& source, int seriesRuns = 1);

/// The result of a logged verdict column ("pass", "fail", "none", "unjudged"); NULL in old logs
/// is "none". An unknown word is taken as not judged, never as a pass.
VerdictResult verdictResultOf(const QString& key, bool isNull);
/// The entry carries the verdict (its result and its JSON).
void setVerdict(LogEntry& entry, const Verdict& verdict);

/// The bench name: KORVEX_BENCH when set, else the host name.
QString defaultBenchName();
/// The program version written with each entry.
QString programVersion();

} // namespace korvex
