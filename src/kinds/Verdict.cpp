// Judging a record against a profile, and the accumulation over a series of runs.
#include "kinds/Verdict.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Class C power bands (W) and the standard's small-harmonic rule.
constexpr double kClassCPower = 25.0;
constexpr double kNoLimitPower = 5.0;
constexpr double kDisregardShare = 0.006; // of the input current
constexpr double kDisregardAmps = 0.005;
constexpr double kSeriesPeakFactor = 1.5; // a single run may reach 150 % of the limit
constexpr double kVoltagePresence = 5.0;  // below it the input evaluation reset everything

// Records hold single-precision values: a limit met exactly (a crest factor of 1.70 against
// 1.7) must not fail on the float's last bit.
constexpr double kRelTolerance = 1e-6;

bool within(double value, double limit, bool upper)
{
    const double slack = std::abs(limit) * kRelTolerance + 1e-12;
    return upper ? value <= limit + slack : value >= limit - slack;
}

double marginOf(double value, double limit, bool upper)
{
    if (limit == 0)
        return kNaN;
    return (upper ? limit - value : value - limit) / std::abs(limit) * 100.0;
}

LimitCheck makeCheck(CheckKind kind, int order, double value, double limit, bool upper)
{
    LimitCheck c;
    c.kind = kind;
    c.order = order;
    c.value = value;
    c.limit = limit;
    c.upper = upper;
    c.margin = marginOf(value, limit, upper);
    c.result = within(value, limit, upper) ? Outcome::Pass : Outcome::Fail;
    return c;
}

/// The input quantities the harmonic limits read: one record, or the averages of a series.
struct InputValues {
    double pct[kHarmonics] = {};
    double mApW[kHarmonics] = {};
    double harm[kHarmonics] = {};
    const double* maxPct = nullptr; // series only
    const double* maxMApW = nullptr;
    double Urms = 0, Irms = 0, Pin = 0, PF = 0;
    double start = 0, peak = 0, end = 0;
};

InputValues inputOf(const TestRecord& r)
{
    InputValues in;
    for (int n = 0; n < kHarmonics; ++n) {
        in.pct[n] = r.pctI[n];
        in.mApW[n] = r.mApW[n];
        in.harm[n] = r.harmI[n];
    }
    in.Urms = r.Urms;
    in.Irms = r.Irms;
    in.Pin = r.Pin;
    in.PF = r.PF;
    in.start = r.PhaseStart;
    in.peak = r.PhasePeak;
    in.end = r.PhaseEnd;
    return in;
}

double classCLimit(int n, double lambda)
{
    switch (n) {
    case 2: return 2.0;
    case 3: return 30.0 * lambda;
    case 5: return 10.0;
    case 7: return 7.0;
    case 9: return 5.0;
    default: return 3.0; // odd orders 11 to 39
    }
}

double classDLimit(int n)
{
    switch (n) {
    case 3: return 3.4;
    case 5: return 1.9;
    case 7: return 1.0;
    case 9: return 0.5;
    case 11: return 0.35;
    default: return 3.85 / n; // odd orders 13 to 39
    }
}

/// A harmonic check: disregarded when too small, and over a series also judged on its largest run.
LimitCheck harmonicCheck(const InputValues& in, CheckKind kind, int n, const double* values, const double* maxima,
                         double limit)
{
    LimitCheck c = makeCheck(kind, n, values[n], limit, true);
    if (maxima) {
        c.maxValue = maxima[n];
        if (!within(c.maxValue, limit * kSeriesPeakFactor, true))
            c.result = Outcome::Fail;
    }
    if (in.harm[n] < kDisregardShare * in.Irms || in.harm[n] < kDisregardAmps)
        c.result = Outcome::Disregarded;
    return c;
}

bool allPass(const std::vector<LimitCheck>& checks)
{
    return std::none_of(checks.begin(), checks.end(), [](const LimitCheck& c) { return c.result == Outcome::Fail; });
}

VerdictSection judgeClassC(const InputValues& in)
{
    VerdictSection s;
    s.kind = SectionKind::ClassC;
    if (in.Urms < kVoltagePresence) {
        s.regime = ClassCRegime::NotMeasured;
        s.measured = false;
        s.pass = false;
        return s;
    }
    if (in.Pin > kClassCPower) {
        s.regime = ClassCRegime::AboveTwentyFive;
        for (int n = 2; n < kHarmonics; ++n)
            if (n == 2 || n % 2 == 1)
                s.checks.push_back(
                    harmonicCheck(in, CheckKind::ClassCHarmonic, n, in.pct, in.maxPct, classCLimit(n, in.PF)));
        s.pass = allPass(s.checks);
        return s;
    }
    if (in.Pin < kNoLimitPower) {
        s.regime = ClassCRegime::BelowFive;
        s.pass = true;
        return s;
    }
    s.regime = ClassCRegime::LowPower;
    std::vector<LimitCheck> a, b;
    for (int n = 3; n < kHarmonics; n += 2)
        a.push_back(harmonicCheck(in, CheckKind::ClassDHarmonic, n, in.mApW, in.maxMApW, classDLimit(n)));
    b.push_back(harmonicCheck(in, CheckKind::WaveformHarmonic, 3, in.pct, in.maxPct, 86.0));
    b.push_back(harmonicCheck(in, CheckKind::WaveformHarmonic, 5, in.pct, in.maxPct, 61.0));
    b.push_back(makeCheck(CheckKind::WaveformStart, 0, in.start, 60.0, true));
    b.push_back(makeCheck(CheckKind::WaveformPeak, 0, in.peak, 65.0, true));
    b.push_back(makeCheck(CheckKind::WaveformEnd, 0, in.end, 90.0, false));
    s.passA = allPass(a);
    s.passB = allPass(b);
    s.pass = s.passA || s.passB;
    s.checks = std::move(a);
    s.checks.insert(s.checks.end(), b.begin(), b.end());
    return s;
}

