// StatusPanel: the one-line status text along the bottom of the main window.
#pragma once

#include <QtCore/QString>
#include <QtWidgets/QWidget>

namespace korvex {

/// Shows one line of text. Unlike a QLabel, a new text only repaints the panel: it never asks
/// the window to lay itself out again, so the status of every step of a run stays cheap.
class StatusPanel : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPanel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

} // namespace korvex
