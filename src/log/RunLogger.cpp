// Series bookkeeping on the controller's signals.
#include "log/RunLogger.h"

#include "link/Controller.h"
#include "log/ResultsLog.h"

namespace korvex {

RunLogger::RunLogger(Controller& controller, ResultsLog& log, QObject* parent)
    : QObject(parent), controller_(controller), log_(log)
{
    // Direct connections: the record is taken before any later command can reset it.
    connect(&controller_, &Controller::runCompleted, this, &RunLogger::onRunCompleted, Qt::DirectConnection);
    connect(&controller_, &Controller::lockChanged, this, &RunLogger::onLockChanged, Qt::DirectConnection);
    connect(&controller_, &Controller::linkFailed, this, [this] {
        // A locked series whose last run failed ends with the run before.
        if (awaitingLast_)
            finishSeries();
    });
}

void RunLogger::onRunCompleted(int32_t kind)
{
    const LogSource source{bench_, controller_.portDevice()};
    const bool continues = pending_ && pending_->kind == kind;
    const int runs = continues ? pending_->seriesRuns + 1 : 1;
    if (pending_ && !continues)
        finishSeries();
    LogEntry entry = makeLogEntry(controller_.record(), kind, source, runs);
    if (judge_)
        judge_(entry, controller_.record(), runs);
    if (controller_.testLocked()) {
        // A single run, or the run under way when the operator locked a series: its last.
        pending_.reset();
        awaitingLast_ = false;
        submit(entry, runs == 1);
    } else {
        pending_ = std::move(entry);
    }
}

void RunLogger::onLockChanged(bool pressed)
{
    if (!pending_)
        return;
    // Locked while a run of the series is under way: that run completes locked and is the last.
    if (pressed && controller_.testRunning() && controller_.currentTest() == pending_->kind &&
        controller_.pendingTest() == pending_->kind) {
        awaitingLast_ = true;
        return;
    }
    if (!pressed && awaitingLast_) {
        awaitingLast_ = false; // unlocked again before the run ended: the series goes on
        if (controller_.pendingTest() == pending_->kind)
            return;
    }
    finishSeries(); // the lock, or a command for another test
}

void RunLogger::finishSeries()
{
    awaitingLast_ = false;
    if (!pending_)
        return;
    LogEntry entry = std::move(*pending_);
    pending_.reset();
    submit(entry, false);
}

void RunLogger::submit(const LogEntry& entry, bool single)
{
    log_.submit(entry);
    emit entrySubmitted(entry, single);
}

} // namespace korvex
