// The transform through control points as the georeference dialog asks for it: a similarity through two
// points, an affine transform (least squares) through three or more.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "measure/georef_points.hpp"

namespace brelvo::measure {

// The geotransform (picture pixel to map, GDAL's corner convention) through `points`; nothing with
// `error` set when they do not fix one (fewer than two, or all in one place or one line).
std::optional<std::array<double, 6>> fitGeotransform(const std::vector<PixelToMap>& points,
                                                     std::string& error);

}  // namespace brelvo::measure
