// The status line's map coordinates: degrees to six decimals whatever the coordinate system calls them.
#include "measure/ground_position.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "measure/fakes.hpp"

namespace brelvo::measure {
namespace {

// A ground whose map coordinates are longitude and latitude themselves, under the unit name it is given.
class NamedUnitGround : public GroundModel {
  public:
    explicit NamedUnitGround(std::string unit) : unit_(std::move(unit)) {}
    std::optional<LonLat> toGeographic(const MapPoint& p) const override { return LonLat{p.x, p.y}; }
    std::optional<LonLat> toWgs84(const MapPoint& p) const override { return LonLat{p.x, p.y}; }
    double geodesicLength(const LonLat&, const LonLat&) const override { return 0; }
    double geodesicArea(const std::vector<LonLat>&) const override { return 0; }
    std::string unitName() const override { return unit_; }

  private:
    std::string unit_;
};

TEST(DegreeUnits, AreKnownByAnySpellingAndCase) {
    for (const char* name : {"deg", "degree", "degrees", "Degree", "DEGREES", "Deg", "decimal degrees"})
        EXPECT_TRUE(isDegreeUnit(name)) << name;
    for (const char* name : {"m", "metre", "US ft", "grad", "degreesx", "de", ""})
        EXPECT_FALSE(isDegreeUnit(name)) << name;
}

TEST(MapPointerText, ShowsDegreesToSixDecimalsWhateverTheirName) {
    // A thousandth of a degree a pixel from (-105, 41); view (1507.5, 3007.5) at 15 view units a pixel is
    // pixel (100.5, 200.5): X -105 + 0.1005, Y 41 - 0.2005.
    Georeference georef;
    georef.geotransform = {-105, 0.001, 0, 41, 0, -0.001};
    const FakeSurface surface;
    const std::string degrees = "X -104.899500 deg, Y 40.799500 deg  Lat 40.799500, Long -104.899500";
    for (const char* name : {"deg", "Degree", "degrees"}) {
        const NamedUnitGround ground(name);
        EXPECT_EQ(mapPointerText(georef, &ground, surface, 15, 1507.5f, 3007.5f), degrees) << name;
    }
    // Other units keep one decimal and their own name; without a ground no unit is named.
    const NamedUnitGround metres("m");
    EXPECT_EQ(mapPointerText(georef, &metres, surface, 15, 1507.5f, 3007.5f),
              "X -104.9 m, Y 40.8 m  Lat 40.799500, Long -104.899500");
    EXPECT_EQ(mapPointerText(georef, nullptr, surface, 15, 1507.5f, 3007.5f), "X -104.9, Y 40.8");
}

}  // namespace
}  // namespace brelvo::measure
