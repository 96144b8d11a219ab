// The Qt GUI layer that drawing pages needs, for the subcommands that write PDF or PNG pages.
#pragma once

#include <QGuiApplication>
#include <QTemporaryDir>
#include <memory>

namespace korvex::cli {

// The Qt GUI layer the canvases need, and the runtime folder it was given (removed after it).
struct Gui {
    std::unique_ptr<QTemporaryDir> runtime;
    std::unique_ptr<QGuiApplication> app;
};

/// Starts the GUI layer offscreen (unless QT_QPA_PLATFORM names a platform) with the page
/// fonts installed, in a private runtime folder when the user has none.
Gui startGui();

} // namespace korvex::cli
