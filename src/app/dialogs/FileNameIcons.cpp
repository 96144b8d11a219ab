// File dialogs that decide icons and types by name.
#include "app/dialogs/FileNameIcons.h"

#include <QtCore/QEvent>
#include <QtCore/QMimeDatabase>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>

namespace korvex {

namespace {

// The provider the dialogs share; it holds no state, so one serves every dialog and thread.
FileNameIcons& sharedIcons()
{
    static FileNameIcons icons;
    return icons;
}

QMimeType typeByName(const QFileInfo& info)
{
    static const QMimeDatabase mime;
    return mime.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

// Sets the provider on every file dialog as it is shown: the print dialog creates its own.
class FileDialogWatch : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched); dialog && dialog->iconProvider() != &sharedIcons())
                dialog->setIconProvider(&sharedIcons());
        return false;
    }
};

} // namespace

QIcon FileNameIcons::icon(IconType type) const
{
    return QFileIconProvider::icon(type);
}

QIcon FileNameIcons::icon(const QFileInfo& info) const
{
    // A folder's icon comes from the style or the folder itself, never from a file's contents.
    if (info.isDir())
        return QFileIconProvider::icon(info);
    const QIcon themed = QIcon::fromTheme(typeByName(info).iconName());
    return themed.isNull() ? QFileIconProvider::icon(File) : themed;
}

QString FileNameIcons::type(const QFileInfo& info) const
{
    // Qt reads the contents of plain files only; everything else keeps its own wording.
    if (!info.isFile())
        return QFileIconProvider::type(info);
    const QMimeType mime = typeByName(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

void listByNameOnly(QFileDialog& dialog)
{
    // The option first: a dialog that starts as a platform dialog gets its own model only then.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&sharedIcons());
}

void listAllFileDialogsByNameOnly(QApplication& app)
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    app.installEventFilter(new FileDialogWatch(&app));
}

} // namespace korvex
