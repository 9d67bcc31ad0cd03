// The ground of a georeferenced map: positions against PROJ's cs2cs, geodesic areas and perimeters
// against GeographicLib's Planimeter, where the planar figures of the map's projection are wrong.
#include <cmath>

#include "common/messages.hpp"
#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

using measure::LonLat;
using measure::MapPoint;

struct Figures {
    double area = 0, perimeter = 0, planarArea = 0, planarPerimeter = 0;
    std::vector<LonLat> ring;
};

// The traced pixels' figures on the ground and on the map's plane.
Figures measure(const measure::Georeference& georef, const measure::GroundModel& ground,
                const std::vector<std::array<double, 2>>& pixels) {
    Figures f;
    std::vector<MapPoint> map;
    for (const auto& [column, row] : pixels) {
        map.push_back(georef.toMap(column, row));
        const auto p = ground.toGeographic(map.back());
        EXPECT_TRUE(p);
        f.ring.push_back(p.value_or(LonLat{}));
    }
    for (std::size_t i = 0; i < map.size(); ++i) {
        const std::size_t j = (i + 1) % map.size();
        f.perimeter += ground.geodesicLength(f.ring[i], f.ring[j]);
        f.planarPerimeter += std::hypot(map[j].x - map[i].x, map[j].y - map[i].y);
        f.planarArea += (map[i].x * map[j].y - map[j].x * map[i].y) / 2;
    }
    f.planarArea = std::fabs(f.planarArea);
    f.area = ground.geodesicArea(f.ring);
    return f;
}

void expectPlanimeter(const Figures& f) {
    const auto [perimeter, area] = planimeter(f.ring);
    EXPECT_NEAR(f.area, area, 1e-9 * area);
    EXPECT_NEAR(f.perimeter, perimeter, 1e-9 * perimeter);
}

void expectNear(const LonLat& a, const LonLat& b) {
    EXPECT_NEAR(a.lon, b.lon, 1e-9);
    EXPECT_NEAR(a.lat, b.lat, 1e-9);
}

const std::vector<std::array<double, 2>> kBasin{{10, 10}, {180, 25}, {190, 120}, {150, 170}, {20, 140}};

// UTM zone 13 N, 10 m pixels, 2.5 degrees east of the zone's central meridian, where the projection
// stretches lengths by about 4 parts in 10,000.
TEST_F(GeoTest, GeoTiffInUtmMeasuresOnTheEllipsoid) {
    std::string error;
    const std::string wkt = services_.systemWkt("EPSG:32613", error).value_or("");
    const std::array<double, 6> g{712000, 10, 0, 4430000, 0, -10};
    makeRaster(path("quad.tif"), "GTiff", &g, wkt);
    const GeorefReading reading = services_.readGeoreference(path("quad.tif"));
    ASSERT_TRUE(reading.georef) << reading.error;
    const auto ground = services_.ground(*reading.georef, error);
    ASSERT_TRUE(ground) << error;
    EXPECT_EQ(ground->unitName(), "m");

    const MapPoint corner = reading.georef->toMap(0, 0);
    expectNear(*ground->toGeographic(corner), cs2csToWgs84("EPSG:32613", corner));
    expectNear(*ground->toWgs84(corner), cs2csToWgs84("EPSG:32613", corner));

    const Figures f = measure(*reading.georef, *ground, kBasin);
    expectPlanimeter(f);
    EXPECT_GT(std::fabs(f.planarArea - f.area), 2e-4 * f.area);
    EXPECT_GT(std::fabs(f.planarPerimeter - f.perimeter), 1e-4 * f.perimeter);
    // Either direction of the ring gives the same positive area.
    std::vector<LonLat> reversed(f.ring.rbegin(), f.ring.rend());
    EXPECT_DOUBLE_EQ(ground->geodesicArea(reversed), f.area);
}

