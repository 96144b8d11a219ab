// The one place where the window and its dialogs wait for the operator: modal dialogs,
// message boxes, file choices and the print dialog. Tests replace it to answer at once.
#pragma once

#include <QtCore/QString>

class QDialog;
class QFileDialog;
class QPrinter;

namespace korvex {

class DialogRunner {
  public:
    virtual ~DialogRunner() = default;

    /// Shows a dialog modally; returns its result (QDialog::Accepted or Rejected).
    virtual int exec(QDialog& dialog);
    /// A message box with one OK button and no owner window.
    virtual void message(const QString& text, const QString& caption);
    /// Shows a file dialog modally; returns the chosen path, or an empty text when cancelled.
    virtual QString chooseFile(QFileDialog& dialog);
    /// Shows the platform's print dialog for printer; true when confirmed.
    virtual bool choosePrinter(QPrinter& printer);
};

} // namespace korvex
