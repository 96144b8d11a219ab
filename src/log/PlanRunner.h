// The production sequence: one ballast through its product type's test plan, step by step on
// the same controller and step machines as the buttons, with one verdict for the ballast and
// one log entry that holds every step's run.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QSet>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "kinds/BallastStats.h"
#include "kinds/TestPlan.h"
#include "kinds/Verdict.h"
#include "log/LogEntry.h"

namespace korvex {

class Controller;
class ResultsLog;
class RunJudge;
class RunLogger;

enum class StepState : uint8_t { Waiting, Running, Passed, Failed, NoChecks, Incomplete };

/// "waiting", "running", "passed", "failed", "none", "incomplete".
const char* stepStateKey(StepState s);

struct PlanStepOutcome {
    PlanStep step;
    StepState state = StepState::Waiting;
    std::optional<LogEntry> run; ///< the step's run as logged (a series: its one entry)
    Verdict verdict;             ///< the judgement the run carries
};

struct Ballast {
    QString id; ///< the id of its log entry
    QString serial, type;
    TestPlan plan;
    std::string profile;
    qint64 startedAtMs = 0, endedAtMs = 0;
    std::vector<PlanStepOutcome> steps;
    /// The ballast's one verdict: pass only if every step completed and every check passed.
    BallastResult result = BallastResult::Incomplete;
    QString failure; ///< why it is incomplete (the link failure, "cancelled")
    bool retest = false;

    bool finished() const { return endedAtMs > 0; }
    /// What failed, by name in the language (empty for a pass); an incomplete ballast names
    /// the step that did not complete.
    QStringList failedChecks(bool chinese) const;
    /// Stable keys of what failed ("classC.h3", "lampCrest.notMeasured").
    QStringList failedKeys() const;
};

/// The pages of the ballast's plan: each kind once, in the order of the plan.
std::vector<int32_t> ballastPages(const Ballast& b);
/// The ballast's verdict as one: every step's checks in the order of the plan, passing only
/// when the ballast passed; not judged with the first step that could not be judged, or, for
/// an incomplete ballast, with the step that did not complete (in the language asked for).
Verdict ballastVerdict(const Ballast& b, bool chinese = false);

/// The ballast as JSON: result, plan, profile, times, failure, failed checks and each step
/// with its kind, runs, state, run id and failed checks.
QString ballastJson(const Ballast& b);

class PlanRunner : public QObject {
    Q_OBJECT
  public:
    /// Runs plans on controller; logger judges and gathers each step's run (with judge's
    /// limits); the plan comes from the product type's profile of judge's limits file.
    PlanRunner(Controller& controller, RunLogger& logger, RunJudge& judge, QObject* parent = nullptr);

    /// Where the ballast and its steps' runs are logged (nullptr: nowhere).
    void setLog(ResultsLog* log) { log_ = log; }
    void setBench(const QString& bench) { bench_ = bench; }
    /// Asked before a preheat energy step starts (the window shows the wiring picture): false
    /// ends the plan there, the ballast incomplete. Unset: the step starts at once.
    void setWiringConfirmation(std::function<bool()> confirm) { confirmWiring_ = std::move(confirm); }
    /// The serial number was tested in a plan before (the log says so): its ballast is a
    /// retest, also the one under way (the log's answer may come after the scan started it).
    void noteTested(const QString& serial);

    /// The plan the record's product type would run, or why there is none (the limits file
    /// cannot be read, or the profile named for judging is missing).
    std::optional<TestPlan> planFor(QString* why) const;
    /// Starts the plan for the ballast whose serial number the record holds: every result is
    /// reset first. False (nothing changes) while a run or a plan is under way or without a
    /// plan; why says so.
    bool start(QString* why = nullptr);
    /// Ends the plan at once; the ballast is recorded as incomplete.
    void cancel();
    bool running() const { return running_; }
    /// The ballast under way, or the last one.
    const Ballast& ballast() const { return ballast_; }

  signals:
    void ballastStarted();
    /// Step index changed its state.
    void stepChanged(int index);
    /// The operator must switch the lamp off and on (a start or preheat energy step).
    void lampPrompt(int32_t kind);
    void ballastFinished(const korvex::Ballast& ballast);

  private:
    void runStep(size_t index);
    void onRunCompleted(int32_t kind);
    void collect(const LogEntry& entry);
    void stepDone();
    void finish(const QString& failure);
    void submit();

    Controller& controller_;
    RunLogger& logger_;
    RunJudge& judge_;
    ResultsLog* log_ = nullptr;
    QString bench_;
    Ballast ballast_;
    bool running_ = false;
    size_t step_ = 0;
    int completedRuns_ = 0;
    QSet<QString> tested_; // serial numbers that had a ballast
    std::function<bool()> confirmWiring_;
};

} // namespace korvex
