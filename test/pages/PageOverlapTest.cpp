// No text of a screen page overdraws another: every page in both languages, drawn on the
// recording canvas, with each text's ink box taken from the installed fonts (Liberation Serif
// for Times New Roman, AR PL UMing for 宋体 and as the Chinese fallback), at the nominal size,
// wider, and in the narrow areas the window leaves beside the verdict panel.
#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/ScreenCanvas.h"
#include "kinds/Pages.h"
#include "kinds/RecordingCanvas.h"

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

/// Where a text stands on the page, as the screen canvas places it (top of the cell at y,
/// shifted by its advance for the alignment): across, the advance of its glyphs, which a text
/// that follows must not enter (the cell of a trailing "：" included); up and down, its ink, so
/// that rows of small figures may stand as close as their glyphs allow.
QRectF textBox(const RecordingCanvas::Text& t)
{
    const QFont font = pageFont(t.font, t.height);
    const QFontMetricsF m(font);
    const QString s = QString::fromStdString(t.text);
    double advance = m.horizontalAdvance(s);
    if (t.within > 0) // held to a width (textOutWithin): condensed to it
        advance = std::min<double>(advance, t.within);
    const double shift = t.align == TextAlign::Left ? 0.0 : t.align == TextAlign::Centre ? advance / 2 : advance;
    const QRectF ink = m.tightBoundingRect(s).translated(0, t.y + m.ascent());
    return QRectF(t.x - shift, ink.top(), advance, ink.height());
}

/// The pairs of texts whose boxes overlap by more than a pixel's fraction both ways, as
/// lines a reader can follow ("'到达峰值时间：' (390,99) overlaps '1.37秒' (460,99)").
std::vector<std::string> overlaps(const TestRecord& record, int width, int height)
{
    RecordingCanvas c(width, height);
    TestRecord r = record;
    drawScreenPage(c, r);
    const auto& texts = c.texts();
    std::vector<QRectF> boxes;
    for (const auto& t : texts)
        boxes.push_back(t.escapement == 0 && !t.text.empty() ? textBox(t) : QRectF());
    std::vector<std::string> found;
    constexpr double kTouch = 0.5; // antialiased edges of neighbours may share a pixel
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const QRectF both = boxes[i].intersected(boxes[j]);
            if (both.width() > kTouch && both.height() > kTouch) {
                std::ostringstream line;
                line << "'" << texts[i].text << "' (" << texts[i].x << "," << texts[i].y << ") overlaps '"
                     << texts[j].text << "' (" << texts[j].x << "," << texts[j].y << ") by " << both.width() << " x "
                     << both.height();
                found.push_back(line.str());
            }
        }
    }
    return found;
}

struct PageCase {
    const char* name;
    TestRecord record;
};

std::vector<PageCase> allPages()
{
    std::vector<PageCase> pages;
    auto add = [&](const char* name, int32_t kind, void (*fill)(TestRecord&)) {
        PageCase p{name, {}};
        fill(p.record);
        p.record.currentTest = kind;
        p.record.resultsShown = 1;
        pages.push_back(p);
    };
    add("input", KindInput, testdata::fillKnownInput);
    add("phase", KindPhase, testdata::fillKnownInput);
    add("output", KindOutput, testdata::fillKnownOutput);
    add("comprehensive", KindComprehensive, testdata::fillKnownOutput);
    add("start", KindStart, testdata::fillKnownStart);
    add("energy", KindEnergy, testdata::fillKnownEnergy);
    return pages;
}

void expectNoOverlap(int width, int height)
{
    startGui();
    for (PageCase& p : allPages()) {
        for (int chinese : {0, 1}) {
            p.record.chinese = chinese;
            for (const std::string& o : overlaps(p.record, width, height))
                ADD_FAILURE() << p.name << (chinese ? " (Chinese)" : " (English)") << " at " << width << "x" << height
                              << ": " << o;
        }
    }
}

TEST(PageOverlap, NoTextOverdrawsAnotherAtTheNominalSize)
{
    expectNoOverlap(640, 385);
}

