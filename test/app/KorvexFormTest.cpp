// The main window on the simulated instrument: its widgets and menus, every command's effect
// on the loop state and the lock button, the option check marks, page browsing, cursor input,
// the file, export and print commands, a data file given at start, and closing during a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QSet>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTranslator>
#include <QtGui/QAction>
#include <QtGui/QScreen>
#include <QtGui/QShortcut>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QCompleter>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>

#include "ScriptedRunner.h"
#include "app/canvas/ScreenCanvas.h"
#include "app/dialogs/Alarm.h"
#include "app/dialogs/Inputinfo.h"
#include "app/dialogs/Portchoice.h"
#include "app/dialogs/Printchoice.h"
#include "app/dialogs/Yrpicture.h"
#include "app/window/KorvexForm.h"
#include "app/window/PaintBox.h"
#include "app/window/ProgressBar.h"
#include "app/window/QtTranslations.h"
#include "app/window/StatusPanel.h"
#include "kinds/Evaluate.h"
#include "kinds/Pages.h"
#include "kinds/StarttestPage.h"
#include "link/Controller.h"
#include "link/PortDevice.h"
#include "record/DataFile.h"
#include "record/TextCodec.h"

namespace korvex {
namespace {

// A widget of the window, found by the object name the operator's manual gives it.
template <class T> T* find(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child)
        ADD_FAILURE() << "no " << name;
    return child;
}

struct Window {
    explicit Window(const QString& dataFile = {}, bool paced = false, const QString& dir = {},
                    const QString& fault = {})
    {
        controller.useSimulator(QString(), paced, fault);
        TKORVEXForm::StartOptions options;
        options.programDir = (dir.isEmpty() ? temp.path() : dir) + QLatin1Char('/');
        options.dataFile = dataFile;
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
    }
    TestRecord& record() { return controller.record(); }
    template <class T> T* find(const char* name) const { return korvex::find<T>(*form, name); }
    QString path(const char* name) const { return temp.filePath(QLatin1String(name)); }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
};

QStringList menuEntries(const QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("|") : a->text());
    return out;
}

// ---- Widgets and menus ----------------------------------------------------------------------

TEST(WindowLayout, CaptionToolBarOrderAndHints)
{
    Window w;
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Tarvane  KORVEX电子镇流器综合性能测试仪"));
    EXPECT_EQ(w.form->minimumSize(), QSize(640, 480));
    QStringList order;
    for (QAction* a : w.find<QToolBar>("Panel1")->actions()) {
        if (a->isSeparator()) {
            order << QStringLiteral("|");
            continue;
        }
        QWidget* widget = w.find<QToolBar>("Panel1")->widgetForAction(a);
        if (widget && !widget->objectName().isEmpty())
            order << widget->objectName();
    }
    EXPECT_EQ(order.join(' '), QStringLiteral("InputTestBtn CurrentBtn OutputTestBtn CompTestBtn StartTestBtn "
                                              "EnergyBtn | LockTestBtn | InputTestLockBtn PhaseTestLockBtn "
                                              "OutputTestLockBtn CompTestLockBtn | BackBtn NextBtn | PrintBtn | "
                                              "ExitBtn ProgressBar1"));
    // The hint, then the key when the button has one.
    EXPECT_EQ(w.find<QToolButton>("EnergyBtn")->toolTip(), QStringLiteral("预热能量测试 (Ctrl+6)"));
    EXPECT_EQ(w.find<QToolButton>("PhaseTestLockBtn")->toolTip(), QStringLiteral("相位角单次测试"));
    EXPECT_EQ(w.find<QToolButton>("LockTestBtn")->toolTip(), QStringLiteral("测试锁定 (Ctrl+L)"));
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isCheckable());
    // Like flat speed buttons they never take the focus: no focus frame that could pass for a
    // pressed lock, and Space cannot repeat the last command.
    for (QToolButton* b : w.find<QToolBar>("Panel1")->findChildren<QToolButton*>()) {
        if (!b->objectName().isEmpty()) {
            EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();
        }
    }
    EXPECT_EQ(w.find<QToolButton>("InputTestBtn")->iconSize(), QSize(24, 24));
    EXPECT_FALSE(w.find<QToolButton>("InputTestBtn")->icon().isNull());
    EXPECT_EQ(w.find<QProgressBar>("ProgressBar1")->width(), 173);
    EXPECT_EQ(w.find<QProgressBar>("ProgressBar1")->maximum(), 100);
}

