// Measurement pass: map coordinates in each unit mode, number patterns, and the result texts of areas and
// streams.
#include "measure/measurement.hpp"

#include <gtest/gtest.h>

#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

class MeasurementTest : public ::testing::Test {
  protected:
    void segment(int index, float x1, float y1, float x2, float y2) {
        doc.edit(SurfacePart::Lines).line1[index] = Segment{x1, y1, x2, y2, 3, 0x000000, true, {}, {}};
    }

    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
};

TEST_F(MeasurementTest, MapCoordinatesInEachUnitMode) {
    surface.imageLeftValue = 40;
    surface.imageTopValue = 30;
    surface.viewHeightValue = 2000;
    state.scaleX = 2.5f;
    state.scaleY = 7.0f;

    // Map distance: origin at the view's lower-left, Y upward, the X scale on both axes.
    EXPECT_EQ(ToMapCoords(state, surface, 140, 530), (PointF{350, 3675}));

    // NEXRAD pixels: origin at the picture's top-left, Y downward.
    state.pixelUnits = true;
    EXPECT_EQ(ToMapCoords(state, surface, 140, 530), (PointF{250, 1250}));

    // General pixels: relative to the reference pixel, each axis with its own scale.
    state.generalPixels = true;
    state.scaleX = 0.5f;
    state.scaleY = 0.25f;
    state.refPixel = {20, 100};
    state.refCoord = {1000, -50};
    EXPECT_EQ(ToMapCoords(state, surface, 140, 530), (PointF{1040, 50}));
}

TEST_F(MeasurementTest, NumberPatternFollowsTheDecade) {
    EXPECT_EQ(ChooseNumberFormat(0), "0.00");
    EXPECT_EQ(ChooseNumberFormat(-3), "0.00");
    EXPECT_EQ(ChooseNumberFormat(0.05f), "0.0000");
    EXPECT_EQ(ChooseNumberFormat(0.5f), "0.000");
    EXPECT_EQ(ChooseNumberFormat(1), "0.00");
    EXPECT_EQ(ChooseNumberFormat(9.99f), "0.00");
    // Exact powers of ten fall into the band below.
    EXPECT_EQ(ChooseNumberFormat(10), "0.00");
    EXPECT_EQ(ChooseNumberFormat(10.01f), "#0.0");
    EXPECT_EQ(ChooseNumberFormat(100), "#0.0");
    EXPECT_EQ(ChooseNumberFormat(100.5f), "#0");
    EXPECT_EQ(ChooseNumberFormat(5000), "#00");

    EXPECT_EQ(formatMeasure(0.5f), "0.500");
    EXPECT_EQ(formatMeasure(9.99f), "9.99");
    EXPECT_EQ(formatMeasure(10.01f), "10.0");
    EXPECT_EQ(formatMeasure(100), "100.0");
    EXPECT_EQ(formatMeasure(5000), "5000");
    EXPECT_EQ(formatMeasure(2.2957e-5f), "0.0000230");
}

