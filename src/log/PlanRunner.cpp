// Running a test plan step by step on the controller, the ballast's verdict and its log entry.
#include "log/PlanRunner.h"

#include <QtCore/QDateTime>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QTimer>
#include <QtCore/QUuid>
#include <algorithm>

#include "kinds/VerdictNames.h"
#include "link/Controller.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "log/VerdictJson.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

bool isMeasuring(int32_t kind)
{
    return kind >= KindInput && kind <= KindComprehensive;
}

StepState stateOf(VerdictResult r)
{
    switch (r) {
    case VerdictResult::Pass: return StepState::Passed;
    case VerdictResult::NoChecks: return StepState::NoChecks;
    default: return StepState::Failed; // failed, or not judged: never a pass
    }
}

const char* const kKindZh[] = {"", "输入", "相位角", "输出", "综合", "启动", "预热能量"};

} // namespace

const char* stepStateKey(StepState s)
{
    switch (s) {
    case StepState::Waiting: return "waiting";
    case StepState::Running: return "running";
    case StepState::Passed: return "passed";
    case StepState::Failed: return "failed";
    case StepState::NoChecks: return "none";
    case StepState::Incomplete: return "incomplete";
    }
    return "unknown";
}

QStringList Ballast::failedChecks(bool chinese) const
{
    QStringList out;
    for (const PlanStepOutcome& s : steps) {
        if (s.state == StepState::Incomplete) {
            const QString kind =
                chinese ? QString::fromUtf8(kKindZh[s.step.kind]) : QString::fromUtf8(planKindName(s.step.kind));
            out << (chinese ? kind + QStringLiteral("测试未完成") : kind + QStringLiteral(" test not completed"));
            continue;
        }
        for (const std::string& label : failedCheckLabels(s.verdict, chinese))
            if (!out.contains(QString::fromStdString(label)))
                out << QString::fromStdString(label);
    }
    return out;
}

QStringList Ballast::failedKeys() const
{
    QStringList out;
    for (const PlanStepOutcome& s : steps)
        for (const std::string& key : failedCheckKeys(s.verdict))
            if (!out.contains(QString::fromStdString(key)))
                out << QString::fromStdString(key);
    return out;
}

std::vector<int32_t> ballastPages(const Ballast& b)
{
    std::vector<int32_t> kinds;
    for (const PlanStep& s : b.plan.steps)
        if (std::find(kinds.begin(), kinds.end(), s.kind) == kinds.end())
            kinds.push_back(s.kind);
    return kinds;
}

Verdict ballastVerdict(const Ballast& b, bool chinese)
{
    Verdict v;
    v.profile = b.profile;
    for (const PlanStepOutcome& s : b.steps) {
        v.runs = std::max(v.runs, s.verdict.runs);
        v.sections.insert(v.sections.end(), s.verdict.sections.begin(), s.verdict.sections.end());
        if (v.notJudged.empty())
            v.notJudged = s.verdict.notJudged;
    }
    // A ballast whose plan did not complete has no verdict, whatever its steps so far showed:
    // the sheet says so and names the step, rather than calling it a failed ballast.
    if (b.result == BallastResult::Incomplete)
        v.notJudged = (chinese ? QStringLiteral("未完成：") + b.failedChecks(true).join(QStringLiteral("，"))
                               : QStringLiteral("incomplete: ") + b.failedChecks(false).join(QStringLiteral(", ")))
                          .toStdString();
    v.pass = b.result == BallastResult::Pass;
    return v;
}

