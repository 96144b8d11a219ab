// Verdicts: Class C harmonics in both power bands, the small-harmonic rule, crest factor and
// preheat energy limits, the series rule, and the profile file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "kinds/Verdict.h"
#include "kinds/VerdictNames.h"
#include "kinds/VerdictOutput.h"
#include "kinds/VerdictProfile.h"

namespace korvex::testing {
namespace {

/// An input result of a ballast on 230 V mains drawing pin watts at power factor pf, with
/// harmonics given in % of the fundamental; the fields are related as the input evaluation
/// relates them (harmI from the fundamental, mApW per watt).
TestRecord inputRecord(double pin, double pf, const std::map<int, double>& pct, double start = 30, double peak = 60,
                       double end = 150)
{
    TestRecord r;
    resetAllResults(r);
    r.hasInputResult = r.hasPhaseResult = 1;
    r.Urms = 230.0f;
    r.Pin = float(pin);
    r.PF = float(pf);
    r.Irms = float(pin / (230.0 * pf));
    double sum = 1.0;
    for (const auto& [n, p] : pct)
        sum += (p / 100) * (p / 100);
    const double i1 = r.Irms / std::sqrt(sum);
    r.pctI[1] = 100.0f;
    r.harmI[1] = float(i1);
    for (const auto& [n, p] : pct) {
        r.pctI[n] = float(p);
        r.harmI[n] = float(i1 * p / 100);
    }
    for (int n = 0; n < kHarmonics; ++n)
        r.mApW[n] = float(r.harmI[n] * 1000 / pin);
    r.PhaseStart = float(start);
    r.PhasePeak = float(peak);
    r.PhaseEnd = float(end);
    return r;
}

const LimitCheck* findCheck(const Verdict& v, const std::string& key)
{
    for (const VerdictSection& s : v.sections)
        for (const LimitCheck& c : s.checks)
            if (checkKey(c) == key)
                return &c;
    return nullptr;
}

const VerdictProfile kDefault;

TEST(ClassCAbove25W, ThirdHarmonicLimitFollowsThePowerFactor)
{
    // 30 % third harmonic meets 30 * PF only at unity power factor.
    const Verdict at099 = judgeRecord(inputRecord(36, 0.99, {{3, 30.0}}), kDefault);
    const LimitCheck* h3 = findCheck(at099, "classC.h3");
    ASSERT_NE(h3, nullptr);
    EXPECT_NEAR(h3->limit, 29.7, 1e-5);
    EXPECT_EQ(h3->result, Outcome::Fail);
    EXPECT_NEAR(h3->margin, (29.7 - 30.0) / 29.7 * 100, 1e-3);
    EXPECT_FALSE(at099.pass);
    EXPECT_EQ(at099.section(SectionKind::ClassC)->regime, ClassCRegime::AboveTwentyFive);

    const Verdict at100 = judgeRecord(inputRecord(36, 1.0, {{3, 30.0}}), kDefault);
    EXPECT_EQ(findCheck(at100, "classC.h3")->result, Outcome::Pass);
    EXPECT_TRUE(at100.pass);
}

TEST(ClassCAbove25W, SmallHarmonicsAreDisregarded)
{
    // 2.5 % second harmonic (limit 2 %) of a 36 W ballast is about 4 mA: below 5 mA, not judged.
    const Verdict small = judgeRecord(inputRecord(36, 0.99, {{2, 2.5}}), kDefault);
    EXPECT_EQ(findCheck(small, "classC.h2")->result, Outcome::Disregarded);
    EXPECT_TRUE(small.pass);
    // The same share at 150 W is about 16 mA and fails.
    const Verdict large = judgeRecord(inputRecord(150, 0.99, {{2, 2.5}}), kDefault);
    EXPECT_EQ(findCheck(large, "classC.h2")->result, Outcome::Fail);
    EXPECT_FALSE(large.pass);
    // Below 0.6 % of the input current even above 5 mA: 0.5 % of a 2 kW load's current.
    const Verdict share = judgeRecord(inputRecord(2000, 0.99, {{2, 0.5}, {11, 0.5}}), kDefault);
    EXPECT_EQ(findCheck(share, "classC.h11")->result, Outcome::Disregarded);
}

TEST(ClassCLowPower, CapacitorInputBallastFailsBothWays)
{
    // Bridge rectifier and bulk capacitor: a narrow current pulse late in the half-wave.
    const TestRecord r = inputRecord(18, 0.55, {{3, 85}, {5, 65}, {7, 42}, {9, 22}, {11, 12}, {13, 9}}, 68, 85, 102);
    const Verdict v = judgeRecord(r, kDefault);
    const VerdictSection* s = v.section(SectionKind::ClassC);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->regime, ClassCRegime::LowPower);
    EXPECT_FALSE(s->passA);
    EXPECT_FALSE(s->passB);
    EXPECT_EQ(findCheck(v, "classC.a.h3")->result, Outcome::Fail);
    EXPECT_EQ(findCheck(v, "classC.b.h5")->result, Outcome::Fail);
    EXPECT_EQ(findCheck(v, "classC.b.start")->result, Outcome::Fail);
    EXPECT_FALSE(v.pass);
}

TEST(ClassCLowPower, WaveformWayHingesOnTheStartAngle)
{
    // Within 86 % / 61 % but far above the Class D per-watt limits: only way b can pass.
    const std::map<int, double> spectrum{{3, 80}, {5, 55}, {7, 30}, {9, 15}};
    const Verdict late = judgeRecord(inputRecord(18, 0.6, spectrum, 62, 64, 95), kDefault);
    EXPECT_FALSE(late.section(SectionKind::ClassC)->passA);
    EXPECT_FALSE(late.section(SectionKind::ClassC)->passB);
    EXPECT_EQ(findCheck(late, "classC.b.start")->result, Outcome::Fail);
    EXPECT_FALSE(late.pass);

    const Verdict early = judgeRecord(inputRecord(18, 0.6, spectrum, 58, 64, 95), kDefault);
    EXPECT_TRUE(early.section(SectionKind::ClassC)->passB);
    EXPECT_TRUE(early.pass);
}

TEST(ClassCLowPower, BelowFiveWattsHasNoLimits)
{
    const Verdict v = judgeRecord(inputRecord(4.5, 0.5, {{3, 90}, {5, 80}}), kDefault);
    EXPECT_EQ(v.section(SectionKind::ClassC)->regime, ClassCRegime::BelowFive);
    EXPECT_TRUE(v.pass);
}

TEST(ClassC, NoMainsVoltageIsNotAPass)
{
    TestRecord r = inputRecord(36, 0.99, {});
    r.Urms = 0;
    const Verdict v = judgeRecord(r, kDefault);
    EXPECT_FALSE(v.section(SectionKind::ClassC)->measured);
    EXPECT_FALSE(v.pass);
}

TestRecord outputRecord(float cfPositive, float cfNegative)
{
    TestRecord r;
    resetAllResults(r);
    r.hasOutputResult = 1;
    r.Ilrms = 0.32f;
    r.Ilcf = cfPositive;
    r.Ilncf = cfNegative;
    r.Pout = 32.0f;
    return r;
}

TEST(LampCrestFactor, LimitIsInclusive)
{
    EXPECT_TRUE(judgeRecord(outputRecord(1.70f, 1.70f), kDefault).pass);
    EXPECT_FALSE(judgeRecord(outputRecord(1.71f, 1.50f), kDefault).pass);
    const Verdict negative = judgeRecord(outputRecord(1.50f, 1.71f), kDefault);
    EXPECT_EQ(findCheck(negative, "lampCrest.positive")->result, Outcome::Pass);
    EXPECT_EQ(findCheck(negative, "lampCrest.negative")->result, Outcome::Fail);
    EXPECT_FALSE(negative.pass);
}

TEST(LampCrestFactor, NoLampCurrentFails)
{
    TestRecord r = outputRecord(0, 0); // the evaluation zeroes the group without lamp current
    r.Ilrms = 0;
    EXPECT_FALSE(judgeRecord(r, kDefault).pass);
}

TestRecord energyRecord(float energy)
{
    TestRecord r;
    resetAllResults(r);
    r.hasEnergyResult = 1;
    r.qPara = 7.0f;
    r.pPara = 9.0f;
    r.fPara = 1.5f;
    r.preheatTime = 1.0f; // Emin = 16 J, Emax = 24 J
    r.preheatEnergy = energy;
    return r;
}

TEST(PreheatEnergy, BetweenEminAndEmax)
{
    EXPECT_TRUE(judgeRecord(energyRecord(16.0f), kDefault).pass);
    EXPECT_TRUE(judgeRecord(energyRecord(24.0f), kDefault).pass);
    const Verdict low = judgeRecord(energyRecord(15.9f), kDefault);
    EXPECT_EQ(findCheck(low, "preheat.min")->result, Outcome::Fail);
    EXPECT_FALSE(low.pass);
    const Verdict high = judgeRecord(energyRecord(24.1f), kDefault);
    EXPECT_EQ(findCheck(high, "preheat.max")->result, Outcome::Fail);
    EXPECT_NEAR(findCheck(high, "preheat.max")->limit, 24.0, 1e-6);
    EXPECT_FALSE(high.pass);
}

TEST(Series, AverageWithinLimitAndNoRunAbove150Percent)
{
    // Limit for the 3rd at unity power factor: 30 %; a single run may reach 45 %.
    auto seriesOf = [](std::initializer_list<double> thirds) {
        VerdictSeries s;
        TestRecord last;
        for (double h3 : thirds) {
            last = inputRecord(36, 1.0, {{3, h3}});
            s.add(last);
        }
        return s.judge(last, KindInput, kDefault);
    };
    const Verdict burst = seriesOf({25, 25, 25, 25, 46}); // average 29.2, one run at 46
    EXPECT_EQ(burst.runs, 5);
    const LimitCheck* h3 = findCheck(burst, "classC.h3");
    EXPECT_NEAR(h3->value, 29.2, 1e-4);
    EXPECT_NEAR(h3->maxValue, 46.0, 1e-4);
    EXPECT_EQ(h3->result, Outcome::Fail);

    EXPECT_TRUE(seriesOf({25, 25, 25, 25, 44}).pass);
    // One run above the limit passes when the average stays within it...
    EXPECT_TRUE(seriesOf({31, 28, 28}).pass);
    // ...but alone it is a single capture and fails.
    const Verdict single = seriesOf({31});
    EXPECT_EQ(single.runs, 1);
    EXPECT_TRUE(std::isnan(findCheck(single, "classC.h3")->maxValue));
    EXPECT_FALSE(single.pass);
}

TEST(Series, ResetStartsAgain)
{
    VerdictSeries s;
    s.add(inputRecord(36, 1.0, {{3, 60}}));
    s.reset();
    const TestRecord r = inputRecord(36, 1.0, {{3, 20}});
    s.add(r);
    EXPECT_EQ(s.runs(), 1);
    EXPECT_TRUE(s.judge(r, KindInput, kDefault).pass);
}

/// A record whose single harmonic of order n is well above the size the standard disregards;
/// pct and mApW are set apart, as each limit reads one of them.
TestRecord oneHarmonic(double pin, int n, double pct, double mApW)
{
    TestRecord r = inputRecord(pin, 1.0, {}, 70, 75, 95); // way b fails on the start angle
    r.pctI[n] = float(pct);
    r.mApW[n] = float(mApW);
    r.harmI[n] = 0.05f;
    return r;
}

TEST(ClassCTable, EveryOrderPassesAtItsLimitAndFailsJustAbove)
{
    // IEC 61000-3-2 Class C above 25 W in % of the fundamental (3rd: 30 % at unity power
    // factor), and the Class D limits in mA/W that way a applies from 5 W to 25 W.
    std::map<int, double> classC{{2, 2.0}, {3, 30.0}, {5, 10.0}, {7, 7.0}, {9, 5.0}};
    std::map<int, double> classD{{3, 3.4}, {5, 1.9}, {7, 1.0}, {9, 0.5}, {11, 0.35}};
    for (int n = 11; n < kHarmonics; n += 2)
        classC[n] = 3.0;
    for (int n = 13; n < kHarmonics; n += 2)
        classD[n] = 3.85 / n;
    for (const auto& [n, limit] : classC) {
        const std::string key = "classC.h" + std::to_string(n);
        for (const double factor : {1.0, 1.01}) {
            const Verdict v = judgeRecord(oneHarmonic(100, n, limit * factor, 0), kDefault);
            const LimitCheck* c = findCheck(v, key);
            ASSERT_NE(c, nullptr) << key;
            EXPECT_EQ(c->result, factor == 1.0 ? Outcome::Pass : Outcome::Fail) << key << " at " << factor;
        }
    }
    for (const auto& [n, limit] : classD) {
        const std::string key = "classC.a.h" + std::to_string(n);
        for (const double factor : {1.0, 1.01}) {
            const Verdict v = judgeRecord(oneHarmonic(18, n, 0, limit * factor), kDefault);
            const LimitCheck* c = findCheck(v, key);
            ASSERT_NE(c, nullptr) << key;
            EXPECT_EQ(c->result, factor == 1.0 ? Outcome::Pass : Outcome::Fail) << key << " at " << factor;
            EXPECT_EQ(v.pass, factor == 1.0) << key; // way b fails, so way a decides
        }
    }
}

TEST(Series, PerWattLimitsHoldEachRunTo150Percent)
{
    // 18 W: the 3rd may average 3.4 mA/W, no run above 5.1 mA/W.
    VerdictSeries s;
    TestRecord last;
    for (const double h3 : {2.5, 2.5, 2.5, 5.2}) { // average 3.175
        last = oneHarmonic(18, 3, 0, h3);
        s.add(last);
    }
    const Verdict v = s.judge(last, KindInput, kDefault);
    const LimitCheck* c = findCheck(v, "classC.a.h3");
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->value, 3.175, 1e-5);
    EXPECT_EQ(c->result, Outcome::Fail);
    EXPECT_FALSE(v.pass);
}

