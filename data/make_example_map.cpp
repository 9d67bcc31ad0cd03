// Draws the example map picture: a small hilly basin with contours, a stream and a one-mile scale bar.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <iostream>

namespace {

constexpr int kWidth = 1200;  // pixels
constexpr int kHeight = 900;
constexpr double kPi = 3.14159265358979323846;

// A closed contour around the hill top whose radius wobbles with the angle, as real contours do.
QPainterPath contour(QPointF centre, double radius, double phase) {
    QPainterPath path;
    for (int i = 0; i <= 360; i += 3) {
        const double a = i * kPi / 180.0;
        const double r = radius * (1.0 + 0.18 * std::sin(3 * a + phase) + 0.08 * std::cos(5 * a - phase)) *
                         (1.0 + 0.25 * std::cos(a - 0.6));
        const QPointF p(centre.x() + 1.35 * r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    path.closeSubpath();
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: make_example_map OUTPUT.png\n";
        return 2;
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(0xF4, 0xF0, 0xE2));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A faint grid of section lines.
    p.setPen(QPen(QColor(0xD9, 0xC9, 0xA8), 1));
    for (int x = 0; x < kWidth; x += 200) p.drawLine(x, 0, x, kHeight);
    for (int y = 0; y < kHeight; y += 200) p.drawLine(0, y, kWidth, y);

    // Contours every 20 ft, each fifth one heavier.
    const QPointF top(560, 330);
    for (int k = 1; k <= 16; ++k) {
        const bool index = k % 5 == 0;
        p.setPen(QPen(QColor(0xA8, 0x6E, 0x3C), index ? 2.0 : 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(contour(top, 18.0 * k, 0.15 * k));
    }

    // The stream from its head below the summit down the valley to the outlet.
    QPainterPath stream;
    stream.moveTo(520, 300);
    stream.cubicTo(560, 380, 610, 420, 640, 480);
    stream.cubicTo(670, 540, 720, 600, 760, 700);
    stream.cubicTo(780, 760, 800, 800, 830, 860);
    p.setPen(QPen(QColor(0x2A, 0x6F, 0xD6), 2.5));
    p.drawPath(stream);

    // A road for orientation.
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 3, Qt::DashLine));
    p.drawLine(QPointF(40, 620), QPointF(1160, 760));

    // Scale bar: 400 pixels are one mile, from x = 80 to x = 480 at y = 850.
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(80, 850, 480, 850);
    for (int x : {80, 180, 280, 380, 480}) p.drawLine(x, 842, x, 858);
    p.fillRect(QRectF(80, 846, 100, 8), Qt::black);
    p.fillRect(QRectF(280, 846, 100, 8), Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"), 11);
    p.setFont(font);
    p.drawText(QPointF(74, 880), QStringLiteral("0"));
    p.drawText(QPointF(268, 880), QStringLiteral("0.5"));
    p.drawText(QPointF(466, 880), QStringLiteral("1 mile"));

    font.setPointSize(14);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QPointF(40, 50), QStringLiteral("Example Creek basin"));
    font.setPointSize(10);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QPointF(40, 72), QStringLiteral("Contour interval 20 feet"));
    p.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]))) {
        std::cerr << argv[1] << ": cannot write the picture\n";
        return 1;
    }
    return 0;
}
