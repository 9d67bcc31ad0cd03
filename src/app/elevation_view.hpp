// How an elevation model shows: its shaded relief as the map picture itself (no map loaded), or drawn
// over a georeferenced map picture in the same place, reprojected for display.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <functional>
#include <optional>

#include "app/elevation_layer.hpp"
#include "measure/georeference.hpp"
#include "terrain/relief.hpp"

namespace brelvo::app {

// The longest side of a model's relief shown as the map, and of the relief drawn over a map.
inline constexpr int kMaxReliefMapSide = 8000;
inline constexpr int kMaxReliefOverlaySide = 2048;

// One cell's east-west and north-south lengths on the ground at the model's centre, metres.
struct CellMetres {
    double x = 1;
    double y = 1;
};
CellMetres cellMetresAtCentre(const terrain::ElevationModel& model, const measure::GroundModel& ground);

// The relief as the map picture: a whole number of model cells per picture pixel (`scale`) so that the
// long side stays within kMaxReliefMapSide, and the picture's georeference: the model's, scaled.
struct ReliefMap {
    QImage image;
    int scale = 1;
    measure::Georeference georef;
};
ReliefMap reliefAsMap(const terrain::ElevationModel& model, const terrain::ReliefParams& params);

// The relief over a map picture of `pictureSize` pixels: an image covering `rect` (picture pixels), the
// model's cells found through a coarse grid of transformed points, interpolated between them. Nothing
// when no cell of the model falls on the picture. `progress` (may be empty) is told 0..1 as the grid's
// rows and the image's rows are done; false from it stops the work, which then returns nothing and sets
// `cancelled`. One thread does it all, so the image is the same however many threads the machine has.
struct ReliefOverlay {
    QImage image;
    QRectF rect;
};
std::optional<ReliefOverlay> reliefOverlay(const ElevationLayer& layer, const terrain::ReliefParams& params,
                                           QSize pictureSize,
                                           const std::function<bool(double)>& progress = {},
                                           bool* cancelled = nullptr);

}  // namespace brelvo::app
