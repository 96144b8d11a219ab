// No text of a screen page overdraws another: every page in both languages, drawn on the
// recording canvas, each text measured with the installed fonts (Liberation Serif for Times
// New Roman, AR PL UMing for 宋体 and as the Chinese fallback), at the nominal size, wider,
// and in the narrow areas the window leaves beside the verdict panel, which get the page in
// its own proportions.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QRectF>
#include <algorithm>
#include <vector>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/ScreenCanvas.h"
#include "kinds/Pages.h"
#include "support/RecordingCanvas.h"

namespace korvex {
namespace {

void startGui()
{
    static int argc = 1;
    static char name[] = "korvex-test-pages";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        auto* created = new QGuiApplication(argc, argv);
        installPageFonts();
        return created;
    }();
    (void)app;
}

/// Where a text stands, as the screen canvas places it: along its line, the advance of its
/// glyphs (the cell of a trailing "：" included), which a text that follows must not enter;
/// across, its ink, so that rows of small figures may stand as close as their glyphs allow.
/// A text turned by 90° (reading upwards) or 270° occupies the box turned about its point.
QRectF textBox(const RecordingCanvas::Text& t)
{
    const QFontMetricsF m(pageFont(t.font, t.height));
    const QString s = QString::fromStdString(t.text);
    double advance = m.horizontalAdvance(s);
    if (t.within > 0) // held to a width (textOutWithin): condensed to it
        advance = std::min<double>(advance, t.within);
    const double shift = t.align == TextAlign::Left ? 0.0 : t.align == TextAlign::Centre ? advance / 2 : advance;
    const QRectF ink = m.tightBoundingRect(s).translated(0, m.ascent()); // below the cell's top
    const QRectF along(-shift, ink.top(), advance, ink.height());        // about the text's point
    if (t.escapement == 900)
        return QRectF(t.x + along.top(), t.y - along.right(), along.height(), along.width());
    if (t.escapement == 2700)
        return QRectF(t.x - along.bottom(), t.y + along.left(), along.height(), along.width());
    return along.translated(t.x, t.y);
}

TEST(PageOverlap, NoTextOverdrawsAnotherAtAnySizeTheWindowAllows)
{
    startGui();
    const struct {
        int32_t kind;
        void (*fill)(TestRecord&);
    } pages[] = {{KindInput, testdata::fillKnownInput},   {KindPhase, testdata::fillKnownInput},
                 {KindOutput, testdata::fillKnownOutput}, {KindComprehensive, testdata::fillKnownOutput},
                 {KindStart, testdata::fillKnownStart},   {KindEnergy, testdata::fillKnownEnergy}};
    // Nominal, wider, narrower (1920 x 1080 with the verdict panel open, the window at its
    // smallest, the panel widened by hand), and the page scaled from 640 to 1920 pixels wide.
    std::vector<QSize> sizes{{640, 385}, {1280, 385}, {1920, 990}, {1440, 990}, {640, 400}, {1000, 990}};
    for (int w = 720; w <= 1920; w += 80)
        sizes.emplace_back(w, w * 385 / 640);
    for (const auto& page : pages) {
        for (const int chinese : {0, 1}) {
            for (const QSize size : sizes) {
                TestRecord r;
                page.fill(r);
                r.currentTest = page.kind;
                r.chinese = chinese;
                prepareShownPage(r); // as the window has it when the page is shown
                RecordingCanvas c(size.width(), size.height());
                drawScreenPage(c, r);
                const auto& texts = c.texts();
                std::vector<QRectF> boxes;
                for (const auto& t : texts)
                    boxes.push_back(textBox(t));
                for (size_t i = 0; i < texts.size(); ++i)
                    for (size_t j = i + 1; j < texts.size(); ++j) {
                        const QRectF both = boxes[i].intersected(boxes[j]);
                        // Antialiased edges of neighbours may share a pixel.
                        EXPECT_FALSE(both.width() > 0.5 && both.height() > 0.5)
                            << "kind " << page.kind << (chinese ? " Chinese " : " English ") << size.width() << "x"
                            << size.height() << ": '" << texts[i].text << "' at " << texts[i].x << " overlaps '"
                            << texts[j].text << "' at " << texts[j].x << " by " << both.width();
                    }
            }
        }
    }
}

TEST(PageOverlap, ANarrowAreaShowsThePageInItsProportionsOverThePagesBackground)
{
    startGui();
    TestRecord r;
    testdata::fillKnownOutput(r);
    r.currentTest = KindOutput;
    // 1000 x 990 (a tall area) draws what 1000 x 602 draws, the proportions of 640 x 385.
    RecordingCanvas tall(1000, 990), proportional(1000, 602);
    TestRecord a = r, b = r;
    drawScreenPage(tall, a);
    drawScreenPage(proportional, b);
    ASSERT_EQ(tall.texts().size(), proportional.texts().size());
    for (size_t i = 0; i < tall.texts().size(); ++i)
        EXPECT_TRUE(tall.texts()[i].y == proportional.texts()[i].y &&
                    tall.texts()[i].height == proportional.texts()[i].height)
            << tall.texts()[i].text;
    // Below the page, the output page's dark blue, not white.
    ScreenCanvas screen(1000, 990);
    drawScreenPage(screen, r);
    EXPECT_EQ(screen.image().pixelColor(500, 980), QColor(0, 0, 150));
    // An area as wide as the proportions or wider keeps its height: x alone stretches.
    EXPECT_EQ(screenPageHeight(1280, 385), 385);
    EXPECT_EQ(screenPageHeight(960, 578), 578); // within half a pixel of 640 : 385
}

TEST(PageOverlap, TheScreenCanvasCondensesATextHeldToAWidthAndLeavesAFittingOneAsItIs)
{
    startGui();
    auto inkRight = [](const std::string& text, int width) {
        ScreenCanvas c(400, 60);
        c.setFont("Times New Roman", 24, colours::black, kDefaultCharset);
        width > 0 ? c.textOutWithin(20, 10, text, width) : c.textOut(20, 10, text);
        const QImage img = c.image().copy();
        int right = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                right = qGray(img.pixel(x, y)) < 160 ? std::max(right, x) : right;
        return std::make_pair(right, img);
    };
    ASSERT_GT(inkRight("Warm-up energy:", 0).first, 20 + 110); // wider than the room given
    EXPECT_LE(inkRight("Warm-up energy:", 100).first, 20 + 100);
    EXPECT_LE(inkRight("到达峰值时间：", 120).first, 20 + 120);            // glyphs of the fallback face too
    EXPECT_EQ(inkRight("Peak:", 100).second, inkRight("Peak:", 0).second); // fits: drawn as ever
}

} // namespace
} // namespace korvex
