// The measurement pass: map coordinates of view positions in the three unit modes, extents, shoelace
// area, perimeter, centroid, stream length and length below the centroid, with their result texts.
#pragma once

#include <string>

#include "common/dialogs.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

// A view position (view units) in map coordinates of the current unit mode.
PointF ToMapCoords(const MeasureState& state, const MapSurface& surface, float vx, float vy);

// Pins the map origin to the picture point now at the view's lower-left corner.
void pinMapOrigin(MeasureState& state, const MapSurface& surface);

// Number pattern of a measured value: "0.00" with one more decimal per decade below 1, "#0.0", "#0", "#00".
std::string ChooseNumberFormat(float value);

// A measured value in the pattern ChooseNumberFormat picks for it.
std::string formatMeasure(float value);

// The pass over the current line (the mode still says area or stream): writes the result fields of the
// state and appends the extents and result lines to the coordinate text. Arithmetic failures are shown
// in a message box and the failed value is not stored. A map measured on the ground (measuresOnGround)
// is measured there, its picture pixels found with the window's view units per screen pixel.
void ComputeMeasurement(MeasureDocument& doc, const MapSurface& surface, common::Dialogs& dialogs,
                        float twipsPerPixel);

// The extents of a pass in map coordinates.
struct Extents {
    float xmin = 0;
    float ymin = 0;
    float xmax = 0;
    float ymax = 0;
};
// The end of a pass: the extents line and the result texts of the area (areaInUnits and the perimeter
// `length`) or the stream (`length` and the length below the centroid) in the state's units, appended
// to the coordinate text, which is shown in front with the caret at its end.
void appendMeasurementResults(MeasureDocument& doc, const Extents& extents, float areaInUnits, float length,
                              float lengthBelowCentroid);
// After an area's results: the line saying its area and centroid are net of `holes` holes.
void appendHolesLine(MeasureDocument& doc, std::size_t holes);

}  // namespace brelvo::measure
