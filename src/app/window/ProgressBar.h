// ProgressBar: the run's progress bar in the tool bar; paints each value's look only once.
#pragma once

#include <QtCore/QHash>
#include <QtCore/QRect>
#include <QtCore/QSize>
#include <QtGui/QPixmap>
#include <QtWidgets/QProgressBar>

namespace korvex {

/// A QProgressBar that keeps the style's drawing of each value it has shown. The style draws
/// the bar with gradients and wide antialiased stripes (spread over Qt's worker threads); a
/// run shows the same few values cycle after cycle, so after the first cycle a new value
/// costs one small pixmap copy.
class ProgressBar : public QProgressBar {
    Q_OBJECT
  public:
    explicit ProgressBar(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    /// The parent's drawing beneath the bar, as large as the bar.
    QPixmap underneath() const;
    // What besides the value decides the look; a change of any of them empties the store.
    struct Look {
        QSize size;
        int state = 0;
        qint64 palette = 0;
        qreal pixelRatio = 1;
        int minimum = 0, maximum = 0;
        QRect place;     // where it sits in the tool bar
        QSize underSize; // the tool bar's size, which its drawing may follow
        bool operator==(const Look&) const = default;
    };
    Look look_;
    QHash<int, QPixmap> drawn_; // by value
};

} // namespace korvex
