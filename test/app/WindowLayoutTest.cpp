// The main window's layout and start-up: caption, tool bar, menus, file dialogs, the
// configuration it starts from, a port that cannot be opened, Qt's own texts, and the keys.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

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
    EXPECT_TRUE(w.runner.messages.empty());
}

TEST(WindowStartUp, PortFailureIsOnlyReported)
{
    QTemporaryDir dir;
    Controller controller{evaluateKind};
    controller.setPortSource(PortSource(makeSerialPort, dir.filePath(QStringLiteral("no-such-tty"))));
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

} // namespace
} // namespace korvex