// A web map picture at 40 degrees north: Web Mercator's plane makes areas about 1.7 times too large.
TEST_F(GeoTest, WebMercatorPictureWithWorldFileMeasuresOnTheEllipsoid) {
    makeRaster(path("capture.png"), "PNG");
    write(path("capture.pgw"), "2\n0\n0\n-2\n-11131949.0\n4865942.0\n");
    write(path("capture.prj"), "EPSG:3857");
    const GeorefReading reading = services_.readGeoreference(path("capture.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_EQ(reading.georef->crs, "EPSG:3857");
    std::string error;
    const auto ground = services_.ground(*reading.georef, error);
    ASSERT_TRUE(ground) << error;
    const MapPoint centre = reading.georef->toMap(100, 100);
    expectNear(*ground->toWgs84(centre), cs2csToWgs84("EPSG:3857", centre));

    const Figures f = measure(*reading.georef, *ground, kBasin);
    expectPlanimeter(f);
    // The sphere's Mercator on the ellipsoid's latitudes stretches east-west by sec(lat) w and north-south
    // by sec(lat) w³ / (1 - e²), with w = sqrt(1 - e² sin²(lat)): areas by the product.
    const double lat = ground->toGeographic(centre)->lat * M_PI / 180;
    const double e2 = 0.0066943799901413165;
    const double w2 = 1 - e2 * std::sin(lat) * std::sin(lat);
    const double stretch = w2 * w2 / (1 - e2) / (std::cos(lat) * std::cos(lat));
    EXPECT_NEAR(f.planarArea / f.area, stretch, 1e-4 * stretch);
    EXPECT_GT(f.planarArea / f.area, 1.69);
}

// A world file turned 30 degrees with square half-metre pixels, on UTM's central meridian (scale
// 0.9996): a square traced in pixels is a square on the ground.
TEST_F(GeoTest, RotatedWorldFileMeasuresASquareAsSquare) {
    makeRaster(path("turned.jpg"), "JPEG");
    const double c = 0.5 * std::cos(M_PI / 6), s = 0.5 * std::sin(M_PI / 6);
    char text[256];
    std::snprintf(text, sizeof text, "%.17g\n%.17g\n%.17g\n%.17g\n500000\n4430000\n", c, s, s, -c);
    write(path("turned.jgw"), text);
    write(path("turned.prj"), "EPSG:32613");
    const GeorefReading reading = services_.readGeoreference(path("turned.jpg"));
    ASSERT_TRUE(reading.georef) << reading.error;
    std::string error;
    const auto ground = services_.ground(*reading.georef, error);
    ASSERT_TRUE(ground) << error;
    const Figures f = measure(*reading.georef, *ground, {{100, 100}, {300, 100}, {300, 300}, {100, 300}});
    const double side = 100 / 0.9996;
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(ground->geodesicLength(f.ring[i], f.ring[(i + 1) % 4]), side, 1e-6 * side) << i;
    }
    EXPECT_NEAR(f.area, side * side, 1e-6 * side * side);
    expectPlanimeter(f);
}

TEST_F(GeoTest, GeographicSystemsAndPlacingPoints) {
    std::string error;
    measure::Georeference georef;
    georef.geotransform = {-105, 0.001, 0, 41, 0, -0.001};
    georef.wkt = services_.systemWkt("EPSG:4326", error).value_or("");
    const auto ground = services_.ground(georef, error);
    ASSERT_TRUE(ground) << error;
    EXPECT_EQ(ground->unitName(), "deg");
    // Map coordinates of a geographic system are longitude first.
    expectNear(*ground->toGeographic({-104.5, 40.25}), {-104.5, 40.25});
    expectNear(*ground->toWgs84({-104.5, 40.25}), {-104.5, 40.25});

    const std::string utm = services_.systemWkt("EPSG:32613", error).value_or("");
    const auto placed = services_.fromWgs84(utm, {-102.5, 40.0});
    ASSERT_TRUE(placed);
    expectNear(cs2csToWgs84("EPSG:32613", *placed), {-102.5, 40.0});
    EXPECT_FALSE(services_.fromWgs84(utm, {-102.5, 95}));

    const auto feet = services_.systemWkt("EPSG:2232", error);  // Colorado Central, US survey feet
    ASSERT_TRUE(feet) << error;
    georef.wkt = *feet;
    const auto feetGround = services_.ground(georef, error);
    ASSERT_TRUE(feetGround) << error;
    EXPECT_EQ(feetGround->unitName(), "US ft");
    // ESRI's WKT names its unit "Degree" without a code; others write "degrees": degrees all the same.
    for (const char* unit : {"Degree", "degrees"}) {
        georef.wkt = std::string(
                         "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,"
                         "298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"") +
                     unit + "\",0.0174532925199433]]";
        const auto esri = services_.ground(georef, error);
        ASSERT_TRUE(esri) << error;
        EXPECT_EQ(esri->unitName(), "deg") << unit;
    }

    georef.wkt.clear();
    EXPECT_FALSE(services_.ground(georef, error));
    EXPECT_EQ(error, common::msg::kGroundNoSystem);
    georef.wkt = "GEOGCS[nonsense";
    EXPECT_FALSE(services_.ground(georef, error));
    EXPECT_EQ(error, common::msg::kGroundUnusable);
}

}  // namespace
}  // namespace brelvo::geo::testing
