// The test loop: runs one step of the current command sequence per message 1025 on the port its
// port source makes, owns the record the runs fill, and reports everything as signals.
#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/PortSource.h"
#include "record/TestRecord.h"

namespace korvex {

class Clock;
class InputThread;
class LinkPort;
struct ReplyStep;
struct SequenceSpec;

class Controller : public QObject {
    Q_OBJECT
  public:
    /// The step event, called message 1025 throughout (its number as a window message); as a
    /// Qt event type it is QEvent::User + 1, that is 1001. Runs one step.
    static constexpr QEvent::Type kStepEvent = static_cast<QEvent::Type>(QEvent::User + 1);
    /// waitSince while no time limit runs.
    static constexpr int32_t kNoWait = 2147483647;
    static constexpr int kHandshakeLimitMs = 2000; // the instrument's, and the window's
    static constexpr int kReplyLimitMs = 4000;     // the instrument's, and the window's
    static constexpr int kRepeatPauseMs = 500;     // Timer1
    static constexpr int kCloseWaitMs = 4000;      // Timer2

    /// The evaluation that fills the record once the last block of a kind's run is stored.
    /// The link knows only the bytes; whoever builds the controller supplies the evaluations.
    using Evaluator = std::function<void(int32_t kind, TestRecord& record)>;
    /// What the page shown needs in the record (the energy page's axis scales): whoever shows
    /// the pages supplies it, and the controller runs it whenever a page becomes the one shown
    /// (a run's end, Back and Next, a loaded record, a page printed) and after the operator's
    /// entries change. Without it the record stays as the run left it.
    using PagePreparation = std::function<void(TestRecord& record)>;

    /// A controller on the platform's serial ports (see setPortSource).
    explicit Controller(Evaluator evaluate, QObject* parent = nullptr);
    /// A controller measuring its time limits with clock (tests drive it).
    Controller(Evaluator evaluate, Clock& clock, QObject* parent = nullptr);
    ~Controller() override;

    /// The record the runs fill and the pages show.
    const TestRecord& record() const { return record_; }

    // The record changes only through these (and the runs), so the rules of the loop (a
    // running sequence keeps its kind) hold whichever command asks.

    /// Brings the page shown up to date in the record from now on (see PagePreparation).
    void setPagePreparation(PagePreparation prepare);
    /// Takes the display choices the pages follow; nothing is sent to the instrument.
    void setDisplayOptions(const DisplayOptions& options);
    /// Takes the operator's entries from `from`: the test information and the filament
    /// parameters Q, P and F (what the information and filament dialogs edit); nothing else
    /// of `from` is used.
    void takeEntries(const TestRecord& from);
    /// A stored record (a data file, a logged run) replaces the record's contents: the caller
    /// read it over a copy of record(), so the fields no file stores stay as they are. A running
    /// sequence keeps its kind. source names it for recordLoaded (the file's path, "log:ID").
    void replaceRecord(const TestRecord& stored, const QString& source);
    /// Shows the page of kind with its results (not the start prompt); ignored while a sequence
    /// runs, whose kind stays on screen.
    void showPage(int32_t kind);
    /// Moves the start page's cursor (its position and read-outs, worked out by the page's own
    /// arithmetic) and repaints.
    void moveStartCursor(const StartCursor& cursor);
    /// Moves the preheat-energy page's cursor to a sample index and repaints.
    void moveEnergyCursor(int32_t index);

    int32_t currentTest() const { return record_.currentTest; }
    int32_t pendingTest() const { return pendingTest_; }
    bool testRunning() const { return testRunning_; }
    bool testLocked() const { return testLocked_; }
    /// Why the last run or handshake failed (empty after a completed run).
    QString lastFailure() const { return lastFailure_; }

    /// The port name chosen ("COM1".."COM4"; empty means COM1), kept in KORVEX.cfg.
    QString portName() const { return portName_; }
    /// Takes a new port name; openPort opens it.
    void setPortName(const QString& name);
    /// The device the port name stands for right now ("/dev/ttyS0", "sim", "COM1" ...).
    QString portDevice() const;
    /// The time the handshake's answer (kHandshakeLimitMs) and a reply block after its command
    /// (kReplyLimitMs) may take, unless others are given (0 keeps the instrument's): a slow line,
    /// or a machine whose load may hold either end back, may be given more.
    void setLimits(int handshakeMs, int replyMs);
    /// From now on ports come from source (the simulated instrument, a device given at start,
    /// tests' scripted instruments); the port in use is closed, and the next openPort or step 0
    /// makes one from source.
    void setPortSource(PortSource source);

