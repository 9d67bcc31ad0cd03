// The delineation's drawing over the map view.
#include "app/delineation_overlay.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace brelvo::app {

namespace {

constexpr QRgb kStreamColour = 0xFF1E64FF;  // opaque blue

// The cells (column and row ranges) whose area meets the painted rectangle.
QRect visibleCells(const QRect& dirty, const QTransform& cellToView, int width, int height) {
    bool invertible = false;
    const QTransform viewToCell = cellToView.inverted(&invertible);
    if (!invertible) return {};
    const QRectF cells = viewToCell.mapRect(QRectF(dirty));
    const int left = std::max(0, static_cast<int>(std::floor(cells.left())));
    const int top = std::max(0, static_cast<int>(std::floor(cells.top())));
    const int right = std::min(width, static_cast<int>(std::ceil(cells.right())));
    const int bottom = std::min(height, static_cast<int>(std::ceil(cells.bottom())));
    if (right <= left || bottom <= top) return {};
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

void paintStreams(QPainter& painter, const QRect& dirty, const QTransform& cellToView,
                  const std::vector<std::uint8_t>& streams, int width, int height) {
    if (width <= 0 || height <= 0 || streams.size() != static_cast<std::size_t>(width) * height) return;
    const QRect cells = visibleCells(dirty, cellToView, width, height);
    if (cells.isEmpty()) return;
    // A cell's side in view pixels: large cells are drawn as scaled cells, small ones are gathered
    // into the view's pixels so that a thin stream stays visible at any zoom.
    const double side = std::sqrt(std::fabs(cellToView.determinant()));
    if (side >= 1.0) {
        QImage image(cells.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        for (int r = 0; r < cells.height(); ++r) {
            const std::uint8_t* row =
                streams.data() + static_cast<std::size_t>(cells.top() + r) * width + cells.left();
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(r));
            for (int c = 0; c < cells.width(); ++c) {
                if (row[c]) out[c] = kStreamColour;
            }
        }
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setTransform(cellToView, true);
        painter.drawImage(QRectF(cells), image);
        painter.restore();
        return;
    }
    const QRect target = dirty;
    QImage image(target.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int r = cells.top(); r <= cells.bottom(); ++r) {
        const std::uint8_t* row = streams.data() + static_cast<std::size_t>(r) * width;
        for (int c = cells.left(); c <= cells.right(); ++c) {
            if (!row[c]) continue;
            const QPointF at = cellToView.map(QPointF(c + 0.5, r + 0.5));
            const int x = static_cast<int>(std::floor(at.x())) - target.left();
            const int y = static_cast<int>(std::floor(at.y())) - target.top();
            if (x < 0 || y < 0 || x >= target.width() || y >= target.height()) continue;
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = kStreamColour;
        }
    }
    painter.drawImage(target.topLeft(), image);
}

void paintOutlet(QPainter& painter, const QTransform& cellToView, int outletColumn, int outletRow) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPolygonF cell = cellToView.map(
        QPolygonF(QRectF(QPointF(outletColumn, outletRow), QPointF(outletColumn + 1, outletRow + 1))));
    QRectF mark = cell.boundingRect();
    if (mark.width() < 7) mark = QRectF(mark.center() - QPointF(3.5, 3.5), QSizeF(7, 7));
    painter.setPen(QPen(QColor(0xD0, 0x20, 0x20), 2));
    painter.setBrush(QColor(0xD0, 0x20, 0x20, 120));
    painter.drawRect(mark);
    painter.restore();
}

void paintSearchReach(QPainter& painter, const QTransform& cellToView, int clickedColumn, int clickedRow,
                      double radiusColumns, double radiusRows) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre(clickedColumn + 0.5, clickedRow + 0.5);
    QPainterPath reach;
    reach.addEllipse(centre, radiusColumns, radiusRows);
    const QPainterPath shown = cellToView.map(reach);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 3));
    painter.drawPath(shown);
    painter.setPen(QPen(QColor(0xE0, 0x80, 0x00), 1.5, Qt::DashLine));
    painter.drawPath(shown);
    painter.restore();
}

}  // namespace brelvo::app
