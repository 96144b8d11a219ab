// Draws the 355 x 245 wiring picture shown before the preheat energy test and writes it as JPEG.
// Run once: korvex_wiring <output file>; the picture is kept as resources/wiring.jpg.
#include <QtCore/QTextStream>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

namespace {

const QColor kWire(0, 150, 40);
const QColor kInk(30, 30, 30);
const QColor kTube(255, 246, 200);
const int kTerminalX[4] = {40, 85, 130, 175};
const int kUpperY = 58;
const int kLowerY = 202;

void terminal(QPainter& p, QPointF c, int number, bool labelAbove, const QFont& font)
{
    p.setPen(QPen(QColor(120, 90, 20), 1.5));
    p.setBrush(QColor(230, 190, 80));
    p.drawEllipse(c, 8, 8);
    p.setBrush(QColor(60, 60, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 3, 3);
    p.setFont(font);
    p.setPen(kInk);
    const QRectF box(c.x() - 10, labelAbove ? c.y() - 26 : c.y() + 10, 20, 16);
    p.drawText(box, Qt::AlignCenter, QString::number(number));
}

// A fluorescent tube with two pins at each end; the pins' outer points are returned.
void tube(QPainter& p, const QRectF& r, QPointF pins[4])
{
    p.setPen(QPen(kInk, 1.3));
    const double y1 = r.top() + r.height() * 0.28, y2 = r.bottom() - r.height() * 0.28;
    pins[0] = QPointF(r.left() - 6, y1);
    pins[1] = QPointF(r.left() - 6, y2);
    pins[2] = QPointF(r.right() + 6, y1);
    pins[3] = QPointF(r.right() + 6, y2);
    p.drawLine(pins[0], QPointF(r.left(), y1));
    p.drawLine(pins[1], QPointF(r.left(), y2));
    p.drawLine(QPointF(r.right(), y1), pins[2]);
    p.drawLine(QPointF(r.right(), y2), pins[3]);
    p.setBrush(kTube);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    // The two filaments.
    p.setPen(QPen(QColor(200, 80, 0), 1.2));
    for (double x : {r.left() + r.height() * 0.55, r.right() - r.height() * 0.55}) {
        QPainterPath coil;
        coil.moveTo(x, y1);
        coil.cubicTo(x + 4, y1 + 2, x - 4, y2 - 2, x, y2);
        p.drawPath(coil);
    }
    p.setBrush(Qt::NoBrush);
}

void ballast(QPainter& p, const QRectF& r, const QFont& font)
{
    p.setPen(QPen(kInk, 1.3));
    p.setBrush(QColor(205, 220, 240));
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
    p.setFont(font);
    p.drawText(r, Qt::AlignCenter, QStringLiteral("EB"));
}

void wire(QPainter& p, QPointF from, QPointF c1, QPointF c2, QPointF to)
{
    QPainterPath path;
    path.moveTo(from);
    path.cubicTo(c1, c2, to);
    p.setPen(QPen(kWire, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString outPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("wiring.jpg");

    QImage image(355, 245, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 246));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont text(QStringLiteral("AR PL UMing CN"));
    text.setPixelSize(13);
    QFont small = text;
    small.setPixelSize(12);
    QFont bold(QStringLiteral("Liberation Sans"));
    bold.setPixelSize(13);
    bold.setBold(true);

    // The instrument's front panel.
    const QRectF panel(8, 22, 208, 216);
    p.setPen(QPen(QColor(70, 70, 70), 1.5, Qt::DashLine));
    p.drawRect(panel);
    p.setFont(text);
    p.setPen(kInk);
    p.drawText(QRectF(10, 3, 120, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("仪器面板"));

    // Inside the panel: which terminals lead to the lamp and which to the ballast. Terminals
    // 1 and 2 take the left filament, 3 and 4 the right one; the leads are routed around the
    // tube so that none crosses another.
    QPointF innerPins[4];
    tube(p, QRectF(52, 82, 110, 18), innerPins);
    p.setPen(QPen(kInk, 1));
    const double above = 74;
    auto polyline = [&p](std::initializer_list<QPointF> points) {
        QPolygonF line;
        for (const QPointF& q : points)
            line << q;
        p.drawPolyline(line);
    };
    polyline({QPointF(kTerminalX[0], kUpperY + 8), QPointF(kTerminalX[0], innerPins[1].y()), innerPins[1]});
    polyline({QPointF(kTerminalX[1], kUpperY + 8), QPointF(kTerminalX[1], above), QPointF(innerPins[0].x(), above),
              innerPins[0]});
    polyline({QPointF(kTerminalX[2], kUpperY + 8), QPointF(kTerminalX[2], above), QPointF(innerPins[2].x(), above),
              innerPins[2]});
    polyline({QPointF(kTerminalX[3], kUpperY + 8), QPointF(kTerminalX[3], innerPins[3].y()), innerPins[3]});
    p.setFont(small);
    p.drawText(QRectF(20, 106, 176, 16), Qt::AlignCenter, QStringLiteral("灯管/LAMP"));

    const QRectF innerEb(94, 144, 27, 28);
    ballast(p, innerEb, small);
    p.setPen(QPen(kInk, 1));
    for (int k = 0; k < 4; ++k) {
        const double edgeX = k < 2 ? innerEb.left() : innerEb.right();
        const double leadY = (k == 0 || k == 3) ? 151.0 : 165.0;
        polyline({QPointF(kTerminalX[k], kLowerY - 8), QPointF(kTerminalX[k], leadY), QPointF(edgeX, leadY)});
    }
    p.setFont(small);
    p.setPen(kInk);
    p.drawText(QRectF(20, 124, 176, 16), Qt::AlignCenter, QStringLiteral("电子镇流器/EB"));

    for (int k = 0; k < 4; ++k) {
        terminal(p, QPointF(kTerminalX[k], kUpperY), k + 1, true, bold);
        terminal(p, QPointF(kTerminalX[k], kLowerY), k + 5, false, bold);
    }

    // Outside on the right: the lamp and the ballast under test.
    QPointF lampPins[4];
    tube(p, QRectF(256, 46, 78, 20), lampPins);
    p.setFont(small);
    p.setPen(kInk);
    p.drawText(QRectF(236, 70, 118, 16), Qt::AlignCenter, QStringLiteral("灯管/LAMP"));

    const QRectF eb(262, 170, 64, 46);
    ballast(p, eb, bold);
    p.setFont(small);
    p.setPen(kInk);
    p.drawText(QRectF(236, 150, 118, 16), Qt::AlignCenter, QStringLiteral("电子镇流器/EB"));
    // Mains leads of the ballast.
    p.setPen(QPen(kInk, 1.3));
    p.drawLine(QPointF(294, 216), QPointF(294, 232));
    p.drawLine(QPointF(306, 216), QPointF(306, 232));
    p.setFont(small);
    p.drawText(QRectF(312, 222, 40, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("AC"));

    // Lamp leads to terminals 1..4, ballast output leads to terminals 5..8.
    for (int k = 0; k < 4; ++k) {
        const QPointF t(kTerminalX[k] + 6, kUpperY - 5);
        const int pinOf[4] = {1, 0, 2, 3}; // as inside the panel
        const QPointF pin = lampPins[pinOf[k]];
        const double lift = 30 - k * 5;
        wire(p, t, QPointF(t.x() + 10, lift), QPointF(pin.x() - (k < 2 ? 50 : -40), pin.y() - 30 + k * 4), pin);
    }
    for (int k = 0; k < 4; ++k) {
        const QPointF t(kTerminalX[k] + 6, kLowerY + 5);
        const QPointF lead(eb.left(), eb.top() + 8 + k * 10);
        p.setPen(QPen(kInk, 1.3));
        p.drawLine(lead, QPointF(lead.x() - 6, lead.y()));
        wire(p, t, QPointF(t.x() + 20, 236 - k * 3), QPointF(lead.x() - 50, lead.y()), QPointF(lead.x() - 6, lead.y()));
    }
    p.end();

    QTextStream out(stdout);
    if (!image.save(outPath, "JPG", 92)) {
        out << "cannot write " << outPath << Qt::endl;
        return 1;
    }
    out << outPath << Qt::endl;
    return 0;
}
