// A verdict written out: one JSON object, a plain-text table, CSV lines.
#include "kinds/VerdictOutput.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "kinds/VerdictNames.h"

namespace korvex {

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
    // The start limits have no column of their own (the columns stay as they were); their
    // failures are named with the others.
    for (SectionKind k : {SectionKind::ClassC, SectionKind::LampCrest, SectionKind::PreheatEnergy,
                          SectionKind::Optional, SectionKind::Start}) {
        const VerdictSection* s = v.section(k);
        if (k != SectionKind::Start) {
            line += ",";
            line += s ? (s->pass ? "PASS" : "FAIL") : "-";
        }
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
