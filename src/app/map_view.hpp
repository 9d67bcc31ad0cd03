// The map view: paints the visible part of the map picture, then the drawn segments and the two
// markers, in view units converted to pixels; forwards mouse releases as view positions.
#pragma once

#include <QWidget>
#include <functional>

#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/map_surface.hpp"

namespace brelvo::app {

class MapView : public QWidget {
public:
    MapView(QWidget* parent, const mapview::ViewGeometry& geometry, const measure::MapSurface& surface,
            const mapview::PictureRenderer& renderer, float twipsPerPixel);

    // Called with the button and the release point in view units of the map view.
    std::function<void(Qt::MouseButton, QPointF)> onRelease;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const mapview::ViewGeometry& geometry_;
    const measure::MapSurface& surface_;
    const mapview::PictureRenderer& renderer_;
    float tpp_;
};

}  // namespace brelvo::app
