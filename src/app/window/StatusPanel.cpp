// StatusPanel: the one-line status text along the bottom of the main window.
#include "app/window/StatusPanel.h"

#include <QtCore/QEvent>
#include <QtGui/QPainter>

namespace korvex {

namespace {
constexpr int kMargin = 2;      // pixels left of the text and above and below it
constexpr int kMostShaped = 64; // texts kept shaped; more are a sign of changing texts
} // namespace

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

void StatusPanel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect area = rect().adjusted(kMargin, 0, -kMargin, 0);
    if (shapedWidth_ != area.width()) {
        shaped_.clear();
        shapedWidth_ = area.width();
    }
    auto it = shaped_.constFind(text_);
    if (it == shaped_.cend()) {
        if (shaped_.size() >= kMostShaped)
            shaped_.clear();
        QStaticText shaped(fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
        shaped.setTextFormat(Qt::PlainText);
        shaped.prepare(QTransform(), font());
        it = shaped_.insert(text_, shaped);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    // Vertically centred on the font's line, as a one-line label places it.
    painter.drawStaticText(area.left(), area.top() + (area.height() - fontMetrics().height()) / 2, *it);
}

void StatusPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        shaped_.clear();
    QWidget::changeEvent(event);
}

} // namespace korvex
