// The main window's print command: the pages chosen, the printer family, a cancelled dialog.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

// ---- Printing -------------------------------------------------------------------------------

// Pages of a PDF file as Qt writes them (one "/Type /Page" object each).
int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    return int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

TEST(Printing, PrintsEachSelectedPageAndEndsOnTheLast)
{
    Window w;
    test::openEdited(w.controller, [](TestRecord& r) {
        r.chinese = 1;
        r.hasInputResult = 1;
        r.hasPhaseResult = 1;
    });
    w.form->NextClick();
    w.form->printer().setOutputFormat(QPrinter::PdfFormat);
    w.form->printer().setOutputFileName(w.path("pages.pdf"));
    w.runner.printerAnswer = true;
    w.runner.script = [&](QDialog& d) {
        if (auto* print = qobject_cast<TPrintForm*>(&d))
            print->OkBtn->click();
    };
    w.form->PrintClick();
    EXPECT_EQ(w.runner.shown, (QStringList{"InfoForm", "PrintForm"}));
    EXPECT_EQ(w.record().currentTest, KindPhase);
    EXPECT_TRUE(w.controller.testLocked());
    // Printed to a file, the second page must not replace the first.
    EXPECT_EQ(pdfPageCount(w.path("pages.pdf")), 2);
    EXPECT_EQ(w.form->printSelection()[0], 1);
    EXPECT_EQ(w.form->printSelection()[2], 0);
}

TEST(Printing, EnglishComprehensivePageAsksForThePrinterFamilyOnce)
{
    Window w;
    test::openEdited(w.controller, [](TestRecord& r) {
        r.chinese = 0;
        r.hasCompResult = 1;
        r.hasStartResult = 1;
    });
    w.form->NextClick();
    w.form->printer().setOutputFormat(QPrinter::PdfFormat);
    w.form->printer().setOutputFileName(w.path("comp.pdf"));
    w.runner.printerAnswer = true;
    w.runner.script = [&](QDialog& d) {
        if (auto* print = qobject_cast<TPrintForm*>(&d))
            print->OkBtn->click();
    };
    w.form->PrintClick();
    EXPECT_EQ(w.runner.shown, (QStringList{"InfoForm", "PrintForm", "PrinterForm"}));
    EXPECT_EQ(w.record().currentTest, KindStart);
}

TEST(Printing, CancelledPrintDialogPrintsNothing)
{
    Window w;
    w.form->NextClick();
    w.form->NextClick();
    w.form->printer().setOutputFormat(QPrinter::PdfFormat);
    w.form->printer().setOutputFileName(w.path("none.pdf"));
    w.form->PrintClick();
    EXPECT_EQ(w.runner.printerDialogs, 1);
    EXPECT_EQ(w.record().currentTest, KindPhase);
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_FALSE(QFile::exists(w.path("none.pdf")));
}

TEST(Printing, NothingBeforeAPageWasShown)
{
    Window w;
    w.form->PrintClick();
    EXPECT_TRUE(w.runner.shown.isEmpty());
    EXPECT_EQ(w.runner.printerDialogs, 0);
    EXPECT_FALSE(w.controller.testLocked());
}

} // namespace
} // namespace korvex
