// Fitting the picture or the basin to the view.
#include "mapview/view_fit.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace brelvo::mapview {

namespace {

// The segments of finished line `k` (1-based) in order; empty when one is missing or the line is the one
// being traced.
std::vector<const measure::Segment*> lineSegments(const measure::MeasureDocument& doc, int k, bool tracing) {
    const measure::MeasureState& s = doc.state();
    if (tracing && k == s.lineNumber) return {};
    const int first = s.lineStart[static_cast<std::size_t>(k)];
    const int last = k < s.lineNumber ? s.lineStart[static_cast<std::size_t>(k + 1)] - 1 : s.segmentIndex;
    std::vector<const measure::Segment*> segments;
    for (int i = first; i <= last; ++i) {
        const auto it = doc.controls().line1.find(i);
        if (it == doc.controls().line1.end()) return {};
        segments.push_back(&it->second);
    }
    return segments;
}

}  // namespace

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
    const measure::MeasureState& s = doc.state();
    const bool tracing = s.mode == measure::AreaBoundary || s.mode == measure::StreamLine;
    // The last area and the last stream: a line's first segment has its kind's colour.
    std::vector<const measure::Segment*> area, stream;
    for (int k = std::min<int>(s.lineNumber, measure::MeasureState::kLineStarts - 1); k >= 1; --k) {
        std::vector<const measure::Segment*> segments = lineSegments(doc, k, tracing);
        if (segments.empty()) continue;
        auto& kind = segments.front()->color == measure::kStreamColor ? stream : area;
        if (kind.empty()) kind = std::move(segments);
    }
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
