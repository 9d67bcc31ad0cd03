// The control points of a georeference being made: typed texts checked, the system chosen by its code,
// residuals measured on the transform the fit gives.
#include "measure/georef_points.hpp"

#include <gtest/gtest.h>

#include "measure/georef_fit.hpp"

namespace brelvo::measure {
namespace {

// A system check that knows EPSG:4326 and EPSG:32613 only.
std::optional<std::string> knownSystems(const std::string& code, std::string& error) {
    if (code == "EPSG:4326") return std::string("GEOGCRS[\"WGS 84\"]");
    if (code == "EPSG:32613") return std::string("PROJCRS[\"WGS 84 / UTM zone 13N\"]");
    error = "no such code";
    return std::nullopt;
}

// Ten map units a pixel, north up, origin at (500000, 4400000): what the fit is taken to return.
std::optional<std::array<double, 6>> tenMetrePixels(const std::vector<PixelToMap>&, std::string&) {
    return std::array<double, 6>{500000, 10, 0, 4400000, 0, -10};
}

TEST(GeorefPoints, TextsAreCheckedAsTypedAndRefusedInTheirBox) {
    GeorefPoints points;
    ASSERT_TRUE(points.useLatLong(knownSystems));
    EXPECT_EQ(points.add(10, 20), 1);
    EXPECT_EQ(points.add(30, 40), 2);
    EXPECT_TRUE(points.setText(1, 0, "40.5"));
    EXPECT_TRUE(points.setText(1, 1, "-105,2"));
    EXPECT_EQ(points.points()[0].firstRefused, "");
    EXPECT_EQ(points.points()[0].secondRefused, "is not a number");
    EXPECT_EQ(points.message(), "Point 1, Longitude: is not a number.");
    EXPECT_FALSE(points.mapOf(points.points()[0]));
    // A latitude past the pole is refused; longitudes from -180 to 360 are taken.
    points.setText(2, 0, "91");
    EXPECT_EQ(points.points()[1].firstRefused, "a latitude lies from -90 to 90 degrees");
    points.setText(2, 0, "-90");
    points.setText(2, 1, "359.5");
    ASSERT_TRUE(points.mapOf(points.points()[1]));
    // Latitude is typed first; the map's X is the longitude.
    EXPECT_EQ(*points.mapOf(points.points()[1]), (MapPoint{359.5, -90}));
    EXPECT_FALSE(points.setText(3, 0, "1"));
    // In a projected system the same text is an easting, with no range.
    ASSERT_TRUE(points.useProjected("32613", knownSystems));
    EXPECT_EQ(points.system(), "EPSG:32613");
    points.setText(1, 0, "500123.25");
    points.setText(1, 1, "4400000");
    EXPECT_EQ(*points.mapOf(points.points()[0]), (MapPoint{500123.25, 4400000}));
}

TEST(GeorefPoints, AnUnknownSystemIsRefusedByNameAndChangesNothing) {
    GeorefPoints points;
    ASSERT_TRUE(points.useLatLong(knownSystems));
    EXPECT_FALSE(points.useProjected("EPSG:99999", knownSystems));
    EXPECT_EQ(points.message(), "\"EPSG:99999\" is no coordinate system this program knows: no such code.");
    EXPECT_EQ(points.kind(), GeorefKind::LatLong);
    EXPECT_EQ(points.system(), "EPSG:4326");
    EXPECT_EQ(points.systemWkt(), "GEOGCRS[\"WGS 84\"]");
}

TEST(GeorefPoints, ResidualsAreMeasuredOnTheFittedTransformAndTheGeoreferenceCarriesTheSystem) {
    GeorefPoints points;
    ASSERT_TRUE(points.useProjected("EPSG:32613", knownSystems));
    points.add(0, 0);
    points.add(100, 0);
    points.add(100, 100);
    points.setText(1, 0, "500000");
    points.setText(1, 1, "4400000");
    // Two points are needed before anything is fitted.
    EXPECT_FALSE(points.fit(tenMetrePixels));
    EXPECT_EQ(points.message(),
              "Two points with their coordinates are needed for a fit; three or more for rotation and skew.");
    points.setText(2, 0, "501003");   // 3 m east of where the transform puts it
    points.setText(2, 1, "4399996");  // and 4 m north: 5 m off
    points.setText(3, 0, "501000");
    points.setText(3, 1, "4399000");
    ASSERT_TRUE(points.fit(tenMetrePixels));
    EXPECT_EQ(points.points()[0].residual, 0.0);
    EXPECT_EQ(points.points()[1].residual, 5.0);
    EXPECT_EQ(points.points()[2].residual, 0.0);
    // RMS of 0, 5, 0 is sqrt(25 / 3) = 2.88675...
    EXPECT_EQ(points.message(), "3 points, affine transform; residuals in map units, RMS 2.887.");
    const auto georef = points.georeference();
    ASSERT_TRUE(georef);
    EXPECT_EQ(georef->geotransform, (std::array<double, 6>{500000, 10, 0, 4400000, 0, -10}));
    EXPECT_EQ(georef->crs, "EPSG:32613");
    EXPECT_EQ(georef->wkt, "PROJCRS[\"WGS 84 / UTM zone 13N\"]");
    EXPECT_EQ(georef->source, GeorefSource::ControlPoints);
    // A change forgets the fit; removing a point renumbers the rest.
    points.setText(3, 0, "501001");
    EXPECT_FALSE(points.georeference());
    EXPECT_FALSE(points.points()[0].residual);
    EXPECT_TRUE(points.remove(1));
    EXPECT_FALSE(points.remove(3));
    ASSERT_EQ(points.points().size(), 2u);
    EXPECT_EQ(points.points()[0].column, 100);
    EXPECT_EQ(points.points()[0].row, 0);
}

TEST(GeorefPoints, AFitThatFailsSaysWhyAndGivesNoGeoreference) {
    GeorefPoints points;
    ASSERT_TRUE(points.useLatLong(knownSystems));
    points.add(5, 5);
    points.add(5, 5);
    for (int n = 1; n <= 2; ++n) {
        points.setText(n, 0, "40");
        points.setText(n, 1, "-105");
    }
    const auto refuse = [](const std::vector<PixelToMap>& used, std::string& error) {
        error = "the points lie in one place (" + std::to_string(used.size()) + ")";
        return std::optional<std::array<double, 6>>();
    };
    EXPECT_FALSE(points.fit(refuse));
    EXPECT_EQ(points.message(), "the points lie in one place (2)");
    EXPECT_FALSE(points.georeference());
}

}  // namespace
}  // namespace brelvo::measure

