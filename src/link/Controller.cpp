// The test loop: commands, message 1025, the handshake, the step machines of the six tests,
// link failures and closing.
#include "link/Controller.h"

#include <QCoreApplication>
#include <QPointer>
#include <array>
#include <utility>

#include "link/Frames.h"
#include "link/InputThread.h"
#include "link/PortDevice.h"
#include "link/SystemClock.h"

namespace korvex {

namespace {

const char* const kHandshakeSuffix = "通讯联络！";
const char* const kFailureStatus = "性能测试：通讯联络！";
const char* const kPortWarning = "警告！";
const char* const kOpenFailure = "打开通讯口失败！";
const char* const kLinkFailure = "通讯联络失败！";

bool isMeasuring(int32_t kind)
{
    return kind >= KindInput && kind <= KindComprehensive;
}

} // namespace

Controller::Controller(Evaluator evaluate, QObject* parent)
    : Controller(std::move(evaluate), SystemClock::instance(), parent)
{
}

Controller::Controller(Evaluator evaluate, Clock& clock, QObject* parent)
    : QObject(parent), evaluate_(std::move(evaluate)), clock_(clock)
{
    resetAllResults(record_);
    timer1_.setInterval(kRepeatPauseMs);
    timer2_.setInterval(kCloseWaitMs);
    // A coarse timer may fire up to 5 % early; the pause before a repetition and the wait
    // before a forced close must never be shorter than stated.
    timer1_.setTimerType(Qt::PreciseTimer);
    timer2_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, &Controller::timer1Timer);
    connect(&timer2_, &QTimer::timeout, this, &Controller::timer2Timer);
}

Controller::~Controller()
{
    shutdown();
}

bool Controller::readerActive() const
{
    return reader_ && reader_->running();
}

// ---- Where the port comes from ------------------------------------------------------------

QString Controller::portDevice() const
{
    return ports_.deviceFor(portName_);
}

void Controller::setLimits(int handshakeMs, int replyMs)
{
    handshakeLimitMs_ = handshakeMs > 0 ? handshakeMs : kHandshakeLimitMs;
    replyLimitMs_ = replyMs > 0 ? replyMs : kReplyLimitMs;
}

void Controller::setPortName(const QString& name)
{
    portName_ = name;
}

void Controller::setPortSource(PortSource source)
{
    // The old port, and whatever instrument is wired to it, must not outlive the switch.
    abandonHandshake(QStringLiteral("port changed during the handshake"));
    stopReader();
    if (port_)
        port_->close();
    port_.reset();
    ports_ = std::move(source);
}

std::unique_ptr<LinkPort> Controller::makePort(const QString& device)
{
    std::unique_ptr<LinkPort> port = ports_.make(device);
    if (port)
        connect(port.get(), &LinkPort::errorOccurred, this, &Controller::onPortError);
    return port;
}

int Controller::openPort()
{
    // "?" went to the port being replaced; its answer will never come on the new one.
    abandonHandshake(QStringLiteral("port reopened during the handshake"));
    const bool readerWasActive = readerActive();
    stopReader();
    if (port_)
        port_->close();
    port_.reset();
    const QString device = portDevice();
    port_ = makePort(device);
    if (!port_ || !port_->open()) {
        lastFailure_ = port_ ? port_->errorText() : QStringLiteral("cannot open %1").arg(device);
        // The second line says which port, on which device, and why, in the system's words;
        // a port this user may not use says how to get the right, in the window's language.
        const QString denied =
            port_ && port_->accessDenied() ? portPermissionAdvice(device, record_.chinese != 0) : QString();
        emit messageRequested(QString::fromUtf8(kOpenFailure) + QLatin1Char('\n') +
                                  (portName_.isEmpty() ? QStringLiteral("COM1") : portName_) + QStringLiteral(": ") +
                                  (denied.isEmpty() ? lastFailure_ : denied),
                              QString::fromUtf8(kPortWarning));
        // The run in progress lost its port and its reader with the old device: without
        // ending it here it would wait for ever. Step 0 tries the port again 500 ms later.
        if (testRunning_)
            linkFailure(lastFailure_);
        return 1;
    }
    expectedBytes_ = 1;
    if (readerWasActive && testRunning_) {
        reader_ = std::make_unique<InputThread>(*port_, [this] { checkReader(); });
        if (waitActive_)
            reader_->armDeadline(replyLimitMs_ + 1);
    }
    return 0;
}

