// The verdict panel: result banner, what was judged, table of checks and harmonic chart.
#include "app/window/VerdictPanel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/canvas/ScreenCanvas.h"
#include "kinds/VerdictNames.h"
#include "kinds/VerdictPage.h"
#include "link/Controller.h"
#include "log/RunJudge.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

const QColor kPass(0, 140, 0);
const QColor kFail(200, 0, 0);
const QColor kNone(120, 120, 120);

const char* const kKindZh[] = {
    "", "输入性能测试", "相位角测试", "输出性能测试", "综合性能测试", "启动性能测试", "预热能量测试"};
const char* const kKindEn[] = {
    "", "Input test", "Phase-angle test", "Output test", "Comprehensive test", "Start test", "Preheat energy test"};

QColor colourOf(VerdictResult r)
{
    switch (r) {
    case VerdictResult::Pass: return kPass;
    case VerdictResult::Fail: return kFail;
    case VerdictResult::NotJudged: return QColor(150, 60, 0);
    case VerdictResult::NoChecks: break;
    }
    return kNone;
}

QString u8(const std::string& s)
{
    return QString::fromStdString(s);
}

QString number(double v)
{
    if (!std::isfinite(v))
        return QStringLiteral("-");
    const double a = std::abs(v);
    return QString::number(v, 'f', a >= 1000 ? 0 : a >= 100 ? 1 : a >= 10 ? 2 : 3);
}

/// The harmonic chart, drawn by the same routine as the verdict sheet's, in the window's own
/// font at its normal size.
class ChartView : public QWidget {
  public:
    ChartView(const Verdict& verdict, const bool& chinese, QWidget* parent)
        : QWidget(parent), verdict_(verdict), chinese_(chinese)
    {
        setMinimumHeight(16 * QFontInfo(font()).pixelSize());
    }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        ScreenCanvas canvas(width(), height());
        canvas.fillRect(0, 0, width(), height(), colours::white);
        const std::string face = QFontInfo(font()).family().toStdString();
        ChartBox box{4, 4, width() - 6, height() - 2};
        box.textHeight = QFontMetrics(font()).height(); // cell height, as the canvas takes it
        box.font = face.c_str();
        drawHarmonicChart(canvas, verdict_, box, false, chinese_);
        QPainter(this).drawImage(0, 0, canvas.image());
    }

  private:
    const Verdict& verdict_;
    const bool& chinese_;
};

} // namespace

