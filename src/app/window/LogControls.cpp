// The results log's and the verdicts' controls in the main window.
#include "app/window/LogControls.h"

#include <algorithm>

#include <QtCore/QThreadPool>
#include <QtCore/QTimer>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>

#include "app/dialogs/Cp936Validator.h"
#include "app/window/HistoryWindow.h"
#include "app/window/KorvexForm.h"
#include "app/window/VerdictPanel.h"
#include "link/Controller.h"
#include "log/LogQuery.h"
#include "log/LogSettings.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"
#include "log/RunLogger.h"
#include "log/SerialNumber.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

const char* const kKindNames[] = {
    "", "输入性能测试", "相位角测试", "输出性能测试", "综合性能测试", "启动性能测试", "预热能量测试"};
const char* const kKindNamesEn[] = {"", "input", "phase angle", "output", "comprehensive", "start", "preheat energy"};

} // namespace

QString limitsFault(const LimitsFile& limits, bool chinese)
{
    return chinese && !limits.errorZh.isEmpty() ? limits.errorZh : limits.error;
}

LogControls::LogControls(TKORVEXForm& form, Controller& controller, ResultsLog& log, QObject* parent)
    : QObject(parent), form_(form), controller_(controller), log_(log),
      // The limits file in use: a plant-wide one is only read, never written.
      judge_(std::make_unique<RunJudge>(limitsFilePath(form.limitsDir()), !form.plantLimits())),
      logger_(std::make_unique<RunLogger>(controller, log))
{
    logger_->setBench(benchNameOf(judge_->limits().current()));
    logger_->setJudge(judge_.get());
    connect(logger_.get(), &RunLogger::entrySubmitted, this, &LogControls::onSubmitted);
    if (VerdictPanel* panel = form.verdictPanel())
        panel->setJudge(judge_.get());
    // A data file opened is judged as it stands (all its results), as the verdict command does,
    // and its test information is the next run's (a logged run on view is shown as logged).
    connect(&controller_, &Controller::recordLoaded, this, [this](const QString& source) {
        if (source.startsWith(QLatin1String("log:")))
            return;
        pending_.reset();
        judge_->judgeStored(controller_.record(), source);
    });
    connect(&controller_, &Controller::runStarting, this, &LogControls::restorePending);

    // The serial number field sits after the tool bar's buttons, before the progress bar. A
    // barcode scanner types the number and Enter.
    if (auto* bar = form.findChild<QToolBar*>(QStringLiteral("Panel1"))) {
        QAction* before = nullptr;
        const QList<QAction*> actions = bar->actions();
        for (qsizetype i = 1; i < actions.size(); ++i)
            if (qobject_cast<QProgressBar*>(bar->widgetForAction(actions[i])))
                before = actions[i - 1]; // the spring that keeps the progress bar at the right
        caption_ = new QLabel(bar);
        serial_ = new QLineEdit(bar);
        serial_->setObjectName(QStringLiteral("SerialEdit"));
        serial_->setValidator(new Cp936Validator(int(sizeof(TestRecord::infoNo)) - 1, serial_));
        serial_->setFixedWidth(150);
        // Only a click gives it the focus: at start and by Tab the arrow keys stay with the
        // start page cursor. After Enter the page has them again; a scan typed meanwhile
        // comes back here (eventFilter).
        serial_->setFocusPolicy(Qt::ClickFocus);
        autoIncrement_ = new QToolButton(bar);
        autoIncrement_->setObjectName(QStringLiteral("SerialAutoIncrement"));
        autoIncrement_->setText(QStringLiteral("+1"));
        autoIncrement_->setCheckable(true);
        autoIncrement_->setFocusPolicy(Qt::NoFocus);
        retest_ = new QLabel(bar);
        retest_->setObjectName(QStringLiteral("SerialRetest"));
        retest_->setStyleSheet(QStringLiteral("color: #c06000; font-weight: bold"));
        bar->insertWidget(before, caption_);
        bar->insertWidget(before, serial_);
        bar->insertWidget(before, autoIncrement_);
        retestAction_ = bar->insertWidget(before, retest_);
        retestAction_->setVisible(false);
        connect(serial_, &QLineEdit::returnPressed, this, &LogControls::takeSerial);
    }
    page_ = form.findChild<QWidget*>(QStringLiteral("PaintBox1"));
    if (page_)
        page_->installEventFilter(this);
    // The field shows the number the record holds whenever the page changes (the information
    // dialog edits it too), except while the operator is typing.
    connect(&controller_, &Controller::repaintRequested, this, &LogControls::showSerial);
    showSerial();

    status_ = new QLabel(&form);
    status_->setObjectName(QStringLiteral("LogStatus"));
    form.statusBar()->addPermanentWidget(status_);
    connect(&log_, &ResultsLog::waitingChanged, this, &LogControls::updateStatus);
    connect(&log_, &ResultsLog::logged, this, [this] {
        ++logged_;
        updateStatus();
    });
    connect(&log_, &ResultsLog::problem, this, &LogControls::onProblem);
    updateStatus();

    limitsStatus_ = new QLabel(&form);
    limitsStatus_->setObjectName(QStringLiteral("LimitsStatus"));
    limitsStatus_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold"));
    limitsStatus_->hide();
    form.statusBar()->addPermanentWidget(limitsStatus_);
    connect(&judge_->limits(), &LimitsWatch::changed, this, &LogControls::onLimits);
    onLimits();

    if (auto* file = form.findChild<QMenu*>(QStringLiteral("File"))) {
        historyAction_ = new QAction(file);
        historyAction_->setObjectName(QStringLiteral("History"));
        QAction* history = historyAction_;
        QAction* exportAction = form.findChild<QAction*>(QStringLiteral("ExportExcel"));
        const QList<QAction*> items = file->actions();
        const qsizetype at = items.indexOf(exportAction);
        file->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, history);
        connect(history, &QAction::triggered, this, [this] { showHistory(); });
    }

    // The program's own texts follow the language of the pages, at once when it changes.
    connect(&form, &TKORVEXForm::languageChanged, this, &LogControls::retranslate);
    retranslate(controller_.record().chinese != 0);
}

