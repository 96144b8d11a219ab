// Yield by ballast, the failure Pareto and Cp/Cpk on a crafted set, checked against figures
// computed by hand; and the names the archive makes from a ballast's serial, type and verdict.
#include <gtest/gtest.h>

#include <cmath>

#include "kinds/ArchiveSettings.h"
#include "kinds/BallastStats.h"

using namespace korvex;

namespace {

constexpr BallastResult P = BallastResult::Pass;
constexpr BallastResult F = BallastResult::Fail;
constexpr BallastResult I = BallastResult::Incomplete;

// Eleven tests of seven ballasts. By serial, in time order:
//   A: fail, pass            first no,  final yes
//   B: pass                  first yes, final yes
//   C: pass, incomplete      first yes, final no (a cancelled retest after a pass)
//   D: incomplete, pass      first no,  final yes
//   E: fail                  first no,  final no
//   F: fail (t 11), pass (t 20), given in the reverse order: first no, final yes
//   (no serial): pass        a ballast of its own: first yes, final yes
// ballasts 11, serials 7, retests 4; passed 6, failed 3, incomplete 2;
// first pass 3 of 7 = 42.857 %, final 5 of 7 = 71.429 %.
// Pareto: class_c_h3 failed by A@1, E@9 (named twice there, counted once) and F@11: 3;
// lamp_crest by E@9: 1; preheat_min by C@6: 1 (ties by name: lamp_crest first).
std::vector<BallastOutcome> crafted()
{
    const double nan = std::nan("");
    return {
        {"A", 1, F, {"class_c_h3"}, {{"pf", 0.96}, {"lamp_power", 32}, {"crest", 1.5}}},
        {"A", 5, P, {}, {{"pf", 0.97}, {"lamp_power", 33}, {"crest", 1.5}}},
        {"B", 2, P, {}, {{"pf", 0.98}, {"lamp_power", 34}, {"crest", 1.5}, {"thd", 8}}},
        {"C", 3, P, {}, {{"pf", 0.99}, {"lamp_power", 35}}},
        {"C", 6, I, {"preheat_min"}, {{"pf", nan}}},
        {"D", 7, I, {}, {}},
        {"D", 8, P, {}, {}},
        {"E", 9, F, {"class_c_h3", "lamp_crest", "class_c_h3"}, {}},
        {"F", 20, P, {}, {}},
        {"F", 11, F, {"class_c_h3"}, {}},
        {"", 10, P, {}, {}},
    };
}

const Capability& capabilityOf(const BallastStats& s, const std::string& name)
{
    for (const Capability& c : s.capability)
        if (c.value == name)
            return c;
    throw std::runtime_error("no capability for " + name);
}

} // namespace

TEST(BallastStats, yieldCountsBallastsNotRunsAndRetestsDecideTheFinalYield)
{
    const YieldFigures y = computeBallastStats(crafted(), {}).yield;
    // ballasts, serials, retests, passed, failed, incomplete, first pass, final pass
    EXPECT_EQ((std::vector<int>{y.ballasts, y.serials, y.retests, y.passed, y.failed, y.incomplete, y.firstPass,
                                y.finalPass}),
              (std::vector<int>{11, 7, 4, 6, 3, 2, 3, 5}));
    ASSERT_TRUE(y.firstPassYield && y.finalYield);
    EXPECT_NEAR(*y.firstPassYield, 3.0 / 7, 1e-12);
    EXPECT_NEAR(*y.finalYield, 5.0 / 7, 1e-12);

    const YieldFigures none = computeBallastStats({}, {}).yield;
    EXPECT_FALSE(none.firstPassYield || none.finalYield); // no ballast: no yield, not 0 %
}

TEST(BallastStats, aBallastNotJudgedIsNeitherPassNorFailAndBlamesNoCheck)
{
    // G: passed, then retested while the limits file was damaged; H: not judged on its only test.
    const std::vector<BallastOutcome> set = {
        {"G", 1, P, {}, {}},
        {"G", 2, BallastResult::NotJudged, {}, {}},
        {"H", 3, BallastResult::NotJudged, {}, {}},
    };
    const BallastStats s = computeBallastStats(set, {});
    const YieldFigures& y = s.yield;
    // passed, failed, incomplete, not judged, first pass, final pass
    EXPECT_EQ((std::vector<int>{y.passed, y.failed, y.incomplete, y.notJudged, y.firstPass, y.finalPass}),
              (std::vector<int>{1, 0, 0, 2, 1, 0}));
    EXPECT_TRUE(s.pareto.empty());
    EXPECT_NE(ballastStatsJson(s).find("\"not_judged\":2"), std::string::npos);
    EXPECT_NE(ballastStatsText(s, false).find("not judged 2"), std::string::npos);
    EXPECT_STREQ(ballastResultName(BallastResult::NotJudged), "unjudged");
}

TEST(BallastStats, paretoLargestFirstEachBallastOncePerCheck)
{
    const BallastStats s = computeBallastStats(crafted(), {});
    std::vector<std::pair<std::string, int>> bars;
    for (const ParetoBar& b : s.pareto)
        bars.emplace_back(b.check, b.ballasts);
    EXPECT_EQ(bars,
              (std::vector<std::pair<std::string, int>>{{"class_c_h3", 3}, {"lamp_crest", 1}, {"preheat_min", 1}}));

    // Equal counts by name as a reader orders them: the 3rd harmonic before the 11th and 29th.
    const BallastStats h = computeBallastStats({{"G", 1, F, {"classC.h11", "classC.h29", "classC.h3"}, {}}}, {});
    ASSERT_EQ(h.pareto.size(), 3u);
    EXPECT_EQ(h.pareto[0].check, "classC.h3");
    EXPECT_EQ(h.pareto[1].check, "classC.h11");
    EXPECT_EQ(h.pareto[2].check, "classC.h29");
}

