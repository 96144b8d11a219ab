// Qt's own texts (standard buttons, file and print dialogs) in Chinese, like the rest of the window.
#pragma once

class QCoreApplication;
class QTranslator;

namespace korvex {

/// Installs Qt's Chinese translation (qtbase_zh_CN from Qt's translations folder) in app.
/// Returns the installed translator, owned by app, or nullptr when the translation is not
/// there: Qt's texts then stay English and everything else works as before.
QTranslator* installQtTranslations(QCoreApplication& app);

} // namespace korvex
