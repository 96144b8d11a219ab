// Modal dialogs, message boxes, file choices and the print dialog, shown for real.
#include "app/dialogs/DialogRunner.h"

#include <QtPrintSupport/QPrintDialog>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMessageBox>

namespace korvex {

int DialogRunner::exec(QDialog& dialog)
{
    return dialog.exec();
}

void DialogRunner::message(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
    box.exec();
}

QString DialogRunner::chooseFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool DialogRunner::choosePrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace korvex
