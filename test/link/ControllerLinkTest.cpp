// The link's timing and failures: duplicate messages, surplus bytes, the handshake, overdue
// replies, the energy acknowledgement, port errors, closing, and the tick counter's wrap.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "LinkTestSupport.h"
#include "link/Frames.h"
#include "link/PortDevice.h"

namespace korvex::test {
namespace {

const QString kFailureStatus = QStringLiteral("性能测试：通讯联络！");

// ---- Messages and blocks --------------------------------------------------------------------

TEST(StepMessages, ASecondMessageForOneReplyChangesNothing)
{
    LinkFixture f;
    f.run(KindInput, false);
    ASSERT_EQ(f.written(), QByteArray("?0")); // waiting for the 512 voltage bytes

    // Extra messages while the block is incomplete.
    f.instrument.sendNext(300);
    QCoreApplication::postEvent(f.controller.get(), new QEvent(Controller::kStepEvent));
    QCoreApplication::postEvent(f.controller.get(), new QEvent(Controller::kStepEvent));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0"));
    EXPECT_EQ(f.port->bytesWaiting(), 300);

    // Complete: one step runs; a further message finds the next block incomplete.
    f.port->deliver(f.instrument.pendingRest);
    f.pump();
    EXPECT_EQ(f.statusTexts.back(), QStringLiteral("输入性能测试：45%"));
    QCoreApplication::postEvent(f.controller.get(), new QEvent(Controller::kStepEvent));
    f.pump();
    EXPECT_EQ(f.statusTexts.back(), QStringLiteral("输入性能测试：45%"));
    EXPECT_EQ(f.written(), QByteArray("?0!"));
}

TEST(StepMessages, SurplusBytesStayForTheNextStep)
{
    LinkFixture f;
    f.run(KindInput, false);
    // 512 voltage bytes plus the first 10 current bytes in one chunk.
    f.port->deliver(f.instrument.blocks[0] + f.instrument.blocks[1].left(10));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0!"));
    EXPECT_EQ(f.port->bytesWaiting(), 10);
    // The current block completes with its remaining 502 bytes, not before.
    f.port->deliver(f.instrument.blocks[1].mid(10, 501));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0!"));
    f.port->deliver(f.instrument.blocks[1].right(1));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0!!"));
    EXPECT_EQ(std::memcmp(f.controller->record().work.rawI, f.instrument.blocks[1].constData(), 512), 0);
}

TEST(StepMessages, SurplusAfterTheLastBlockIsPurgedByTheNextStepZero)
{
    LinkFixture f;
    f.instrument.blocks = simBlocks(KindInput);
    f.instrument.blocks[2] += QByteArray(7, 'x');
    f.controller->inputTest();
    f.pump();
    EXPECT_EQ(f.port->bytesWaiting(), 7);
    f.instrument.blocks = simBlocks(KindInput);
    f.controller->timer1Timer();
    f.pump();
    EXPECT_EQ(f.completed.size(), 2u);
    EXPECT_EQ(std::memcmp(f.controller->record().work.rawU, f.instrument.blocks[0].constData(), 512), 0);
}

// ---- Handshake ----------------------------------------------------------------------------

TEST(Handshake, FailureWithTheLockSetReportsAndStaysIdle)
{
    LinkFixture f;
    f.instrument.answerHandshake = false;
    f.run(KindOutput, true, true);
    EXPECT_TRUE(f.awaitingHandshake());
    f.passTime(2000); // exactly 2000 ms is still in time
    EXPECT_TRUE(f.awaitingHandshake());
    EXPECT_TRUE(f.messages.isEmpty());
    f.passTime(1);
    EXPECT_FALSE(f.awaitingHandshake());
    EXPECT_EQ(f.written(), QByteArray("?")); // no command byte after a failed handshake
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("通讯联络失败！|警告！")});
    EXPECT_EQ(f.failures, QStringList{QStringLiteral("no answer to the handshake within 2000 ms")});
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_FALSE(f.alarmShown());
    EXPECT_EQ(f.statusTexts.back(), QStringLiteral("输出性能测试：通讯联络！"));
    // Idle: no time limit, no reader, no new attempt.
    EXPECT_TRUE(f.readerIdle());
    EXPECT_FALSE(f.restartsWithin(800));
}

