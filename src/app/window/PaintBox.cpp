// PaintBox: the drawing area of the main window; draws the whole page per paint event.
#include "app/window/PaintBox.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>

#include "app/canvas/ScreenCanvas.h"

namespace korvex {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PaintBox1"));
    // The page covers every pixel, so Qt need not clear the area first (no flicker).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    // Never smaller than the page's nominal 640 x 385: beside the verdict panel in a small
    // window the scroll box scrolls rather than shrink the page's texts below their size.
    setMinimumSize(640, 385);
}

void PaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!renderer_ || width() <= 0 || height() <= 0) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    // Straight into the window's back buffer, which Qt shows when the paint is done: no page
    // image of 8 MB to allocate, fill and copy for every drawing. The pixels are those of a
    // page drawn into an image of its own (both are 32-bit RGB rasters).
    ScreenCanvas canvas(painter, width(), height());
    renderer_(canvas);
}

// The page shows no focus: taking or losing the keys draws nothing again (QWidget's own
// handlers would repaint, which would draw the current page over the start prompt a test
// command has just drawn).
void PaintBox::focusInEvent(QFocusEvent*) {}
void PaintBox::focusOutEvent(QFocusEvent*) {}

void PaintBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mouseDown(p.x(), p.y());
}

void PaintBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mouseMoved(p.x(), p.y());
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mouseUp(p.x(), p.y());
}

} // namespace korvex
