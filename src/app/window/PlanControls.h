// The production sequence in the window: the plan button (Ctrl+R) and its menu item, the strip
// of the plan's steps with their states, the verdict banner over the report area, start on a
// scanned serial number, stop by the lock button or Esc, +1 after each completed ballast, and
// the ballast's archive files written off the window's thread.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMessageBox;
class QToolBar;
class QWidget;

namespace korvex {

class ArchiveWriter;
class Controller;
class LogControls;
class PlanRunner;
class TKORVEXForm;
struct Ballast;

class PlanControls : public QObject {
    Q_OBJECT
  public:
    PlanControls(TKORVEXForm& form, Controller& controller, LogControls& log, QObject* parent = nullptr);
    ~PlanControls() override;

    PlanRunner& runner() { return *runner_; }
    QToolBar* strip() const { return strip_; }
    QLabel* banner() const { return banner_; }
    /// Red in the status line while the last ballast's archive could not be written.
    QLabel* archiveLabel() const { return archiveStatus_; }
    ArchiveWriter& archive() { return *archive_; }
    /// Starts the plan for the serial number in the field (a message says why it cannot).
    void startPlan();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void retranslate(bool chinese);
    void showStrip();
    void showStep(int index);
    void showBanner(const Ballast& b);
    void placeBanner();
    void onScan();
    /// Asks the results log whether the serial number had a ballast before (a retest).
    void lookUpBallasts(const QString& serial);
    /// Queues the ballast's files with the [archive] settings in force now (none when off).
    void archiveBallast(const Ballast& b);
    void onArchiveFailed(const QString& folder, const QString& reason);
    void showArchiveFailure();

    TKORVEXForm& form_;
    Controller& controller_;
    LogControls& log_;
    std::unique_ptr<PlanRunner> runner_;
    bool chinese_ = true;
    QAction* action_ = nullptr;
    QToolBar* strip_ = nullptr;
    QLabel* stripCaption_ = nullptr;
    std::vector<QLabel*> steps_;
    QLabel* banner_ = nullptr;
    QPointer<QWidget> area_; // the report area the banner stands over
    std::unique_ptr<ArchiveWriter> archive_;
    QLabel* archiveStatus_ = nullptr;
    QPointer<QMessageBox> archiveBox_;
    QString archiveFolder_, archiveReason_; // the last failure, shown in the language of the moment
};

} // namespace korvex