  public slots:
    // Test commands.
    void inputTest();             // InputTestClick
    void phaseTest();             // CurrentClick
    void outputTest();            // OutputTestClick
    void compTest();              // CompTestClick
    void singleRun(int32_t kind); // the four single-run buttons (kinds 1..4)
    void startTest();             // StartTestComdClick
    void energyTest();            // EnergyTestClick, after the wiring picture was confirmed
    /// A new ballast is on the bench: every kind's results are reset, so nothing measured on
    /// the one before can be judged, stored or logged with it. Ignored while a run is under way.
    void newBallast();
    /// Ends the run under way at once (the operator cancelled a production sequence): the reader
    /// stops, nothing is evaluated, the lock is set. Nothing happens when no run is under way.
    void abortRun();
    void toggleLock(); // LockTestClick
    void setLocked(bool locked);
    void back();
    void next();
    /// True: close now. Otherwise the window closes once the running sequence ends, or when
    /// Timer2 gives up on it.
    bool requestClose();
    /// (Re)opens the port the port name stands for: 0 ok, 1 failure (reported by messageRequested).
    int openPort();
    /// Stops the reader and closes the port (the window is closing).
    void shutdown();
    /// Message 1025: one step of the running sequence, or step 0 of pendingTest.
    void runNextStep();
    /// The reader's check: posts message 1025 when the awaited block (or the handshake's
    /// answer) is complete or overdue.
    void checkReader();
    /// Timer1: restarts an unlocked measuring test.
    void timer1Timer();
    /// Timer2: the close waited long enough.
    void timer2Timer();

  signals:
    void statusTextChanged(const QString& text);
    void progressChanged(int percent);
    void repaintRequested();
    /// Draw the start prompt page at once.
    void startPromptRequested();
    void alarmVisibilityChanged(bool shown);
    /// A modal message box with one OK button.
    void messageRequested(const QString& text, const QString& caption);
    void closeWindowRequested();
    /// The pressed state of LockTestBtn.
    void lockChanged(bool pressed);
    /// Step 0 of a run of kind begins (before the handshake); the record is the run's from here.
    void runStarting(int32_t kind);
    /// A run finished and its evaluation filled the record.
    void runCompleted(int32_t kind);
    /// A stored record replaced the record's contents (source: the file's path, or what the
    /// loaded bytes were).
    void recordLoaded(const QString& source);
    /// A test command or a step 0 cleared the results of kind (a new series begins).
    void resultsReset(int32_t kind);
    /// A handshake, a reply, an acknowledgement or the port failed; reason in English.
    void linkFailed(const QString& reason);
    /// abortRun ended a run of kind before its evaluation.
    void runAborted(int32_t kind);

  protected:
    bool event(QEvent* e) override;

  private:
    void measuringCommand(int32_t kind, bool locked);
    void promptCommand(int32_t kind);
    void setLockState(bool locked);
    void resetKind(int32_t kind);
    void checkLink();
    void handshakeStep(const SequenceSpec& seq);
    void handshakeFailed(const QString& reason = QString());
    void abandonHandshake(const QString& reason);
    void sendCommand(const SequenceSpec& seq);
    void linkFailure(const QString& reason);
    void stepZero(const SequenceSpec& seq);
    void replyStep(const SequenceSpec& seq);
    void lastStep(const SequenceSpec& seq, const ReplyStep& step);
    void setStatus(const SequenceSpec& seq, const QString& suffix, int percent);
    void setStatusText(const QString& text);
    void setProgress(int percent);
    void showAlarm(bool shown);
    void startWait(const SequenceSpec& seq);
    void startLimit(int ms);
    /// The step under way waits for the energy test's one-byte acknowledgement.
    bool awaitingAcknowledgement() const;
    void stopReader();
    bool readerActive() const;
    void postStep();
    bool ensurePortOpen();
    /// A port for the device from the source, wired to report its failures here.
    std::unique_ptr<LinkPort> makePort(const QString& device);
    void onPortError(const QString& text);
    void closeWindow();

    /// Runs the page preparation on the record, when there is one.
    void preparePage();

    Evaluator evaluate_;
    PagePreparation preparePage_;
    Clock& clock_;
    TestRecord record_;

    // Loop state.
    int32_t pendingTest_ = 0;
    int stepIndex_ = 0;
    bool testRunning_ = false;
    bool testLocked_ = false;
    bool closeRequested_ = false;

    // Link state.
    PortSource ports_;
    QString portName_;
    std::unique_ptr<LinkPort> port_;
    int expectedBytes_ = 1;
    int32_t waitSince_ = kNoWait;
    bool waitActive_ = false; // a reply time limit runs (see checkReader)
    // Start and energy: the instrument answers once the operator has switched the lamp, which
    // may take any time. The block that follows that wait begins with its first byte; from
    // then on every block has the reply limit, as in the measuring tests.
    bool awaitFirstByte_ = false; // waiting, without limit, for the lamp-switch block to begin
    bool lampWaitOver_ = false;   // that block has begun in this run
    int handshakeLimitMs_ = kHandshakeLimitMs;
    int replyLimitMs_ = kReplyLimitMs;
    int waitLimitMs_ = kReplyLimitMs;
    bool replyTimedOut_ = false;
    bool alarmShown_ = false;
    bool stepPosted_ = false; // a message 1025 from the reader is still queued
    bool handshakePending_ = false;
    std::unique_ptr<InputThread> reader_;
    QString lastFailure_;

    QTimer timer1_;
    QTimer timer2_;
};

} // namespace korvex