TEST(Handshake, FailureWithTheLockClearShowsTheAlarmAndRetriesUntilAnswered)
{
    LinkFixture f;
    f.instrument.answerHandshake = false;
    f.run(KindInput);
    f.passTime(2001);
    EXPECT_TRUE(f.messages.isEmpty());
    EXPECT_TRUE(f.alarmShown());
    EXPECT_FALSE(f.controller->testRunning());

    // Still silent: another attempt 500 ms later, the alarm stays.
    EXPECT_TRUE(f.restartsWithin(3000));
    f.pump();
    f.passTime(2001);
    EXPECT_EQ(f.written(), QByteArray("??"));
    EXPECT_TRUE(f.alarmShown());

    f.instrument.answerHandshake = true;
    f.controller->timer1Timer();
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("???0!!"));
    EXPECT_FALSE(f.alarmShown());
    EXPECT_EQ(f.alarmChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindInput});
}

TEST(Handshake, TheEventLoopRunsWhileTheAnswerIsAwaited)
{
    // The step returns at once after "?"; events queued meanwhile (a click, a repaint) are
    // served, and the answer, when it comes, continues the step.
    LinkFixture f;
    f.instrument.answerHandshake = false;
    f.run(KindInput);
    ASSERT_TRUE(f.awaitingHandshake());
    EXPECT_EQ(f.statusTexts.back(), QStringLiteral("输入性能测试：通讯联络！"));
    bool served = false;
    QTimer::singleShot(0, [&] { served = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(served);
    EXPECT_TRUE(f.awaitingHandshake());

    // A surplus message while waiting changes nothing.
    f.clock.advance(1500);
    QCoreApplication::postEvent(f.controller.get(), new QEvent(Controller::kStepEvent));
    f.pump();
    EXPECT_TRUE(f.awaitingHandshake());
    EXPECT_EQ(f.written(), QByteArray("?"));

    f.port->deliver(QByteArray(1, 'K'));
    f.pump();
    EXPECT_FALSE(f.awaitingHandshake());
    EXPECT_EQ(f.written(), QByteArray("?0!!"));
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindInput});
    EXPECT_TRUE(f.failures.isEmpty());
}

TEST(Handshake, ADeviceLostWhileWaitingFailsTheHandshakeAtOnce)
{
    LinkFixture f;
    f.instrument.answerHandshake = false;
    f.run(KindInput, true, true);
    ASSERT_TRUE(f.awaitingHandshake());
    f.port->hangUp(QStringLiteral("/dev/ttyUSB0: device disconnected"));
    f.pump();
    EXPECT_FALSE(f.awaitingHandshake());
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("通讯联络失败！|警告！")});
    EXPECT_EQ(f.failures, QStringList{QStringLiteral("/dev/ttyUSB0: device disconnected")});
}

// ---- Overdue replies ---------------------------------------------------------------------

TEST(ReplyLimit, AnOverdueReplyFailsTheRunAndTheTestRestarts500msLater)
{
    LinkFixture f;
    f.run(KindInput, false);
    f.instrument.sendNext(100); // stalls in the middle of the voltage block

    f.passTime(4000);
    EXPECT_TRUE(f.controller->testRunning()); // exactly 4000 ms is still in time
    f.passTime(1);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), kFailureStatus);
    EXPECT_EQ(f.progressValues.back(), 0);
    EXPECT_TRUE(f.alarmShown());
    EXPECT_EQ(f.failures, QStringList{QStringLiteral("reply of step 1 not complete within 4000 ms")});

    // The run starts again from its handshake, by itself.
    f.instrument.autoReply = true;
    EXPECT_TRUE(f.restartsWithin(3000));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?0?0!!"));
    EXPECT_FALSE(f.alarmShown());
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindInput});
}

TEST(ReplyLimit, EachBlockGetsItsOwn4000ms)
{
    LinkFixture f;
    f.run(KindInput, false);
    f.clock.advance(3500);
    f.instrument.sendNext();
    f.pump();
    ASSERT_EQ(f.written(), QByteArray("?0!"));
    f.passTime(3500); // 7000 ms since the command, 3500 since "!"
    EXPECT_TRUE(f.controller->testRunning());
    EXPECT_TRUE(f.failures.isEmpty());
}

