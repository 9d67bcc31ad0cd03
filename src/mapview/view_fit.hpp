// Fitting a part of the picture to the view: the whole picture (View -> Zoom to Map) or the last basin
// traced or delineated (View -> Zoom to Basin). A fit is one zoom on the zoom path of the control and
// the wheel (the map scale divided by its ratio, so that measurements stay tied to the picture) and one
// pan, so lines, markers and the map origin follow the picture as they do after any zoom.
#pragma once

#include <optional>

#include "mapview/pan_zoom.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::mapview {

// The room left around a basin on each side, as a share of the view's width and of its height.
inline constexpr float kBasinMargin = 0.05f;

// Zooms about the centre of `target` (view units, a rectangle on the picture as it is shown) by the
// ratio that makes it as large as the view less `margin` on each side allows, then pans its centre to
// the view's centre. A target without width is fitted by its height and one without height by its
// width; a single point is only centred. Missed when the view has no size.
PanZoomOutcome fitInView(ViewGeometry& g, measure::MeasureState& state, const RectF& target, float margin);

// View -> Zoom to Map: the whole picture as large as the view holds it, centred. Missed without a
// picture.
PanZoomOutcome zoomToMap(ViewGeometry& g, measure::MeasureState& state);

// The view rectangle around the basin: the last area finished (a boundary traced or delineated) with the
// last stream line finished (its flow path), as the basin handed to an export takes them; a line being
// traced is not yet part of it. Nothing when no area is finished.
std::optional<RectF> basinExtent(const measure::MeasureDocument& doc);

// View -> Zoom to Basin: basinExtent fitted with kBasinMargin. Missed when there is no basin.
PanZoomOutcome zoomToBasin(ViewGeometry& g, measure::MeasureDocument& doc);

}  // namespace brelvo::mapview
