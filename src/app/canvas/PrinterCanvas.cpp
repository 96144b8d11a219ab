// PrinterCanvas: the page canvas on a printer, PDF or image painter, in 0.01 mm units in metric mode.
#include "app/canvas/PrinterCanvas.h"

#include <algorithm>
#include <cmath>

#include "app/canvas/PageFonts.h"

namespace korvex {

namespace {
QColor toQColor(Colour c)
{
    return QColor(c.r, c.g, c.b);
}
} // namespace

PrinterCanvas::PrinterCanvas(QPainter& painter, int dpi) : painter_(painter), dpi_(dpi > 0 ? dpi : 72) {}

QPointF PrinterCanvas::toDevice(int x, int y) const
{
    if (!metric_)
        return QPointF(x, y);
    // Mapped by hand: flipping the painter's y axis would mirror the text.
    return QPointF(x * dpi_ / 2540.0, -y * dpi_ / 2540.0);
}

double PrinterCanvas::lengthToDevice(int units) const
{
    return metric_ ? units * dpi_ / 2540.0 : static_cast<double>(units);
}

void PrinterCanvas::setMetricMode()
{
    savedMetric_ = metric_;
    metric_ = true;
}

void PrinterCanvas::restoreMode()
{
    metric_ = savedMetric_;
}

void PrinterCanvas::setFont(const std::string& name, int height, Colour colour, int /*charset*/, int escapement)
{
    fontName_ = name;
    fontHeight_ = std::max(1, static_cast<int>(std::lround(lengthToDevice(height))));
    textColour_ = toQColor(colour);
    escapement_ = escapement;
}

void PrinterCanvas::setTextAlign(TextAlign align)
{
    align_ = align;
}

void PrinterCanvas::textOut(int x, int y, const std::string& text)
{
    drawPageText(painter_, pageFont(fontName_, fontHeight_), textColour_, toDevice(x, y), align_, escapement_,
                 QString::fromStdString(text));
}

void PrinterCanvas::textOutWithin(int x, int y, const std::string& text, int width)
{
    drawPageText(painter_, pageFont(fontName_, fontHeight_), textColour_, toDevice(x, y), align_, escapement_,
                 QString::fromStdString(text), std::max(1.0, lengthToDevice(width)));
}

void PrinterCanvas::setPen(Colour colour, PenStyle style, int width)
{
    penColour_ = toQColor(colour);
    penStyle_ = style;
    penWidth_ = width;
}

void PrinterCanvas::applyPen()
{
    // Qt spaces the dots of a dotted pen by its width: on paper a dotted pen finer than
    // 0.1 mm (the grid pen of the print pages) would set dots and gaps a printer dot or two
    // long, and print as a solid line. It prints 0.1 mm wide, so its dots show.
    constexpr int kThinnestDottedPen = 10; // 0.01 mm
    const int width = penStyle_ == PenStyle::Dotted && metric_ ? std::max(penWidth_, kThinnestDottedPen) : penWidth_;
    QPen pen(penColour_, std::max(1.0, lengthToDevice(width)),
             penStyle_ == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
}

void PrinterCanvas::moveTo(int x, int y)
{
    current_ = toDevice(x, y);
}

void PrinterCanvas::lineTo(int x, int y)
{
    const QPointF to = toDevice(x, y);
    // A line to the point where the pen stands draws nothing: a zero bar leaves no dot.
    if (to != current_) {
        applyPen();
        painter_.drawLine(current_, to);
    }
    current_ = to;
}

void PrinterCanvas::fillRect(int left, int top, int right, int bottom, Colour colour)
{
    painter_.fillRect(QRectF(toDevice(left, top), toDevice(right, bottom)).normalized(), toQColor(colour));
}

int PrinterCanvas::width() const
{
    return painter_.device() ? painter_.device()->width() : 0;
}
int PrinterCanvas::height() const
{
    return painter_.device() ? painter_.device()->height() : 0;
}

} // namespace korvex
