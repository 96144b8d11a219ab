// The verdict panel: result banner, profile choice, table of checks and harmonic chart.
#include "app/window/VerdictPanel.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/canvas/ScreenCanvas.h"
#include "kinds/VerdictPage.h"
#include "link/Controller.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

const QColor kPass(0, 140, 0);
const QColor kFail(200, 0, 0);
const QColor kNone(120, 120, 120);

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

/// The harmonic chart, drawn by the same routine as the verdict sheet's.
class ChartView : public QWidget {
  public:
    ChartView(const Verdict& verdict, const bool& chinese, QWidget* parent)
        : QWidget(parent), verdict_(verdict), chinese_(chinese)
    {
        setMinimumHeight(150);
    }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        ScreenCanvas canvas(width(), height());
        canvas.fillRect(0, 0, width(), height(), colours::white);
        drawHarmonicChart(canvas, verdict_, {4, 4, width() - 6, height() - 2}, false, chinese_);
        QPainter(this).drawImage(0, 0, canvas.image());
    }

  private:
    const Verdict& verdict_;
    const bool& chinese_;
};

} // namespace

VerdictPanel::VerdictPanel(Controller& controller, const QString& programDir, QWidget* parent)
    : QDockWidget(parent), controller_(controller)
{
    setObjectName(QStringLiteral("VerdictPanel"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

    const ProfileParse limits = loadProfileFile(QFile::encodeName(programDir).toStdString());
    profiles_ = limits.set;
    if (!limits.ok)
        limitsMessage_ = u8(limits.error);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    result_ = new QLabel(body);
    result_->setAlignment(Qt::AlignCenter);
    result_->setMinimumHeight(44);
    QFont big = result_->font();
    big.setPointSize(big.pointSize() + 10);
    big.setBold(true);
    result_->setFont(big);
    layout->addWidget(result_);
    detail_ = new QLabel(body);
    detail_->setWordWrap(true);
    layout->addWidget(detail_);
    warning_ = new QLabel(body);
    warning_->setWordWrap(true);
    warning_->setStyleSheet(QStringLiteral("color: #c80000;"));
    warning_->setVisible(!limitsMessage_.isEmpty());
    layout->addWidget(warning_);
    profileBox_ = new QComboBox(body);
    profileBox_->addItem(QString()); // the automatic choice, captioned by retranslate()
    for (const std::string& name : profiles_.names())
        profileBox_->addItem(u8(name), u8(name));
    layout->addWidget(profileBox_);
    table_ = new QTableWidget(0, 5, body);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    layout->addWidget(table_, 1);
    chart_ = new ChartView(verdict_, chinese_, body);
    layout->addWidget(chart_);
    setWidget(body);
    setMinimumWidth(400);

    connect(profileBox_, &QComboBox::currentIndexChanged, this, &VerdictPanel::refresh);
    connect(&controller_, &Controller::runCompleted, this, &VerdictPanel::onRunCompleted);
    connect(&controller_, &Controller::resultsReset, this, &VerdictPanel::onResultsReset);
    retranslate(controller_.record().chinese != 0);
}

VerdictPanel::~VerdictPanel() = default;

void VerdictPanel::onRunCompleted(int32_t kind)
{
    const TestRecord& r = controller_.record();
    if (kind == KindInput || kind == KindPhase || kind == KindComprehensive) {
        series_.add(r);
        seriesLast_ = {r.Pin, r.Irms, r.pctI[3]};
    }
    refresh();
}

void VerdictPanel::onResultsReset(int32_t kind)
{
    if (kind == KindInput || kind == KindPhase || kind == KindComprehensive) {
        series_.reset();
        refresh();
    }
}

bool VerdictPanel::seriesMatchesRecord() const
{
    const TestRecord& r = controller_.record();
    return series_.runs() > 0 && seriesLast_ == std::array<float, 3>{r.Pin, r.Irms, r.pctI[3]};
}

const VerdictProfile& VerdictPanel::chosenProfile() const
{
    const QString name = profileBox_->currentData().toString();
    if (!name.isEmpty())
        return profiles_.findOrDefault(name.toStdString());
    return profiles_.findOrDefault(fieldUtf8(controller_.record().infoType));
}

void VerdictPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    refresh();
}

void VerdictPanel::refresh()
{
    const TestRecord& r = controller_.record();
    const bool chinese = r.chinese != 0;
    if (int(chinese) != shownLanguage_)
        retranslate(chinese);
    // A data file opened since the last run replaced the values the series was taken from.
    if (!controller_.testRunning() && series_.runs() > 0 && !seriesMatchesRecord())
        series_.reset();
    if (!isVisible())
        return; // judged again when shown
    verdict_ = seriesMatchesRecord() ? series_.judge(r, chosenProfile()) : judgeRecord(r, chosenProfile());

    const bool judged = verdict_.judged();
    const QColor colour = !judged ? kNone : verdict_.pass ? kPass : kFail;
    result_->setText(u8(!judged ? (chinese ? "无结果" : "NO RESULT")
                                : outcomeText(verdict_.pass ? Outcome::Pass : Outcome::Fail, chinese)));
    result_->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: %1; border-radius: 4px; }").arg(colour.name()));
    const QString runs = verdict_.runs > 1 ? (chinese ? QStringLiteral("%1次测量平均").arg(verdict_.runs)
                                                      : QStringLiteral("average of %1 runs").arg(verdict_.runs))
                                           : (chinese ? QStringLiteral("单次测量") : QStringLiteral("single capture"));
    detail_->setText((chinese ? QStringLiteral("限值配置: ") : QStringLiteral("Profile: ")) + u8(verdict_.profile) +
                     QStringLiteral(" · ") + runs);
    fillTable(chinese);
    chart_->update();
}

