// The calculation report's map figure: the picture under the whole traced basin, its stream and the
// outlet, drawn at the page's resolution with a north arrow, a legend and a scale bar, and none of the
// view's controls or previews.
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/calc_report_pdf.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

QRectF extentOf(const MapFigure& figure) {
    QRectF extent;
    const auto add = [&](const QRectF& r) { extent = extent.isNull() ? r : extent.united(r); };
    for (const QPolygonF& line : figure.boundaries) add(line.boundingRect());
    for (const QPolygonF& line : figure.streams) add(line.boundingRect());
    if (figure.outlet) add(QRectF(*figure.outlet, QSizeF(0, 0)));
    if (extent.isNull()) return figure.picture;
    // A margin of a tenth around the work, at least a little for a single point.
    const double margin = std::max({extent.width(), extent.height(), 10.0}) * 0.1;
    return extent.adjusted(-margin, -margin, margin, margin);
}

void drawNorthArrow(QPainter& painter, const QPointF& centre, double size, double degrees,
                    const QFont& font) {
    painter.save();
    painter.translate(centre);
    painter.rotate(degrees);
    QPainterPath arrow;
    arrow.moveTo(0, -size / 2);
    arrow.lineTo(size / 5, size / 2);
    arrow.lineTo(0, size / 3);
    arrow.lineTo(-size / 5, size / 2);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::black, size / 30));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    painter.setFont(font);
    painter.drawText(QRectF(-size / 2, -size * 1.1, size, size * 0.5), Qt::AlignCenter, QStringLiteral("N"));
    painter.restore();
}

QString lengthText(double value) {
    return QString::number(value, 'g', 6);
}

}  // namespace

double scaleBarLength(double length) {
    if (!(length > 0) || !std::isfinite(length)) return 0;
    const double power = std::pow(10.0, std::floor(std::log10(length)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= length * (1 + 1e-9)) return step * power;
    return power;
}

void drawMapFigure(QPainter& painter, const MapFigure& figure, const QRectF& box, const QFont& font) {
    const QFontMetricsF metrics(font, painter.device());
    const double line = metrics.lineSpacing();
    // Below the map: the legend's line and the scale bar's two lines.
    const QRectF room(box.left(), box.top(), box.width(), box.height() - line * 4.5);
    const QRectF extent = extentOf(figure);
    if (extent.isEmpty() || room.isEmpty()) return;
    const double scale = std::min(room.width() / extent.width(), room.height() / extent.height());
    const QRectF target(room.left() + (room.width() - extent.width() * scale) / 2, room.top(),
                        extent.width() * scale, extent.height() * scale);
    const QTransform toPage = QTransform::fromTranslate(-extent.left(), -extent.top()) *
                              QTransform::fromScale(scale, scale) *
                              QTransform::fromTranslate(target.left(), target.top());

    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    if (figure.paintPicture && !figure.picture.isEmpty())
        figure.paintPicture(painter, toPage.mapRect(figure.picture), target.toAlignedRect());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const double pen = line * 0.18;
    painter.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPolygonF& boundary : figure.boundaries) painter.drawPolyline(toPage.map(boundary));
    painter.setPen(QPen(QColor(0x00, 0x40, 0xE0), pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPolygonF& stream : figure.streams) painter.drawPolyline(toPage.map(stream));
    const QColor outletColor(0xD0, 0x20, 0x20);
    if (figure.outlet) {
        painter.setPen(QPen(Qt::white, pen));
        painter.setBrush(outletColor);
        painter.drawEllipse(toPage.map(*figure.outlet), line * 0.4, line * 0.4);
    }
    if (figure.northDegrees)
        drawNorthArrow(painter, QPointF(target.right() - line * 2, target.top() + line * 3), line * 2.5,
                       *figure.northDegrees, font);
    painter.restore();
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(target);

    // The legend: a sample of each line and the outlet's mark, on one line below the map.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    double x = box.left();
    const double y = target.bottom() + line * 1.2;
    const auto sample = [&](const QColor& color, const char* text) {
        painter.setPen(QPen(color, pen));
        painter.drawLine(QPointF(x, y), QPointF(x + line * 2, y));
        painter.setPen(Qt::black);
        const QString label = QString::fromUtf8(text);
        painter.drawText(QPointF(x + line * 2.5, y + metrics.ascent() / 2.5), label);
        x += line * 4 + metrics.horizontalAdvance(label);
    };
    sample(Qt::black, msg::kCalcLegendBasin);
    sample(QColor(0x00, 0x40, 0xE0), msg::kCalcLegendStream);
    painter.setPen(QPen(Qt::white, pen));
    painter.setBrush(outletColor);
    painter.drawEllipse(QPointF(x + line, y), line * 0.4, line * 0.4);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x + line * 2.5, y + metrics.ascent() / 2.5),
                     QString::fromUtf8(msg::kCalcLegendOutlet));

    // The scale bar: a round length of about a quarter of the map's width, or why there is none; and
    // why there is no north arrow.
    const double barY = y + line * 1.5;
    QString notes;
    if (figure.unitsPerPixel > 0) {
        const double length = scaleBarLength(extent.width() / 4 * figure.unitsPerPixel);
        const double barWidth = length / figure.unitsPerPixel * scale;
        painter.setPen(QPen(Qt::black, pen));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(box.left(), barY, barWidth, line * 0.35));
        painter.setBrush(Qt::black);
        painter.drawRect(QRectF(box.left(), barY, barWidth / 2, line * 0.35));
        painter.drawText(QPointF(box.left() + barWidth + line * 0.6, barY + line * 0.4),
                         QStringLiteral("0 - ") + lengthText(length) + QStringLiteral(" ") + figure.unit);
    } else {
        notes = QString::fromUtf8(msg::kCalcNoScale);
    }
    if (!figure.northDegrees)
        notes +=
            (notes.isEmpty() ? QString() : QStringLiteral("  ")) + QString::fromUtf8(msg::kCalcNorthUnknown);
    if (!notes.isEmpty()) painter.drawText(QPointF(box.left(), barY + line * 1.6), notes);
    painter.restore();
}

}  // namespace brelvo::app