VerdictSection judgeLampCrest(const TestRecord& r, const VerdictProfile& p)
{
    VerdictSection s;
    s.kind = SectionKind::LampCrest;
    // The output evaluation zeroes the lamp-current group when no lamp current flows: a zero
    // crest factor is no measurement, not a pass.
    if (r.Ilrms <= 0) {
        s.measured = false;
        s.pass = false;
        return s;
    }
    s.checks.push_back(makeCheck(CheckKind::LampCrestPositive, 0, r.Ilcf, p.lampCrestMax, true));
    s.checks.push_back(makeCheck(CheckKind::LampCrestNegative, 0, r.Ilncf, p.lampCrestMax, true));
    s.pass = allPass(s.checks);
    return s;
}

VerdictSection judgePreheat(const TestRecord& r)
{
    VerdictSection s;
    s.kind = SectionKind::PreheatEnergy;
    const double emin = double(r.qPara) + double(r.pPara) * double(r.preheatTime);
    const double emax = double(r.fPara) * emin;
    s.checks.push_back(makeCheck(CheckKind::PreheatMin, 0, r.preheatEnergy, emin, false));
    s.checks.push_back(makeCheck(CheckKind::PreheatMax, 0, r.preheatEnergy, emax, true));
    s.pass = allPass(s.checks);
    return s;
}

/// The lamp current (A) over the last half second of the start capture: the lamp burns.
double startEndCurrent(const TestRecord& r)
{
    constexpr int kSamples = 300, kTail = 30;
    if (r.peakStartIl == 0)
        return 0;
    double sum = 0;
    for (int i = kSamples - kTail; i < kSamples; ++i)
        sum += std::abs(double(r.waveStartIl[i]));
    return sum / kTail * double(r.StrIlp) / std::abs(double(r.peakStartIl));
}

void addStart(const TestRecord& r, const VerdictProfile& p, std::vector<VerdictSection>& sections)
{
    if (!p.startCurrentOn && !p.startTimeOn && !p.startVoltageOn)
        return;
    VerdictSection s;
    s.kind = SectionKind::Start;
    const double endCurrent = startEndCurrent(r);
    // The evaluation zeroes the lamp current below its presence threshold: no ignition.
    const bool ignited = r.StrIlp > 0 && endCurrent > 0 && (!p.startCurrentOn || endCurrent >= p.startCurrentMin);
    if (p.startCurrentOn)
        s.checks.push_back(makeCheck(CheckKind::StartIgnition, 0, endCurrent, p.startCurrentMin, false));
    if (p.startTimeOn) {
        LimitCheck c = makeCheck(CheckKind::StartTimeMax, 0, r.StrT, p.startTimeMax, true);
        if (!ignited)
            c.result = Outcome::Fail; // no ignition is no time to it
        s.checks.push_back(c);
    }
    if (p.startVoltageOn)
        s.checks.push_back(makeCheck(CheckKind::StartVoltageMax, 0, r.StrUlp, p.startVoltageMax, true));
    s.pass = ignited && allPass(s.checks);
    sections.push_back(std::move(s));
}

void addOptional(const TestRecord& r, const InputValues& in, const VerdictProfile& p, bool input, bool output,
                 std::vector<VerdictSection>& sections)
{
    VerdictSection s;
    s.kind = SectionKind::Optional;
    if (input && p.powerFactorOn)
        s.checks.push_back(makeCheck(CheckKind::PowerFactorMin, 0, in.PF, p.powerFactorMin, false));
    if (input && p.currentThdOn)
        s.checks.push_back(makeCheck(CheckKind::CurrentThdMax, 0, r.THDI, p.currentThdMax, true));
    if (input && p.inputPowerOn) {
        const double tol = p.inputPowerTolerance / 100.0;
        s.checks.push_back(makeCheck(CheckKind::InputPowerMin, 0, in.Pin, p.inputPowerRated * (1 - tol), false));
        s.checks.push_back(makeCheck(CheckKind::InputPowerMax, 0, in.Pin, p.inputPowerRated * (1 + tol), true));
    }
    if (output && p.lampPowerOn) {
        s.checks.push_back(makeCheck(CheckKind::LampPowerMin, 0, r.Pout, p.lampPowerMin, false));
        s.checks.push_back(makeCheck(CheckKind::LampPowerMax, 0, r.Pout, p.lampPowerMax, true));
    }
    if (s.checks.empty())
        return;
    s.pass = allPass(s.checks);
    sections.push_back(std::move(s));
}

