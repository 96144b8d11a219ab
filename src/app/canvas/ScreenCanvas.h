// ScreenCanvas: the page canvas drawing into an off-screen QImage of the drawing area's size.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>

#include "kinds/PageCanvas.h"

namespace korvex {

/// Draws a screen page into a W x H RGB image (device pixels), or straight through a painter
/// that is already open on the screen. Typical use in a paint event:
///   QPainter painter(this); ScreenCanvas canvas(painter, width(), height()); drawScreenPage(canvas, record);
/// The area starts white; the page paints its own background.
class ScreenCanvas : public PageCanvas {
  public:
    ScreenCanvas(int width, int height);
    /// Draws through painter on its device's area (0, 0, width, height), which it first paints
    /// white. The painter's pen and brush are left changed. image() is then a null image.
    ScreenCanvas(QPainter& painter, int width, int height);
    ~ScreenCanvas() override;

    /// Ends painting and returns the finished image; drawing afterwards continues on it.
    const QImage& image();

    void setFont(const std::string& name, int height, Colour colour, int charset, int escapement = 0) override;
    void setTextAlign(TextAlign align) override;
    void textOut(int x, int y, const std::string& text) override;
    void textOutWithin(int x, int y, const std::string& text, int width) override;
    void setPen(Colour colour, PenStyle style, int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void fillRect(int left, int top, int right, int bottom, Colour colour) override;
    int width() const override;
    int height() const override;
    void setMetricMode() override {}
    void restoreMode() override {}

  private:
    QPainter& painter();
    /// A text as textOut draws it, condensed to maxWidth when wider (0: any width).
    void drawText(int x, int y, const std::string& text, int maxWidth);
    void useFont(const QFont& font);
    /// Paints the area white if nothing has been drawn on it yet.
    void coverBlank();

    QImage image_;
    std::unique_ptr<QPainter> painter_; // open on image_ while drawing into it
    QPainter* target_ = nullptr;        // the painter given to draw through, if any
    bool blank_ = false;                // through a painter: nothing drawn yet, not even white
    int width_ = 1, height_ = 1;
    QFont font_;
    QString fontKey_;      // font_.key(), which names the font's shaped texts
    qreal fontAscent_ = 0; // font_'s ascent: the baseline lies that far below a text's y
    QColor textColour_;
    int escapement_ = 0;
    TextAlign align_ = TextAlign::Left;
    QPen pen_;
    int curX_ = 0, curY_ = 0;
};

} // namespace korvex
