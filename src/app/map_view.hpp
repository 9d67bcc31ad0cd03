// The map view: paints the visible part of the map picture, then the drawn segments and the two
// markers, in view units converted to pixels; forwards mouse releases as view positions.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::app {

class MapView : public QWidget {
  public:
    MapView(QWidget* parent, const mapview::ViewGeometry& geometry, const measure::MeasureDocument& surface,
            const mapview::PictureRenderer& renderer, float twipsPerPixel);

    // Called with the button and the release point in view units of the map view.
    std::function<void(Qt::MouseButton, QPointF)> onRelease;
    // The wheel turned by whole notches (positive = up) at a view position, with the modifiers held.
    std::function<void(QPointF, int, Qt::KeyboardModifiers)> onWheel;
    // A middle-button drag moved by (dx, dy) view units.
    std::function<void(QPointF)> onPan;
    // Draws over the picture, below the lines and markers: `picture` is the picture's rectangle in
    // device pixels.
    std::function<void(QPainter&, const QRectF& picture)> paintOverPicture;
    // The pointer moved over the view (a view position), or left it (no value).
    std::function<void(std::optional<QPointF>)> onPointer;
    // Drawn over the picture, under the traced lines: the painter and the rectangle being painted.
    std::function<void(QPainter&, const QRect&)> paintOverMap;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    const mapview::ViewGeometry& geometry_;
    const measure::MeasureDocument& surface_;
    const mapview::PictureRenderer& renderer_;
    float tpp_;
    int wheelRemainder_ = 0;  // eighths of a degree not yet a whole notch
    QPointF panFrom_;         // pixels, while the middle button is down
};

}  // namespace brelvo::app
