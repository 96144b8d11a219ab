// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include "kinds/InputtestPage.h"
#include "kinds/OutputtestPage.h"
#include "kinds/PageConventions.h"
#include "kinds/PhasetestPage.h"
#include "kinds/StarttestPage.h"
#include "kinds/StatictestPage.h"

namespace korvex {

namespace {

struct ReportTitle {
    const char* en;
    const char* zh;
    const char* instrumentZhScreen; // the Chinese instrument title differs in one space per page
    const char* instrumentZhPrint;
};

// Report titles of the kinds whose pages are drawn as title blocks only for now.
ReportTitle reportTitle(int32_t kind)
{
    switch (kind) {
    case KindStart:
        return {"Start Characteristic Test Report", "启动特性测试报告", kInstrumentTitleZhSpaced,
                kInstrumentTitleZhSpaced};
    default:
        return {"Filament Warm-up Test Report", "灯丝预热能量测试报告", kInstrumentTitleZh, kInstrumentTitleZhSpaced};
    }
}

} // namespace

void drawScreenPage(PageCanvas& c, TestRecord& r)
{
    const bool chinese = r.chinese != 0;
    switch (r.currentTest) {
    case KindInput:
        chinese ? drawInputScreenChinese(c, r) : drawInputScreenEnglish(c, r);
        return;
    case KindPhase:
        chinese ? drawPhaseScreenChinese(c, r) : drawPhaseScreenEnglish(c, r);
        return;
    case KindOutput:
        chinese ? drawOutputScreenChinese(c, r) : drawOutputScreenEnglish(c, r);
        return;
    case KindComprehensive:
        chinese ? drawComprehensiveScreenChinese(c, r) : drawComprehensiveScreenEnglish(c, r);
        return;
    case KindStart:
    case KindEnergy:
        if (r.resultsShown == 0) {
            drawStartPrompt(c);
            return;
        }
        {
            const ReportTitle t = reportTitle(r.currentTest);
            drawTitleOnlyScreenPage(c, chinese, t.instrumentZhScreen, t.en, t.zh);
        }
        return;
    default:
        return;
    }
}

void drawPrintPage(PageCanvas& c, TestRecord& r, int32_t kind, int printerFamily)
{
    const bool chinese = r.chinese != 0;
    switch (kind) {
    case KindInput:
        chinese ? drawInputPrintChinese(c, r) : drawInputPrintEnglish(c, r);
        return;
    case KindPhase:
        chinese ? drawPhasePrintChinese(c, r) : drawPhasePrintEnglish(c, r);
        return;
    case KindOutput:
        chinese ? drawOutputPrintChinese(c, r) : drawOutputPrintEnglish(c, r);
        return;
    case KindComprehensive:
        chinese ? drawComprehensivePrintChinese(c, r) : drawComprehensivePrintEnglish(c, r, printerFamily);
        return;
    case KindStart:
    case KindEnergy: {
        const ReportTitle t = reportTitle(kind);
        drawTitleOnlyPrintPage(c, chinese, t.instrumentZhPrint, t.en, t.zh);
        return;
    }
    default:
        return;
    }
}

} // namespace korvex
