// File dialogs that never open the files they list: icons and type names decided by the file
// name alone, and Qt's own dialogs in place of the platform's.
#pragma once

#include <QtWidgets/QFileIconProvider>

class QApplication;
class QFileDialog;

namespace korvex {

/// Icons and type names from the file name (its extension) only. Qt's providers read a file's
/// first bytes when its name does not settle the type; a file dialog that lists the results
/// log's folder would then open and close the log's files, and on POSIX systems closing any
/// descriptor of a file drops every lock the process holds on it, the log writer's included.
class FileNameIcons : public QFileIconProvider {
  public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

/// Makes the dialog list files by name only: Qt's own dialog (a platform dialog in this process
/// would read file contents) with FileNameIcons. Before the dialog has been shown.
void listByNameOnly(QFileDialog& dialog);

/// For the whole program: no platform file dialogs, and every file dialog that is shown,
/// including those Qt opens itself (the print dialog's file choice), lists by name only.
void listAllFileDialogsByNameOnly(QApplication& app);

} // namespace korvex
