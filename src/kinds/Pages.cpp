// The page dispatch: which report page the drawing area and the printer show for a record.
#include "kinds/Pages.h"

#include <algorithm>
#include <cstdint>

#include "kinds/Energytest.h"
#include "kinds/EnergytestPage.h"
#include "kinds/InputtestPage.h"
#include "kinds/OutputtestPage.h"
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

void drawPageOf(PageCanvas& c, const TestRecord& r, const DisplayOptions& options);

} // namespace

int screenPageHeight(int width, int height)
{
    // The height of 640 : 385 at this width, to the nearest pixel: an area within half a pixel
    // of the proportions keeps its height.
    const int64_t proportional = (int64_t(width) * 385 + 320) / 640;
    return proportional < height ? std::max<int>(1, int(proportional)) : height;
}

void prepareShownPage(TestRecord& r)
{
    if (r.currentTest == KindEnergy && r.resultsShown != 0)
        updateEnergyScale(r);
}

void drawScreenPage(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
{
    const int pageHeight = screenPageHeight(c.width(), c.height());
    if (pageHeight == c.height()) {
        drawPageOf(c, r, options);
        return;
    }
    PagePart part(c, pageHeight);
    drawPageOf(part, r, options);
}

void drawScreenPage(PageCanvas& c, const TestRecord& r)
{
    drawScreenPage(c, r, displayOptions(r));
}

namespace {

void drawPageOf(PageCanvas& c, const TestRecord& r, const DisplayOptions& options)
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

} // namespace

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
