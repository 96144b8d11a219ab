// The six command sequences end to end against a scripted instrument: bytes sent, status
// texts, progress values, destinations in the record, and what follows the last step.
#include <gtest/gtest.h>

#include <cstring>

#include "LinkTestSupport.h"
#include "link/Frames.h"

namespace korvex::test {
namespace {

struct SequenceCase {
    int32_t kind;
    const char* bytes;         // everything written, handshake included
    std::vector<int> progress; // after the handshake status
    bool repeats;
};

const SequenceCase kCases[] = {
    {KindInput, "?0!!", {45, 90, 100}, true},
    {KindPhase, "?0!!", {45, 90, 100}, true},
    {KindOutput, "?1!!!!", {20, 40, 60, 80, 100}, true},
    {KindComprehensive, "?2!!!!!!", {10, 20, 40, 54, 68, 84, 100}, true},
    {KindStart, "?3!!!!", {25, 50, 75, 90, 100}, false},
    {KindEnergy, "?5!!!", {10, 30, 55, 80, 100}, false},
};

// Named by its kind: the default print of the struct would put pointers into the test's name.
void PrintTo(const SequenceCase& c, std::ostream* os)
{
    *os << "kind " << c.kind;
}

class SequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SequenceTest, RunsTheStepTableInOrder)
{
    const SequenceCase& tc = GetParam();
    LinkFixture f;
    f.run(tc.kind);

    EXPECT_EQ(f.written(), QByteArray(tc.bytes));
    const QString prefix = QString::fromUtf8(sequenceFor(tc.kind)->statusPrefix);
    QStringList expectedTexts{prefix + QStringLiteral("通讯联络！"), prefix + QStringLiteral("0%")};
    std::vector<int> expectedProgress{0, 0};
    for (int p : tc.progress) {
        expectedTexts << prefix + QString::number(p) + QLatin1Char('%');
        expectedProgress.push_back(p);
    }
    EXPECT_EQ(f.statusTexts, expectedTexts);
    EXPECT_EQ(f.progressValues, expectedProgress);

