// The start test report: the prompt page shown while the operator switches the lamp.
#pragma once

#include "kinds/PageCanvas.h"

namespace korvex {

/// The prompt shown while a start or preheat energy test waits for its lamp.
void drawStartPrompt(PageCanvas& c);

} // namespace korvex
