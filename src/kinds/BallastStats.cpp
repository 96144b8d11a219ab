// Yield by ballast, the failure Pareto and Cp/Cpk, and their text and JSON forms.
#include "kinds/BallastStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "kinds/VerdictNames.h"

namespace korvex {

namespace {

std::string number(double v, const char* format = "%.6g")
{
    if (!std::isfinite(v))
        return "null";
    char buf[48];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

/// Names in the order a reader expects: a run of digits compares by its number, so the 3rd
/// harmonic comes before the 11th ("classC.h3" < "classC.h11").
bool naturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            // Leading zeros aside, the longer run is the larger number.
            size_t zi = i, zj = j;
            while (zi + 1 < ei && a[zi] == '0')
                ++zi;
            while (zj + 1 < ej && b[zj] == '0')
                ++zj;
            if (ei - zi != ej - zj)
                return ei - zi < ej - zj;
            const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string jsonNumber(const std::optional<double>& v)
{
    return v ? number(*v, "%.10g") : "null";
}

std::string quoted(const std::string& s)
{
    std::string o = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            o += '\\';
            o += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            o += buf;
        } else {
            o += c;
        }
    }
    return o + "\"";
}

/// "62.5 %" or "-" for a share that has no value.
std::string percent(const std::optional<double>& share)
{
    return share ? number(*share * 100.0, "%.1f") + " %" : std::string("-");
}

std::string textNumber(const std::optional<double>& v, const char* format = "%.4g")
{
    return v ? number(*v, format) : std::string("-");
}

/// Terminal columns of UTF-8 text: two for each character beyond ASCII (the Chinese labels).
size_t columns(const std::string& text)
{
    size_t n = 0;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        n += u < 0x80 ? 1 : (u & 0xc0) == 0xc0 ? 2 : 0;
    }
    return n;
}

Capability capabilityOf(const std::string& name, const ValueLimits& limits, const std::vector<BallastOutcome>& outcomes)
{
    Capability c;
    c.value = name;
    c.limits = limits;
    std::vector<double> xs;
    for (const BallastOutcome& o : outcomes)
        if (const auto it = o.values.find(name); it != o.values.end() && std::isfinite(it->second))
            xs.push_back(it->second);
    c.count = static_cast<int>(xs.size());
    if (xs.empty())
        return c;
    double sum = 0;
    for (const double x : xs)
        sum += x;
    const double mean = sum / static_cast<double>(xs.size());
    c.mean = mean;
    if (xs.size() < 2)
        return c;
    // All values equal is sigma 0 exactly, whatever rounding the mean took.
    const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
    double squares = 0;
    for (const double x : xs)
        squares += (x - mean) * (x - mean);
    const double sigma = *lo == *hi ? 0.0 : std::sqrt(squares / static_cast<double>(xs.size() - 1));
    c.sigma = sigma;
    if (!(sigma > 0) || !std::isfinite(sigma))
        return c;
    std::optional<double> cpk;
    if (limits.upper)
        cpk = (*limits.upper - mean) / (3 * sigma);
    if (limits.lower) {
        const double cpl = (mean - *limits.lower) / (3 * sigma);
        cpk = cpk ? std::min(*cpk, cpl) : cpl;
    }
    c.cpk = cpk;
    if (limits.lower && limits.upper)
        c.cp = (*limits.upper - *limits.lower) / (6 * sigma);
    return c;
}

} // namespace

std::string failedCheckLabel(const std::string& key, bool chinese)
{
    static const std::string notMeasured = ".notMeasured";
    if (key.size() > notMeasured.size() &&
        key.compare(key.size() - notMeasured.size(), notMeasured.size(), notMeasured) == 0) {
        for (int k = 0; k <= int(SectionKind::Start); ++k) {
            VerdictSection s;
            s.kind = static_cast<SectionKind>(k);
            s.measured = false;
            s.regime = ClassCRegime::NotMeasured;
            if (sectionKey(s.kind) + notMeasured == key)
                return sectionLabel(s, chinese);
        }
        return key;
    }
    // Harmonic orders run to 40; every other check has order 0.
    for (int k = 0; k <= int(CheckKind::StartVoltageMax); ++k)
        for (int order = 0; order <= 40; ++order) {
            LimitCheck c;
            c.kind = static_cast<CheckKind>(k);
            c.order = order;
            if (checkKey(c) == key)
                return checkLabel(c, chinese);
        }
    return key;
}

