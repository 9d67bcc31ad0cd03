// Measuring a georeferenced map on the ground: the listing of an area and a stream traced without a
// scale, a rotated georeference, the seven units, the status line, Set Scale taking the georeference's
// place, and the basin handed to the export. The ground is a planar stand-in, so that every figure can
// be checked by hand: lengths and areas in metres are those of the map coordinates.
#include "measure/ground_measure.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "common/messages.hpp"
#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "measure/ground_position.hpp"
#include "measure/measurement.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

// The picture sits at (30, 45) in the view, shown at twice its size: with 15 view units to a screen
// pixel, a picture pixel spans 30 view units, so image-relative 3000 is pixel 100. Pixels are 20 m.
class GroundTest : public ::testing::Test {
  protected:
    GroundTest() {
        surface.imageLeftValue = 30;
        surface.imageTopValue = 45;
        surface.viewHeightValue = 20000;
        surface.pictureZoomValue = 2;
        surface.groundValue = &ground;
        georef(Georeference{{500000, 20, 0, 4400000, 0, -20}, "PROJCS[\"UTM 13N\"]", "EPSG:32613"});
    }

    void georef(const Georeference& g) {
        doc.setGeoreference(g);
        controller.scale().useGroundUnits();
    }
    // Image-relative position of picture pixel (column, row).
    void clickPixel(double column, double row) {
        controller.mapMouseUp(MouseButton::Left, static_cast<float>(column * 30),
                              static_cast<float>(row * 30));
    }
    // Pixels (100,100), (250,100), (100,200): map (502000, 4398000), (505000, 4398000), (502000, 4396000).
    void traceTriangle() {
        controller.runCommand("Start Area");
        clickPixel(100, 100);
        clickPixel(250, 100);
        clickPixel(100, 200);
        controller.runCommand("End Area/Line");
    }
    // Pixels (150,50), (150,140), (160,260): map (503000, 4399000), (503000, 4397200), (503200, 4394800).
    void traceStream() {
        controller.runCommand("Start Stream Line");
        clickPixel(150, 50);
        clickPixel(150, 140);
        clickPixel(160, 260);
        controller.runCommand("End Area/Line");
    }
    // A closed square of 100 pixels' side from pixel (100, 100), as segments of the current area line.
    void squareSegments() {
        state.mode = AreaBoundary;
        state.measureNumber = 1;
        state.lineNumber = 1;
        state.segmentIndex = 3;
        const float corners[5][2] = {{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 100}};
        auto& lines = doc.edit(SurfacePart::Lines).line1;
        for (int i = 0; i < 4; ++i) {
            lines[i] = Segment{30 + corners[i][0] * 30,
                               45 + corners[i][1] * 30,
                               30 + corners[i + 1][0] * 30,
                               45 + corners[i + 1][1] * 30,
                               3,
                               0,
                               true,
                               {},
                               {}};
        }
    }

    PlanarGround ground;
    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller{doc, surface, dialogs};
};

TEST_F(GroundTest, AreaAndStreamAreListedOnTheGroundWithoutAScale) {
    EXPECT_TRUE(measuresOnGround(doc, surface));
    traceTriangle();
    traceStream();
    // Area 3,000,000 m² = 1.1583 mi²; perimeter 3000 + 2000 + 3605.55 m = 5.3472 mi. The centroid by the
    // midpoint rule is (502750, 4397500); its WGS 84 position follows from the stand-in's degrees. The
    // stream's end nearest that centroid is its second point, so 2408.32 m (1.4965 mi) lie below it of
    // 4208.32 m (2.6149 mi).
    EXPECT_EQ(doc.controls().text1.text,
              "Area1 X,Y Coordinates   (m)\r\n"
              "502000, 4398000\r\n505000, 4398000\r\n502000, 4396000\r\n502000, 4398000\r\n"
              "Xmin 502000, Ymin 4396000, Xmax 505000, Ymax 4398000\r\n"
              "Area1= 1.16 (mi^2), Perimeter= 5.35 (mi), Centroid= 502750, 4397500\r\n"
              "Centroid Lat/Long (WGS 84)= 39.975000, -104.972500\r\n"
              "Stream X,Y Coordinates (m)\r\n"
              "503000, 4399000\r\n503000, 4397200\r\n503200, 4394800\r\n"
              "Xmin 503000, Ymin 4394800, Xmax 503200, Ymax 4399000\r\n"
              "Longest Stream Lenth= 2.61 (mi), Length Below Centroid= 1.50 (mi)\r\n");
    EXPECT_EQ(state.areaCentroid, (PointF{502750, 4397500}));
    EXPECT_TRUE(dialogs.messages.empty());
    // The hand-off reads the same texts as after a scale.
    const HandOff h = controller.handOff();
    EXPECT_EQ(h.basinArea, "1.16");
    EXPECT_EQ(h.streamLength, "2.61");
    EXPECT_EQ(h.belowCentroid, "1.50");

    // The basin for the export: the same figures unrounded, the vertices in WGS 84.
    const GroundBasin basin = groundBasin(doc, surface, controller.scale().twipsPerPixelX());
    ASSERT_EQ(basin.boundary.size(), 3u);
    EXPECT_EQ(basin.boundary[1], (LonLat{-104.95, 39.98}));
    ASSERT_EQ(basin.stream.size(), 3u);
    EXPECT_EQ(basin.stream[2], (LonLat{-104.968, 39.948}));
    EXPECT_DOUBLE_EQ(*basin.areaMi2, 3e6 / 2589988.110336);
    EXPECT_DOUBLE_EQ(*basin.perimeterMi, (5000 + std::sqrt(13e6)) / 1609.344);
    EXPECT_DOUBLE_EQ(*basin.streamLengthMi, (1800 + std::sqrt(200 * 200 + 2400 * 2400)) / 1609.344);
    EXPECT_DOUBLE_EQ(*basin.lengthToCentroidMi, std::sqrt(200 * 200 + 2400 * 2400) / 1609.344);
    EXPECT_DOUBLE_EQ(basin.centroid->lon, -104.9725);
    EXPECT_DOUBLE_EQ(basin.centroid->lat, 39.975);

    // A plain picture has no ground basin.
    doc.setGeoreference(std::nullopt);
    EXPECT_TRUE(groundBasin(doc, surface, 15).boundary.empty());
}