TEST(BallastStats, cpAndCpkAgainstHandComputedFigures)
{
    // lamp_power, limits 30..36 W, values 32 33 34 35: mean 33.5; squared deviations
    // 2.25 + 0.25 + 0.25 + 2.25 = 5, s = sqrt(5 / 3) = 1.290994; Cp = 6 / (6 s) = 0.774597;
    // Cpu = (36 - 33.5) / 3s = 0.645497, Cpl = (33.5 - 30) / 3s = 0.903696, Cpk = 0.645497.
    // pf, lower limit 0.95 only, values 0.96 0.97 0.98 0.99 (the NaN is not a value): mean 0.975,
    // s = sqrt(0.0005 / 3) = 0.0129099; Cpk = Cpl = 0.025 / 3s = 0.645497; no Cp with one limit.
    // crest, upper 1.7, three values of 1.5: sigma 0, no Cp or Cpk. thd: one value, no sigma.
    // ghost: limits but no value at all.
    const std::map<std::string, ValueLimits> limits = {{"lamp_power", {30.0, 36.0}},
                                                       {"pf", {0.95, std::nullopt}},
                                                       {"crest", {std::nullopt, 1.7}},
                                                       {"thd", {std::nullopt, 10.0}},
                                                       {"ghost", {0.0, 1.0}}};
    const BallastStats s = computeBallastStats(crafted(), limits);
    ASSERT_EQ(s.capability.size(), 5u);

    const std::optional<double> none;
    const struct {
        const char* value;
        int count;
        std::optional<double> sigma, cp, cpk;
    } expected[] = {
        {"lamp_power", 4, 1.290994, 0.774597, 0.645497},
        {"pf", 4, 0.0129099, none, 0.645497},
        {"crest", 3, 0.0, none, none},
        {"thd", 1, none, none, none},
        {"ghost", 0, none, none, none},
    };
    auto same = [](const std::optional<double>& got, const std::optional<double>& want) {
        return got.has_value() == want.has_value() && (!want || std::abs(*got - *want) < 1e-6 * std::max(1.0, *want));
    };
    for (const auto& e : expected) {
        const Capability& c = capabilityOf(s, e.value);
        EXPECT_EQ(c.count, e.count) << e.value;
        EXPECT_TRUE(same(c.sigma, e.sigma)) << e.value;
        EXPECT_TRUE(same(c.cp, e.cp)) << e.value;
        EXPECT_TRUE(same(c.cpk, e.cpk)) << e.value;
    }
    EXPECT_NEAR(*capabilityOf(s, "lamp_power").mean, 33.5, 1e-12);

    // What has no figure is null in JSON and '-' in the text, never a number such as nan.
    const std::string json = ballastStatsJson(s);
    EXPECT_NE(json.find(R"({"value":"crest","count":3,"mean":1.5,"sigma":0,"lower":null,"upper":1.7,"cp":null,)"
                        R"("cpk":null})"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("first_pass":3,"first_pass_yield":0.4285714286,"final_pass":5,)"), std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("pareto":[{"check":"class_c_h3","ballasts":3},)"), std::string::npos) << json;
    for (const bool chinese : {false, true}) {
        const std::string text = ballastStatsText(s, chinese);
        EXPECT_NE(text.find("42.9 %"), std::string::npos) << text;
        EXPECT_NE(text.find("71.4 %"), std::string::npos) << text;
        EXPECT_NE(text.find("0.77  0.65"), std::string::npos) << text;
        EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    }
}

TEST(ArchiveNames, serialAndTypeCannotLeaveTheFolderOrHideAFile)
{
    EXPECT_EQ(safeNamePart("../etc/passwd"), "_._etc_passwd");
    EXPECT_EQ(safeNamePart(".."), "_.");
    EXPECT_EQ(safeNamePart("  SN 0042\t"), "SN 0042");
    EXPECT_EQ(safeNamePart("A:B*C?\"<>|\\"), "A_B_C______");
    EXPECT_EQ(safeNamePart("SN\x01\x7f\xff"), "SN___");
    EXPECT_EQ(safeNamePart(""), "_");
    EXPECT_EQ(safeNamePart("镇流器-7"), "镇流器-7");
    // Cut to 64 bytes, never inside a character: 21 three-byte characters are 63 bytes.
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "镇";
    EXPECT_EQ(safeNamePart(many).size(), 63u);

    const ArchiveNameParts parts{2024, 5, 1, 8, 30, 5, "SN/1", "T8 36W", "fail"};
    EXPECT_EQ(expandArchivePattern(kDefaultArchivePattern, parts), "2024-05-01/SN_1_fail");
    EXPECT_EQ(expandArchivePattern("{type}/{date}/{time}-{serial}", parts), "T8 36W/2024-05-01/083005-SN_1");
}

TEST(ArchiveNames, aPatternThatCannotNameAFileBelowTheFolderIsRefused)
{
    EXPECT_TRUE(archivePatternFault(kDefaultArchivePattern).empty());
    EXPECT_TRUE(archivePatternFault("{type}/{date}/{serial}-{time}_{verdict}").empty());
    for (const char* bad : {"", "/srv/{serial}", "{date}/../{serial}", "{date}//{serial}", "./{serial}",
                            "{date}/{serial}/", "{serail}", "{date", "date}", "{date}\\{serial}", "a\tb"})
        EXPECT_FALSE(archivePatternFault(bad).empty()) << bad;
}
