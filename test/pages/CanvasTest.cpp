// The Qt canvases: print pages at the same physical place on devices of different resolution,
// the screen bitmap's background and border, text cells and rotated text.
#include <gtest/gtest.h>

#include <functional>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/PrinterCanvas.h"
#include "app/canvas/ScreenCanvas.h"
#include "kinds/Pages.h"

namespace korvex {
namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char name[] = "korvex-test-pages";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* a = [] {
        auto* created = new QGuiApplication(argc, argv);
        installPageFonts();
        return created;
    }();
    return *a;
}

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

InkBox inkBox(const QImage& img)
{
    InkBox b;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(line[x]) < 128) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        }
    }
    return b;
}

// An A4 landscape sheet at dpi with the input print page drawn on it.
QImage printedSheet(int dpi, const TestRecord& r)
{
    const int w = static_cast<int>(29700.0 * dpi / 2540), h = static_cast<int>(21000.0 * dpi / 2540);
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
    img.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
    QPainter p(&img);
    PrinterCanvas c(p, dpi);
    TestRecord copy = r;
    drawPrintPage(c, copy, KindInput, 0);
    EXPECT_FALSE(c.metric());
    return img;
}

bool darkNear(const QImage& img, double x, double y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = static_cast<int>(x) + dx, py = static_cast<int>(y) + dy;
            if (img.valid(px, py) && qGray(img.pixel(px, py)) < 128)
                return true;
        }
    return false;
}

TEST(PrinterCanvasTest, SamePhysicalPositionsAtTwoResolutions)
{
    app();
    TestRecord r;
    testdata::fillKnownInput(r);
    const QImage low = printedSheet(100, r), high = printedSheet(200, r);
    const InkBox a = inkBox(low), b = inkBox(high);
    ASSERT_GE(a.right, 0);
    auto mm = [](int px, int dpi) { return px * 25.4 / dpi; };
    EXPECT_NEAR(mm(a.left, 100), mm(b.left, 200), 0.35);
    EXPECT_NEAR(mm(a.right, 100), mm(b.right, 200), 0.35);
    EXPECT_NEAR(mm(a.top, 100), mm(b.top, 200), 0.35);
    EXPECT_NEAR(mm(a.bottom, 100), mm(b.bottom, 200), 0.35);
    // The frame's left edge (pen 0.5 mm) starts at 19.75 mm; the frame spans 50..185 mm down.
    EXPECT_NEAR(mm(a.left, 100), 19.75, 0.35);
    for (int dpi : {100, 200}) {
        const QImage& img = dpi == 100 ? low : high;
        const double k = dpi / 2540.0;
        EXPECT_TRUE(darkNear(img, 2000 * k, 12000 * k)) << dpi;  // left frame side
        EXPECT_TRUE(darkNear(img, 26600 * k, 12000 * k)) << dpi; // right frame side
        EXPECT_TRUE(darkNear(img, 20000 * k, 6800 * k)) << dpi;  // value-row divider line
        EXPECT_FALSE(darkNear(img, 20000 * k, 3000 * k)) << dpi; // below the title, above the frame
    }
}

TEST(PrinterCanvasTest, MetricModeIsRestored)
{
    app();
    QImage img(100, 100, QImage::Format_RGB32);
    QPainter p(&img);
    PrinterCanvas c(p, 254);
    EXPECT_EQ(c.toDevice(1000, -2000), QPointF(1000, -2000)); // device units before
    c.setMetricMode();
    EXPECT_EQ(c.toDevice(1000, -2000), QPointF(100, 200)); // 10 mm right, 20 mm down
    EXPECT_DOUBLE_EQ(c.lengthToDevice(50), 5.0);
    c.restoreMode();
    EXPECT_EQ(c.toDevice(1000, -2000), QPointF(1000, -2000));
}

