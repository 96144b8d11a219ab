// The offscreen GUI layer of korvex-cli.
#include "GuiApp.h"

#include <QDir>
#include <QFile>

#include "app/canvas/PageFonts.h"

namespace korvex::cli {

// Offscreen unless the caller chose a platform. Qt's GUI layer wants a per-user runtime folder
// (XDG_RUNTIME_DIR), which a service or root without a login session does not have: Qt then
// warns on stderr and makes /tmp/runtime-USER itself. The tool gives it a private folder of
// its own for the run instead (mode 0700, as Qt requires), so that stderr carries only the
// tool's own messages; filtering Qt's warning by its wording would break with the next
// wording and still leave Qt's folder behind.
Gui startGui()
{
    Gui gui;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        auto runtime = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/korvex-cli-runtime-XXXXXX"));
        if (runtime->isValid()) {
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
            gui.runtime = std::move(runtime);
        }
    }
    static int argc = 1;
    static char name[] = "korvex-cli";
    static char* argv[] = {name, nullptr};
    installPageFonts();
    gui.app = std::make_unique<QGuiApplication>(argc, argv);
    return gui;
}

} // namespace korvex::cli