namespace brelvo::measure {
namespace {

TEST(GeorefFit, TwoPointsGiveTheSimilarityThroughThemAsAGeotransform) {
    std::string error;
    // 10 m a pixel, north up: the upper-left corner is 100 pixels left and up of the first point.
    auto g = fitGeotransform({{100, 100, {500000, 4400000}}, {1100, 100, {510000, 4400000}}}, error);
    ASSERT_TRUE(g) << error;
    EXPECT_EQ(*g, (std::array<double, 6>{499000, 10, 0, 4401000, 0, -10}));
    // A scan turned a quarter turn: going right on the picture goes north, going down goes east.
    g = fitGeotransform({{0, 0, {1000, 2000}}, {0, 50, {1100, 2000}}}, error);
    ASSERT_TRUE(g) << error;
    EXPECT_EQ(*g, (std::array<double, 6>{1000, 0, 2, 2000, 2, 0}));
    EXPECT_FALSE(fitGeotransform({{5, 5, {1, 2}}, {5, 5, {3, 4}}}, error));
    EXPECT_EQ(error,
              "Control points 1 and 2 are the same place on the picture: click each point at its own place.");
}

TEST(GeorefFit, FourPointsGiveTheAffineLeastSquaresWithTheirResiduals) {
    // The corners of a 1000 x 700 pixel rectangle, 10 m a pixel, with the third point typed 2 m north of
    // where that transform puts it: the least squares spread the 2 m as 0.5 m at every corner.
    GeorefPoints points;
    ASSERT_TRUE(points.useProjected("EPSG:32613", knownSystems));
    const double corners[4][4] = {{100, 100, 500000, 4400000},
                                  {1100, 100, 510000, 4400000},
                                  {100, 800, 500000, 4393002},
                                  {1100, 800, 510000, 4393000}};
    for (const auto& c : corners) {
        const int n = points.add(c[0], c[1]);
        points.setText(n, 0, std::to_string(static_cast<long>(c[2])));
        points.setText(n, 1, std::to_string(static_cast<long>(c[3])));
    }
    ASSERT_TRUE(points.fit(fitGeotransform));
    for (const auto& p : points.points()) EXPECT_EQ(p.residual, 0.5);
    const auto& g = *points.geotransform();
    // Eastings fit exactly. The northings' misfit (0, 0, 2, 0) is fitted as 0.5 at the mean pixel
    // (600, 450), -1 m across the 1000 columns and +1 m down the 700 rows.
    EXPECT_NEAR(g[0], 499000, 1e-6);
    EXPECT_NEAR(g[1], 10, 1e-12);
    EXPECT_NEAR(g[2], 0, 1e-12);
    EXPECT_NEAR(g[3], 4401000 + 0.5 + 0.6 - 450.0 / 700, 1e-6);
    EXPECT_NEAR(g[4], -0.001, 1e-12);
    EXPECT_NEAR(g[5], -10 + 1.0 / 700, 1e-12);
    EXPECT_EQ(points.message(), "4 points, affine transform; residuals in map units, RMS 0.5.");
    std::string error;
    EXPECT_FALSE(fitGeotransform({{0, 0, {0, 0}}, {10, 10, {1, 1}}, {20, 20, {2, 5}}}, error));
    EXPECT_EQ(
        error,
        "The control points lie on one line on the picture, which leaves the map's other direction unknown: "
        "add a point away from that line.");
}

}  // namespace
}  // namespace brelvo::measure
