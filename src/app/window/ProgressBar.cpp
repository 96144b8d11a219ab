// ProgressBar: the run's progress bar in the tool bar; paints each value's look only once.
#include "app/window/ProgressBar.h"

#include <QtCore/QEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionProgressBar>

namespace korvex {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    // The bar paints the tool bar's own drawing beneath itself, so it covers its whole
    // rectangle and a new value repaints the bar alone, not the tool bar and the window behind.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ProgressBar::event(QEvent* event)
{
    const bool handled = QProgressBar::event(event);
    // Styles with rounded bars (Fusion) turn the attribute off when they polish a progress bar,
    // which would repaint the tool bar and the window behind at every new value.
    if (event->type() == QEvent::Polish)
        setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
}

QPixmap ProgressBar::underneath() const
{
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(palette().color(QPalette::Window));
    // The parent's own panel only (no children: neither its buttons nor this bar).
    if (QWidget* parent = parentWidget())
        parent->render(&pixmap, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    return pixmap;
}

void ProgressBar::paintEvent(QPaintEvent* event)
{
    if (isTextVisible()) { // a text of its own is not worth keeping
        QPainter(this).drawPixmap(0, 0, underneath());
        QProgressBar::paintEvent(event);
        return;
    }
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    Look look;
    look.size = size();
    look.state = int(option.state);
    look.palette = option.palette.cacheKey();
    look.pixelRatio = devicePixelRatioF();
    look.minimum = minimum();
    look.maximum = maximum();
    look.place = geometry();
    look.underSize = parentWidget() ? parentWidget()->size() : QSize();
    if (!(look == look_)) {
        drawn_.clear();
        look_ = look;
    }
    auto it = drawn_.find(option.progress);
    if (it == drawn_.end()) {
        QPixmap pixmap = underneath();
        QPainter painter(&pixmap);
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
        painter.end();
        it = drawn_.insert(option.progress, pixmap);
    }
    QPainter(this).drawPixmap(0, 0, *it);
}

} // namespace korvex