QString LogControls::tr2(const char* zh, const char* en) const
{
    return QString::fromUtf8(chinese_ ? zh : en);
}

void LogControls::retranslate(bool chinese)
{
    chinese_ = chinese;
    if (caption_) {
        caption_->setText(tr2(" 产品编号 ", " Serial No. "));
        serial_->setToolTip(
            tr2("产品编号 (扫码枪或键盘输入，回车确认)", "serial number (scanner or keyboard; Enter sets it)"));
        autoIncrement_->setToolTip(tr2("每次单次测试记录后产品编号自动加一",
                                       "count the serial number up by one after each logged single run"));
        retest_->setText(tr2(" 复测 ", " retest "));
    }
    if (historyAction_)
        historyAction_->setText(tr2("历史记录&H", "History&H"));
    if (reopenBox_)
        reopenBox_->setWindowTitle(tr2("提示", "Notice"));
    for (QMessageBox* box : {problemBox_.data(), limitsBox_.data()})
        if (box)
            box->setWindowTitle(tr2("警告", "Warning"));
    showRetest();
    updateStatus();
    if (!problem_.isEmpty() && problemBox_)
        problemBox_->setText(problemText());
    showLimits(false);
    if (history_)
        history_->retranslate(chinese);
}

LogControls::~LogControls() = default;

int LogControls::finish()
{
    logger_->finishSeries();
    return log_.close();
}

QString LogControls::pendingSerial() const
{
    return QString::fromStdString(fieldUtf8((pending_ ? *pending_ : controller_.record()).infoNo));
}

void LogControls::setPendingSerial(const std::string& number)
{
    // While a logged run is on view the number is the next run's, not the viewed one's.
    if (pending_) {
        storeText(pending_->infoNo, number);
        return;
    }
    auto entries = std::make_unique<TestRecord>(controller_.record());
    storeText(entries->infoNo, number);
    controller_.takeEntries(*entries); // the report header shows the number
}

void LogControls::takeSerial()
{
    setPendingSerial(utf8ToCp936(serial_->text().trimmed().toStdString()));
    serial_->setText(pendingSerial());
    serial_->selectAll(); // the next scan replaces it
    lookUpSerial(pendingSerial());
    // The number is set: the keys are the page's again (the arrows move the start page's
    // cursor). The next scan still lands in the field (eventFilter).
    if (page_)
        page_->setFocus(Qt::OtherFocusReason);
}

