// The results log and the verdicts in the window: the serial number field and its automatic
// increment on the tool bar, the count of waiting entries in the status line, messages when
// entries cannot be written, the history window (menu 文件 → 历史记录), the judge whose
// judgement the log keeps and the verdict panel shows, and the warning while the limits file
// cannot be read.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <memory>
#include <optional>
#include <string>

#include "log/LogEntry.h"

class QAction;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QToolButton;

namespace korvex {

class Controller;
class HistoryWindow;
class ResultsLog;
class RunJudge;
class RunLogger;
class TKORVEXForm;

struct LimitsFile;

/// What is wrong with the limits file (its name, the line and the fault) in the language.
QString limitsFault(const LimitsFile& limits, bool chinese);

class LogControls : public QObject {
    Q_OBJECT
  public:
    /// Logs the controller's runs into log and adds the controls to the form.
    LogControls(TKORVEXForm& form, Controller& controller, ResultsLog& log, QObject* parent = nullptr);
    ~LogControls() override;

    /// The program is closing: logs a series under way, writes what waits and stops the writer.
    /// Returns the entries that could not be written anywhere.
    int finish();

    QLineEdit* serialField() const { return serial_; }
    QToolButton* autoIncrementButton() const { return autoIncrement_; }
    /// Shown beside the serial number field when that number has passed before (a retest);
    /// its tool tip says which tests.
    QLabel* retestLabel() const { return retest_; }
    bool retestShown() const;
    /// The serial number the next run is logged with (the field's number).
    QString pendingSerial() const;
    QLabel* statusLabel() const { return status_; }
    /// Red in the status line while the limits file cannot be read (hidden otherwise).
    QLabel* limitsLabel() const { return limitsStatus_; }
    RunLogger& logger() { return *logger_; }
    RunJudge& judge() { return *judge_; }
    /// Shows the history window (created on first use).
    HistoryWindow* showHistory();
    /// Shows a logged run in the window for viewing, printing, storing and export; the test
    /// information of the next run (serial number included) stays as it was.
    void openLoggedRun(const LogEntry& run);

    /// With +1 on, the number from that was tested counts up by one (unless the operator has
    /// changed the number meanwhile).
    void countSerialUp(const QString& from);
    ResultsLog& log() { return log_; }

  public slots:
    /// Shows the texts in Chinese or English (the history window's too).
    void retranslate(bool chinese);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /// The serial number of the next run (code page 936): the record's, or while a logged run
    /// is on view the one kept for the next run.
    void setPendingSerial(const std::string& number);
    /// The Chinese or the English text, as the language is.
    QString tr2(const char* zh, const char* en) const;
    QString problemText() const;
    /// The limits file's state in the status line and, when announce and it is news, a message.
    void showLimits(bool announce);
    void takeSerial();
    void showSerial();
    void onSubmitted(const LogEntry& entry, bool single);
    void updateStatus();
    void onProblem(const QString& text);
    void onLimits();
    void restorePending();
    void lookUpSerial(const QString& serial);
    void showRetest();

    TKORVEXForm& form_;
    Controller& controller_;
    ResultsLog& log_;
    std::unique_ptr<RunJudge> judge_;
    std::unique_ptr<RunLogger> logger_;
    bool chinese_ = true;
    QLabel* caption_ = nullptr;
    QAction* historyAction_ = nullptr;
    QPointer<QPushButton> retry_;
    QLineEdit* serial_ = nullptr;
    QPointer<QWidget> page_; // the drawing area, which has the keys once a number is set
    QToolButton* autoIncrement_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* limitsStatus_ = nullptr;
    QPointer<QMessageBox> problemBox_;
    QPointer<QMessageBox> limitsBox_;
    QString limitsShown_; // the fault the operator was last told of
    QLabel* retest_ = nullptr;
    QAction* retestAction_ = nullptr;
    QPointer<QMessageBox> reopenBox_;
    /// The record as it was before a logged run was opened for viewing: its test information
    /// and filament parameters are the next run's, written back when that run starts.
    std::unique_ptr<TestRecord> pending_;
    QString lookedUp_;   // the serial number last looked up in the log
    QString passedText_; // what passed before of the pending serial number
    QPointer<HistoryWindow> history_;
    int logged_ = 0;
    QString problem_;
};

} // namespace korvex
