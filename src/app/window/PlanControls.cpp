// The production sequence's controls, strip and banner.
#include "app/window/PlanControls.h"

#include <QtCore/QDateTime>
#include <QtCore/QEvent>
#include <QtCore/QThreadPool>
#include <QtGui/QKeySequence>
#include <QtGui/QShortcut>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>
#include <algorithm>

#include "app/canvas/Archive.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "link/Controller.h"
#include "log/LimitsFile.h"
#include "log/LogQuery.h"
#include "log/LogSettings.h"
#include "log/PlanRunner.h"
#include "log/ResultsLog.h"
#include "log/RunJudge.h"

namespace korvex {

namespace {

const char* const kKindZh[] = {"", "输入", "相位角", "输出", "综合", "启动", "预热能量"};
const char* const kKindEn[] = {"", "Input", "Phase", "Output", "Comprehensive", "Start", "Preheat energy"};

/// Background and text colour of a step's state.
const char* stateStyle(StepState s)
{
    switch (s) {
    case StepState::Waiting: return "background:#e0e0e0; color:#404040";
    case StepState::Running: return "background:#2060c0; color:white";
    case StepState::Passed: return "background:#1a8f2e; color:white";
    case StepState::Failed: return "background:#c01818; color:white";
    case StepState::NoChecks: return "background:#808080; color:white";
    case StepState::Incomplete: return "background:#e08000; color:white";
    }
    return "";
}

const char* stateText(StepState s, bool chinese)
{
    switch (s) {
    case StepState::Waiting: return chinese ? "等待" : "waiting";
    case StepState::Running: return chinese ? "测试中" : "running";
    case StepState::Passed: return chinese ? "合格" : "passed";
    case StepState::Failed: return chinese ? "不合格" : "failed";
    case StepState::NoChecks: return chinese ? "无判定" : "no checks";
    case StepState::Incomplete: return chinese ? "未完成" : "incomplete";
    }
    return "";
}

} // namespace

PlanControls::PlanControls(TKORVEXForm& form, Controller& controller, LogControls& log, QObject* parent)
    : QObject(parent), form_(form), controller_(controller), log_(log),
      runner_(std::make_unique<PlanRunner>(controller, log.logger(), log.judge())),
      archive_(std::make_unique<ArchiveWriter>())
{
    runner_->setLog(&log.log());
    runner_->setBench(benchNameOf(log.judge().limits().current()));
    runner_->setWiringConfirmation([&form] { return form.confirmWiring(); });

    action_ = new QAction(&form);
    action_->setObjectName(QStringLiteral("PlanTest"));
    action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(action_, &QAction::triggered, this, &PlanControls::startPlan);
    if (auto* test = form.findChild<QMenu*>(QStringLiteral("Test"))) {
        test->addSeparator();
        test->addAction(action_);
    }
    if (auto* bar = form.findChild<QToolBar*>(QStringLiteral("Panel1"))) {
        // Beside the serial number field: scan, then start.
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("PlanBtn"));
        button->setDefaultAction(action_);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::NoFocus);
        QAction* after = nullptr;
        const QList<QAction*> actions = bar->actions();
        for (qsizetype i = 0; i + 1 < actions.size(); ++i)
            if (bar->widgetForAction(actions[i]) == log.autoIncrementButton())
                after = actions[i + 1];
        bar->insertWidget(after, button);
    }
    // Esc stops a plan under way, as the lock button does.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), &form);
    connect(esc, &QShortcut::activated, this, [this] { runner_->cancel(); });
    form.setLockOverride([this] {
        if (!runner_->running())
            return false;
        runner_->cancel();
        return true;
    });
    if (QLineEdit* serial = log.serialField())
        connect(serial, &QLineEdit::returnPressed, this, &PlanControls::onScan); // after the number is set

    strip_ = new QToolBar(&form);
    strip_->setObjectName(QStringLiteral("PlanStrip"));
    strip_->setMovable(false);
    strip_->setFloatable(false);
    strip_->setContextMenuPolicy(Qt::PreventContextMenu);
    stripCaption_ = new QLabel(strip_);
    strip_->addWidget(stripCaption_);
    form.addToolBarBreak(Qt::TopToolBarArea);
    form.addToolBar(Qt::TopToolBarArea, strip_);
    strip_->hide();

    area_ = form.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    banner_ = new QLabel(area_ ? static_cast<QWidget*>(area_) : static_cast<QWidget*>(&form));
    banner_->setObjectName(QStringLiteral("PlanBanner"));
    banner_->setAlignment(Qt::AlignCenter);
    banner_->setWordWrap(true);
    banner_->setTextFormat(Qt::RichText);
    banner_->hide();
    if (area_)
        area_->installEventFilter(this);

    connect(runner_.get(), &PlanRunner::ballastStarted, this, [this] {
        banner_->hide();
        showStrip();
        lookUpBallasts(runner_->ballast().serial);
    });
    connect(runner_.get(), &PlanRunner::stepChanged, this, &PlanControls::showStep);
    archiveStatus_ = new QLabel(&form);
    archiveStatus_->setObjectName(QStringLiteral("ArchiveStatus"));
    archiveStatus_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold"));
    archiveStatus_->hide();
    form.statusBar()->addPermanentWidget(archiveStatus_);
    connect(archive_.get(), &ArchiveWriter::failed, this, &PlanControls::onArchiveFailed);
    connect(archive_.get(), &ArchiveWriter::done, this, [this] {
        archiveFolder_.clear();
        archiveStatus_->hide();
    });

    connect(runner_.get(), &PlanRunner::ballastFinished, this, [this](const Ballast& b) {
        archiveBallast(b); // before +1: the record still holds this ballast's number
        showBanner(b);
        if (b.result != BallastResult::Incomplete)
            log_.countSerialUp(b.serial);
    });
    connect(&form, &TKORVEXForm::languageChanged, this, &PlanControls::retranslate);
    retranslate(controller.record().chinese != 0);
}

