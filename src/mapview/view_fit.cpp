// Fitting the picture or the basin to the view.
#include "mapview/view_fit.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "measure/ground_measure.hpp"

namespace brelvo::mapview {

PanZoomOutcome fitInView(ViewGeometry& g, measure::MeasureState& state, const RectF& target, float margin) {
    if (!(g.view.width > 0) || !(g.view.height > 0)) return PanZoomOutcome::Missed;
    const double room = 1 - 2 * static_cast<double>(margin);
    constexpr double kNoBound = std::numeric_limits<double>::infinity();
    const double across = target.width > 0 ? g.view.width * room / target.width : kNoBound;
    const double down = target.height > 0 ? g.view.height * room / target.height : kNoBound;
    double ratio = std::min(across, down);
    if (ratio == kNoBound) ratio = 1;  // a point: centred at the size it has
    if (!(ratio > 0)) return PanZoomOutcome::Missed;
    const float cx = target.left + target.width / 2;
    const float cy = target.top + target.height / 2;
    zoomPicAt(g, ratio, cx, cy, state.scaleX, state.scaleY);
    panPic(g, g.view.width / 2 - cx, g.view.height / 2 - cy);
    return PanZoomOutcome::Moved;
}

PanZoomOutcome zoomToMap(ViewGeometry& g, measure::MeasureState& state) {
    if (!g.hasPicture) return PanZoomOutcome::Missed;
    const RectF picture = g.picture;
    return fitInView(g, state, picture, 0);
}

std::optional<RectF> basinExtent(const measure::MeasureDocument& doc) {
    const auto [area, stream] = measure::lastBasinLines(doc);
    if (area.empty()) return std::nullopt;
    float left = std::numeric_limits<float>::max(), top = left;
    float right = std::numeric_limits<float>::lowest(), bottom = right;
    auto take = [&](float x, float y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    };
    for (const auto* line : {&area, &stream}) {
        for (const measure::Segment* seg : *line) {
            measure::forEachPiece(*seg, [&](float x1, float y1, float x2, float y2) {
                take(x1, y1);
                take(x2, y2);
            });
        }
    }
    return RectF{left, top, right - left, bottom - top};
}

PanZoomOutcome zoomToBasin(ViewGeometry& g, measure::MeasureDocument& doc) {
    const std::optional<RectF> basin = basinExtent(doc);
    if (!basin) return PanZoomOutcome::Missed;
    return fitInView(g, doc.state(), *basin, kBasinMargin);
}

}  // namespace brelvo::mapview
