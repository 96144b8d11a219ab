// The keys an operator meets at the bench: after a number is scanned into 产品编号 and after a
// test command, the arrow keys move the start page's cursor (not the field's text cursor), the
// next scan still lands in the field, and the page taking the keys draws nothing over the
// start prompt.
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include "WindowBench.h"
#include "kinds/Starttest.h"
#include "support/RecordEdits.h"

namespace korvex {
namespace {

struct Bench : WindowBench {
    /// A start result on screen with the cursor at sample 100.
    void showStartPage()
    {
        test::openEdited(controller, [](TestRecord& r) {
            r.hasStartResult = r.resultsShown = 1;
            r.currentTest = KindStart;
            setStartCursor(r, 100);
        });
    }
    void clickField() { QTest::mouseClick(controls->serialField(), Qt::LeftButton); }
    /// Keys as the keyboard sends them: to whatever has the focus by then.
    void type(const QString& keys)
    {
        for (const QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

TEST(KeysAndFocus, AfterEnterInTheSerialFieldTheArrowsMoveTheStartCursorAndTheNextScanStillLandsThere)
{
    Bench b;
    b.showStartPage();
    b.clickField();
    ASSERT_TRUE(b.controls->serialField()->hasFocus());
    b.controls->serialField()->selectAll();
    b.type(QStringLiteral("SN-0042"));
    b.press(Qt::Key_Return);
    EXPECT_EQ(fieldUtf8(b.controller.record().infoNo), "SN-0042");
    b.press(Qt::Key_Right);
    b.press(Qt::Key_Right);
    b.press(Qt::Key_Left);
    EXPECT_EQ(b.controller.record().cursorIndex, 101);
    // The scanner types the next number and Enter while the page has the keys.
    b.type(QStringLiteral("SN-0043"));
    EXPECT_EQ(b.controls->serialField()->text(), QStringLiteral("SN-0043")); // replaced, not appended
    b.press(Qt::Key_Return);
    EXPECT_EQ(fieldUtf8(b.controller.record().infoNo), "SN-0043");
    b.press(Qt::Key_Right);
    EXPECT_EQ(b.controller.record().cursorIndex, 102);
}

TEST(KeysAndFocus, AfterATestCommandTheArrowsReachThePage)
{
    Bench b;
    b.clickField();
    QTest::keyClick(b.controls->serialField(), Qt::Key_5, Qt::ControlModifier); // the start test
    EXPECT_EQ(b.controller.pendingTest(), KindStart);
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.controller.record().currentTest == KindStart; }, 5000));
    const int32_t before = b.controller.record().cursorIndex;
    b.press(Qt::Key_Left);
    EXPECT_EQ(b.controller.record().cursorIndex, before == 0 ? 299 : before - 1);
}

// Counts the paint events of a widget.
struct Paints : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        count += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST(KeysAndFocus, ThePageTakesAndLosesTheKeysWithoutBeingDrawnAgain)
{
    // A test command draws the start prompt over the current page and gives the page the keys;
    // the prompt must stay until the run's own repaint.
    Bench b;
    b.showStartPage();
    QTest::qWait(50);
    Paints paints;
    b.page->installEventFilter(&paints);
    b.clickField();
    b.page->setFocus(Qt::OtherFocusReason);
    QTest::qWait(50);
    EXPECT_TRUE(b.page->hasFocus());
    EXPECT_EQ(paints.count, 0);
}

} // namespace
} // namespace korvex
