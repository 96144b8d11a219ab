// The results log in the window: the serial number field and its automatic increment on the
// tool bar, the count of waiting entries in the status line, messages when entries cannot be
// written, and the history window (menu 文件 → 历史记录).
#pragma once

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <memory>

#include "log/LogEntry.h"

class QLabel;
class QLineEdit;
class QMessageBox;
class QToolButton;

namespace korvex {

class Controller;
class HistoryWindow;
class LogJudge;
class ResultsLog;
class RunLogger;
class TKORVEXForm;

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
    QLabel* statusLabel() const { return status_; }
    RunLogger& logger() { return *logger_; }
    /// Shows the history window (created on first use).
    HistoryWindow* showHistory();

  private:
    void takeSerial();
    void showSerial();
    void onSubmitted(const LogEntry& entry, bool single);
    void updateStatus();
    void onProblem(const QString& text);

    TKORVEXForm& form_;
    Controller& controller_;
    ResultsLog& log_;
    std::unique_ptr<LogJudge> judge_;
    std::unique_ptr<RunLogger> logger_;
    QLineEdit* serial_ = nullptr;
    QToolButton* autoIncrement_ = nullptr;
    QLabel* status_ = nullptr;
    QPointer<QMessageBox> problemBox_;
    QPointer<HistoryWindow> history_;
    int logged_ = 0;
    QString problem_;
};

} // namespace korvex