TEST(WindowLayout, ProgressBarStaysAtTheRightEnd)
{
    Window w;
    w.form->resize(900, 600);
    w.form->show();
    QTest::qWait(20);
    const int gap = w.find<QToolBar>("Panel1")->width() - w.find<QProgressBar>("ProgressBar1")->geometry().right();
    w.form->resize(1200, 600);
    QTest::qWait(20);
    EXPECT_EQ(w.find<QToolBar>("Panel1")->width() - w.find<QProgressBar>("ProgressBar1")->geometry().right(), gap);
    EXPECT_LT(gap, 20);
}

TEST(WindowLayout, MenusWithCaptionsAndSeparators)
{
    Window w;
    EXPECT_EQ(menuEntries(w.find<QMenu>("File")),
              (QStringList{"打开文件&O", "存盘&S", "导出Excel数据 &E", "|", "打印&P", "|", "退出&X"}));
    EXPECT_EQ(menuEntries(w.find<QMenu>("Test")),
              (QStringList{"输入性能测试&I", "相位角测试&C", "输出性能测试&O", "综合性能测试&W", "启动性能测试&S",
                           "预热能量 &E", "|", "锁定&L"}));
    EXPECT_EQ(menuEntries(w.find<QMenu>("C1")), (QStringList{"总谐波计算 &", "测试频带 &", "语言选择 &", "|",
                                                             "串口选择&P", "|", "前一项&B", "后一项&N"}));
    EXPECT_EQ(menuEntries(w.find<QMenu>("HanZi")), (QStringList{"中文 &C", "English &E"}));
    EXPECT_EQ(menuEntries(w.find<QMenu>("Information")), (QStringList{"输入信息&I", "|", "灯丝参数 &"}));
}

// The filter entries as the operator reads them in a file dialog's type box.
QStringList visibleFilters(QFileDialog* dialog)
{
    QStringList out;
    if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
    return out;
}

TEST(WindowLayout, FileDialogsTitlesFiltersAndExtensions)
{
    Window w;
    EXPECT_EQ(w.find<QFileDialog>("SaveDialog1")->windowTitle(), QStringLiteral("保存测试数据"));
    EXPECT_EQ(w.find<QFileDialog>("OpenDialog1")->windowTitle(), QStringLiteral("打开数据文件"));
    EXPECT_EQ(w.find<QFileDialog>("SaveDialog1")->defaultSuffix(), QStringLiteral("kvx"));
    EXPECT_EQ(w.find<QFileDialog>("OpenDialog1")->defaultSuffix(), QStringLiteral("kvx"));
    EXPECT_EQ(w.find<QFileDialog>("SaveDialog2")->defaultSuffix(), QStringLiteral("csv"));
    EXPECT_FALSE(w.find<QFileDialog>("SaveDialog1")->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_FALSE(w.find<QFileDialog>("SaveDialog2")->testOption(QFileDialog::DontConfirmOverwrite));
    // The type boxes read as the filter texts themselves, without Qt's pattern suffix.
    EXPECT_EQ(visibleFilters(w.find<QFileDialog>("SaveDialog1")), (QStringList{"*.kvx", "*.*"}));
    EXPECT_EQ(visibleFilters(w.find<QFileDialog>("OpenDialog1")), (QStringList{"*.kvx", "*.*"}));
    EXPECT_EQ(visibleFilters(w.find<QFileDialog>("SaveDialog2")),
              (QStringList{"Text File(*.csv,*.txt)", "All Files(*.*)"}));
    // The patterns still choose the files.
    EXPECT_EQ(w.find<QFileDialog>("SaveDialog2")->nameFilters().first(),
              QStringLiteral("Text File(*.csv,*.txt) (*.csv)"));
}

TEST(WindowStartUp, WritesTheDefaultConfigurationAndFollowsIt)
{
    Window w;
    EXPECT_TRUE(QFile::exists(w.path("KORVEX.cfg")));
    EXPECT_EQ(w.record().chinese, 1); // the defaults: Chinese, narrow band, IEC
    EXPECT_TRUE(w.find<QAction>("Chinese")->isChecked());
    EXPECT_TRUE(w.find<QAction>("Narrow")->isChecked());
    EXPECT_TRUE(w.find<QAction>("IECThd")->isChecked());
    EXPECT_FLOAT_EQ(w.record().qPara, 7.0f);
    EXPECT_EQ(w.controller.pendingTest(), 0); // no test starts by itself
    EXPECT_FALSE(w.controller.timer1Active());
    EXPECT_TRUE(w.runner.messages.empty());
}

TEST(WindowStartUp, PortFailureIsOnlyReported)
{
    QTemporaryDir dir;
    Controller controller{evaluateKind};
    controller.useDevice(dir.filePath(QStringLiteral("no-such-tty")));
    ScriptedRunner runner;
    TKORVEXForm form(controller, runner, {dir.path() + QLatin1Char('/'), {}, {}, {}, false});
    ASSERT_EQ(runner.messages.size(), 1u);
    // The text as it stands, then which port, on which device, and the system's reason.
    const QStringList lines = runner.messages[0].first.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("打开通讯口失败！"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("COM1: "))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(dir.filePath(QStringLiteral("no-such-tty")))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("No such file or directory"))) << lines[1].toStdString();
    EXPECT_EQ(runner.messages[0].second, QStringLiteral("警告！"));
    EXPECT_EQ(find<TPortForm>(form, "PortForm")->objectName(),
              QStringLiteral("PortForm")); // dialogs exist all the same
}

