// The history window: filters, the runs table, statistics and the trend chart. Queries run on
// the thread pool with a connection of their own; the window only shows their results.
#include "app/window/HistoryWindow.h"

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QDateTime>
#include <QtCore/QPointer>
#include <QtCore/QThreadPool>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDateEdit>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTableWidget>
#include <cmath>
#include <utility>

#include "app/window/ValueNames.h"
#include "kinds/BallastStats.h"
#include "kinds/VerdictProfile.h"
#include "log/LogBallasts.h"
#include "log/LogColumns.h"
#include "log/LogJudge.h"
#include "record/NumberFormat.h"

namespace korvex {

namespace {

constexpr int kShownRuns = 2000; // the newest of the set; statistics cover all of it

const char* const kKindsZh[] = {"全部", "输入性能", "相位角", "输出性能", "综合性能", "启动性能", "预热能量"};
const char* const kKindsEn[] = {"All", "Input", "Phase angle", "Output", "Comprehensive", "Start", "Preheat energy"};

// The columns of the runs table after time, serial, kind, type, operator, bench, verdict.
const char* const kTableValues[] = {"Pin", "PF", "THDI", "Pout", "Ilcf", "StrT", "preheatEnergy"};

constexpr int kParetoBars = 12; // the largest; the rest are too small to read as bars

QString fixed(double v, const LogValueColumn& c, int extra = 0)
{
    return QString::fromStdString(formatFixed(v, 4 + extra, c.decimals + extra));
}

} // namespace

struct HistoryWindow::Result {
    int generation = 0;
    QString error;
    std::vector<LogEntry> rows;
    LogStats stats;
    std::vector<LogTrendPoint> trend;
    const LogValueColumn* trendColumn = nullptr;
    LogBallasts ballasts;
    BallastStats ballastStats;
    /// The product types of the trend's runs (at most two: one is shared, two are not).
    QStringList trendTypes;
};

HistoryWindow::HistoryWindow(LogTarget target, const ProfileSet& profiles, std::function<void(const LogEntry&)> opener,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), target_(std::move(target)), profiles_(std::make_unique<ProfileSet>(profiles)),
      opener_(std::move(opener))
{
    setObjectName(QStringLiteral("HistoryWindow"));
    resize(1000, 700);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QGridLayout;
    auto label = [&](int row, int col, QWidget* field) {
        auto* l = new QLabel(this);
        l->setBuddy(field);
        labels_ << l;
        filters->addWidget(l, row, col);
        filters->addWidget(field, row, col + 1);
    };
    from_ = new QDateEdit(QDate::currentDate().addDays(-30), this);
    to_ = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    serial_ = new QLineEdit(this);
    type_ = new QLineEdit(this);
    operator_ = new QLineEdit(this);
    bench_ = new QLineEdit(this);
    kind_ = new QComboBox(this);
    verdict_ = new QComboBox(this);
    for (int i = 0; i < 7; ++i)
        kind_->addItem(QString());
    for (int i = 0; i < 5; ++i)
        verdict_->addItem(QString());
    serial_->setObjectName(QStringLiteral("HistorySerial"));
    label(0, 0, from_);
    label(0, 2, to_);
    label(0, 4, kind_);
    label(0, 6, verdict_);
    label(1, 0, serial_);
    label(1, 2, type_);
    label(1, 4, operator_);
    label(1, 6, bench_);
    search_ = new QPushButton(this);
    open_ = new QPushButton(this);
    filters->addWidget(search_, 0, 8);
    filters->addWidget(open_, 1, 8);
    layout->addLayout(filters);

    auto* split = new QSplitter(Qt::Vertical, this);
    runs_ = new QTableWidget(this);
    runs_->setObjectName(QStringLiteral("HistoryRuns"));
    runs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    runs_->setSelectionMode(QAbstractItemView::SingleSelection);
    runs_->verticalHeader()->hide();
    runs_->setColumnCount(7 + int(std::size(kTableValues)));
    split->addWidget(runs_);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QGridLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    summary_ = new QLabel(lower);
    summary_->setObjectName(QStringLiteral("HistorySummary"));
    stats_ = new QTableWidget(lower);
    stats_->setObjectName(QStringLiteral("HistoryStats"));
    stats_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stats_->verticalHeader()->hide();
    stats_->setColumnCount(6);
    trendValue_ = new QComboBox(lower);
    trendValue_->setObjectName(QStringLiteral("HistoryTrendValue"));
    for (const LogValueColumn& c : logValueColumns())
        trendValue_->addItem(QLatin1String(c.name), QLatin1String(c.name)); // named in retranslate
    trendValue_->setCurrentIndex(trendValue_->findData(QStringLiteral("Pin")));
    chart_ = new QChartView(lower);
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(220);
    // The ballasts' statistics beside those of the runs, in a tab of their own.
    tabs_ = new QTabWidget(lower);
    tabs_->setObjectName(QStringLiteral("HistoryStatsTabs"));
    tabs_->addTab(stats_, QString());
    auto* ballastPage = new QWidget(tabs_);
    auto* ballastLayout = new QGridLayout(ballastPage);
    ballastSummary_ = new QLabel(ballastPage);
    ballastSummary_->setObjectName(QStringLiteral("HistoryBallastSummary"));
    ballastSummary_->setWordWrap(true);
    pareto_ = new QChartView(ballastPage);
    pareto_->setRenderHint(QPainter::Antialiasing);
    capability_ = new QTableWidget(ballastPage);
    capability_->setObjectName(QStringLiteral("HistoryCapability"));
    capability_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    capability_->verticalHeader()->hide();
    capability_->setColumnCount(8);
    ballastLayout->addWidget(ballastSummary_, 0, 0, 1, 2);
    ballastLayout->addWidget(pareto_, 1, 0);
    ballastLayout->addWidget(capability_, 1, 1);
    // The table's eight columns need more room than the bars.
    ballastLayout->setColumnStretch(0, 2);
    ballastLayout->setColumnStretch(1, 3);
    tabs_->addTab(ballastPage, QString());
    lowerLayout->addWidget(summary_, 0, 0);
    lowerLayout->addWidget(trendValue_, 0, 1);
    lowerLayout->addWidget(tabs_, 1, 0);
    lowerLayout->addWidget(chart_, 1, 1);
    // The statistics name their values in words, and the ballasts' tab holds a chart and a table
    // of eight columns: more room than the trend.
    lowerLayout->setColumnStretch(0, 3);
    lowerLayout->setColumnStretch(1, 2);
    split->addWidget(lower);
    layout->addWidget(split, 1);

    connect(search_, &QPushButton::clicked, this, &HistoryWindow::refresh);
    for (QLineEdit* e : {serial_, type_, operator_, bench_})
        connect(e, &QLineEdit::returnPressed, this, &HistoryWindow::refresh);
    connect(trendValue_, &QComboBox::currentIndexChanged, this, &HistoryWindow::refresh);
    connect(open_, &QPushButton::clicked, this, [this] { openRow(runs_->currentRow()); });
    connect(runs_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    retranslate(true);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::retranslate(bool chinese)
{
    chinese_ = chinese;
    const auto t = [chinese](const char* zh, const char* en) { return QString::fromUtf8(chinese ? zh : en); };
    setWindowTitle(t("历史记录", "History"));
    const char* const zh[] = {"从", "到", "测试", "判定", "产品编号", "产品型号", "测试员", "工位"};
    const char* const en[] = {"From", "To", "Test", "Verdict", "Serial", "Type", "Operator", "Bench"};
    for (int i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(t(zh[i], en[i]));
    for (int i = 0; i < 7; ++i)
        kind_->setItemText(i, t(kKindsZh[i], kKindsEn[i]));
    const char* const vzh[] = {"全部", "合格", "不合格", "无判定项目", "未判定"};
    const char* const ven[] = {"All", "Pass", "Fail", "No checks", "Not judged"};
    for (int i = 0; i < 5; ++i)
        verdict_->setItemText(i, t(vzh[i], ven[i]));
    search_->setText(t("查询", "Search"));
    open_->setText(t("打开", "Open"));
    QStringList heads = {t("时间", "Time"),       t("产品编号", "Serial"), t("测试", "Test"),   t("产品型号", "Type"),
                         t("测试员", "Operator"), t("工位", "Bench"),      t("判定", "Verdict")};
    for (const char* v : kTableValues)
        heads << valueName(*findLogValue(v), chinese);
    runs_->setHorizontalHeaderLabels(heads);
    stats_->setHorizontalHeaderLabels({t("参数", "Value"), t("次数", "Count"), t("平均", "Mean"), QStringLiteral("σ"),
                                       t("最小", "Min"), t("最大", "Max")});
    tabs_->setTabText(0, t("测试统计", "Runs"));
    tabs_->setTabText(1, t("镇流器统计", "Ballasts"));
    capability_->setHorizontalHeaderLabels({t("参数", "Value"), QStringLiteral("n"), t("平均", "Mean"),
                                            QStringLiteral("σ"), t("下限", "Lower"), t("上限", "Upper"),
                                            QStringLiteral("Cp"), QStringLiteral("Cpk")});
    for (int i = 0; i < trendValue_->count(); ++i)
        trendValue_->setItemText(i, valueName(*findLogValue(trendValue_->itemData(i).toString().toLatin1()), chinese));
    if (shown_)
        showResult(*shown_); // what is on view, in the new language
}

LogFilter HistoryWindow::filter() const
{
    LogFilter f;
    f.sinceMs = from_->date().startOfDay().toMSecsSinceEpoch();
    f.untilMs = to_->date().addDays(1).startOfDay().toMSecsSinceEpoch();
    f.serial = serial_->text().trimmed();
    f.type = type_->text().trimmed();
    f.operatorName = operator_->text().trimmed();
    f.bench = bench_->text().trimmed();
    f.kind = kind_->currentIndex();
    f.verdict = static_cast<LogFilter::Verdict>(verdict_->currentIndex());
    return f;
}

void HistoryWindow::refresh()
{
    const LogFilter f = filter();
    const LogValueColumn* trendColumn = findLogValue(trendValue_->currentData().toString().toLatin1().constData());
    const LogTarget target = target_;
    const int generation = ++generation_;
    const ProfileSet profiles = *profiles_;
    ++pending_;
    QPointer<HistoryWindow> self(this);
    QThreadPool::globalInstance()->start([self, f, trendColumn, target, generation, profiles] {
        auto r = std::make_shared<Result>();
        r->generation = generation;
        r->trendColumn = trendColumn;
        LogQuery q;
        const std::vector<const LogValueColumn*> columns = defaultStatsColumns();
        if (!q.open(target, &r->error) || !q.list(f, kShownRuns, r->rows, &r->error) ||
            !q.stats(f, columns, r->stats, &r->error) ||
            (trendColumn && (!q.trend(f, *trendColumn, r->trend, &r->error) ||
                             !q.trendTypes(f, *trendColumn, r->trendTypes, &r->error))) ||
            !q.ballasts(f, profiles, r->ballasts, &r->error))
            r->rows.clear();
        else
            r->ballastStats = computeBallastStats(r->ballasts.outcomes, r->ballasts.limits);
        QMetaObject::invokeMethod(qApp, [self, r] {
            if (!self)
                return;
            --self->pending_;
            if (r->generation == self->generation_) // a later query supersedes this one
                self->showResult(*r);
            emit self->refreshed();
        });
    });
}

void HistoryWindow::showResult(const Result& r)
{
    if (shown_.get() != &r)
        shown_ = std::make_unique<Result>(r);
    rows_ = r.rows;
    const auto t = [this](const char* zh, const char* en) { return QString::fromUtf8(chinese_ ? zh : en); };
    if (!r.error.isEmpty()) {
        summary_->setText(t("无法读取结果记录: ", "The results log cannot be read: ") + r.error);
        runs_->setRowCount(0);
        stats_->setRowCount(0);
        showBallasts(Result{});
        return;
    }
    runs_->setRowCount(int(rows_.size()));
    const auto cols = logValueColumns();
    for (int i = 0; i < int(rows_.size()); ++i) {
        const LogEntry& e = rows_[size_t(i)];
        const char* const verdictZh[] = {"合格", "不合格", "无判定项目", "未判定"};
        const char* const verdictEn[] = {"Pass", "Fail", "No checks", "Not judged"};
        QString verdict = t(verdictZh[int(e.verdict)], verdictEn[int(e.verdict)]);
        if (e.retest)
            verdict += t(" (复测)", " (retest)");
        QStringList cells = {
            QDateTime::fromMSecsSinceEpoch(e.loggedAtMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            e.serial(),
            t(kKindsZh[std::clamp(e.kind, 0, 6)], kKindsEn[std::clamp(e.kind, 0, 6)]) +
                (e.seriesRuns > 1 ? QStringLiteral(" ×%1").arg(e.seriesRuns) : QString()),
            e.texts.value(2),
            e.texts.value(7),
            e.bench,
            verdict};
        for (const char* v : kTableValues) {
            const LogValueColumn* c = findLogValue(v);
            const size_t k = size_t(c - cols.data());
            cells << (measuredBy(*c, e.kind) && k < e.values.size() ? fixed(e.values[k], *c) : QString());
        }
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 6 && e.verdict == VerdictResult::Pass)
                item->setForeground(QColor(0, 128, 0));
            else if (c == 6 && e.verdict != VerdictResult::NoChecks)
                item->setForeground(QColor(200, 0, 0));
            runs_->setItem(i, c, item);
        }
    }
    runs_->resizeColumnsToContents();

    const std::optional<double> yield = r.stats.yieldPercent();
    QString summary = t("%1 次测试", "%1 runs").arg(r.stats.count);
    if (qint64(rows_.size()) < r.stats.count)
        summary += t("（显示最新 %1 次）", " (the newest %1 shown)").arg(rows_.size());
    summary += t("，判定 %1 次，合格率 %2", ", %1 judged, yield %2")
                   .arg(r.stats.judged)
                   .arg(yield ? QString::fromStdString(formatFixed(*yield, 4, 1)) + QStringLiteral(" %")
                              : QStringLiteral("-"));
    summary_->setText(summary);

    stats_->setRowCount(0);
    for (const LogValueStats& s : r.stats.values) {
        if (s.count == 0)
            continue;
        const int row = stats_->rowCount();
        stats_->insertRow(row);
        const QStringList cells = {valueName(*s.column, chinese_), QString::number(s.count),
                                   fixed(s.mean, *s.column, 1),    fixed(s.sigma, *s.column, 1),
                                   fixed(s.min, *s.column),        fixed(s.max, *s.column)};
        for (int c = 0; c < cells.size(); ++c)
            stats_->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    stats_->resizeColumnsToContents();
    drawTrend(r);
    showBallasts(r);
}

void HistoryWindow::showBallasts(const Result& r)
{
    const auto t = [this](const char* zh, const char* en) { return QString::fromUtf8(chinese_ ? zh : en); };
    const BallastStats& s = r.ballastStats;
    const YieldFigures& y = s.yield;
    const auto share = [](const std::optional<double>& v) {
        return v ? QString::fromStdString(formatFixed(*v * 100.0, 4, 1)) + QStringLiteral(" %") : QStringLiteral("-");
    };
    QString text = t("镇流器测试 %1 次（镇流器 %2，复测 %3；合格 %4，不合格 %5，未完成 %6）",
                     "%1 ballast tests (%2 ballasts, %3 retests; %4 passed, %5 failed, %6 incomplete)")
                       .arg(y.ballasts)
                       .arg(y.serials)
                       .arg(y.retests)
                       .arg(y.passed)
                       .arg(y.failed)
                       .arg(y.incomplete);
    text += QLatin1Char('\n') + t("一次通过率 %1（%2 / %3），最终合格率 %4（%5 / %6）",
                                  "First-pass yield %1 (%2 of %3), final yield %4 (%5 of %6)")
                                    .arg(share(y.firstPassYield))
                                    .arg(y.firstPass)
                                    .arg(y.serials)
                                    .arg(share(y.finalYield))
                                    .arg(y.finalPass)
                                    .arg(y.serials);
    if (r.ballasts.types.size() > 1)
        text += QLatin1Char('\n') + t("镇流器型号不止一种（%1）：请填写产品型号以得到限值",
                                      "Ballasts of several types (%1): choose a type for their limits")
                                        .arg(r.ballasts.types.join(QStringLiteral(", ")));
    else if (!r.ballasts.profile.isEmpty() && r.ballasts.limits.empty())
        text += QLatin1Char('\n') + t("限值：%1 中没有限值", "Limits: none in %1").arg(r.ballasts.profile);
    else if (!r.ballasts.profile.isEmpty())
        text += QLatin1Char('\n') + t("限值：%1", "Limits: %1").arg(r.ballasts.profile);
    ballastSummary_->setText(text);

    // The Pareto: the largest failure at the top.
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->hide();
    if (s.pareto.empty()) {
        chart->setTitle(t("没有不合格检查项", "No failed checks"));
    } else {
        const int shown = std::min(int(s.pareto.size()), kParetoBars);
        chart->setTitle(
            t("不合格检查项（镇流器数）", "Failed checks (ballasts)") +
            (shown < int(s.pareto.size()) ? t("，最多的 %1 项", ", the %1 largest").arg(shown) : QString()));
        auto* set = new QBarSet(t("镇流器", "Ballasts"));
        set->setColor(QColor(200, 0, 0));
        QStringList checks;
        int most = 1;
        for (int i = shown - 1; i >= 0; --i) {
            const ParetoBar& b = s.pareto[size_t(i)];
            *set << b.ballasts;
            checks << QString::fromStdString(failedCheckLabel(b.check, chinese_));
            most = std::max(most, b.ballasts);
        }
        auto* series = new QHorizontalBarSeries;
        series->append(set);
        series->setLabelsVisible(true);
        chart->addSeries(series);
        auto* names = new QBarCategoryAxis;
        names->append(checks);
        auto* counts = new QValueAxis;
        counts->setRange(0, most);
        counts->setLabelFormat(QStringLiteral("%d"));
        counts->setTickCount(std::min(most, 5) + 1);
        chart->addAxis(names, Qt::AlignLeft);
        chart->addAxis(counts, Qt::AlignBottom);
        series->attachAxis(names);
        series->attachAxis(counts);
    }
    QChart* old = pareto_->chart();
    pareto_->setChart(chart);
    delete old;

    capability_->setRowCount(0);
    const auto number = [](const std::optional<double>& v, int digits) {
        return v ? QString::number(*v, 'f', digits) : QStringLiteral("-");
    };
    for (const Capability& c : s.capability) {
        const int row = capability_->rowCount();
        capability_->insertRow(row);
        QString name = QString::fromStdString(c.value);
        if (const LogValueColumn* column = findLogValue(c.value.c_str()))
            name = valueName(*column, chinese_);
        else if (c.value == kStartCurrentValue)
            name = t("启动后灯电流", "Lamp current after start");
        else if (c.value == kPreheatRatioValue)
            name = t("预热能量 / Emin", "Warm-up energy / Emin");
        const QStringList cells = {name,
                                   QString::number(c.count),
                                   c.mean ? QString::number(*c.mean, 'g', 5) : QStringLiteral("-"),
                                   c.sigma ? QString::number(*c.sigma, 'g', 4) : QStringLiteral("-"),
                                   c.limits.lower ? QString::number(*c.limits.lower, 'g', 6) : QStringLiteral("-"),
                                   c.limits.upper ? QString::number(*c.limits.upper, 'g', 6) : QStringLiteral("-"),
                                   number(c.cp, 2),
                                   number(c.cpk, 2)};
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            // A process below 1.33 does not hold its limits with the margin plants ask for.
            if (col == 7 && c.cpk)
                item->setForeground(*c.cpk >= 1.33 ? QColor(0, 128, 0) : QColor(200, 0, 0));
            capability_->setItem(row, col, item);
        }
    }
    capability_->resizeColumnsToContents();
}

void HistoryWindow::drawTrend(const Result& r)
{
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    if (!r.trendColumn || r.trend.empty()) {
        chart->setTitle(chinese_ ? QStringLiteral("没有数据") : QStringLiteral("No data"));
        setChart(chart);
        return;
    }
    const QString name = valueName(*r.trendColumn, chinese_);
    chart->setTitle(name);
    auto* values = new QLineSeries;
    values->setName(name);
    auto* points = new QScatterSeries;
    points->setMarkerSize(5);
    points->setColor(values->color());
    double lo = r.trend.front().value, hi = lo;
    for (const LogTrendPoint& p : r.trend) {
        values->append(double(p.loggedAtMs), p.value);
        points->append(double(p.loggedAtMs), p.value);
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    chart->addSeries(values);
    if (r.trend.size() <= 500)
        chart->addSeries(points);
    points->setName(QString());
    chart->legend()->markers(points).value(0)->setVisible(false);

    // The limits of the product type's profile, whenever the runs share a type (its section,
    // else the default one, as their verdicts were judged); none for runs of several types.
    TrendLimits limits;
    if (r.trendTypes.size() == 1)
        limits = valueLimits(profiles_->findOrDefault(r.trendTypes.front().toStdString()), *r.trendColumn);
    const double x0 = double(r.trend.front().loggedAtMs),
                 x1 = double(std::max(r.trend.back().loggedAtMs, r.trend.front().loggedAtMs + 1000));
    for (const auto& [limit, caption] : {std::pair{limits.low, chinese_ ? "下限" : "lower limit"},
                                         std::pair{limits.high, chinese_ ? "上限" : "upper limit"}}) {
        if (std::isnan(limit))
            continue;
        auto* line = new QLineSeries;
        line->setName(QString::fromUtf8(caption) + QStringLiteral(" ") + QString::number(limit));
        line->setPen(QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
        line->append(x0, limit);
        line->append(x1, limit);
        chart->addSeries(line);
        lo = std::min(lo, limit);
        hi = std::max(hi, limit);
    }
    auto* x = new QDateTimeAxis;
    const double span = x1 - x0;
    x->setFormat(span > 2 * 86400e3 ? QStringLiteral("MM-dd")
                 : span > 3600e3    ? QStringLiteral("dd HH:mm")
                                    : QStringLiteral("HH:mm:ss"));
    x->setTickCount(6);
    auto* y = new QValueAxis;
    // Ticks at the value's resolution (the decimals it is logged with), however close the
    // values lie: no digits beyond what was measured.
    const int decimals = r.trendColumn->decimals;
    const double resolution = std::pow(10.0, -decimals);
    const double pad = hi > lo ? (hi - lo) * 0.08 : std::max(std::abs(hi) * 0.05, 0.01);
    lo -= pad;
    hi += pad;
    const double leastSpan = 4 * resolution; // four tick intervals of one step each
    if (hi - lo < leastSpan) {
        const double middle = (hi + lo) / 2;
        lo = middle - leastSpan / 2;
        hi = middle + leastSpan / 2;
    }
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    setChart(chart);
}

void HistoryWindow::setChart(QChart* chart)
{
    QChart* old = chart_->chart(); // the view lets go of it without deleting it
    chart_->setChart(chart);
    delete old;
}

void HistoryWindow::openRow(int row)
{
    if (row < 0 || row >= int(rows_.size()))
        return;
    const QString id = rows_[size_t(row)].id;
    const LogTarget target = target_;
    QPointer<HistoryWindow> self(this);
    ++pending_;
    QThreadPool::globalInstance()->start([self, id, target] {
        LogQuery q;
        QString error;
        std::optional<LogEntry> e;
        if (q.open(target, &error))
            e = q.entry(id, &error);
        QMetaObject::invokeMethod(qApp, [self, e, error] {
            if (!self)
                return;
            --self->pending_;
            if (e)
                self->opener_(*e);
            else
                self->summary_->setText(error);
            emit self->refreshed();
        });
    });
}

} // namespace korvex
