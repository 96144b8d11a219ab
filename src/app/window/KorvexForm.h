// TKORVEXForm: the main window. Shows the controller's record, holds the tool bar, menus,
// drawing area and dialogs, and turns the operator's commands into controller calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QtCore/QString>
#include <QtWidgets/QMainWindow>

#include "link/Controller.h"
#include "record/Configuration.h"
#include "record/Notice.h"

class QAction;
class QDialog;
class QActionGroup;
class QFileDialog;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QScrollArea;
class QToolBar;
class QToolButton;

namespace korvex {

class DialogRunner;
class PaintBox;
class ScreenCanvas;
class StatusPanel;
class TAlarmForm;
class TFilamentForm;
class TInfoForm;
class TPictureForm;
class TPortForm;
class TPrintForm;
class TPrinterForm;
class VerdictPanel;
struct TestRecord;

class TKORVEXForm : public QMainWindow {
    Q_OBJECT
  public:
    struct StartOptions {
        QString programDir;       ///< folder of KORVEX.cfg, with trailing separator
        QString dataFile;         ///< opened when the window is first shown (empty: none)
        QString limitsDir;        ///< folder of the limits file; empty: programDir
        QString dataDir;          ///< folder of the results log, its queue and set-aside file; empty: programDir
        bool plantLimits = false; ///< the limits file is the plant-wide one: read, never written
    };

    /// Start-up: configuration, result reset, port; the controller and the runner outlive the
    /// window.
    TKORVEXForm(Controller& controller, DialogRunner& runner, const StartOptions& options, QWidget* parent = nullptr);
    ~TKORVEXForm() override;

    /// The first command-line argument that is not an option ("--simulator", "--scenario NAME").
    static QString dataFileArgument(const QStringList& arguments);

    Controller& controller() { return controller_; }
    /// The record on screen; commands change it through the controller.
    const TestRecord& record() const;
    const QString& programDir() const { return programDir_; }
    const QString& limitsDir() const { return limitsDir_; }
    const QString& dataDir() const { return dataDir_; }
    bool plantLimits() const { return plantLimits_; }
    VerdictPanel* verdictPanel() const { return verdictPanel_; }
    bool cursorDragging() const { return cursorDragging_; }
    int printerFamily() const { return printerFamily_; }
    const int32_t* printSelection() const { return printSelection_; }
    /// Where print jobs go (tests point it at a PDF file).
    QPrinter& printer() { return *printer_; }

    // Commands (menu items and tool bar buttons).
    void InputTestClick();
    void CurrentClick();
    void OutputTestClick();
    void CompTestClick();
    void StartTestComdClick();
    void EnergyTestClick();
    /// Shows the wiring picture of the preheat energy test modally; true when the operator
    /// confirmed it with its test button.
    bool confirmWiring();
    void LockTestClick();
    /// While a production sequence runs, the lock button stops it instead: stop returns true
    /// when it did so (and the lock is then not toggled).
    void setLockOverride(std::function<bool()> stop) { lockOverride_ = std::move(stop); }
    void InputTestLockBtnClick();
    void PhaseTestLockBtnClick();
    void OutputTestLockBtnClick();
    void CompTestLockBtnClick();
    void BackClick();
    void NextClick();
    void IECThdClick();
    void CSAThdClick();
    void NarrowClick();
    void WideClick();
    void ChineseClick();
    void EnglishClick();
    void SerialPortClick();
    void InputInfoClick();
    void FilamentParaClick();
    void StoreFileClick();
    void OpenFileClick();
    void ExportExcelClick();
    void PrintClick();
    void ExitClick();

    // Drawing area input.
    void PaintBox1MouseDown(int x);
    void PaintBox1MouseMove(int x);
    void PaintBox1MouseUp();
    void FormKeyDown(int key);

    /// Loads a data file and shows its page with its options (open command and start-up).
    void openDataFile(const QString& path);
    /// Loads a data file image (a run of the results log, named by source) as openDataFile
    /// loads a file.
    void openRecordImage(const std::vector<uint8_t>& image, const QString& source);
    /// Sets the option check marks from the record's thdCsa, wideBand and chinese.
    void syncOptionMarks();
    /// Draws the screen page (or the start prompt while it is asked for) on the drawing area's canvas.
    void renderPage(ScreenCanvas& canvas);

  signals:
    /// The pages' language changed (a menu, a data file, start-up): the program's own texts
    /// and Qt's follow it.
    void languageChanged(bool chinese);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override; // asks the controller, then FormClose

