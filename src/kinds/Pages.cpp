// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include "kinds/Energytest.h"
#include "kinds/EnergytestPage.h"
#include "kinds/InputtestPage.h"
#include "kinds/OutputtestPage.h"
#include "kinds/PhasetestPage.h"
#include "kinds/StarttestPage.h"
#include "kinds/StatictestPage.h"

namespace korvex {

void prepareShownPage(TestRecord& r)
{
    if (r.currentTest == KindEnergy && r.resultsShown != 0)
        updateEnergyScale(r);
}

void drawScreenPage(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    switch (r.currentTest) {
    case KindInput: drawInputScreen(c, r, options); return;
    case KindPhase: drawPhaseScreen(c, r, options); return;
    case KindOutput: drawOutputScreen(c, r, options); return;
    case KindComprehensive: drawComprehensiveScreen(c, r, options); return;
    case KindStart:
    case KindEnergy:
        if (r.resultsShown == 0)
            drawStartPrompt(c);
        else if (r.currentTest == KindStart)
            drawStartScreen(c, r, options);
        else
            drawEnergyScreen(c, r, options);
        return;
    default: return;
    }
}

void drawScreenPage(PageCanvas& c, const TestRecord& r)
{
    drawScreenPage(c, r, displayOptions(r));
}

void drawPrintPage(PageCanvas& c, const TestRecord& r, const DisplayOptions& options, int32_t kind, int printerFamily)
{
    switch (kind) {
    case KindInput: drawInputPrint(c, r, options); return;
    case KindPhase: drawPhasePrint(c, r, options); return;
    case KindOutput: drawOutputPrint(c, r, options); return;
    case KindComprehensive: drawComprehensivePrint(c, r, options, printerFamily); return;
    case KindStart: drawStartPrint(c, r, options); return;
    case KindEnergy: drawEnergyPrint(c, r, options); return;
    default: return;
    }
}

void drawPrintPage(PageCanvas& c, const TestRecord& r, int32_t kind, int printerFamily)
{
    drawPrintPage(c, r, displayOptions(r), kind, printerFamily);
}

} // namespace korvex
