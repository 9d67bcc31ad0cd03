// The pan/zoom control's click: each region's action at any time, and the zoom ratios.
#include "mapview/pan_zoom.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_dialogs.hpp"

namespace brelvo::mapview {
namespace {

// A view of 800 x 600 showing a picture of the same size, the control 90 x 60 in its corner.
struct PanZoomTest : ::testing::Test {
    PanZoomTest() {
        g.view = {0, 0, 800, 600};
        g.picture = {0, 0, 800, 600};
        g.hasPicture = true;
        g.naturalWidth = 800;
        g.naturalHeight = 600;
        g.panZoom = {710, 540, 90, 60};
        g.scrollZoomFactor = 0.25f;
        state.scaleX = 2;
        state.scaleY = 4;
    }
    PanZoomOutcome click(PanZoomRegion region) { return panZoomRegionClick(g, state, region); }

    ViewGeometry g;
    measure::MeasureState state;
    testing_support::RecordingDialogs dialogs;
};

TEST(ZoomRatios, InIsOnePlusTheFactorOutIsItsInverse) {
    EXPECT_EQ(zoomInRatio(0.25f), 1.25);
    EXPECT_EQ(zoomOutRatio(0.25f), 0.8);
    // The factor is a single: its double value is added, not the decimal 0.05.
    EXPECT_EQ(zoomInRatio(0.05f), 1.0 + static_cast<double>(0.05f));
    EXPECT_NE(zoomInRatio(0.05f), 1.05);
    EXPECT_EQ(zoomOutRatio(0.05f), 1.0 / (1.0 + static_cast<double>(0.05f)));
}

TEST_F(PanZoomTest, ScrollRegionsStepByTheFactorOfTheView) {
    EXPECT_EQ(click(PanZoomRegion::Up), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.top, 150);
    EXPECT_EQ(click(PanZoomRegion::Left), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, 200);
    EXPECT_EQ(click(PanZoomRegion::Down), PanZoomOutcome::Moved);
    EXPECT_EQ(click(PanZoomRegion::Down), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.top, -150);
    EXPECT_EQ(click(PanZoomRegion::Right), PanZoomOutcome::Moved);
    EXPECT_EQ(click(PanZoomRegion::Right), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, -200);
    EXPECT_EQ(click(PanZoomRegion::Centre), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, 0);
    EXPECT_EQ(g.picture.top, 0);
    EXPECT_EQ(state.scaleX, 2);  // scrolling leaves the map scale alone
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PanZoomTest, ZoomInAndOutAboutTheViewCentreRescaleTheMap) {
    EXPECT_EQ(click(PanZoomRegion::ZoomIn), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, -100);
    EXPECT_EQ(g.picture.top, -75);
    EXPECT_EQ(g.picture.width, 1000);
    EXPECT_EQ(g.picture.height, 750);
    EXPECT_EQ(state.scaleX, 1.6f);
    EXPECT_EQ(state.scaleY, 3.2f);

    EXPECT_EQ(click(PanZoomRegion::ZoomOut), PanZoomOutcome::Moved);
    EXPECT_EQ(click(PanZoomRegion::ZoomOut), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, 80);
    EXPECT_EQ(g.picture.top, 60);
    EXPECT_EQ(g.picture.width, 640);
    EXPECT_EQ(g.picture.height, 480);
    EXPECT_EQ(state.scaleX, 2.5f);
    EXPECT_EQ(state.scaleY, 5.0f);
}

TEST_F(PanZoomTest, NoScaleOrTracingLocksTheControl) {
    // A line traced after a scale in miles (the lock flag of an older project still set), then in
    // general pixels: the control zooms and scrolls as in an idle view.
    state.viewUnlocked = false;
    state.mode = measure::AreaBoundary;
    EXPECT_EQ(click(PanZoomRegion::ZoomIn), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.width, 1000);
    EXPECT_EQ(state.scaleX, 1.6f);
    state.pixelUnits = state.generalPixels = true;
    EXPECT_EQ(click(PanZoomRegion::Up), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.top, -75 + 150);
}

TEST_F(PanZoomTest, ClickOnABorderOrCornerDoesNothing) {
    // (0, 0) is the uncovered top-left corner; 0.22 of the width is the border left of Up.
    EXPECT_EQ(panZoomClick(g, state, 0, 0), PanZoomOutcome::Missed);
    EXPECT_EQ(panZoomClick(g, state, static_cast<float>(0.22 * 90), 5), PanZoomOutcome::Missed);
    EXPECT_EQ(g.picture.left, 0);
    EXPECT_EQ(g.picture.top, 0);
    EXPECT_EQ(g.picture.width, 800);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace brelvo::mapview
