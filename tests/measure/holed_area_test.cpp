// An area traced whole with holes (an imported polygon's inner rings): the listing names each hole's
// vertices, the area is net of the holes, the holes' boundaries are in the perimeter and the centroid is
// of the land between; on a scale and on a planar ground alike, and kept in projects.
//
// The shape, in map units: a square 100 on a side (area 10,000, centroid 50, 50) with a square hole of
// 20 on a side (area 400, centroid 20, 80) and a right triangle of legs 30 (area 450) from (60, 40) to
// (90, 40) and (60, 10). Net area 9,150; perimeter 400 + 80 + 60 + 30 sqrt 2 = 582.426 (1,910.8 ft).
// The centroid is the listing's midpoint rule: each edge's moments from its midpoint, exact for the
// squares' edges, and for the triangle My = 30 x 60^2 / 2 - 30 x 75^2 / 2 = -30,375 (its X taken as
// 67.5) and Mx = 30 x 40^2 / 2 - 30 x 25^2 / 2 = 14,625 (Y 32.5). Net X = (500,000 - 8,000 - 30,375) /
// 9,150 = 50.4508, Y = (500,000 - 32,000 - 14,625) / 9,150 = 49.5492.
#include <gtest/gtest.h>

#include <string>

#include "common/messages.hpp"
#include "common/value_tree.hpp"
#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "measure/ground_measure.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

// Image-relative view units, Y downward; the map's Y is the view's height (100) less the view's Y.
const std::vector<PointF> kOuter{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
const std::vector<std::vector<PointF>> kHoles{{{10, 10}, {30, 10}, {30, 30}, {10, 30}},
                                              {{60, 60}, {90, 60}, {60, 90}}};

std::vector<PointF> scaled(const std::vector<PointF>& points, float by) {
    std::vector<PointF> out;
    for (const PointF& p : points) out.push_back({p.x * by, p.y * by});
    return out;
}

struct Window {
    MeasureDocument doc;
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller{doc, surface, dialogs};
};

TEST(HoledArea, OnAScaleTheHolesComeOutOfAreaAndCentroid) {
    Window w;
    w.surface.viewHeightValue = 100;
    MeasureState& s = w.doc.state();
    s.scaleX = 1;
    s.areaFactor = 1;
    s.lengthUnitText = " (ft)";
    s.areaUnitText = " (ft^2)";
    // The holes run either way round: the second here clockwise on the map, the first the other way.
    w.controller.traceWhole(Command::StartArea, kOuter, kHoles);
    ASSERT_TRUE(w.dialogs.messages.empty()) << w.dialogs.messages.front();
    EXPECT_EQ(s.areaCentroidText, "Area1= 9150 (ft^2), Perimeter= 582 (ft), Centroid= 50.5, 49.5");
    EXPECT_NEAR(s.centroid.x, 50.4508, 1e-4);
    EXPECT_NEAR(s.centroid.y, 49.5492, 1e-4);
    const std::string& text = w.doc.controls().text1.text;
    const std::string listed =
        "100, 0\r\n0, 0\r\n0, 100\r\n"
        "Hole 1 X,Y Coordinates\r\n10, 90\r\n30, 90\r\n30, 70\r\n10, 70\r\n10, 90\r\n"
        "Hole 2 X,Y Coordinates\r\n60, 40\r\n90, 40\r\n60, 10\r\n60, 40\r\n"
        "Xmin 0, Ymin 0, Xmax 100, Ymax 100\r\n";
    EXPECT_NE(text.find(listed), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.find("Centroid=")),
              "Centroid= 50.5, 49.5\r\n" + common::msg::areaNetOfHoles(1, 2) + "\r\n");
    EXPECT_EQ(
        common::msg::areaNetOfHoles(1, 2),
        "Area1 is net of 2 holes: their area is taken out, their boundaries are in the perimeter, and the "
        "centroid is of the land between.");

    // A stream traced next has none of the area's holes, and Clear takes them with the area.
    w.controller.traceWhole(Command::StartStreamLine, {{0, 50}, {50, 50}});
    EXPECT_TRUE(w.doc.controls().line1.at(2).holes.empty());
    EXPECT_EQ(w.doc.controls().line1.at(0).holes, (std::vector<std::vector<PointF>>{kHoles}));
}

