// The mouse wheel over the map: one zoom step of the pan/zoom control per notch about the pointer,
// the control's lock rule; and a line traced across such a zoom in NEXRAD pixels measures the same as
// the same picture points traced without it.
#include <gtest/gtest.h>

#include <string>

#include "mapview/pan_zoom.hpp"
#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "measure/picture_anchoring.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::mapview {
namespace {

struct WheelTest : ::testing::Test {
    WheelTest() {
        g.view = {0, 0, 12000, 9000};
        g.picture = {-3000, -2250, 18000, 13500};
        g.hasPicture = true;
        g.naturalWidth = 18000;
        g.naturalHeight = 13500;
        state.scaleX = 2;
        state.scaleY = 4;
    }
    ViewGeometry g;
    measure::MeasureState state;
    testing_support::RecordingDialogs dialogs;
};

// One turn counts at most kMostWheelNotches notches: a script's 2147483647 (or -2147483648) ends at
// once with the zoom of 100 notches instead of hanging.
TEST_F(WheelTest, AHugeTurnCountsAsAHundredNotches) {
    ViewGeometry hundred = g;
    measure::MeasureState hundredState = state;
    for (int i = 0; i < 100; ++i) (void)wheelZoom(hundred, hundredState, dialogs, 2700, 6100, 1);
    EXPECT_EQ(wheelZoom(g, state, dialogs, 2700, 6100, 2147483647), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.width, hundred.picture.width);
    EXPECT_EQ(state.scaleX, hundredState.scaleX);
    EXPECT_EQ(wheelZoom(g, state, dialogs, 2700, 6100, -2147483647 - 1), PanZoomOutcome::Moved);
    EXPECT_LT(g.picture.width, hundred.picture.width);
}

TEST_F(WheelTest, EachNotchIsOneZoomStepAboutThePointer) {
    const float x = 2700, y = 6100;
    const float u = (x - g.picture.left) / g.picture.width, v = (y - g.picture.top) / g.picture.height;
    EXPECT_EQ(wheelZoom(g, state, dialogs, x, y, 2), PanZoomOutcome::Moved);
    // Two steps of 1.05: 18000 x 1.05 x 1.05 = 19845, 13500 x 1.1025 = 14883.75.
    EXPECT_FLOAT_EQ(g.picture.width, 19845);
    EXPECT_FLOAT_EQ(g.picture.height, 14883.75f);
    EXPECT_TRUE(g.stretch);
    // The picture point under the pointer is still under it.
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(g.picture.top + v * g.picture.height, y);
    EXPECT_FLOAT_EQ(state.scaleX, 2 / 1.1025f);
    EXPECT_FLOAT_EQ(state.scaleY, 4 / 1.1025f);

    EXPECT_EQ(wheelZoom(g, state, dialogs, x, y, -2), PanZoomOutcome::Moved);
    EXPECT_FLOAT_EQ(g.picture.width, 18000);
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(state.scaleX, 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WheelTest, TheLockOfThePanZoomControlApplies) {
    state.viewUnlocked = false;  // an area is being traced in miles
    const RectF before = g.picture;
    EXPECT_EQ(wheelZoom(g, state, dialogs, 100, 100, 1), PanZoomOutcome::Refused);
    EXPECT_EQ(pan(g, state, dialogs, 300, 0), PanZoomOutcome::Refused);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], "No resizing or scrolling after scale has been set");
    EXPECT_EQ(g.picture.width, before.width);
    EXPECT_EQ(g.picture.left, before.left);
    EXPECT_EQ(state.scaleX, 2);

    state.generalPixels = state.pixelUnits = true;  // general pixels: still locked
    EXPECT_EQ(wheelZoom(g, state, dialogs, 100, 100, 1), PanZoomOutcome::Refused);
    state.generalPixels = false;  // NEXRAD pixels: zoom and pan stay allowed
    EXPECT_EQ(wheelZoom(g, state, dialogs, 100, 100, 1), PanZoomOutcome::Moved);
    EXPECT_EQ(pan(g, state, dialogs, 300, -150), PanZoomOutcome::Moved);
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(WheelTest, PanMovesThePictureByTheDrag) {
    EXPECT_EQ(pan(g, state, dialogs, 300, -150), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, -2700);
    EXPECT_EQ(g.picture.top, -2400);
    EXPECT_EQ(g.picture.width, 18000);
    EXPECT_EQ(state.scaleX, 2);
}

// Traces the triangle with corners at picture pixels (100, 100), (300, 100), (300, 200) in NEXRAD
// pixels, with `zoomSteps` wheel notches at (2000, 7000) after the second point.
std::string traceTriangle(int zoomSteps) {
    ViewGeometry g;
    g.view = {0, 0, 12000, 9000};
    g.picture = {-3000, -2250, 18000, 13500};
    g.hasPicture = true;
    measure::MeasureState state;
    measure::FakeSurface surface;
    surface.viewHeightValue = 9000;
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller(state, surface, dialogs);
    measure::PictureAnchoring anchoring;
    auto showPicture = [&] {
        surface.imageLeftValue = g.picture.left;
        surface.imageTopValue = g.picture.top;
        anchoring.follow(state, surface, {g.picture.left, g.picture.top, g.picture.width, g.picture.height});
    };
    showPicture();
    // NEXRAD pixels at 15 view units per pixel, as Ok leaves them.
    state.pixelUnits = true;
    state.scaleX = 1.0f / 15;
    state.lengthUnitText = " (pix)";
    state.areaUnitText = " (pix^2)";
    controller.runCommand("Start Area");
    // A click is image-relative: a picture pixel p lies at p x 15 x (width / natural width).
    auto clickPixel = [&](float px, float py) {
        const float zoom = g.picture.width / 18000;
        controller.mapMouseUp(measure::MouseButton::Left, px * 15 * zoom, py * 15 * zoom);
    };
    clickPixel(100, 100);
    clickPixel(300, 100);
    if (zoomSteps != 0) {
        EXPECT_EQ(wheelZoom(g, state, dialogs, 2000, 7000, zoomSteps), PanZoomOutcome::Moved);
        showPicture();
    }
    clickPixel(300, 200);
    controller.runCommand("End Area/Line");
    EXPECT_TRUE(dialogs.messages.empty());
    return state.areaCentroidText;
}

TEST(NexradAcrossAZoom, MeasuresTheSameAsWithoutIt) {
    // Half of 200 x 100 pixels; perimeter 200 + 100 + 223.6. The centroid by the segment-midpoint rule:
    // My / Ay = (4.5E6 - 2E6) / (30000 - 20000) = 250, Mx / Ax = (1E6 - 2.25E6) / (20000 - 30000) = 125.
    const std::string plain = traceTriangle(0);
    EXPECT_EQ(plain, "Area1= 10000 (pix^2), Perimeter= 524 (pix), Centroid= 250, 125");
    EXPECT_EQ(traceTriangle(3), plain);
    EXPECT_EQ(traceTriangle(-2), plain);
}

}  // namespace
}  // namespace brelvo::mapview