const char* ballastResultName(BallastResult result)
{
    switch (result) {
    case BallastResult::Pass: return "pass";
    case BallastResult::Fail: return "fail";
    case BallastResult::Incomplete: break;
    case BallastResult::NotJudged: return "unjudged";
    }
    return "incomplete";
}

BallastStats computeBallastStats(const std::vector<BallastOutcome>& outcomes,
                                 const std::map<std::string, ValueLimits>& limits)
{
    BallastStats s;
    YieldFigures& y = s.yield;
    y.ballasts = static_cast<int>(outcomes.size());

    // Each serial's tests by time (equal times in input order); an entry without a serial is a
    // ballast of its own, first and last test at once.
    std::map<std::string, std::vector<size_t>> bySerial;
    std::map<std::string, int> failures;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const BallastOutcome& o = outcomes[i];
        y.passed += o.result == BallastResult::Pass;
        y.failed += o.result == BallastResult::Fail;
        y.incomplete += o.result == BallastResult::Incomplete;
        y.notJudged += o.result == BallastResult::NotJudged;
        const std::set<std::string> failed(o.failedChecks.begin(), o.failedChecks.end());
        for (const std::string& check : failed)
            ++failures[check];
        if (o.serial.empty()) {
            ++y.serials;
            y.firstPass += o.result == BallastResult::Pass;
            y.finalPass += o.result == BallastResult::Pass;
        } else {
            bySerial[o.serial].push_back(i);
        }
    }
    for (auto& [serial, tests] : bySerial) {
        std::stable_sort(tests.begin(), tests.end(),
                         [&](size_t a, size_t b) { return outcomes[a].atMs < outcomes[b].atMs; });
        ++y.serials;
        y.firstPass += outcomes[tests.front()].result == BallastResult::Pass;
        y.finalPass += outcomes[tests.back()].result == BallastResult::Pass;
    }
    y.retests = y.ballasts - y.serials;
    if (y.serials > 0) {
        y.firstPassYield = static_cast<double>(y.firstPass) / y.serials;
        y.finalYield = static_cast<double>(y.finalPass) / y.serials;
    }

    for (const auto& [check, count] : failures)
        s.pareto.push_back(ParetoBar{check, count});
    std::sort(s.pareto.begin(), s.pareto.end(), [](const ParetoBar& a, const ParetoBar& b) {
        return a.ballasts != b.ballasts ? a.ballasts > b.ballasts : naturalLess(a.check, b.check);
    });

    for (const auto& [name, l] : limits)
        s.capability.push_back(capabilityOf(name, l, outcomes));
    return s;
}

