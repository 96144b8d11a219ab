// TAlarmForm: the non-modal notice shown while the instrument does not answer.
#pragma once

#include <optional>

#include <QtCore/QPoint>
#include <QtWidgets/QDialog>

class QLabel;

namespace korvex {

/// The operator cannot close it: it has no title-bar buttons and ignores Escape and close
/// requests; the window shows and hides it as the link fails and recovers.
class TAlarmForm : public QDialog {
    Q_OBJECT
  public:
    explicit TAlarmForm(QWidget* parent = nullptr);

    /// Shows (without waiting) or hides the notice; repeating either changes nothing. Shown
    /// again while minimised by the window manager, it comes back in front. It first appears
    /// centred over the main window and comes back where it was last (where the operator
    /// moved it).
    void setAlarmVisible(bool visible);
    /// The port the notice is about, such as "COM1 → /dev/ttyS0", on a line of its own.
    void setPortText(const QString& text);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* PortLabel = nullptr;

  public slots:
    void reject() override; // Escape must not hide it

  protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    bool hiding_ = false;
    std::optional<QPoint> place_; // where it stood when last hidden
};

} // namespace korvex
