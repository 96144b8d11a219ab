// Closing the main window: at once when idle, after the running sequence, or by Timer2.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

// ---- Closing --------------------------------------------------------------------------------

TEST(Closing, IdleWindowClosesAtOnceAndSavesTheConfiguration)
{
    Window w;
    w.form->show();
    QFile::remove(w.path("KORVEX.cfg"));
    w.find<QToolButton>("ExitBtn")->click();
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_TRUE(QFile::exists(w.path("KORVEX.cfg")));
}

TEST(Closing, DuringARunTheWindowWaitsForTheSequenceToEnd)
{
    Window w({}, true);
    w.form->show();
    w.form->InputTestClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller.testRunning(); }, 3000));
    QFile::remove(w.path("KORVEX.cfg"));
    w.form->ExitClick();
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_FALSE(QFile::exists(w.path("KORVEX.cfg")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form->isVisible(); }, 3900)); // before Timer2
    EXPECT_EQ(w.record().hasInputResult, 1);
    EXPECT_TRUE(QFile::exists(w.path("KORVEX.cfg")));
}

TEST(Closing, Timer2ClosesAWindowWhoseSequenceDoesNotEnd)
{
    Window w({}, true);
    w.form->show();
    w.form->StartTestComdClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller.testRunning(); }, 3000));
    w.form->close();
    EXPECT_TRUE(w.form->isVisible());
    w.controller.timer2Timer(); // as if the 4000 ms had passed
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form->isVisible(); }, 1000));
    QTest::qWait(800); // nothing starts again
    EXPECT_FALSE(w.controller.testRunning());
}

} // namespace
} // namespace korvex