bool Controller::ensurePortOpen()
{
    // A port that failed (device pulled out) or never opened is tried again at every step 0,
    // so a test resumes by itself once the device is back.
    if (port_ && port_->isOpen())
        return true;
    if (!port_) {
        port_ = makePort(portDevice());
        if (!port_)
            return false;
    }
    return port_->open();
}

void Controller::onPortError(const QString& text)
{
    lastFailure_ = text;
    if (handshakePending_) {
        abandonHandshake(lastFailure_);
        return;
    }
    if (testRunning_)
        linkFailure(lastFailure_);
}

void Controller::shutdown()
{
    handshakePending_ = false;
    stopReader();
    timer1_.stop();
    timer2_.stop();
    if (port_)
        port_->close();
}

// ---- Commands -------------------------------------------------------------------------------

void Controller::resetKind(int32_t kind)
{
    switch (kind) {
    case KindInput:
    case KindPhase: resetInputResults(record_); break;
    case KindOutput: resetOutputResults(record_); break;
    case KindComprehensive: resetCompResults(record_); break;
    case KindStart: resetStartResults(record_); break;
    case KindEnergy: resetEnergyResults(record_); break;
    default: return;
    }
    emit resultsReset(kind);
}

void Controller::setLockState(bool locked)
{
    testLocked_ = locked;
    emit lockChanged(locked);
}

void Controller::measuringCommand(int32_t kind, bool locked)
{
    pendingTest_ = kind;
    timer1_.stop();
    resetKind(kind);
    setLockState(locked);
    QCoreApplication::postEvent(this, new QEvent(kStepEvent));
    emit repaintRequested();
}

void Controller::promptCommand(int32_t kind)
{
    record_.resultsShown = 0;
    emit startPromptRequested();
    pendingTest_ = kind;
    timer1_.stop();
    resetKind(kind);
    // The run is not locked yet (its last step locks it), but the button shows it pressed.
    testLocked_ = false;
    emit lockChanged(true);
    QCoreApplication::postEvent(this, new QEvent(kStepEvent));
}

void Controller::inputTest()
{
    measuringCommand(KindInput, false);
}
void Controller::phaseTest()
{
    measuringCommand(KindPhase, false);
}
void Controller::outputTest()
{
    measuringCommand(KindOutput, false);
}
void Controller::compTest()
{
    measuringCommand(KindComprehensive, false);
}

void Controller::singleRun(int32_t kind)
{
    if (isMeasuring(kind))
        measuringCommand(kind, true);
}

void Controller::startTest()
{
    promptCommand(KindStart);
}
void Controller::energyTest()
{
    promptCommand(KindEnergy);
}

void Controller::newBallast()
{
    if (testRunning_ || handshakePending_)
        return;
    timer1_.stop();
    for (int32_t kind : {KindComprehensive, KindStart, KindEnergy})
        resetKind(kind);
    emit repaintRequested();
}

void Controller::abortRun()
{
    const bool running = testRunning_ || handshakePending_;
    const int32_t kind = record_.currentTest;
    handshakePending_ = false;
    stopReader();
    timer1_.stop();
    testRunning_ = false;
    stepIndex_ = 0;
    expectedBytes_ = 1;
    waitActive_ = false;
    awaitFirstByte_ = false;
    replyTimedOut_ = false;
    waitSince_ = kNoWait;
    setLockState(true);
    if (!running)
        return;
    setProgress(0);
    // The instrument may still send the rest of the run; step 0 of the next run purges it.
    emit runAborted(kind);
    emit repaintRequested();
}

void Controller::toggleLock()
{
    setLockState(!testLocked_);
}

void Controller::setLocked(bool locked)
{
    setLockState(locked);
}

void Controller::back()
{
    showPage(record_.currentTest - 1 < KindInput ? KindEnergy : record_.currentTest - 1);
}

void Controller::next()
{
    showPage(record_.currentTest + 1 > KindEnergy ? KindInput : record_.currentTest + 1);
}

void Controller::showPage(int32_t kind)
{
    // The message handler steps through the sequence of currentTest: switching the kind
    // halfway would run another kind's steps on this kind's replies.
    if (testRunning_)
        return;
    record_.currentTest = kind;
    record_.resultsShown = 1;
    preparePage();
    emit repaintRequested();
}

// ---- Record edits of the window -------------------------------------------------------------

void Controller::setPagePreparation(PagePreparation prepare)
{
    preparePage_ = std::move(prepare);
}

void Controller::preparePage()
{
    if (preparePage_)
        preparePage_(record_);
}