bool LogControls::eventFilter(QObject* watched, QEvent* event)
{
    // A scanner types the next number while the page has the keys: the characters go to the
    // field, replacing the number there, and its Enter sets it. Arrows, Enter and keys with
    // Ctrl or Alt stay the page's and the window's.
    if (watched == page_ && serial_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool typed = !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed) {
            serial_->setFocus(Qt::OtherFocusReason);
            serial_->selectAll();
            QCoreApplication::sendEvent(serial_, event);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void LogControls::showSerial()
{
    // Asked at every step of a run: the field is laid out and repainted only for a new number.
    const QString number = pendingSerial();
    if (serial_ && !serial_->hasFocus() && serial_->text() != number)
        serial_->setText(number);
    lookUpSerial(number); // set by the information dialog or a data file too
}

void LogControls::restorePending()
{
    if (!pending_)
        return;
    const std::unique_ptr<TestRecord> entries = std::move(pending_);
    controller_.takeEntries(*entries);
}

void LogControls::openLoggedRun(const LogEntry& run)
{
    if (controller_.testRunning()) {
        // The run under way would take the viewed run's test information: it finishes first.
        if (!reopenBox_) {
            reopenBox_ =
                new QMessageBox(QMessageBox::Information, tr2("提示", "Notice"), QString(), QMessageBox::Ok, &form_);
            reopenBox_->setObjectName(QStringLiteral("ReopenRefused"));
            reopenBox_->setModal(false);
        }
        reopenBox_->setText(tr2("测试进行中：请锁定测试，待本次测试结束后再打开历史记录。",
                                "A test is running: lock the test and open the run from the history once it "
                                "has ended."));
        reopenBox_->show();
        return;
    }
    controller_.setLocked(true); // a series under way ends here, with the information it had
    if (!pending_)
        pending_ = std::make_unique<TestRecord>(controller_.record());
    form_.openRecordImage(std::vector<uint8_t>(run.record.begin(), run.record.end()), QStringLiteral("log:") + run.id);
    judge_->showLogged(run);
    showSerial();
}

void LogControls::lookUpSerial(const QString& serial)
{
    if (serial == lookedUp_)
        return;
    lookedUp_ = serial;
    showRetest(); // what this program logged as passed is known at once
    if (serial.isEmpty() || !log_.target().unusable.isEmpty())
        return;
    // The log is asked off the window's thread; its answer joins what was logged here.
    const LogTarget target = log_.target();
    QPointer<LogControls> self(this);
    QThreadPool::globalInstance()->start([self, target, serial] {
        LogQuery q;
        QString error;
        LogFilter f;
        f.serial = serial;
        f.verdict = LogFilter::Verdict::Pass;
        std::vector<LogEntry> passed;
        if (!q.open(target, &error) || !q.list(f, 50, passed, &error))
            passed.clear(); // the log cannot tell: only this session's passes are known
        QMetaObject::invokeMethod(qApp, [self, serial, passed] {
            if (!self)
                return;
            for (const LogEntry& e : passed)
                if (e.serial() == serial) // a pattern character in the number matches no other
                    self->logger_->notePassed(serial, e.kind);
            if (serial == self->lookedUp_)
                self->showRetest();
        });
    });
}

bool LogControls::retestShown() const
{
    return retestAction_ && retestAction_->isVisible();
}

void LogControls::showRetest()
{
    QStringList kinds;
    for (int32_t k = KindInput; k <= KindEnergy; ++k)
        if (logger_->hasPassed(lookedUp_, k))
            kinds << QString::fromUtf8(chinese_ ? kKindNames[k] : kKindNamesEn[k]);
    if (!retestAction_)
        return;
    retestAction_->setVisible(!kinds.isEmpty());
    retest_->setToolTip(tr2("产品编号 %1 已有合格记录（%2）：再次测试将记为复测",
                            "serial number %1 has passed before (%2): a new run of it is logged as a retest")
                            .arg(lookedUp_, kinds.join(chinese_ ? QStringLiteral("、") : QStringLiteral(", "))));
}

void LogControls::onSubmitted(const LogEntry& entry, bool single)
{
    if (entry.verdict == VerdictResult::Pass && entry.serial() == lookedUp_)
        showRetest(); // the number on the bench has passed now
    if (single)
        countSerialUp(entry.serial());
}

void LogControls::countSerialUp(const QString& from)
{
    if (!autoIncrement_ || !autoIncrement_->isChecked())
        return;
    const QString now = pendingSerial();
    if (now != from)
        return; // changed by the operator meanwhile
    const std::string next = utf8ToCp936(nextSerialNumber(now).toStdString());
    if (next.size() >= sizeof TestRecord::infoNo)
        return; // the next number would not fit the field: keep it for the operator to see
    setPendingSerial(next);
    showSerial();
}

void LogControls::updateStatus()
{
    const int waiting = log_.waiting();
    QString text = tr2("记录 %1", "logged %1").arg(logged_);
    if (waiting > 0)
        text += tr2("  待写入 %1", "  waiting %1").arg(waiting);
    status_->setText(text);
    status_->setStyleSheet(problem_.isEmpty() ? QString() : QStringLiteral("color: #c00000"));
    status_->setToolTip(problem_.isEmpty() ? log_.target().display() : problem_);
}

void LogControls::onProblem(const QString& text)
{
    problem_ = text;
    updateStatus();
    if (text.isEmpty()) {
        if (problemBox_)
            problemBox_->hide();
        return;
    }
    // Not modal: testing goes on while the log waits; the entries stay until they are written.
    if (!problemBox_) {
        problemBox_ = new QMessageBox(QMessageBox::Warning, tr2("警告", "Warning"), QString(), QMessageBox::Ok, &form_);
        problemBox_->setObjectName(QStringLiteral("LogProblem"));
        problemBox_->setModal(false);
        // Retries back off to one a minute: once the operator has freed the file or the disk,
        // this writes at once.
        retry_ = problemBox_->addButton(QString(), QMessageBox::ActionRole);
        retry_->setObjectName(QStringLiteral("LogRetry"));
        connect(retry_, &QPushButton::clicked, &log_, &ResultsLog::retry);
    }
    problemBox_->setText(problemText());
    problemBox_->show();
}

QString LogControls::problemText() const
{
    if (retry_)
        retry_->setText(tr2("立即重试", "Retry now"));
    // The trouble itself is the log's own account, in English (it names the file and the
    // database's reason); in Chinese it stands below the Chinese explanation on lines of its own.
    return tr2("测试结果暂时无法记录，结果保留在内存中，稍后自动重试；"
               "关闭程序时仍未写入的结果暂存于 %1，下次启动时写入。\n\n",
               "The results cannot be logged for now: they are kept in memory and written as soon as "
               "the log can be written again; results still waiting when the program closes are set "
               "aside in %1 and written at the next start.\n\n")
               .arg(log_.target().unwrittenPath) +
           problem_;
}

void LogControls::onLimits()
{
    const LimitsFile& limits = judge_->limits().current();
    // Settings that named no usable log at start and have been fixed: the runs held meanwhile
    // go to the log they name now. A log in use is never switched while the program runs.
    if (!log_.target().unusable.isEmpty() && limits.logUsable) {
        log_.retarget(logTargetOf(limits, form_.dataDir()));
        logger_->setBench(benchNameOf(limits));
    }
    showLimits(true);
}

void LogControls::showLimits(bool announce)
{
    const LimitsFile& limits = judge_->limits().current();
    if (limits.ok()) {
        limitsStatus_->hide();
        limitsShown_.clear();
        if (limitsBox_)
            limitsBox_->hide();
        return;
    }
    const QString fault = limitsFault(limits, chinese_);
    limitsStatus_->setText(tr2("判定已关闭: ", "Verdicts off: ") + fault);
    limitsStatus_->setToolTip(
        tr2("%1\n修正限值文件后自动恢复判定", "%1\nverdicts are on again once the file is fixed").arg(limits.path));
    limitsStatus_->show();
    const QString text = tr2("限值文件有误，修正前不作判定，测试结果记录为“未判定”：\n%1\n%2",
                             "The limits file is damaged; until it is fixed nothing is judged and runs are "
                             "logged as not judged:\n%1\n%2")
                             .arg(limits.path, fault);
    if (limitsBox_)
        limitsBox_->setText(text); // in the language of the moment, shown or not
    if (!announce || limits.error == limitsShown_)
        return;
    limitsShown_ = limits.error;
    // Not modal: testing goes on, each run logged as not judged, until the file is fixed.
    if (!limitsBox_) {
        limitsBox_ = new QMessageBox(QMessageBox::Warning, tr2("警告", "Warning"), text, QMessageBox::Ok, &form_);
        limitsBox_->setObjectName(QStringLiteral("LimitsProblem"));
        limitsBox_->setModal(false);
    }
    // At start the window is not on screen yet: the message follows it there.
    if (form_.isVisible())
        limitsBox_->show();
    else
        QTimer::singleShot(0, limitsBox_, &QWidget::show);
}

HistoryWindow* LogControls::showHistory()
{
    if (!history_) {
        // The trend shows the limits of the file as it stands; none while it cannot be read.
        const LimitsFile& limits = judge_->limits().current();
        VerdictProfile off;
        off.classC = off.lampCrest = off.preheat = false;
        history_ = new HistoryWindow(
            log_.target(), limits.ok() ? limits.profiles : ProfileSet{{off}},
            [this](const LogEntry& run) {
                openLoggedRun(run);
                form_.raise();
                form_.activateWindow();
            },
            &form_);
        // Closed, it is only hidden: it opens again with its size, place and filters. The
        // first time it stands centred over the main window, clear of the screen's edges.
        const QRect screen = form_.screen() ? form_.screen()->availableGeometry() : QRect();
        QRect place(QPoint(), history_->size().boundedTo(screen.isValid() ? screen.size() * 9 / 10 : QSize(1000, 700)));
        place.moveCenter(form_.geometry().center());
        if (screen.isValid())
            place.moveTo(
                std::clamp(place.left(), screen.left(), std::max(screen.left(), screen.right() - place.width())),
                std::clamp(place.top(), screen.top(), std::max(screen.top(), screen.bottom() - place.height())));
        history_->setGeometry(place);
    }
    history_->retranslate(controller_.record().chinese != 0);
    history_->show();
    history_->raise();
    history_->refresh();
    return history_;
}

} // namespace korvex
