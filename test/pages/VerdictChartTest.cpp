// The harmonic chart of the verdict panel and sheet: a bar cut at the top says how far it goes,
// and every limit line drawn is named in the legend beside a sample of its pen.
#include <gtest/gtest.h>

#include <algorithm>

#include "kinds/VerdictPage.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

/// The third harmonic at 3.4 times its limit (cut at 200 %), the fifth at half of it.
Verdict classC(int runs)
{
    Verdict v;
    v.runs = runs;
    VerdictSection s;
    s.regime = ClassCRegime::AboveTwentyFive;
    for (const auto& [order, value, limit, result] :
         {std::tuple{3, 102.0, 30.0, Outcome::Fail}, std::tuple{5, 5.0, 10.0, Outcome::Pass}}) {
        LimitCheck c;
        c.order = order;
        c.value = value;
        c.limit = limit;
        c.result = result;
        s.checks.push_back(c);
    }
    v.sections = {s};
    return v;
}

TEST(VerdictChart, ACutBarCarriesItsShareAndEachLimitLineIsNamedBesideASampleOfItsPen)
{
    for (const int runs : {1, 5}) {
        RecordingCanvas c(400, 240);
        drawHarmonicChart(c, classC(runs), {0, 0, 400, 240}, false, false);
        // The third's bar reaches the top; its share, 340 %, stands on it, reading upwards.
        const auto written = c.textsEqual("340%");
        ASSERT_EQ(written.size(), 1u);
        const auto bar = std::find_if(c.calls().begin(), c.calls().end(), [](const auto& call) {
            return call.op == RecordingCanvas::Op::FillRect && call.colour == Colour{200, 0, 0};
        });
        ASSERT_NE(bar, c.calls().end());
        EXPECT_TRUE(written[0].x >= bar->x && written[0].x + written[0].height <= bar->x2 + 1);
        EXPECT_NEAR(written[0].y, bar->y, written[0].height);
        EXPECT_TRUE(c.textsEqual("50%").empty()); // a bar within the chart says nothing
        // Per pen style, the line across the chart and the legend's sample, which a name
        // follows on its row; the dotted bound of a single run only over a series.
        for (const PenStyle style : {PenStyle::Solid, PenStyle::Dotted}) {
            std::vector<RecordingCanvas::Line> lines;
            for (const auto& l : c.lines())
                if (l.style == style && l.colour == Colour{200, 0, 0})
                    lines.push_back(l);
            ASSERT_EQ(lines.size(), style == PenStyle::Dotted && runs == 1 ? 0u : 2u) << runs;
            if (lines.empty())
                continue;
            std::sort(lines.begin(), lines.end(),
                      [](const auto& a, const auto& b) { return a.x2 - a.x1 < b.x2 - b.x1; });
            const auto& sample = lines.front();
            EXPECT_LT(sample.y1, lines.back().y1); // the legend stands above the lines
            EXPECT_TRUE(std::any_of(c.texts().begin(), c.texts().end(), [&](const RecordingCanvas::Text& t) {
                return t.x > sample.x2 && t.x < sample.x2 + t.height && std::abs(t.y + t.height / 2 - sample.y1) <= 2;
            })) << runs;
        }
    }
}

} // namespace
} // namespace korvex
