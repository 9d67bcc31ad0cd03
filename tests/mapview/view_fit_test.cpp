// Zoom to Map and Zoom to Basin: the picture or the basin's lines as large as the view holds them,
// centred, through the zoom of the control and the wheel (the scale divided by the ratio), with the lines
// following the picture.
#include "mapview/view_fit.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "measure/picture_anchoring.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::mapview {
namespace {

using measure::Command;
using measure::PointF;

void expectRect(const RectF& r, float left, float top, float width, float height) {
    EXPECT_NEAR(r.left, left, 0.01);
    EXPECT_NEAR(r.top, top, 0.01);
    EXPECT_NEAR(r.width, width, 0.01);
    EXPECT_NEAR(r.height, height, 0.01);
}

// An 800 x 600 pixel view (15 view units a pixel) showing a 1200 x 900 pixel picture centred on it, the
// map scale 2 across and 4 down per view unit.
struct FitTest : ::testing::Test {
    FitTest() {
        g.view = {0, 0, 12000, 9000};
        g.picture = {-3000, -2250, 18000, 13500};
        g.hasPicture = true;
        g.naturalWidth = 18000;
        g.naturalHeight = 13500;
        doc.state().scaleX = 2;
        doc.state().scaleY = 4;
        surface.viewHeightValue = 9000;
        show();
    }
    // The window after a zoom: the lines follow the picture.
    void show() {
        surface.imageLeftValue = g.picture.left;
        surface.imageTopValue = g.picture.top;
        anchoring.follow(doc, {g.picture.left, g.picture.top, g.picture.width, g.picture.height});
    }
    // A line clicked at view positions, ended unless `open`.
    void trace(Command start, const std::vector<PointF>& view, bool open = false) {
        controller.runCommand(start);
        for (const PointF& p : view)
            controller.mapMouseUp(measure::MouseButton::Left, p.x - g.picture.left, p.y - g.picture.top);
        if (!open) controller.runCommand(Command::EndLine);
        show();
    }

    ViewGeometry g;
    measure::MeasureDocument doc;
    measure::FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller{doc, surface, dialogs};
    measure::PictureAnchoring anchoring;
};

TEST_F(FitTest, ZoomToMapShowsAModelOfOnePixelACellWhole) {
    // A model of 111 x 74 cells at one pixel a cell, 1665 x 1110 view units, centred: 12000 / 1665 =
    // 7.207 across, 9000 / 1110 = 8.108 down; the smaller fills the width, the height is 8000.
    g.picture = {5167.5f, 3945, 1665, 1110};
    g.naturalWidth = 1665;
    g.naturalHeight = 1110;
    EXPECT_EQ(zoomToMap(g, doc.state()), PanZoomOutcome::Moved);
    expectRect(g.picture, 0, 500, 12000, 8000);
    EXPECT_TRUE(g.stretch);
    // The scale is divided by the ratio: a picture's width measures what it did.
    EXPECT_FLOAT_EQ(doc.state().scaleX, 0.2775f);
    EXPECT_FLOAT_EQ(doc.state().scaleY, 0.555f);
    // Fitted already: it stays.
    EXPECT_EQ(zoomToMap(g, doc.state()), PanZoomOutcome::Moved);
    expectRect(g.picture, 0, 500, 12000, 8000);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 0.2775f);
}

TEST_F(FitTest, ZoomToMapFitsATallPictureByItsHeightAndNeedsAPicture) {
    // 6000 x 18000 at the view's corner: half size, 3000 x 9000, centred across.
    g.picture = {0, 0, 6000, 18000};
    EXPECT_EQ(zoomToMap(g, doc.state()), PanZoomOutcome::Moved);
    expectRect(g.picture, 4500, 0, 3000, 9000);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 4);

    g.hasPicture = false;
    const ViewGeometry before = g;
    EXPECT_EQ(zoomToMap(g, doc.state()), PanZoomOutcome::Missed);
    EXPECT_EQ(g.picture, before.picture);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 4);
}

TEST_F(FitTest, FitInViewTakesTheSideThatHasALength) {
    // No height: fitted by its width, 4000 to the view's 12000; a point is only centred.
    EXPECT_EQ(fitInView(g, doc.state(), {3000, 2000, 4000, 0}, 0), PanZoomOutcome::Moved);
    EXPECT_FLOAT_EQ(g.picture.width, 54000);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 2.0f / 3);
    const RectF zoomed = g.picture;
    EXPECT_EQ(fitInView(g, doc.state(), {1000, 1000, 0, 0}, 0), PanZoomOutcome::Moved);
    expectRect(g.picture, zoomed.left + 5000, zoomed.top + 3500, 54000, 40500);
    g.view.width = 0;
    EXPECT_EQ(fitInView(g, doc.state(), {1000, 1000, 10, 10}, 0), PanZoomOutcome::Missed);
}

TEST_F(FitTest, TheBasinIsTheLastAreaWithTheLastStream) {
    EXPECT_FALSE(basinExtent(doc));
    // A stream alone is no basin.
    trace(Command::StartStreamLine, {{6000, 4000}, {6500, 4200}, {7000, 5000}});
    EXPECT_FALSE(basinExtent(doc));
    trace(Command::StartArea, {{3000, 2000}, {6000, 2000}, {6000, 4000}});
    expectRect(*basinExtent(doc), 3000, 2000, 4000, 3000);
    // A later area is the basin, still with the last stream.
    trace(Command::StartArea, {{1000, 1000}, {2000, 1000}, {2000, 1500}});
    expectRect(*basinExtent(doc), 1000, 1000, 6000, 4000);
    // An area being traced is not yet part of it.
    trace(Command::StartArea, {{100, 100}, {11000, 8000}}, true);
    expectRect(*basinExtent(doc), 1000, 1000, 6000, 4000);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FitTest, ADelineatedBoundaryCountsEveryVertex) {
    // A line traced whole is one element of the segment list: its middle vertices widen the basin.
    controller.traceWhole(Command::StartArea,
                          {{4000, 3000}, {9000, 2500}, {6000, 7000}, {3500, 5250}, {4000, 3000}});
    show();
    // Image-relative, so 3000 and 2250 less in the view.
    expectRect(*basinExtent(doc), 500, 250, 5500, 4500);
}

TEST_F(FitTest, ZoomToBasinCentresItWithAMarginAndTheLinesFollow) {
    const ViewGeometry before = g;
    EXPECT_EQ(zoomToBasin(g, doc), PanZoomOutcome::Missed);
    EXPECT_EQ(g.picture, before.picture);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 2);

    trace(Command::StartArea, {{3000, 2000}, {6000, 2000}, {6000, 4000}});
    trace(Command::StartStreamLine, {{6000, 4000}, {7000, 5000}});
    // 4000 x 3000 into 90 % of the view, 10800 x 8100: 2.7 either way, about the centre (5000, 3500),
    // which then moves to the view's centre (6000, 4500).
    EXPECT_EQ(zoomToBasin(g, doc), PanZoomOutcome::Moved);
    // The picture's left: 5000 - 48600 x 8000 / 18000 + 1000; its top: 3500 - 36450 x 5750 / 13500 + 1000.
    expectRect(g.picture, -15600, -11025, 48600, 36450);
    EXPECT_FLOAT_EQ(doc.state().scaleX, 2 / 2.7f);
    EXPECT_FLOAT_EQ(doc.state().scaleY, 4 / 2.7f);
    show();
    // 5 % of the view on each side: 600 across, 450 down.
    expectRect(*basinExtent(doc), 600, 450, 10800, 8100);
}

}  // namespace
}  // namespace brelvo::mapview
