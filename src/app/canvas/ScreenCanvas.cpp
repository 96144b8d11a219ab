// ScreenCanvas: the page canvas drawing into an off-screen QImage of the drawing area's size.
#include "app/canvas/ScreenCanvas.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QTextLayout>
#include <QThread>
#include <algorithm>

#include "app/canvas/PageFonts.h"

namespace korvex {

namespace {
QColor toQColor(Colour c)
{
    return QColor(c.r, c.g, c.b);
}
} // namespace

ScreenCanvas::ScreenCanvas(int width, int height)
    : image_(std::max(1, width), std::max(1, height), QImage::Format_RGB32), width_(image_.width()),
      height_(image_.height())
{
    image_.fill(Qt::white);
    pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    useFont(pageFont("Times New Roman", 16));
}

ScreenCanvas::ScreenCanvas(QPainter& painter, int width, int height)
    : target_(&painter), width_(std::max(1, width)), height_(std::max(1, height))
{
    pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    useFont(pageFont("Times New Roman", 16));
    // The same start as an image of its own: white, the pen above and no brush. The white is
    // laid only if the page does not begin by filling the whole area itself (a screen page
    // paints its background first): the area holds 2 million pixels.
    blank_ = true;
    painter.setPen(pen_);
    painter.setBrush(Qt::NoBrush);
}

ScreenCanvas::~ScreenCanvas()
{
    coverBlank(); // nothing drawn: the area is still painted, white
}

void ScreenCanvas::coverBlank()
{
    if (!blank_)
        return;
    blank_ = false;
    target_->fillRect(QRect(0, 0, width_, height_), Qt::white);
}

QPainter& ScreenCanvas::painter()
{
    if (target_)
        return *target_;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setPen(pen_);
        painter_->setBrush(Qt::NoBrush);
    }
    return *painter_;
}

const QImage& ScreenCanvas::image()
{
    painter_.reset();
    return image_;
}

namespace {

/// A text shaped in one font: its glyphs with their places on the line, the line's ascent
/// (the tallest of the faces used, a Chinese fallback's included) and its width.
struct ShapedText {
    QList<QGlyphRun> runs;
    qreal ascent = 0;
    qreal width = 0;
};

/// Shaped page texts by font and string. A page draws the same labels, captions and scale
/// figures at every drawing and only its values change, so shaping each text once (the most of
/// what drawing a text costs) makes a repeating test's page cheaper. Bounded: values that keep
/// changing empty it now and then. Kept for the application's thread only, and let go with the
/// application, before the fonts its glyphs refer to.
QHash<QString, ShapedText>* keptTexts = nullptr;

const ShapedText* shaped(const QString& fontKey, const QFont& font, const QString& text)
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    if (!keptTexts) {
        keptTexts = new QHash<QString, ShapedText>;
        qAddPostRoutine([] {
            delete keptTexts;
            keptTexts = nullptr;
        });
    }
    constexpr qsizetype kMostKept = 4096;
    QString key;
    key.reserve(fontKey.size() + 1 + text.size());
    key.append(fontKey).append(QChar(0x1f)).append(text);
    if (auto it = keptTexts->constFind(key); it != keptTexts->cend())
        return &*it;
    if (keptTexts->size() >= kMostKept)
        keptTexts->clear();
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e7); // wider than any page: one line, never wrapped
    layout.endLayout();
    ShapedText t;
    if (line.isValid()) {
        t.runs = layout.glyphRuns();
        t.ascent = line.ascent();
        t.width = line.naturalTextWidth();
    }
    return &*keptTexts->insert(key, t);
}

} // namespace

void ScreenCanvas::useFont(const QFont& font)
{
    font_ = font;
    fontKey_ = font.key();
    fontAscent_ = QFontMetricsF(font).ascent();
}

void ScreenCanvas::setFont(const std::string& name, int height, Colour colour, int /*charset*/, int escapement)
{
    useFont(pageFont(name, height));
    textColour_ = toQColor(colour);
    escapement_ = escapement;
}

