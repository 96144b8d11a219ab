// PaintBox: the drawing area of the main window; draws a whole page image per paint event.
#pragma once

#include <functional>

#include <QtGui/QImage>
#include <QtWidgets/QWidget>

namespace korvex {

class PaintBox : public QWidget {
    Q_OBJECT
  public:
    /// Renders the page for a drawing area of the given size in pixels.
    using Renderer = std::function<QImage(int width, int height)>;

    explicit PaintBox(QWidget* parent = nullptr);
    void setRenderer(Renderer renderer) { renderer_ = std::move(renderer); }

  signals:
    void mouseDown(int x, int y);
    void mouseMoved(int x, int y);
    void mouseUp(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Renderer renderer_;
};

} // namespace korvex
