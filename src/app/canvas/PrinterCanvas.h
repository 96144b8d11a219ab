// PrinterCanvas: the page canvas on a printer, PDF or image painter, in 0.01 mm units in metric mode.
#pragma once

#include <QFont>
#include <QPainter>

#include "kinds/PageCanvas.h"

namespace korvex {

/// Draws print pages on a painter that is already active on its device (QPrinter, QPdfWriter
/// or a QImage with a set resolution). In metric mode a point (x, y), x rightwards and y
/// negative downwards in 0.01 mm, lands at device (x * dpi / 2540, -y * dpi / 2540), so the
/// sheet looks the same at any resolution. Outside metric mode units are device pixels.
class PrinterCanvas : public PageCanvas {
  public:
    /// dpi: the device's resolution (QPrinter::resolution(), QPdfWriter::resolution(),
    /// or dots per inch of an image).
    PrinterCanvas(QPainter& painter, int dpi);

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
    void setMetricMode() override;
    void restoreMode() override;

    bool metric() const { return metric_; }
    /// Device position of a canvas point in the current mode.
    QPointF toDevice(int x, int y) const;
    /// Device length of a canvas length in the current mode.
    double lengthToDevice(int units) const;

  private:
    void applyPen();

    QPainter& painter_;
    int dpi_;
    bool metric_ = false;
    bool savedMetric_ = false;
    QColor penColour_{Qt::black};
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    std::string fontName_;
    int fontHeight_ = 0;
    QColor textColour_{Qt::black};
    int escapement_ = 0;
    TextAlign align_ = TextAlign::Left;
    QPointF current_;
};

} // namespace korvex