void Controller::setDisplayOptions(const DisplayOptions& options)
{
    storeDisplayOptions(record_, options);
    emit repaintRequested();
}

void Controller::takeEntries(const TestRecord& from)
{
    copyEntries(from, record_);
    preparePage(); // Q, P and F draw the energy page's limits
    emit repaintRequested();
}

void Controller::replaceRecord(const TestRecord& stored, const QString& source)
{
    const int32_t runningKind = record_.currentTest;
    record_ = stored;
    if (testRunning_)
        record_.currentTest = runningKind;
    emit recordLoaded(source);
    preparePage();
    emit repaintRequested();
}

void Controller::moveStartCursor(const StartCursor& cursor)
{
    storeStartCursor(record_, cursor);
    emit repaintRequested();
}

void Controller::moveEnergyCursor(int32_t index)
{
    record_.energyCursor = index;
    emit repaintRequested();
}

bool Controller::requestClose()
{
    if (!testRunning_)
        return true;
    closeRequested_ = true;
    // Enabling a running Timer2 does not restart it: the window closes 4000 ms after the
    // first refused close, however often the operator asks again.
    if (!timer2_.isActive())
        timer2_.start();
    return false;
}

void Controller::timer1Timer()
{
    timer1_.stop();
    if (testLocked_) {
        timer1_.start(); // wait, polling every 500 ms, until the lock is released
        return;
    }
    QCoreApplication::postEvent(this, new QEvent(kStepEvent));
}

void Controller::timer2Timer()
{
    timer2_.stop();
    testRunning_ = false;
    closeWindow();
}

void Controller::closeWindow()
{
    emit closeWindowRequested();
}

// ---- Message 1025 and the reader -----------------------------------------------------------

bool Controller::event(QEvent* e)
{
    if (e->type() == kStepEvent) {
        stepPosted_ = false;
        runNextStep();
        return true;
    }
    return QObject::event(e);
}

void Controller::postStep()
{
    if (stepPosted_)
        return; // one queued message is enough; the step re-checks the count itself
    stepPosted_ = true;
    QCoreApplication::postEvent(this, new QEvent(kStepEvent));
}

void Controller::runNextStep()
{
    const int32_t kind = testRunning_ ? record_.currentTest : pendingTest_;
    if (const SequenceSpec* seq = sequenceFor(kind)) {
        if (stepIndex_ == 0 && handshakePending_)
            handshakeStep(*seq);
        else if (stepIndex_ == 0)
            stepZero(*seq);
        else if (stepIndex_ <= int(seq->steps.size()))
            replyStep(*seq);
    }
    emit repaintRequested();
    // The next block may already be complete (it came with the last one, or the instrument
    // answered inside the write): no further "data arrived" will announce it.
    checkReader();
}

void Controller::checkReader()
{
    if (!readerActive() || !port_)
        return;
    const int64_t waiting = port_->bytesWaiting();
    if (waiting > 0 && awaitFirstByte_ && !handshakePending_ && !awaitingAcknowledgement()) {
        // The lamp was switched and the capture is on its way: it must now come whole.
        awaitFirstByte_ = false;
        lampWaitOver_ = true;
        if (waiting < expectedBytes_)
            startLimit(replyLimitMs_);
    }
    if (waiting >= expectedBytes_) {
        port_->setWakeLevel(0); // the next block may be shorter: its first bytes set its level
        replyTimedOut_ = false;
        waitSince_ = kNoWait;
        waitActive_ = false;
        reader_->disarmDeadline();
        postStep();
        return;
    }
    // Not complete: the port need not wake the reader before it is (the time limit has a
    // timer of its own), except for the first byte that ends a wait for the lamp.
    port_->setWakeLevel(awaitFirstByte_ ? 1 : expectedBytes_);
    if (!waitActive_)
        return;
    const int32_t waited = tickDifference(clock_.ticks(), static_cast<uint32_t>(waitSince_));
    if (waited > waitLimitMs_) {
        waitSince_ = kNoWait;
        waitActive_ = false;
        replyTimedOut_ = true;
        postStep();
        return;
    }
    // Woken early (by data or a coarse timer): wake again when the limit is passed.
    if (!reader_->deadlineArmed())
        reader_->armDeadline(waitLimitMs_ - waited + 1);
}

void Controller::stopReader()
{
    if (reader_)
        reader_->stop();
    if (port_ && port_->isOpen())
        port_->setWakeLevel(0);
}