TEST_F(GroundTest, APointOffTheGroundEndsThePass) {
    controller.runCommand("Start Area");
    clickPixel(100, 100);
    clickPixel(100, 200);
    clickPixel(6000, 100);  // easting 620000
    controller.runCommand("End Area/Line");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], common::msg::pointOffTheGround("620000, 4398000"));
    // The segment before it is measured (2000 m); no area, no centroid and no latitude line.
    EXPECT_EQ(state.areaText, "Area1= 0.00 (mi^2), Perimeter= 1.24 (mi)");
    EXPECT_EQ(state.centroid, (PointF{}));
    EXPECT_EQ(doc.controls().text1.text.find("Lat/Long"), std::string::npos);
}

TEST_F(GroundTest, ARotatedGeoreferenceMeasuresARotatedSquareAsSquare) {
    // 20 m pixels turned by atan(4/3): a square of 100 pixels is a square of 2000 m on the map, standing
    // on a corner of its extents.
    georef(Georeference{{500000, 12, 16, 4400000, 16, -12}, "PROJCS[\"UTM 13N\"]", "EPSG:32613"});
    squareSegments();
    ComputeMeasurement(doc, surface, dialogs, 15);
    EXPECT_EQ(doc.controls().text1.text,
              "Xmin 502800, Ymin 4399200, Xmax 505600, Ymax 4402000\r\n"
              "Area1= 1.54 (mi^2), Perimeter= 4.97 (mi), Centroid= 504200, 4400600\r\n"
              "Centroid Lat/Long (WGS 84)= 40.006000, -104.958000\r\n");

    // Each of the five map-distance units, chosen in the panel for the units alone: 4,000,000 m² and
    // 8000 m in the pairs of the unit table.
    const char* const expected[] = {
        "Area1= 1.54 (mi^2), Perimeter= 4.97 (mi)",      "Area1= 988 (acres), Perimeter= 4.97 (mi)",
        "Area1= 43055640 (ft^2), Perimeter= 26247 (ft)", "Area1= 988 (acres), Perimeter= 26247 (ft)",
        "Area1= 1.54 (mi^2), Perimeter= 26247 (ft)",
    };
    for (int option = 0; option < 5; ++option) {
        controller.scale().showGroundUnits();
        EXPECT_TRUE(doc.controls().unitsOnly);
        controller.scale().chooseOption(option);
        controller.scale().ApplyScale();
        EXPECT_FALSE(doc.controls().frameScale.visible);
        state.mode = AreaBoundary;
        ComputeMeasurement(doc, surface, dialogs, 15);
        EXPECT_EQ(state.areaText, expected[option]) << option;
    }
    EXPECT_TRUE(dialogs.messages.empty());
    // General Pixels needs clicked points: refused, the panel stays.
    controller.scale().showGroundUnits();
    controller.scale().chooseOption(6);
    controller.scale().ApplyScale();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{common::msg::kGeneralPixelsNeedSetScale});
    EXPECT_TRUE(doc.controls().frameScale.visible);
    // NEXRAD pixels need none: the map is measured in picture pixels, planar.
    controller.scale().chooseOption(5);
    controller.scale().ApplyScale();
    EXPECT_FALSE(measuresOnGround(doc, surface));
    const PointF pixel = ToMapCoords(state, surface, 30 + 3000, 45 + 6000);
    EXPECT_FLOAT_EQ(pixel.x, 100);
    EXPECT_FLOAT_EQ(pixel.y, 200);
}

