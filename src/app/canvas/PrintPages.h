// PrintPages: the print pages of chosen kinds, one sheet each, onto a printer or into a PDF
// file, the same way for the window's print command and the command-line report.
#pragma once

#include <QtCore/QByteArray>
#include <QtGui/QPageLayout>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kinds/PageCanvas.h"
#include "record/TestRecord.h"

class QPrinter;

namespace korvex {

struct PrintJob {
    /// The kinds to print, in order.
    std::vector<int32_t> kinds;
    /// Printer family for the English comprehensive page (0 Epson/Canon, 1 HP).
    int printerFamily = 0;
    /// Runs before each page is drawn; it may make the kind the page shown (and so bring what
    /// that page needs in the record up to date, prepareShownPage) or change printerFamily.
    std::function<void(int32_t kind, PrintJob& job)> beforePage;
    /// Further sheets drawn after the kinds' pages, each on a page of its own (a verdict sheet).
    std::vector<std::function<void(PageCanvas& canvas)>> appendix;
};

/// Draws the pages as one PDF document in memory (as writePdfPages does, without the file).
/// False, with the reason in error, when the document cannot be made.
bool renderPdfPages(const QPageSize& paper, QPageLayout::Orientation orientation, int dpi, const TestRecord& r,
                    PrintJob& job, QByteArray& document, std::string& error);

/// Writes the pages as one PDF document to path, through a temporary file in the target's
/// folder that replaces path only once the whole document is written. layout gives the
/// paper and orientation; a PDF has no unprintable border, so pages start at the paper's
/// corner. False, with the reason in error, when anything fails; path is then untouched.
bool writePdfPages(const std::string& path, const QPageSize& paper, QPageLayout::Orientation orientation, int dpi,
                   const TestRecord& r, PrintJob& job, std::string& error);

/// Sets printer's margins to the device's own unprintable border (none for PDF output), so
/// page positions are measured from the printable area as the printer defines it.
void usePrintableArea(QPrinter& printer);

/// Prints the pages on printer. Printed to a file, all pages go into one PDF document written
/// as writePdfPages does; on a printer each page is a print job of its own. False, with the
/// reason in error, when a job cannot start or the file cannot be written.
bool printPages(QPrinter& printer, const TestRecord& r, PrintJob& job, std::string& error);

} // namespace korvex
