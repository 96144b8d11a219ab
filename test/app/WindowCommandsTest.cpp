// The main window's commands: every test command's effect on the loop and the lock button, the
// prompt page, the option check marks, page browsing, cursor input, the dialog commands and
// the link alarm.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

// ---- Test commands and the lock -------------------------------------------------------------

TEST(TestCommands, MeasuringCommandResetsReleasesTheLockAndQueuesTheKind)
{
    Window w;
    w.find<QToolButton>("LockTestBtn")->click();
    ASSERT_TRUE(w.controller.testLocked());
    test::openEdited(w.controller, [](TestRecord& r) { r.Fout = 42.0f; });
    w.form->OutputTestClick();
    EXPECT_EQ(w.controller.pendingTest(), KindOutput);
    EXPECT_FALSE(w.controller.testLocked());
    EXPECT_FALSE(w.find<QToolButton>("LockTestBtn")->isChecked());
    EXPECT_FLOAT_EQ(w.record().Fout, 0.0f); // cleared at once
}

TEST(TestCommands, SingleRunSetsTheLockAndPressesTheButton)
{
    Window w;
    w.form->PhaseTestLockBtnClick();
    EXPECT_EQ(w.controller.pendingTest(), KindPhase);
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
    w.form->CompTestLockBtnClick();
    EXPECT_EQ(w.controller.pendingTest(), KindComprehensive);
}

TEST(TestCommands, LockButtonInvertsTheLock)
{
    Window w;
    w.find<QToolButton>("LockTestBtn")->click();
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
    w.find<QAction>("LockTest")->trigger(); // the menu item does the same
    EXPECT_FALSE(w.controller.testLocked());
    EXPECT_FALSE(w.find<QToolButton>("LockTestBtn")->isChecked());
    EXPECT_EQ(w.controller.pendingTest(), 0); // starts nothing
}

TEST(TestCommands, StartCommandShowsThePromptWithTheButtonPressedButUnlocked)
{
    Window w;
    w.controller.showPage(KindInput); // results shown
    w.form->StartTestComdClick();
    EXPECT_EQ(w.record().resultsShown, 0);
    EXPECT_EQ(w.controller.pendingTest(), KindStart);
    EXPECT_FALSE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
}

// What the drawing area shows on screen right now (the window's backing store, not a fresh paint).
QImage onScreen(TKORVEXForm& form)
{
    const QPoint at = find<PaintBox>(form, "PaintBox1")->mapTo(&form, QPoint(0, 0));
    const QSize size = find<PaintBox>(form, "PaintBox1")->size();
    return form.screen()
        ->grabWindow(form.winId(), at.x(), at.y(), size.width(), size.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage promptPage(QSize size)
{
    ScreenCanvas canvas(size.width(), size.height());
    drawStartPrompt(canvas);
    return canvas.image().convertToFormat(QImage::Format_RGB32);
}

TEST(TestCommands, StartAndEnergyCommandsDrawThePromptAtOnceOverAnyPage)
{
    Window w;
    w.form->resize(800, 600);
    w.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form.get()));
    w.form->NextClick(); // the input page is on screen
    QTest::qWait(20);
    const QImage prompt = promptPage(w.find<PaintBox>("PaintBox1")->size());
    ASSERT_NE(onScreen(*w.form), prompt);

    // Before the event loop runs again (the handshake may block it), the prompt is there.
    w.form->StartTestComdClick();
    EXPECT_EQ(onScreen(*w.form), prompt);

    Window energy;
    energy.form->resize(800, 600);
    energy.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(energy.form.get()));
    energy.form->BackClick(); // the energy page,
    energy.form->BackClick(); // the start page,
    energy.form->BackClick(); // the comprehensive page
    QTest::qWait(20);
    ASSERT_NE(onScreen(*energy.form), prompt);
    energy.runner.script = [&](QDialog&) { energy.find<TPictureForm>("PictureForm")->TestBtn->click(); };
    energy.form->EnergyTestClick();
    EXPECT_EQ(onScreen(*energy.form), prompt);
}

TEST(TestCommands, EnergyCommandWaitsForTheWiringPicture)
{
    Window w;
    w.runner.script = [&](QDialog& d) {
        ASSERT_EQ(d.objectName(), QStringLiteral("PictureForm"));
        w.find<TPictureForm>("PictureForm")->CancelBtn->click();
    };
    w.form->EnergyTestClick();
    EXPECT_EQ(w.controller.pendingTest(), 0);
    EXPECT_EQ(w.runner.shown, QStringList{"PictureForm"});

    w.runner.script = [&](QDialog&) { w.find<TPictureForm>("PictureForm")->TestBtn->click(); };
    w.form->EnergyTestClick();
    EXPECT_EQ(w.controller.pendingTest(), KindEnergy);
    EXPECT_EQ(w.record().resultsShown, 0);
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
}

