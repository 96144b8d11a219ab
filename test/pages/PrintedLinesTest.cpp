// Dotted lines on paper: the preheat energy print page's grid and end mark, printed into a
// real PDF and drawn by poppler at 600 dpi, show their dots and stay as thin as the start
// page's dotted grid.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtGui/QPageSize>
#include <algorithm>
#include <string>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/PrintPages.h"

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

constexpr int kDpi = 600;

/// 0.01 mm to pixels of the 600 dpi drawing.
int px(int units)
{
    return int(units * kDpi / 2540.0 + 0.5);
}

/// The first sheet of the print page of kind, in grey as poppler draws it at 600 dpi.
QImage printedSheet(TestRecord r, int32_t kind, const QTemporaryDir& dir)
{
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    PrintJob job;
    job.kinds = {kind};
    std::string error;
    EXPECT_TRUE(writePdfPages(pdf.toStdString(), QPageSize(QPageSize::A4), QPageLayout::Landscape, 1200, r, job, error))
        << error;
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                                   QStringLiteral("-singlefile"), pdf, stem});
    QImageReader::setAllocationLimit(0); // a sheet at 600 dpi is larger than Qt's default limit
    return QImage(stem + QStringLiteral(".pgm"));
}

/// A vertical line as printed between two heights (0.01 mm below the top): its gaps that a
/// printer shows (runs of at least two blank rows, 0.08 mm at 600 dpi; a finer pattern prints
/// as a solid grey line), its widest row (pixels) and the share of rows with ink.
struct PrintedLine {
    int gaps = 0;
    int widest = 0;
    double inked = 0;
};

PrintedLine verticalLine(const QImage& sheet, int x, int top, int bottom)
{
    PrintedLine line;
    const int cx = px(x);
    int inkedRows = 0, blankRun = 0;
    for (int y = px(top); y < px(bottom); ++y) {
        int width = 0;
        for (int dx = -8; dx <= 8; ++dx)
            width += qGray(sheet.pixel(cx + dx, y)) < 128 ? 1 : 0;
        line.widest = std::max(line.widest, width);
        if (width > 0) {
            ++inkedRows;
            blankRun = 0;
        } else if (++blankRun == 2) {
            ++line.gaps;
        }
    }
    line.inked = double(inkedRows) / (px(bottom) - px(top));
    return line;
}

TEST(PrintedLines, TheEnergyPagesGridAndEndMarkPrintDottedAndThinLikeTheStartPagesGrid)
{
    startGui();
    QTemporaryDir dir;
    TestRecord energy;
    testdata::fillKnownEnergy(energy);
    energy.energyCursor = energy.preheatEndIndex = 250; // marks clear of the grid's columns
    const QImage sheet = printedSheet(energy, KindEnergy, dir);
    ASSERT_FALSE(sheet.isNull());

    // Stretches clear of the curves and of the grid's rows: the upper plot's first grid column
    // (x 3800) from 81 mm to 89 mm below the top, and the cursor there (sample 250:
    // x 2500 + 251 * 0.3 * 43.33); the end mark in the lower plot (x 3500 + 251 * 0.3 * 43.33)
    // from 171.7 mm down to its baseline at 175 mm.
    const PrintedLine grid = verticalLine(sheet, 3800, 8100, 8900);
    const PrintedLine cursor = verticalLine(sheet, 5763, 8100, 8900);
    const PrintedLine endMark = verticalLine(sheet, 6763, 17170, 17480);
    // The plot's solid frame at x 2500, for comparison.
    const PrintedLine frame = verticalLine(sheet, 2500, 8100, 8900);

    TestRecord start;
    testdata::fillKnownStart(start);
    const QImage startSheet = printedSheet(start, KindStart, dir);
    // The start page's dotted grid: its first column (x 2500 + 1300) in the first panel,
    // between its first two rows (56 mm and 62 mm below the top).
    const PrintedLine startGrid = verticalLine(startSheet, 3800, 5650, 6150);

    for (const PrintedLine& dotted : {grid, cursor, endMark, startGrid}) {
        EXPECT_GT(dotted.gaps, 6);    // dots with gaps a printer shows, not a grey line
        EXPECT_GT(dotted.inked, 0.2); // printed, not lost
        EXPECT_LE(dotted.widest, 5);  // thin: about 0.1 mm
    }
    EXPECT_EQ(frame.gaps, 0);
    EXPECT_GT(frame.inked, 0.99);
    EXPECT_NEAR(grid.widest, startGrid.widest, 1);
}

} // namespace
} // namespace korvex