std::string ballastStatsText(const BallastStats& s, bool chinese)
{
    const YieldFigures& y = s.yield;
    std::string o;
    auto line = [&o](const std::string& text) { o += text + "\n"; };
    const std::string n = std::to_string(y.serials);
    if (chinese) {
        line("镇流器测试: " + std::to_string(y.ballasts) + "（镇流器 " + n + "，复测 " + std::to_string(y.retests) +
             "；合格 " + std::to_string(y.passed) + "，不合格 " + std::to_string(y.failed) + "，未完成 " +
             std::to_string(y.incomplete) + (y.notJudged ? "，未判定 " + std::to_string(y.notJudged) : std::string()) +
             "）");
        line("一次通过率: " + percent(y.firstPassYield) + "（" + std::to_string(y.firstPass) + " / " + n + "）");
        line("最终合格率: " + percent(y.finalYield) + "（" + std::to_string(y.finalPass) + " / " + n + "）");
        line("不合格检查项（镇流器数）:");
    } else {
        line("Ballast tests: " + std::to_string(y.ballasts) + " (ballasts " + n + ", retests " +
             std::to_string(y.retests) + "; passed " + std::to_string(y.passed) + ", failed " +
             std::to_string(y.failed) + ", incomplete " + std::to_string(y.incomplete) +
             (y.notJudged ? ", not judged " + std::to_string(y.notJudged) : std::string()) + ")");
        line("First-pass yield: " + percent(y.firstPassYield) + " (" + std::to_string(y.firstPass) + " of " + n + ")");
        line("Final yield: " + percent(y.finalYield) + " (" + std::to_string(y.finalPass) + " of " + n + ")");
        line("Failed checks (ballasts):");
    }
    if (s.pareto.empty())
        line(chinese ? "  无" : "  none");
    for (const ParetoBar& b : s.pareto) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "  %6d  ", b.ballasts);
        const std::string label = failedCheckLabel(b.check, chinese);
        line(buf + label + (label != b.check ? " (" + b.check + ")" : std::string()));
    }
    line(chinese ? "过程能力:" : "Process capability:");
    if (s.capability.empty()) {
        line(chinese ? "  无限值" : "  no value has limits");
        return o;
    }
    // A table, each column as wide as its widest cell on a terminal.
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"value", "n", "mean", "sigma", "lower", "upper", "Cp", "Cpk"});
    for (const Capability& c : s.capability)
        rows.push_back({c.value, std::to_string(c.count), textNumber(c.mean, "%.6g"), textNumber(c.sigma),
                        textNumber(c.limits.lower, "%g"), textNumber(c.limits.upper, "%g"), textNumber(c.cp, "%.2f"),
                        textNumber(c.cpk, "%.2f")});
    if (chinese)
        rows.front() = {"数值", "n", "平均值", "标准差", "下限", "上限", "Cp", "Cpk"};
    std::vector<size_t> width(rows.front().size(), 0);
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            width[i] = std::max(width[i], columns(row[i]));
    for (const auto& row : rows) {
        std::string text = " ";
        for (size_t i = 0; i < row.size(); ++i)
            text += " " + row[i] + (i + 1 < row.size() ? std::string(width[i] - columns(row[i]) + 1, ' ') : "");
        line(text);
    }
    return o;
}

std::string ballastStatsJson(const BallastStats& s)
{
    const YieldFigures& y = s.yield;
    std::string o =
        "{\"ballasts\":" + std::to_string(y.ballasts) + ",\"serials\":" + std::to_string(y.serials) +
        ",\"retests\":" + std::to_string(y.retests) + ",\"passed\":" + std::to_string(y.passed) +
        ",\"failed\":" + std::to_string(y.failed) + ",\"incomplete\":" + std::to_string(y.incomplete) +
        ",\"not_judged\":" + std::to_string(y.notJudged) + ",\"first_pass\":" + std::to_string(y.firstPass) +
        ",\"first_pass_yield\":" + jsonNumber(y.firstPassYield) + ",\"final_pass\":" + std::to_string(y.finalPass) +
        ",\"final_yield\":" + jsonNumber(y.finalYield) + ",\"pareto\":[";
    for (size_t i = 0; i < s.pareto.size(); ++i)
        o += (i ? "," : "") + std::string("{\"check\":") + quoted(s.pareto[i].check) +
             ",\"ballasts\":" + std::to_string(s.pareto[i].ballasts) + "}";
    o += "],\"capability\":[";
    for (size_t i = 0; i < s.capability.size(); ++i) {
        const Capability& c = s.capability[i];
        o += (i ? "," : "") + std::string("{\"value\":") + quoted(c.value) + ",\"count\":" + std::to_string(c.count) +
             ",\"mean\":" + jsonNumber(c.mean) + ",\"sigma\":" + jsonNumber(c.sigma) +
             ",\"lower\":" + jsonNumber(c.limits.lower) + ",\"upper\":" + jsonNumber(c.limits.upper) +
             ",\"cp\":" + jsonNumber(c.cp) + ",\"cpk\":" + jsonNumber(c.cpk) + "}";
    }
    return o + "]}";
}

} // namespace korvex
