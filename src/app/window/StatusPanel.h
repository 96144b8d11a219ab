// StatusPanel: the one-line status text along the bottom of the main window.
#pragma once

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtGui/QStaticText>
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
    // Each text as shaped to fit the panel, by its string. A repeating test shows the same few
    // texts at every cycle ("... 20%", "... 40%"), so each is shaped once, not at every step;
    // a new width or font shapes them again.
    QHash<QString, QStaticText> shaped_;
    int shapedWidth_ = -1;
};

} // namespace korvex
