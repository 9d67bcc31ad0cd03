// The pan/zoom control's face and its mouse release.
#include "app/pan_zoom_control.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace brelvo::app {

PanZoomControl::PanZoomControl(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Scroll, centre and zoom the map"));
}

void PanZoomControl::paintEvent(QPaintEvent*) {
    // Drawn in a 16-colour grey palette so that it reads on any map.
    const QColor light(0xC0, 0xC0, 0xC0), dark(0x40, 0x40, 0x40), mid(0x80, 0x80, 0x80);
    QPainter p(this);
    p.fillRect(rect(), light);
    p.setPen(mid);
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);

    // Arrow pad on the left two thirds: its columns and rows match the hit regions.
    const double w = kWidth, h = kHeight;
    const double cx = 0.33 * w, cy = 0.495 * h;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    auto arrow = [&](QPointF tip, QPointF b1, QPointF b2) {
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(b1);
        path.lineTo(b2);
        path.closeSubpath();
        p.drawPath(path);
    };
    arrow({cx, 1.5}, {cx - 4.5, 8.5}, {cx + 4.5, 8.5});                             // up
    arrow({cx, h - 1.5}, {cx - 4.5, h - 8.5}, {cx + 4.5, h - 8.5});                 // down
    arrow({1.5, cy}, {8.5, cy - 4.5}, {8.5, cy + 4.5});                             // left
    arrow({0.66 * w - 2, cy}, {0.66 * w - 9, cy - 4.5}, {0.66 * w - 9, cy + 4.5});  // right
    p.drawRect(QRectF(cx - 3, cy - 3, 6, 6));                                       // centre

    // The vertical bar between the pad and the zoom signs.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(0.66 * w, 2, 1.5, h - 4), mid);

    // Plus above minus on the right third.
    const double zx = 0.83 * w;
    p.fillRect(QRectF(zx - 4.5, 0.25 * h - 1, 9, 2.5), dark);
    p.fillRect(QRectF(zx - 1, 0.25 * h - 4.5, 2.5, 9), dark);
    p.fillRect(QRectF(zx - 4.5, 0.75 * h - 1, 9, 2.5), dark);
    p.fillRect(QRectF(0.66 * w + 2, 0.5 * h, w - 0.66 * w - 3, 1), mid);
}

void PanZoomControl::mouseReleaseEvent(QMouseEvent* event) {
    if (onRelease) onRelease(event->position());
}

}  // namespace brelvo::app
