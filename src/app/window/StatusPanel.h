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
    void changeEvent(QEvent* event) override;

  private:
    QString text_;
    // The text as last shaped to fit the panel: a repaint of the same text and width (an
    // exposure, or a new value of the progress bar beside it) need not shape it again.
    QString elided_;
    int elidedWidth_ = -1;
};

} // namespace korvex
