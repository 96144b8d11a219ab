// Draws the 24 x 24 tool bar glyphs of the main window and writes them as PNG files.
// Run once: korvex_glyphs <output folder>; the PNGs are kept in resources/glyphs/.
#include <QtCore/QDir>
#include <QtCore/QTextStream>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cmath>
#include <functional>

namespace {

const QColor kVoltage(210, 30, 30);
const QColor kCurrent(0, 120, 0);
const QColor kOutline(40, 40, 40);
const QColor kTube(255, 248, 190);

// A sine of one period across [x0, x1] centred at y with amplitude a; phase in radians.
QPainterPath sinePath(double x0, double x1, double y, double a, double phase = 0.0, double periods = 1.0)
{
    QPainterPath path;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const QPointF p(x0 + (x1 - x0) * t, y - a * std::sin(2 * M_PI * periods * t + phase));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

void axis(QPainter& p, double y)
{
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawLine(QPointF(2, y), QPointF(22, y));
}

// The fluorescent lamp: a tube with two pins at each end.
void lamp(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kOutline, 1.2));
    const double pinY1 = r.top() + r.height() * 0.3, pinY2 = r.bottom() - r.height() * 0.3;
    p.drawLine(QPointF(r.left() - 2, pinY1), QPointF(r.left(), pinY1));
    p.drawLine(QPointF(r.left() - 2, pinY2), QPointF(r.left(), pinY2));
    p.drawLine(QPointF(r.right(), pinY1), QPointF(r.right() + 2, pinY1));
    p.drawLine(QPointF(r.right(), pinY2), QPointF(r.right() + 2, pinY2));
    p.setBrush(kTube);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setBrush(Qt::NoBrush);
}

void drawInput(QPainter& p)
{
    axis(p, 12);
    p.setPen(QPen(kVoltage, 2));
    p.drawPath(sinePath(2, 22, 12, 8));
    // A pulsed, distorted current: the mark of a ballast's input.
    QPainterPath i;
    i.moveTo(2, 12);
    i.lineTo(5, 12);
    i.cubicTo(6, 12, 6.5, 5, 7.5, 5);
    i.cubicTo(8.5, 5, 9, 12, 10, 12);
    i.lineTo(15, 12);
    i.cubicTo(16, 12, 16.5, 19, 17.5, 19);
    i.cubicTo(18.5, 19, 19, 12, 20, 12);
    i.lineTo(22, 12);
    p.setPen(QPen(kCurrent, 1.6));
    p.drawPath(i);
}

void drawPhase(QPainter& p)
{
    axis(p, 14);
    p.setPen(QPen(kVoltage, 1.6));
    p.drawPath(sinePath(2, 22, 14, 7));
    p.setPen(QPen(kCurrent, 1.6));
    p.drawPath(sinePath(2, 22, 14, 7, -0.9));
    // The angle between the two zero crossings.
    p.setPen(QPen(QColor(0, 0, 200), 1.2));
    p.drawArc(QRectF(-2, 6, 16, 16), 0, 50 * 16);
    p.setPen(QPen(QColor(0, 0, 200), 1, Qt::DotLine));
    p.drawLine(QPointF(5, 3), QPointF(5, 22));
}

void drawOutput(QPainter& p)
{
    lamp(p, QRectF(4, 8, 16, 8));
    // Light rays above and below the tube.
    p.setPen(QPen(QColor(230, 160, 0), 1.4));
    for (double x : {7.0, 12.0, 17.0}) {
        p.drawLine(QPointF(x, 6), QPointF(x, 2.5));
        p.drawLine(QPointF(x, 18), QPointF(x, 21.5));
    }
}

void drawComprehensive(QPainter& p)
{
    p.setPen(QPen(kVoltage, 1.6));
    p.drawPath(sinePath(2, 22, 6, 4));
    p.setPen(QPen(kCurrent, 1.2));
    p.drawPath(sinePath(2, 22, 6, 2.5, 0.6));
    lamp(p, QRectF(4, 14, 16, 7));
}

void drawStart(QPainter& p)
{
    lamp(p, QRectF(3, 13, 18, 7));
    // The switch-on flash.
    QPainterPath bolt;
    bolt.moveTo(13, 1);
    bolt.lineTo(8, 8);
    bolt.lineTo(11.5, 8);
    bolt.lineTo(9.5, 13);
    bolt.lineTo(16, 5.5);
    bolt.lineTo(12.5, 5.5);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(160, 90, 0), 0.8));
    p.setBrush(QColor(255, 200, 0));
    p.drawPath(bolt);
    p.setBrush(Qt::NoBrush);
}

void drawEnergy(QPainter& p)
{
    // A glowing filament coil between its two leads.
    p.setPen(QPen(kOutline, 1.4));
    p.drawLine(QPointF(3, 22), QPointF(3, 14));
    p.drawLine(QPointF(21, 22), QPointF(21, 14));
    QPainterPath coil;
    coil.moveTo(3, 14);
    for (int k = 0; k < 6; ++k) {
        const double x = 4.5 + k * 2.7;
        coil.cubicTo(x, 8, x + 2.2, 8, x + 1.3, 14);
    }
    coil.lineTo(21, 14);
    p.setPen(QPen(QColor(230, 80, 0), 1.6));
    p.drawPath(coil);
    p.setPen(QPen(QColor(240, 170, 0), 1.2));
    for (double x : {7.0, 12.0, 17.0}) {
        QPainterPath wave;
        wave.moveTo(x, 6);
        wave.cubicTo(x - 1.5, 4.5, x + 1.5, 3.5, x, 1.5);
        p.drawPath(wave);
    }
}

