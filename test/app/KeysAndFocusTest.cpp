// The keys an operator meets at the bench: after a number is scanned into 产品编号 and after a
// test command, the arrow keys move the start page's cursor (not the field's text cursor), and
// the next scan still lands in the field.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include "ScriptedRunner.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/PaintBox.h"
#include "kinds/Evaluate.h"
#include "kinds/Starttest.h"
#include "link/Controller.h"
#include "log/ResultsLog.h"
#include "record/TextCodec.h"

namespace korvex {
namespace {

struct Bench {
    Bench()
    {
        controller.useSimulator(QString(), false);
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        page = form->findChild<PaintBox*>(QStringLiteral("PaintBox1"));
        form->resize(1400, 700); // the whole tool bar, the serial number field included
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    ~Bench()
    {
        controls->finish();
        controller.shutdown();
    }
    /// A start result on screen with the cursor at sample 100.
    void showStartPage()
    {
        TestRecord& r = controller.record();
        for (int i = 0; i < kStartSamples; ++i)
            r.waveStartUl[i] = float(i);
        r.peakStartUl = float(kStartSamples - 1);
        r.StrUlp = 500.0f;
        r.hasStartResult = 1;
        r.resultsShown = 1;
        r.currentTest = KindStart;
        setStartCursor(r, 100);
        emit controller.repaintRequested();
    }
    /// The operator clicks into the field.
    void clickField() { QTest::mouseClick(controls->serialField(), Qt::LeftButton); }
    /// The operator clicks into the field and types a number with Enter, as a scanner does.
    void scanByHand(const QString& number)
    {
        QLineEdit* field = controls->serialField();
        clickField();
        ASSERT_TRUE(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, number);
        QTest::keyClick(field, Qt::Key_Return);
    }
    /// A key pressed wherever the focus is in the window, as the keyboard sends it.
    void press(Qt::Key key)
    {
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QTest::keyClick(to, key);
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    PaintBox* page = nullptr;
};

TEST(KeysAndFocus, AfterEnterInTheSerialFieldTheArrowsMoveTheStartCursor)
{
    Bench b;
    b.showStartPage();
    b.scanByHand(QStringLiteral("SN-0042"));
    EXPECT_EQ(fieldUtf8(b.controller.record().infoNo), "SN-0042");
    b.press(Qt::Key_Right);
    b.press(Qt::Key_Right);
    EXPECT_EQ(b.controller.record().cursorIndex, 102);
    b.press(Qt::Key_Left);
    EXPECT_EQ(b.controller.record().cursorIndex, 101);
    EXPECT_EQ(b.controls->serialField()->text(), QStringLiteral("SN-0042")); // the field kept its text
}

TEST(KeysAndFocus, AfterATestCommandTheKeysReachThePage)
{
    Bench b;
    b.clickField();
    ASSERT_TRUE(b.controls->serialField()->hasFocus());
    QTest::keyClick(b.controls->serialField(), Qt::Key_5, Qt::ControlModifier); // the start test
    EXPECT_EQ(b.controller.pendingTest(), KindStart);
    EXPECT_TRUE(b.page->hasFocus());
    // The run makes the start page current; the arrows move its cursor from there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.controller.record().currentTest == KindStart; }, 5000));
    const int32_t before = b.controller.record().cursorIndex;
    b.press(Qt::Key_Left);
    EXPECT_EQ(b.controller.record().cursorIndex, before == 0 ? 299 : before - 1);
}

TEST(KeysAndFocus, TheNextScanLandsInTheFieldWhileThePageHasTheKeys)
{
    Bench b;
    b.showStartPage();
    b.scanByHand(QStringLiteral("SN-0042"));
    ASSERT_TRUE(b.page->hasFocus());
    // The scanner types the next number and Enter while the page has the keys; each key goes
    // where the focus is by then.
    for (const QChar c : QStringLiteral("SN-0043"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    EXPECT_EQ(b.controls->serialField()->text(), QStringLiteral("SN-0043")); // replaced, not appended
    b.press(Qt::Key_Return);
    EXPECT_EQ(fieldUtf8(b.controller.record().infoNo), "SN-0043");
    EXPECT_TRUE(b.page->hasFocus());
    b.press(Qt::Key_Right);
    EXPECT_EQ(b.controller.record().cursorIndex, 101);
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

TEST(KeysAndFocus, TheStartPromptStaysWhenThePageTakesTheKeys)
{
    Bench b;
    b.showStartPage();
    QTest::qWait(50);
    b.clickField();
    ASSERT_TRUE(b.controls->serialField()->hasFocus());
    Paints paints;
    b.page->installEventFilter(&paints);
    // The page takes the keys without being drawn again: a test command draws the start prompt
    // over whatever page is current, which must stay until the run's own repaint.
    b.page->setFocus(Qt::OtherFocusReason);
    QTest::qWait(50);
    EXPECT_EQ(paints.count, 0);
    b.clickField();
    QTest::qWait(50);
    EXPECT_EQ(paints.count, 0);
}

} // namespace
} // namespace korvex
