// The measuring rules' texts for a georeferenced map: the scale and units on such a map, measuring on the
// ground, control points and the georeference kept in projects. Kept in its own file: common/messages.hpp
// includes it at its place in the table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- measure: measuring on a georeferenced map ----
// "Set Scale" chosen on a map measured through its georeference.
inline constexpr const char* kSetScaleReplacesGeoreference =
    "Set Scale replaces the map's georeference until the map is loaded again.";
// The units alone were asked for on a map whose scale must be clicked.
inline constexpr const char* kUnitsNeedSetScale =
    "This map has no georeference in a known coordinate system, so its units come with its scale: choose "
    "\"Set Scale\" and click two points a known distance apart.";
// "General Pixels" chosen in the units alone: its reference pixels are clicked with Set Scale.
inline constexpr const char* kGeneralPixelsNeedSetScale =
    "General Pixels needs two points clicked on the map: choose \"Set Scale\" for it.";
// A traced point that the map's coordinate system cannot place on the ground; `point` as "X, Y".
inline std::string pointOffTheGround(const std::string& point) {
    return "The point " + point +
           " lies outside the area the map's coordinate system covers, so it has no place on the ground. "
           "The measurement stops there: trace the line inside the map's area.";
}
// The listing's line after the results of an area with holes (an imported polygon's inner rings).
inline std::string areaNetOfHoles(int measureNumber, std::size_t holes) {
    return "Area" + std::to_string(measureNumber) + " is net of " + std::to_string(holes) +
           (holes == 1 ? " hole" : " holes") +
           ": their area is taken out, their boundaries are in the perimeter, and the centroid is of "
           "the land between.";
}
// The line after an area's results: its centroid in WGS 84 degrees.
inline constexpr const char* kCentroidLatLongLead = "Centroid Lat/Long (WGS 84)= ";
inline constexpr const char* kCentroidOffTheGround =
    "The centroid has no latitude and longitude: it lies outside the area the map's coordinate system "
    "covers.";

// Control points: why a georeference cannot be fitted to them (points numbered from 1 as listed).
inline constexpr const char* kControlPointsTooFew =
    "At least two control points are needed: click two or more points on the map and type each one's "
    "coordinates.";
inline constexpr const char* kControlPointNotNumber =
    "A control point's coordinates are not numbers: type each coordinate as a number.";
inline std::string controlPointsSamePixel(int first, int second) {
    return "Control points " + std::to_string(first) + " and " + std::to_string(second) +
           " are the same place on the picture: click each point at its own place.";
}
inline std::string controlPointsSameMapPoint(int first, int second) {
    return "Control points " + std::to_string(first) + " and " + std::to_string(second) +
           " have the same map coordinates: type each point's own coordinates.";
}
inline constexpr const char* kControlPointsInLine =
    "The control points lie on one line on the picture, which leaves the map's other direction unknown: "
    "add a point away from that line.";
inline constexpr const char* kControlPointsMapInLine =
    "The map coordinates of the control points lie on one line, which gives no map: check the coordinates "
    "typed.";

// A georeference kept in a project that cannot be read (said after the value's name).
inline constexpr std::string_view kValueNotSixNumbers = "is not a list of six numbers";
inline constexpr std::string_view kValueGeotransformNotInvertible =
    "does not place the picture on the map (it cannot be inverted)";
inline constexpr std::string_view kValueNotGeorefSource =
    "is not \"file\", \"world file\", \"control points\" or \"web map\"";
inline constexpr std::string_view kValueNotEpsgCode = "is not \"EPSG:\" with a number, nor empty";
// (end of measuring on a georeferenced map)

}  // namespace brelvo::common::msg