void ScreenCanvas::setTextAlign(TextAlign align)
{
    align_ = align;
}

void ScreenCanvas::textOut(int x, int y, const std::string& text)
{
    drawText(x, y, text, 0);
}

void ScreenCanvas::textOutWithin(int x, int y, const std::string& text, int width)
{
    drawText(x, y, text, std::max(1, width));
}

void ScreenCanvas::drawText(int x, int y, const std::string& text, int maxWidth)
{
    coverBlank();
    QPainter& p = painter();
    const QString s = QString::fromStdString(text);
    const ShapedText* kept = escapement_ == 0 && !s.isEmpty() ? shaped(fontKey_, font_, s) : nullptr;
    if (!kept) {
        drawPageText(p, font_, textColour_, QPointF(x, y), align_, escapement_, s, maxWidth);
    } else {
        // As drawPageText places it: (x, y) is the top of the font's cell, the baseline its
        // ascent below; alignment shifts by the text's width, condensed when held to a width.
        const ShapedText& t = *kept;
        const qreal squeeze = condensing(t.width, maxWidth);
        const qreal width = t.width * squeeze;
        const qreal shift = align_ == TextAlign::Left ? 0.0 : align_ == TextAlign::Centre ? width * 0.5 : width;
        p.setPen(textColour_);
        if (squeeze == 1.0) {
            const QPointF origin(x - shift, y + fontAscent_ - t.ascent);
            for (const QGlyphRun& run : t.runs)
                p.drawGlyphRun(origin, run);
        } else {
            p.save();
            p.translate(x - shift, y + fontAscent_ - t.ascent);
            p.scale(squeeze, 1.0);
            for (const QGlyphRun& run : t.runs)
                p.drawGlyphRun(QPointF(0, 0), run);
            p.restore();
        }
    }
    p.setPen(pen_);
}

void ScreenCanvas::setPen(Colour colour, PenStyle style, int width)
{
    // A 1-pixel pen is a cosmetic pen, as on the classic canvas; wider pens are square-ended.
    pen_ = QPen(toQColor(colour), std::max(1, width), style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine,
                Qt::SquareCap, Qt::MiterJoin);
    if (width <= 1)
        pen_.setCosmetic(true);
    painter().setPen(pen_);
}

void ScreenCanvas::moveTo(int x, int y)
{
    curX_ = x;
    curY_ = y;
}

void ScreenCanvas::lineTo(int x, int y)
{
    coverBlank();
    QPainter& p = painter();
    // A line to the point where the pen stands draws nothing (a zero bar is no dot), as on
    // the classic canvas, which never draws a line's end point.
    if ((x == curX_) != (y == curY_) && pen_.isCosmetic() && pen_.style() == Qt::SolidLine) {
        // A 1-pixel solid line along an axis covers the same pixels, both ends included, as
        // the rectangle between its ends; filled as a rectangle it draws in less than half
        // the time, which counts for pages of a thousand and more bars.
        p.fillRect(
            QRect(QPoint(std::min(x, curX_), std::min(y, curY_)), QPoint(std::max(x, curX_), std::max(y, curY_))),
            pen_.color());
    } else if (x != curX_ || y != curY_) {
        // Pixel centres: a 1-pixel line at y = k covers row k, as on the classic canvas.
        p.drawLine(QPointF(curX_ + 0.5, curY_ + 0.5), QPointF(x + 0.5, y + 0.5));
    }
    curX_ = x;
    curY_ = y;
}

void ScreenCanvas::fillRect(int left, int top, int right, int bottom, Colour colour)
{
    const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (blank_ && area.contains(QRect(0, 0, width_, height_)))
        blank_ = false; // covered by this fill: no white beneath it
    coverBlank();
    painter().fillRect(area, toQColor(colour));
}

int ScreenCanvas::width() const
{
    return width_;
}
int ScreenCanvas::height() const
{
    return height_;
}

} // namespace korvex
