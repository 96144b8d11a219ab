// The dialogs: filament validation and cancel, the information texts' byte limits, the port
// choice, the wiring picture (and a damaged one), the alarm, the two print dialogs, and file
// dialogs that know files by name only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <QtCore/QBuffer>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include "ScriptedRunner.h"
#include "app/dialogs/Alarm.h"
#include "app/dialogs/Filapara.h"
#include "app/dialogs/FileNameIcons.h"
#include "app/dialogs/Inputinfo.h"
#include "app/dialogs/JpegImage.h"
#include "app/dialogs/Portchoice.h"
#include "app/dialogs/Printchoice.h"
#include "app/dialogs/Printerchoice.h"
#include "app/dialogs/Yrpicture.h"
#include "record/TextCodec.h"

namespace korvex {
namespace {

// Types text key by key as the operator would (keyClicks handles only ASCII).
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// ---- Filament parameters --------------------------------------------------------------------

// The filament dialog on a record with the default parameters Q 7, P 9, F 1.5.
class FilamentDialog : public ::testing::Test {
  protected:
    FilamentDialog()
    {
        r.qPara = 7.0f;
        r.pPara = 9.0f;
        r.fPara = 1.5f;
    }
    /// Shows the dialog, types the texts given (null leaves a box as shown) and presses OK.
    int enter(const char* q, const char* p, const char* f)
    {
        runner.script = [=, this](QDialog&) {
            if (q)
                form.QEdit->setText(QString::fromUtf8(q));
            if (p)
                form.PEdit->setText(QString::fromUtf8(p));
            if (f)
                form.FEdit->setText(QString::fromUtf8(f));
            form.OkBtn->click();
        };
        return runner.exec(form);
    }