TEST(ReplyLimit, LongerLimitsGivenAreKeptToTheMillisecondAndNamed)
{
    LinkFixture h;
    h.controller->setLimits(5000, 0);
    h.instrument.answerHandshake = false;
    h.run(KindInput, true, true);
    h.passTime(5000);
    EXPECT_TRUE(h.awaitingHandshake());
    h.passTime(1);
    EXPECT_EQ(h.failures, QStringList{QStringLiteral("no answer to the handshake within 5000 ms")});

    LinkFixture f;
    f.controller->setLimits(0, 10000);
    f.run(KindInput, false);
    f.instrument.sendNext(100);
    f.passTime(10000);
    EXPECT_TRUE(f.controller->testRunning()); // the instrument's 4000 ms no longer apply
    f.passTime(1);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.failures, QStringList{QStringLiteral("reply of step 1 not complete within 10000 ms")});
    f.controller->setLimits(0, 0); // nothing sensible: the instrument's again
    f.instrument.answerHandshake = false;
    f.controller->singleRun(KindInput);
    f.pump();
    f.passTime(2001);
    EXPECT_EQ(f.failures.back(), QStringLiteral("no answer to the handshake within 2000 ms"));
}

TEST(ReplyLimit, StartAndEnergyWaitForTheLampWithoutLimit)
{
    LinkFixture f;
    f.run(KindStart, false);
    ASSERT_EQ(f.written(), QByteArray("?3"));
    f.passTime(600000);
    EXPECT_TRUE(f.controller->testRunning());
    EXPECT_TRUE(f.failures.isEmpty());
    f.instrument.autoReply = true;
    f.instrument.sendNext();
    f.pump();
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindStart});
}

TEST(ReplyLimit, OnceTheLampSwitchReplyBeginsEveryBlockHasTheReplyLimit)
{
    // The start capture stops after 10 bytes (korvex-sim --fault stall:10).
    LinkFixture f;
    f.run(KindStart, false);
    f.passTime(60000); // the operator takes his time with the lamp
    f.instrument.sendNext(10);
    f.pump();
    f.passTime(4000);
    EXPECT_TRUE(f.controller->testRunning()); // 4000 ms after the first byte is still in time
    f.passTime(1);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.failures, QStringList{QStringLiteral("reply of step 1 not complete within 4000 ms")});

    // Energy: the acknowledgement, the lamp wait, the first curve whole; then nothing after "!".
    LinkFixture e;
    e.run(KindEnergy, false);
    e.port->deliver(QByteArray(1, '!'));
    e.pump();
    e.passTime(30000);
    EXPECT_TRUE(e.failures.isEmpty());
    e.instrument.sendNext();
    e.pump();
    ASSERT_EQ(e.written(), QByteArray("?5!"));
    e.passTime(4001);
    EXPECT_EQ(e.failures, QStringList{QStringLiteral("reply of step 3 not complete within 4000 ms")});
}

TEST(ReplyLimit, TheTickCounterWrapsPast2To32)
{
    LinkFixture f;
    f.clock.now = 0xFFFFF000u; // 4096 ms before the wrap
    f.run(KindOutput, false);
    f.passTime(3999); // now past zero
    EXPECT_TRUE(f.controller->testRunning());
    f.passTime(2);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), kFailureStatus);
}

TEST(ReplyLimit, AStartTestDoesNotTimeOutWhenTheTickIsPast2To31)
{
    // With the tick above 2147483647 the "no limit" value lies in the past; the lamp wait
    // must still be unlimited.
    LinkFixture f;
    f.clock.now = 0x80000000u + 10000u;
    f.run(KindEnergy, false);
    f.port->deliver(QByteArray(1, '!'));
    f.pump();
    ASSERT_EQ(f.statusTexts.back(), QStringLiteral("灯丝预热能量测试：10%"));
    f.passTime(8000);
    EXPECT_TRUE(f.controller->testRunning());
    EXPECT_TRUE(f.failures.isEmpty());
}

