// Judging a record against a profile, the series accumulation, and the JSON, text and CSV forms.
#include "kinds/Verdict.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

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
    bool input = false, output = false, energy = false;
};

Measured measuredByRecord(const TestRecord& r)
{
    return {r.hasInputResult != 0, r.hasOutputResult != 0, r.hasEnergyResult != 0};
}

Measured measuredByRun(int32_t kind)
{
    return {kind == KindInput || kind == KindPhase || kind == KindComprehensive,
            kind == KindOutput || kind == KindComprehensive, kind == KindEnergy};
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

// ---- Names -------------------------------------------------------------------------------------

std::string checkKey(const LimitCheck& c)
{
    const std::string n = std::to_string(c.order);
    switch (c.kind) {
    case CheckKind::ClassCHarmonic: return "classC.h" + n;
    case CheckKind::ClassDHarmonic: return "classC.a.h" + n;
    case CheckKind::WaveformHarmonic: return "classC.b.h" + n;
    case CheckKind::WaveformStart: return "classC.b.start";
    case CheckKind::WaveformPeak: return "classC.b.peak";
    case CheckKind::WaveformEnd: return "classC.b.end";
    case CheckKind::LampCrestPositive: return "lampCrest.positive";
    case CheckKind::LampCrestNegative: return "lampCrest.negative";
    case CheckKind::PreheatMin: return "preheat.min";
    case CheckKind::PreheatMax: return "preheat.max";
    case CheckKind::PowerFactorMin: return "powerFactor.min";
    case CheckKind::CurrentThdMax: return "currentThd.max";
    case CheckKind::InputPowerMin: return "inputPower.min";
    case CheckKind::InputPowerMax: return "inputPower.max";
    case CheckKind::LampPowerMin: return "lampPower.min";
    case CheckKind::LampPowerMax: return "lampPower.max";
    }
    return "unknown";
}

std::string checkLabel(const LimitCheck& c, bool chinese)
{
    const std::string n = std::to_string(c.order);
    switch (c.kind) {
    case CheckKind::ClassCHarmonic: return chinese ? n + "次谐波" : "Harmonic " + n;
    case CheckKind::ClassDHarmonic: return chinese ? "a: " + n + "次谐波/瓦" : "a: Harmonic " + n + " per W";
    case CheckKind::WaveformHarmonic: return chinese ? "b: " + n + "次谐波" : "b: Harmonic " + n;
    case CheckKind::WaveformStart: return chinese ? "b: 电流起始角" : "b: Current start angle";
    case CheckKind::WaveformPeak: return chinese ? "b: 电流峰值角" : "b: Current peak angle";
    case CheckKind::WaveformEnd: return chinese ? "b: 电流终止角" : "b: Current end angle";
    case CheckKind::LampCrestPositive: return chinese ? "灯电流峰值系数(正)" : "Lamp current CF (+)";
    case CheckKind::LampCrestNegative: return chinese ? "灯电流峰值系数(负)" : "Lamp current CF (-)";
    case CheckKind::PreheatMin: return chinese ? "预热能量 ≥ Emin" : "Preheat energy >= Emin";
    case CheckKind::PreheatMax: return chinese ? "预热能量 ≤ Emax" : "Preheat energy <= Emax";
    case CheckKind::PowerFactorMin: return chinese ? "功率因数下限" : "Power factor (min)";
    case CheckKind::CurrentThdMax: return chinese ? "电流谐波失真上限" : "Current THD (max)";
    case CheckKind::InputPowerMin: return chinese ? "输入功率下限" : "Input power (min)";
    case CheckKind::InputPowerMax: return chinese ? "输入功率上限" : "Input power (max)";
    case CheckKind::LampPowerMin: return chinese ? "灯功率下限" : "Lamp power (min)";
    case CheckKind::LampPowerMax: return chinese ? "灯功率上限" : "Lamp power (max)";
    }
    return {};
}

const char* checkUnit(const LimitCheck& c)
{
    switch (c.kind) {
    case CheckKind::ClassCHarmonic:
    case CheckKind::WaveformHarmonic:
    case CheckKind::CurrentThdMax: return "%";
    case CheckKind::ClassDHarmonic: return "mA/W";
    case CheckKind::WaveformStart:
    case CheckKind::WaveformPeak:
    case CheckKind::WaveformEnd: return "°";
    case CheckKind::PreheatMin:
    case CheckKind::PreheatMax: return "J";
    case CheckKind::InputPowerMin:
    case CheckKind::InputPowerMax:
    case CheckKind::LampPowerMin:
    case CheckKind::LampPowerMax: return "W";
    default: return "";
    }
}

const char* sectionKey(SectionKind kind)
{
    switch (kind) {
    case SectionKind::ClassC: return "classC";
    case SectionKind::LampCrest: return "lampCrest";
    case SectionKind::PreheatEnergy: return "preheat";
    case SectionKind::Optional: return "further";
    }
    return "unknown";
}

namespace {

const char* regimeKey(ClassCRegime g)
{
    switch (g) {
    case ClassCRegime::NotMeasured: return "notMeasured";
    case ClassCRegime::AboveTwentyFive: return "above25W";
    case ClassCRegime::LowPower: return "5to25W";
    case ClassCRegime::BelowFive: return "below5W";
    }
    return "unknown";
}

} // namespace

std::string sectionLabel(const VerdictSection& s, bool chinese)
{
    switch (s.kind) {
    case SectionKind::ClassC: {
        std::string t = chinese ? "输入谐波 IEC 61000-3-2 C类" : "Input harmonics IEC 61000-3-2 Class C";
        switch (s.regime) {
        case ClassCRegime::NotMeasured: return t + (chinese ? ": 未测得输入电压" : ": no mains voltage measured");
        case ClassCRegime::AboveTwentyFive: return t + (chinese ? " (25 W以上)" : " (above 25 W)");
        case ClassCRegime::LowPower: return t + (chinese ? " (5~25 W: a或b)" : " (5 to 25 W: a or b)");
        case ClassCRegime::BelowFive: return t + (chinese ? ": 5 W以下无限值" : ": below 5 W, no limits");
        }
        return t;
    }
    case SectionKind::LampCrest:
        if (!s.measured)
            return chinese ? "灯电流峰值系数: 未测得灯电流" : "Lamp current crest factor: no lamp current measured";
        return chinese ? "灯电流峰值系数" : "Lamp current crest factor";
    case SectionKind::PreheatEnergy: return chinese ? "预热能量" : "Preheat energy";
    case SectionKind::Optional: return chinese ? "其他限值" : "Further limits";
    }
    return {};
}

const char* outcomeText(Outcome o, bool chinese)
{
    switch (o) {
    case Outcome::Pass: return chinese ? "合格" : "PASS";
    case Outcome::Fail: return chinese ? "不合格" : "FAIL";
    case Outcome::Disregarded: return chinese ? "不计" : "disregarded";
    }
    return "";
}

const char* resultText(VerdictResult r, bool chinese)
{
    switch (r) {
    case VerdictResult::Pass: return chinese ? "合格" : "PASS";
    case VerdictResult::Fail: return chinese ? "不合格" : "FAIL";
    case VerdictResult::NoChecks: return chinese ? "无判定项目" : "NO CHECKS";
    case VerdictResult::NotJudged: return chinese ? "未判定" : "NOT JUDGED";
    }
    return "";
}

const char* resultKey(VerdictResult r)
{
    switch (r) {
    case VerdictResult::Pass: return "pass";
    case VerdictResult::Fail: return "fail";
    case VerdictResult::NoChecks: return "none";
    case VerdictResult::NotJudged: return "unjudged";
    }
    return "";
}

// ---- JSON, text, CSV ---------------------------------------------------------------------------

namespace {

/// Shortest text of the value as a single-precision number (the record's precision); null
/// for NaN or infinity.
std::string num(double v)
{
    if (!std::isfinite(v) || !std::isfinite(float(v)))
        return "null";
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, float(v));
    return std::string(buf, res.ptr);
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

const char* outcomeKey(Outcome o)
{
    switch (o) {
    case Outcome::Pass: return "pass";
    case Outcome::Fail: return "fail";
    case Outcome::Disregarded: return "disregarded";
    }
    return "";
}

std::string fixed(double v, int decimals)
{
    if (!std::isfinite(v))
        return "-";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

/// Decimals that show about four significant digits of a value near v.
int decimalsFor(double v)
{
    const double a = std::abs(v);
    if (a >= 1000)
        return 0;
    if (a >= 100)
        return 1;
    if (a >= 10)
        return 2;
    return 3;
}

/// Pads UTF-8 text to a display width, counting a CJK character as two columns.
std::string pad(const std::string& s, size_t width)
{
    size_t cols = 0;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        cols += (len >= 3 && s.compare(i, 2, "\xC2\xB0") != 0) ? 2 : 1;
        i += len;
    }
    return cols >= width ? s + " " : s + std::string(width - cols, ' ');
}

std::string csvField(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string out = "\"";
    for (const char ch : s)
        out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return out + "\"";
}

} // namespace

std::string verdictJson(const Verdict& v)
{
    std::string o = "{\"result\":" + quoted(resultKey(v.result()));
    o += ",\"pass\":" + std::string(v.pass && v.judged() ? "true" : "false");
    if (!v.notJudged.empty())
        o += ",\"reason\":" + quoted(v.notJudged);
    o += ",\"profile\":" + quoted(v.profile);
    o += ",\"runs\":" + std::to_string(v.runs);
    o += ",\"sections\":[";
    for (size_t i = 0; i < v.sections.size(); ++i) {
        const VerdictSection& s = v.sections[i];
        if (i)
            o += ',';
        o += "{\"section\":" + quoted(sectionKey(s.kind));
        o += ",\"pass\":" + std::string(s.pass ? "true" : "false");
        o += ",\"measured\":" + std::string(s.measured ? "true" : "false");
        if (s.kind == SectionKind::ClassC) {
            o += ",\"regime\":" + quoted(regimeKey(s.regime));
            if (s.regime == ClassCRegime::LowPower) {
                o += ",\"wayA\":" + std::string(s.passA ? "true" : "false");
                o += ",\"wayB\":" + std::string(s.passB ? "true" : "false");
            }
        }
        o += ",\"checks\":[";
        for (size_t j = 0; j < s.checks.size(); ++j) {
            const LimitCheck& c = s.checks[j];
            if (j)
                o += ',';
            o += "{\"check\":" + quoted(checkKey(c));
            if (c.order)
                o += ",\"order\":" + std::to_string(c.order);
            o += ",\"value\":" + num(c.value);
            o += ",\"limit\":" + num(c.limit);
            o += ",\"bound\":" + quoted(c.upper ? "max" : "min");
            o += ",\"unit\":" + quoted(checkUnit(c));
            o += ",\"margin\":" + num(c.margin);
            if (std::isfinite(c.maxValue))
                o += ",\"max\":" + num(c.maxValue);
            o += ",\"result\":" + quoted(outcomeKey(c.result)) + "}";
        }
        o += "]}";
    }
    return o + "]}";
}

std::string verdictText(const Verdict& v, bool chinese)
{
    std::string t;
    if (!v.notJudged.empty())
        return (chinese ? "未判定: " : "not judged: ") + v.notJudged + "\n";
    if (!v.judged())
        return chinese ? "无判定项目 (测试结果无限值)\n" : "no checks (no limits apply to the results)\n";
    const std::string runs =
        v.runs > 1 ? (chinese ? std::to_string(v.runs) + "次平均" : "average of " + std::to_string(v.runs) + " runs")
                   : (chinese ? "单次测量" : "single capture");
    t += (chinese ? "判定: " : "Verdict: ") +
         std::string(v.pass ? outcomeText(Outcome::Pass, chinese) : outcomeText(Outcome::Fail, chinese));
    t += "  (" + std::string(chinese ? "限值 " : "profile ") + v.profile + ", " + runs + ")\n";
    for (const VerdictSection& s : v.sections) {
        t += sectionLabel(s, chinese) + ": " + outcomeText(s.pass ? Outcome::Pass : Outcome::Fail, chinese);
        if (s.regime == ClassCRegime::LowPower && s.kind == SectionKind::ClassC)
            t += std::string("  (a ") + outcomeText(s.passA ? Outcome::Pass : Outcome::Fail, chinese) + ", b " +
                 outcomeText(s.passB ? Outcome::Pass : Outcome::Fail, chinese) + ")";
        t += "\n";
        for (const LimitCheck& c : s.checks) {
            const std::string unit = checkUnit(c);
            t += "  " + pad(checkLabel(c, chinese), 26) + pad(fixed(c.value, decimalsFor(c.value)) + " " + unit, 13) +
                 pad((c.upper ? "<= " : ">= ") + fixed(c.limit, decimalsFor(c.limit)) + " " + unit, 16) +
                 pad(fixed(c.margin, 1) + " %", 10);
            if (std::isfinite(c.maxValue))
                t += pad((chinese ? "最大 " : "max ") + fixed(c.maxValue, decimalsFor(c.maxValue)), 14);
            t += std::string(outcomeText(c.result, chinese)) + "\n";
        }
    }
    return t;
}

std::string verdictCsvTitle()
{
    return "File,Result,Profile,Runs,ClassC,LampCrest,PreheatEnergy,FurtherLimits,FailedChecks";
}

std::string verdictCsvLine(const std::string& file, const Verdict& v)
{
    const char* const results[] = {"PASS", "FAIL", "NONE", "NOT JUDGED"};
    std::string line =
        csvField(file) + "," + results[int(v.result())] + "," + csvField(v.profile) + "," + std::to_string(v.runs);
    std::string failed;
    for (SectionKind k :
         {SectionKind::ClassC, SectionKind::LampCrest, SectionKind::PreheatEnergy, SectionKind::Optional}) {
        const VerdictSection* s = v.section(k);
        line += ",";
        line += s ? (s->pass ? "PASS" : "FAIL") : "-";
        if (s && !s->measured)
            failed += (failed.empty() ? "" : ";") + std::string(sectionKey(k)) + ".notMeasured";
        if (s && !s->pass)
            for (const LimitCheck& c : s->checks)
                if (c.result == Outcome::Fail)
                    failed += (failed.empty() ? "" : ";") + checkKey(c);
    }
    return line + "," + csvField(v.notJudged.empty() ? failed : v.notJudged);
}

} // namespace korvex
