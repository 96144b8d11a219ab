// Qt's own texts (standard buttons, file and print dialogs) in the window's language.
#pragma once

class QCoreApplication;
class QTranslator;

namespace korvex {

/// Installs Qt's Chinese translation (qtbase_zh_CN from Qt's translations folder) in app.
/// Returns the installed translator, owned by app, or nullptr when the translation is not
/// there: Qt's texts then stay English and everything else works as before.
QTranslator* installQtTranslations(QCoreApplication& app);

/// Qt's texts in Chinese (its translation installed) or English (none installed), switched
/// at once: Qt tells its open dialogs and buttons to translate themselves again. Returns false
/// when Chinese is asked for and the translation is not there (Qt's texts then stay English).
bool useQtTranslations(bool chinese);

} // namespace korvex
