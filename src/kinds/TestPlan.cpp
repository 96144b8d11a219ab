// Reading and writing test plans.
#include "kinds/TestPlan.h"

#include <charconv>

#include "record/TestRecord.h"

namespace korvex {

namespace {

const char* const kKindNames[] = {"input", "phase", "output", "comprehensive", "start", "energy"};

std::string trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

int32_t kindOf(const std::string& word)
{
    for (int32_t k = KindInput; k <= KindEnergy; ++k)
        if (word == kKindNames[k - 1])
            return k;
    return 0;
}

} // namespace

TestPlan defaultTestPlan()
{
    // Three input runs judge the harmonics by their average; one output run, then the start
    // and the preheat energy, each of which asks the operator to switch the lamp.
    return TestPlan{{{KindInput, 3}, {KindOutput, 1}, {KindStart, 1}, {KindEnergy, 1}}};
}

const char* planKindName(int32_t kind)
{
    return kind >= KindInput && kind <= KindEnergy ? kKindNames[kind - 1] : "";
}

bool parseTestPlan(const std::string& text, TestPlan& out, std::string& why, std::string& whyZh)
{
    TestPlan plan;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = trimmed(text.substr(begin, end - begin));
        begin = end + 1;
        if (item.empty()) {
            why = "a test plan lists tests separated by commas, such as 'input*3, output, start, energy'; not '" +
                  text + "'";
            whyZh = "测试计划应为以逗号分隔的测试，如 'input*3, output, start, energy'，而不是 '" + text + "'";
            return false;
        }
        const size_t star = item.find('*');
        const std::string word = trimmed(item.substr(0, star));
        PlanStep step;
        step.kind = kindOf(word);
        if (step.kind == 0) {
            why = "unknown test '" + word + "' in the plan (input, phase, output, comprehensive, start, energy)";
            whyZh = "测试计划中的未知测试 '" + word + "'（input、phase、output、comprehensive、start、energy）";
            return false;
        }
        if (star != std::string::npos) {
            const std::string count = trimmed(item.substr(star + 1));
            const char* last = count.data() + count.size();
            const auto res = std::from_chars(count.data(), last, step.runs);
            if (res.ec != std::errc() || res.ptr != last || step.runs < 1 || step.runs > kPlanMaxRuns) {
                why = "the run count of '" + word + "' in the plan must be a whole number from 1 to 100, not '" +
                      count + "'";
                whyZh = "测试计划中 '" + word + "' 的次数应为 1 到 100 的整数，而不是 '" + count + "'";
                return false;
            }
            if (step.runs > 1 && step.kind >= KindStart) {
                why = "'" + word + "' runs once; only input, phase, output and comprehensive take a run count";
                whyZh = "'" + word + "' 只测试一次；只有 input、phase、output、comprehensive 可以指定次数";
                return false;
            }
        }
        plan.steps.push_back(step);
        if (end == text.size())
            break;
    }
    out = std::move(plan);
    return true;
}

std::string testPlanText(const TestPlan& plan)
{
    std::string out;
    for (const PlanStep& s : plan.steps) {
        if (!out.empty())
            out += ", ";
        out += planKindName(s.kind);
        if (s.runs > 1)
            out += "*" + std::to_string(s.runs);
    }
    return out;
}

} // namespace korvex
