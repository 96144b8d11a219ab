// The help menu: the program's version and where it keeps its settings, limits and results log.
#pragma once

#include "log/Locations.h"

namespace korvex {

class DialogRunner;
class TKORVEXForm;

/// Adds the menu 帮助 with 关于 KORVEX to the window (Help, About KORVEX in English, switching
/// with the pages' language); the box names the version, whether this is a portable copy or an
/// installed program, and every file it uses, in the language of the moment.
void addHelpMenu(TKORVEXForm& form, DialogRunner& runner, const Locations& where);

} // namespace korvex
