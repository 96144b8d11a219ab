// Where the window's own windows come up: the alarm comes back where the operator last moved
// it, the history opens centred over the main window and keeps its size and place.
#include <QtGui/QWindow>

#include "WindowBench.h"
#include "app/dialogs/Alarm.h"
#include "app/window/HistoryWindow.h"

namespace korvex {
namespace {

/// The operator drags a window: the window system moves it, not the program.
void dragTo(QWidget& w, QPoint p)
{
    w.windowHandle()->setPosition(p);
    QTest::qWait(20);
}

TEST(WindowPlaces, TheAlarmComesBackWhereTheOperatorLastMovedIt)
{
    WindowBench b({}, {}, {720, 720}); // on the offscreen platform's 800 x 800 screen
    auto* alarm = b.form->findChild<TAlarmForm*>(QStringLiteral("AlarmForm"));
    alarm->setAlarmVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alarm));
    EXPECT_TRUE(b.form->geometry().contains(alarm->geometry().center())); // first over the window
    for (const QPoint to : {QPoint(40, 60), QPoint(500, 400)}) {
        dragTo(*alarm, to);
        const QRect dragged = alarm->geometry();
        alarm->setAlarmVisible(false);
        alarm->setAlarmVisible(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(alarm));
        EXPECT_EQ(alarm->geometry(), dragged);
    }
    alarm->setAlarmVisible(false);
}

TEST(WindowPlaces, TheHistoryOpensCentredOverTheWindowAndKeepsItsSizeAndPlace)
{
    WindowBench b({}, {}, {720, 720});
    b.form->move(40, 40);
    HistoryWindow* history = b.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    // Over the middle of the main window, not over its menu and tool bar at its top left.
    const QPoint offCentre = history->geometry().center() - b.form->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

    dragTo(*history, QPoint(30, 20));
    history->windowHandle()->resize(900, 560);
    QTest::qWait(20);
    const QRect moved = history->geometry();
    history->close();
    HistoryWindow* again = b.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(again));
    EXPECT_EQ(again->geometry(), moved);
    EXPECT_EQ(again->size(), QSize(900, 560));
}

} // namespace
} // namespace korvex
