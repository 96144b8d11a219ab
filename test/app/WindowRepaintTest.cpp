// The main window's repaints: the page drawn again only when it changed, a step repainting only
// the status line and the bar.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

// ---- Repainting -----------------------------------------------------------------------------

// Counts the paint events of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A window of 800 x 600 on screen, showing the input page.
void showInputPage(Window& w)
{
    w.form->resize(800, 600);
    w.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form.get()));
    w.form->NextClick(); // the input page
    QTest::qWait(50);
}

TEST(Repainting, ThePageIsDrawnAgainOnlyWhenItChanged)
{
    Window w;
    ASSERT_NO_FATAL_FAILURE(showInputPage(w));
    PaintCounter counter;
    w.find<PaintBox>("PaintBox1")->installEventFilter(&counter);
    // Asked again and again to repaint an unchanged page (as every step of a run does), or given
    // a choice already made, the window does not draw it again.
    for (int i = 0; i < 5; ++i)
        emit w.controller.repaintRequested();
    w.form->IECThdClick();
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 0);
    w.form->CSAThdClick(); // the THD values on the page change
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 1);
}

TEST(Repainting, AStepOfARunRepaintsTheStatusLineAndTheBarButNotThePage)
{
    Window w;
    ASSERT_NO_FATAL_FAILURE(showInputPage(w));
    auto cycle = [&w] {
        for (int percent : {0, 40, 80, 100}) {
            emit w.controller.statusTextChanged(QStringLiteral("输入性能测试 %1%").arg(percent));
            emit w.controller.progressChanged(percent);
            QTest::qWait(30);
        }
    };
    cycle(); // the first cycle: the bar draws each new value over a copy of the tool bar's panel
    PaintCounter page, bar, status, toolBar;
    w.find<PaintBox>("PaintBox1")->installEventFilter(&page);
    w.find<QProgressBar>("ProgressBar1")->installEventFilter(&bar);
    w.find<StatusPanel>("StatusBar1")->installEventFilter(&status);
    w.find<QToolBar>("Panel1")->installEventFilter(&toolBar);
    cycle();
    EXPECT_EQ(page.paints, 0);
    EXPECT_EQ(toolBar.paints, 0); // the bar covers its place: nothing beneath it is painted
    EXPECT_GE(bar.paints, 3);
    EXPECT_GE(status.paints, 4);
    const int barPaints = bar.paints;
    emit w.controller.progressChanged(100); // the value it shows already
    QTest::qWait(30);
    EXPECT_EQ(bar.paints, barPaints);
}

TEST(Repainting, TheBarShowsEachValueAsTheStyleDrawsIt)
{
    // The bar keeps each value's drawing; going back to a value shows that value again, and a
    // new width draws afresh. Compared with a plain QProgressBar beside it (antialiased edges
    // may differ by a step of rounding).
    QWidget host;
    auto* kept = new ProgressBar(&host);
    auto* plain = new QProgressBar(&host);
    for (QProgressBar* b : std::initializer_list<QProgressBar*>{kept, plain}) {
        b->setRange(0, 100);
        b->setTextVisible(false);
        b->setFixedSize(173, 22);
    }
    plain->move(0, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    auto largestDifference = [&] {
        const QImage a = kept->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage b = plain->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (a.size() != b.size())
            return 255;
        int most = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                 std::abs(qBlue(p) - qBlue(q))});
            }
        return most;
    };
    for (int value : {30, 70, 30, 100, 0}) {
        kept->setValue(value);
        plain->setValue(value);
        EXPECT_LE(largestDifference(), 2) << "value " << value;
    }
    kept->setFixedWidth(120);
    plain->setFixedWidth(120);
    kept->setValue(70);
    plain->setValue(70);
    EXPECT_LE(largestDifference(), 2) << "narrower";
    plain->setValue(20); // the test sees a difference where there is one
    EXPECT_GT(largestDifference(), 2);
}

} // namespace
} // namespace korvex