TEST(ScreenCanvasTest, BackgroundHasThinBlackBorder)
{
    app();
    TestRecord r;
    testdata::fillKnownInput(r);
    r.currentTest = KindInput;
    ScreenCanvas c(640, 385);
    drawScreenPage(c, r);
    const QImage& img = c.image();
    ASSERT_EQ(img.size(), QSize(640, 385));
    EXPECT_EQ(qGray(img.pixel(0, 200)), 0);
    EXPECT_EQ(qGray(img.pixel(639, 200)), 0);
    EXPECT_EQ(qGray(img.pixel(320, 384)), 0);
    EXPECT_EQ(img.pixel(5, 200), qRgb(255, 255, 255));
    // The frame (2 px) at y = 42 and the red fundamental bar at x = 25.
    EXPECT_LT(qGray(img.pixel(400, 42)), 64);
    EXPECT_EQ(img.pixel(25, 230), qRgb(255, 0, 0));
}

TEST(ScreenCanvasTest, ThroughAPainterTheAreaStartsWhiteUnlessThePageFillsItFirst)
{
    app();
    auto through = [](const std::function<void(ScreenCanvas&)>& draw) {
        QImage img(60, 40, QImage::Format_RGB32);
        img.fill(Qt::black); // what the back buffer held before
        {
            QPainter p(&img);
            ScreenCanvas c(p, 60, 40);
            draw(c);
        }
        return img;
    };
    EXPECT_EQ(through([](ScreenCanvas&) {}).pixel(30, 20), qRgb(255, 255, 255));
    const QImage line = through([](ScreenCanvas& c) {
        c.setPen(Colour{255, 0, 0}, PenStyle::Solid, 1);
        c.moveTo(0, 5);
        c.lineTo(59, 5);
    });
    EXPECT_EQ(line.pixel(30, 5), qRgb(255, 0, 0));
    EXPECT_EQ(line.pixel(30, 20), qRgb(255, 255, 255));
    const QImage part = through([](ScreenCanvas& c) { c.fillRect(0, 0, 30, 40, Colour{0, 0, 255}); });
    EXPECT_EQ(part.pixel(10, 20), qRgb(0, 0, 255));
    EXPECT_EQ(part.pixel(45, 20), qRgb(255, 255, 255));
    const QImage whole = through([](ScreenCanvas& c) { c.fillRect(0, 0, 60, 40, Colour{0, 128, 0}); });
    EXPECT_EQ(whole.pixel(59, 39), qRgb(0, 128, 0));
}

TEST(ScreenCanvasTest, LineToTheSamePointDrawsNothing)
{
    app();
    ScreenCanvas c(40, 40);
    c.fillRect(0, 0, 40, 40, Colour{255, 255, 255});
    c.setPen(Colour{255, 0, 0}, PenStyle::Solid, 2); // a zero spectrum bar
    c.moveTo(20, 20);
    c.lineTo(20, 20);
    EXPECT_EQ(inkBox(c.image()).right, -1);
    c.lineTo(20, 10); // a real bar still draws
    EXPECT_EQ(c.image().pixel(20, 15), qRgb(255, 0, 0));
}

TEST(ScreenCanvasTest, AxisLinesCoverThePixelsOfThePaintersLines)
{
    app();
    // Up, down, left, right, one pixel long, partly off the image, and a slanted line.
    const int segments[][4] = {{10, 10, 10, 50}, {20, 50, 20, 10}, {30, 12, 80, 12},  {80, 20, 30, 20},
                               {40, 40, 40, 41}, {50, 60, 51, 60}, {95, -5, 95, 120}, {60, 70, 90, 95}};
    ScreenCanvas c(100, 100);
    QImage ref(100, 100, QImage::Format_RGB32);
    ref.fill(Qt::white);
    QPainter p(&ref);
    QPen pen(QColor(255, 0, 0), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    pen.setCosmetic(true);
    p.setPen(pen);
    c.setPen(colours::red, PenStyle::Solid, 1);
    for (const auto& s : segments) {
        p.drawLine(QPointF(s[0] + 0.5, s[1] + 0.5), QPointF(s[2] + 0.5, s[3] + 0.5));
        c.moveTo(s[0], s[1]);
        c.lineTo(s[2], s[3]);
    }
    p.end();
    EXPECT_EQ(c.image(), ref);
}

TEST(PrinterCanvasTest, LineToTheSamePointDrawsNothing)
{
    app();
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        PrinterCanvas c(p, 300);
        c.setMetricMode();
        c.setPen(Colour{0, 0, 0}, PenStyle::Solid, 100); // a 1 mm print bar of height 0
        c.moveTo(1000, -1000);
        c.lineTo(1000, -1000);
        c.restoreMode();
    }
    EXPECT_EQ(inkBox(img).right, -1);
}

