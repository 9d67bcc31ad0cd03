// The pan/zoom control's click: the lock, the region's action and the zoom ratios.
#include "mapview/pan_zoom.hpp"

#include "common/messages.hpp"

namespace brelvo::mapview {

double zoomInRatio(float scrollZoomFactor) {
    const double f = scrollZoomFactor;
    return 1 + f;
}

double zoomOutRatio(float scrollZoomFactor) {
    const double f = scrollZoomFactor;
    return 1 / (1 + f);
}

PanZoomOutcome panZoomClick(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs, float x,
                            float y) {
    if (!panZoomAllowed(state.viewUnlocked, state.pixelUnits, state.generalPixels)) {
        dialogs.message(common::msg::kPanZoomLocked);
        return PanZoomOutcome::Refused;
    }
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

PanZoomOutcome panZoomRegionClick(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs,
                                  PanZoomRegion region) {
    float x = 0, y = 0;
    panZoomRegionCentre(region, g.panZoom.width, g.panZoom.height, x, y);
    return panZoomClick(g, state, dialogs, x, y);
}

}  // namespace brelvo::mapview
