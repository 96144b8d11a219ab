// The print path shared by the window and `korvex-cli report`: the same sheet from both, and a
// print to a file that cannot be written leaves the old file alone.
#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QPushButton>
#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "ScriptedRunner.h"
#include "app/canvas/PrintPages.h"
#include "app/dialogs/Printchoice.h"
#include "app/window/KorvexForm.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "support/RecordEdits.h"

namespace korvex {
namespace {

struct PrintingWindow {
    PrintingWindow()
    {
        controller.setPortSource(simulatedPorts(makeSimInstrument()));
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        test::openEdited(controller, [](TestRecord& r) {
            r.chinese = 1;
            r.hasInputResult = 1;
            r.Urms = 229.9f;
            r.currentTest = KindInput;
        });
        runner.printerAnswer = true;
        runner.script = [](QDialog& d) {
            if (auto* print = qobject_cast<TPrintForm*>(&d))
                print->OkBtn->click();
        };
    }
    QString path(const char* name) const { return temp.filePath(QLatin1String(name)); }
    void printTo(const QString& file)
    {
        form->printer().setOutputFormat(QPrinter::PdfFormat);
        form->printer().setPageSize(QPageSize(QPageSize::A4));
        form->printer().setOutputFileName(file);
        form->PrintClick();
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
};

/// The first page of a PDF as poppler draws it, in grey at 40 dpi.
QImage firstPage(const QString& pdf)
{
    const QString stem = pdf + QStringLiteral(".page");
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-gray"),
                                                   QStringLiteral("-singlefile"), pdf, stem});
    return QImage(stem + QStringLiteral(".pgm"));
}

TEST(PrintPath, TheWindowsSheetSitsExactlyWhereTheReportPutsIt)
{
    PrintingWindow w;
    w.printTo(w.path("window.pdf"));
    ASSERT_TRUE(w.runner.messages.empty());

    TestRecord r = w.controller.record();
    PrintJob job;
    job.kinds = {KindInput};
    std::string error;
    ASSERT_TRUE(writePdfPages(QFile::encodeName(w.path("report.pdf")).toStdString(), QPageSize(QPageSize::A4),
                              QPageLayout::Landscape, 1200, r, job, error))
        << error;

    const QImage fromWindow = firstPage(w.path("window.pdf"));
    const QImage fromReport = firstPage(w.path("report.pdf"));
    ASSERT_FALSE(fromWindow.isNull());
    EXPECT_EQ(fromWindow.size(), QSize(468, 331)); // A4 landscape at 40 dpi
    EXPECT_TRUE(fromWindow == fromReport) << "the two sheets differ";
}

TEST(PrintPath, AFileThatCannotBeWrittenLeavesTheOldOneAndSaysSo)
{
    PrintingWindow w;
    const QString pdf = w.path("pages.pdf");
    w.printTo(pdf);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();
    ASSERT_GT(old.size(), 4096);

    // A full disk: no file may grow past 2 KiB while the window prints.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const sighandler_t before = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 2048;
    setrlimit(RLIMIT_FSIZE, &small);
    test::openEdited(w.controller, [](TestRecord& r) { r.Urms = 120.0f; });
    w.printTo(pdf);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, before);

    ASSERT_EQ(w.runner.messages.size(), 1u);
    EXPECT_EQ(w.runner.messages.front().first, QStringLiteral("打印失败!"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
}

TEST(PrintPath, APrinterKeepsOnlyItsOwnUnprintableBorder)
{
    // Qt gives every new printer 10 pt margins of its own; a PDF device has no border at all.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ASSERT_GT(printer.pageLayout().margins().left(), 0.0);
    usePrintableArea(printer);
    EXPECT_EQ(printer.pageLayout().margins(), QMarginsF(0, 0, 0, 0));
    EXPECT_EQ(printer.pageRect(QPrinter::DevicePixel), printer.paperRect(QPrinter::DevicePixel));
}

} // namespace
} // namespace korvex