TEST(RepeatPause, AnUnlockedTestRestartsNoSoonerThan500msAfterItsRunEnded)
{
    // Real time here: Timer1 is a window timer, not a limit measured on the tick counter.
    LinkFixture f;
    f.instrument.blocks = simBlocks(KindInput);
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> ended, handshakes;
    QObject::connect(f.controller.get(), &Controller::runCompleted,
                     [&](int32_t) { ended.push_back(clock.nsecsElapsed()); });
    auto scripted = f.port->onWrite;
    f.port->onWrite = [&, scripted](uint8_t b) {
        if (b == kCmdHandshake)
            handshakes.push_back(clock.nsecsElapsed());
        scripted(b);
    };
    QEventLoop loop;
    QObject::connect(f.controller.get(), &Controller::runCompleted, &loop, [&](int32_t) {
        if (ended.size() == 5)
            loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    f.controller->inputTest();
    loop.exec();

    ASSERT_EQ(ended.size(), 5u);
    ASSERT_GE(handshakes.size(), 5u);
    for (size_t k = 1; k < 5; ++k)
        EXPECT_GE(handshakes[k] - ended[k - 1], qint64(Controller::kRepeatPauseMs) * 1000000) << "pause " << k;
}

// ---- Energy acknowledgement --------------------------------------------------------------

TEST(EnergyAck, AWrongAcknowledgementFailsTheRunAndItRestarts)
{
    LinkFixture f;
    f.instrument.energyAck = 'X';
    f.run(KindEnergy);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), kFailureStatus);
    EXPECT_TRUE(f.alarmShown());
    EXPECT_FALSE(f.controller->testLocked());
    EXPECT_EQ(f.written(), QByteArray("?5"));

    f.instrument.energyAck = '!';
    EXPECT_TRUE(f.restartsWithin(3000));
    f.pump();
    EXPECT_EQ(f.written(), QByteArray("?5?5!!!"));
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindEnergy});
    EXPECT_TRUE(f.controller->testLocked());
}

TEST(EnergyAck, TheLastStepLocksEvenBeforeItsBlockIsComplete)
{
    LinkFixture f;
    f.instrument.blocks = simBlocks(KindEnergy);
    f.instrument.blocks[3] = f.instrument.blocks[3].left(10); // calibration block short
    f.controller->energyTest();
    f.pump();
    EXPECT_TRUE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), QStringLiteral("灯丝预热能量测试：80%")); // the last block pending
    EXPECT_FALSE(f.controller->testLocked()); // the reader posts only for a complete block
    // A command given now clears the lock and posts a message; the pending last step,
    // run by that message, locks again although its block is short.
    f.controller->inputTest();
    EXPECT_FALSE(f.controller->testLocked());
    f.pump();
    EXPECT_TRUE(f.controller->testLocked());
    EXPECT_TRUE(f.controller->testRunning());
    EXPECT_EQ(f.written(), QByteArray("?5!!!")); // still the energy run, waiting for its last block
}

// ---- Port errors ---------------------------------------------------------------------------

TEST(PortErrors, ADeviceLostMidBlockEndsTheRunAndStepZeroReopensThePort)
{
    LinkFixture f;
    f.run(KindInput, false);
    f.instrument.sendNext(200);
    f.port->hangUp(QStringLiteral("device removed"));
    f.pump();
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), kFailureStatus);
    EXPECT_TRUE(f.alarmShown());
    ASSERT_EQ(f.failures.size(), 1);
    EXPECT_TRUE(f.failures.front().contains(QStringLiteral("device removed")));

    f.instrument.autoReply = true;
    f.controller->timer1Timer();
    f.pump();
    EXPECT_TRUE(f.port->isOpen());
    EXPECT_EQ(f.completed, std::vector<int32_t>{KindInput});
    EXPECT_FALSE(f.alarmShown());
}

TEST(PortErrors, AnAbsentDeviceFailsTheHandshakeAtOnce)
{
    LinkFixture f;
    f.port->hangUp(QStringLiteral("gone"));
    f.port->setPresent(false);
    const uint32_t before = f.clock.now;
    f.controller->singleRun(KindInput);
    f.pump();
    EXPECT_EQ(f.clock.now, before);
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("通讯联络失败！|警告！")});
    EXPECT_FALSE(f.controller->testRunning());
}

// Ports on a device that is not there.
PortSource absentPorts()
{
    return PortSource([](const QString& device) -> std::unique_ptr<LinkPort> {
        auto p = std::make_unique<MemoryLinkPort>(device);
        p->setPresent(false);
        return p;
    });
}