void Controller::startWait(const SequenceSpec& seq)
{
    if (!seq.timeLimit && !lampWaitOver_) {
        awaitFirstByte_ = true; // the lamp may be switched at any time; checkReader waits
        return;
    }
    startLimit(replyLimitMs_);
}

void Controller::startLimit(int ms)
{
    waitSince_ = static_cast<int32_t>(clock_.ticks());
    waitLimitMs_ = ms;
    // waitSince alone cannot mark "no limit": once the tick counter passes 2^31 the sentinel
    // 2147483647 lies in the past and would time out a start test waiting for its lamp.
    waitActive_ = true;
    if (reader_)
        reader_->armDeadline(ms + 1);
}

bool Controller::awaitingAcknowledgement() const
{
    const SequenceSpec* seq = sequenceFor(record_.currentTest);
    return seq && stepIndex_ >= 1 && stepIndex_ <= int(seq->steps.size()) &&
           seq->steps[size_t(stepIndex_ - 1)].block == Block::EnergyAck;
}

// ---- Status ---------------------------------------------------------------------------------

void Controller::setStatusText(const QString& text)
{
    emit statusTextChanged(text);
}

void Controller::setProgress(int percent)
{
    emit progressChanged(percent);
}

void Controller::setStatus(const SequenceSpec& seq, const QString& suffix, int percent)
{
    setStatusText(QString::fromUtf8(seq.statusPrefix) + suffix);
    setProgress(percent);
}

void Controller::showAlarm(bool shown)
{
    if (alarmShown_ == shown)
        return;
    alarmShown_ = shown;
    emit alarmVisibilityChanged(shown);
}

// ---- The handshake and the recovery ----------------------------------------------------------

void Controller::checkLink()
{
    expectedBytes_ = 1;
    awaitFirstByte_ = false;
    if (!port_ || !port_->isOpen()) {
        // A port that is closed (never opened, or gone) cannot answer: fail at once rather
        // than wait 2000 ms.
        handshakeFailed();
        return;
    }
    // The answer, or the 2000 ms limit, arrives as an event through the reader and runs
    // handshakeStep: the window's thread never waits here.
    stopReader();
    reader_ = std::make_unique<InputThread>(*port_, [this] { checkReader(); });
    handshakePending_ = true;
    waitSince_ = static_cast<int32_t>(clock_.ticks());
    waitLimitMs_ = handshakeLimitMs_;
    waitActive_ = true;
    reader_->armDeadline(handshakeLimitMs_ + 1);
    port_->writeByte(kCmdHandshake);
}

void Controller::handshakeStep(const SequenceSpec& seq)
{
    if (port_ && port_->isOpen() && port_->bytesWaiting() >= expectedBytes_) {
        uint8_t answer = 0;
        port_->read(&answer, 1); // any byte will do
        handshakePending_ = false;
        replyTimedOut_ = false;
        waitActive_ = false;
        waitSince_ = kNoWait;
        showAlarm(false);
        sendCommand(seq);
        return;
    }
    if (!replyTimedOut_)
        return; // a message for something else; the answer has not come yet
    replyTimedOut_ = false;
    handshakeFailed();
}

void Controller::abandonHandshake(const QString& reason)
{
    if (!handshakePending_)
        return;
    lastFailure_ = reason;
    handshakeFailed(reason);
    emit repaintRequested();
}

void Controller::handshakeFailed(const QString& reason)
{
    handshakePending_ = false;
    stopReader();
    testRunning_ = false;
    stepIndex_ = 0;
    expectedBytes_ = 1;
    waitActive_ = false;
    waitSince_ = kNoWait;
    if (!reason.isEmpty())
        lastFailure_ = reason;
    else if (port_ && port_->isOpen())
        lastFailure_ = QStringLiteral("no answer to the handshake within %1 ms").arg(handshakeLimitMs_);
    else
        lastFailure_ =
            QStringLiteral("port %1 is not open%2")
                .arg(portDevice(),
                     lastFailure_.isEmpty() ? QString() : QStringLiteral(" (") + lastFailure_ + QStringLiteral(")"));
    if (testLocked_) {
        emit linkFailed(lastFailure_);
        emit messageRequested(QString::fromUtf8(kLinkFailure), QString::fromUtf8(kPortWarning));
    } else {
        timer1_.start();
        showAlarm(true);
        emit linkFailed(lastFailure_);
    }
}

