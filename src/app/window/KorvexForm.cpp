// TKORVEXForm: the main window, its start-up and closing, and the handlers of its commands.
#include "app/window/KorvexForm.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include <QtCore/QFile>
#include <QtCore/QTimer>
#include <QtGui/QActionGroup>
#include <QtGui/QCloseEvent>
#include <QtGui/QKeySequence>
#include <QtGui/QPainter>
#include <QtGui/QShortcut>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QCompleter>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>

#include "app/canvas/PrintPages.h"
#include "app/canvas/ScreenCanvas.h"
#include "app/dialogs/Alarm.h"
#include "app/dialogs/DialogRunner.h"
#include "app/dialogs/Filapara.h"
#include "app/dialogs/FileNameIcons.h"
#include "app/dialogs/Inputinfo.h"
#include "app/dialogs/Portchoice.h"
#include "app/dialogs/Printchoice.h"
#include "app/dialogs/Printerchoice.h"
#include "app/dialogs/Resources.h"
#include "app/dialogs/Yrpicture.h"
#include "app/window/PaintBox.h"
#include "app/window/ProgressBar.h"
#include "app/window/StatusPanel.h"
#include "app/window/VerdictPanel.h"
#include "kinds/CursorInput.h"
#include "kinds/Pages.h"
#include "kinds/StarttestPage.h"
#include "link/Controller.h"
#include "link/PortDevice.h"
#include "record/DataFile.h"
#include "record/Spreadsheet.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QIcon glyph(const char* name)
{
    return QIcon(QStringLiteral(":/korvex/glyphs/%1.png").arg(QLatin1String(name)));
}

} // namespace

TKORVEXForm::TKORVEXForm(Controller& controller, DialogRunner& runner, const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), controller_(controller), runner_(runner), programDir_(options.programDir),
      limitsDir_(options.limitsDir.isEmpty() ? options.programDir : options.limitsDir),
      dataDir_(options.dataDir.isEmpty() ? options.programDir : options.dataDir), plantLimits_(options.plantLimits),
      startFile_(options.dataFile), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      entries_(std::make_unique<TestRecord>())
{
    initKorvexResources();
    setObjectName(QStringLiteral("KORVEXForm"));
    setWindowTitle(QStringLiteral("Tarvane  KORVEX电子镇流器综合性能测试仪"));
    setMinimumSize(640, 480);

    buildToolBar();
    buildMenus();

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    PaintBox1 = new PaintBox;
    PaintBox1->setRenderer([this](ScreenCanvas& canvas) { renderPage(canvas); });
    ScrollBox1->setWidget(PaintBox1);
    setCentralWidget(ScrollBox1);
    connect(PaintBox1, &PaintBox::mouseDown, this, [this](int x, int) { PaintBox1MouseDown(x); });
    connect(PaintBox1, &PaintBox::mouseMoved, this, [this](int x, int) { PaintBox1MouseMove(x); });
    connect(PaintBox1, &PaintBox::mouseUp, this, [this](int, int) { PaintBox1MouseUp(); });
    // The arrows move the start page cursor wherever the focus is in the window.
    auto* left = new QShortcut(QKeySequence(Qt::Key_Left), this);
    connect(left, &QShortcut::activated, this, [this] { FormKeyDown(Qt::Key_Left); });
    auto* right = new QShortcut(QKeySequence(Qt::Key_Right), this);
    connect(right, &QShortcut::activated, this, [this] { FormKeyDown(Qt::Key_Right); });

    StatusBar1 = new StatusPanel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBar1, 1);
    statusBar()->setSizeGripEnabled(false);

    buildFileDialogs();
    connectController();
    // The window shows the pages: the controller brings what the page shown needs up to date.
    controller_.setPagePreparation(prepareShownPage);

    // Start-up: configuration (written with its defaults when there is none), results, port.
    loadSettings();
    syncOptionMarks();
    buildDialogs();
    controller_.openPort(); // a failure is only reported; the window starts all the same

    // The verdict panel shows the judgement the results log keeps (LogControls gives it the
    // judge); its menu shows and hides it.
    verdictPanel_ = new VerdictPanel(controller_, this);
    addDockWidget(Qt::RightDockWidgetArea, verdictPanel_);
    verdictPanel_->hide();
    QAction* verdictToggle = verdictPanel_->toggleViewAction();
    verdictToggle->setObjectName(QStringLiteral("VerdictPanelToggle"));
    verdictMenu_ = menuBar()->addMenu(QString());
    verdictMenu_->setObjectName(QStringLiteral("VerdictMenu"));
    verdictMenu_->addAction(verdictToggle);
    syncOptionMarks(); // names the menu in the pages' language
}

