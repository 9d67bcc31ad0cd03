// Points from WGS 84 through a transformation made once give the coordinates a transformation made for
// each point gives, to the last bit, and cs2cs's.
#include <cmath>

#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

TEST_F(GeoTest, ATransformationMadeOnceGivesWhatOneMadeForEachPointGives) {
    const std::vector<measure::LonLat> points{{-105, 40.65}, {-104.93, 40.7}, {-105.3, 39.9}, {12.5, -33.25}};
    for (const char* code : {"EPSG:32613", "EPSG:3857", "EPSG:4326"}) {
        std::string error;
        const auto wkt = services_.systemWkt(code, error);
        ASSERT_TRUE(wkt) << error;
        const auto once = services_.transformFromWgs84(*wkt);
        ASSERT_NE(once, nullptr) << code;
        for (const measure::LonLat& p : points) {
            const auto a = once->fromWgs84(p);
            const auto b = services_.fromWgs84(*wkt, p);
            ASSERT_EQ(a.has_value(), b.has_value()) << code;
            if (!a) continue;
            EXPECT_EQ(a->x, b->x) << code;
            EXPECT_EQ(a->y, b->y) << code;
        }
        EXPECT_FALSE(once->fromWgs84({0, 91}));
        EXPECT_FALSE(once->fromWgs84({NAN, 10}));
    }
    // Easting 500000 is the central meridian of UTM zone 13N, 105 degrees west.
    std::string error;
    const auto utm = services_.transformFromWgs84(*services_.systemWkt("EPSG:32613", error));
    EXPECT_NEAR(utm->fromWgs84({-105, 40.65})->x, 500000, 1e-6);
    EXPECT_EQ(services_.transformFromWgs84("no system"), nullptr);
}

}  // namespace
}  // namespace brelvo::geo::testing
