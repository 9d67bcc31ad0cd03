// Where a view position lies on a georeferenced map: the picture pixel under it, its map coordinates,
// whether the map is measured on the ground, and the status line's text of the position.
#pragma once

#include <string>
#include <string_view>

#include "measure/georeference.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

// The picture pixel (column, row) at a view position, with (0, 0) the upper-left corner of the picture's
// upper-left pixel: a picture pixel spans twipsPerPixel view units at the picture's natural size, and
// pictureZoom times that as shown.
MapPoint pictureOfView(const MapSurface& surface, float twipsPerPixel, float vx, float vy);
// The view position of a picture pixel (the inverse of pictureOfView).
PointF viewOfPicture(const MapSurface& surface, float twipsPerPixel, const MapPoint& pixel);
// The map coordinates of a view position through a georeference.
MapPoint mapOfView(const Georeference& georef, const MapSurface& surface, float twipsPerPixel, float vx,
                   float vy);

// The map's positions are its georeference's: it has one, no scale set in this session replaced it, and
// no pixel unit is in force. The coordinate listing and the status line then show map coordinates.
bool showsMapCoordinates(const MeasureDocument& doc);
// The map is measured on the ground: it shows map coordinates in a known coordinate system whose ground
// the window has.
bool measuresOnGround(const MeasureDocument& doc, const MapSurface& surface);

// A unit named as degrees of arc, however a coordinate system spells it: "deg", "degree", "degrees",
// "Degree", "DEGREES", "decimal degrees" (letter case aside).
bool isDegreeUnit(std::string_view unit);

// The status line's text of a view position on a map that shows map coordinates: "X 512345.6 m, Y
// 4423456.7 m", then "  Lat 40.123456, Long -105.123456" (WGS 84) where the ground is known. Degrees
// (isDegreeUnit) show six decimals and the unit "deg", other units one decimal; an unknown system names
// no unit.
std::string mapPointerText(const Georeference& georef, const GroundModel* ground, const MapSurface& surface,
                           float twipsPerPixel, float vx, float vy);

}  // namespace brelvo::measure