  private:
    std::function<bool()> lockOverride_;
    /// Start-up: the configuration (written with its defaults when there is none) gives the
    /// controller the port name, the display options and the operator's entries.
    void loadSettings();
    /// Reads a stored record over a copy of the record and hands it to the controller.
    Notice loadStored(const std::function<Notice(TestRecord&)>& read, const QString& source);
    void buildToolBar();
    void buildMenus();
    void buildFileDialogs();
    void buildDialogs();
    void connectController();
    void FormClose();
    void lockForFileWork();
    void pageTakesKeys();
    void showNotice(const Notice& n);
    void repaintPage();
    /// The chosen port and the device it stands for, such as "COM1 → /dev/ttyS0".
    QString portSummary() const;
    void setOption(bool DisplayOptions::*choice, bool value);
    /// Shows an information or filament dialog on a copy of the record; the controller takes
    /// the entries back when it is accepted. Returns the dialog's result.
    int editEntries(QDialog& dialog);

    // Widgets, named as the operator's manual names them; tests find them by object name.
    QToolBar* Panel1 = nullptr;
    QToolButton* InputTestBtn = nullptr;
    QToolButton* CurrentBtn = nullptr;
    QToolButton* OutputTestBtn = nullptr;
    QToolButton* CompTestBtn = nullptr;
    QToolButton* StartTestBtn = nullptr;
    QToolButton* EnergyBtn = nullptr;
    QToolButton* LockTestBtn = nullptr;
    QToolButton* InputTestLockBtn = nullptr;
    QToolButton* PhaseTestLockBtn = nullptr;
    QToolButton* OutputTestLockBtn = nullptr;
    QToolButton* CompTestLockBtn = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* NextBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* ExitBtn = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    PaintBox* PaintBox1 = nullptr;
    StatusPanel* StatusBar1 = nullptr;

    QMenu* File = nullptr;
    QMenu* Test = nullptr;
    QMenu* C1 = nullptr;       // 选择: the options (THD method, band, language), the port, Back and Next
    QMenu* N3 = nullptr;       // 总谐波计算, in C1: the THD method, IEC or CSA
    QMenu* WideFreq = nullptr; // 测试频带, in C1: the band, narrow or wide
    QMenu* HanZi = nullptr;    // 语言选择, in C1: the language of the pages, Chinese or English
    QMenu* Information = nullptr;
    QAction* OpenFile = nullptr;
    QAction* StoreFile = nullptr;
    QAction* ExportExcel = nullptr;
    QAction* Print = nullptr;
    QAction* Exit = nullptr;
    QAction* InputTest = nullptr;
    QAction* Current = nullptr;
    QAction* OutputTest = nullptr;
    QAction* CompTest = nullptr;
    QAction* StartTestComd = nullptr;
    QAction* EnergyTest = nullptr;
    QAction* LockTest = nullptr;
    QAction* IECThd = nullptr;
    QAction* CSAThd = nullptr;
    QAction* Narrow = nullptr;
    QAction* Wide = nullptr;
    QAction* Chinese = nullptr;
    QAction* English = nullptr;
    QAction* SerialPort = nullptr;
    QAction* Back = nullptr;
    QAction* Next = nullptr;
    QAction* InputInfo = nullptr;
    QAction* FilamentPara = nullptr;

    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog2 = nullptr;

    TPortForm* PortForm = nullptr;
    TInfoForm* InfoForm = nullptr;
    TAlarmForm* AlarmForm = nullptr;
    TPrinterForm* PrinterForm = nullptr;
    TPrintForm* PrintForm = nullptr;
    TPictureForm* PictureForm = nullptr;
    TFilamentForm* FilamentForm = nullptr;

    Controller& controller_;
    DialogRunner& runner_;
    QString programDir_;
    QString limitsDir_;
    QString dataDir_;
    bool plantLimits_ = false;
    QString startFile_;
    Configuration CfgMemo;
    Settings portChoice_; // what the port dialog edits
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<TestRecord> entries_; // what the information and filament dialogs edit
    int printerFamily_ = 0;
    int32_t printSelection_[6] = {};
    bool cursorDragging_ = false;
    bool drawingPrompt_ = false;    // the paint under way draws the start prompt page
    std::vector<char> drawnRecord_; // the drawn part of the record as last painted (empty: none)
    bool shownOnce_ = false;
    bool closed_ = false;
    VerdictPanel* verdictPanel_ = nullptr; // hidden until its menu entry shows it
    QMenu* verdictMenu_ = nullptr;
    int language_ = -1; // the language the window's own texts are in (1 Chinese); -1 none yet
};

} // namespace korvex