TEST(ProfileFile, NamedProfileInheritsDefaultAndOverrides)
{
    const ProfileParse p = parseProfiles("[default]\n"
                                         "power_factor_min = 0.9\n"
                                         "[T8-36W]  \n"
                                         "lamp_current_crest_factor_max = 1.6   # tighter\n"
                                         "input_power_rated = 36\n"
                                         "[CFL-11W]\n"
                                         "class_c_harmonics = off\n");
    ASSERT_TRUE(p.ok) << p.error;
    const VerdictProfile& t8 = p.set.findOrDefault("T8-36W");
    EXPECT_EQ(t8.name, "T8-36W");
    EXPECT_TRUE(t8.powerFactorOn);
    EXPECT_DOUBLE_EQ(t8.powerFactorMin, 0.9);
    EXPECT_DOUBLE_EQ(t8.lampCrestMax, 1.6);
    EXPECT_TRUE(t8.inputPowerOn);
    EXPECT_FALSE(p.set.findOrDefault("CFL-11W").classC);
    EXPECT_EQ(p.set.findOrDefault("unknown type").name, "default");
    // Round trip through the written form.
    const ProfileParse back = parseProfiles(profileFileText(p.set));
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.set.profiles, p.set.profiles);
}

TEST(ProfileFile, AWrongLineIsNamed)
{
    const ProfileParse p = parseProfiles("[default]\n"
                                         "class_c_harmonics = on\n"
                                         "\n"
                                         "lamp_current_crest_factor_max = 1,7\n");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.errorLine, 4);
    EXPECT_NE(p.error.find("line 4"), std::string::npos) << p.error;
    EXPECT_EQ(p.set.profiles, ProfileSet{}.profiles);
    EXPECT_EQ(parseProfiles("[default\n").errorLine, 1);
    EXPECT_EQ(parseProfiles("\n\ncrest = 2\n").errorLine, 3);
    EXPECT_EQ(parseProfiles("[a]\n[a]\n").errorLine, 2);
}

