// Series bookkeeping on the controller's signals, and the judgement of each run.
#include "log/RunLogger.h"

#include "link/Controller.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"

namespace korvex {

namespace {

QString passKey(const QString& serial, int32_t kind)
{
    return QString::number(kind) + QLatin1Char(' ') + serial;
}

} // namespace

RunLogger::RunLogger(Controller& controller, ResultsLog& log, QObject* parent) : RunLogger(controller, parent)
{
    log_ = &log;
}

RunLogger::RunLogger(Controller& controller, QObject* parent) : QObject(parent), controller_(controller)
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

void RunLogger::notePassed(const QString& serial, int32_t kind)
{
    if (!serial.isEmpty())
        passed_.insert(passKey(serial, kind));
}

bool RunLogger::hasPassed(const QString& serial, int32_t kind) const
{
    return !serial.isEmpty() && passed_.contains(passKey(serial, kind));
}

void RunLogger::onRunCompleted(int32_t kind)
{
    const LogSource source{bench_, controller_.portDevice()};
    LogEntry entry = makeLogEntry(controller_.record(), kind, source);
    // A new serial number is a new ballast: the series of the one before ends with its runs.
    const bool continues = pending_ && pending_->kind == kind && pending_->serial() == entry.serial();
    if (pending_ && !continues)
        finishSeries();
    entry.seriesRuns = continues ? pending_->seriesRuns + 1 : 1;
    entry.retest = hasPassed(entry.serial(), kind);
    if (judge_)
        setVerdict(entry, judge_->judgeRun(controller_.record(), kind, entry.seriesRuns).verdict);
    if (controller_.testLocked()) {
        // A single run, or the run under way when the operator locked a series: its last.
        pending_.reset();
        awaitingLast_ = false;
        submit(entry, entry.seriesRuns == 1);
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
    if (entry.verdict == VerdictResult::Pass)
        notePassed(entry.serial(), entry.kind);
    if (collect_) {
        collect_(entry);
        return;
    }
    if (log_)
        log_->submit(entry);
    emit entrySubmitted(entry, single);
}

} // namespace korvex
