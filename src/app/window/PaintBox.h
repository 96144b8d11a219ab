// PaintBox: the drawing area of the main window; draws the whole page per paint event.
#pragma once

#include <functional>

#include <QtWidgets/QWidget>

namespace korvex {

class ScreenCanvas;

class PaintBox : public QWidget {
    Q_OBJECT
  public:
    /// Draws the page on a canvas of the drawing area's size in pixels.
    using Renderer = std::function<void(ScreenCanvas& canvas)>;

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
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    Renderer renderer_;
};

} // namespace korvex