TEST(WindowStartUp, OptionsComeBackFromTheConfigurationAtTheNextStart)
{
    QTemporaryDir dir;
    {
        Window w({}, false, dir.path());
        w.form->EnglishClick();
        w.form->CSAThdClick();
        w.form->WideClick();
        w.form->show();
        w.form->ExitClick();
        EXPECT_FALSE(w.form->isVisible());
    }
    Window again({}, false, dir.path());
    EXPECT_TRUE(again.find<QAction>("English")->isChecked());
    EXPECT_TRUE(again.find<QAction>("CSAThd")->isChecked());
    EXPECT_TRUE(again.find<QAction>("Wide")->isChecked());
    EXPECT_EQ(again.record().chinese, 0);
}

TEST(WindowStartUp, DataFileArgumentSkipsOptions)
{
    EXPECT_EQ(TKORVEXForm::dataFileArgument({"korvex", "--simulator", "--scenario", "pfc", "a.kvx", "b.kvx"}),
              QStringLiteral("a.kvx"));
    EXPECT_EQ(TKORVEXForm::dataFileArgument({"korvex", "--simulator"}), QString());
    EXPECT_EQ(TKORVEXForm::dataFileArgument({"korvex", "x.kvx", "--simulator"}), QStringLiteral("x.kvx"));
}

// ---- Test commands and the lock -------------------------------------------------------------

TEST(TestCommands, MeasuringCommandResetsReleasesTheLockAndQueuesTheKind)
{
    Window w;
    w.find<QToolButton>("LockTestBtn")->click();
    ASSERT_TRUE(w.controller.testLocked());
    w.record().Fout = 42.0f;
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
    w.record().resultsShown = 1;
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

// ---- Data files -----------------------------------------------------------------------------

QString writeSample(const QString& path)
{
    TestRecord r;
    resetAllResults(r);
    r.currentTest = KindOutput;
    r.chinese = 0;
    r.thdCsa = 1;
    r.wideBand = 1;
    r.hasOutputResult = 1;
    r.Fout = 42.5f;
    storeText(r.infoName, utf8ToCp936("镇流器"));
    EXPECT_TRUE(writeDataFile(path.toStdString(), r).ok);
    return path;
}

TEST(DataFiles, FileGivenAtStartShowsItsPageWithItsOptions)
{
    QTemporaryDir dir;
    const QString file = writeSample(dir.filePath(QStringLiteral("ballast.kvx")));
    Window w(file);
    w.form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.record().currentTest == KindOutput; }, 2000));
    EXPECT_FLOAT_EQ(w.record().Fout, 42.5f);
    EXPECT_EQ(w.record().resultsShown, 1);
    EXPECT_TRUE(w.find<QAction>("English")->isChecked());
    EXPECT_TRUE(w.find<QAction>("CSAThd")->isChecked());
    EXPECT_TRUE(w.find<QAction>("Wide")->isChecked());
    EXPECT_EQ(fieldUtf8(w.record().infoName), "镇流器");
    EXPECT_TRUE(w.runner.messages.empty());
}

