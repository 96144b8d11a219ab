// Registration of the program's built-in resources (glyphs, wiring picture).
#pragma once

namespace korvex {

/// Registers the resources linked in from the static library; safe to call repeatedly.
void initKorvexResources();

} // namespace korvex
