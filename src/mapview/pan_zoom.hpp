// The pan/zoom control's click: the region under the point scrolls, centres or zooms the picture, at
// any time (tracing included). The regions themselves are in view_geometry.hpp.
#pragma once

#include "mapview/view_geometry.hpp"
#include "measure/measure_state.hpp"

namespace brelvo::mapview {

// The zoom ratios of the control: in enlarges by 1 + scrollZoomFactor, out undoes exactly that.
double zoomInRatio(float scrollZoomFactor);
double zoomOutRatio(float scrollZoomFactor);

enum class PanZoomOutcome {
    Missed,  // the point falls on no region (a border or an uncovered corner)
    Moved,   // the picture rectangle was scrolled, centred or zoomed
};

// A click at (x, y), control-relative, in the units of g.panZoom. A zoom divides the map scale of
// `state` by its ratio so that measurements stay tied to the picture.
PanZoomOutcome panZoomClick(ViewGeometry& g, measure::MeasureState& state, float x, float y);

// The same click replayed on the middle of a region.
PanZoomOutcome panZoomRegionClick(ViewGeometry& g, measure::MeasureState& state, PanZoomRegion region);

// What a turn of the wheel over the map does: zoom by notches, zoom by fine steps (Ctrl held), or pan
// sideways (Shift held).
enum class WheelTurn { Zoom, FineZoom, Pan };

// A wheel notch enlarges by 20 % (out undoes exactly that); a fine step is one zoom step of the control
// (1 + scrollZoomFactor, 5 % unless the user set another scroll/zoom speed).
inline constexpr double kWheelNotchRatio = 1.2;

// The mouse wheel over the map at view position (x, y): each notch zooms by kWheelNotchRatio, or with
// `fine` by one zoom step of the control (steps > 0 in, wheel up; steps < 0 out), about that position,
// so the picture point under the pointer stays under it; at most kMostWheelNotches notches count in one
// turn.
inline constexpr int kMostWheelNotches = 100;
PanZoomOutcome wheelZoom(ViewGeometry& g, measure::MeasureState& state, float x, float y, int steps,
                         bool fine = false);

// A turn of `steps` notches at view position (x, y): wheelZoom, fine or not, or wheelPan.
PanZoomOutcome wheelTurn(ViewGeometry& g, measure::MeasureState& state, float x, float y, int steps,
                         WheelTurn turn);

// A pan of the map by (dx, dy) view units (a middle-button drag).
PanZoomOutcome pan(ViewGeometry& g, float dx, float dy);

// Shift+wheel: each notch pans sideways by the scroll step (the view's width times the scroll/zoom
// speed); wheel up shows more of the left part, as the control's left arrow does.
PanZoomOutcome wheelPan(ViewGeometry& g, int steps);

}  // namespace brelvo::mapview
