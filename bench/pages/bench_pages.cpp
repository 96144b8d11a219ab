// Speed of the report pages: the screen pages at 1920 x 1080, the input print page on an
// image painter, and the print pages into a PDF.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "PageTestData.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/PrinterCanvas.h"
#include "app/canvas/ScreenCanvas.h"
#include "kinds/CursorInput.h"
#include "kinds/Pages.h"

namespace {

korvex::TestRecord knownRecord(int32_t kind)
{
    korvex::TestRecord r;
    if (kind == korvex::KindStart)
        korvex::testdata::fillKnownStart(r);
    else if (kind == korvex::KindEnergy)
        korvex::testdata::fillKnownEnergy(r);
    else if (kind == korvex::KindOutput || kind == korvex::KindComprehensive)
        korvex::testdata::fillKnownOutput(r);
    else
        korvex::testdata::fillKnownInput(r);
    r.currentTest = kind;
    return r;
}

void BM_ScreenPage1920(benchmark::State& state)
{
    korvex::TestRecord r = knownRecord(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        korvex::ScreenCanvas c(1920, 1080);
        korvex::drawScreenPage(c, r);
        benchmark::DoNotOptimize(c.image().constBits());
    }
}
BENCHMARK(BM_ScreenPage1920)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(6)->Unit(benchmark::kMillisecond);

// As the window draws: through a painter open on a back buffer that already exists.
void BM_ScreenPageThroughPainter1920(benchmark::State& state)
{
    korvex::TestRecord r = knownRecord(static_cast<int32_t>(state.range(0)));
    QImage buffer(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&buffer);
        korvex::ScreenCanvas c(painter, 1920, 1080);
        korvex::drawScreenPage(c, r);
    }
    benchmark::DoNotOptimize(buffer.constBits());
}
BENCHMARK(BM_ScreenPageThroughPainter1920)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A drag across the plot: 100 cursor moves at 1920 x 1080, each followed by the repaint the
// window would make (a whole page, as in its paint event). Time per iteration is for all 100.
void BM_CursorDrag1920(benchmark::State& state)
{
    const auto kind = static_cast<int32_t>(state.range(0));
    korvex::TestRecord r = knownRecord(kind);
    constexpr int width = 1920, height = 1080;
    for (auto _ : state) {
        for (int move = 0; move < 100; ++move) {
            if (kind == korvex::KindEnergy)
                r.energyCursor = korvex::energyCursorDrag(3 * 40 + 3 * 3 * move, width) // 3 plot pixels a move
                                     .value_or(r.energyCursor);
            else
                korvex::storeStartCursor(r, korvex::startCursorStep(r, +1)); // the arrow key
            korvex::ScreenCanvas c(width, height);
            korvex::drawScreenPage(c, r);
            benchmark::DoNotOptimize(c.image().constBits());
        }
    }
    state.counters["s_per_repaint"] =
        benchmark::Counter(100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CursorDrag1920)->Arg(5)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_PrintPageImage300dpi(benchmark::State& state)
{
    korvex::TestRecord r = knownRecord(static_cast<int32_t>(state.range(0)));
    QImage img(3508, 2480, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        korvex::PrinterCanvas c(p, 300);
        korvex::drawPrintPage(c, r, r.currentTest, 0);
    }
}
BENCHMARK(BM_PrintPageImage300dpi)->Arg(1)->Arg(5)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_PrintPagePdf(benchmark::State& state)
{
    const auto kind = static_cast<int32_t>(state.range(0));
    korvex::TestRecord r = knownRecord(kind);
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        QPainter p(&writer);
        korvex::PrinterCanvas c(p, writer.resolution());
        korvex::drawPrintPage(c, r, kind, 0);
        p.end();
        benchmark::DoNotOptimize(out.data().size());
    }
}
BENCHMARK(BM_PrintPagePdf)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    korvex::installPageFonts();
    int qargc = 1;
    QGuiApplication app(qargc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
