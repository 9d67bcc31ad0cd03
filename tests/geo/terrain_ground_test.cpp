// Delineation on the ground: the same analytic bowl sampled on a geographic grid (longitude and latitude
// cells, measured row by row on the ellipsoid) and on a UTM grid (metre cells) gives the same basin area.
#include <cmath>
#include <numbers>

#include "geo/geo_fixture.hpp"
#include "terrain/delineation.hpp"

namespace brelvo::geo::testing {
namespace {

using measure::LonLat;
using measure::MapPoint;

// A bowl 3 km in radius: a ridge 500 m high all round falling 10 % inward and outward, with a notch
// 20 m deep in its south side where the filled bowl spills. It lies where UTM zone 13 N's scale is
// about 1 (2.1 degrees east of the zone's central meridian at 40 degrees north), so the projected
// model's plane cells measure the ground.
constexpr double kLon0 = -102.9, kLat0 = 40.0, kRadius = 3000;

struct LocalMetres {
    double perLon = 0, perLat = 0;
};
// Metres per degree of longitude and latitude at the bowl's centre on WGS 84.
LocalMetres localMetres() {
    const double a = 6378137, f = 1 / 298.257223563, e2 = f * (2 - f);
    const double phi = kLat0 * std::numbers::pi / 180, s = std::sin(phi);
    const double w = std::sqrt(1 - e2 * s * s);
    return {std::numbers::pi / 180 * a * std::cos(phi) / w,
            std::numbers::pi / 180 * a * (1 - e2) / (w * w * w)};
}

float bowl(const LonLat& p) {
    const LocalMetres m = localMetres();
    const double east = (p.lon - kLon0) * m.perLon, north = (p.lat - kLat0) * m.perLat;
    const double r = std::hypot(east, north);
    const double fromSouth = std::fabs(std::fabs(std::atan2(east, north)) - std::numbers::pi);
    const double crest = 500 - 20 * std::max(0.0, 1 - fromSouth / 0.1);
    return static_cast<float>(crest - 0.1 * std::fabs(r - kRadius));
}

// 50 m beyond the notch, due south of the centre: where the user clicks the outlet.
LonLat outletPoint() {
    return {kLon0, kLat0 - (kRadius + 50) / localMetres().perLat};
}

struct Sampled {
    terrain::ElevationModel model;
    std::unique_ptr<measure::GroundModel> ground;
};

Sampled sample(const GdalServices& services, const std::string& crs, const std::array<double, 6>& g,
               int width, int height) {
    std::string error;
    Sampled s;
    s.model.width = width;
    s.model.height = height;
    s.model.unit = terrain::VerticalUnit::Metre;
    s.model.georef.geotransform = g;
    s.model.georef.wkt = services.systemWkt(crs, error).value_or("");
    s.model.georef.crs = crs;
    s.ground = services.ground(s.model.georef, error);
    EXPECT_TRUE(s.ground) << error;
    if (!s.ground) return s;
    s.model.z.resize(static_cast<std::size_t>(width) * height);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const auto p = s.ground->toGeographic(s.model.georef.toMap(c + 0.5, r + 0.5));
            s.model.z[s.model.index(c, r)] = p ? bowl(*p) : std::numeric_limits<float>::quiet_NaN();
        }
    }
    return s;
}

terrain::Delineation delineateAt(const Sampled& s, const MapPoint& click, double& cellArea) {
    const auto flow = terrain::prepareFlow(s.model, nullptr);
    EXPECT_TRUE(flow);
    const terrain::CellGeometry geometry = terrain::cellGeometry(s.model, *s.ground);
    cellArea = geometry.area[static_cast<std::size_t>(s.model.height / 2)];
    const auto pixel = s.model.georef.toPixel(click).value_or(MapPoint{-1, -1});
    const terrain::Cell cell{static_cast<int>(std::floor(pixel.x)), static_cast<int>(std::floor(pixel.y))};
    const auto d = terrain::delineate(s.model, flow.value_or(terrain::FlowModel{}), geometry, cell,
                                      terrain::kDefaultSnapCells);
    EXPECT_TRUE(d);
    return d.value_or(terrain::Delineation{});
}

TEST_F(GeoTest, BasinAreaAgreesOnGeographicAndProjectedModels) {
    // Geographic: 0.0001 degree cells (about 8.5 m east-west, 11.1 m north-south), 3.4 km each way.
    const LocalMetres m = localMetres();
    const int columns = 2 * static_cast<int>(std::ceil(3400 / m.perLon / 1e-4));
    const int rows = 2 * static_cast<int>(std::ceil(3400 / m.perLat / 1e-4));
    const std::array<double, 6> geographic{kLon0 - columns / 2 * 1e-4, 1e-4, 0,
                                           kLat0 + rows / 2 * 1e-4,    0,    -1e-4};
    const Sampled onDegrees = sample(services_, "EPSG:4326", geographic, columns, rows);
    ASSERT_TRUE(onDegrees.ground);
    ASSERT_EQ(onDegrees.ground->unitName(), "deg");
    // Projected: 10 m UTM cells about the same centre.
    std::string error;
    const std::string utm = services_.systemWkt("EPSG:32613", error).value_or("");
    const auto centre = services_.fromWgs84(utm, {kLon0, kLat0});
    ASSERT_TRUE(centre);
    const std::array<double, 6> projected{std::round(centre->x) - 3400, 10, 0,
                                          std::round(centre->y) + 3400, 0,  -10};
    const Sampled onMetres = sample(services_, "EPSG:32613", projected, 680, 680);
    ASSERT_TRUE(onMetres.ground);

    double degreeCell = 0, metreCell = 0;
    const terrain::Delineation a = delineateAt(onDegrees, {outletPoint().lon, outletPoint().lat}, degreeCell);
    const terrain::Delineation b =
        delineateAt(onMetres, services_.fromWgs84(utm, outletPoint()).value_or(MapPoint{}), metreCell);
    EXPECT_FALSE(a.cutOff);
    EXPECT_FALSE(b.cutOff);
    EXPECT_DOUBLE_EQ(metreCell, 100);
    // The row's cell area on the ellipsoid is GeographicLib's, and not the metre grid's.
    const int mid = rows / 2;
    const std::vector<LonLat> cell{{geographic[0], geographic[3] - mid * 1e-4},
                                   {geographic[0] + 1e-4, geographic[3] - mid * 1e-4},
                                   {geographic[0] + 1e-4, geographic[3] - (mid + 1) * 1e-4},
                                   {geographic[0], geographic[3] - (mid + 1) * 1e-4}};
    EXPECT_NEAR(degreeCell, planimeter(cell)[1], 1e-6 * degreeCell);
    EXPECT_GT(std::fabs(degreeCell - metreCell), 5);
    // The same basin: the bowl inside its ridge and the notch's first 50 m, within 0.1 % of each other,
    // the bowl's disc (pi 3 km squared) within 0.5 %.
    const double disc = std::numbers::pi * kRadius * kRadius;
    EXPECT_NEAR(a.areaM2, b.areaM2, 0.001 * b.areaM2) << a.areaM2 << " " << b.areaM2;
    EXPECT_NEAR(a.areaM2, disc, 0.005 * disc);
    EXPECT_NEAR(b.areaM2, disc, 0.005 * disc);
}

}  // namespace
}  // namespace brelvo::geo::testing