void VerdictPanel::fillTable(bool chinese)
{
    table_->setRowCount(0);
    auto addRow = [this] {
        const int row = table_->rowCount();
        table_->insertRow(row);
        return row;
    };
    for (const VerdictSection& s : verdict_.sections) {
        const int row = addRow();
        QString title = u8(sectionLabel(s, chinese)) + QStringLiteral(": ") +
                        QString::fromUtf8(outcomeText(s.pass ? Outcome::Pass : Outcome::Fail, chinese));
        if (s.kind == SectionKind::ClassC && s.regime == ClassCRegime::LowPower)
            title += QStringLiteral("  (a %1, b %2)")
                         .arg(QString::fromUtf8(outcomeText(s.passA ? Outcome::Pass : Outcome::Fail, chinese)),
                              QString::fromUtf8(outcomeText(s.passB ? Outcome::Pass : Outcome::Fail, chinese)));
        auto* head = new QTableWidgetItem(title);
        QFont bold = head->font();
        bold.setBold(true);
        head->setFont(bold);
        head->setForeground(s.pass ? kPass : kFail);
        table_->setItem(row, 0, head);
        head->setToolTip(title);
        table_->setSpan(row, 0, 1, 5);
        for (const LimitCheck& c : s.checks) {
            const int r = addRow();
            const QString unit = QString::fromUtf8(checkUnit(c));
            // The unit stands once, with the limit; a series adds its largest run.
            QString value = number(c.value);
            if (std::isfinite(c.maxValue))
                value += QStringLiteral(" / ") + number(c.maxValue);
            const QString limit = QString::fromUtf8(c.upper ? "≤ " : "≥ ") + number(c.limit) + QLatin1Char(' ') + unit;
            const QString margin = std::isfinite(c.margin) ? QString::number(c.margin, 'f', 1) + QStringLiteral(" %")
                                                           : QStringLiteral("-");
            const QString cells[5] = {u8(checkLabel(c, chinese)), value, limit, margin,
                                      QString::fromUtf8(outcomeText(c.result, chinese))};
            for (int k = 0; k < 5; ++k) {
                auto* item = new QTableWidgetItem(cells[k]);
                if (k >= 1 && k <= 3)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (k == 4)
                    item->setForeground(c.result == Outcome::Pass ? kPass : c.result == Outcome::Fail ? kFail : kNone);
                table_->setItem(r, k, item);
            }
        }
    }
}

void VerdictPanel::retranslate(bool chinese)
{
    shownLanguage_ = int(chinese);
    chinese_ = chinese;
    setWindowTitle(chinese ? QStringLiteral("判定") : QStringLiteral("Verdict"));
    profileBox_->setItemText(0, chinese ? QStringLiteral("按产品型号自动选择")
                                        : QStringLiteral("Automatic (product type)"));
    table_->setHorizontalHeaderLabels(
        chinese ? QStringList{QStringLiteral("项目"), QStringLiteral("测量值"), QStringLiteral("限值"),
                              QStringLiteral("裕量"), QStringLiteral("结果")}
                : QStringList{QStringLiteral("Check"), QStringLiteral("Value"), QStringLiteral("Limit"),
                              QStringLiteral("Margin"), QStringLiteral("Result")});
    if (!limitsMessage_.isEmpty())
        warning_->setText(chinese ? QStringLiteral("限值文件有误，使用默认限值: ") + limitsMessage_ : limitsMessage_);
}

} // namespace korvex
