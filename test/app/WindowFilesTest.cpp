// The main window's files: a data file given at start, open, store and export, and the file
// dialogs.
#include "WindowTestSupport.h"

namespace korvex {
namespace {

// ---- Data files -----------------------------------------------------------------------------

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

} // namespace
} // namespace korvex
