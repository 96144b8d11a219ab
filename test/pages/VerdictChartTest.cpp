// The harmonic chart of the verdict panel and sheet: a bar cut at the top of the chart says how
// far it goes, and every limit line drawn is named in the legend with a sample of its pen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kinds/RecordingCanvas.h"
#include "kinds/VerdictPage.h"

namespace korvex {
namespace {

LimitCheck harmonic(int order, double value, double limit, Outcome result)
{
    LimitCheck c;
    c.kind = CheckKind::ClassCHarmonic;
    c.order = order;
    c.value = value;
    c.limit = limit;
    c.result = result;
    return c;
}

/// Third harmonic at 3.4 times its limit (cut at 200 %), fifth at half of it.
Verdict classC(int runs)
{
    Verdict v;
    v.runs = runs;
    VerdictSection s;
    s.kind = SectionKind::ClassC;
    s.regime = ClassCRegime::AboveTwentyFive;
    s.pass = false;
    s.checks = {harmonic(3, 102.0, 30.0, Outcome::Fail), harmonic(5, 5.0, 10.0, Outcome::Pass)};
    v.sections = {s};
    return v;
}

const ChartBox kBox{0, 0, 400, 240};

std::vector<RecordingCanvas::Line> redLines(const RecordingCanvas& c, PenStyle style)
{
    std::vector<RecordingCanvas::Line> out;
    for (const auto& l : c.lines())
        if (l.style == style && l.colour.r > 150 && l.colour.g == 0)
            out.push_back(l);
    return out;
}

TEST(VerdictChart, ABarBeyondTheTopCarriesItsShareOfTheLimit)
{
    RecordingCanvas c(400, 240);
    drawHarmonicChart(c, classC(1), kBox, false, false);
    // The third's bar is filled up to the chart's top; its share, 340 %, stands on it.
    const auto written = c.textsEqual("340%");
    ASSERT_EQ(written.size(), 1u);
    int barLeft = 0, barRight = 0, barTop = 1 << 20;
    for (const auto& call : c.calls())
        if (call.op == RecordingCanvas::Op::FillRect && call.colour.r == 200 && call.y < barTop) {
            barLeft = call.x;
            barRight = call.x2;
            barTop = call.y;
        }
    EXPECT_GE(written[0].x, barLeft);
    EXPECT_LE(written[0].x + written[0].height, barRight + 1); // read upwards, as wide as a line
    EXPECT_NEAR(written[0].y, barTop, written[0].height);
    EXPECT_EQ(written[0].escapement, 900);
    // The bar within its limit says nothing of itself.
    EXPECT_TRUE(c.textsEqual("50%").empty());
}

TEST(VerdictChart, EachLimitLineIsNamedInTheLegendWithASampleOfItsPen)
{
    for (const int runs : {1, 5}) {
        RecordingCanvas c(400, 240);
        drawHarmonicChart(c, classC(runs), kBox, false, true);
        // Two of each style: the line across the chart and the legend's sample; the dotted
        // bound of a single run only over a series.
        const auto solid = redLines(c, PenStyle::Solid);
        const auto dotted = redLines(c, PenStyle::Dotted);
        EXPECT_EQ(solid.size(), 2u) << runs;
        EXPECT_EQ(dotted.size(), runs > 1 ? 2u : 0u) << runs;
        for (const auto* lines : {&solid, &dotted}) {
            if (lines->empty())
                continue;
            const auto sample = std::min_element(lines->begin(), lines->end(), [](const auto& a, const auto& b) {
                return std::abs(a.x2 - a.x1) < std::abs(b.x2 - b.x1);
            });
            // Its name follows the sample on the same row, above the bars.
            const bool named = std::any_of(c.texts().begin(), c.texts().end(), [&](const RecordingCanvas::Text& t) {
                return t.x > sample->x2 && t.x < sample->x2 + t.height &&
                       std::abs(t.y + t.height / 2 - sample->y1) <= 2;
            });
            EXPECT_TRUE(named) << runs;
            const auto across = std::max_element(lines->begin(), lines->end(), [](const auto& a, const auto& b) {
                return std::abs(a.x2 - a.x1) < std::abs(b.x2 - b.x1);
            });
            EXPECT_GT(across->y1, sample->y1); // the legend stands above the lines it names
        }
    }
}

} // namespace
} // namespace korvex
