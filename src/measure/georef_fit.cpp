// The control points' fit as the georeference dialog asks for it, on the control point arithmetic.
#include "measure/georef_fit.hpp"

#include "measure/control_points.hpp"

namespace brelvo::measure {

std::optional<std::array<double, 6>> fitGeotransform(const std::vector<PixelToMap>& points,
                                                     std::string& error) {
    std::vector<ControlPoint> control;
    control.reserve(points.size());
    for (const PixelToMap& p : points) control.push_back({MapPoint{p.column, p.row}, p.map});
    const std::optional<ControlFit> fit = fitControlPoints(control, error);
    if (!fit) return std::nullopt;
    return fit->geotransform;
}

}  // namespace brelvo::measure
