// Qt's own texts (standard buttons, file and print dialogs) in Chinese, like the rest of the window.
#include "app/window/QtTranslations.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QLibraryInfo>
#include <QtCore/QTranslator>

namespace korvex {

QTranslator* installQtTranslations(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    // qtbase covers the message boxes, the file dialogs and the print dialog.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace korvex
