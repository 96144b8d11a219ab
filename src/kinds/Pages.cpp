// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include "kinds/Energytest.h"
#include "kinds/EnergytestPage.h"
#include "kinds/InputtestPage.h"
#include "kinds/PageConventions.h"
#include "kinds/PhasetestPage.h"
#include "kinds/StarttestPage.h"

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
    case KindOutput:
        return {"Output Characteristic Test Report", "输出特性测试报告", kInstrumentTitleZhSpaced, kInstrumentTitleZh};
    case KindComprehensive:
        return {"Compositive Characteristic Test Report", "综合特性测试报告", kInstrumentTitleZhSpaced,
                kInstrumentTitleZhSpaced};
    case KindStart:
        return {"Start Characteristic Test Report", "启动特性测试报告", kInstrumentTitleZhSpaced,
                kInstrumentTitleZhSpaced};
    default:
        return {"Filament Warm-up Test Report", "灯丝预热能量测试报告", kInstrumentTitleZh, kInstrumentTitleZhSpaced};
    }
}

} // namespace

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
    case KindInput:
        chinese ? drawInputScreenChinese(c, r) : drawInputScreenEnglish(c, r);
        return;
    case KindPhase:
        chinese ? drawPhaseScreenChinese(c, r) : drawPhaseScreenEnglish(c, r);
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
    case KindOutput:
    case KindComprehensive: {
        const ReportTitle t = reportTitle(r.currentTest);
        drawTitleOnlyScreenPage(c, chinese, t.instrumentZhScreen, t.en, t.zh);
        return;
    }
    default:
        return;
    }
}

void drawPrintPage(PageCanvas& c, TestRecord& r, int32_t kind, int /*printerFamily*/)
{
    const bool chinese = r.chinese != 0;
    switch (kind) {
    case KindInput:
        chinese ? drawInputPrintChinese(c, r) : drawInputPrintEnglish(c, r);
        return;
    case KindPhase:
        chinese ? drawPhasePrintChinese(c, r) : drawPhasePrintEnglish(c, r);
        return;
    case KindStart:
        chinese ? drawStartPrintChinese(c, r) : drawStartPrintEnglish(c, r);
        return;
    case KindEnergy:
        chinese ? drawEnergyPrintChinese(c, r) : drawEnergyPrintEnglish(c, r);
        return;
    case KindOutput:
    case KindComprehensive: {
        const ReportTitle t = reportTitle(kind);
        drawTitleOnlyPrintPage(c, chinese, t.instrumentZhPrint, t.en, t.zh);
        return;
    }
    default:
        return;
    }
}

} // namespace korvex
