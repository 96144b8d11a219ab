// The verdict panel: a dock beside the report area with the judgement of the latest run at a
// glance (the one the results log keeps), what it judged (which run or file, which ballast,
// when), the checks with their margins and a chart of the harmonics against their limits.
#pragma once

#include <QDockWidget>
#include <QString>

#include "kinds/Verdict.h"

class QLabel;
class QTableWidget;

namespace korvex {

class Controller;
class RunJudge;

class VerdictPanel : public QDockWidget {
    Q_OBJECT
  public:
    explicit VerdictPanel(Controller& controller, QWidget* parent = nullptr);
    ~VerdictPanel() override;

    /// Shows the judgements of judge; until one is given nothing is judged.
    void setJudge(RunJudge* judge);
    /// The verdict shown; empty (no checks, no sections) while nothing of the current ballast
    /// has been judged.
    const Verdict& verdict() const { return shown_; }
    /// What the verdict shown judged: the run or file, the serial number and the time.
    QString sourceText() const;
    /// Why verdicts are off (the limits file cannot be read), empty when they are on.
    QString limitsMessage() const;

  public slots:
    /// Shows the judgement again when it, the record's serial number, the language or the
    /// limits file changed since it was last shown.
    void refresh();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void render(bool chinese);
    void fillTable(bool chinese);
    /// Widens the first column for the section titles, and the panel to the table.
    void fitToContent(int titleWidth);
    void retranslate(bool chinese);

    Controller& controller_;
    RunJudge* judge_ = nullptr;
    Verdict shown_;
    QString shownKey_;        // what the panel last showed, to skip work when nothing changed
    bool chinese_ = false;    // the language the chart draws in
    bool fitPending_ = false; // the panel is to be sized to its table once laid out

    QLabel* result_ = nullptr;
    QLabel* detail_ = nullptr;
    QLabel* warning_ = nullptr;
    QTableWidget* table_ = nullptr;
    QWidget* chart_ = nullptr;
};

} // namespace korvex