QString ballastJson(const Ballast& b)
{
    QJsonObject o;
    o.insert(QStringLiteral("result"), QLatin1String(ballastResultName(b.result)));
    o.insert(QStringLiteral("plan"), QString::fromStdString(testPlanText(b.plan)));
    o.insert(QStringLiteral("profile"), QString::fromStdString(b.profile));
    o.insert(QStringLiteral("serial"), b.serial);
    o.insert(QStringLiteral("type"), b.type);
    o.insert(QStringLiteral("startedAt"), b.startedAtMs);
    o.insert(QStringLiteral("endedAt"), b.endedAtMs);
    o.insert(QStringLiteral("retest"), b.retest);
    if (!b.failure.isEmpty())
        o.insert(QStringLiteral("failure"), b.failure);
    o.insert(QStringLiteral("failed"), QJsonArray::fromStringList(b.failedKeys()));
    QJsonArray steps;
    for (const PlanStepOutcome& s : b.steps) {
        QJsonObject so;
        so.insert(QStringLiteral("kind"), QLatin1String(planKindName(s.step.kind)));
        so.insert(QStringLiteral("runs"), s.step.runs);
        so.insert(QStringLiteral("state"), QLatin1String(stepStateKey(s.state)));
        if (s.run) {
            so.insert(QStringLiteral("run"), s.run->id);
            so.insert(QStringLiteral("verdict"), QLatin1String(resultKey(s.run->verdict)));
        }
        QJsonArray failed;
        for (const std::string& key : failedCheckKeys(s.verdict))
            failed.append(QString::fromStdString(key));
        so.insert(QStringLiteral("failed"), failed);
        steps.append(so);
    }
    o.insert(QStringLiteral("steps"), steps);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

PlanRunner::PlanRunner(Controller& controller, RunLogger& logger, RunJudge& judge, QObject* parent)
    : QObject(parent), controller_(controller), logger_(logger), judge_(judge), bench_(defaultBenchName())
{
    // Connected after the run logger, which judges the run and hands its entry over first.
    connect(&controller_, &Controller::runCompleted, this, &PlanRunner::onRunCompleted, Qt::DirectConnection);
    connect(&controller_, &Controller::linkFailed, this, [this](const QString& why) {
        if (!running_)
            return;
        // The alarm and the message of the controller stay as they are; the ballast ends here,
        // and the lock keeps the loop from starting the step again.
        controller_.setLocked(true);
        finish(why.isEmpty() ? QStringLiteral("link failure") : QStringLiteral("link failure: ") + why);
    });
}

void PlanRunner::noteTested(const QString& serial)
{
    if (!serial.isEmpty())
        tested_.insert(serial);
}

std::optional<TestPlan> PlanRunner::planFor(QString* why) const
{
    const std::optional<VerdictProfile> p = judge_.profileFor(controller_.record(), why);
    if (!p)
        return std::nullopt;
    if (p->plan.empty()) {
        if (why)
            *why = QStringLiteral("the profile '%1' has no plan").arg(QString::fromStdString(p->name));
        return std::nullopt;
    }
    return p->plan;
}

bool PlanRunner::start(QString* why)
{
    if (running_ || controller_.testRunning()) {
        if (why)
            *why = QStringLiteral("a test is running");
        return false;
    }
    const std::optional<VerdictProfile> profile = judge_.profileFor(controller_.record(), why);
    if (!profile)
        return false;
    if (profile->plan.empty()) {
        if (why)
            *why = QStringLiteral("the profile '%1' has no plan").arg(QString::fromStdString(profile->name));
        return false;
    }
    // A series under way from the buttons ends and is logged as it was, before the ballast's
    // runs are gathered.
    controller_.setLocked(true);
    logger_.finishSeries();
    controller_.newBallast();

    ballast_ = Ballast{};
    ballast_.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    ballast_.serial = QString::fromStdString(fieldUtf8(controller_.record().infoNo));
    ballast_.type = QString::fromStdString(fieldUtf8(controller_.record().infoType));
    ballast_.plan = profile->plan;
    ballast_.profile = profile->name;
    ballast_.startedAtMs = QDateTime::currentMSecsSinceEpoch();
    ballast_.retest = !ballast_.serial.isEmpty() && tested_.contains(ballast_.serial);
    for (const PlanStep& s : ballast_.plan.steps)
        ballast_.steps.push_back(PlanStepOutcome{s, StepState::Waiting, std::nullopt, Verdict{}});
    running_ = true;
    logger_.setCollector([this](const LogEntry& e) { collect(e); });
    emit ballastStarted();
    runStep(0);
    return true;
}

void PlanRunner::runStep(size_t index)
{
    if (!running_)
        return;
    step_ = index;
    completedRuns_ = 0;
    PlanStepOutcome& s = ballast_.steps[index];
    s.state = StepState::Running;
    emit stepChanged(int(index));
    const int32_t kind = s.step.kind;
    if (kind == KindEnergy && confirmWiring_) {
        // The wiring picture, as the energy button shows it; the plan may be stopped meanwhile.
        if (!confirmWiring_()) {
            finish(QStringLiteral("cancelled at the wiring picture"));
            return;
        }
        if (!running_ || step_ != index)
            return;
    }
    if (kind == KindStart || kind == KindEnergy) {
        emit lampPrompt(kind);
        kind == KindStart ? controller_.startTest() : controller_.energyTest();
    } else if (s.step.runs == 1) {
        controller_.singleRun(kind);
    } else {
        // The unlocked loop repeats the test; the lock after the last run ends the series.
        switch (kind) {
        case KindInput: controller_.inputTest(); break;
        case KindPhase: controller_.phaseTest(); break;
        case KindOutput: controller_.outputTest(); break;
        default: controller_.compTest(); break;
        }
    }
}

void PlanRunner::onRunCompleted(int32_t kind)
{
    if (!running_ || kind != ballast_.steps[step_].step.kind)
        return;
    ++completedRuns_;
    const PlanStep& s = ballast_.steps[step_].step;
    if (isMeasuring(kind) && s.runs > 1) {
        if (completedRuns_ < s.runs)
            return;
        controller_.setLocked(true); // the run logger hands the series over now
    }
    stepDone();
}

void PlanRunner::collect(const LogEntry& entry)
{
    if (!running_)
        return;
    PlanStepOutcome& s = ballast_.steps[step_];
    LogEntry run = entry;
    run.ballast = ballast_.id;
    if (const std::optional<Verdict> v = verdictFromJson(run.verdictDetails))
        s.verdict = *v;
    else
        s.verdict = Verdict{};
    s.run = std::move(run);
}

void PlanRunner::stepDone()
{
    PlanStepOutcome& s = ballast_.steps[step_];
    s.state = s.run ? stateOf(s.run->verdict) : StepState::Incomplete;
    emit stepChanged(int(step_));
    if (step_ + 1 >= ballast_.steps.size()) {
        finish(QString());
        return;
    }
    // The next command once the controller has finished the run's last step.
    const size_t next = step_ + 1;
    QTimer::singleShot(0, this, [this, next] { runStep(next); });
}

void PlanRunner::cancel()
{
    if (!running_)
        return;
    controller_.abortRun(); // the lock hands a series under way over to the step
    finish(QStringLiteral("cancelled"));
}

void PlanRunner::finish(const QString& failure)
{
    if (!running_)
        return;
    running_ = false;
    logger_.setCollector({});
    ballast_.endedAtMs = QDateTime::currentMSecsSinceEpoch();
    ballast_.failure = failure;
    ballast_.retest = ballast_.retest || (!ballast_.serial.isEmpty() && tested_.contains(ballast_.serial));
    bool complete = failure.isEmpty();
    bool failed = false, unjudged = false;
    for (size_t i = 0; i < ballast_.steps.size(); ++i) {
        PlanStepOutcome& s = ballast_.steps[i];
        if (s.state == StepState::Running || s.state == StepState::Waiting) {
            if (s.state == StepState::Running || complete) {
                s.state = StepState::Incomplete;
                emit stepChanged(int(i));
            }
            complete = false;
        }
        if (s.state == StepState::Incomplete)
            complete = false;
        if (s.run && s.run->verdict == VerdictResult::Fail)
            failed = true;
        if (s.run && s.run->verdict == VerdictResult::NotJudged)
            unjudged = true;
    }
    ballast_.result = !complete  ? BallastResult::Incomplete
                      : unjudged ? BallastResult::NotJudged
                      : failed   ? BallastResult::Fail
                                 : BallastResult::Pass;
    noteTested(ballast_.serial); // a ballast without a number is no retest of another
    submit();
    emit ballastFinished(ballast_);
}

void PlanRunner::submit()
{
    if (!log_)
        return;
    for (const PlanStepOutcome& s : ballast_.steps)
        if (s.run)
            log_->submit(*s.run);
    LogEntry e = makeLogEntry(controller_.record(), kBallastKind, LogSource{bench_, controller_.portDevice()});
    e.id = ballast_.id;
    e.loggedAtMs = ballast_.endedAtMs;
    e.seriesRuns = 1;
    e.plan = QString::fromStdString(testPlanText(ballast_.plan));
    e.startedAtMs = ballast_.startedAtMs;
    e.complete = ballast_.result != BallastResult::Incomplete;
    e.retest = ballast_.retest;
    switch (ballast_.result) {
    case BallastResult::Pass: e.verdict = VerdictResult::Pass; break;
    case BallastResult::Fail: e.verdict = VerdictResult::Fail; break;
    default: e.verdict = VerdictResult::NotJudged; break; // incomplete: never a pass
    }
    e.verdictDetails = ballastJson(ballast_);
    log_->submit(e);
}

} // namespace korvex
