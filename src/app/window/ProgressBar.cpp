// ProgressBar: the run's progress bar in the tool bar; paints each value's look only once.
#include "app/window/ProgressBar.h"

#include <QtGui/QPainter>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionProgressBar>

namespace korvex {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {}

void ProgressBar::paintEvent(QPaintEvent* event)
{
    if (isTextVisible()) { // a text of its own is not worth keeping
        QProgressBar::paintEvent(event);
        return;
    }
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const qreal ratio = devicePixelRatioF();
    const Look look{size(), int(option.state), option.palette.cacheKey(), ratio, minimum(), maximum()};
    if (!(look == look_)) {
        drawn_.clear();
        look_ = look;
    }
    auto it = drawn_.find(option.progress);
    if (it == drawn_.end()) {
        // As QProgressBar paints itself, but onto a clear pixmap that is laid over whatever
        // the tool bar painted beneath.
        QPixmap pixmap(size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
        painter.end();
        it = drawn_.insert(option.progress, pixmap);
    }
    QPainter(this).drawPixmap(0, 0, *it);
}

} // namespace korvex
