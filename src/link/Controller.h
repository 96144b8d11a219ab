// The test loop and the instrument link: owns the record, the settings and the port, runs one
// step of the current command sequence per message 1025, and reports everything as signals.
#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "record/Configuration.h"
#include "record/Notice.h"
#include "record/TestRecord.h"

namespace korvex {

class Clock;
class InputThread;
class LinkPort;
class SimInstrument;
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
    static constexpr int kHandshakeLimitMs = 2000;
    static constexpr int kReplyLimitMs = 4000;
    static constexpr int kRepeatPauseMs = 500; // Timer1
    static constexpr int kCloseWaitMs = 4000;  // Timer2

    /// Makes a port for a device name ("sim" is handled by the controller itself).
    using PortFactory = std::function<std::unique_ptr<LinkPort>(const QString& device)>;
    /// The evaluation that fills the record once the last block of a kind's run is stored.
    /// The link knows only the bytes; whoever builds the controller supplies the evaluations.
    using Evaluator = std::function<void(int32_t kind, TestRecord& record)>;

    explicit Controller(Evaluator evaluate, QObject* parent = nullptr);
    /// A controller measuring its time limits with clock (tests drive it).
    Controller(Evaluator evaluate, Clock& clock, QObject* parent = nullptr);
    ~Controller() override;

    TestRecord& record() { return record_; }
    const TestRecord& record() const { return record_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }

    // The window changes the record only through these, so the rules of the loop (a running
    // sequence keeps its kind) hold whichever command asks.

    /// The display choices the pages follow.
    struct DisplayOptions {
        bool chinese = true;
        bool wideBand = false;
        bool thdCsa = false;
    };
    DisplayOptions options() const;
    /// Takes new display choices; nothing is sent to the instrument.
    void setOptions(const DisplayOptions& options);
    /// Start-up: reads the configuration in programDir into cfg, the record and the settings
    /// (writing the defaults when there is none), then resets all results.
    void loadSettings(const std::string& programDir, Configuration& cfg);
    /// Reads a data file into the record; a running sequence keeps its kind.
    Notice loadFile(const std::string& path);
    /// The same for the bytes of a data file held in memory (a logged run); source says what
    /// they are for recordLoaded.
    Notice loadImage(const std::vector<uint8_t>& image, const QString& source);
    /// Shows the page of kind with its results (not the start prompt); ignored while a sequence
    /// runs, whose kind stays on screen.
    void showPage(int32_t kind);
    /// Takes the cursor positions and readouts of the start and preheat-energy pages from
    /// source (computed by the page's own arithmetic); nothing else of source is used.
    void setCursors(const TestRecord& source);

    int32_t currentTest() const { return record_.currentTest; }
    int32_t pendingTest() const { return pendingTest_; }
    int stepIndex() const { return stepIndex_; }
    bool testRunning() const { return testRunning_; }
    bool testLocked() const { return testLocked_; }
    bool closeRequested() const { return closeRequested_; }
    int expectedBytes() const { return expectedBytes_; }
    int32_t waitSince() const { return waitSince_; }
    bool replyTimedOut() const { return replyTimedOut_; }
    /// "?" was sent and step 0 waits for the answer (or the 2000 ms limit) to go on.
    bool handshakePending() const { return handshakePending_; }
    bool alarmShown() const { return alarmShown_; }
    bool timer1Active() const { return timer1_.isActive(); }
    bool timer2Active() const { return timer2_.isActive(); }
    /// Milliseconds until Timer2 fires, -1 when it is off.
    int timer2Remaining() const { return timer2_.remainingTime(); }
    bool readerActive() const;
    /// True while the reader will wake by itself when the reply limit passes.
    bool replyDeadlineArmed() const;
    int progress() const { return progress_; }
    /// Why the last run or handshake failed (empty after a completed run).
    QString lastFailure() const { return lastFailure_; }

    /// The open port, or nullptr.
    LinkPort* port() const { return port_.get(); }
    /// The device portName stands for right now ("/dev/ttyS0", "sim", "COM1" ...).
    QString portDevice() const;
    /// From now on open the built-in simulated instrument instead of the serial device.
    /// paced: bytes at 19200 baud and a lamp switching wait before start and energy captures.
    void useSimulator(const QString& scenario = QString(), bool paced = true, const QString& fault = QString());
    /// From now on open this device path (or "sim") instead of the one portName names.
    void useDevice(const QString& device);
    /// Ports are made by factory (tests plug in a scripted instrument this way).
    void setPortFactory(PortFactory factory);
    /// The simulated instrument while it is in use, else nullptr.
    SimInstrument* simulator() const { return sim_.get(); }

  public slots:
    // Test commands.
    void inputTest();             // InputTestClick
    void phaseTest();             // CurrentClick
    void outputTest();            // OutputTestClick
    void compTest();              // CompTestClick
    void singleRun(int32_t kind); // the four single-run buttons (kinds 1..4)
    void startTest();             // StartTestComdClick
    void energyTest();            // EnergyTestClick, after the wiring picture was confirmed
    void toggleLock();            // LockTestClick
    void setLocked(bool locked);
    void back();
    void next();
    /// True: close now. Otherwise closeRequested is set and Timer2 runs.
    bool requestClose();
    /// (Re)opens the port named by the settings: 0 ok, 1 failure (reported by messageRequested).
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

  protected:
    bool event(QEvent* e) override;

  private:
    Notice loadRecord(const std::function<Notice(TestRecord&)>& read, const QString& source);
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
    void postStep();
    bool ensurePortOpen();
    std::unique_ptr<LinkPort> makePort(const QString& device);
    void onPortError(const QString& text);
    void dropPort();
    void closeWindow();

    Evaluator evaluate_;
    Clock& clock_;
    TestRecord record_;
    Settings settings_;

    // Loop state.
    int32_t pendingTest_ = 0;
    int stepIndex_ = 0;
    bool testRunning_ = false;
    bool testLocked_ = false;
    bool closeRequested_ = false;

    // Link state.
    std::unique_ptr<LinkPort> port_;
    int expectedBytes_ = 1;
    int32_t waitSince_ = kNoWait;
    bool waitActive_ = false; // a reply time limit runs (see checkReader)
    // Start and energy: the instrument answers once the operator has switched the lamp, which
    // may take any time. The block that follows that wait begins with its first byte; from
    // then on every block has the reply limit, as in the measuring tests.
    bool awaitFirstByte_ = false; // waiting, without limit, for the lamp-switch block to begin
    bool lampWaitOver_ = false;   // that block has begun in this run
    int waitLimitMs_ = kReplyLimitMs;
    bool replyTimedOut_ = false;
    bool alarmShown_ = false;
    bool stepPosted_ = false; // a message 1025 from the reader is still queued
    bool handshakePending_ = false;
    std::unique_ptr<InputThread> reader_;
    int progress_ = 0;
    QString lastFailure_;

    QTimer timer1_;
    QTimer timer2_;

    // Where ports come from.
    QString deviceOverride_;
    PortFactory factory_;
    std::unique_ptr<SimInstrument> sim_;
    QString simScenario_;
    QString simFault_;
    bool simPaced_ = true;
    bool useSim_ = false;
};

} // namespace korvex
