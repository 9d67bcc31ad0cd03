// Painting of the map view and its mouse releases.
#include "app/map_view.hpp"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWheelEvent>

namespace brelvo::app {

MapView::MapView(QWidget* parent, const mapview::ViewGeometry& geometry,
                 const measure::MeasureDocument& surface, const mapview::PictureRenderer& renderer,
                 float twipsPerPixel)
    : QWidget(parent), geometry_(geometry), surface_(surface), renderer_(renderer), tpp_(twipsPerPixel) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void MapView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), QColor(0xE8, 0xEA, 0xED));
    if (geometry_.hasPicture) {
        const auto& r = geometry_.picture;
        const QRectF target(r.left / tpp_, r.top / tpp_, r.width / tpp_, r.height / tpp_);
        renderer_.paint(p, target, event->rect(), rect());
        if (paintOverPicture) {
            p.save();
            p.setClipRect(event->rect());
            paintOverPicture(p, target);
            p.restore();
        }
    } else {
        // An empty view says how to begin.
        p.setPen(QColor(0x6B, 0x72, 0x7C));
        QFont font = p.font();
        font.setPointSizeF(font.pointSizeF() * 1.3);
        p.setFont(font);
        p.drawText(rect(), Qt::AlignCenter,
                   QStringLiteral("Right-click for the command menu.\n"
                                  "Load/Save Map, then Load Map File, brings in a map picture."));
    }

    if (geometry_.hasPicture && paintOverMap) paintOverMap(p, event->rect());

    p.setRenderHint(QPainter::Antialiasing);
    for (const auto& [index, seg] : surface_.controls().line1) {
        if (!seg.visible) continue;
        QPen pen(QColor::fromRgb(seg.color), seg.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        if (seg.path.size() >= 2) {
            QPolygonF line;
            line.reserve(static_cast<qsizetype>(seg.path.size()));
            for (const measure::PointF& v : seg.path) line.append(QPointF(v.x / tpp_, v.y / tpp_));
            p.drawPolyline(line);
            // An area's holes, each closed.
            p.setBrush(Qt::NoBrush);
            for (const auto& hole : seg.holes) {
                QPolygonF ring;
                ring.reserve(static_cast<qsizetype>(hole.size()));
                for (const measure::PointF& v : hole) ring.append(QPointF(v.x / tpp_, v.y / tpp_));
                p.drawPolygon(ring);
            }
            continue;
        }
        p.drawLine(QPointF(seg.x1 / tpp_, seg.y1 / tpp_), QPointF(seg.x2 / tpp_, seg.y2 / tpp_));
    }

    // Markers: a square with a light halo so that it shows on dark and light map areas alike.
    for (const measure::Box* marker : {&surface_.controls().shape1, &surface_.controls().shape2}) {
        if (!marker->visible) continue;
        const QRectF box(marker->left / tpp_, marker->top / tpp_, marker->width / tpp_,
                         marker->height / tpp_);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 200), 3));
        p.drawRect(box);
        p.setPen(QPen(QColor(0xD0, 0x20, 0x20), 1.5));
        p.drawRect(box);
    }
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) panFrom_ = event->position();
    QWidget::mousePressEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::MiddleButton) && onPan) {
        const QPointF by = event->position() - panFrom_;
        panFrom_ = event->position();
        onPan(QPointF(by.x() * tpp_, by.y() * tpp_));
    }
    if (onPointer) onPointer(QPointF(event->position().x() * tpp_, event->position().y() * tpp_));
}

void MapView::leaveEvent(QEvent* event) {
    if (onPointer) onPointer(std::nullopt);
    QWidget::leaveEvent(event);
}

void MapView::wheelEvent(QWheelEvent* event) {
    // One notch is 120 eighths of a degree; finer wheels and touch pads add up to whole notches.
    const QPoint delta = event->angleDelta();
    wheelRemainder_ += delta.y() != 0 ? delta.y() : delta.x();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    event->accept();
    if (steps != 0 && onWheel) {
        const QPointF at(event->position().x() * tpp_, event->position().y() * tpp_);
        onWheel(at, steps, event->modifiers());
    }
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (onRelease)
        onRelease(event->button(), QPointF(event->position().x() * tpp_, event->position().y() * tpp_));
}

}  // namespace brelvo::app