TEST(TestCommands, InputTestRunsOnTheSimulatorAndShowsProgress)
{
    Window w;
    w.form->show();
    w.form->InputTestClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.record().hasInputResult == 1; }, 10000));
    EXPECT_EQ(w.record().currentTest, KindInput);
    EXPECT_TRUE(w.find<StatusPanel>("StatusBar1")->text().startsWith(QStringLiteral("输入性能测试：")));
    EXPECT_GT(w.record().Urms, 100.0f);
    EXPECT_GT(w.find<QProgressBar>("ProgressBar1")->value(), 0);
}

// ---- Options and check marks ----------------------------------------------------------------

TEST(OptionMarks, EachPairIsExclusiveAndFollowsItsFlag)
{
    Window w;
    w.form->CSAThdClick();
    EXPECT_EQ(w.record().thdCsa, 1);
    EXPECT_TRUE(w.find<QAction>("CSAThd")->isChecked());
    EXPECT_FALSE(w.find<QAction>("IECThd")->isChecked());
    w.form->IECThdClick();
    EXPECT_EQ(w.record().thdCsa, 0);
    EXPECT_TRUE(w.find<QAction>("IECThd")->isChecked());
    w.form->WideClick();
    EXPECT_EQ(w.record().wideBand, 1);
    EXPECT_FALSE(w.find<QAction>("Narrow")->isChecked());
    w.find<QAction>("English")->trigger();
    EXPECT_EQ(w.record().chinese, 0);
    EXPECT_FALSE(w.find<QAction>("Chinese")->isChecked());
    EXPECT_EQ(w.controller.pendingTest(), 0); // nothing sent to the instrument
}

// ---- Page browsing --------------------------------------------------------------------------

TEST(PageBrowsing, BackAndNextWrapAndShowResults)
{
    Window w;
    w.form->BackClick();
    EXPECT_EQ(w.record().currentTest, KindEnergy);
    EXPECT_EQ(w.record().resultsShown, 1);
    w.form->NextClick();
    EXPECT_EQ(w.record().currentTest, KindInput);
    w.form->BackClick();
    EXPECT_EQ(w.record().currentTest, KindEnergy);

    Window fresh;
    fresh.find<QToolButton>("NextBtn")->click();
    EXPECT_EQ(fresh.record().currentTest, KindInput);
}

TEST(PageBrowsing, ARunningTestKeepsItsKind)
{
    Window w({}, true);
    const QString file = writeSample(w.path("output.kvx")); // an output page
    w.form->show();
    w.form->InputTestClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller.testRunning(); }, 3000));
    // One press at a time: Back and Next in a row would come back to the input page anyway.
    w.find<QToolButton>("BackBtn")->click();
    EXPECT_EQ(w.record().currentTest, KindInput);
    w.find<QAction>("Next")->trigger();
    EXPECT_EQ(w.record().currentTest, KindInput);
    w.form->openDataFile(file); // its values arrive, its page does not
    EXPECT_EQ(w.record().currentTest, KindInput);
    EXPECT_FLOAT_EQ(w.record().Fout, 42.5f);
    // The run goes on with the input steps and ends as an input run.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.record().hasInputResult == 1; }, 10000));
    EXPECT_EQ(w.record().currentTest, KindInput);
    EXPECT_GT(w.record().Urms, 100.0f);
}

// ---- Cursor input ---------------------------------------------------------------------------

TEST(CursorInput, ArrowKeysMoveOnlyTheStartPageCursor)
{
    Window w;
    w.controller.showPage(KindStart);
    ASSERT_EQ(w.record().cursorIndex, 0);
    w.form->FormKeyDown(Qt::Key_Left);
    EXPECT_EQ(w.record().cursorIndex, 299);
    EXPECT_FLOAT_EQ(w.record().cursorTime, 299.0f * 5.0f / 300.0f);
    w.form->FormKeyDown(Qt::Key_Up);
    EXPECT_EQ(w.record().cursorIndex, 299);
    w.controller.showPage(KindInput);
    w.form->FormKeyDown(Qt::Key_Right);
    EXPECT_EQ(w.record().cursorIndex, 299);
}

