// The verdict panel: a dock beside the report area with the record's pass/fail at a glance, the
// checks with their margins and a chart of the harmonics against their limits.
#pragma once

#include <QDockWidget>
#include <QString>
#include <array>

#include "kinds/Verdict.h"
#include "kinds/VerdictProfile.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace korvex {

class Controller;

class VerdictPanel : public QDockWidget {
    Q_OBJECT
  public:
    /// Reads the limits file in programDir (written with the defaults when there is none) and
    /// follows the controller's runs: harmonics of repeated input runs are averaged until the
    /// test command clears the results again.
    VerdictPanel(Controller& controller, const QString& programDir, QWidget* parent = nullptr);
    ~VerdictPanel() override;

    /// The verdict shown (or that would be shown) for the current record.
    const Verdict& verdict() const { return verdict_; }
    /// Message about a damaged limits file, empty when it was read.
    const QString& limitsMessage() const { return limitsMessage_; }

  public slots:
    /// Judges the current record again and redraws, in the record's language.
    void refresh();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void onRunCompleted(int32_t kind);
    void onResultsReset(int32_t kind);
    /// The profile chosen in the box; the automatic entry picks the one named like the
    /// record's product type.
    const VerdictProfile& chosenProfile() const;
    /// True while the series still describes the record's input values.
    bool seriesMatchesRecord() const;
    void fillTable(bool chinese);
    void retranslate(bool chinese);

    Controller& controller_;
    ProfileSet profiles_;
    QString limitsMessage_;
    VerdictSeries series_;
    std::array<float, 3> seriesLast_{}; // Pin, Irms, 3rd harmonic of the last run added
    Verdict verdict_;
    int shownLanguage_ = -1;
    bool chinese_ = false; // the language the chart draws in

    QLabel* result_ = nullptr;
    QLabel* detail_ = nullptr;
    QLabel* warning_ = nullptr;
    QComboBox* profileBox_ = nullptr;
    QTableWidget* table_ = nullptr;
    QWidget* chart_ = nullptr;
};

} // namespace korvex
