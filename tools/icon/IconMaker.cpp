// Draws the application icon once as a list of filled and stroked outlines, and writes that one
// drawing as a scalable SVG and as the PNGs of the hicolor theme's sizes.
// Usage: korvex_icon <output folder> <icon name>; the files are kept in resources/icons/.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTextStream>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kCanvas = 256.0; // the drawing's own units; every output scales from them

struct Shape {
    QPainterPath path;
    QColor fill;        // invalid: not filled
    QColor stroke;      // invalid: not stroked
    double width = 0.0; // stroke width in canvas units
};

// One period of a sine across [x0, x1] centred at y with amplitude a, as cubic pieces.
QPainterPath sine(double x0, double x1, double y, double a)
{
    QPainterPath p;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const QPointF pt(x0 + (x1 - x0) * t, y - a * std::sin(2 * M_PI * t));
        i == 0 ? p.moveTo(pt) : p.lineTo(pt);
    }
    return p;
}

// The icon: a dark instrument face, a voltage sine and the pulsed current a ballast draws
// above a lit fluorescent tube with its two pins at each end, the motifs of the tool bar.
std::vector<Shape> drawing()
{
    std::vector<Shape> shapes;
    QPainterPath face;
    face.addRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
    shapes.push_back({face, QColor(28, 52, 84), QColor(14, 28, 48), 6});

    QPainterPath screen;
    screen.addRoundedRect(QRectF(32, 34, 192, 110), 14, 14);
    shapes.push_back({screen, QColor(232, 240, 236), {}, 0});
    QPainterPath axis;
    axis.moveTo(44, 89);
    axis.lineTo(212, 89);
    shapes.push_back({axis, {}, QColor(150, 160, 160), 3});
    shapes.push_back({sine(44, 212, 89, 40), {}, QColor(210, 30, 30), 9});
    QPainterPath current;
    current.moveTo(44, 89);
    current.lineTo(70, 89);
    current.cubicTo(78, 89, 80, 56, 88, 56);
    current.cubicTo(96, 56, 98, 89, 106, 89);
    current.lineTo(154, 89);
    current.cubicTo(162, 89, 164, 122, 172, 122);
    current.cubicTo(180, 122, 182, 89, 190, 89);
    current.lineTo(212, 89);
    shapes.push_back({current, {}, QColor(0, 130, 40), 7});

    const QColor pin(200, 200, 200);
    for (double y : {182.0, 206.0}) {
        QPainterPath pins;
        pins.moveTo(24, y);
        pins.lineTo(44, y);
        pins.moveTo(212, y);
        pins.lineTo(232, y);
        shapes.push_back({pins, {}, pin, 7});
    }
    QPainterPath tube;
    tube.addRoundedRect(QRectF(40, 168, 176, 52), 26, 26);
    shapes.push_back({tube, QColor(255, 244, 170), QColor(240, 190, 40), 6});
    return shapes;
}

QString number(double v)
{
    QString s = QString::number(v, 'f', 2);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

QString svgPathData(const QPainterPath& path)
{
    QStringList d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo())
            d << QStringLiteral("M%1 %2").arg(number(e.x), number(e.y));
        else if (e.isLineTo())
            d << QStringLiteral("L%1 %2").arg(number(e.x), number(e.y));
        else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            d << QStringLiteral("C%1 %2 %3 %4 %5 %6")
                     .arg(number(e.x), number(e.y), number(c2.x), number(c2.y), number(end.x), number(end.y));
            i += 2;
        }
    }
    return d.join(QLatin1Char(' '));
}

QString svg(const std::vector<Shape>& shapes)
{
    QString out;
    QTextStream s(&out);
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    for (const Shape& shape : shapes) {
        s << "  <path d=\"" << svgPathData(shape.path) << "\" fill=\""
          << (shape.fill.isValid() ? shape.fill.name() : QStringLiteral("none")) << "\"";
        if (shape.stroke.isValid())
            s << " stroke=\"" << shape.stroke.name() << "\" stroke-width=\"" << number(shape.width)
              << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
        s << "/>\n";
    }
    s << "</svg>\n";
    return out;
}

QImage png(const std::vector<Shape>& shapes, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kCanvas, size / kCanvas);
    for (const Shape& shape : shapes) {
        p.setBrush(shape.fill.isValid() ? QBrush(shape.fill) : QBrush(Qt::NoBrush));
        p.setPen(shape.stroke.isValid() ? QPen(shape.stroke, shape.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                                        : QPen(Qt::NoPen));
        p.drawPath(shape.path);
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Usage: korvex_icon <output folder> <icon name>\n");
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    const std::vector<Shape> shapes = drawing();
    QDir().mkpath(out.filePath(QStringLiteral("scalable")));
    QFile file(out.filePath(QStringLiteral("scalable/%1.svg").arg(name)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg(shapes).toUtf8()) < 0) {
        std::fprintf(stderr, "korvex_icon: cannot write %s\n", qPrintable(file.fileName()));
        return 2;
    }
    // The sizes of the hicolor theme that desktops look up for an application.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = out.filePath(QStringLiteral("%1x%1").arg(size));
        QDir().mkpath(dir);
        const QString path = dir + QStringLiteral("/%1.png").arg(name);
        if (!png(shapes, size).save(path, "PNG")) {
            std::fprintf(stderr, "korvex_icon: cannot write %s\n", qPrintable(path));
            return 2;
        }
    }
    return 0;
}
