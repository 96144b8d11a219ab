// The names of a verdict's parts: stable keys for JSON, CSV and the log, captions and units in
// the report's language.
#include "kinds/VerdictNames.h"

namespace korvex {

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
    case CheckKind::StartIgnition: return "start.ignition";
    case CheckKind::StartTimeMax: return "start.time";
    case CheckKind::StartVoltageMax: return "start.voltage";
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
    case CheckKind::StartIgnition: return chinese ? "启动后灯电流下限" : "Lamp current after start (min)";
    case CheckKind::StartTimeMax: return chinese ? "启动时间上限" : "Time to ignition (max)";
    case CheckKind::StartVoltageMax: return chinese ? "启动灯电压峰值上限" : "Start lamp voltage peak (max)";
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
    case CheckKind::StartIgnition: return "A";
    case CheckKind::StartTimeMax: return "s";
    case CheckKind::StartVoltageMax: return "V";
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
    case SectionKind::Start: return "start";
    }
    return "unknown";
}

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
    case SectionKind::Start: return chinese ? "启动" : "Lamp start";
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

const char* outcomeKey(Outcome o)
{
    switch (o) {
    case Outcome::Pass: return "pass";
    case Outcome::Fail: return "fail";
    case Outcome::Disregarded: return "disregarded";
    }
    return "";
}

std::vector<std::string> failedCheckLabels(const Verdict& v, bool chinese)
{
    std::vector<std::string> out;
    if (!v.notJudged.empty()) {
        out.push_back(v.notJudged);
        return out;
    }
    for (const VerdictSection& s : v.sections) {
        if (!s.measured)
            out.push_back(sectionLabel(s, chinese));
        if (s.pass)
            continue;
        for (const LimitCheck& c : s.checks)
            if (c.result == Outcome::Fail)
                out.push_back(checkLabel(c, chinese));
        if (s.measured && s.checks.empty())
            out.push_back(sectionLabel(s, chinese));
    }
    return out;
}

std::vector<std::string> failedCheckKeys(const Verdict& v)
{
    std::vector<std::string> out;
    for (const VerdictSection& s : v.sections) {
        if (!s.measured)
            out.push_back(std::string(sectionKey(s.kind)) + ".notMeasured");
        if (s.pass)
            continue;
        for (const LimitCheck& c : s.checks)
            if (c.result == Outcome::Fail)
                out.push_back(checkKey(c));
    }
    return out;
}

} // namespace korvex
