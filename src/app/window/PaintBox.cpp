// PaintBox: the drawing area of the main window; draws a whole page image per paint event.
#include "app/window/PaintBox.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>

namespace korvex {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PaintBox1"));
    // The page image covers every pixel, so Qt need not clear the area first (no flicker).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void PaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QImage page;
    if (renderer_ && width() > 0 && height() > 0)
        page = renderer_(width(), height());
    if (page.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.drawImage(0, 0, page); // one copy of the finished page
}

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