TEST(PageOverlap, NoTextOverdrawsAnotherInWiderAreas)
{
    expectNoOverlap(1280, 385);
    expectNoOverlap(1920, 990);
}

TEST(PageOverlap, NoTextOverdrawsAnotherAtAnyScaleOfTheNominalPage)
{
    // The window keeps the drawing area at least 640 x 385; a narrower area draws the page in
    // these proportions.
    for (int w = 640; w <= 1920; w += 80)
        expectNoOverlap(w, w * 385 / 640);
}

TEST(PageOverlap, NoTextOverdrawsAnotherInNarrowAreas)
{
    expectNoOverlap(1440, 990); // 1920 x 1080 with the verdict panel open
    expectNoOverlap(640, 400);  // the window at its smallest
    expectNoOverlap(1000, 990); // the panel widened by hand
}

// Columns and rows of an image that hold dark ink.
QRect inkOf(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 160)
                r |= QRect(x, y, 1, 1);
    return r;
}

TEST(PageText, TheScreenCanvasCondensesATextHeldToAWidthAndLeavesAFittingOneAsItIs)
{
    startGui();
    auto drawn = [](const std::string& text, int width) {
        ScreenCanvas c(400, 60);
        c.setFont("Times New Roman", 24, colours::black, kDefaultCharset);
        c.setTextAlign(TextAlign::Left);
        if (width > 0)
            c.textOutWithin(20, 10, text, width);
        else
            c.textOut(20, 10, text);
        return c.image().copy();
    };
    const QRect free = inkOf(drawn("Warm-up energy:", 0));
    const QRect held = inkOf(drawn("Warm-up energy:", 100));
    ASSERT_GT(free.right() - 20, 110); // wider than the room given
    EXPECT_EQ(held.left(), free.left());
    EXPECT_LE(held.right(), 20 + 100);
    // As tall as ever (a condensed text is drawn unhinted: its edges may move by a pixel).
    EXPECT_NEAR(held.top(), free.top(), 1);
    EXPECT_NEAR(held.bottom(), free.bottom(), 1);
    // A text that fits is drawn exactly as textOut draws it.
    EXPECT_EQ(drawn("Peak:", 100), drawn("Peak:", 0));
    // Chinese glyphs from the fallback face are held too.
    EXPECT_LE(inkOf(drawn("到达峰值时间：", 120)).right(), 20 + 120);
}

TEST(PageArea, ANarrowAreaShowsThePageInItsProportionsOverThePagesBackground)
{
    startGui();
    TestRecord r;
    testdata::fillKnownOutput(r);
    r.currentTest = KindOutput;
    r.chinese = 1;
    // 1000 x 990 (a tall area) draws what 1000 x 602 draws, the proportions of 640 x 385.
    RecordingCanvas tall(1000, 990), proportional(1000, 602);
    TestRecord a = r, b = r;
    drawScreenPage(tall, a);
    drawScreenPage(proportional, b);
    ASSERT_EQ(tall.texts().size(), proportional.texts().size());
    for (size_t i = 0; i < tall.texts().size(); ++i) {
        EXPECT_EQ(tall.texts()[i].y, proportional.texts()[i].y) << tall.texts()[i].text;
        EXPECT_EQ(tall.texts()[i].height, proportional.texts()[i].height) << tall.texts()[i].text;
    }
    // Below the page the area is the output page's dark blue, not white.
    ScreenCanvas screen(1000, 990);
    drawScreenPage(screen, r);
    EXPECT_EQ(screen.image().pixelColor(500, 980), QColor(0, 0, 150));
    EXPECT_EQ(screen.image().pixelColor(500, 601), QColor(Qt::black)); // the page's border

    // An area as wide as the proportions or wider keeps its height: x alone stretches.
    EXPECT_EQ(screenPageHeight(1280, 385), 385);
    EXPECT_EQ(screenPageHeight(960, 578), 578); // within half a pixel of 640 : 385
    EXPECT_EQ(screenPageHeight(1440, 990), 866);
}

} // namespace
} // namespace korvex