TEST(CursorInput, DragMovesTheEnergyCursorButNotTheStartCursor)
{
    Window w;
    w.form->resize(800, 600);
    w.form->show();
    QTest::qWait(20);
    const int width = w.find<PaintBox>("PaintBox1")->width();
    const double s = width / 640.0;
    const int x1 = int(100 * s), x2 = int(200 * s);

    w.controller.showPage(KindStart);
    w.form->PaintBox1MouseDown(x1);
    EXPECT_TRUE(w.form->cursorDragging());
    const int32_t index = w.record().cursorIndex;
    EXPECT_GT(index, 0);
    w.form->PaintBox1MouseMove(x2);
    EXPECT_EQ(w.record().cursorIndex, index);
    w.form->PaintBox1MouseUp();
    EXPECT_FALSE(w.form->cursorDragging());

    w.controller.showPage(KindEnergy);
    w.form->PaintBox1MouseDown(x1);
    const int32_t first = w.record().energyCursor;
    w.form->PaintBox1MouseMove(x2);
    EXPECT_GT(w.record().energyCursor, first);
    const int32_t dragged = w.record().energyCursor;
    w.form->PaintBox1MouseUp();
    w.form->PaintBox1MouseMove(x1); // no button held: nothing moves
    EXPECT_EQ(w.record().energyCursor, dragged);
}

TEST(CursorInput, RealMouseClickOnThePaintBoxReachesTheHandler)
{
    Window w;
    w.form->resize(800, 600);
    w.form->show();
    QTest::qWait(20);
    w.controller.showPage(KindEnergy);
    w.controller.moveEnergyCursor(555);
    const int x = int(40 * w.find<PaintBox>("PaintBox1")->width() / 640.0) + 1;
    QTest::mouseClick(w.find<PaintBox>("PaintBox1"), Qt::LeftButton, {}, QPoint(x, 100));
    EXPECT_LT(w.record().energyCursor, 10);
    EXPECT_FALSE(w.form->cursorDragging());
}

// ---- Dialog commands ------------------------------------------------------------------------

TEST(DialogCommands, InformationSetsTheLock)
{
    Window w;
    w.form->InputInfoClick();
    EXPECT_EQ(w.runner.shown, QStringList{"InfoForm"});
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
}

TEST(DialogCommands, PortDialogNamesTheSimulatorWhileItStandsInForEveryPort)
{
    Window w; // on the simulated instrument: whichever name is chosen, the simulator answers
    QStringList devices;
    w.runner.script = [&](QDialog&) {
        for (QLabel* label : w.find<TPortForm>("PortForm")->devices)
            devices << label->text();
        w.find<TPortForm>("PortForm")->CancelBtn->click();
    };
    w.form->SerialPortClick();
    EXPECT_EQ(devices, QStringList(4, QStringLiteral("→ sim")));

    QTemporaryDir dir; // on the serial ports: each name shows its own device
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    TKORVEXForm form(controller, runner, {dir.path() + QLatin1Char('/'), {}, {}, {}, false});
    runner.messages.clear();
    QString com2;
    runner.script = [&](QDialog&) {
        com2 = find<TPortForm>(form, "PortForm")->devices[1]->toolTip();
        find<TPortForm>(form, "PortForm")->CancelBtn->click();
    };
    form.SerialPortClick();
    EXPECT_EQ(com2, resolvePortDevice(QStringLiteral("COM2")));
}

TEST(DialogCommands, SerialPortAndFilamentLeaveTheLockAlone)
{
    Window w;
    w.form->SerialPortClick();
    w.form->FilamentParaClick();
    EXPECT_EQ(w.runner.shown, (QStringList{"PortForm", "FilamentForm"}));
    EXPECT_FALSE(w.controller.testLocked());
}

// ---- Link alarm ---------------------------------------------------------------------------

TEST(LinkAlarm, ShownWhileTheInstrumentIsSilentAndHiddenWhenItAnswers)
{
    Window w({}, false, {}, QStringLiteral("silent"));
    w.form->show();
    w.form->InputTestClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.find<TAlarmForm>("AlarmForm")->isVisible(); }, 6000));
    EXPECT_EQ(w.find<TAlarmForm>("AlarmForm")->PortLabel->text(), QStringLiteral("COM1 → sim")); // which port
    EXPECT_FALSE(w.controller.testLocked()); // unlocked: the loop keeps trying
    EXPECT_TRUE(w.runner.messages.empty());

    w.controller.setPortSource(simulatedPorts(makeSimInstrument(QString(), false))); // the instrument answers again
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.record().hasInputResult == 1; }, 8000));
    EXPECT_FALSE(w.find<TAlarmForm>("AlarmForm")->isVisible());
}

TEST(LinkAlarm, LockedHandshakeFailureIsAMessageNotTheAlarm)
{
    Window w({}, false, {}, QStringLiteral("silent"));
    w.form->show();
    w.form->InputTestLockBtnClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.runner.messages.empty(); }, 6000));
    EXPECT_EQ(w.runner.messages[0].first, QStringLiteral("通讯联络失败！"));
    EXPECT_FALSE(w.find<TAlarmForm>("AlarmForm")->isVisible());
}

} // namespace
} // namespace korvex
