// Command list and map clicks: tracing, ending, undoing and clearing lines, the command menu and the
// hand-off.
#include "measure/command_controller.hpp"

#include <gtest/gtest.h>

#include <set>

#include "common/failure.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

// The picture sits at (40, 20) in a view 1000 high; 1 ft per view unit, areas in acres. The clicks below
// are image-relative, so the area's view corners are (100,100)-(300,300), map corners (100..300, 700..900).
class ControllerTest : public ::testing::Test {
  protected:
    ControllerTest() {
        surface.imageLeftValue = 40;
        surface.imageTopValue = 20;
        surface.viewHeightValue = 1000;
        doc.edit(SurfacePart::Shape1).shape1.width = 120;
        doc.edit(SurfacePart::Shape1).shape1.height = 90;
        doc.menu(SurfacePart::Menu1).height = 300;
        state.lengthUnitText = " (ft)";
        state.areaUnitText = " (acres)";
        state.areaFactor = 0.000022957f;
    }

    void click(float x, float y) { controller.mapMouseUp(MouseButton::Left, x, y); }

    void traceSquare() {
        controller.runCommand("Start Area");
        click(60, 80);
        click(260, 80);
        click(260, 280);
        click(60, 280);
        controller.runCommand("End Area/Line");
    }

    // View points (200,150), (200,250), (500,650): map (200,850), (200,750), (500,350).
    void traceStream() {
        controller.runCommand("Start Stream Line");
        click(160, 130);
        click(160, 230);
        click(460, 630);
        controller.runCommand("End Area/Line");
    }

    std::set<int> segmentIndices() const {
        std::set<int> indices;
        for (const auto& [index, seg] : doc.controls().line1) indices.insert(index);
        return indices;
    }

    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller{doc, surface, dialogs};
};

const std::string kAreaListing =
    "Area1 X,Y Coordinates   (ft)\r\n"
    "100, 900\r\n300, 900\r\n300, 700\r\n100, 700\r\n100, 900\r\n"
    "Xmin 100, Ymin 700, Xmax 300, Ymax 900\r\n"
    "Area1= 0.918 (acres), Perimeter= 800 (ft), Centroid= 200, 800\r\n";