    TestRecord r;
    ScriptedRunner runner;
    TFilamentForm form{r, runner};
};

TEST_F(FilamentDialog, ShowsDefaultsInTheirFormatsAndStoresThemUnchanged)
{
    runner.script = [&](QDialog&) {
        EXPECT_EQ(form.QEdit->text(), QStringLiteral("7.00"));
        EXPECT_EQ(form.PEdit->text(), QStringLiteral("9.00"));
        EXPECT_EQ(form.FEdit->text(), QStringLiteral("1.500"));
        r.qPara = r.pPara = r.fPara = 0.0f; // OK must write the shown values back
        form.OkBtn->click();
    };
    EXPECT_EQ(runner.exec(form), QDialog::Accepted);
    EXPECT_FLOAT_EQ(r.qPara, 7.0f);
    EXPECT_FLOAT_EQ(r.pPara, 9.0f);
    EXPECT_FLOAT_EQ(r.fPara, 1.5f);
    EXPECT_TRUE(runner.messages.empty());
}

TEST_F(FilamentDialog, EditedValuesAreStoredTogether)
{
    EXPECT_EQ(enter("6.5", " -2 ", "0"), QDialog::Accepted);
    EXPECT_FLOAT_EQ(r.qPara, 6.5f);
    EXPECT_FLOAT_EQ(r.pPara, -2.0f); // no range check
    EXPECT_FLOAT_EQ(r.fPara, 0.0f);
}

TEST_F(FilamentDialog, LetterForPWithEnterReportsPAndStoresNothing)
{
    runner.script = [&](QDialog&) {
        form.QEdit->setText(QStringLiteral("8"));
        form.PEdit->setText(QStringLiteral("x"));
        form.PEdit->setFocus();
        QTest::keyClick(form.PEdit, Qt::Key_Return);
    };
    EXPECT_EQ(runner.exec(form), QDialog::Accepted); // closes with OK all the same
    ASSERT_EQ(runner.messages.size(), 1u);
    EXPECT_EQ(runner.messages[0].first, QStringLiteral("P值设定错误!"));
    EXPECT_EQ(runner.messages[0].second, QStringLiteral("警告"));
    EXPECT_FLOAT_EQ(r.qPara, 7.0f); // Q was valid but is not stored alone
    EXPECT_FLOAT_EQ(r.pPara, 9.0f);
    EXPECT_FLOAT_EQ(r.fPara, 1.5f);
}

TEST_F(FilamentDialog, OnlyTheFirstBadValueIsReported)
{
    enter("", "abc", "1,5");
    ASSERT_EQ(runner.messages.size(), 1u);
    EXPECT_EQ(runner.messages[0].first, QStringLiteral("Q值设定错误!"));
}

TEST_F(FilamentDialog, BadFIsReportedAfterGoodQAndP)
{
    enter(nullptr, nullptr, "1.5.1");
    ASSERT_EQ(runner.messages.size(), 1u);
    EXPECT_EQ(runner.messages[0].first, QStringLiteral("F值设定错误!"));
}

TEST_F(FilamentDialog, ValueBeyondFloatRangeIsRefused)
{
    enter("1e300", nullptr, nullptr);
    ASSERT_EQ(runner.messages.size(), 1u);
    EXPECT_EQ(runner.messages[0].first, QStringLiteral("Q值设定错误!"));
    EXPECT_FLOAT_EQ(r.qPara, 7.0f);
}

TEST_F(FilamentDialog, CancelKeepsTheValues)
{
    runner.script = [&](QDialog&) {
        form.QEdit->setText(QStringLiteral("1"));
        form.CancelBtn->click();
    };
    EXPECT_EQ(runner.exec(form), QDialog::Rejected);
    EXPECT_FLOAT_EQ(r.qPara, 7.0f);
    EXPECT_TRUE(runner.messages.empty());
}

// ---- Test information -----------------------------------------------------------------------

// The information dialog on an empty record.
class InfoDialog : public ::testing::Test {
  protected:
    TestRecord r;
    ScriptedRunner runner;
    TInfoForm form{r};
};

TEST_F(InfoDialog, ShowsAndStoresCodePage936Texts)
{
    storeText(r.infoName, utf8ToCp936("荧光灯镇流器"));
    storeText(r.infoTemperature, "25");
    runner.script = [&](QDialog&) {
        EXPECT_EQ(form.edits[0]->text(), QStringLiteral("荧光灯镇流器"));
        EXPECT_EQ(form.edits[4]->text(), QStringLiteral("25"));
        form.edits[7]->setText(QStringLiteral("张三"));
        form.OkBtn->click();
    };
    EXPECT_EQ(runner.exec(form), QDialog::Accepted);
    EXPECT_EQ(fieldText(r.infoOperator), utf8ToCp936("张三"));
    EXPECT_EQ(std::strlen(r.infoOperator), 4u); // two bytes per character
    EXPECT_EQ(fieldUtf8(r.infoName), "荧光灯镇流器");
}

TEST_F(InfoDialog, ThirtyFirstCharacterOfTheNameCannotBeTyped)
{
    form.show();
    form.edits[0]->setFocus();
    QTest::keyClicks(form.edits[0], QString(31, QLatin1Char('a')));
    EXPECT_EQ(form.edits[0]->text().size(), 30);
}

TEST_F(InfoDialog, ChineseTextIsLimitedByItsBytes)
{
    form.show();
    QLineEdit* name = form.edits[0]; // 30 bytes: 15 Chinese characters
    name->setFocus();
    typeText(name, QString(16, QChar(0x706F))); // 灯
    EXPECT_EQ(name->text().size(), 15);
    QTest::keyClicks(name, QStringLiteral("a"));
    EXPECT_EQ(name->text().size(), 15);
    form.OkBtnClick();
    EXPECT_EQ(std::strlen(r.infoName), 30u);
    EXPECT_EQ(r.infoName[30], '\0');

    QLineEdit* temperature = form.edits[4]; // 10 bytes
    temperature->clear();
    temperature->setFocus();
    typeText(temperature, QStringLiteral("二十五度左右"));
    EXPECT_EQ(temperature->text(), QStringLiteral("二十五度左"));
    QTest::keyClicks(temperature, QStringLiteral("1"));
    EXPECT_EQ(temperature->text(), QStringLiteral("二十五度左"));
}

// The first character of a field's text is still in view when the text ends at the cursor.
bool wholeTextInView(QLineEdit* edit)
{
    edit->setCursorPosition(int(edit->text().size()));
    edit->repaint(); // the line edit scrolls its text while it paints
    return edit->cursorPositionAt(QPoint(edit->contentsRect().left() + 4, edit->height() / 2)) == 0;
}

TEST_F(InfoDialog, FieldsShowTheirLongestTexts)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.edits[0]->setText(QStringLiteral("ELECTRONIC BALLAST T8-36W 220V")); // 30 characters
    EXPECT_TRUE(wholeTextInView(form.edits[0]));
    form.edits[0]->setText(QStringLiteral("电子镇流器综合性能测试仪器样品")); // 15 characters, 30 bytes
    EXPECT_TRUE(wholeTextInView(form.edits[0]));
    form.edits[6]->setText(QStringLiteral("SHANGHAI LIGHTING ELECTRONICS MANUFACTURING CO LTD")); // 50
    EXPECT_TRUE(wholeTextInView(form.edits[6]));
    form.edits[4]->setText(QStringLiteral("-10.5..+45")); // 10
    EXPECT_TRUE(wholeTextInView(form.edits[4]));
}

TEST_F(InfoDialog, CancelEmptiesTheBoxesAndKeepsTheFields)
{
    storeText(r.infoNo, "A-17");
    runner.script = [&](QDialog&) {
        form.edits[1]->setText(QStringLiteral("B-99"));
        form.CancelBtn->click();
    };
    EXPECT_EQ(runner.exec(form), QDialog::Rejected);
    EXPECT_EQ(fieldText(r.infoNo), "A-17");
    for (QLineEdit* e : form.edits)
        EXPECT_TRUE(e->text().isEmpty());
    runner.script = [&](QDialog&) { EXPECT_EQ(form.edits[1]->text(), QStringLiteral("A-17")); };
    runner.exec(form); // the next showing fills them from the fields again
}

// ---- Serial port ----------------------------------------------------------------------------

struct PortFixture {
    Settings settings;
    int opens = 0;
    QStringList asked;
    ScriptedRunner runner;
    TPortForm form{settings, [this] { ++opens; },
                   [this](const QString& name) {
                       asked << name;
                       return QStringLiteral("/dev/tty") + name.right(1);
                   }};
};

TEST(PortDialog, UnknownNameShowsCom1AndOkSwitchesToIt)
{
    PortFixture f;
    storeText(f.settings.portName, "COM9");
    f.runner.script = [&](QDialog&) {
        EXPECT_EQ(f.form.itemIndex(), 0);
        f.form.OkBtn->click();
    };
    f.runner.exec(f.form);
    EXPECT_STREQ(f.settings.portName, "COM1");
    EXPECT_EQ(f.opens, 1);
}

TEST(PortDialog, ShowsTheCurrentPortAndTheDevicesTheyStandFor)
{
    PortFixture f;
    storeText(f.settings.portName, "COM3");
    f.runner.script = [&](QDialog&) {
        EXPECT_EQ(f.form.itemIndex(), 2);
        EXPECT_EQ(f.form.items[2]->text(), QStringLiteral("COM3"));
        EXPECT_TRUE(f.form.devices[3]->text().contains(QStringLiteral("/dev/tty4")));
        f.form.items[1]->setChecked(true);
        f.form.OkBtn->click();
    };
    f.runner.exec(f.form);
    EXPECT_EQ(f.asked, (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    EXPECT_STREQ(f.settings.portName, "COM2");
    EXPECT_EQ(f.opens, 1);
}

TEST(PortDialog, OkWithTheSamePortReopensIt)
{
    PortFixture f;
    storeText(f.settings.portName, "COM2");
    f.runner.script = [&](QDialog&) { f.form.OkBtn->click(); };
    f.runner.exec(f.form);
    f.runner.exec(f.form);
    EXPECT_STREQ(f.settings.portName, "COM2");
    EXPECT_EQ(f.opens, 2);
}

TEST(PortDialog, CancelChangesNothing)
{
    PortFixture f;
    storeText(f.settings.portName, "COM4");
    f.runner.script = [&](QDialog&) {
        f.form.items[0]->setChecked(true);
        f.form.CancelBtn->click();
    };
    EXPECT_EQ(f.runner.exec(f.form), QDialog::Rejected);
    EXPECT_STREQ(f.settings.portName, "COM4");
    EXPECT_EQ(f.opens, 0);
}

TEST(PortDialog, DeviceHintsAreDrawnInTheNormalTextColour)
{
    PortFixture f;
    f.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form));
    // The darkest pixel of the hint is its text; a disabled label draws it in a pale grey.
    const QImage image = f.form.devices[0]->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    EXPECT_LT(darkest, 80);
}

TEST(PortDialog, KeepsItsSizeWhateverTheDevicesAreCalled)
{
    Settings settings;
    TPortForm form{settings, [] {},
                   [](const QString& name) { return QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_") + name; }};
    ScriptedRunner runner;
    QSize shown;
    runner.script = [&](QDialog&) {
        QTest::qWait(10); // let the layout settle
        shown = form.size();
        const QSize needed = form.layout()->minimumSize(); // nothing is cut off
        EXPECT_LE(needed.width(), 244);
        EXPECT_LE(needed.height(), 173);
        form.CancelBtn->click();
    };
    runner.exec(form);
    EXPECT_EQ(shown, QSize(244, 173));
}

// ---- Wiring picture -------------------------------------------------------------------------

TEST(WiringPicture, BuiltInPictureDecodesAsQtDecodesIt)
{
    const QByteArray jpeg = TPictureForm::wiringJpeg();
    ASSERT_FALSE(jpeg.isEmpty());
    const QImage ours = decodeJpeg(jpeg);
    ASSERT_FALSE(ours.isNull());
    EXPECT_EQ(ours.size(), QSize(355, 245));
    const QImage qts = QImage::fromData(jpeg, "JPG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(qts.size(), ours.size());
    EXPECT_EQ(ours, qts); // same decoder underneath: row order and colour layout must match
}

TEST(WiringPicture, TruncatedPictureIsRejected)
{
    const QByteArray jpeg = TPictureForm::wiringJpeg();
    EXPECT_TRUE(decodeJpeg(jpeg.left(jpeg.size() / 2)).isNull());
    EXPECT_TRUE(decodeJpeg(jpeg.left(100)).isNull());
    EXPECT_TRUE(decodeJpeg(QByteArray("not a picture at all")).isNull());
    EXPECT_TRUE(decodeJpeg(QByteArray()).isNull());
}

TEST(WiringPicture, DialogWithDamagedPictureStillOffersItsButtons)
{
    const QByteArray jpeg = TPictureForm::wiringJpeg();
    TPictureForm damaged(jpeg.left(jpeg.size() / 3));
    EXPECT_FALSE(damaged.hasPicture());
    EXPECT_EQ(damaged.Label1->text(), QStringLiteral("预热能量测试请按下图接线！"));
    ScriptedRunner runner;
    runner.script = [&](QDialog&) { damaged.TestBtn->click(); };
    EXPECT_EQ(runner.exec(damaged), QDialog::Accepted);
}

TEST(WiringPicture, DialogShowsPictureAndEndsWithItsButtons)
{
    TPictureForm form;
    EXPECT_TRUE(form.hasPicture());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("预热能量测试接线图"));
    EXPECT_EQ(form.TestBtn->text(), QStringLiteral("测试"));
    ScriptedRunner runner;
    runner.script = [&](QDialog&) { form.CancelBtn->click(); };
    EXPECT_EQ(runner.exec(form), QDialog::Rejected);
    runner.script = [&](QDialog&) { form.TestBtn->click(); };
    EXPECT_EQ(runner.exec(form), QDialog::Accepted);
}

// ---- Alarm ----------------------------------------------------------------------------------

TEST(AlarmWindow, OperatorCannotCloseIt)
{
    TAlarmForm alarm;
    EXPECT_FALSE(alarm.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    alarm.setAlarmVisible(true);
    EXPECT_TRUE(alarm.isVisible());
    EXPECT_EQ(alarm.size(), QSize(272, 132));
    EXPECT_FALSE(alarm.isModal());
    alarm.close();
    QTest::keyClick(&alarm, Qt::Key_Escape);
    EXPECT_TRUE(alarm.isVisible());
    alarm.setAlarmVisible(true); // again: nothing changes
    EXPECT_TRUE(alarm.isVisible());
    alarm.setAlarmVisible(false);
    EXPECT_FALSE(alarm.isVisible());
    EXPECT_EQ(alarm.Label1->text(), QStringLiteral("通讯联络失败，请检查！"));
}

TEST(AlarmWindow, ComesBackWhenShownAgainAfterTheWindowManagerMinimisedIt)
{
    TAlarmForm alarm;
    alarm.setAlarmVisible(true);
    alarm.showMinimized(); // a minimise button drawn by the window manager all the same
    ASSERT_TRUE(alarm.isMinimized());
    alarm.setAlarmVisible(true); // the next failed handshake
    EXPECT_FALSE(alarm.isMinimized());
    EXPECT_TRUE(alarm.isVisible());
}

// ---- Title bars -----------------------------------------------------------------------------

// The title-bar buttons a dialog asks the window manager for, and whether it keeps its size
// (a fixed size also takes away the window manager's maximise).
struct TitleBar {
    bool minimise, maximise, close, fixed;
};

TitleBar titleBar(QDialog& dialog)
{
    dialog.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const Qt::WindowFlags f = dialog.windowFlags();
    TitleBar t{f.testFlag(Qt::WindowMinimizeButtonHint), f.testFlag(Qt::WindowMaximizeButtonHint),
               f.testFlag(Qt::WindowCloseButtonHint), dialog.minimumSize() == dialog.maximumSize()};
    dialog.hide();
    return t;
}

TEST(TitleBars, EachDialogAsksForItsButtonsAndKeepsItsSize)
{
    PortFixture port; // system menu (with its close button) and minimise
    const TitleBar p = titleBar(port.form);
    EXPECT_TRUE(p.minimise && p.close && p.fixed && !p.maximise);
    EXPECT_TRUE(port.form.windowFlags().testFlag(Qt::WindowSystemMenuHint));

    TAlarmForm alarm; // nothing to press
    const TitleBar a = titleBar(alarm);
    EXPECT_TRUE(!a.minimise && !a.maximise && !a.close && a.fixed);

    int32_t selection[6] = {};
    const int32_t current = 0;
    TPrintForm print(selection, current); // left only with its button
    const TitleBar pc = titleBar(print);
    EXPECT_TRUE(!pc.minimise && !pc.maximise && !pc.close && pc.fixed);

    TestRecord r;
    ScriptedRunner runner;
    int family = 0;
    TInfoForm info(r);
    TFilamentForm filament(r, runner);
    TPrinterForm printer(family);
    TPictureForm picture;
    for (QDialog* d : std::initializer_list<QDialog*>{&info, &filament, &printer, &picture}) {
        const TitleBar t = titleBar(*d); // closing is cancelling; nothing to enlarge
        EXPECT_TRUE(t.close && !t.minimise && !t.maximise && t.fixed) << d->objectName().toStdString();
    }
}

// ---- Print dialogs --------------------------------------------------------------------------

TEST(PrintChoice, TicksTheKindsWithResultsAndTakesTheEditedBoxes)
{
    int32_t selection[6] = {1, 1, 0, 0, 0, 0};
    int32_t current = 2;
    TPrintForm form(selection, current);
    ScriptedRunner runner;
    runner.script = [&](QDialog&) {
        EXPECT_TRUE(form.AllItem->isChecked()); // the default choice
        EXPECT_TRUE(form.AllFaceBox->isVisible());
        EXPECT_TRUE(form.boxes[0]->isChecked());
        EXPECT_TRUE(form.boxes[1]->isChecked());
        EXPECT_FALSE(form.boxes[2]->isChecked());
        form.boxes[0]->setChecked(false);
        form.boxes[5]->setChecked(true);
        form.OkBtn->click();
    };
    EXPECT_EQ(runner.exec(form), QDialog::Accepted);
    const int32_t expected[6] = {0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(selection[i], expected[i]) << i;
}

TEST(PrintChoice, CurrentPageSelectsExactlyTheCurrentKind)
{
    int32_t selection[6] = {1, 1, 1, 0, 0, 0};
    int32_t current = 4; // no result of its own, printed all the same
    TPrintForm form(selection, current);
    ScriptedRunner runner;
    runner.script = [&](QDialog&) {
        form.CurrentItem->click();
        EXPECT_FALSE(form.AllFaceBox->isVisible());
        form.reject(); // Escape does not leave it
        EXPECT_TRUE(form.isVisible());
        form.OkBtn->click();
    };
    runner.exec(form);
    const int32_t expected[6] = {0, 0, 0, 1, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(selection[i], expected[i]) << i;
}

TEST(PrinterChoice, OkTakesTheFamilyAndCancelKeepsIt)
{
    int family = 0;
    TPrinterForm form(family);
    ScriptedRunner runner;
    runner.script = [&](QDialog&) {
        EXPECT_TRUE(form.items[0]->isChecked());
        form.items[1]->setChecked(true);
        form.OkBtn->click();
    };
    runner.exec(form);
    EXPECT_EQ(family, 1);
    runner.script = [&](QDialog&) {
        EXPECT_TRUE(form.items[1]->isChecked());
        form.items[0]->setChecked(true);
        form.CancelBtn->click();
    };
    runner.exec(form);
    EXPECT_EQ(family, 1);
}

TEST(FileDialogs, knowFilesByTheirNamesAloneIncludingTheDialogsQtOpensItself)
{
    // A file whose name says nothing: its type could only come from reading it.
    QTemporaryDir dir;
    QFile pdf(dir.filePath(QStringLiteral("report")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    pdf.close();
    const QFileInfo info(pdf.fileName());
    ASSERT_EQ(QFileIconProvider().type(info), QStringLiteral("PDF document")); // Qt reads it
    EXPECT_NE(FileNameIcons().type(info), QStringLiteral("PDF document"));
    EXPECT_FALSE(FileNameIcons().icon(info).isNull());

    // A dialog Qt creates on its own (the print dialog's file choice) is shown with them too.
    listAllFileDialogsByNameOnly(*qApp);
    QFileDialog dialog(nullptr, QString(), dir.path());
    dialog.show();
    EXPECT_NE(dynamic_cast<const FileNameIcons*>(dialog.iconProvider()), nullptr);
}

} // namespace
} // namespace korvex