    Controller& c = *f.controller;
    EXPECT_FALSE(c.testRunning());
    EXPECT_EQ(c.currentTest(), tc.kind);
    EXPECT_EQ(c.record().hasResult(tc.kind), 1);
    EXPECT_EQ(f.completed, std::vector<int32_t>{tc.kind});
    EXPECT_EQ(f.port->bytesWaiting(), 0);
    EXPECT_EQ(c.testLocked(), !tc.repeats);
    // The run is over: nothing more is read, sent or reported.
    f.port->clearWritten();
    EXPECT_TRUE(f.readerIdle());
    // Measuring tests come back through Timer1, from step 0; start and energy end locked.
    f.instrument.blocks = simBlocks(tc.kind);
    // The repeat is Timer1's, on the real clock: a generous bound for a loaded machine.
    EXPECT_EQ(f.restartsWithin(tc.repeats ? 15000 : 800), tc.repeats);
    if (tc.repeats) {
        EXPECT_EQ(f.written().left(2), QByteArray(tc.bytes).left(2)); // the handshake and the command
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, SequenceTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SequenceCase>& p) {
                             return "kind" + std::to_string(p.param.kind);
                         });

TEST(SequenceDestinations, InputBlocksLandInTheRawFields)
{
    LinkFixture f;
    f.run(KindInput);
    const WorkingFields& w = f.controller->record().work;
    EXPECT_EQ(std::memcmp(w.rawU, f.instrument.blocks[0].constData(), 512), 0);
    EXPECT_EQ(std::memcmp(w.rawI, f.instrument.blocks[1].constData(), 512), 0);
    EXPECT_EQ(std::memcmp(w.paramBlock, f.instrument.blocks[2].constData(), 40), 0);
    EXPECT_EQ(w.sampleCount, 256);
    // The evaluation ran on them: the simulated mains is about 230 V.
    EXPECT_NEAR(f.controller->record().Urms, 230.0, 3.0);
}

TEST(SequenceDestinations, ComprehensiveSplitsItsParameterBlockAndCountsItsOutputHalf)
{
    LinkFixture f;
    f.run(KindComprehensive);
    const WorkingFields& w = f.controller->record().work;
    const QByteArray& params = f.instrument.blocks[2];
    ASSERT_EQ(params.size(), 104);
    EXPECT_EQ(std::memcmp(w.paramBlock, params.constData(), 40), 0);
    EXPECT_EQ(std::memcmp(w.outParamBlock, params.constData() + 40, 64), 0);
    EXPECT_EQ(std::memcmp(w.rawIk, f.instrument.blocks[6].constData(), 300), 0);
    EXPECT_EQ(w.sampleCount, 256);
    EXPECT_EQ(w.outSampleCount, 150);
}

TEST(SequenceDestinations, OutputAfterComprehensiveSetsTheSampleCountTo150)
{
    LinkFixture f;
    f.run(KindComprehensive);
    f.run(KindOutput);
    EXPECT_EQ(f.controller->record().work.sampleCount, 150);
    EXPECT_EQ(f.completed, (std::vector<int32_t>{KindComprehensive, KindOutput}));
}

TEST(SequenceDestinations, StartTailFillsStartBlockAndTheSwapFlag)
{
    LinkFixture f;
    f.instrument.blocks = simBlocks(KindStart);
    f.instrument.blocks[4][36] = char(1);
    f.controller->startTest();
    f.pump();
    const WorkingFields& w = f.controller->record().work;
    EXPECT_EQ(std::memcmp(w.rawStart + 1800, f.instrument.blocks[3].constData(), 600), 0);
    EXPECT_EQ(std::memcmp(w.startBlock, f.instrument.blocks[4].constData(), 36), 0);
    EXPECT_EQ(w.startSwapFlag, 1u);
    EXPECT_EQ(f.controller->record().resultsShown, 1);
}

// ---- Commands ------------------------------------------------------------------------------

TEST(Commands, MeasuringCommandClearsTheLockAndSingleRunSetsIt)
{
    LinkFixture f;
    f.instrument.blocks = simBlocks(KindInput);
    f.controller->singleRun(KindInput);
    EXPECT_TRUE(f.controller->testLocked());
    EXPECT_EQ(f.lockChanges.back(), true);
    f.pump();
    // Timer1 only polls while locked: no new run, by itself or when it fires.
    f.clearWritten();
    EXPECT_FALSE(f.restartsWithin(800));
    f.controller->timer1Timer();
    f.pump();
    EXPECT_TRUE(f.written().isEmpty());

    f.controller->toggleLock();
    EXPECT_FALSE(f.controller->testLocked());
    f.instrument.blocks = simBlocks(KindInput);
    f.controller->timer1Timer();
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0!!"));
}

TEST(Commands, StartCommandDrawsThePromptAndPressesTheButtonButLeavesTheLockClear)
{
    LinkFixture f;
    f.instrument.autoReply = false;
    f.controller->showPage(KindEnergy); // results shown
    ASSERT_EQ(f.controller->record().resultsShown, 1);
    f.controller->startTest();
    EXPECT_EQ(f.controller->record().resultsShown, 0);
    EXPECT_EQ(f.promptRequests, 1);
    EXPECT_EQ(f.lockChanges.back(), true);
    EXPECT_FALSE(f.controller->testLocked());
    EXPECT_EQ(f.controller->pendingTest(), KindStart);
}

TEST(Commands, BackAndNextWrapAndAreIgnoredDuringARun)
{
    LinkFixture f;
    f.controller->back();
    EXPECT_EQ(f.controller->currentTest(), KindEnergy);
    f.controller->next();
    EXPECT_EQ(f.controller->currentTest(), KindInput);
    f.controller->back();
    f.controller->back();
    EXPECT_EQ(f.controller->currentTest(), KindStart); // 1 -> 6 -> 5
    f.instrument.autoReply = false;
    f.controller->inputTest();
    f.pump();
    ASSERT_TRUE(f.controller->testRunning());
    f.controller->next();
    EXPECT_EQ(f.controller->currentTest(), KindInput);
}

TEST(Commands, ACommandDuringARunWaitsForItToEnd)
{
    LinkFixture f;
    f.run(KindInput, false);
    f.instrument.sendNext(); // rawU
    f.pump();
    ASSERT_EQ(f.written(), QByteArray("?0!"));

    TestRecord withOutput = f.controller->record(); // output results opened from a file
    withOutput.hasOutputResult = 1;
    f.controller->replaceRecord(withOutput, QStringLiteral("output.kvx"));
    f.controller->outputTest();
    EXPECT_EQ(f.controller->record().hasOutputResult, 0); // reset at once
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0!")); // the running input step only re-checked
    EXPECT_EQ(f.controller->currentTest(), KindInput);

    f.instrument.autoReply = true;
    f.instrument.sendNext();
    f.pump();
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindInput});

    // 500 ms later the output test starts.
    f.clearWritten();
    f.instrument.blocks = simBlocks(KindOutput);
    EXPECT_TRUE(f.restartsWithin(3000));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?1!!!!"));
    EXPECT_EQ(f.completed, (std::vector<int32_t>{KindInput, KindOutput}));
}

TEST(Commands, ChangingKindResetsAtStepZeroButARepetitionKeepsResults)
{
    LinkFixture f;
    f.run(KindInput);
    ASSERT_EQ(f.controller->record().hasInputResult, 1);
    const float urms = f.controller->record().Urms;

    // The repetition of the same kind keeps the old figures while it runs.
    f.instrument.autoReply = false;
    f.controller->timer1Timer();
    f.pump();
    ASSERT_TRUE(f.controller->testRunning());
    EXPECT_EQ(f.controller->record().hasInputResult, 1);
    EXPECT_EQ(f.controller->record().Urms, urms);
}

TEST(Commands, StepZeroOfAnotherKindResetsItsResultsAgain)
{
    LinkFixture f;
    f.run(KindInput);
    ASSERT_EQ(f.controller->record().hasInputResult, 1);
    const TestRecord withInput = f.controller->record();
    f.instrument.autoReply = false;
    f.controller->phaseTest(); // resets the input results once
    // Results that reappear before step 0 (a file opened meanwhile) are reset again there,
    // because the kind changes from input to phase.
    f.controller->replaceRecord(withInput, QStringLiteral("input.kvx"));
    ASSERT_EQ(f.controller->record().hasInputResult, 1);
    f.pump();
    ASSERT_TRUE(f.controller->testRunning());
    EXPECT_EQ(f.controller->currentTest(), KindPhase);
    EXPECT_EQ(f.controller->record().hasInputResult, 0);
}

} // namespace
} // namespace korvex::test
