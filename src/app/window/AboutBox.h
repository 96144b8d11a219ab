// The help menu: the program's version and where it keeps its settings, limits and results log.
#pragma once

#include "log/Locations.h"

namespace korvex {

class DialogRunner;
class TKORVEXForm;

/// Adds the menu 帮助 with 关于 KORVEX to the window; the box names the version, whether this
/// is a portable copy or an installed program, and every file it uses.
void addHelpMenu(TKORVEXForm& form, DialogRunner& runner, const Locations& where);

} // namespace korvex