TEST_F(MeasurementTest, AreaPassCoversOnlyTheCurrentLine) {
    // An earlier line at indices 0..3 lies far away; line 2 is a 1 ft square at indices 4..7.
    surface.viewHeightValue = 100;
    segment(0, 500, 500, 900, 500);
    segment(1, 900, 500, 900, 900);
    segment(2, 900, 900, 500, 500);
    segment(3, 500, 500, 500, 500);
    segment(4, 10, 10, 11, 10);
    segment(5, 11, 10, 11, 11);
    segment(6, 11, 11, 10, 11);
    segment(7, 10, 11, 10, 10);
    state.mode = AreaBoundary;
    state.lineNumber = 2;
    state.lineStart[2] = 4;
    state.segmentIndex = 7;
    state.measureNumber = 3;
    state.areaFactor = 0.000022957f;  // Feet / Acres
    state.lengthUnitText = " (ft)";
    state.areaUnitText = " (acres)";
    doc.edit(SurfacePart::Text1).text1.text = "Area3 X,Y Coordinates   (ft)\r\n";

    ComputeMeasurement(doc, surface, dialogs, 15);

    EXPECT_EQ(state.areaText, "Area3= 0.0000230 (acres), Perimeter= 4.00 (ft)");
    EXPECT_EQ(state.areaCentroidText, "Area3= 0.0000230 (acres), Perimeter= 4.00 (ft), Centroid= 10.5, 89.5");
    EXPECT_EQ(doc.controls().text1.text,
              "Area3 X,Y Coordinates   (ft)\r\n"
              "Xmin 10, Ymin 89, Xmax 11, Ymax 90\r\n"
              "Area3= 0.0000230 (acres), Perimeter= 4.00 (ft), Centroid= 10.5, 89.5\r\n");
    EXPECT_EQ(state.centroid, (PointF{10.5f, 89.5f}));
    EXPECT_EQ(state.areaCentroid, (PointF{10.5f, 89.5f}));
    EXPECT_TRUE(doc.controls().text1.visible);
    EXPECT_EQ(doc.controls().text1.caret, static_cast<int>(doc.controls().text1.text.size()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MeasurementTest, LengthBelowCentroidFromTheFirstNearestEndPoint) {
    // Map points P0 (15,30), P1 (39,62), P2 (30,50), P3 (30,10), segments 40, 15 and 40 long; the area
    // centroid is (30,30). P0 is nearest but starts the line; P2 and P3 tie and the first counts: 95 - 55.
    surface.viewHeightValue = 100;
    segment(0, 15, 70, 39, 38);
    segment(1, 39, 38, 30, 50);
    segment(2, 30, 50, 30, 90);
    state.mode = StreamLine;
    state.lineNumber = 1;
    state.segmentIndex = 2;
    state.areaCentroid = {30, 30};
    state.lengthUnitText = " (mi)";

    ComputeMeasurement(doc, surface, dialogs, 15);

    EXPECT_EQ(state.streamLengthText, "Longest Stream Lenth= 95.0 (mi)");
    EXPECT_EQ(state.belowCentroidText, "Length Below Centroid= 40.0 (mi)");
    EXPECT_EQ(doc.controls().text1.text,
              "Xmin 15, Ymin 10, Xmax 39, Ymax 62\r\n"
              "Longest Stream Lenth= 95.0 (mi), Length Below Centroid= 40.0 (mi)\r\n");
    EXPECT_EQ(state.areaCentroid, (PointF{30, 30}));  // a stream never moves the area's centroid
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MeasurementTest, EmptyAndFlatLines) {
    // A stream ended before its first segment: nothing to measure, extents stay at their start values.
    state.mode = StreamLine;
    state.lineNumber = 1;
    state.segmentIndex = -1;
    state.lengthUnitText = " (mi)";
    ComputeMeasurement(doc, surface, dialogs, 15);
    EXPECT_EQ(doc.controls().text1.text,
              "Xmin 1E+38, Ymin 1E+38, Xmax -1E+38, Ymax -1E+38\r\n"
              "Longest Stream Lenth= 0.00 (mi), Length Below Centroid= 0.00 (mi)\r\n");
    EXPECT_TRUE(dialogs.messages.empty());

    // A boundary along one row has no area and no centroid: said once, with why and what to do, and the
    // previous centroid is kept.
    doc.edit(SurfacePart::Text1).text1.text.clear();
    surface.viewHeightValue = 1000;
    segment(0, 100, 500, 200, 500);
    segment(1, 200, 500, 300, 500);
    segment(2, 300, 500, 100, 500);
    state.mode = AreaBoundary;
    state.segmentIndex = 2;
    state.measureNumber = 1;
    state.centroid = state.areaCentroid = {7, 8};
    state.lengthUnitText = " (ft)";
    state.areaUnitText = " (acres)";
    ComputeMeasurement(doc, surface, dialogs, 15);
    EXPECT_EQ(doc.controls().text1.text,
              "Xmin 100, Ymin 500, Xmax 300, Ymax 500\r\n"
              "Area1= 0.00 (acres), Perimeter= 400 (ft), Centroid= 7.00, 8.00\r\n");
    EXPECT_EQ(
        dialogs.messages,
        (std::vector<std::string>{
            "Overflow\nThe line encloses no area, so it has no centroid: trace around the basin with at "
            "least three points that are not in one line, then choose \"End Area/Line\"."}));
    EXPECT_EQ(state.areaCentroid, (PointF{7, 8}));
}

}  // namespace
}  // namespace brelvo::measure
