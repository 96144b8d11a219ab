// Where the window's own windows come up: the alarm comes back where the operator last moved
// it, the history opens centred over the main window and keeps its size and place.
#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QTemporaryDir>
#include <QtGui/QWindow>
#include <QtTest/QTest>

#include "ScriptedRunner.h"
#include "app/dialogs/Alarm.h"
#include "app/window/HistoryWindow.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "log/ResultsLog.h"

namespace korvex {
namespace {

struct Desk {
    Desk()
    {
        controller.useSimulator(QString(), false);
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        form->setGeometry(40, 40, 720, 720); // on the offscreen platform's 800 x 800 screen
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    ~Desk()
    {
        controls->finish();
        controller.shutdown();
    }
    /// The operator drags a window: the window system moves it, not the program.
    static void dragTo(QWidget& w, QPoint p)
    {
        w.windowHandle()->setPosition(p);
        QTest::qWait(20);
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
};

TEST(WindowPlaces, TheAlarmComesBackWhereTheOperatorLastMovedIt)
{
    Desk d;
    auto* alarm = d.form->findChild<TAlarmForm*>(QStringLiteral("AlarmForm"));
    ASSERT_NE(alarm, nullptr);
    alarm->setAlarmVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alarm));
    // First shown over the main window.
    EXPECT_TRUE(d.form->geometry().contains(alarm->geometry().center()));

    Desk::dragTo(*alarm, QPoint(40, 60));
    const QRect dragged = alarm->geometry();
    for (int again = 0; again < 2; ++again) {
        alarm->setAlarmVisible(false);
        alarm->setAlarmVisible(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(alarm));
        EXPECT_EQ(alarm->geometry(), dragged);
    }
    Desk::dragTo(*alarm, QPoint(500, 400));
    const QRect draggedAgain = alarm->geometry();
    alarm->setAlarmVisible(false);
    alarm->setAlarmVisible(true);
    EXPECT_EQ(alarm->geometry(), draggedAgain);
    alarm->setAlarmVisible(false);
}

TEST(WindowPlaces, TheHistoryOpensCentredOverTheWindowAndKeepsItsSizeAndPlace)
{
    Desk d;
    HistoryWindow* history = d.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    // Over the middle of the main window, not over its menu and tool bar at its top left.
    const QPoint offCentre = history->geometry().center() - d.form->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

    Desk::dragTo(*history, QPoint(30, 20));
    history->windowHandle()->resize(900, 560);
    QTest::qWait(20);
    const QRect moved = history->geometry();
    history->close();
    ASSERT_FALSE(history->isVisible());
    HistoryWindow* again = d.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(again));
    EXPECT_EQ(again->geometry(), moved);
    EXPECT_EQ(again->size(), QSize(900, 560));
}

} // namespace
} // namespace korvex
