// Dotted lines on paper: the preheat energy print page's grid, cursor and end mark, printed
// into a real PDF and drawn by poppler at 600 dpi, show their dots and are as thin as the start
// print page's dotted grid.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/PrintPages.h"

namespace korvex {
namespace {

constexpr int kDpi = 600;

int px(int units) // 0.01 mm to pixels of the drawing
{
    return int(units * kDpi / 2540.0 + 0.5);
}

/// The sheet of kind, in grey as poppler draws it.
QImage printedSheet(TestRecord r, int32_t kind)
{
    static int argc = 1;
    static char name[] = "korvex-test-pages";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    installPageFonts();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf")), stem = dir.filePath(QStringLiteral("page"));
    PrintJob job;
    job.kinds = {kind};
    std::string error;
    EXPECT_TRUE(writePdfPages(pdf.toStdString(), QPageSize(QPageSize::A4), QPageLayout::Landscape, 1200, r, job, error))
        << error;
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                                   QStringLiteral("-singlefile"), pdf, stem});
    QImageReader::setAllocationLimit(0); // a sheet at 600 dpi is larger than Qt's default limit
    return QImage(stem + QStringLiteral(".pgm"));
}

/// A vertical line as printed between two heights (0.01 mm below the top): its gaps that a
/// printer shows (at least two blank rows, 0.08 mm; a finer pattern prints as a grey line), its
/// widest row in pixels and the share of rows with ink.
struct PrintedLine {
    int gaps = 0, widest = 0;
    double inked = 0;
};

PrintedLine verticalLine(const QImage& sheet, int x, int top, int bottom)
{
    PrintedLine line;
    int inkedRows = 0, blankRun = 0;
    for (int y = px(top); y < px(bottom); ++y) {
        int width = 0;
        for (int dx = -8; dx <= 8; ++dx)
            width += qGray(sheet.pixel(px(x) + dx, y)) < 128 ? 1 : 0;
        line.widest = std::max(line.widest, width);
        inkedRows += width > 0 ? 1 : 0;
        blankRun = width > 0 ? 0 : blankRun + 1;
        line.gaps += blankRun == 2 ? 1 : 0;
    }
    line.inked = double(inkedRows) / (px(bottom) - px(top));
    return line;
}

TEST(PrintedLines, TheEnergyPagesGridCursorAndEndMarkPrintDottedAndThinLikeTheStartPagesGrid)
{
    TestRecord energy;
    testdata::fillKnownEnergy(energy);
    energy.energyCursor = energy.preheatEndIndex = 250; // marks clear of the grid's columns
    const QImage sheet = printedSheet(energy, KindEnergy);
    ASSERT_FALSE(sheet.isNull());
    TestRecord start;
    testdata::fillKnownStart(start);
    const QImage startSheet = printedSheet(start, KindStart);
    ASSERT_FALSE(startSheet.isNull());

    // Stretches clear of the curves and the grid's rows: the upper plot's first grid column
    // (x 3800) and the cursor at sample 250 (x 2500 + 251 * 0.3 * 43.33) from 81 to 89 mm below
    // the top; the end mark (x 3500 + 251 * 0.3 * 43.33) from 171.7 mm to its baseline at 175 mm;
    // the start page's first grid column (x 3800) between its first two rows.
    const PrintedLine dotted[] = {verticalLine(sheet, 3800, 8100, 8900), verticalLine(sheet, 5763, 8100, 8900),
                                  verticalLine(sheet, 6763, 17170, 17480), verticalLine(startSheet, 3800, 5650, 6150)};
    for (const PrintedLine& line : dotted) {
        EXPECT_GT(line.gaps, 6);    // dots with gaps a printer shows, not a grey line
        EXPECT_GT(line.inked, 0.2); // printed, not lost
        EXPECT_LE(line.widest, 5);  // thin: about 0.1 mm
        EXPECT_NEAR(line.widest, dotted[3].widest, 1);
    }
    const PrintedLine frame = verticalLine(sheet, 2500, 8100, 8900); // the plot's solid frame
    EXPECT_EQ(frame.gaps, 0);
    EXPECT_GT(frame.inked, 0.99);
}

} // namespace
} // namespace korvex