VerdictPanel::VerdictPanel(Controller& controller, QWidget* parent) : QDockWidget(parent), controller_(controller)
{
    setObjectName(QStringLiteral("VerdictPanel"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    result_ = new QLabel(body);
    result_->setObjectName(QStringLiteral("VerdictResult"));
    result_->setAlignment(Qt::AlignCenter);
    result_->setMinimumHeight(44);
    QFont big = result_->font();
    big.setPointSize(big.pointSize() + 10);
    big.setBold(true);
    result_->setFont(big);
    layout->addWidget(result_);
    detail_ = new QLabel(body);
    detail_->setObjectName(QStringLiteral("VerdictSource"));
    detail_->setWordWrap(true);
    layout->addWidget(detail_);
    warning_ = new QLabel(body);
    warning_->setObjectName(QStringLiteral("VerdictLimits"));
    warning_->setWordWrap(true);
    warning_->setStyleSheet(QStringLiteral("color: #c80000;"));
    warning_->hide();
    layout->addWidget(warning_);
    table_ = new QTableWidget(0, 5, body);
    table_->setObjectName(QStringLiteral("VerdictChecks"));
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    layout->addWidget(table_, 1);
    chart_ = new ChartView(shown_, chinese_, body);
    layout->addWidget(chart_);
    setWidget(body);
    fillTable(controller_.record().chinese != 0); // its columns, and the panel's width to them

    // Every step asks for a repaint; the panel works only when what it shows has changed (the
    // serial number, the language).
    connect(&controller_, &Controller::repaintRequested, this, &VerdictPanel::refresh);
    retranslate(controller_.record().chinese != 0);
    refresh();
}

VerdictPanel::~VerdictPanel() = default;

void VerdictPanel::setJudge(RunJudge* judge)
{
    judge_ = judge;
    if (judge_) {
        connect(judge_, &RunJudge::judged, this, &VerdictPanel::refresh);
        connect(&judge_->limits(), &LimitsWatch::changed, this, &VerdictPanel::refresh);
    }
    shownKey_.clear();
    refresh();
}

QString VerdictPanel::limitsMessage() const
{
    if (!judge_)
        return {};
    const LimitsFile& f = judge_->limits().current();
    return f.ok() ? QString() : QStringLiteral("not judged: ") + f.error;
}

void VerdictPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    shownKey_.clear();
    refresh();
}

void VerdictPanel::refresh()
{
    if (!isVisible())
        return; // shown afresh when the dock is
    const TestRecord& r = controller_.record();
    const bool chinese = r.chinese != 0;
    QString key = QString::number(int(chinese));
    if (judge_) {
        const Judgement& j = judge_->current();
        key += QStringLiteral("|%1|%2|%3|%4|%5|")
                   .arg(j.atMs)
                   .arg(j.serial, j.source)
                   .arg(j.runs)
                   .arg(int(j.verdict.result()));
        key += QString::fromStdString(fieldUtf8(r.infoNo)) + QLatin1Char('|') + limitsMessage();
    }
    if (key == shownKey_)
        return;
    shownKey_ = key;
    render(chinese);
}

QString VerdictPanel::sourceText() const
{
    return detail_->text();
}

void VerdictPanel::render(bool chinese)
{
    if (chinese != chinese_ || windowTitle().isEmpty())
        retranslate(chinese);
    const auto t = [chinese](const char* zh, const char* en) { return QString::fromUtf8(chinese ? zh : en); };
    const QString serialNow = QString::fromStdString(fieldUtf8(controller_.record().infoNo));
    const Judgement none;
    const Judgement& j = judge_ ? judge_->current() : none;
    // A judgement of another ballast is not shown as this one's.
    const bool ofThisBallast = j.valid() && j.serial == serialNow;
    shown_ = ofThisBallast ? j.verdict : Verdict{};

    const QString limits = limitsMessage();
    warning_->setVisible(!limits.isEmpty());
    if (judge_ && !limits.isEmpty())
        warning_->setText(t("判定已关闭，修正限值文件后恢复（", "Verdicts are off until the limits file is fixed (") +
                          judge_->limits().path() + t("）：\n", "):\n") +
                          (chinese ? judge_->limits().current().errorZh : judge_->limits().current().error));

    if (!ofThisBallast) {
        result_->setText(t("无结果", "NO RESULT"));
        result_->setStyleSheet(
            QStringLiteral("QLabel { color: white; background: %1; border-radius: 4px; }").arg(kNone.name()));
        if (j.valid())
            detail_->setText(t("产品编号已改为 %1，尚无其结果（上次判定: %2）", "Serial number now %1, no result of it "
                                                                                "yet (last judged: %2)")
                                 .arg(serialNow.isEmpty() ? QStringLiteral("-") : serialNow,
                                      j.serial.isEmpty() ? QStringLiteral("-") : j.serial));
        else
            detail_->setText(t("尚无判定", "Nothing judged yet"));
        fillTable(chinese);
        chart_->update();
        return;
    }
    const VerdictResult result = shown_.result();
    result_->setText(QString::fromUtf8(resultText(result, chinese)));
    result_->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: %1; border-radius: 4px; }").arg(colourOf(result).name()));

    QStringList parts;
    if (j.kind != 0) {
        const int kind = std::clamp(j.kind, 0, 6);
        parts << QString::fromUtf8(chinese ? kKindZh[kind] : kKindEn[kind]);
        if (!j.source.isEmpty())
            parts << t("历史记录中的判定", "as logged");
        if (j.runs > 1)
            parts << t("%1次连续测试", "series of %1 runs").arg(j.runs);
    } else {
        parts << t("打开的记录 %1", "opened record %1").arg(QFileInfo(j.source).fileName()) +
                     t("（全部结果）", " (all its results)");
    }
    parts << t("产品编号 ", "serial ") + (j.serial.isEmpty() ? QStringLiteral("-") : j.serial);
    if (j.atMs > 0)
        parts << QDateTime::fromMSecsSinceEpoch(j.atMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    else
        parts << t("测试日期 ", "tested ") + QString::fromStdString(fieldUtf8(controller_.record().testDate));
    if (shown_.judged()) {
        if (shown_.runs > 1)
            parts << t("谐波按%1次平均", "harmonics averaged over %1 runs").arg(shown_.runs);
        parts << t("限值配置 ", "profile ") + u8(shown_.profile);
    }
    QString text = parts.join(QStringLiteral(" · "));
    if (result == VerdictResult::NoChecks)
        text += t("\n该测试没有判定项目。", "\nNo limits apply to what this test measures.");
    if (result == VerdictResult::NotJudged && limits.isEmpty()) // else the warning says why
        text += t("\n未判定: ", "\nnot judged: ") + u8(shown_.notJudged);
    detail_->setText(text);
    fillTable(chinese);
    chart_->update();
}

void VerdictPanel::fillTable(bool chinese)
{
    const auto t = [chinese](const char* zh, const char* en) { return QString::fromUtf8(chinese ? zh : en); };
    // Over a series the average and the largest single run stand in columns of their own.
    const bool series = shown_.runs > 1;
    QStringList heads{t("项目", "Check")};
    if (series)
        heads << t("%1次平均", "average of %1").arg(shown_.runs) << t("最大单次", "largest run");
    else
        heads << t("测量值", "value");
    heads << t("限值", "limit") << t("裕量", "margin") << t("结果", "result");
    const int columns = int(heads.size());
    table_->clearSpans();
    table_->setRowCount(0);
    table_->setColumnCount(columns);
    table_->setHorizontalHeaderLabels(heads);
    if (series)
        table_->horizontalHeaderItem(2)->setToolTip(
            t("单次测量的最大值，限值的 150 % 以内合格", "the largest single run, within 150 % of the limit"));
    table_->horizontalHeaderItem(columns - 2)
        ->setToolTip(
            t("距限值的余量，以限值的百分数计；负值超出限值", "headroom in % of the limit; negative beyond it"));
    auto addRow = [this] {
        const int row = table_->rowCount();
        table_->insertRow(row);
        return row;
    };
    QFont bold = table_->font();
    bold.setBold(true);
    int titleWidth = 0;
    for (const VerdictSection& s : shown_.sections) {
        const int row = addRow();
        QString title = u8(sectionLabel(s, chinese)) + QStringLiteral(": ") +
                        QString::fromUtf8(outcomeText(s.pass ? Outcome::Pass : Outcome::Fail, chinese));
        if (s.kind == SectionKind::ClassC && s.regime == ClassCRegime::LowPower)
            title += QStringLiteral("  (a %1, b %2)")
                         .arg(QString::fromUtf8(outcomeText(s.passA ? Outcome::Pass : Outcome::Fail, chinese)),
                              QString::fromUtf8(outcomeText(s.passB ? Outcome::Pass : Outcome::Fail, chinese)));
        auto* head = new QTableWidgetItem(title);
        head->setFont(bold);
        head->setForeground(s.pass ? kPass : kFail);
        table_->setItem(row, 0, head);
        head->setToolTip(title);
        table_->setSpan(row, 0, 1, columns);
        titleWidth = std::max(titleWidth, QFontMetrics(bold).horizontalAdvance(title));
        for (const LimitCheck& c : s.checks) {
            const int r = addRow();
            // Every figure with its unit.
            const QString unit = QString::fromUtf8(checkUnit(c));
            const auto withUnit = [&unit](double v) {
                return unit.isEmpty() || !std::isfinite(v) ? number(v) : number(v) + QLatin1Char(' ') + unit;
            };
            QStringList cells{u8(checkLabel(c, chinese)), withUnit(c.value)};
            if (series)
                cells << (std::isfinite(c.maxValue) ? withUnit(c.maxValue) : QString());
            cells << QString::fromUtf8(c.upper ? "≤ " : "≥ ") + withUnit(c.limit)
                  << (std::isfinite(c.margin) ? QString::number(c.margin, 'f', 1) + QStringLiteral(" %")
                                              : QStringLiteral("-"))
                  << QString::fromUtf8(outcomeText(c.result, chinese));
            for (int k = 0; k < columns; ++k) {
                auto* item = new QTableWidgetItem(cells[k]);
                if (k >= 1 && k < columns - 1)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (k == columns - 1)
                    item->setForeground(c.result == Outcome::Pass ? kPass : c.result == Outcome::Fail ? kFail : kNone);
                table_->setItem(r, k, item);
            }
        }
    }
    table_->resizeColumnsToContents();
    fitToContent(titleWidth);
    // The chart shows judged harmonics; without them the checks take its room.
    chart_->setVisible(shown_.section(SectionKind::ClassC) != nullptr);
}

void VerdictPanel::fitToContent(int titleWidth)
{
    // The columns as their widest cell or head needs, the section titles across all of them.
    QHeaderView* header = table_->horizontalHeader();
    constexpr int kTitleMargins = 8;                   // the cell's margins and grid line
    if (titleWidth + kTitleMargins > header->length()) // the titles want more: the first column takes it
        table_->setColumnWidth(0, header->sectionSize(0) + titleWidth + kTitleMargins - header->length());
    // Then the panel as wide as its table (once it is laid out on screen); the operator may
    // still drag it wider or narrower.
    if (!fitPending_) {
        fitPending_ = true;
        QTimer::singleShot(0, this, [this] {
            fitPending_ = false;
            auto* window = qobject_cast<QMainWindow*>(parentWidget());
            if (!window || !isVisible() || isFloating())
                return;
            const int scrollBar = table_->verticalScrollBar()->isVisible()
                                      ? 0
                                      : table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_);
            const int wanted = table_->horizontalHeader()->length() + width() - table_->viewport()->width() + scrollBar;
            if (wanted != width())
                window->resizeDocks({this}, {wanted}, Qt::Horizontal);
        });
    }
}

void VerdictPanel::retranslate(bool chinese)
{
    chinese_ = chinese;
    setWindowTitle(chinese ? QStringLiteral("判定") : QStringLiteral("Verdict"));
}

} // namespace korvex
