// Fonts and text placement shared by the screen and printer canvases.
#include "app/canvas/PageFonts.h"

#include <QFontMetricsF>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace korvex {

void installPageFonts()
{
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    const QString uming = QStringLiteral("AR PL UMing CN");
    QFont::insertSubstitution(QStringLiteral("宋体"), uming);
    QFont::insertSubstitution(QStringLiteral("T 宋体"), uming);
    QFont::insertSubstitution(QStringLiteral("SimSun"), uming);
}

namespace {

double cellOf(const QFont& f)
{
    const QFontMetricsF m(f);
    return m.ascent() + m.descent();
}

} // namespace

QFont pageFont(const std::string& name, int cellHeight)
{
    // Pages are drawn on the window's thread and, for the archive, on a thread of its own.
    static std::mutex mutex;
    static std::map<std::pair<std::string, int>, QFont> cache;
    const std::lock_guard<std::mutex> lock(mutex);
    const auto key = std::make_pair(name, cellHeight);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;

    QFont f(QString::fromStdString(name));
    const int wanted = std::max(1, cellHeight);
    // The cell is about 1.0 to 1.11 times the pixel size for both faces; search around that
    // estimate, because small sizes of the bitmap-hinted Chinese face are not proportional.
    int best = std::max(1, static_cast<int>(std::lround(wanted / 1.1)));
    f.setPixelSize(best);
    double bestErr = std::abs(cellOf(f) - wanted);
    const int lo = std::max(1, static_cast<int>(wanted * 0.8));
    const int hi = std::max(lo, static_cast<int>(wanted * 1.05) + 1);
    const int step = std::max(1, (hi - lo) / 40); // large printer sizes need no exact pixel
    for (int px = lo; px <= hi; px += step) {
        f.setPixelSize(px);
        const double err = std::abs(cellOf(f) - wanted);
        if (err < bestErr) {
            bestErr = err;
            best = px;
        }
    }
    f.setPixelSize(best);
    cache.emplace(key, f);
    return f;
}

double condensing(double advance, double maxWidth)
{
    return maxWidth > 0 && advance > maxWidth ? maxWidth / advance : 1.0;
}

void drawPageText(QPainter& painter, const QFont& font, const QColor& colour, QPointF p, TextAlign align,
                  int escapement, const QString& text, double maxWidth)
{
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetricsF m(font);
    // The width takes a shaping of its own: only centred and right-aligned texts, and texts
    // held to a width, need it.
    const double advance = align == TextAlign::Left && maxWidth <= 0 ? 0.0 : m.horizontalAdvance(text);
    const double squeeze = condensing(advance, maxWidth);
    const double shift = align == TextAlign::Left ? 0.0 : align == TextAlign::Centre ? advance * 0.5 : advance;
    if (escapement == 0 && squeeze == 1.0) {
        painter.drawText(QPointF(p.x() - shift, p.y() + m.ascent()), text);
        return;
    }
    painter.save();
    painter.translate(p);
    painter.rotate(-escapement / 10.0); // escapement turns counter-clockwise, Qt clockwise
    painter.scale(squeeze, 1.0);        // about the alignment point
    painter.drawText(QPointF(-shift, m.ascent()), text);
    painter.restore();
}

} // namespace korvex
