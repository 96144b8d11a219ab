// Decides what the log keeps of the controller's runs: every single run when its evaluation
// completes, and a repeating series once, when it ends (the lock, another test, a new serial
// number, closing), as its last run with the number of runs it had. Each run is judged once,
// as it completes, by the run judge; the entry carries that judgement.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QSet>
#include <functional>
#include <optional>

#include "log/LogEntry.h"

namespace korvex {

class Controller;
class ResultsLog;
class RunJudge;

class RunLogger : public QObject {
    Q_OBJECT
  public:
    RunLogger(Controller& controller, ResultsLog& log, QObject* parent = nullptr);
    /// The bookkeeping and the judgement alone; setLog() adds the log.
    explicit RunLogger(Controller& controller, QObject* parent = nullptr);

    /// Where entries go (nullptr: nowhere; entrySubmitted is still emitted).
    void setLog(ResultsLog* log) { log_ = log; }
    /// Judges each run as it completes (nullptr: entries carry no checks).
    void setJudge(RunJudge* judge) { judge_ = judge; }
    /// The bench name written with each entry (default: KORVEX_BENCH, else the host name).
    void setBench(const QString& bench) { bench_ = bench; }
    /// A run of kind passed for this serial number: a later run of the same kind and serial is
    /// marked as a retest (the log told of it, or this program logged it).
    void notePassed(const QString& serial, int32_t kind);
    bool hasPassed(const QString& serial, int32_t kind) const;
    /// While set, each entry goes to collect instead of the log and entrySubmitted (a production
    /// sequence gathers its steps' runs and logs them with its ballast); empty: the log again.
    void setCollector(std::function<void(const LogEntry&)> collect) { collect_ = std::move(collect); }
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
    ResultsLog* log_ = nullptr;
    RunJudge* judge_ = nullptr;
    QString bench_ = defaultBenchName();
    std::optional<LogEntry> pending_; // the last run of the series under way
    bool awaitingLast_ = false;       // locked while the series' run was under way
    QSet<QString> passed_;            // kind and serial of runs that passed
    std::function<void(const LogEntry&)> collect_;
};

} // namespace korvex
