// The mouse wheel over the map: a notch zooms by a fifth, with Ctrl by one zoom step of the pan/zoom
// control, about the pointer, in every unit mode; and a line traced across a zoom or a scroll measures the
// same as the same picture points traced without it, in miles, NEXRAD pixels and general pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <utility>
#include <vector>

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
    measure::MeasureDocument doc;
    measure::MeasureState& state = doc.state();
    testing_support::RecordingDialogs dialogs;
};

// One turn counts at most kMostWheelNotches notches: a script's 2147483647 (or -2147483648) ends at
// once with the zoom of 100 notches instead of hanging.
TEST_F(WheelTest, AHugeTurnCountsAsAHundredNotches) {
    ViewGeometry hundred = g;
    measure::MeasureState hundredState = state;
    for (int i = 0; i < 100; ++i) (void)wheelZoom(hundred, hundredState, 2700, 6100, 1);
    EXPECT_EQ(wheelZoom(g, state, 2700, 6100, 2147483647), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.width, hundred.picture.width);
    EXPECT_EQ(state.scaleX, hundredState.scaleX);
    EXPECT_EQ(wheelZoom(g, state, 2700, 6100, -2147483647 - 1), PanZoomOutcome::Moved);
    EXPECT_LT(g.picture.width, hundred.picture.width);
}

TEST_F(WheelTest, EachNotchZoomsByAFifthAboutThePointer) {
    const float x = 2700, y = 6100;
    const float u = (x - g.picture.left) / g.picture.width, v = (y - g.picture.top) / g.picture.height;
    EXPECT_EQ(wheelTurn(g, state, x, y, 2, WheelTurn::Zoom), PanZoomOutcome::Moved);
    // Two notches of 1.2: 18000 x 1.44 = 25920, 13500 x 1.44 = 19440.
    EXPECT_FLOAT_EQ(g.picture.width, 25920);
    EXPECT_FLOAT_EQ(g.picture.height, 19440);
    EXPECT_TRUE(g.stretch);
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(g.picture.top + v * g.picture.height, y);
    EXPECT_FLOAT_EQ(state.scaleX, 2 / 1.44f);
    EXPECT_FLOAT_EQ(state.scaleY, 4 / 1.44f);
    // Down: each notch divides by 1.2, back to where it was.
    EXPECT_EQ(wheelTurn(g, state, x, y, -2, WheelTurn::Zoom), PanZoomOutcome::Moved);
    EXPECT_FLOAT_EQ(g.picture.width, 18000);
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(state.scaleX, 2);
    EXPECT_FLOAT_EQ(state.scaleY, 4);
}

