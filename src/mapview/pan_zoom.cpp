// The pan/zoom control's click: the region's action and the zoom ratios. The view is never locked:
// lines, markers and the map origin are held on the picture, so they move with it.
#include "mapview/pan_zoom.hpp"

#include <algorithm>

namespace brelvo::mapview {

double zoomInRatio(float scrollZoomFactor) {
    const double f = scrollZoomFactor;
    return 1 + f;
}

double zoomOutRatio(float scrollZoomFactor) {
    const double f = scrollZoomFactor;
    return 1 / (1 + f);
}

PanZoomOutcome panZoomClick(ViewGeometry& g, measure::MeasureState& state, float x, float y) {
    switch (panZoomRegionAt(x, y, g.panZoom.width, g.panZoom.height)) {
        case PanZoomRegion::Up:
            scrollPic(g, 0);
            break;
        case PanZoomRegion::Down:
            scrollPic(g, 1);
            break;
        case PanZoomRegion::Left:
            scrollPic(g, 2);
            break;
        case PanZoomRegion::Right:
            scrollPic(g, 3);
            break;
        case PanZoomRegion::Centre:
            scrollPic(g, 4);
            break;
        case PanZoomRegion::ZoomIn:
            zoomPic(g, zoomInRatio(g.scrollZoomFactor), state.scaleX, state.scaleY);
            break;
        case PanZoomRegion::ZoomOut:
            zoomPic(g, zoomOutRatio(g.scrollZoomFactor), state.scaleX, state.scaleY);
            break;
        case PanZoomRegion::None:
            return PanZoomOutcome::Missed;
    }
    return PanZoomOutcome::Moved;
}

PanZoomOutcome wheelZoom(ViewGeometry& g, measure::MeasureState& state, float x, float y, int steps,
                         bool fine) {
    if (steps == 0) return PanZoomOutcome::Missed;
    const double in = fine ? zoomInRatio(g.scrollZoomFactor) : kWheelNotchRatio;
    const double out = fine ? zoomOutRatio(g.scrollZoomFactor) : 1 / kWheelNotchRatio;
    const double ratio = steps > 0 ? in : out;
    // A wheel turns a few notches per event; more than kMostWheelNotches in one turn (a script's
    // 2147483647) counts as that many, which already zooms the picture far past any use.
    const long long asked = steps > 0 ? static_cast<long long>(steps) : -static_cast<long long>(steps);
    for (int notch = static_cast<int>(std::min<long long>(asked, kMostWheelNotches)); notch > 0; --notch) {
        zoomPicAt(g, ratio, x, y, state.scaleX, state.scaleY);
    }
    return PanZoomOutcome::Moved;
}

PanZoomOutcome wheelTurn(ViewGeometry& g, measure::MeasureState& state, float x, float y, int steps,
                         WheelTurn turn) {
    if (turn == WheelTurn::Pan) return wheelPan(g, steps);
    return wheelZoom(g, state, x, y, steps, turn == WheelTurn::FineZoom);
}

PanZoomOutcome pan(ViewGeometry& g, float dx, float dy) {
    if (dx == 0 && dy == 0) return PanZoomOutcome::Missed;
    panPic(g, dx, dy);
    return PanZoomOutcome::Moved;
}

PanZoomOutcome wheelPan(ViewGeometry& g, int steps) {
    const float step = g.view.width * g.scrollZoomFactor;
    return pan(g, step * static_cast<float>(steps), 0);
}

PanZoomOutcome panZoomRegionClick(ViewGeometry& g, measure::MeasureState& state, PanZoomRegion region) {
    float x = 0, y = 0;
    panZoomRegionCentre(region, g.panZoom.width, g.panZoom.height, x, y);
    return panZoomClick(g, state, x, y);
}

}  // namespace brelvo::mapview
