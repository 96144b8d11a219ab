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

#include "app/canvas/PageFonts.h"
#include "PageTestData.h"
#include "kinds/Pages.h"
#include "app/canvas/PrinterCanvas.h"
#include "app/canvas/ScreenCanvas.h"

namespace {

korvex::TestRecord knownRecord(int32_t kind)
{
    korvex::TestRecord r;
    korvex::testdata::fillKnownOutput(r);
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
BENCHMARK(BM_ScreenPage1920)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_PrintPageImage300dpi(benchmark::State& state)
{
    korvex::TestRecord r = knownRecord(korvex::KindInput);
    QImage img(3508, 2480, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        korvex::PrinterCanvas c(p, 300);
        korvex::drawPrintPage(c, r, korvex::KindInput, 0);
    }
}
BENCHMARK(BM_PrintPageImage300dpi)->Unit(benchmark::kMillisecond);

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