PlanControls::~PlanControls()
{
    form_.setLockOverride({});
}

void PlanControls::retranslate(bool chinese)
{
    chinese_ = chinese;
    action_->setText(QString::fromUtf8(chinese ? "生产测试计划" : "Test plan"));
    action_->setToolTip(QString::fromUtf8(chinese ? "按产品型号的测试计划测试一个镇流器 (Ctrl+R)；Esc 或锁定键停止"
                                                  : "test one ballast by its type's plan (Ctrl+R); Esc or the lock "
                                                    "stops it"));
    stripCaption_->setText(QString::fromUtf8(chinese ? " 测试计划 " : " Plan "));
    showArchiveFailure();
    for (size_t i = 0; i < steps_.size(); ++i)
        showStep(int(i));
    if (banner_->isVisible() && runner_->ballast().finished())
        showBanner(runner_->ballast());
}

void PlanControls::startPlan()
{
    QString why;
    if (runner_->start(&why))
        return;
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(chinese_ ? "警告" : "Warning"),
                    QString::fromUtf8(chinese_ ? "无法开始测试计划：" : "The test plan cannot start: ") + why,
                    QMessageBox::Ok, &form_);
    box.exec();
}

void PlanControls::onScan()
{
    if (runner_->running() || controller_.testRunning())
        return;
    QString why;
    const std::optional<VerdictProfile> p = log_.judge().profileFor(controller_.record(), &why);
    if (p && p->startOnScan)
        startPlan();
}

void PlanControls::lookUpBallasts(const QString& serial)
{
    ResultsLog& log = log_.log();
    if (serial.isEmpty() || !log.target().unusable.isEmpty())
        return;
    // A ballast of the number in the log, whatever its result, makes this one a retest. The log
    // is asked off the window's thread; the answer arrives while the plan runs (the runner
    // marks the ballast when it ends).
    const LogTarget target = log.target();
    QPointer<PlanRunner> runner(runner_.get());
    QThreadPool::globalInstance()->start([runner, target, serial] {
        LogQuery q;
        QString error;
        LogFilter f;
        f.serial = serial;
        f.ballasts = true;
        std::vector<LogEntry> tested;
        if (!q.open(target, &error) || !q.list(f, 50, tested, &error))
            return; // the log cannot tell: only this session's ballasts are known
        if (std::none_of(tested.begin(), tested.end(), [&serial](const LogEntry& e) { return e.serial() == serial; }))
            return; // a pattern character in the number matches no other
        QMetaObject::invokeMethod(qApp, [runner, serial] {
            if (runner)
                runner->noteTested(serial);
        });
    });
}

void PlanControls::archiveBallast(const Ballast& b)
{
    const ArchiveSettings settings = log_.judge().limits().current().archive;
    if (!settings.on())
        return;
    ArchiveItem item;
    item.record = controller_.record(); // the ballast's own results: the plan reset the rest
    item.kinds = ballastPages(b);
    item.verdict = ballastVerdict(b, chinese_);
    item.result = b.result;
    item.serial = b.serial.toStdString();
    item.type = b.type.toStdString();
    item.endedAt = QDateTime::fromMSecsSinceEpoch(b.endedAtMs);
    item.chinese = chinese_;
    archive_->enqueue(std::move(item), settings);
}

void PlanControls::onArchiveFailed(const QString& folder, const QString& reason)
{
    archiveFolder_ = folder;
    archiveReason_ = reason;
    // Not modal: the next ballast can be tested while the folder is put right.
    if (!archiveBox_) {
        archiveBox_ = new QMessageBox(QMessageBox::Warning, QString(), QString(), QMessageBox::Ok, &form_);
        archiveBox_->setObjectName(QStringLiteral("ArchiveProblem"));
        archiveBox_->setModal(false);
    }
    showArchiveFailure();
    archiveBox_->show();
}

