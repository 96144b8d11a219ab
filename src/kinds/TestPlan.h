// A product type's test plan: the tests a ballast goes through in order, a measuring test with
// the number of runs of its series ("input*5, output, start, energy").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvex {

struct PlanStep {
    int32_t kind = 0; ///< TestKind 1..6
    int runs = 1;     ///< runs of a measuring test's series (judged by average and 150 %); 1 otherwise

    friend bool operator==(const PlanStep&, const PlanStep&) = default;
};

struct TestPlan {
    std::vector<PlanStep> steps;

    bool empty() const { return steps.empty(); }
    friend bool operator==(const TestPlan&, const TestPlan&) = default;
};

/// The most runs one step may ask for.
inline constexpr int kPlanMaxRuns = 100;

/// The plan a production line runs unless its type's section names another.
TestPlan defaultTestPlan();

/// The word of a kind in plans ("input", "phase", "output", "comprehensive", "start",
/// "energy"); "" for anything else.
const char* planKindName(int32_t kind);

/// Reads "input*5, output, start, energy". On failure returns false and says why, in English
/// and in Chinese (an unknown test, a count that is not 1..100, a count on a test that does
/// not repeat, an empty plan or step).
bool parseTestPlan(const std::string& text, TestPlan& out, std::string& why, std::string& whyZh);

/// The plan as the file writes it ("input*5, output, start, energy").
std::string testPlanText(const TestPlan& plan);

} // namespace korvex
