// Qt's own texts (standard buttons, file and print dialogs) in the window's language.
#include "app/window/QtTranslations.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QLibraryInfo>
#include <QtCore/QPointer>
#include <QtCore/QTranslator>

namespace korvex {

namespace {

QTranslator* loadQtChinese(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    // qtbase covers the message boxes, the file dialogs and the print dialog.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    return translator;
}

// Qt's Chinese translation once loaded (it lives as long as the application) and whether it is
// installed now.
QPointer<QTranslator> qtChinese;
bool qtChineseInstalled = false;

} // namespace

QTranslator* installQtTranslations(QCoreApplication& app)
{
    QTranslator* translator = loadQtChinese(app);
    if (translator && !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

bool useQtTranslations(bool chinese)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return !chinese;
    if (!qtChinese)
        qtChineseInstalled = false; // an application of its own, or none loaded yet
    if (!chinese) {
        if (qtChineseInstalled)
            QCoreApplication::removeTranslator(qtChinese);
        qtChineseInstalled = false;
        return true;
    }
    if (!qtChinese)
        qtChinese = loadQtChinese(*app);
    if (qtChinese && !qtChineseInstalled)
        qtChineseInstalled = QCoreApplication::installTranslator(qtChinese);
    return qtChineseInstalled;
}

} // namespace korvex