void PlanControls::showArchiveFailure()
{
    if (archiveFolder_.isEmpty())
        return;
    archiveStatus_->setText(
        QString::fromUtf8(chinese_ ? "归档失败: %1" : "Archive not written: %1").arg(archiveFolder_));
    archiveStatus_->setToolTip(archiveReason_);
    archiveStatus_->show();
    if (!archiveBox_)
        return;
    archiveBox_->setWindowTitle(QString::fromUtf8(chinese_ ? "警告" : "Warning"));
    // The writer's own account names the files and the reasons (in English).
    archiveBox_->setText(
        QString::fromUtf8(chinese_ ? "归档文件夹 %1 无法写入，以下文件未保存。该镇流器的结果仍保存在测试记录中。\n\n%2"
                                   : "The archive folder %1 cannot be written: the files below were not saved. The "
                                     "ballast's results are still in the results log.\n\n%2")
            .arg(archiveFolder_, archiveReason_));
}

void PlanControls::showStrip()
{
    for (QLabel* l : steps_)
        l->deleteLater();
    steps_.clear();
    strip_->clear();
    stripCaption_ = new QLabel(strip_);
    strip_->addWidget(stripCaption_);
    for (size_t i = 0; i < runner_->ballast().steps.size(); ++i) {
        auto* l = new QLabel(strip_);
        l->setObjectName(QStringLiteral("PlanStep%1").arg(i + 1));
        l->setMargin(4);
        strip_->addWidget(l);
        steps_.push_back(l);
    }
    retranslate(chinese_);
    strip_->show();
}

void PlanControls::showStep(int index)
{
    if (index < 0 || size_t(index) >= steps_.size())
        return;
    const PlanStepOutcome& s = runner_->ballast().steps[size_t(index)];
    QString name = QString::fromUtf8(chinese_ ? kKindZh[s.step.kind] : kKindEn[s.step.kind]);
    if (s.step.runs > 1)
        name += QStringLiteral("×%1").arg(s.step.runs);
    steps_[size_t(index)]->setText(
        QStringLiteral(" %1. %2: %3 ").arg(index + 1).arg(name, QString::fromUtf8(stateText(s.state, chinese_))));
    steps_[size_t(index)]->setStyleSheet(
        QStringLiteral("QLabel { %1; font-weight: bold; border-radius: 3px }").arg(QLatin1String(stateStyle(s.state))));
}

void PlanControls::showBanner(const Ballast& b)
{
    // Read from two metres: the result in letters a fifth of the area high, what failed below.
    const bool pass = b.result == BallastResult::Pass;
    QString word;
    switch (b.result) {
    case BallastResult::Pass: word = QString::fromUtf8(chinese_ ? "合格 PASS" : "PASS"); break;
    case BallastResult::Fail: word = QString::fromUtf8(chinese_ ? "不合格 FAIL" : "FAIL"); break;
    case BallastResult::Incomplete: word = QString::fromUtf8(chinese_ ? "未完成 INCOMPLETE" : "INCOMPLETE"); break;
    case BallastResult::NotJudged: word = QString::fromUtf8(chinese_ ? "未判定 NOT JUDGED" : "NOT JUDGED"); break;
    }
    const int h = area_ ? area_->height() : 600;
    QString html = QStringLiteral("<div style='font-size:%1px; font-weight:bold'>%2</div>")
                       .arg(std::max(36, h / 6))
                       .arg(word.toHtmlEscaped());
    QString serial = b.serial.toHtmlEscaped();
    if (b.retest)
        serial += QString::fromUtf8(chinese_ ? "（复测）" : " (retest)");
    html += QStringLiteral("<div style='font-size:%1px'>%2</div>").arg(std::max(16, h / 22)).arg(serial);
    QStringList failed = b.failedChecks(chinese_);
    if (!b.failure.isEmpty())
        failed.prepend(b.failure);
    if (failed.size() > 8) {
        const qsizetype more = failed.size() - 7;
        failed = failed.mid(0, 7);
        failed << QString::fromUtf8(chinese_ ? "另有 %1 项" : "and %1 more").arg(more);
    }
    if (!failed.isEmpty())
        html += QStringLiteral("<div style='font-size:%1px; font-weight:bold'>%2</div>")
                    .arg(std::max(16, h / 20))
                    .arg(failed.join(QStringLiteral(" · ")).toHtmlEscaped());
    banner_->setText(html);
    banner_->setStyleSheet(
        QStringLiteral("QLabel#PlanBanner { background: %1; color: white; border-radius: 12px }")
            .arg(pass ? QStringLiteral("rgba(26,143,46,235)") : QStringLiteral("rgba(192,24,24,235)")));
    placeBanner();
    banner_->show();
    banner_->raise();
}

void PlanControls::placeBanner()
{
    if (!area_)
        return;
    // Over the middle of the report area, most of its width and more than half its height.
    const QRect r = area_->rect();
    banner_->setGeometry(r.adjusted(r.width() / 12, r.height() / 5, -r.width() / 12, -r.height() / 8));
}

bool PlanControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == area_ && event->type() == QEvent::Resize && banner_->isVisible())
        placeBanner();
    return QObject::eventFilter(watched, event);
}

} // namespace korvex