TEST(PortErrors, OpenPortFailureIsReportedAsAWarning)
{
    LinkFixture f;
    f.controller->setPortSource(absentPorts());
    f.port = nullptr; // went with the old source
    EXPECT_EQ(f.controller->openPort(), 1);
    // The text as it stands, then the port, the device it stands for and the reason.
    EXPECT_EQ(f.messages.back(), QStringLiteral("打开通讯口失败！\nCOM1: device %1 is not present|警告！")
                                     .arg(resolvePortDevice(QStringLiteral("COM1"))));
    f.controller->setPortName(QStringLiteral("COM3"));
    EXPECT_EQ(f.controller->openPort(), 1);
    EXPECT_EQ(f.messages.back(), QStringLiteral("打开通讯口失败！\nCOM3: device %1 is not present|警告！")
                                     .arg(resolvePortDevice(QStringLiteral("COM3"))));
}

TEST(PortErrors, ReopeningAMissingPortDuringARunEndsTheRunInsteadOfLeavingItWaiting)
{
    LinkFixture f;
    f.run(KindInput, false);
    ASSERT_EQ(f.written(), QByteArray("?0"));
    f.controller->setPortSource(absentPorts());
    EXPECT_EQ(f.controller->openPort(), 1);
    EXPECT_TRUE(f.messages.back().startsWith(QStringLiteral("打开通讯口失败！\n")));
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.statusTexts.back(), kFailureStatus);
    EXPECT_TRUE(f.alarmShown());
    // The test tries again 500 ms later, and fails again at once on the missing device.
    f.port = nullptr; // went with the old source
    const qsizetype before = f.failures.size();
    QElapsedTimer t;
    t.start();
    while (f.failures.size() == before && t.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        f.pump();
    }
    ASSERT_EQ(f.failures.size(), before + 1);
    EXPECT_TRUE(f.failures.back().contains(QStringLiteral("is not open"))) << f.failures.back().toStdString();
}

TEST(PortErrors, ReopeningThePortDuringARunKeepsTheReplyLimitRunning)
{
    LinkFixture f;
    f.run(KindInput, false); // the instrument falls silent after the handshake
    ASSERT_EQ(f.written(), QByteArray("?0"));

    EXPECT_EQ(f.controller->openPort(), 0); // the port dialog reopens the same device
    EXPECT_TRUE(f.controller->testRunning());

    // Nobody looks at the reader: it must wake by itself once the limit has passed, or a
    // silent instrument would be waited for for ever.
    f.clock.advance(4001);
    QElapsedTimer t;
    t.start();
    while (f.controller->testRunning() && t.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        f.pump();
    }
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_EQ(f.failures.size(), 1);
}

// ---- Closing --------------------------------------------------------------------------------

TEST(Closing, CloseDuringARunWaitsForItsLastStep)
{
    LinkFixture f;
    f.run(KindInput, false);
    EXPECT_FALSE(f.controller->requestClose());
    EXPECT_EQ(f.closeRequests, 0);
    f.instrument.autoReply = true;
    f.instrument.sendNext();
    f.pump();
    EXPECT_EQ(f.closeRequests, 1);
    EXPECT_FALSE(f.restartsWithin(800)); // no repetition after closing
}

TEST(Closing, Timer2ClosesAStartTestWaitingForItsLamp)
{
    LinkFixture f;
    f.instrument.autoReply = false;
    f.controller->startTest();
    f.pump();
    EXPECT_FALSE(f.controller->requestClose());
    f.controller->timer2Timer();
    EXPECT_EQ(f.closeRequests, 1);
    EXPECT_FALSE(f.controller->testRunning());
    EXPECT_TRUE(f.controller->requestClose());
}

TEST(Closing, AskingAgainDoesNotPostponeTheForcedClose)
{
    // Real time: Timer2 is a window timer. The window closes 4000 ms after the first refused
    // close, however often the operator asks again.
    LinkFixture f;
    f.run(KindStart, false);
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    ASSERT_FALSE(f.controller->requestClose());
    while (sinceFirst.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(f.controller->requestClose());
    while (f.closeRequests == 0 && sinceFirst.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(f.closeRequests, 1);
    EXPECT_GE(sinceFirst.elapsed(), Controller::kCloseWaitMs);
    // Counted from the second request it would have closed 1000 ms later.
    EXPECT_LT(sinceFirst.elapsed(), Controller::kCloseWaitMs + 900);
}

TEST(Closing, CloseWhenIdleIsImmediate)
{
    LinkFixture f;
    EXPECT_TRUE(f.controller->requestClose());
    // No forced close follows later: Timer2 never started.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Controller::kCloseWaitMs + 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(f.closeRequests, 0);
}

} // namespace
} // namespace korvex::test