TEST(RunVerdict, JudgesOnlyWhatTheRunMeasured)
{
    // A record still holding a failing ballast's input and lamp results (a comprehensive run
    // before) and now a start run: the start run has no checks; an output run only the lamp's.
    TestRecord r = inputRecord(18, 0.55, {{3, 85}, {5, 65}}, 68, 85, 102);
    const TestRecord lamp = outputRecord(2.1f, 2.1f);
    r.hasOutputResult = 1;
    r.Ilrms = lamp.Ilrms;
    r.Ilcf = lamp.Ilcf;
    r.Ilncf = lamp.Ilncf;
    r.hasStartResult = 1;
    ASSERT_FALSE(judgeRecord(r, kDefault).pass);

    const Verdict start = judgeRun(r, KindStart, kDefault);
    EXPECT_EQ(start.result(), VerdictResult::NoChecks);
    EXPECT_TRUE(start.sections.empty());
    const Verdict output = judgeRun(r, KindOutput, kDefault);
    EXPECT_EQ(output.section(SectionKind::ClassC), nullptr);
    EXPECT_NE(output.section(SectionKind::LampCrest), nullptr);
    EXPECT_EQ(output.result(), VerdictResult::Fail);
    const Verdict comprehensive = judgeRun(r, KindComprehensive, kDefault);
    EXPECT_NE(comprehensive.section(SectionKind::ClassC), nullptr);
    EXPECT_NE(comprehensive.section(SectionKind::LampCrest), nullptr);

    const Verdict off = notJudgedVerdict("KORVEX-limits.ini line 4: bad");
    EXPECT_EQ(off.result(), VerdictResult::NotJudged);
    EXPECT_NE(verdictJson(off).find("\"result\":\"unjudged\""), std::string::npos) << verdictJson(off);
    EXPECT_NE(verdictText(start, false).find("no checks"), std::string::npos);
}

