// A left click on the centre of an elevation model's cell, as the map view passes it on to the window
// (picture-relative view units).
#pragma once

#include "app/elevation_layer.hpp"
#include "app/main_window.hpp"
#include "measure/ground_position.hpp"

namespace brelvo::app::testing {

// False when the model has no such cell on the map picture.
inline bool clickModelCell(MainWindow& window, int column, int row) {
    const ElevationLayer& layer = *window.elevationLayer();
    const auto pixel = layer.pictureOfModel(layer.cellCentre({column, row}));
    if (!pixel) return false;
    const measure::PointF view = measure::viewOfPicture(window, window.twipsPerPixelX(), *pixel);
    window.mapMouseUp(measure::MouseButton::Left, view.x - window.imageLeft(), view.y - window.imageTop());
    return true;
}

}  // namespace brelvo::app::testing