TEST_F(GroundTest, StatusLineShowsMapCoordinatesAndTheirGroundPosition) {
    // Pixel (100, 100) is at view (3030, 3045).
    EXPECT_EQ(controller.pointerCoordinates(3030, 3045),
              "X 502000.0 m, Y 4398000.0 m  Lat 39.980000, Long -104.980000");
    EXPECT_EQ(controller.pointerCoordinates(3031.5f, 3045),
              "X 502001.0 m, Y 4398000.0 m  Lat 39.980000, Long -104.979990");
    // A system not known: the coordinates alone, and the map is not measured on the ground.
    surface.groundValue = nullptr;
    georef(Georeference{{500000, 20, 0, 4400000, 0, -20}, "", ""});
    EXPECT_EQ(controller.pointerCoordinates(3030, 3045), "X 502000.0, Y 4398000.0");
    EXPECT_FALSE(measuresOnGround(doc, surface));
    // A plain picture: the scale's coordinates as ever (1 per view unit from the view's lower-left
    // corner, under the units in force), and nothing before any units.
    doc.setGeoreference(std::nullopt);
    EXPECT_EQ(controller.pointerCoordinates(3030, 3045), "3030, 16955 (mi)");
    state.lengthUnitText.clear();
    EXPECT_EQ(controller.pointerCoordinates(3030, 3045), "");
}

TEST_F(GroundTest, SetScaleReplacesTheGeoreferenceUntilItIsSetAgain) {
    // The panel for the units alone closes with Esc and leaves a line being traced as it is.
    controller.runCommand("Start Area");
    clickPixel(100, 100);
    controller.scale().showGroundUnits();
    EXPECT_TRUE(doc.controls().frameScale.visible);
    EXPECT_TRUE(controller.escape());
    EXPECT_FALSE(doc.controls().frameScale.visible);
    EXPECT_EQ(state.mode, AreaBoundary);
    EXPECT_EQ(doc.controls().caption, common::msg::kCaptionAreaBoundary);
    controller.runCommand("Undo Current Line");
    controller.runCommand("End Area/Line");
    dialogs.messages.clear();
    // Set Scale closes it and asks for the two points.
    controller.scale().showGroundUnits();
    controller.runCommand("Set Scale");
    EXPECT_FALSE(doc.controls().frameScale.visible);
    EXPECT_FALSE(doc.controls().unitsOnly);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{common::msg::kSetScaleReplacesGeoreference});
    controller.mapMouseUp(MouseButton::Left, 100, 500);
    controller.mapMouseUp(MouseButton::Left, 300, 500);
    controller.scale().chooseOption(2);
    controller.scale().typeDistance("400");
    controller.scale().ApplyScale();
    // Two feet per view unit, planar, from the view's lower-left corner as today.
    EXPECT_TRUE(doc.scaleReplacesGeoreference());
    EXPECT_FALSE(measuresOnGround(doc, surface));
    EXPECT_EQ(controller.pointerCoordinates(0, 19500), "0, 1000 (ft)");
    // A Set Scale on the replaced map warns no more.
    controller.runCommand("Set Scale");
    EXPECT_EQ(dialogs.messages.size(), 1u);
    controller.escape();
    // Loading the map again measures it on the ground.
    georef(*doc.georeference());
    EXPECT_TRUE(measuresOnGround(doc, surface));
    EXPECT_EQ(state.lengthUnitText, " (mi)");
    // The units alone on a plain picture: Set Scale is needed.
    doc.setGeoreference(std::nullopt);
    controller.scale().showGroundUnits();
    EXPECT_EQ(dialogs.messages.back(), common::msg::kUnitsNeedSetScale);
    EXPECT_FALSE(doc.controls().frameScale.visible);
}

TEST_F(GroundTest, PicturePixelsOfTheViewAgreeWithNexradPixels) {
    // NEXRAD pixel scaling counts picture pixels from the picture's top-left: the same pixels.
    state.pixelUnits = true;
    state.scaleX = static_cast<float>(1.0 / surface.pictureZoom()) / 15;
    const MapPoint pixel = pictureOfView(surface, 15, 1230, 945);
    EXPECT_EQ(pixel, (MapPoint{40, 30}));
    const PointF nexrad = ToMapCoords(state, surface, 1230, 945);
    EXPECT_FLOAT_EQ(nexrad.x, 40);
    EXPECT_FLOAT_EQ(nexrad.y, 30);
    EXPECT_EQ(viewOfPicture(surface, 15, MapPoint{40.5, 30.25}), (PointF{1245, 952.5f}));
}

}  // namespace
}  // namespace brelvo::measure

namespace brelvo::measure {
namespace {

// Web Mercator coordinates run past ten million metres west of 105° W and north of 67° N: their point
// lines are longer than the lines of a picture, and Undo still takes off exactly the last one.
TEST_F(GroundTest, UndoTakesOffALongPointLineWhole) {
    georef(Georeference{{-11700000.3, 20, 0, 10100000.7, 0, -20}, "PROJCS[\"Web Mercator\"]", "EPSG:3857"});
    controller.runCommand("Start Area");
    clickPixel(100, 100);
    clickPixel(250, 100);
    const std::string before = doc.controls().text1.text;
    clickPixel(100, 200);
    ASSERT_GT(doc.controls().text1.text.size() - before.size(), 24u);
    controller.runCommand("Undo Current Line");
    EXPECT_EQ(doc.controls().text1.text, before);
}

}  // namespace
}  // namespace brelvo::measure
