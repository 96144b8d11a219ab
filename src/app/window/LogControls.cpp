// The results log's controls in the main window.
#include "app/window/LogControls.h"

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
#include "link/Controller.h"
#include "log/LogJudge.h"
#include "log/LogSettings.h"
#include "log/ResultsLog.h"
#include "log/RunLogger.h"
#include "log/SerialNumber.h"
#include "record/TextCodec.h"

namespace korvex {

LogControls::LogControls(TKORVEXForm& form, Controller& controller, ResultsLog& log, QObject* parent)
    : QObject(parent), form_(form), controller_(controller), log_(log),
      judge_(std::make_unique<LogJudge>(form.limitsDir())), logger_(std::make_unique<RunLogger>(controller, log))
{
    logger_->setBench(configuredBenchName(form.limitsDir()));
    logger_->setJudge([this](LogEntry& e, const TestRecord& r, int runs) { judge_->judge(e, r, runs); });
    connect(logger_.get(), &RunLogger::entrySubmitted, this, &LogControls::onSubmitted);

    // The serial number field sits after the tool bar's buttons, before the progress bar. A
    // barcode scanner types the number and Enter.
    if (auto* bar = form.findChild<QToolBar*>(QStringLiteral("Panel1"))) {
        QAction* before = nullptr;
        const QList<QAction*> actions = bar->actions();
        for (qsizetype i = 1; i < actions.size(); ++i)
            if (qobject_cast<QProgressBar*>(bar->widgetForAction(actions[i])))
                before = actions[i - 1]; // the spring that keeps the progress bar at the right
        auto* caption = new QLabel(QStringLiteral(" 产品编号 "), bar);
        serial_ = new QLineEdit(bar);
        serial_->setObjectName(QStringLiteral("SerialEdit"));
        serial_->setValidator(new Cp936Validator(int(sizeof(TestRecord::infoNo)) - 1, serial_));
        serial_->setFixedWidth(150);
        // Only a click gives it the focus: at start and by Tab the arrow keys stay with the
        // start page cursor. It keeps the focus after Enter for the next scan.
        serial_->setFocusPolicy(Qt::ClickFocus);
        serial_->setToolTip(QStringLiteral("产品编号 (扫码枪或键盘输入，回车确认)"));
        autoIncrement_ = new QToolButton(bar);
        autoIncrement_->setObjectName(QStringLiteral("SerialAutoIncrement"));
        autoIncrement_->setText(QStringLiteral("+1"));
        autoIncrement_->setCheckable(true);
        autoIncrement_->setFocusPolicy(Qt::NoFocus);
        autoIncrement_->setToolTip(QStringLiteral("每次单次测试记录后产品编号自动加一"));
        bar->insertWidget(before, caption);
        bar->insertWidget(before, serial_);
        bar->insertWidget(before, autoIncrement_);
        connect(serial_, &QLineEdit::returnPressed, this, &LogControls::takeSerial);
    }
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

    if (auto* file = form.findChild<QMenu*>(QStringLiteral("File"))) {
        auto* history = new QAction(QStringLiteral("历史记录&H"), file);
        history->setObjectName(QStringLiteral("History"));
        QAction* exportAction = form.findChild<QAction*>(QStringLiteral("ExportExcel"));
        const QList<QAction*> items = file->actions();
        const qsizetype at = items.indexOf(exportAction);
        file->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, history);
        connect(history, &QAction::triggered, this, [this] { showHistory(); });
    }
}

LogControls::~LogControls() = default;

int LogControls::finish()
{
    logger_->finishSeries();
    return log_.close();
}

void LogControls::takeSerial()
{
    TestRecord& r = controller_.record();
    storeText(r.infoNo, utf8ToCp936(serial_->text().trimmed().toStdString()));
    serial_->setText(QString::fromStdString(fieldUtf8(r.infoNo)));
    serial_->selectAll();                // the next scan replaces it
    emit controller_.repaintRequested(); // the report header shows the number
}

void LogControls::showSerial()
{
    if (!serial_ || serial_->hasFocus())
        return;
    // Asked at every step of a run: the field is laid out and repainted only for a new number.
    const QString number = QString::fromStdString(fieldUtf8(controller_.record().infoNo));
    if (serial_->text() != number)
        serial_->setText(number);
}

void LogControls::onSubmitted(const LogEntry& entry, bool single)
{
    if (!single || !autoIncrement_ || !autoIncrement_->isChecked())
        return;
    TestRecord& r = controller_.record();
    const QString now = QString::fromStdString(fieldUtf8(r.infoNo));
    if (now != entry.serial())
        return; // changed by the operator meanwhile
    const std::string next = utf8ToCp936(nextSerialNumber(now).toStdString());
    if (next.size() >= sizeof r.infoNo)
        return; // the next number would not fit the field: keep it for the operator to see
    storeText(r.infoNo, next);
    if (serial_)
        serial_->setText(QString::fromStdString(fieldUtf8(r.infoNo)));
}

void LogControls::updateStatus()
{
    const int waiting = log_.waiting();
    QString text = QStringLiteral("记录 %1").arg(logged_);
    if (waiting > 0)
        text += QStringLiteral("  待写入 %1").arg(waiting);
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
        problemBox_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("警告"), QString(), QMessageBox::Ok, &form_);
        problemBox_->setObjectName(QStringLiteral("LogProblem"));
        problemBox_->setModal(false);
        // Retries back off to one a minute: once the operator has freed the file or the disk,
        // this writes at once.
        QPushButton* retry = problemBox_->addButton(QStringLiteral("立即重试"), QMessageBox::ActionRole);
        retry->setObjectName(QStringLiteral("LogRetry"));
        connect(retry, &QPushButton::clicked, &log_, &ResultsLog::retry);
    }
    problemBox_->setText(QStringLiteral("测试结果暂时无法记录，结果保留在内存中，稍后自动重试；"
                                        "关闭程序时仍未写入的结果暂存于 %1，下次启动时写入。\n\n")
                             .arg(log_.target().unwrittenPath) +
                         text);
    problemBox_->show();
}

HistoryWindow* LogControls::showHistory()
{
    if (!history_) {
        history_ = new HistoryWindow(
            log_.target(), judge_->profiles(),
            [this](const QByteArray& image) {
                form_.openRecordImage(std::vector<uint8_t>(image.begin(), image.end()));
                form_.raise();
                form_.activateWindow();
            },
            &form_);
        history_->setAttribute(Qt::WA_DeleteOnClose);
    }
    history_->retranslate(controller_.record().chinese != 0);
    history_->show();
    history_->raise();
    history_->refresh();
    return history_;
}

} // namespace korvex
