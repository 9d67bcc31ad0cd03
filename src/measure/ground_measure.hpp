// Measuring on the ground: a traced line of a georeferenced map measured on its coordinate system's
// ellipsoid (geodesic lengths and area, the centroid in map coordinates), for the coordinate listing and
// for the basin that leaves the program.
#pragma once

#include <optional>
#include <vector>

#include "common/dialogs.hpp"
#include "measure/georeference.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

// Metres per mile and per foot, square metres per square mile, acre and square foot (exact).
inline constexpr double kMetresPerMile = 1609.344;
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kSquareMetresPerSquareMile = 2589988.110336;
inline constexpr double kSquareMetresPerAcre = 4046.8564224;
inline constexpr double kSquareMetresPerSquareFoot = 0.09290304;

// The length and area units the state's unit texts name, in metres and square metres: " (ft)" is the
// foot, any other length the mile; " (acres)" the acre, " (ft^2)" the square foot, any other area the
// square mile.
struct GroundUnits {
    double metresPerLength = kMetresPerMile;
    double squareMetresPerArea = kSquareMetresPerSquareMile;
};
GroundUnits groundUnitsOf(const MeasureState& state);

// The measurement pass over the current line of a map measured on the ground (see ComputeMeasurement):
// each traced vertex goes from its picture pixel to map coordinates and then to the ground of the map's
// coordinate system. The perimeter and stream lengths are sums of geodesics between the traced
// vertices, the area the geodesic polygon's; the extents and the centroid are in map coordinates. An
// area's results are followed by its centroid's WGS 84 latitude and longitude.
void computeGroundMeasurement(MeasureDocument& doc, const MapSurface& surface, common::Dialogs& dialogs,
                              float twipsPerPixel);

// A view position as a coordinate line of the listing shows it: the map coordinates on a map measured on
// the ground, else ToMapCoords in the current units.
PointF listingPoint(const MeasureDocument& doc, const MapSurface& surface, float twipsPerPixel, float vx,
                    float vy);

// The segments of the last finished area and of the last finished stream, in order; a line being
// traced is not finished.
struct LastBasinLines {
    std::vector<const Segment*> area;
    std::vector<const Segment*> stream;
};
LastBasinLines lastBasinLines(const MeasureDocument& doc);

// The last traced area and the last traced stream of the document in WGS 84, with the figures the pass
// gives for them on the ground, in miles and square miles.
struct GroundBasin {
    std::vector<LonLat> boundary;  // the area's vertices in the order traced (the ring is not repeated)
    std::vector<std::vector<LonLat>> holes;  // the area's holes, the same way
    std::vector<LonLat> stream;              // the stream's vertices from its head down to its outlet
    std::optional<LonLat> centroid;
    std::optional<double> areaMi2, perimeterMi, streamLengthMi, lengthToCentroidMi;
};
// Empty when the map is not measured on the ground, or the lines do not lie on the ground.
GroundBasin groundBasin(const MeasureDocument& doc, const MapSurface& surface, float twipsPerPixel);

}  // namespace brelvo::measure
