// A map picture's georeference (picture pixels to map coordinates, and the map's coordinate system) and
// the ground behind it as the measuring rules ask for it: geographic positions and geodesic lengths and
// areas. The ground is answered by the geodata plugin; a picture without a georeference has none, and
// is measured with the planar rules as before.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace brelvo::measure {

// Where a georeference came from; its text is what the dump and the project show.
enum class GeorefSource { File, WorldFile, ControlPoints, WebMap };
// "file", "world file", "control points", "web map".
const char* georefSourceText(GeorefSource source);
std::optional<GeorefSource> georefSourceFromText(const std::string& text);

struct MapPoint {
    double x = 0;  // easting, or longitude in a geographic system (the system's own unit)
    double y = 0;  // northing, or latitude
    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

// Geographic position, degrees.
struct LonLat {
    double lon = 0;
    double lat = 0;
    friend bool operator==(const LonLat&, const LonLat&) = default;
};

struct Georeference {
    // Picture pixel (column, row) to map coordinates, with (0, 0) the upper-left corner of the upper-left
    // pixel (not its centre, as a world file has it):
    //   X = g[0] + column g[1] + row g[2];  Y = g[3] + column g[4] + row g[5].
    std::array<double, 6> geotransform{0, 1, 0, 0, 0, -1};
    std::string wkt;  // the coordinate system; empty when not known (a world file answered "none")
    std::string crs;  // "EPSG:n" when the system has an EPSG code, else empty
    GeorefSource source = GeorefSource::File;

    bool systemKnown() const { return !wkt.empty(); }
    MapPoint toMap(double column, double row) const;
    // The picture pixel of a map point; nothing when the transform cannot be inverted.
    std::optional<MapPoint> toPixel(const MapPoint& map) const;
    // The geotransform can be inverted and every figure is finite.
    bool valid() const;
    friend bool operator==(const Georeference&, const Georeference&) = default;
};

// The ground of a georeferenced map in a known coordinate system (made by the geodata plugin).
class GroundModel {
  public:
    virtual ~GroundModel() = default;
    // Map coordinates to longitude and latitude on the system's own ellipsoid; nothing outside the
    // projection's domain.
    virtual std::optional<LonLat> toGeographic(const MapPoint& map) const = 0;
    // Map coordinates to WGS 84 longitude and latitude (what the listing and the status line show).
    virtual std::optional<LonLat> toWgs84(const MapPoint& map) const = 0;
    // Geodesic distance between two positions on the system's ellipsoid, metres.
    virtual double geodesicLength(const LonLat& a, const LonLat& b) const = 0;
    // Geodesic area of the polygon through `ring` (closed implicitly; either orientation), square metres,
    // never negative.
    virtual double geodesicArea(const std::vector<LonLat>& ring) const = 0;
    // The map coordinates' unit as the status line names it: "m", "ft", "US ft", "deg".
    virtual std::string unitName() const = 0;
};

}  // namespace brelvo::measure
