// The pan/zoom control's click: refused while the view is locked, otherwise the region under the
// point scrolls, centres or zooms the picture. The regions themselves are in view_geometry.hpp.
#pragma once

#include "common/dialogs.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/measure_state.hpp"

namespace brelvo::mapview {

// The zoom ratios of the control: in enlarges by 1 + scrollZoomFactor, out undoes exactly that.
double zoomInRatio(float scrollZoomFactor);
double zoomOutRatio(float scrollZoomFactor);

enum class PanZoomOutcome {
    Refused,  // the view is locked: the user was told, nothing moved
    Missed,   // the point falls on no region (a border or an uncovered corner)
    Moved,    // the picture rectangle was scrolled, centred or zoomed
};

// A click at (x, y), control-relative, in the units of g.panZoom. A zoom divides the map scale of
// `state` by its ratio so that measurements stay tied to the picture.
PanZoomOutcome panZoomClick(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs, float x,
                            float y);

// The same click replayed on the middle of a region.
PanZoomOutcome panZoomRegionClick(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs,
                                  PanZoomRegion region);

// The mouse wheel over the map at view position (x, y): each notch is one zoom step of the control
// (steps > 0 in, wheel up; steps < 0 out) about that position, so the picture point under the pointer
// stays under it; at most kMostWheelNotches notches count in one turn. The control's lock rule
// applies, with its message.
inline constexpr int kMostWheelNotches = 100;
PanZoomOutcome wheelZoom(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs, float x,
                         float y, int steps);

// A pan of the map by (dx, dy) view units (Shift+wheel, a middle-button drag), under the same lock rule.
PanZoomOutcome pan(ViewGeometry& g, measure::MeasureState& state, common::Dialogs& dialogs, float dx,
                   float dy);

}  // namespace brelvo::mapview
