// Decides what the log keeps of the controller's runs: every single run when its evaluation
// completes, and a repeating series once, when it ends (the lock, another test, closing), as
// its last run with the number of runs it had.
#pragma once

#include <QtCore/QObject>
#include <functional>
#include <optional>

#include "log/LogEntry.h"

namespace korvex {

class Controller;
class ResultsLog;

class RunLogger : public QObject {
    Q_OBJECT
  public:
    /// Fills in the verdict of an entry when its run completes; runs counts the runs of the
    /// series so far (1 for a single run), so a judge can accumulate over a series.
    using Judge = std::function<void(LogEntry& entry, const TestRecord& record, int seriesRuns)>;

    RunLogger(Controller& controller, ResultsLog& log, QObject* parent = nullptr);

    void setJudge(Judge judge) { judge_ = std::move(judge); }
    /// The bench name written with each entry (default: KORVEX_BENCH, else the host name).
    void setBench(const QString& bench) { bench_ = bench; }
    /// Logs a series still under way (the program is closing).
    void finishSeries();
    /// Runs of the series under way so far (0: none).
    int seriesRuns() const { return pending_ ? pending_->seriesRuns : 0; }

  signals:
    /// An entry was handed to the log; single is true for a run that was not part of a series.
    void entrySubmitted(const korvex::LogEntry& entry, bool single);

  private:
    void onRunCompleted(int32_t kind);
    void onLockChanged(bool pressed);
    void submit(const LogEntry& entry, bool single);

    Controller& controller_;
    ResultsLog& log_;
    Judge judge_;
    QString bench_ = defaultBenchName();
    std::optional<LogEntry> pending_; // the last run of the series under way
    bool awaitingLast_ = false;       // locked while the series' run was under way
};

} // namespace korvex