/// Which groups of results a verdict judges.
struct Measured {
    bool input = false, output = false, energy = false, start = false;
};

Measured measuredByRecord(const TestRecord& r)
{
    return {r.hasInputResult != 0, r.hasOutputResult != 0, r.hasEnergyResult != 0, r.hasStartResult != 0};
}

Measured measuredByRun(int32_t kind)
{
    return {kind == KindInput || kind == KindPhase || kind == KindComprehensive,
            kind == KindOutput || kind == KindComprehensive, kind == KindEnergy, kind == KindStart};
}

Verdict judgeWith(const TestRecord& r, const InputValues& in, const VerdictProfile& p, int runs, Measured m)
{
    Verdict v;
    v.profile = p.name;
    v.runs = runs;
    const bool input = m.input;
    const bool output = m.output;
    if (input && p.classC)
        v.sections.push_back(judgeClassC(in));
    if (output && p.lampCrest)
        v.sections.push_back(judgeLampCrest(r, p));
    if (m.energy && p.preheat)
        v.sections.push_back(judgePreheat(r));
    addOptional(r, in, p, input, output, v.sections);
    if (m.start)
        addStart(r, p, v.sections);
    v.pass =
        v.judged() && std::all_of(v.sections.begin(), v.sections.end(), [](const VerdictSection& s) { return s.pass; });
    return v;
}

} // namespace

const VerdictSection* Verdict::section(SectionKind kind) const
{
    for (const VerdictSection& s : sections)
        if (s.kind == kind)
            return &s;
    return nullptr;
}

VerdictResult Verdict::result() const
{
    if (!notJudged.empty())
        return VerdictResult::NotJudged;
    if (sections.empty())
        return VerdictResult::NoChecks;
    return pass ? VerdictResult::Pass : VerdictResult::Fail;
}

Verdict judgeRecord(const TestRecord& r, const VerdictProfile& profile)
{
    return judgeWith(r, inputOf(r), profile, 1, measuredByRecord(r));
}

Verdict judgeRun(const TestRecord& r, int32_t kind, const VerdictProfile& profile)
{
    return judgeWith(r, inputOf(r), profile, 1, measuredByRun(kind));
}

Verdict notJudgedVerdict(const std::string& reason)
{
    Verdict v;
    v.profile.clear();
    v.notJudged = reason;
    return v;
}

// ---- Series ------------------------------------------------------------------------------------

void VerdictSeries::reset()
{
    *this = VerdictSeries();
}

void VerdictSeries::add(const TestRecord& r)
{
    if (!r.hasInputResult)
        return;
    const bool first = runs_ == 0;
    ++runs_;
    for (int n = 0; n < kHarmonics; ++n) {
        sumPct_[n] += r.pctI[n];
        sumMApW_[n] += r.mApW[n];
        sumHarm_[n] += r.harmI[n];
        maxPct_[n] = first ? r.pctI[n] : std::max(maxPct_[n], double(r.pctI[n]));
        maxMApW_[n] = first ? r.mApW[n] : std::max(maxMApW_[n], double(r.mApW[n]));
    }
    sumIrms_ += r.Irms;
    sumPin_ += r.Pin;
    sumPF_ += r.PF;
    sumUrms_ += r.Urms;
    // The waveform conditions must hold in every run: keep the least favourable angles.
    worstStart_ = first ? r.PhaseStart : std::max(worstStart_, double(r.PhaseStart));
    worstPeak_ = first ? r.PhasePeak : std::max(worstPeak_, double(r.PhasePeak));
    worstEnd_ = first ? r.PhaseEnd : std::min(worstEnd_, double(r.PhaseEnd));
}

Verdict VerdictSeries::judge(const TestRecord& latest, int32_t kind, const VerdictProfile& profile) const
{
    const Measured measured = measuredByRun(kind);
    if (runs_ < 2 || !measured.input)
        return judgeRun(latest, kind, profile);
    InputValues in;
    const double k = 1.0 / runs_;
    for (int n = 0; n < kHarmonics; ++n) {
        in.pct[n] = sumPct_[n] * k;
        in.mApW[n] = sumMApW_[n] * k;
        in.harm[n] = sumHarm_[n] * k;
    }
    in.maxPct = maxPct_;
    in.maxMApW = maxMApW_;
    in.Urms = sumUrms_ * k;
    in.Irms = sumIrms_ * k;
    in.Pin = sumPin_ * k;
    in.PF = sumPF_ * k;
    in.start = worstStart_;
    in.peak = worstPeak_;
    in.end = worstEnd_;
    return judgeWith(latest, in, profile, runs_, measured);
}

} // namespace korvex