TEST(ScreenCanvasTest, TextCellHeightAndTopPlacement)
{
    app();
    for (const char* face : {"Times New Roman", "宋体"}) {
        for (int cell : {14, 20, 45}) {
            const QFont f = pageFont(face, cell);
            const QFontMetricsF m(f);
            EXPECT_NEAR(m.ascent() + m.descent(), cell, 1.5) << face << " " << cell;
        }
    }
    // Left-aligned text at (100, 50) inks nothing above y = 50 nor left of x = 99.
    ScreenCanvas c(300, 120);
    c.setFont("Times New Roman", 40, colours::black, kDefaultCharset);
    c.setTextAlign(TextAlign::Left);
    c.textOut(100, 50, "HE");
    InkBox b = inkBox(c.image());
    EXPECT_GE(b.top, 50);
    EXPECT_LT(b.top, 62);
    EXPECT_GE(b.left, 99);
    // Right-aligned text ends at x.
    ScreenCanvas r(300, 120);
    r.setFont("Times New Roman", 40, colours::black, kDefaultCharset);
    r.setTextAlign(TextAlign::Right);
    r.textOut(200, 20, "HE");
    b = inkBox(r.image());
    EXPECT_LE(b.right, 201);
    EXPECT_GT(b.right, 185);
}

TEST(ScreenCanvasTest, TextsKeptShapedDrawTheSamePixelsAsTextShapedAnew)
{
    app();
    // Latin, Chinese (a fallback face), mixed, in each alignment, twice (the second drawing
    // takes the kept shaping), against the painter's own drawing of the same text.
    const std::string texts[] = {"Vrms = 220.1 V", "谐波含量", "THD 12.3%(CSA) 电流", "0"};
    const TextAlign aligns[] = {TextAlign::Left, TextAlign::Centre, TextAlign::Right};
    for (const char* face : {"Times New Roman", "宋体"})
        for (const std::string& text : texts)
            for (TextAlign align : aligns)
                for (int pass = 0; pass < 2; ++pass) {
                    ScreenCanvas c(300, 60);
                    c.setFont(face, 20, Colour{0, 0, 0}, 134);
                    c.setTextAlign(align);
                    c.textOut(150, 10, text);
                    QImage ref(300, 60, QImage::Format_RGB32);
                    ref.fill(Qt::white);
                    QPainter p(&ref);
                    drawPageText(p, pageFont(face, 20), Qt::black, QPointF(150, 10), align, 0,
                                 QString::fromStdString(text));
                    p.end();
                    const QImage& got = c.image();
                    ASSERT_NE(inkBox(got).right, -1) << text;
                    EXPECT_EQ(got, ref) << face << " " << text << " align " << int(align) << " pass " << pass;
                }
}

TEST(ScreenCanvasTest, EscapementRotatesText)
{
    app();
    ScreenCanvas up(200, 200);
    up.setFont("Times New Roman", 30, colours::black, kDefaultCharset, 900);
    up.textOut(100, 150, "HHHHH");
    const InkBox b = inkBox(up.image());
    // Reading upwards from (100, 150): taller than wide, above the point, right of it.
    EXPECT_GT(b.bottom - b.top, 2 * (b.right - b.left));
    EXPECT_LE(b.bottom, 151);
    EXPECT_GE(b.left, 99);
    ScreenCanvas down(200, 200);
    down.setFont("Times New Roman", 30, colours::black, kDefaultCharset, 2700);
    down.textOut(100, 50, "HHHHH");
    const InkBox d = inkBox(down.image());
    EXPECT_GE(d.top, 49);
    EXPECT_LE(d.right, 101);
}

} // namespace
} // namespace korvex
