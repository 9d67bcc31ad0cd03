// Lines, markers and labels held by their picture points: they move with every zoom, scroll and layout
// of the picture, and stay exactly where they were clicked while the picture does not move.
#include "measure/picture_anchoring.hpp"

#include <gtest/gtest.h>

#include <string>

#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

class AnchoringTest : public ::testing::Test {
  protected:
    AnchoringTest() {
        surface.viewHeightValue = 9000;
        Box& marker = doc.edit(SurfacePart::Shape1).shape1;
        marker.width = marker.height = 135;
        show({-3000, -2250, 18000, 13500});
    }

    // The window shows the picture at `frame` and tells the anchoring.
    void show(const PictureFrame& frame) {
        surface.imageLeftValue = frame.left;
        surface.imageTopValue = frame.top;
        shown = frame;
        anchoring.follow(doc, frame);
    }

    static float fractionX(float x, const PictureFrame& f) { return (x - f.left) / f.width; }
    static float fractionY(float y, const PictureFrame& f) { return (y - f.top) / f.height; }

    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller{doc, surface, dialogs};
    PictureAnchoring anchoring;
    PictureFrame shown;
};

TEST_F(AnchoringTest, SegmentsMarkersAndLabelsKeepTheirPictureFractions) {
    controller.runCommand("Start Area");
    controller.mapMouseUp(MouseButton::Left, 4500, 3750);  // view (1500, 1500)
    controller.mapMouseUp(MouseButton::Left, 7500, 3750);
    doc.edit(SurfacePart::Labels).label1[0].left = 6000;
    doc.edit(SurfacePart::Labels).label1[0].top = 3000;
    doc.edit(SurfacePart::Labels).label1[0].visible = true;
    const Segment before = doc.controls().line1.at(0);
    const PictureFrame was = shown;
    const Box markerBefore = doc.controls().shape1;

    // A zoom by 1.05 about the view's centre, a scroll step up and a relayout to another rectangle.
    for (const PictureFrame& now :
         {PictureFrame{-3450, -2587.5f, 18900, 14175}, PictureFrame{-3450, -2137.5f, 18900, 14175},
          PictureFrame{-1000, 500, 9000, 6750}}) {
        show(now);
        const Segment& seg = doc.controls().line1.at(0);
        EXPECT_FLOAT_EQ(fractionX(seg.x1, now), fractionX(before.x1, was));
        EXPECT_FLOAT_EQ(fractionY(seg.y1, now), fractionY(before.y1, was));
        EXPECT_FLOAT_EQ(fractionX(seg.x2, now), fractionX(before.x2, was));
        EXPECT_FLOAT_EQ(fractionY(seg.y2, now), fractionY(before.y2, was));
        EXPECT_FLOAT_EQ(fractionX(doc.controls().label1[0].left, now), fractionX(6000, was));
        EXPECT_FLOAT_EQ(fractionY(doc.controls().label1[0].top, now), fractionY(3000, was));
        // The marker keeps its size and stays centred on the line's first point, the segment's start.
        EXPECT_FLOAT_EQ(doc.controls().shape1.left + doc.controls().shape1.width / 2, seg.x1);
        EXPECT_FLOAT_EQ(doc.controls().shape1.top + doc.controls().shape1.height / 2, seg.y1);
        EXPECT_EQ(doc.controls().shape1.width, markerBefore.width);
        // The previous point of the line, image-relative, is the segment's end on the picture as shown.
        EXPECT_FLOAT_EQ(state.lastPoint.x, seg.x2 - now.left);
        EXPECT_FLOAT_EQ(state.lastPoint.y, seg.y2 - now.top);
    }

    // Back to the first rectangle: every position is exactly where it was clicked.
    show(was);
    EXPECT_EQ(doc.controls().line1.at(0).x1, 1500);
    EXPECT_EQ(doc.controls().line1.at(0).y1, 1500);
    EXPECT_EQ(doc.controls().line1.at(0).x2, 4500);
    EXPECT_EQ(doc.controls().shape1.left, markerBefore.left);
    EXPECT_EQ(state.lastPoint, (PointF{7500, 3750}));
}

TEST_F(AnchoringTest, APictureThatDoesNotMoveChangesNothing) {
    // The same session twice, once with the window telling the anchoring after every step.
    auto session = [this](bool follow) {
        MeasureDocument sd;
        const MeasureState& s = sd.state();
        FakeSurface f;
        f.viewHeightValue = 9000;
        f.imageLeftValue = -3000;
        f.imageTopValue = -2250;
        testing_support::RecordingDialogs d;
        MeasureController c(sd, f, d);
        PictureAnchoring a;
        auto step = [&] {
            if (follow) a.follow(sd, {-3000, -2250, 18000, 13500});
        };
        step();
        c.runCommand("Start Area");
        const PointF clicks[] = {{4511.7f, 3761.3f}, {7522.9f, 3790.1f}, {7533.3f, 6377.7f}};
        for (const PointF& p : clicks) {
            c.mapMouseUp(MouseButton::Left, p.x, p.y);
            step();
        }
        c.runCommand("Undo Current Line");
        step();
        c.mapMouseUp(MouseButton::Left, 6001.1f, 6999.9f);
        step();
        c.runCommand("End Area/Line");
        step();
        std::string lines;
        for (const auto& [i, seg] : sd.controls().line1) {
            lines += std::to_string(seg.x1) + " " + std::to_string(seg.y1) + " " + std::to_string(seg.x2) +
                     " " + std::to_string(seg.y2) + "\n";
        }
        return sd.controls().text1.text + lines + s.areaCentroidText;
    };
    const std::string without = session(false);
    EXPECT_EQ(session(true), without);
    EXPECT_NE(without.find("Area1="), std::string::npos);
}

TEST_F(AnchoringTest, HiddenElementsStayWhereTheyWereLeft) {
    doc.edit(SurfacePart::Labels).label1[0].left = 100;
    doc.edit(SurfacePart::Labels).label1[0].top = 200;
    doc.edit(SurfacePart::Labels).label1[0].visible = false;
    show({-3450, -2587.5f, 18900, 14175});
    EXPECT_EQ(doc.controls().label1[0].left, 100);
    EXPECT_EQ(doc.controls().label1[0].top, 200);
    EXPECT_EQ(doc.controls().line1.at(0).x1, 0);
}

}  // namespace
}  // namespace brelvo::measure