TEST_F(WheelTest, WithCtrlEachNotchIsOneZoomStepOfTheControl) {
    const float x = 2700, y = 6100;
    const float u = (x - g.picture.left) / g.picture.width, v = (y - g.picture.top) / g.picture.height;
    EXPECT_EQ(wheelTurn(g, state, x, y, 2, WheelTurn::FineZoom), PanZoomOutcome::Moved);
    // Two steps of 1.05: 18000 x 1.05 x 1.05 = 19845, 13500 x 1.1025 = 14883.75.
    EXPECT_FLOAT_EQ(g.picture.width, 19845);
    EXPECT_FLOAT_EQ(g.picture.height, 14883.75f);
    EXPECT_TRUE(g.stretch);
    // The picture point under the pointer is still under it.
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(g.picture.top + v * g.picture.height, y);
    EXPECT_FLOAT_EQ(state.scaleX, 2 / 1.1025f);
    EXPECT_FLOAT_EQ(state.scaleY, 4 / 1.1025f);

    EXPECT_EQ(wheelTurn(g, state, x, y, -2, WheelTurn::FineZoom), PanZoomOutcome::Moved);
    EXPECT_FLOAT_EQ(g.picture.width, 18000);
    EXPECT_FLOAT_EQ(g.picture.left + u * g.picture.width, x);
    EXPECT_FLOAT_EQ(state.scaleX, 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WheelTest, NoUnitModeLocksTheView) {
    // An area traced in miles, NEXRAD or general pixels, with the lock flag of an older project: the
    // wheel and the pan still move the picture, as each of them moves it in an idle view.
    state.viewUnlocked = false;
    state.mode = measure::AreaBoundary;
    for (const auto& [pixels, general] : {std::pair{false, false}, {true, false}, {true, true}}) {
        state.pixelUnits = pixels;
        state.generalPixels = general;
        g.picture = {-3000, -2250, 18000, 13500};
        EXPECT_EQ(wheelZoom(g, state, 12000, 9000, 1), PanZoomOutcome::Moved);
        // About the view's lower-right corner, 5/6 of the way across and down the picture:
        // 12000 - 21600 x 5/6 = -6000, 9000 - 16200 x 5/6 = -4500.
        EXPECT_FLOAT_EQ(g.picture.width, 21600);
        EXPECT_FLOAT_EQ(g.picture.left, -6000);
        EXPECT_FLOAT_EQ(g.picture.top, -4500);
        EXPECT_EQ(pan(g, 300, -150), PanZoomOutcome::Moved);
        EXPECT_FLOAT_EQ(g.picture.left, -5700);
        EXPECT_FLOAT_EQ(g.picture.top, -4650);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WheelTest, WithShiftTheWheelPansByTheScrollStep) {
    // One notch up moves the picture right by the view's width times the scroll/zoom speed: 600.
    EXPECT_EQ(wheelTurn(g, state, 2700, 6100, 1, WheelTurn::Pan), PanZoomOutcome::Moved);
    EXPECT_FLOAT_EQ(g.picture.left, -2400);
    EXPECT_FLOAT_EQ(g.picture.width, 18000);
    EXPECT_EQ(state.scaleX, 2);
}

TEST_F(WheelTest, PanMovesThePictureByTheDrag) {
    EXPECT_EQ(pan(g, 300, -150), PanZoomOutcome::Moved);
    EXPECT_EQ(g.picture.left, -2700);
    EXPECT_EQ(g.picture.top, -2400);
    EXPECT_EQ(g.picture.width, 18000);
    EXPECT_EQ(state.scaleX, 2);
}

enum class Units { Miles, Nexrad, GeneralPixels };

struct Traced {
    std::string listing;  // the coordinate listing
    std::string result;   // area, perimeter and centroid
};

// Traces the triangle with corners at picture pixels (100, 100), (300, 100), (300, 200), with
// `zoomSteps` wheel notches at (2000, 7000) and then a pan by (panX, panY) after the second point.
// The picture (1200 x 900 pixels at 15 view units each) starts at (-3000, -2250) in a 12000 x 9000 view.
Traced traceTriangle(Units units, int zoomSteps, float panX = 0, float panY = 0) {
    ViewGeometry g;
    g.view = {0, 0, 12000, 9000};
    g.picture = {-3000, -2250, 18000, 13500};
    g.hasPicture = true;
    measure::MeasureDocument doc;
    measure::MeasureState& state = doc.state();
    measure::FakeSurface surface;
    surface.viewHeightValue = 9000;
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller(doc, surface, dialogs);
    measure::PictureAnchoring anchoring;
    auto showPicture = [&] {
        surface.imageLeftValue = g.picture.left;
        surface.imageTopValue = g.picture.top;
        anchoring.follow(doc, {g.picture.left, g.picture.top, g.picture.width, g.picture.height});
    };
    showPicture();
    if (units == Units::Miles) {
        // 0.0004 mile per view unit; the origin is pinned when the area starts.
        state.scaleX = 0.0004f;
        state.lengthUnitText = " (mi)";
        state.areaUnitText = " (sq mi)";
    } else {
        // Pixels at 15 view units each, as Ok leaves them; general pixels count from picture pixel
        // (100, 100), which is map point (10, 20).
        state.pixelUnits = true;
        state.generalPixels = units == Units::GeneralPixels;
        state.scaleX = state.scaleY = 1.0f / 15;
        state.refPixel = {1500, 1500};
        state.refCoord = {10, 20};
        state.lengthUnitText = " (pix)";
        state.areaUnitText = " (pix^2)";
    }
    showPicture();
    controller.runCommand("Start Area");
    // A click is image-relative: a picture pixel p lies at p x 15 x (width / natural width).
    auto clickPixel = [&](float px, float py) {
        const float zoom = g.picture.width / 18000;
        controller.mapMouseUp(measure::MouseButton::Left, px * 15 * zoom, py * 15 * zoom);
    };
    clickPixel(100, 100);
    clickPixel(300, 100);
    if (zoomSteps != 0) {
        EXPECT_EQ(wheelZoom(g, state, 2000, 7000, zoomSteps), PanZoomOutcome::Moved);
        showPicture();
    }
    if (panX != 0 || panY != 0) {
        EXPECT_EQ(pan(g, panX, panY), PanZoomOutcome::Moved);
        showPicture();
    }
    clickPixel(300, 200);
    controller.runCommand("End Area/Line");
    EXPECT_TRUE(dialogs.messages.empty());
    return {doc.controls().text1.text, state.areaCentroidText};
}

TEST(NexradAcrossAZoom, MeasuresTheSameAsWithoutIt) {
    // Half of 200 x 100 pixels; perimeter 200 + 100 + 223.6. The centroid by the segment-midpoint rule:
    // My / Ay = (4.5E6 - 2E6) / (30000 - 20000) = 250, Mx / Ax = (1E6 - 2.25E6) / (20000 - 30000) = 125.
    const std::string plain = traceTriangle(Units::Nexrad, 0).result;
    EXPECT_EQ(plain, "Area1= 10000 (pix^2), Perimeter= 524 (pix), Centroid= 250, 125");
    EXPECT_EQ(traceTriangle(Units::Nexrad, 3).result, plain);
    EXPECT_EQ(traceTriangle(Units::Nexrad, -2).result, plain);
}

// A listing's words with every number taken out, and the numbers: a point clicked on the zoomed
// picture is carried in single precision, so its coordinates agree to a millionth, not to the last digit.
std::pair<std::string, std::vector<double>> wordsAndNumbers(const std::string& listing) {
    static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?(E[-+][0-9]+)?)");
    std::pair<std::string, std::vector<double>> out;
    out.first = std::regex_replace(listing, number, "#");
    for (auto it = std::sregex_iterator(listing.begin(), listing.end(), number); it != std::sregex_iterator();
         ++it) {
        out.second.push_back(std::stod(it->str()));
    }
    return out;
}

void expectSameListing(const std::string& traced, const std::string& plain) {
    const auto [tracedWords, tracedNumbers] = wordsAndNumbers(traced);
    const auto [plainWords, plainNumbers] = wordsAndNumbers(plain);
    EXPECT_EQ(tracedWords, plainWords);
    ASSERT_EQ(tracedNumbers.size(), plainNumbers.size());
    for (std::size_t i = 0; i < plainNumbers.size(); ++i)
        EXPECT_NEAR(tracedNumbers[i], plainNumbers[i], 1e-6 * std::max(1.0, std::fabs(plainNumbers[i]))) << i;
}

TEST(TracingAcrossZoomAndScroll, EveryUnitModeListsAndMeasuresTheSame) {
    // Miles: the corners are at view (-1500, -750), (1500, -750), (1500, 750); the origin is the view's
    // lower-left corner (0, 9000) when the area starts: x = 0.0004 vx, y = 0.0004 (9000 - vy). Area
    // 1.2 x 0.6 / 2 = 0.36, perimeter 1.2 + 0.6 + 1.342 = 3.14; the centroid by the rule above is
    // picture pixel (250, 125): x = 0.0004 x (3750 - 3000) = 0.3, y = 0.0004 x (9000 - 1875 + 2250) = 3.75.
    const Traced miles = traceTriangle(Units::Miles, 0);
    EXPECT_EQ(miles.listing,
              "Area1 X,Y Coordinates   (mi)\r\n-0.6, 3.9\r\n0.6, 3.9\r\n0.6, 3.3\r\n-0.6, 3.9\r\n"
              "Xmin -0.6, Ymin 3.3, Xmax 0.6, Ymax 3.9\r\n"
              "Area1= 0.360 (sq mi), Perimeter= 3.14 (mi), Centroid= 0.300, 3.75\r\n");
    // General pixels: picture pixel p is map point p - (100, 100) + (10, 20).
    const Traced general = traceTriangle(Units::GeneralPixels, 0);
    EXPECT_EQ(general.listing,
              "Area1 X,Y Coordinates   (pix)\r\n10, 20\r\n210, 20\r\n210, 120\r\n10, 20\r\n"
              "Xmin 10, Ymin 20, Xmax 210, Ymax 120\r\n"
              "Area1= 10000 (pix^2), Perimeter= 524 (pix), Centroid= 160, 45.0\r\n");
    const Traced nexrad = traceTriangle(Units::Nexrad, 0);
    for (const auto& [units, plain] :
         {std::pair{Units::Miles, miles}, {Units::GeneralPixels, general}, {Units::Nexrad, nexrad}}) {
        SCOPED_TRACE(static_cast<int>(units));
        for (const Traced& moved : {traceTriangle(units, 3), traceTriangle(units, -2, 450, -300),
                                    traceTriangle(units, 0, -600, 0)}) {
            EXPECT_EQ(moved.result, plain.result);
            expectSameListing(moved.listing, plain.listing);
        }
    }
}

}  // namespace
}  // namespace brelvo::mapview