TEST(HoledArea, OnTheGroundAndInProjects) {
    // 1 m pixels from E 500000, N 4000000, 15 view units a pixel; listed in feet and square feet.
    PlanarGround ground;
    Window w;
    w.surface.imageLeftValue = 30;
    w.surface.imageTopValue = 45;
    w.surface.viewHeightValue = 1E+6f;
    w.surface.groundValue = &ground;
    w.doc.setGeoreference(Georeference{{500000, 1, 0, 4000000, 0, -1}, "PROJCS[\"UTM 13N\"]", "EPSG:32613"});
    w.controller.scale().useGroundUnits();
    w.controller.scale().showGroundUnits();
    w.controller.scale().chooseOption(2);
    w.controller.scale().ApplyScale();
    std::vector<std::vector<PointF>> holes;
    for (const auto& hole : kHoles) holes.push_back(scaled(hole, 15));
    w.controller.traceWhole(Command::StartArea, scaled(kOuter, 15), holes);
    ASSERT_TRUE(w.dialogs.messages.empty()) << w.dialogs.messages.front();
    const MeasureState& s = w.doc.state();
    // 9,150 m² = 98,489.8 ft²; 582.426 m = 1,910.8 ft.
    EXPECT_EQ(s.areaText, "Area1= 98490 (ft^2), Perimeter= 1911 (ft)");
    EXPECT_NEAR(s.centroid.x, 500050.4508, 0.04);
    EXPECT_NEAR(s.centroid.y, 3999949.5492, 0.25);
    const std::string& text = w.doc.controls().text1.text;
    EXPECT_NE(text.find("500000, 3999900\r\n500000, 4000000\r\nHole 1 X,Y Coordinates\r\n500010, 3999990\r\n"
                        "500030, 3999990\r\n500030, 3999970\r\n500010, 3999970\r\n500010, 3999990\r\n"
                        "Hole 2 X,Y Coordinates\r\n500060, 3999940\r\n500090, 3999940\r\n500060, 3999910\r\n"
                        "500060, 3999940\r\nXmin 500000, Ymin 3999900, Xmax 500100, Ymax 4000000\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(common::msg::areaNetOfHoles(1, 2) + "\r\nCentroid Lat/Long"), std::string::npos)
        << text;

    // The export's basin: the net area in square miles and the holes in WGS 84.
    const GroundBasin basin = groundBasin(w.doc, w.surface, 15);
    ASSERT_EQ(basin.holes.size(), 2u);
    EXPECT_EQ(basin.holes[1].size(), 3u);
    EXPECT_NEAR(*basin.areaMi2, 9150 / kSquareMetresPerSquareMile, 1e-12);
    EXPECT_NEAR(*basin.perimeterMi, (480 + 60 + 30 * std::sqrt(2.0)) / kMetresPerMile, 1e-12);

    // Projects keep the holes; a hole of two points is refused by name.
    const common::ValueTree tree = w.doc.write();
    EXPECT_EQ(MeasureDocument::read(tree).controls.line1, w.doc.controls().line1);
    w.doc.edit(SurfacePart::Lines).line1.at(0).holes.push_back({{1, 2}, {3, 4}});
    std::string refused;
    try {
        MeasureDocument::read(w.doc.write());
    } catch (const common::TreeError& e) {
        refused = e.what();
    }
    EXPECT_EQ(refused,
              "the value \"window.segments[0].holes\" is not a list of holes, each a list of three or more "
              "points (x, y, x, y, ...)");
}

}  // namespace
}  // namespace brelvo::measure
