// Print pages on a printer or into a PDF file written through a temporary file.
#include "app/canvas/PrintPages.h"

#include <QtCore/QBuffer>
#include <QtCore/QFile>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtPrintSupport/QPrinter>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/canvas/PrinterCanvas.h"
#include "kinds/Pages.h"
#include "record/FileUtil.h"

namespace korvex {

namespace {

void drawPage(QPainter& painter, int dpi, const TestRecord& r, int32_t kind, PrintJob& job)
{
    PrinterCanvas canvas(painter, dpi);
    drawPrintPage(canvas, r, kind, job.printerFamily);
}

void beginPage(int32_t kind, PrintJob& job)
{
    if (job.beforePage)
        job.beforePage(kind, job);
}

} // namespace

bool renderPdfPages(const QPageSize& paper, QPageLayout::Orientation orientation, int dpi, const TestRecord& r,
                    PrintJob& job, QByteArray& document, std::string& error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(paper, orientation, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(dpi);
        writer.setTitle(QStringLiteral("KORVEX report"));
        writer.setCreator(QStringLiteral("KORVEX"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "cannot start the PDF document";
            return false;
        }
        bool first = true;
        for (const int32_t kind : job.kinds) {
            beginPage(kind, job);
            if (!first)
                writer.newPage();
            first = false;
            drawPage(painter, dpi, r, kind, job);
        }
        for (const auto& sheet : job.appendix) {
            if (!first)
                writer.newPage();
            first = false;
            PrinterCanvas canvas(painter, dpi);
            sheet(canvas);
        }
        if (!painter.end()) {
            error = "cannot finish the PDF document";
            return false;
        }
    }
    buffer.close();
    document = buffer.data();
    return true;
}

bool writePdfPages(const std::string& path, const QPageSize& paper, QPageLayout::Orientation orientation, int dpi,
                   const TestRecord& r, PrintJob& job, std::string& error)
{
    // The document is built in memory, so a full disk or a pulled stick can only make the
    // final checked write fail, never leave half a PDF in place of a good one.
    QByteArray bytes;
    if (!renderPdfPages(paper, orientation, dpi, r, job, bytes, error))
        return false;
    errno = 0;
    if (!replaceFileAtomically(path, std::string_view(bytes.constData(), size_t(bytes.size())))) {
        error = std::string("cannot write the file") + (errno ? std::string(" (") + std::strerror(errno) + ")" : "");
        return false;
    }
    return true;
}

void usePrintableArea(QPrinter& printer)
{
    printer.setFullPage(false);
    QPageLayout layout = printer.pageLayout();
    const QMarginsF border = printer.outputFormat() == QPrinter::PdfFormat ? QMarginsF() : layout.minimumMargins();
    // Qt starts every printer with 10 pt margins of its own; only the device's border counts.
    layout.setMode(QPageLayout::FullPageMode); // lets the margins be set exactly as given
    layout.setMargins(border);
    layout.setMode(QPageLayout::StandardMode);
    printer.setPageLayout(layout);
}

bool printPages(QPrinter& printer, const TestRecord& r, PrintJob& job, std::string& error)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const QPageLayout layout = printer.pageLayout();
        return writePdfPages(QFile::encodeName(printer.outputFileName()).toStdString(), layout.pageSize(),
                             layout.orientation(), printer.resolution(), r, job, error);
    }
    usePrintableArea(printer);
    // On a printer each sheet is a job of its own.
    const auto printSheet = [&printer, &error](const std::function<void(PageCanvas&)>& draw) {
        QPainter painter;
        if (!painter.begin(&printer)) {
            error = "cannot start the print job";
            return false;
        }
        PrinterCanvas canvas(painter, printer.resolution());
        draw(canvas);
        if (!painter.end()) {
            error = "cannot finish the print job";
            return false;
        }
        return true;
    };
    for (const int32_t kind : job.kinds) {
        beginPage(kind, job);
        if (!printSheet([&](PageCanvas& canvas) { drawPrintPage(canvas, r, kind, job.printerFamily); }))
            return false;
    }
    return std::ranges::all_of(job.appendix, printSheet);
}

} // namespace korvex