TEST(DataFiles, UnknownTagIsRejectedAndTheMarksAreResynchronised)
{
    Window w;
    QFile bad(w.path("bad.kvx"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("korvex-3.2") + QByteArray(23119, '\0'));
    bad.close();
    w.find<QAction>("CSAThd")->setChecked(true); // out of step with thdCsa 0
    w.runner.fileAnswers = {w.path("bad.kvx")};
    w.form->OpenFileClick();
    ASSERT_EQ(w.runner.messages.size(), 1u);
    EXPECT_EQ(w.runner.messages[0].first, QStringLiteral("数据文件格式错误!"));
    EXPECT_EQ(w.runner.messages[0].second, QStringLiteral("警告"));
    EXPECT_TRUE(w.find<QAction>("IECThd")->isChecked());
    EXPECT_EQ(w.record().currentTest, 0);
}

TEST(DataFiles, MissingFileIsReported)
{
    Window w;
    w.form->openDataFile(w.path("missing.kvx"));
    ASSERT_EQ(w.runner.messages.size(), 1u);
    EXPECT_EQ(w.runner.messages[0].first, QStringLiteral("打开数据文件失败!"));
}

TEST(DataFiles, OpenSetsTheLockEvenWhenCancelled)
{
    Window w;
    w.form->OpenFileClick();
    EXPECT_EQ(w.runner.shown, QStringList{"OpenDialog1"});
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
}

TEST(DataFiles, StoreDoesNothingBeforeAPageWasShown)
{
    Window w;
    w.runner.fileAnswers = {w.path("never.kvx")};
    w.form->StoreFileClick();
    EXPECT_TRUE(w.runner.shown.isEmpty());
    EXPECT_FALSE(w.controller.testLocked());
    EXPECT_FALSE(QFile::exists(w.path("never.kvx")));
}

TEST(DataFiles, StoreShowsTheInformationThenSavesEvenAfterCancel)
{
    Window w;
    w.form->NextClick(); // input page
    w.runner.script = [&](QDialog& d) {
        auto* info = qobject_cast<TInfoForm*>(&d);
        ASSERT_NE(info, nullptr);
        info->CancelBtn->click();
    };
    w.runner.fileAnswers = {w.path("stored.kvx")};
    w.form->StoreFileClick();
    EXPECT_EQ(w.runner.shown, (QStringList{"InfoForm", "SaveDialog1"}));
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_EQ(QFile(w.path("stored.kvx")).size(), qint64(kDataFileSize32));
    EXPECT_TRUE(w.runner.messages.empty());

    // Stored and opened again, the page and the options come back.
    w.form->EnglishClick();
    w.form->openDataFile(w.path("stored.kvx"));
    EXPECT_EQ(w.record().currentTest, KindInput);
    EXPECT_TRUE(w.find<QAction>("Chinese")->isChecked());
}

TEST(DataFiles, StoreFailureIsReported)
{
    Window w;
    w.form->NextClick();
    w.runner.fileAnswers = {w.path("no-folder/stored.kvx")};
    w.form->StoreFileClick();
    ASSERT_EQ(w.runner.messages.size(), 1u);
    // The fixed text first, then the file and the system's reason.
    EXPECT_EQ(w.runner.messages[0].first, QStringLiteral("存数据失败!\n") + w.path("no-folder/stored.kvx") +
                                              QStringLiteral(": No such file or directory"));
}

TEST(DataFiles, ExportWritesTwoLinesAndLeavesTheLockAlone)
{
    Window w;
    w.runner.fileAnswers = {w.path("values.csv")};
    w.form->ExportExcelClick();
    EXPECT_EQ(w.runner.shown, QStringList{"SaveDialog2"});
    EXPECT_FALSE(w.controller.testLocked());
    QFile f(w.path("values.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines ended by CR LF
    EXPECT_TRUE(lines[0].startsWith("Urms(V),Irms(A),"));
    EXPECT_TRUE(lines[1].startsWith("0.0,0.000,0.000,0.0,"));

    w.runner.fileAnswers = {w.path("no-folder/values.csv")};
    w.form->ExportExcelClick();
    ASSERT_EQ(w.runner.messages.size(), 1u);
    EXPECT_EQ(w.runner.messages[0].first, QStringLiteral("Export data failure!\n") + w.path("no-folder/values.csv") +
                                              QStringLiteral(": No such file or directory"));
    EXPECT_EQ(w.runner.messages[0].second, QStringLiteral("Notice"));
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
    w.record().currentTest = KindStart;
    w.record().cursorIndex = 0;
    w.form->FormKeyDown(Qt::Key_Left);
    EXPECT_EQ(w.record().cursorIndex, 299);
    EXPECT_FLOAT_EQ(w.record().cursorTime, 299.0f * 5.0f / 300.0f);
    w.form->FormKeyDown(Qt::Key_Up);
    EXPECT_EQ(w.record().cursorIndex, 299);
    w.record().currentTest = KindInput;
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

    w.record().currentTest = KindStart;
    w.form->PaintBox1MouseDown(x1);
    EXPECT_TRUE(w.form->cursorDragging());
    const int32_t index = w.record().cursorIndex;
    EXPECT_GT(index, 0);
    w.form->PaintBox1MouseMove(x2);
    EXPECT_EQ(w.record().cursorIndex, index);
    w.form->PaintBox1MouseUp();
    EXPECT_FALSE(w.form->cursorDragging());

    w.record().currentTest = KindEnergy;
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
    w.record().currentTest = KindEnergy;
    w.record().energyCursor = 555;
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
    w.record().chinese = 1;
    w.record().hasInputResult = 1;
    w.record().hasPhaseResult = 1;
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
    w.record().chinese = 0;
    w.record().hasCompResult = 1;
    w.record().hasStartResult = 1;
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

    w.controller.useSimulator(QString(), false); // the instrument answers again
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

// ---- Keyboard -------------------------------------------------------------------------------

TEST(Keyboard, ShortcutsRunTheirCommands)
{
    Window w;
    w.form->show();
    w.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
    w.form->NextClick(); // a page to store
    QTest::keyClick(w.form.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(w.controller.pendingTest(), KindOutput);
    QTest::keyClick(w.form.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(w.controller.testLocked());
    EXPECT_TRUE(w.find<QToolButton>("LockTestBtn")->isChecked());
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(w.form.get(), Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier); // a page is current: store asks
    EXPECT_EQ(w.runner.shown, (QStringList{"OpenDialog1", "SaveDialog2", "InfoForm", "SaveDialog1"}));
}

TEST(Keyboard, NoKeyIsTakenTwiceAndTheMenuLettersStayTheMenus)
{
    Window w;
    QStringList keys;
    for (QMenu* menu : w.form->menuBar()->findChildren<QMenu*>())
        for (QAction* a : menu->actions())
            if (!a->shortcut().isEmpty())
                keys << a->shortcut().toString();
    for (QShortcut* s : w.form->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly))
        keys << s->key().toString();
    EXPECT_EQ(keys.size(), 13); // the six tests, lock, open, store, export, print and two arrows
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    for (const QString& k : keys)
        EXPECT_FALSE(k.contains(QStringLiteral("Alt"))) << k.toStdString();
}

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

// ---- File dialogs ---------------------------------------------------------------------------

TEST(FileDialogs, TheCompletionListClosesWithTheDialog)
{
    Window w;
    writeSample(w.path("ballast.kvx"));
    auto* dialog = w.find<QFileDialog>("OpenDialog1");
    dialog->setDirectory(w.temp.path());
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, QStringLiteral("ballast.kvx"));
    QAbstractItemView* list = name->completer() ? name->completer()->popup() : nullptr;
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 3000));
    QTest::keyClick(name, Qt::Key_Return); // the typed name is taken
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 2000));
    QTest::qWait(100);
    EXPECT_FALSE(list->isVisible());
}

// ---- Qt's own texts ---------------------------------------------------------------------------

TEST(QtTexts, StandardButtonsReadChineseOnceTheTranslationIsInstalled)
{
    QMessageBox before(QMessageBox::Warning, QStringLiteral("警告"), QStringLiteral("x"), QMessageBox::Ok);
    EXPECT_EQ(before.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("OK"));
    QTranslator* translator = installQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's Chinese translation (qt6-translations-l10n) is missing";
    QMessageBox after(QMessageBox::Warning, QStringLiteral("警告"), QStringLiteral("x"), QMessageBox::Ok);
    EXPECT_EQ(after.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_TRUE(lookIn->text().startsWith(QStringLiteral("查找范围"))) << lookIn->text().toStdString();
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

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
    EXPECT_TRUE(w.controller.closeRequested());
    EXPECT_TRUE(w.controller.timer2Active());
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
    EXPECT_FALSE(w.controller.timer1Active());
}

} // namespace
} // namespace korvex
