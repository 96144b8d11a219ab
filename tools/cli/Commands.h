// Subcommands of korvex-cli. Each returns the process exit status: 0 success, 1 usage error,
// 2 a file or link failure, 3 a verdict that fails.
#pragma once

#include <QtCore/QString>

#include "log/Locations.h"
#include "log/LogDatabase.h"

namespace korvex::cli {

int cmdDump(int argc, char** argv);
int cmdExport(int argc, char** argv);
int cmdReplay(int argc, char** argv);
int cmdRun(int argc, char** argv);
int cmdPlan(int argc, char** argv);
int cmdReport(int argc, char** argv);
int cmdRender(int argc, char** argv);
int cmdVerdict(int argc, char** argv);
int cmdLog(int argc, char** argv);
int cmdPaths(int argc, char** argv);

/// Where this program keeps its files (portable copy or installed); looked up once.
const Locations& locations();
/// The same, after creating the folders an installed program writes into (a folder that
/// cannot be created is reported on stderr; what needs it then fails with its own message).
const Locations& writableLocations();
/// The log named on the command line, or KORVEX_DB, or the default file.
LogTarget logTargetFor(const QString& text);

/// True when args holds "--help" or "-h".
bool wantsHelp(int argc, char** argv);

} // namespace korvex::cli
