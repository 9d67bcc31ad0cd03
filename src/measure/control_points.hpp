// Georeferencing a plain scan from control points: picture pixels whose map coordinates the user typed,
// fitted by a similarity (two points) or an affine transform (three or more, least squares).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "measure/georeference.hpp"

namespace brelvo::measure {

struct ControlPoint {
    MapPoint pixel;  // column, row: (0, 0) the upper-left corner of the picture's upper-left pixel
    MapPoint map;    // the map coordinates typed for it
    friend bool operator==(const ControlPoint&, const ControlPoint&) = default;
};

struct ControlFit {
    std::array<double, 6> geotransform{};  // as Georeference::geotransform
    std::vector<double> residuals;         // map units, per point: fitted to typed map point
};

// Two points: the similarity (scale, rotation, shift) that carries each pixel onto its map point, with
// picture rows growing downward and map Y upward. Three or more: the affine transform of least
// squares. Fewer than two points, two points at one pixel or one map point, or (three or more) points
// in one line on the picture or on the map are refused: nothing, and `error` says why.
std::optional<ControlFit> fitControlPoints(const std::vector<ControlPoint>& points, std::string& error);

}  // namespace brelvo::measure