void Controller::linkFailure(const QString& reason)
{
    testRunning_ = false;
    emit repaintRequested();
    setProgress(0);
    setStatusText(QString::fromUtf8(kFailureStatus));
    stepIndex_ = 0;
    expectedBytes_ = 1;
    waitActive_ = false;
    awaitFirstByte_ = false;
    waitSince_ = kNoWait;
    timer1_.start();
    showAlarm(true);
    stopReader();
    lastFailure_ = reason;
    emit linkFailed(reason);
}

// ---- The step machines -------------------------------------------------------------------------

void Controller::stepZero(const SequenceSpec& seq)
{
    const int32_t kind = seq.kind;
    emit runStarting(kind);
    if (isMeasuring(kind) && record_.currentTest != pendingTest_)
        resetKind(pendingTest_);
    record_.currentTest = pendingTest_;
    testRunning_ = true;
    if (isMeasuring(kind))
        emit repaintRequested();
    else if (kind == KindStart)
        emit startPromptRequested();

    lastFailure_.clear();
    if (ensurePortOpen())
        port_->purgeInput();
    replyTimedOut_ = false;
    setStatus(seq, QString::fromUtf8(kHandshakeSuffix), 0);
    checkLink();
}

void Controller::sendCommand(const SequenceSpec& seq)
{
    setStatus(seq, QStringLiteral("0%"), 0);

    expectedBytes_ = seq.steps.front().bytes;
    stopReader(); // the handshake's reader must not take the reply for its answer
    if (port_)
        port_->writeByte(seq.command); // a failed write closes the port: checked below
    if (!port_ || !port_->isOpen()) {
        if (testRunning_)
            linkFailure(lastFailure_.isEmpty() ? QStringLiteral("port closed") : lastFailure_);
        return;
    }
    stepIndex_ = 1;
    waitSince_ = kNoWait;
    waitActive_ = false;
    awaitFirstByte_ = false;
    lampWaitOver_ = false;

    reader_ = std::make_unique<InputThread>(*port_, [this] { checkReader(); });
    startWait(seq);
}

void Controller::replyStep(const SequenceSpec& seq)
{
    const size_t index = size_t(stepIndex_ - 1);
    const ReplyStep& step = seq.steps[index];
    const bool last = index + 1 == seq.steps.size();
    if (replyTimedOut_) {
        linkFailure(QStringLiteral("reply of step %1 not complete within %2 ms").arg(stepIndex_).arg(replyLimitMs_));
        return;
    }
    if (last && !seq.repeats)
        testLocked_ = true; // start and energy run once; LockTestBtn is already pressed
    if (!port_ || port_->bytesWaiting() < expectedBytes_)
        return; // a later message will come
    if (last) {
        lastStep(seq, step);
        return;
    }

    std::array<uint8_t, kLargestReplyBlock> rx{};
    port_->read(rx.data(), expectedBytes_);
    const ReplyStep& following = seq.steps[index + 1];
    if (step.block == Block::EnergyAck) {
        // The instrument acknowledges "5" and then sends the first curve by itself.
        if (!isEnergyAck(rx[0])) {
            linkFailure(
                QStringLiteral("wrong acknowledgement 0x%1 (expected '!')").arg(rx[0], 2, 16, QLatin1Char('0')));
            return;
        }
        expectedBytes_ = following.bytes;
        setStatus(seq, QStringLiteral("%1%").arg(step.progress), step.progress);
        ++stepIndex_;
        return;
    }
    storeBlock(record_, step, rx.data());
    setStatus(seq, QStringLiteral("%1%").arg(step.progress), step.progress);
    if (following.bytes != step.bytes)
        expectedBytes_ = following.bytes;
    port_->writeByte(kCmdNext);
    ++stepIndex_;
    startWait(seq);
}

void Controller::lastStep(const SequenceSpec& seq, const ReplyStep& step)
{
    stopReader();
    awaitFirstByte_ = false;
    std::array<uint8_t, kLargestReplyBlock> rx{};
    port_->read(rx.data(), expectedBytes_);
    storeBlock(record_, step, rx.data());
    stepIndex_ = 0;
    expectedBytes_ = 1;
    setStatus(seq, QStringLiteral("100%"), 100);
    if (evaluate_)
        evaluate_(seq.kind, record_);
    testRunning_ = false;
    emit runCompleted(seq.kind);
    // The run's page is the one shown now (after the run was handed on as it was evaluated).
    preparePage();
    if (closeRequested_)
        closeWindow();
    else if (seq.repeats)
        timer1_.start();
}

} // namespace korvex
