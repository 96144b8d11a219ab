// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include <algorithm>
#include <cstdint>

#include "kinds/Energytest.h"
#include "kinds/EnergytestPage.h"
#include "kinds/InputtestPage.h"
#include "kinds/OutputtestPage.h"
#include "kinds/PageConventions.h"
#include "kinds/PhasetestPage.h"
#include "kinds/StarttestPage.h"
#include "kinds/StatictestPage.h"

namespace korvex {

namespace {

/// The page's part of a narrow area: the area's width and the height of the page's
/// proportions, at the top. The page's background fill of its whole part covers the whole
/// area, so the strip below the page is in the page's background colour.
class PagePart : public PageCanvas {
  public:
    PagePart(PageCanvas& area, int height) : area_(area), height_(height) {}

    void setFont(const std::string& name, int height, Colour colour, int charset, int escapement) override
    {
        area_.setFont(name, height, colour, charset, escapement);
    }
    void setTextAlign(TextAlign align) override { area_.setTextAlign(align); }
    void textOut(int x, int y, const std::string& text) override { area_.textOut(x, y, text); }
    void textOutWithin(int x, int y, const std::string& text, int width) override
    {
        area_.textOutWithin(x, y, text, width);
    }
    void setPen(Colour colour, PenStyle style, int width) override { area_.setPen(colour, style, width); }
    void moveTo(int x, int y) override { area_.moveTo(x, y); }
    void lineTo(int x, int y) override { area_.lineTo(x, y); }
    void fillRect(int left, int top, int right, int bottom, Colour colour) override
    {
        if (left <= 0 && top <= 0 && right >= width() && bottom >= height_)
            bottom = std::max(bottom, area_.height());
        area_.fillRect(left, top, right, bottom, colour);
    }
    int width() const override { return area_.width(); }
    int height() const override { return height_; }
    void setMetricMode() override { area_.setMetricMode(); }
    void restoreMode() override { area_.restoreMode(); }

  private:
    PageCanvas& area_;
    int height_;
};

void drawPageOf(PageCanvas& c, TestRecord& r);

} // namespace

int screenPageHeight(int width, int height)
{
    // The height of 640 : 385 at this width, to the nearest pixel: an area within half a pixel
    // of the proportions keeps its height.
    const int64_t proportional = (int64_t(width) * 385 + 320) / 640;
    return proportional < height ? std::max<int>(1, int(proportional)) : height;
}

void drawScreenPage(PageCanvas& c, TestRecord& r)
{
    const int pageHeight = screenPageHeight(c.width(), c.height());
    if (pageHeight == c.height()) {
        drawPageOf(c, r);
        return;
    }
    PagePart part(c, pageHeight);
    drawPageOf(part, r);
}

void prepareScreenPage(TestRecord& r)
{
    if (r.currentTest == KindEnergy && r.resultsShown != 0)
        updateEnergyScale(r);
}

namespace {

void drawPageOf(PageCanvas& c, TestRecord& r)
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

} // namespace

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