void drawLock(QPainter& p, bool closed)
{
    p.setPen(QPen(QColor(90, 90, 100), 2.2));
    p.setBrush(Qt::NoBrush);
    if (closed) {
        p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
        p.drawLine(QPointF(7, 9), QPointF(7, 11));
        p.drawLine(QPointF(17, 9), QPointF(17, 11));
    } else {
        p.drawArc(QRectF(12, 1, 10, 12), 0, 180 * 16);
        p.drawLine(QPointF(22, 7), QPointF(22, 10));
    }
    p.setPen(QPen(QColor(140, 100, 0), 1));
    p.setBrush(QColor(235, 185, 40));
    p.drawRoundedRect(QRectF(4, 11, 16, 11), 2, 2);
    p.setBrush(QColor(60, 40, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(12, 15.5), 1.8, 1.8);
    p.drawRect(QRectF(11.3, 16, 1.4, 3.5));
    p.setBrush(Qt::NoBrush);
}

// The single-run mark: a blue badge with "1" over the glyph of the test.
void singleRunBadge(QPainter& p)
{
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(QColor(20, 70, 200));
    p.drawEllipse(QRectF(13.5, 13.5, 10, 10));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.8, 15.8), QPointF(18.8, 21.2));
    p.drawLine(QPointF(18.8, 15.8), QPointF(17, 17.3));
    p.setBrush(Qt::NoBrush);
}

void drawArrow(QPainter& p, bool forward)
{
    QPainterPath a;
    a.moveTo(3, 12);
    a.lineTo(12, 3.5);
    a.lineTo(12, 8.5);
    a.lineTo(21, 8.5);
    a.lineTo(21, 15.5);
    a.lineTo(12, 15.5);
    a.lineTo(12, 20.5);
    a.closeSubpath();
    if (forward) {
        QTransform mirror(-1, 0, 0, 1, 24, 0);
        a = mirror.map(a);
    }
    p.setPen(QPen(QColor(0, 60, 150), 1));
    p.setBrush(QColor(60, 130, 230));
    p.drawPath(a);
    p.setBrush(Qt::NoBrush);
}

void drawPrint(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 8)); // sheet going in
    p.setBrush(QColor(170, 175, 185));
    p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5); // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 14.5, 11, 7)); // printed sheet
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(8, 17), QPointF(16, 17));
    p.drawLine(QPointF(8, 19), QPointF(14, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 180, 0));
    p.drawEllipse(QPointF(18.5, 12), 1, 1);
    p.setBrush(Qt::NoBrush);
}

void drawExit(QPainter& p)
{
    // An open door with an arrow leaving it.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(150, 95, 50));
    p.drawRect(QRectF(3.5, 2.5, 10, 19));
    p.setBrush(QColor(110, 65, 30));
    QPolygonF leaf;
    leaf << QPointF(3.5, 2.5) << QPointF(9, 4.5) << QPointF(9, 23) << QPointF(3.5, 21.5);
    p.drawPolygon(leaf);
    QPainterPath a;
    a.moveTo(22.5, 12);
    a.lineTo(17, 6.5);
    a.lineTo(17, 9.5);
    a.lineTo(11, 9.5);
    a.lineTo(11, 14.5);
    a.lineTo(17, 14.5);
    a.lineTo(17, 17.5);
    a.closeSubpath();
    p.setPen(QPen(QColor(140, 0, 0), 1));
    p.setBrush(QColor(230, 40, 40));
    p.drawPath(a);
    p.setBrush(Qt::NoBrush);
}

struct Glyph {
    const char* name;
    std::function<void(QPainter&)> draw;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    auto single = [](void (*base)(QPainter&)) {
        return [base](QPainter& p) {
            base(p);
            singleRunBadge(p);
        };
    };
    const Glyph glyphs[] = {
        {"input", drawInput},
        {"phase", drawPhase},
        {"output", drawOutput},
        {"comprehensive", drawComprehensive},
        {"start", drawStart},
        {"energy", drawEnergy},
        {"lock", [](QPainter& p) { drawLock(p, true); }},
        {"unlock", [](QPainter& p) { drawLock(p, false); }},
        {"input-single", single(drawInput)},
        {"phase-single", single(drawPhase)},
        {"output-single", single(drawOutput)},
        {"comprehensive-single", single(drawComprehensive)},
        {"back", [](QPainter& p) { drawArrow(p, false); }},
        {"next", [](QPainter& p) { drawArrow(p, true); }},
        {"print", drawPrint},
        {"exit", drawExit},
    };
    QTextStream out(stdout);
    for (const Glyph& g : glyphs) {
        QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        g.draw(p);
        p.end();
        const QString path = outDir + QLatin1Char('/') + QLatin1String(g.name) + QStringLiteral(".png");
        if (!image.save(path, "PNG")) {
            out << "cannot write " << path << Qt::endl;
            return 1;
        }
        out << path << Qt::endl;
    }
    return 0;
}
