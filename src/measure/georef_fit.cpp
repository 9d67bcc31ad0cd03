// The control points' fit, on the control point arithmetic.
#include "measure/georef_fit.hpp"

namespace brelvo::measure {

std::optional<std::array<double, 6>> fitGeotransform(const std::vector<PixelToMap>&, std::string& error) {
    error = "not built yet";
    return std::nullopt;
}

}  // namespace brelvo::measure
