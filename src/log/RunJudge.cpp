// Judging runs and stored records against the limits file as it stands.
#include "log/RunJudge.h"

#include <QtCore/QDateTime>
#include <algorithm>

#include "log/VerdictJson.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

bool measuresInput(int32_t kind)
{
    return kind == KindInput || kind == KindPhase || kind == KindComprehensive;
}

} // namespace

RunJudge::RunJudge(const QString& limitsPath, bool createMissing, QObject* parent)
    : QObject(parent), limits_(limitsPath, createMissing)
{
}

RunJudge::~RunJudge() = default;

template <typename Judge> Verdict RunJudge::judgeWith(const TestRecord& r, Judge judge)
{
    const LimitsFile& file = limits_.refresh(); // a change not yet told by the watch counts too
    if (!file.ok())
        return notJudgedVerdict(file.error.toStdString());
    if (profile_.empty())
        return judge(file.profiles.findOrDefault(fieldUtf8(r.infoType)));
    const VerdictProfile* named = file.profiles.find(profile_);
    if (!named)
        return notJudgedVerdict("no profile '" + profile_ + "' in " + file.path.toStdString());
    return judge(*named);
}

std::optional<VerdictProfile> RunJudge::profileFor(const TestRecord& r, QString* why)
{
    const LimitsFile& file = limits_.refresh();
    if (!file.ok()) {
        if (why)
            *why = file.error;
        return std::nullopt;
    }
    if (profile_.empty())
        return file.profiles.findOrDefault(fieldUtf8(r.infoType));
    if (const VerdictProfile* named = file.profiles.find(profile_))
        return *named;
    if (why)
        *why = QString::fromStdString("no profile '" + profile_ + "' in ") + file.path;
    return std::nullopt;
}

const Judgement& RunJudge::judgeRun(const TestRecord& r, int32_t kind, int runs)
{
    if (runs <= 1)
        series_.reset();
    // Only a run that measured the input adds to the harmonics: the record may still hold the
    // input results of an earlier run of another kind.
    if (measuresInput(kind))
        series_.add(r);
    Judgement j;
    j.verdict = judgeWith(r, [&](const VerdictProfile& p) { return series_.judge(r, kind, p); });
    j.kind = kind;
    j.runs = std::max(runs, 1);
    j.serial = QString::fromStdString(fieldUtf8(r.infoNo));
    j.atMs = QDateTime::currentMSecsSinceEpoch();
    current_ = std::move(j);
    emit judged();
    return current_;
}

const Judgement& RunJudge::judgeStored(const TestRecord& r, const QString& source)
{
    series_.reset();
    Judgement j;
    j.verdict = judgeWith(r, [&](const VerdictProfile& p) { return judgeRecord(r, p); });
    j.runs = 1;
    j.serial = QString::fromStdString(fieldUtf8(r.infoNo));
    j.source = source;
    current_ = std::move(j);
    emit judged();
    return current_;
}

const Judgement& RunJudge::showLogged(const LogEntry& entry)
{
    series_.reset();
    Judgement j;
    if (const std::optional<Verdict> v = verdictFromJson(entry.verdictDetails))
        j.verdict = *v;
    else if (entry.verdict != VerdictResult::NoChecks) // kept without its details: its result alone
        j.verdict = notJudgedVerdict("the log keeps no details of this verdict");
    j.kind = entry.kind;
    j.runs = std::max(entry.seriesRuns, 1);
    j.serial = entry.serial();
    j.atMs = entry.loggedAtMs;
    j.source = QStringLiteral("log");
    current_ = std::move(j);
    emit judged();
    return current_;
}

void RunJudge::clear()
{
    series_.reset();
    current_ = Judgement{};
    emit judged();
}

} // namespace korvex