TKORVEXForm::~TKORVEXForm() = default;

void TKORVEXForm::loadSettings()
{
    // Read over a copy of the record: the controller takes the port name, the display options
    // and the operator's entries from it (the results are reset already).
    auto configured = std::make_unique<TestRecord>(record());
    Settings settings;
    loadConfiguration(localPath(programDir_), CfgMemo, *configured, settings);
    controller_.setPortName(QString::fromLatin1(fieldText(settings.portName).c_str()));
    controller_.setDisplayOptions(displayOptions(*configured));
    controller_.takeEntries(*configured);
}

const TestRecord& TKORVEXForm::record() const
{
    return controller_.record();
}

QString TKORVEXForm::dataFileArgument(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--scenario")) {
            ++i; // its value is not a data file
            continue;
        }
        if (!a.startsWith(QLatin1String("--")))
            return a;
    }
    return {};
}

void TKORVEXForm::buildToolBar()
{
    Panel1 = new QToolBar(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMovable(false);
    Panel1->setFloatable(false);
    Panel1->setIconSize(QSize(24, 24));
    Panel1->setFixedHeight(28 + 4);
    Panel1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, Panel1);

    auto button = [this](const char* name, const char* hint, QIcon icon, void (TKORVEXForm::*handler)()) {
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(icon);
        b->setIconSize(QSize(24, 24));
        b->setAutoRaise(true);          // flat
        b->setFocusPolicy(Qt::NoFocus); // a speed button: no focus frame, no Space key
        Panel1->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    InputTestBtn = button("InputTestBtn", "输入性能测试", glyph("input"), &TKORVEXForm::InputTestClick);
    CurrentBtn = button("CurrentBtn", "相位角测试", glyph("phase"), &TKORVEXForm::CurrentClick);
    OutputTestBtn = button("OutputTestBtn", "输出性能测试", glyph("output"), &TKORVEXForm::OutputTestClick);
    CompTestBtn = button("CompTestBtn", "综合性能测试", glyph("comprehensive"), &TKORVEXForm::CompTestClick);
    StartTestBtn = button("StartTestBtn", "启动性能测试", glyph("start"), &TKORVEXForm::StartTestComdClick);
    EnergyBtn = button("EnergyBtn", "预热能量测试", glyph("energy"), &TKORVEXForm::EnergyTestClick);
    Panel1->addSeparator();
    QIcon lockIcon;
    lockIcon.addFile(QStringLiteral(":/korvex/glyphs/unlock.png"), QSize(), QIcon::Normal, QIcon::Off);
    lockIcon.addFile(QStringLiteral(":/korvex/glyphs/lock.png"), QSize(), QIcon::Normal, QIcon::On);
    LockTestBtn = button("LockTestBtn", "测试锁定", lockIcon, &TKORVEXForm::LockTestClick);
    LockTestBtn->setCheckable(true); // stays pressed while the lock is set
    Panel1->addSeparator();
    InputTestLockBtn =
        button("InputTestLockBtn", "输入性能单次测试", glyph("input-single"), &TKORVEXForm::InputTestLockBtnClick);
    PhaseTestLockBtn =
        button("PhaseTestLockBtn", "相位角单次测试", glyph("phase-single"), &TKORVEXForm::PhaseTestLockBtnClick);
    OutputTestLockBtn =
        button("OutputTestLockBtn", "输出性能单次测试", glyph("output-single"), &TKORVEXForm::OutputTestLockBtnClick);
    CompTestLockBtn = button("CompTestLockBtn", "综合性能单次测试", glyph("comprehensive-single"),
                             &TKORVEXForm::CompTestLockBtnClick);
    Panel1->addSeparator();
    BackBtn = button("BackBtn", "前一项", glyph("back"), &TKORVEXForm::BackClick);
    NextBtn = button("NextBtn", "后一项", glyph("next"), &TKORVEXForm::NextClick);
    Panel1->addSeparator();
    PrintBtn = button("PrintBtn", "打印", glyph("print"), &TKORVEXForm::PrintClick);
    Panel1->addSeparator();
    ExitBtn = button("ExitBtn", "退出", glyph("exit"), &TKORVEXForm::ExitClick);

    // The progress bar keeps its place at the right end when the window is resized.
    auto* spring = new QWidget(Panel1);
    spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    Panel1->addWidget(spring);
    ProgressBar1 = new ProgressBar(Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setFixedWidth(173);
    ProgressBar1->setTextVisible(false);
    Panel1->addWidget(ProgressBar1);
}

void TKORVEXForm::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const char* caption, void (TKORVEXForm::*handler)()) {
        auto* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto menu = [this](QMenu* parentMenu, const char* name, const char* caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(QString::fromUtf8(caption))
                              : menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto pair = [this](QAction* a, QAction* b) {
        auto* group = new QActionGroup(this);
        group->setExclusive(true);
        for (QAction* x : {a, b}) {
            x->setCheckable(true);
            group->addAction(x);
        }
    };

    File = menu(nullptr, "File", "文件&F");
    OpenFile = item(File, "OpenFile", "打开文件&O", &TKORVEXForm::OpenFileClick);
    StoreFile = item(File, "StoreFile", "存盘&S", &TKORVEXForm::StoreFileClick);
    ExportExcel = item(File, "ExportExcel", "导出Excel数据 &E", &TKORVEXForm::ExportExcelClick);
    File->addSeparator();
    Print = item(File, "Print", "打印&P", &TKORVEXForm::PrintClick);
    File->addSeparator();
    Exit = item(File, "Exit", "退出&X", &TKORVEXForm::ExitClick);

    Test = menu(nullptr, "Test", "测试&T");
    InputTest = item(Test, "InputTest", "输入性能测试&I", &TKORVEXForm::InputTestClick);
    Current = item(Test, "Current", "相位角测试&C", &TKORVEXForm::CurrentClick);
    OutputTest = item(Test, "OutputTest", "输出性能测试&O", &TKORVEXForm::OutputTestClick);
    CompTest = item(Test, "CompTest", "综合性能测试&W", &TKORVEXForm::CompTestClick);
    StartTestComd = item(Test, "StartTestComd", "启动性能测试&S", &TKORVEXForm::StartTestComdClick);
    EnergyTest = item(Test, "EnergyTest", "预热能量 &E", &TKORVEXForm::EnergyTestClick);
    Test->addSeparator();
    LockTest = item(Test, "LockTest", "锁定&L", &TKORVEXForm::LockTestClick);

    C1 = menu(nullptr, "C1", "选择&C");
    N3 = menu(C1, "N3", "总谐波计算 &");
    IECThd = item(N3, "IECThd", "IEC方法 &I", &TKORVEXForm::IECThdClick);
    CSAThd = item(N3, "CSAThd", "CSA方法 &C", &TKORVEXForm::CSAThdClick);
    pair(IECThd, CSAThd);
    WideFreq = menu(C1, "WideFreq", "测试频带 &");
    Narrow = item(WideFreq, "Narrow", "窄频 &N", &TKORVEXForm::NarrowClick);
    Wide = item(WideFreq, "Wide", "宽频 &W", &TKORVEXForm::WideClick);
    pair(Narrow, Wide);
    HanZi = menu(C1, "HanZi", "语言选择 &");
    Chinese = item(HanZi, "Chinese", "中文 &C", &TKORVEXForm::ChineseClick);
    English = item(HanZi, "English", "English &E", &TKORVEXForm::EnglishClick);
    pair(Chinese, English);
    C1->addSeparator();
    SerialPort = item(C1, "SerialPort", "串口选择&P", &TKORVEXForm::SerialPortClick);
    C1->addSeparator();
    Back = item(C1, "Back", "前一项&B", &TKORVEXForm::BackClick);
    Next = item(C1, "Next", "后一项&N", &TKORVEXForm::NextClick);

    Information = menu(nullptr, "Information", "信息&I");
    InputInfo = item(Information, "InputInfo", "输入信息&I", &TKORVEXForm::InputInfoClick);
    Information->addSeparator();
    FilamentPara = item(Information, "FilamentPara", "灯丝参数 &", &TKORVEXForm::FilamentParaClick);

    // Keys of their own for the commands used most at the bench. Alt with the underlined
    // letters stays the menus'; Ctrl with the kind's number starts that test.
    const std::pair<QAction*, QKeySequence> keys[] = {
        {InputTest, QKeySequence(Qt::CTRL | Qt::Key_1)},     {Current, QKeySequence(Qt::CTRL | Qt::Key_2)},
        {OutputTest, QKeySequence(Qt::CTRL | Qt::Key_3)},    {CompTest, QKeySequence(Qt::CTRL | Qt::Key_4)},
        {StartTestComd, QKeySequence(Qt::CTRL | Qt::Key_5)}, {EnergyTest, QKeySequence(Qt::CTRL | Qt::Key_6)},
        {LockTest, QKeySequence(Qt::CTRL | Qt::Key_L)},      {StoreFile, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {OpenFile, QKeySequence(Qt::CTRL | Qt::Key_O)},      {ExportExcel, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {Print, QKeySequence(Qt::CTRL | Qt::Key_P)},
    };
    for (const auto& [action, key] : keys)
        action->setShortcut(key);
    // The tool bar's hints name the same keys.
    const std::pair<QToolButton*, QAction*> buttons[] = {
        {InputTestBtn, InputTest},     {CurrentBtn, Current},   {OutputTestBtn, OutputTest}, {CompTestBtn, CompTest},
        {StartTestBtn, StartTestComd}, {EnergyBtn, EnergyTest}, {LockTestBtn, LockTest},     {PrintBtn, Print},
    };
    for (const auto& [button, action] : buttons)
        button->setToolTip(
            QStringLiteral("%1 (%2)").arg(button->toolTip(), action->shortcut().toString(QKeySequence::NativeText)));
}

void TKORVEXForm::buildFileDialogs()
{
    // Qt needs the patterns in brackets after each filter's text; HideNameFilterDetails keeps
    // them out of the type box, which then reads "*.kvx", "*.*", "Text File(*.csv,*.txt)" ...
    SaveDialog1 = new QFileDialog(this, QStringLiteral("保存测试数据"));
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("kvx"));
    SaveDialog1->setOption(QFileDialog::HideNameFilterDetails);
    SaveDialog1->setNameFilters({QStringLiteral("*.kvx (*.kvx)"), QStringLiteral("*.* (*)")});

    OpenDialog1 = new QFileDialog(this, QStringLiteral("打开数据文件"));
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setDefaultSuffix(QStringLiteral("kvx"));
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog1->setNameFilters({QStringLiteral("*.kvx (*.kvx)"), QStringLiteral("*.* (*)")});

    SaveDialog2 = new QFileDialog(this);
    SaveDialog2->setObjectName(QStringLiteral("SaveDialog2"));
    SaveDialog2->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog2->setFileMode(QFileDialog::AnyFile);
    SaveDialog2->setDefaultSuffix(QStringLiteral("csv"));
    SaveDialog2->setOption(QFileDialog::HideNameFilterDetails);
    SaveDialog2->setNameFilters(
        {QStringLiteral("Text File(*.csv,*.txt) (*.csv)"), QStringLiteral("All Files(*.*) (*)")});

    // Each dialog lists its folder at once, and may be turned to any folder, the results log's
    // among them: it must never open a file to learn its type.
    for (QFileDialog* dialog : {SaveDialog1, OpenDialog1, SaveDialog2})
        listByNameOnly(*dialog);

    // The completion list of the file name is a window of its own: when Enter accepts the
    // typed name it stays on screen over the page. It closes with its dialog.
    for (QFileDialog* dialog : {SaveDialog1, OpenDialog1, SaveDialog2}) {
        connect(dialog, &QDialog::finished, dialog, [dialog] {
            for (QCompleter* completer : dialog->findChildren<QCompleter*>())
                if (completer->popup())
                    completer->popup()->hide();
        });
    }
}

void TKORVEXForm::buildDialogs()
{
    // Created once, hidden, in this order; they live as long as the window.
    PortForm = new TPortForm(
        portChoice_,
        [this] {
            controller_.setPortName(QString::fromLatin1(fieldText(portChoice_.portName).c_str()));
            controller_.openPort();
        },
        [this](const QString& name) {
            // On the simulated instrument (or a device given at start) every name opens that
            // one device; say so rather than name a serial device that would not be used.
            const QString chosen = controller_.portName();
            const QString used = controller_.portDevice();
            if (used != resolvePortDevice(chosen.isEmpty() ? QStringLiteral("COM1") : chosen))
                return used;
            return resolvePortDevice(name);
        },
        this);
    // The information and filament dialogs edit the operator's entries in a copy of the record,
    // which the controller takes back once they close (editEntries).
    InfoForm = new TInfoForm(*entries_, this);
    AlarmForm = new TAlarmForm(this);
    PrinterForm = new TPrinterForm(printerFamily_, this);
    PrintForm = new TPrintForm(printSelection_, record().currentTest, this);
    PictureForm = new TPictureForm(this);
    FilamentForm = new TFilamentForm(*entries_, runner_, this);
}

void TKORVEXForm::connectController()
{
    connect(&controller_, &Controller::statusTextChanged, StatusBar1, &StatusPanel::setText);
    connect(&controller_, &Controller::progressChanged, this, [this](int percent) {
        if (ProgressBar1->value() == percent)
            return;
        // QProgressBar repaints at once on a new value; held back, the bar is painted with the
        // status text and the page of the same step in one pass to the screen.
        ProgressBar1->setUpdatesEnabled(false);
        ProgressBar1->setValue(percent);
        ProgressBar1->setUpdatesEnabled(true); // schedules the repaint
    });
    connect(&controller_, &Controller::repaintRequested, this, &TKORVEXForm::repaintPage);
    // The start and energy commands show the prompt page at once, over whatever page is
    // current (step 0 then makes their kind current, whose page is the prompt until the results
    // come): painted now, not at the next paint event, so it is on screen before the step runs.
    connect(&controller_, &Controller::startPromptRequested, this, [this] {
        drawingPrompt_ = true;
        PaintBox1->repaint();
        drawingPrompt_ = false;
    });
    connect(&controller_, &Controller::alarmVisibilityChanged, this, [this](bool shown) {
        if (!AlarmForm)
            return;
        if (shown)
            AlarmForm->setPortText(portSummary());
        AlarmForm->setAlarmVisible(shown);
    });
    connect(&controller_, &Controller::messageRequested, this,
            [this](const QString& text, const QString& caption) { runner_.message(text, caption); });
    connect(&controller_, &Controller::lockChanged, LockTestBtn, &QToolButton::setChecked);
    // Queued: the window closes after the controller's step has returned.
    connect(&controller_, &Controller::closeWindowRequested, this, &QWidget::close, Qt::QueuedConnection);
}

namespace {

// A page is drawn entirely from the record, but not from its working fields: the raw blocks
// of a running sequence change at every step while the page stays the same.
constexpr size_t kDrawnBytes = offsetof(TestRecord, work);
static_assert(std::is_standard_layout_v<TestRecord> && std::is_trivially_copyable_v<TestRecord>);

bool holdsRecord(const std::vector<char>& kept, const TestRecord& r)
{
    return kept.size() == kDrawnBytes && std::memcmp(kept.data(), &r, kDrawnBytes) == 0;
}

void keepRecord(std::vector<char>& kept, const TestRecord& r)
{
    const auto* bytes = reinterpret_cast<const char*>(&r);
    kept.assign(bytes, bytes + kDrawnBytes);
}

} // namespace

void TKORVEXForm::renderPage(ScreenCanvas& canvas)
{
    if (drawingPrompt_) {
        drawStartPrompt(canvas);
        drawnRecord_.clear(); // the next request draws the record's page again
    } else {
        drawScreenPage(canvas, record());
        keepRecord(drawnRecord_, record());
    }
}

void TKORVEXForm::repaintPage()
{
    // Every step of a run asks for a repaint, though most steps change only the working fields.
    // The page is drawn again only when it differs from the one on screen (a resize or an
    // exposure still paints at once).
    if (!holdsRecord(drawnRecord_, record()))
        PaintBox1->update();
}

QString TKORVEXForm::portSummary() const
{
    const QString name = controller_.portName();
    return (name.isEmpty() ? QStringLiteral("COM1") : name) + QStringLiteral(" → ") + controller_.portDevice();
}

void TKORVEXForm::syncOptionMarks()
{
    const TestRecord& r = record();
    (r.thdCsa ? CSAThd : IECThd)->setChecked(true);
    (r.wideBand ? Wide : Narrow)->setChecked(true);
    (r.chinese ? Chinese : English)->setChecked(true);
    // The menus the window adds to those of the operator's manual are named in the language.
    if (verdictMenu_ && language_ != r.chinese) {
        language_ = r.chinese;
        verdictMenu_->setTitle(r.chinese ? QStringLiteral("判定&V") : QStringLiteral("Verdict&V"));
        emit languageChanged(r.chinese != 0);
    }
}

void TKORVEXForm::showNotice(const Notice& n)
{
    // The message and caption as ever; what failed and why on a line below.
    if (!n.ok)
        runner_.message(QString::fromStdString(n.detail.empty() ? n.message : n.message + "\n" + n.detail),
                        QString::fromStdString(n.caption));
}

// ---- Test commands --------------------------------------------------------------------------

void TKORVEXForm::pageTakesKeys()
{
    // The keys that move the start page cursor reach the page, not a field that had the focus
    // (the serial number after a scan): the arrows are the cursor's while a test runs.
    PaintBox1->setFocus(Qt::OtherFocusReason);
}

void TKORVEXForm::InputTestClick()
{
    controller_.inputTest();
    pageTakesKeys();
}
void TKORVEXForm::CurrentClick()
{
    controller_.phaseTest();
    pageTakesKeys();
}
void TKORVEXForm::OutputTestClick()
{
    controller_.outputTest();
    pageTakesKeys();
}
void TKORVEXForm::CompTestClick()
{
    controller_.compTest();
    pageTakesKeys();
}
void TKORVEXForm::InputTestLockBtnClick()
{
    controller_.singleRun(KindInput);
    pageTakesKeys();
}
void TKORVEXForm::PhaseTestLockBtnClick()
{
    controller_.singleRun(KindPhase);
    pageTakesKeys();
}
void TKORVEXForm::OutputTestLockBtnClick()
{
    controller_.singleRun(KindOutput);
    pageTakesKeys();
}
void TKORVEXForm::CompTestLockBtnClick()
{
    controller_.singleRun(KindComprehensive);
    pageTakesKeys();
}
void TKORVEXForm::StartTestComdClick()
{
    controller_.startTest();
    pageTakesKeys();
}

bool TKORVEXForm::confirmWiring()
{
    return runner_.exec(*PictureForm) == QDialog::Accepted;
}

void TKORVEXForm::EnergyTestClick()
{
    if (!confirmWiring())
        return;
    controller_.energyTest();
    pageTakesKeys();
}

void TKORVEXForm::LockTestClick()
{
    // The button has toggled itself; the controller's lockChanged sets its final state.
    if (lockOverride_ && lockOverride_()) {
        LockTestBtn->setChecked(controller_.testLocked());
        return;
    }
    controller_.toggleLock();
}

void TKORVEXForm::BackClick()
{
    controller_.back();
}
void TKORVEXForm::NextClick()
{
    controller_.next();
}

// ---- Options --------------------------------------------------------------------------------

void TKORVEXForm::setOption(bool DisplayOptions::*choice, bool value)
{
    DisplayOptions options = displayOptions(record());
    options.*choice = value;
    controller_.setDisplayOptions(options); // repaints
    syncOptionMarks();
}

void TKORVEXForm::IECThdClick()
{
    setOption(&DisplayOptions::thdCsa, false);
}
void TKORVEXForm::CSAThdClick()
{
    setOption(&DisplayOptions::thdCsa, true);
}
void TKORVEXForm::NarrowClick()
{
    setOption(&DisplayOptions::wideBand, false);
}
void TKORVEXForm::WideClick()
{
    setOption(&DisplayOptions::wideBand, true);
}
void TKORVEXForm::ChineseClick()
{
    setOption(&DisplayOptions::chinese, true);
}
void TKORVEXForm::EnglishClick()
{
    setOption(&DisplayOptions::chinese, false);
}

// ---- Dialog commands ------------------------------------------------------------------------

void TKORVEXForm::SerialPortClick()
{
    storeText(portChoice_.portName, controller_.portName().toLatin1().toStdString());
    runner_.exec(*PortForm);
}

void TKORVEXForm::lockForFileWork()
{
    controller_.setLocked(true);
}

int TKORVEXForm::editEntries(QDialog& dialog)
{
    *entries_ = record();
    const int result = runner_.exec(dialog);
    if (result == QDialog::Accepted)
        controller_.takeEntries(*entries_); // repaints
    return result;
}

void TKORVEXForm::InputInfoClick()
{
    lockForFileWork();
    editEntries(*InfoForm);
}

void TKORVEXForm::FilamentParaClick()
{
    editEntries(*FilamentForm);
}

void TKORVEXForm::StoreFileClick()
{
    if (record().currentTest == KindNone)
        return;
    lockForFileWork();
    editEntries(*InfoForm); // whichever button closed it, the save dialog follows
    const QString path = runner_.chooseFile(*SaveDialog1);
    if (path.isEmpty())
        return;
    const Notice n = writeDataFile(localPath(path), record());
    showNotice(n);
}

void TKORVEXForm::OpenFileClick()
{
    lockForFileWork();
    const QString path = runner_.chooseFile(*OpenDialog1);
    if (!path.isEmpty())
        openDataFile(path);
}

Notice TKORVEXForm::loadStored(const std::function<Notice(TestRecord&)>& read, const QString& source)
{
    // A refused file leaves the copy, and so the record, as it was.
    auto stored = std::make_unique<TestRecord>(record());
    const Notice n = read(*stored);
    if (n.ok)
        controller_.replaceRecord(*stored, source); // repaints
    return n;
}

void TKORVEXForm::openDataFile(const QString& path)
{
    const std::string file = localPath(path);
    const Notice n =
        loadStored([&file](TestRecord& r) { return readDataFile(file, r); }, QString::fromLocal8Bit(file.c_str()));
    showNotice(n);
    syncOptionMarks();
}

void TKORVEXForm::openRecordImage(const std::vector<uint8_t>& image, const QString& source)
{
    lockForFileWork();
    const Notice n = loadStored([&image](TestRecord& r) { return decodeDataFile(image, r); }, source);
    showNotice(n);
    syncOptionMarks();
}

void TKORVEXForm::ExportExcelClick()
{
    const QString path = runner_.chooseFile(*SaveDialog2);
    if (path.isEmpty())
        return;
    const Notice n = exportSpreadsheet(localPath(path), record());
    showNotice(n);
}

void TKORVEXForm::PrintClick()
{
    const TestRecord& r = record();
    if (r.currentTest == KindNone)
        return;
    lockForFileWork();
    for (int k = KindInput; k <= KindEnergy; ++k)
        printSelection_[k - 1] = r.hasResult(k) ? 1 : 0;
    editEntries(*InfoForm);
    runner_.exec(*PrintForm);
    printer_->setPageOrientation(QPageLayout::Landscape);
    if (!runner_.choosePrinter(*printer_))
        return;
    PrintJob job;
    for (int k = KindInput; k <= KindEnergy; ++k)
        if (printSelection_[k - 1])
            job.kinds.push_back(k);
    job.printerFamily = printerFamily_;
    bool familyAsked = false;
    job.beforePage = [&](int32_t k, PrintJob& j) {
        // The printed kind becomes the page shown (with what it needs in the record), except
        // while a sequence runs: its kind stays current and the page is printed all the same.
        controller_.showPage(k);
        if (!r.chinese && k == KindComprehensive && !familyAsked) {
            familyAsked = true;
            runner_.exec(*PrinterForm);
            j.printerFamily = printerFamily_;
        }
    };
    std::string error;
    if (!printPages(*printer_, r, job, error))
        runner_.message(r.chinese ? QStringLiteral("打印失败!") : QStringLiteral("Printing failed!"),
                        r.chinese ? QStringLiteral("警告") : QStringLiteral("Warning"));
}

void TKORVEXForm::ExitClick()
{
    close(); // the close query waits for a running sequence
}

// ---- Drawing area input ---------------------------------------------------------------------

void TKORVEXForm::PaintBox1MouseDown(int x)
{
    cursorDragging_ = true;
    const TestRecord& r = record();
    const int width = PaintBox1->width();
    if (r.currentTest == KindStart) {
        if (const std::optional<StartCursor> cursor = startCursorClick(r, x, width))
            controller_.moveStartCursor(*cursor);
    } else if (r.currentTest == KindEnergy) {
        if (const std::optional<int32_t> sample = energyCursorClick(x, width))
            controller_.moveEnergyCursor(*sample);
    }
}

void TKORVEXForm::PaintBox1MouseMove(int x)
{
    if (!cursorDragging_ || record().currentTest != KindEnergy)
        return;
    if (const std::optional<int32_t> sample = energyCursorDrag(x, PaintBox1->width()))
        controller_.moveEnergyCursor(*sample);
}

void TKORVEXForm::PaintBox1MouseUp()
{
    cursorDragging_ = false;
}

void TKORVEXForm::FormKeyDown(int key)
{
    if (record().currentTest != KindStart || (key != Qt::Key_Left && key != Qt::Key_Right))
        return;
    controller_.moveStartCursor(startCursorStep(record(), key == Qt::Key_Left ? -1 : +1));
}

// ---- Showing and closing --------------------------------------------------------------------

void TKORVEXForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (!startFile_.isEmpty()) {
        // After the window is on screen, so a failure message has the window behind it.
        QTimer::singleShot(0, this, [this] { openDataFile(startFile_); });
    }
}

void TKORVEXForm::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // The window may close only once a running sequence has ended (or Timer2 gave up on it).
    if (!controller_.requestClose()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TKORVEXForm::FormClose()
{
    closed_ = true;
    Settings settings;
    storeText(settings.portName, controller_.portName().toLatin1().toStdString());
    const Notice n = saveConfiguration(localPath(programDir_), CfgMemo, record(), settings);
    showNotice(n);
    controller_.shutdown();
    if (AlarmForm)
        AlarmForm->setAlarmVisible(false);
}

} // namespace korvex
