// A DialogRunner for tests: shows each modal dialog without waiting, lets a script press its
// buttons, answers file and print dialogs from prepared values and records message boxes.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QtCore/QStringList>
#include <QtWidgets/QDialog>
#include <QtWidgets/QFileDialog>

#include "app/dialogs/DialogRunner.h"

namespace korvex {

class ScriptedRunner : public DialogRunner {
  public:
    /// Runs while the dialog is shown; a dialog the script leaves open counts as cancelled.
    std::function<void(QDialog&)> script;
    QStringList shown;       // objectName of each dialog in the order shown
    QStringList fileAnswers; // consumed in order; none left: the file dialog is cancelled
    bool printerAnswer = false;
    int printerDialogs = 0;
    std::vector<std::pair<QString, QString>> messages; // text, caption

    int exec(QDialog& dialog) override
    {
        shown << dialog.objectName();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        if (script)
            script(dialog);
        const int result = dialog.result();
        dialog.hide();
        return result;
    }
    void message(const QString& text, const QString& caption) override { messages.emplace_back(text, caption); }
    QString chooseFile(QFileDialog& dialog) override
    {
        shown << dialog.objectName();
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    bool choosePrinter(QPrinter&) override
    {
        ++printerDialogs;
        return printerAnswer;
    }
};

} // namespace korvex
