// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include "kinds/Energytest.h"
#include "kinds/EnergytestPage.h"
#include "kinds/InputtestPage.h"
#include "kinds/OutputtestPage.h"
#include "kinds/PageConventions.h"
#include "kinds/PhasetestPage.h"
#include "kinds/StarttestPage.h"
#include "kinds/StatictestPage.h"

namespace korvex {

void prepareScreenPage(TestRecord& r)
{
    if (r.currentTest == KindEnergy && r.resultsShown != 0)
        updateEnergyScale(r);
}

void drawScreenPage(PageCanvas& c, TestRecord& r)
{
    prepareScreenPage(r);
    const bool chinese = r.chinese != 0;
    switch (r.currentTest) {
    case KindInput: chinese ? drawInputScreenChinese(c, r) : drawInputScreenEnglish(c, r); return;
    case KindPhase: chinese ? drawPhaseScreenChinese(c, r) : drawPhaseScreenEnglish(c, r); return;
    case KindOutput: chinese ? drawOutputScreenChinese(c, r) : drawOutputScreenEnglish(c, r); return;
    case KindComprehensive:
        chinese ? drawComprehensiveScreenChinese(c, r) : drawComprehensiveScreenEnglish(c, r);
        return;
    case KindStart:
    case KindEnergy:
        if (r.resultsShown == 0)
            drawStartPrompt(c);
        else if (r.currentTest == KindStart)
            chinese ? drawStartScreenChinese(c, r) : drawStartScreenEnglish(c, r);
        else
            chinese ? drawEnergyScreenChinese(c, r) : drawEnergyScreenEnglish(c, r);
        return;
    default: return;
    }
}

void drawPrintPage(PageCanvas& c, TestRecord& r, int32_t kind, int printerFamily)
{
    const bool chinese = r.chinese != 0;
    switch (kind) {
    case KindInput: chinese ? drawInputPrintChinese(c, r) : drawInputPrintEnglish(c, r); return;
    case KindPhase: chinese ? drawPhasePrintChinese(c, r) : drawPhasePrintEnglish(c, r); return;
    case KindOutput: chinese ? drawOutputPrintChinese(c, r) : drawOutputPrintEnglish(c, r); return;
    case KindComprehensive:
        chinese ? drawComprehensivePrintChinese(c, r) : drawComprehensivePrintEnglish(c, r, printerFamily);
        return;
    case KindStart: chinese ? drawStartPrintChinese(c, r) : drawStartPrintEnglish(c, r); return;
    case KindEnergy: chinese ? drawEnergyPrintChinese(c, r) : drawEnergyPrintEnglish(c, r); return;
    default: return;
    }
}

} // namespace korvex
