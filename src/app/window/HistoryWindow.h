// The history window: the logged runs as a table with filters, statistics of the filtered set,
// a trend plot of one value against its limits, and a chosen run opened in the main window.
#pragma once

#include <QtCore/QString>
#include <QtWidgets/QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"
#include "log/LogQuery.h"

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace korvex {

struct ProfileSet;

class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    /// opener receives the run the operator opens, with its data file image.
    HistoryWindow(LogTarget target, const ProfileSet& profiles, std::function<void(const LogEntry& run)> opener,
                  QWidget* parent = nullptr);
    ~HistoryWindow() override;

    /// Captions in Chinese or English (the report language).
    void retranslate(bool chinese);
    /// The filter the fields describe.
    LogFilter filter() const;
    /// Runs the query for the fields (off the window's thread); the table follows when done.
    void refresh();
    /// True while a query runs.
    bool busy() const { return pending_ > 0; }

    QTableWidget* runsTable() const { return runs_; }
    QTableWidget* statsTable() const { return stats_; }
    QLabel* summaryLabel() const { return summary_; }
    QComboBox* trendChoice() const { return trendValue_; }
    QChartView* trendChart() const { return chart_; }
    /// The ballasts' statistics: yield, the failure Pareto (a bar chart) and Cp/Cpk.
    QTabWidget* statsTabs() const { return tabs_; }
    QLabel* ballastSummary() const { return ballastSummary_; }
    QChartView* paretoChart() const { return pareto_; }
    QTableWidget* capabilityTable() const { return capability_; }
    void openRow(int row);

  signals:
    /// A query finished (tests wait for it).
    void refreshed();

  private:
    struct Result;
    void showResult(const Result& r);
    void drawTrend(const Result& r);
    void showBallasts(const Result& r);
    void setChart(QChart* chart);

    LogTarget target_;
    std::unique_ptr<ProfileSet> profiles_;
    std::function<void(const LogEntry&)> opener_;
    bool chinese_ = true;
    int pending_ = 0;
    int generation_ = 0;
    std::vector<LogEntry> rows_;
    std::unique_ptr<Result> shown_; // the query's result on view, shown again in another language

    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLineEdit* serial_ = nullptr;
    QLineEdit* type_ = nullptr;
    QLineEdit* operator_ = nullptr;
    QLineEdit* bench_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* verdict_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* open_ = nullptr;
    QTableWidget* runs_ = nullptr;
    QTableWidget* stats_ = nullptr;
    QLabel* summary_ = nullptr;
    QComboBox* trendValue_ = nullptr;
    QChartView* chart_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* ballastSummary_ = nullptr;
    QChartView* pareto_ = nullptr;
    QTableWidget* capability_ = nullptr;
    QList<QLabel*> labels_;
};

} // namespace korvex