TEST_F(ControllerTest, TracesAnAreaThenItsStream) {
    controller.runCommand("Start Area");
    EXPECT_EQ(doc.controls().caption, "Left click area boundary...");
    EXPECT_EQ(state.mode, AreaBoundary);
    EXPECT_TRUE(state.viewUnlocked);  // the view is never locked
    EXPECT_EQ(doc.controls().pointer, Pointer::Cross);
    click(60, 80);
    EXPECT_TRUE(doc.controls().shape1.visible);
    EXPECT_EQ(doc.controls().shape1.left, 40);  // centred on view (100,100)
    EXPECT_EQ(doc.controls().shape1.top, 55);
    click(260, 80);
    click(260, 280);
    click(60, 280);
    controller.runCommand("End Area/Line");

    EXPECT_EQ(doc.controls().text1.text, kAreaListing);
    EXPECT_EQ(doc.controls().caption,
              "Right click coordinate text box to save... or select 'Add Label' from menu");
    EXPECT_FALSE(doc.controls().shape1.visible);
    EXPECT_EQ(doc.controls().pointer, Pointer::Default);
    EXPECT_EQ(state.mode, Idle);
    EXPECT_EQ(state.lastFinishedMode, AreaBoundary);
    EXPECT_EQ(state.measureNumber, 1);
    EXPECT_EQ(state.lineNumber, 1);
    EXPECT_EQ(state.segmentIndex, 3);
    EXPECT_EQ(state.areaCentroid, (PointF{200, 800}));
    EXPECT_EQ(doc.controls().label1.at(0).caption, "Area1= 0.918 (acres), Perimeter= 800 (ft)");
    const Segment& firstSide = doc.controls().line1.at(0);
    EXPECT_EQ((PointF{firstSide.x1, firstSide.y1}), (PointF{100, 100}));
    EXPECT_EQ((PointF{firstSide.x2, firstSide.y2}), (PointF{300, 100}));
    EXPECT_EQ(firstSide.width, 3);
    EXPECT_EQ(firstSide.color, 0x000000u);
    const Segment& closing = doc.controls().line1.at(3);
    EXPECT_EQ((PointF{closing.x1, closing.y1}), (PointF{100, 300}));
    EXPECT_EQ((PointF{closing.x2, closing.y2}), (PointF{100, 100}));
    EXPECT_TRUE(closing.visible);

    // Stream: the nearest end point to the centroid (200,800) is (200,750), 100 along a 600 ft stream.
    traceStream();
    EXPECT_EQ(doc.controls().text1.text,
              kAreaListing +
                  "Stream X,Y Coordinates (ft)\r\n"
                  "200, 850\r\n200, 750\r\n500, 350\r\n"
                  "Xmin 200, Ymin 350, Xmax 500, Ymax 850\r\n"
                  "Longest Stream Lenth= 600 (ft), Length Below Centroid= 500 (ft)\r\n");
    EXPECT_EQ(state.lineStart[2], 4);
    EXPECT_EQ(state.segmentIndex, 5);
    EXPECT_EQ(segmentIndices(), (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(doc.controls().line1.at(4).width, 2);
    EXPECT_EQ(doc.controls().line1.at(4).color, 0x0000FFu);
    EXPECT_EQ(state.areaCentroid, (PointF{200, 800}));
    EXPECT_EQ(state.lastFinishedMode, StreamLine);
    EXPECT_EQ(doc.controls().label1.at(0).caption,
              "Area1= 0.918 (acres), Perimeter= 800 (ft)\r\n"
              "Longest Stream Lenth= 600 (ft)\r\n"
              "Length Below Centroid= 500 (ft)");

    const HandOff h = controller.handOff();
    EXPECT_EQ(h.frameCaption, "HydrographArea1");
    EXPECT_EQ(h.basinArea, "0.918");
    EXPECT_EQ(h.basinAreaLabel, "Basin Area (acres)");
    EXPECT_EQ(h.streamLength, "600");
    EXPECT_EQ(h.streamLengthLabel, "Stream Length (ft)");
    EXPECT_EQ(h.belowCentroid, "500");
    EXPECT_EQ(h.belowCentroidLabel, "Below Centroid (ft)");
}

TEST_F(ControllerTest, StartsOnlyFromIdleAndNumbersEachArea) {
    controller.runCommand("Start Area");
    controller.runCommand("Start Stream Line");
    EXPECT_EQ(state.mode, AreaBoundary);
    EXPECT_EQ(state.lineNumber, 1);
    controller.runCommand("End Area/Line");  // no point traced: nothing to divide, nothing to report
    EXPECT_TRUE(dialogs.messages.empty());

    // A second area gets a new hidden label and its own listing heading.
    traceSquare();
    EXPECT_EQ(state.measureNumber, 2);
    EXPECT_EQ(doc.controls().label1.size(), 2u);
    EXPECT_EQ(doc.controls().text1.text.substr(0, 30), "Area2 X,Y Coordinates   (ft)\r\n");
    EXPECT_EQ(doc.controls().label1[1].caption, "Area2= 0.918 (acres), Perimeter= 800 (ft)");
}

TEST_F(ControllerTest, UndoWalksBackOneSegmentAndOneListingLine) {
    const std::string heading = "Area1 X,Y Coordinates   (ft)\r\n";
    controller.runCommand("Start Area");
    click(60, 80);
    click(260, 80);
    click(260, 280);
    controller.runCommand("Undo Current Line");
    EXPECT_EQ(doc.controls().text1.text, heading + "100, 900\r\n300, 900\r\n");
    EXPECT_EQ(state.segmentIndex, 1);
    EXPECT_EQ(state.lastPoint, (PointF{260, 80}));
    EXPECT_EQ(segmentIndices(), (std::set<int>{0}));

    controller.runCommand("Undo Current Line");
    EXPECT_EQ(doc.controls().text1.text, heading + "100, 900\r\n");
    EXPECT_EQ(state.segmentIndex, 0);
    EXPECT_EQ(state.lastPoint, (PointF{60, 80}));
    EXPECT_FALSE(doc.controls().line1.at(0).visible);

    // No segment left: the first point is forgotten, its listing line stays.
    controller.runCommand("Undo Current Line");
    EXPECT_EQ(doc.controls().text1.text, heading + "100, 900\r\n");
    EXPECT_FALSE(doc.controls().shape1.visible);
    EXPECT_TRUE(state.lastPoint.isOrigin());
    click(160, 180);
    EXPECT_EQ(doc.controls().text1.text, heading + "200, 800\r\n");

    // A last line too long to hold a line feed in the searched range loses its last 24 characters.
    doc.edit(SurfacePart::Text1).text1.text = heading + "12345678901234567890123456\r\n";
    state.segmentIndex = 1;
    controller.runCommand("Undo Current Line");
    EXPECT_EQ(doc.controls().text1.text, heading + "1234");
}

TEST_F(ControllerTest, UndoInScalePointsForgetsTheMarkers) {
    controller.runCommand("Set Scale");
    EXPECT_EQ(state.mode, ScalePoints);
    click(100, 50);
    click(500, 50);
    EXPECT_EQ(doc.controls().caption, "Left Click 2nd Point on Scale");
    controller.runCommand("Undo Current Line");
    EXPECT_FALSE(doc.controls().shape1.visible);
    EXPECT_FALSE(doc.controls().shape2.visible);
    EXPECT_TRUE(state.lastPoint.isOrigin());
}

TEST_F(ControllerTest, ClearingRemovesLinesAndCountsBack) {
    traceSquare();
    traceStream();
    controller.runCommand("Add Label");
    ASSERT_TRUE(doc.controls().label1[0].visible);
    state.centroid = {1, 1};

    controller.runCommand("Clear Area/Line");  // the stream
    EXPECT_EQ(doc.controls().caption, "Mouse Right Click for menu...");
    EXPECT_EQ(segmentIndices(), (std::set<int>{0, 1, 2, 3}));
    EXPECT_EQ(state.segmentIndex, 3);
    EXPECT_EQ(state.lineNumber, 1);
    EXPECT_EQ(state.centroid, (PointF{200, 800}));
    EXPECT_EQ(state.measureNumber, 1);
    EXPECT_EQ(state.lastFinishedMode, 1);
    EXPECT_FALSE(doc.controls().label1[0].visible);

    controller.runCommand("Clear Area/Line");  // the area
    EXPECT_EQ(segmentIndices(), (std::set<int>{0}));
    EXPECT_FALSE(doc.controls().line1.at(0).visible);
    EXPECT_EQ(state.segmentIndex, 0);
    EXPECT_EQ(state.lineNumber, 0);
    EXPECT_EQ(state.measureNumber, 0);
    EXPECT_EQ(state.lastFinishedMode, 2);

    // Nothing left to clear: further clears change nothing (the caption only).
    const MeasureState cleared = state;
    const SurfaceControls controls = doc.controls();
    doc.edit(SurfacePart::Caption).caption.clear();
    controller.runCommand("Clear Area/Line");
    controller.runCommand("Clear Area/Line");
    EXPECT_EQ(doc.controls().caption, "Mouse Right Click for menu...");
    doc.edit(SurfacePart::Caption).caption = controls.caption;
    EXPECT_EQ(state, cleared);
    EXPECT_EQ(doc.controls(), controls);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ControllerTest, RemoveAllLeavesOnlyTheHiddenFirstSegment) {
    traceSquare();
    traceStream();
    controller.RemoveAllMeasurements();
    EXPECT_EQ(segmentIndices(), (std::set<int>{0}));
    EXPECT_FALSE(doc.controls().line1.at(0).visible);
    EXPECT_EQ(state.segmentIndex, 0);
    EXPECT_EQ(state.lineNumber, 0);
    EXPECT_EQ(state.measureNumber, 0);
    EXPECT_FALSE(state.removeAll);
    EXPECT_EQ(surface.relayoutCalls, 1);
}

TEST_F(ControllerTest, CommandMenuOpensAtTheClickButStaysInTheView) {
    doc.menu(SurfacePart::Menu2).visible = true;
    controller.mapMouseUp(MouseButton::Right, 50, 400.4f);
    EXPECT_EQ(doc.menus().lstMenu1.left, 90);
    EXPECT_EQ(doc.menus().lstMenu1.top, 420);
    EXPECT_TRUE(doc.menus().lstMenu1.visible);
    EXPECT_FALSE(doc.menus().lstMenu2.visible);
    EXPECT_EQ(state.grabPoint, (PointF{50, 400.4f}));

    surface.viewHeightValue = 1000.6f;  // 700.6 rounds to 701
    controller.mapMouseUp(MouseButton::Right, 10, 900);
    EXPECT_EQ(doc.menus().lstMenu1.left, 50);
    EXPECT_EQ(doc.menus().lstMenu1.top, 701);
}

TEST_F(ControllerTest, WindowCommandsAndResultCutting) {
    controller.runCommand("Runoff Hydrogaph");
    controller.runCommand("Help");
    EXPECT_EQ(surface.runoffWindowCalls, 1);
    EXPECT_EQ(surface.helpCalls, 1);

    // Set Scale keeps the scale in force (a fine one too) until Ok applies a new one.
    state.scaleX = state.scaleY = 0.25f;
    controller.runCommand("Set Scale");
    EXPECT_EQ(state.scaleX, 0.25f);
    EXPECT_EQ(state.scaleY, 0.25f);
    EXPECT_EQ(state.mode, ScalePoints);
    EXPECT_EQ(doc.controls().caption, "Left Click 1st Point on Scale");

    EXPECT_EQ(MeasureController::cutResultValue("Area2= 23.0 (acres), Perimeter= 4000 (ft)"), "23.0");
    EXPECT_EQ(MeasureController::cutResultValue("Length Below Centroid= 0.500 (mi)"), "0.500");
    try {
        (void)MeasureController::cutResultValue("Longest Stream Lenth= 600");
        ADD_FAILURE() << "a value without a following blank must fail";
    } catch (const common::RuntimeFailure& f) {
        EXPECT_EQ(f.number(), 5);
    }
}

}  // namespace
}  // namespace brelvo::measure

namespace brelvo::measure {
namespace {

// The list's texts are decoded once: each names its command and back, in the list's order; a text
// that is no command (another spelling of one included) names none.
TEST(CommandTable, EachTextOfTheListNamesItsCommand) {
    const auto& items = MeasureController::commandItems();
    ASSERT_EQ(items.size(), 11u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto command = commandOf(items[i]);
        ASSERT_TRUE(command.has_value()) << items[i];
        EXPECT_EQ(static_cast<std::size_t>(*command), i);
        EXPECT_EQ(commandText(*command), items[i]);
    }
    EXPECT_EQ(commandOf("Runoff Hydrogaph"), Command::RunoffHydrograph);
    EXPECT_EQ(commandOf("Runoff Hydrograph"), std::nullopt);
    EXPECT_EQ(commandOf("undo current line"), std::nullopt);
}

}  // namespace
}  // namespace brelvo::measure
