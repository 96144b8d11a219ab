// Registration of the program's built-in resources (glyphs, wiring picture).
#include "app/dialogs/Resources.h"

#include <QtCore/QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResourcesOnce()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(korvex);
        return true;
    }();
    (void)done;
}

namespace korvex {

void initKorvexResources()
{
    initResourcesOnce();
}

} // namespace korvex
