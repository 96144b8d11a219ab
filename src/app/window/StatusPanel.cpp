// StatusPanel: the one-line status text along the bottom of the main window.
#include "app/window/StatusPanel.h"

#include <QtCore/QEvent>
#include <QtGui/QPainter>

namespace korvex {

namespace {
constexpr int kMargin = 2; // pixels left of the text and above and below it
}

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // It paints its own background: a new text repaints the panel and nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusPanel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    elidedWidth_ = -1;
    update();
}

QSize StatusPanel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text_) + 2 * kMargin, fontMetrics().height() + 2 * kMargin};
}

QSize StatusPanel::minimumSizeHint() const
{
    return {0, fontMetrics().height() + 2 * kMargin};
}

void StatusPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect area = rect().adjusted(kMargin, 0, -kMargin, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    if (elidedWidth_ != area.width()) {
        elided_ = fontMetrics().elidedText(text_, Qt::ElideRight, area.width());
        elidedWidth_ = area.width();
    }
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, elided_);
}

void StatusPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        elidedWidth_ = -1;
    QWidget::changeEvent(event);
}

} // namespace korvex