TEST(Profile, OptionalLimitsJudgeOnlyWhenSwitchedOn)
{
    TestRecord r = inputRecord(36, 0.92, {{3, 10}});
    EXPECT_EQ(judgeRecord(r, kDefault).section(SectionKind::Optional), nullptr);
    VerdictProfile p;
    p.powerFactorOn = true;
    p.powerFactorMin = 0.95;
    p.inputPowerOn = true;
    p.inputPowerRated = 40;
    p.inputPowerTolerance = 5; // 38..42 W
    const Verdict v = judgeRecord(r, p);
    EXPECT_EQ(findCheck(v, "powerFactor.min")->result, Outcome::Fail);
    EXPECT_EQ(findCheck(v, "inputPower.min")->result, Outcome::Fail);
    EXPECT_EQ(findCheck(v, "inputPower.max")->result, Outcome::Pass);
    EXPECT_FALSE(v.pass);
}

} // namespace
} // namespace korvex::testing

namespace korvex::testing {
namespace {

TEST(Plans, aPlanLineThatCannotBeReadDamagesTheFileAtItsLine)
{
    const ProfileParse ok =
        parseProfiles("[default]\nplan = input*5, output,start , energy\n[T8]\nstart_on_scan = on\n");
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(testPlanText(ok.set.profiles[1].plan), "input*5, output, start, energy"); // from [default]
    EXPECT_TRUE(ok.set.profiles[1].startOnScan);
    for (const char* bad : {"input*0", "input*101", "lamp", "start*2", "input,,output", "input*x", ""}) {
        const ProfileParse p = parseProfiles(std::string("[default]\n# plans\nplan = ") + bad + "\n");
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.errorLine, 3) << bad;
    }
}

TEST(Plans, startLimitsFailALampThatNeverIgnites)
{
    TestRecord r{};
    resetAllResults(r);
    r.hasStartResult = 1;
    r.StrUlp = 600.0f;
    r.StrT = 1.2f;
    r.StrIlp = 0.4f;
    r.peakStartIl = 100.0f;
    for (float& v : r.waveStartIl)
        v = 50.0f; // 0.2 A to the end
    VerdictProfile p;
    EXPECT_EQ(judgeRun(r, KindStart, p).result(), VerdictResult::NoChecks); // off by default
    p.startCurrentOn = p.startTimeOn = p.startVoltageOn = true;
    p.startCurrentMin = 0.1;
    p.startTimeMax = 1.5;
    p.startVoltageMax = 800;
    EXPECT_EQ(judgeRun(r, KindStart, p).result(), VerdictResult::Pass);
    resetStartResults(r); // what the evaluation leaves when no lamp current flows
    r.hasStartResult = 1;
    r.StrUlp = 600.0f;
    const Verdict never = judgeRun(r, KindStart, p);
    EXPECT_EQ(never.result(), VerdictResult::Fail);
    const std::vector<std::string> failed = failedCheckKeys(never);
    EXPECT_EQ(failed, (std::vector<std::string>{"start.ignition", "start.time"}));
}

} // namespace
} // namespace korvex::testing
