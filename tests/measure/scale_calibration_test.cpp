// Scale calibration: scale clicks, the distance box and spinner, and the scale and units Ok computes.
#include "measure/scale_calibration.hpp"

#include <gtest/gtest.h>

#include <string>

#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

class ScaleTest : public ::testing::Test {
  protected:
    ScaleTest() {
        surface.imageLeftValue = 40;
        surface.imageTopValue = 20;
        surface.viewHeightValue = 1000;
        doc.edit(SurfacePart::Shape1).shape1.width = 120;
        doc.edit(SurfacePart::Shape1).shape1.height = 90;
        doc.edit(SurfacePart::Shape2).shape2.width = 60;
        doc.edit(SurfacePart::Shape2).shape2.height = 60;
        doc.menu(SurfacePart::Menu1).left = 250;
        doc.menu(SurfacePart::Menu1).top = 120;
    }

    void pick(float x1, float y1, float x2, float y2) {
        scale.RecordScalePoint(x1, y1);
        scale.RecordScalePoint(x2, y2);
    }

    // A general pixel scale in force before the one being tried.
    void setPreviousScale() {
        state.scaleX = 2;
        state.scaleY = 3;
        state.refCoord = {5, 6};
        state.refPixel = {7, 8};
        state.lengthUnitText = " (pix)";
        state.areaUnitText = " (pix^2)";
        state.areaFactor = 1;
        state.pixelUnits = state.generalPixels = true;
    }

    void expectPreviousScaleKept() const {
        EXPECT_EQ(state.scaleX, 2.0f);
        EXPECT_EQ(state.scaleY, 3.0f);
        EXPECT_EQ(state.refCoord[0], 5);
        EXPECT_EQ(state.refCoord[1], 6);
        EXPECT_EQ(state.refPixel, (PointF{7, 8}));
        EXPECT_EQ(state.lengthUnitText, " (pix)");
        EXPECT_EQ(state.areaUnitText, " (pix^2)");
        EXPECT_EQ(state.areaFactor, 1.0f);
    }

    // A refused answer also keeps the unit mode the previous scale belongs to.
    void expectPreviousUnitModeKept() const {
        EXPECT_TRUE(state.pixelUnits);
        EXPECT_TRUE(state.generalPixels);
    }

    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    ScaleCalibration scale{doc, surface, dialogs};
};

TEST_F(ScaleTest, SecondClickOpensThePanelWhereTheMenuWas) {
    doc.edit(SurfacePart::Pointer).pointer = Pointer::Cross;
    scale.RecordScalePoint(100, 50);
    EXPECT_EQ(state.lastPoint, (PointF{100, 50}));
    EXPECT_TRUE(doc.controls().shape1.visible);
    EXPECT_EQ(doc.controls().shape1.left, 80);
    EXPECT_EQ(doc.controls().shape1.top, 25);
    EXPECT_FALSE(doc.controls().frameScale.visible);

    scale.RecordScalePoint(500, 60);
    EXPECT_EQ(state.scalePoint2, (PointF{500, 60}));
    EXPECT_TRUE(doc.controls().shape2.visible);
    EXPECT_EQ(doc.controls().shape2.left, 510);
    EXPECT_EQ(doc.controls().shape2.top, 50);
    EXPECT_EQ(doc.controls().pointer, Pointer::Default);
    EXPECT_TRUE(doc.controls().frameScale.visible);
    EXPECT_EQ(doc.controls().frameScale.left, 250);
    EXPECT_EQ(doc.controls().frameScale.top, 120);
    EXPECT_EQ(state.lastPoint, (PointF{100, 50}));
}

TEST_F(ScaleTest, UnitOptionsProposeAMileInTheNewUnit) {
    scale.chooseOption(3);
    EXPECT_TRUE(state.feetUnits);
    EXPECT_EQ(doc.controls().text2, "5280");
    EXPECT_EQ(doc.controls().upDown1Value, 5280);
    EXPECT_EQ(doc.controls().upDown1Step, 5280);

    scale.chooseOption(1);
    EXPECT_FALSE(state.feetUnits);
    EXPECT_EQ(doc.controls().text2, "1");
    EXPECT_EQ(doc.controls().upDown1Value, 1);
    EXPECT_EQ(doc.controls().upDown1Step, 1);

    // 30 is neither a small number of miles nor a large number of feet: it stays.
    scale.typeDistance("30");
    scale.chooseOption(2);
    EXPECT_EQ(doc.controls().text2, "30");
    EXPECT_EQ(doc.controls().upDown1Step, 5280);
    scale.chooseOption(0);
    EXPECT_EQ(doc.controls().text2, "30");
    EXPECT_EQ(doc.controls().upDown1Step, 1);

    // The pixel options keep the unit and step of the option before.
    scale.chooseOption(4);
    scale.chooseOption(6);
    EXPECT_TRUE(state.feetUnits);
    EXPECT_EQ(state.distanceStep, 5280.0f);
    EXPECT_EQ(doc.controls().upDown1Step, 5280);
    EXPECT_EQ(doc.controls().option1, 6);
}

TEST_F(ScaleTest, SpinnerStepsFromTheTypedNumberWithinItsRange) {
    scale.chooseOption(2);  // feet: 5280, step 5280
    scale.spin(+1);
    EXPECT_EQ(doc.controls().text2, "10560");
    scale.spin(-1);
    scale.spin(-1);  // down to 1 ft: continues in thousands from 5000
    EXPECT_EQ(doc.controls().text2, "5000");
    EXPECT_EQ(doc.controls().upDown1Value, 5000);
    EXPECT_EQ(doc.controls().upDown1Step, 1000);
    scale.spin(+1);
    EXPECT_EQ(doc.controls().text2, "6000");

    scale.chooseOption(0);  // miles, step 1
    scale.typeDistance("1");
    scale.spin(-1);
    EXPECT_EQ(doc.controls().text2, "1");
    EXPECT_EQ(doc.controls().upDown1Value, 1);
    scale.typeDistance("7");
    scale.spin(+1);
    EXPECT_EQ(doc.controls().text2, "8");
    scale.typeDistance("999999");
    scale.spin(+1);
    EXPECT_EQ(doc.controls().text2, "999999");
}

TEST_F(ScaleTest, DistanceOptionsSetScaleAndUnits) {
    struct Expected {
        const char* length;
        const char* area;
        float factor;
    };
    const Expected table[] = {{" (mi)", " (mi^2)", 1.0f},
                              {" (mi)", " (acres)", 640.0f},
                              {" (ft)", " (ft^2)", 1.0f},
                              {" (ft)", " (acres)", 0.000022957f},
                              {" (ft)", " (mi^2)", 3.587E-8f}};
    for (int option = 0; option < 5; ++option) {
        SCOPED_TRACE(option);
        state.scaleY = 3;
        state.pixelUnits = state.generalPixels = true;
        state.mode = ScalePoints;
        doc.edit(SurfacePart::ScalePanel).frameScale.visible = true;
        doc.edit(SurfacePart::ScalePanel).option1 = option;
        doc.edit(SurfacePart::ScalePanel).text2 = "100";
        pick(100, 50, 500, 80);  // 400 across
        scale.ApplyScale();

        EXPECT_EQ(state.scaleX, 0.25f);
        EXPECT_EQ(state.scaleY, 3.0f);
        EXPECT_EQ(state.scaleDistance, 100.0f);
        EXPECT_EQ(state.lengthUnitText, table[option].length);
        EXPECT_EQ(state.areaUnitText, table[option].area);
        EXPECT_EQ(state.areaFactor, table[option].factor);
        EXPECT_FALSE(state.pixelUnits);
        EXPECT_FALSE(state.generalPixels);
        EXPECT_EQ(state.mode, Idle);
        EXPECT_EQ(doc.controls().caption, "Right Click for menu");
        EXPECT_FALSE(doc.controls().frameScale.visible || doc.controls().shape1.visible ||
                     doc.controls().shape2.visible);
        EXPECT_TRUE(state.lastPoint.isOrigin());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScaleTest, ScalePointsMustLieAtLeast100Apart) {
    setPreviousScale();
    pick(100, 50, 199.5f, 300);
    scale.ApplyScale();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Bad scale points, try again.");
    expectPreviousScaleKept();

    // Exactly 100 apart, right to left, is a good scale.
    state.lastPoint = {};
    doc.edit(SurfacePart::ScalePanel).text2 = "50";
    pick(100, 50, 0, 50);
    scale.ApplyScale();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(state.scaleX, 0.5f);
}

TEST_F(ScaleTest, DistanceMustBeANumberAboveZero) {
    setPreviousScale();
    state.mode = ScalePoints;
    doc.edit(SurfacePart::ScalePanel).option1 = 2;
    pick(100, 50, 500, 50);
    int expectedMessages = 0;
    for (const char* text : {"0", "-5", ""}) {
        SCOPED_TRACE(text);
        doc.edit(SurfacePart::ScalePanel).text2 = text;
        scale.ApplyScale();
        EXPECT_EQ(dialogs.messages.size(), static_cast<std::size_t>(++expectedMessages));
        EXPECT_EQ(dialogs.messages.back(), "Enter the scale distance as a number greater than 0.");
        expectPreviousScaleKept();
        expectPreviousUnitModeKept();
        // The refused distance is cleared; the panel and both scale points stay for the next try.
        EXPECT_EQ(doc.controls().text2, "");
        EXPECT_TRUE(doc.controls().frameScale.visible);
        EXPECT_TRUE(doc.controls().shape1.visible);
        EXPECT_TRUE(doc.controls().shape2.visible);
        EXPECT_EQ(state.mode, ScalePoints);
        EXPECT_EQ(state.lastPoint, (PointF{100, 50}));
        EXPECT_EQ(state.scalePoint2, (PointF{500, 50}));
    }
    // Only the distance is typed again: 2 ft over the 400 view units between the points.
    doc.edit(SurfacePart::ScalePanel).text2 = "2";
    scale.ApplyScale();
    EXPECT_EQ(dialogs.messages.size(), static_cast<std::size_t>(expectedMessages));
    EXPECT_FLOAT_EQ(state.scaleX, 0.005f);
    EXPECT_EQ(state.lengthUnitText, " (ft)");
    EXPECT_FALSE(doc.controls().frameScale.visible);
    EXPECT_EQ(state.mode, Idle);
}

TEST_F(ScaleTest, PanelOpensInsideTheVisibleView) {
    surface.visibleAreaValue = {0, 0, 3000, 2000, true};
    doc.edit(SurfacePart::ScalePanel).frameScale.width = 800;
    doc.edit(SurfacePart::ScalePanel).frameScale.height = 900;
    doc.menu(SurfacePart::Menu1).left = 2700;
    doc.menu(SurfacePart::Menu1).top = 1500;
    pick(100, 50, 500, 50);
    EXPECT_EQ(doc.controls().frameScale.left, 2200);
    EXPECT_EQ(doc.controls().frameScale.top, 1100);
}

TEST_F(ScaleTest, NexradPixelsDivideTheScaleByScreenPixels) {
    // The picture shown at half its natural size; the scale set before (miles) plays no part.
    state.scaleX = 0.0004f;
    surface.pictureZoomValue = 0.5f;
    doc.edit(SurfacePart::ScalePanel).option1 = 5;
    pick(100, 50, 500, 50);
    scale.ApplyScale();
    EXPECT_FLOAT_EQ(state.scaleX, 2.0f / 15.0f);
    EXPECT_TRUE(state.pixelUnits);
    EXPECT_FALSE(state.generalPixels);
    EXPECT_EQ(state.lengthUnitText, " (pix)");
    EXPECT_EQ(state.areaUnitText, " (pix^2)");
    EXPECT_EQ(state.areaFactor, 1.0f);

    state.scaleX = 7;
    scale.setTwipsPerPixelX(12);
    pick(100, 50, 500, 50);
    scale.ApplyScale();
    EXPECT_FLOAT_EQ(state.scaleX, 2.0f / 12.0f);
}

TEST_F(ScaleTest, GeneralPixelsTakeTheCoordinatesOfBothPoints) {
    doc.edit(SurfacePart::ScalePanel).option1 = 6;
    dialogs.answers = {"0,0,300,150", " 310 , 170 ,10, 20"};
    pick(100, 100, 400, 250);
    scale.ApplyScale();
    ASSERT_EQ(dialogs.inputRequests.size(), 1u);
    EXPECT_EQ(dialogs.inputRequests[0].prompt, "Enter pixel pairs as X1,Y1,X2,Y2:");
    EXPECT_EQ(dialogs.inputRequests[0].title, "General Pixel Scaling");
    EXPECT_EQ(state.refCoord[0], 0);
    EXPECT_EQ(state.refCoord[1], 0);
    EXPECT_EQ(state.scaleX, 1.0f);
    EXPECT_EQ(state.scaleY, 1.0f);
    EXPECT_EQ(state.refPixel, (PointF{100, 100}));
    EXPECT_TRUE(state.pixelUnits && state.generalPixels);
    EXPECT_TRUE(state.viewUnlocked);  // the view is never locked
    EXPECT_EQ(state.lengthUnitText, " (pix)");
    EXPECT_TRUE(state.lastPoint.isOrigin());

    // Coordinates may run against the picture; the scales are the sizes of the differences.
    pick(200, 300, 800, 450);
    scale.ApplyScale();
    EXPECT_EQ(state.refCoord[0], 310);
    EXPECT_EQ(state.refCoord[1], 170);
    EXPECT_EQ(state.scaleX, 0.5f);
    EXPECT_EQ(state.scaleY, 1.0f);
    EXPECT_EQ(state.refPixel, (PointF{200, 300}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Strict boxes: the distance is read as a whole number or refused by name, never its leading part
// ("1,5", "1/2" and "1 1/2" once read as 1, "1.5.5" as 1.5, "2 miles" as 2: areas off by 2.25). The
// refused text stays in its framed box; the scale and the panel stay as they were.
TEST_F(ScaleTest, DistanceIsReadStrictlyAndARefusedTextIsNamedAndFramed) {
    setPreviousScale();
    state.mode = ScalePoints;
    doc.edit(SurfacePart::ScalePanel).option1 = 2;
    pick(100, 50, 500, 50);
    struct Case {
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {"1,5", "is not a number (use a decimal point and no thousands separators)."},
        {"1/2", "is not a number (write a fraction as a decimal)."},
        {"1 1/2", "is not a number (write a fraction as a decimal)."},
        {"1.5.5", "is not a number."},
        {"2 miles", "is not a number."},
        {"abc", "is not a number."},
        {"1e39", "is too large a number."},
        {"1e400", "is too large a number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        dialogs.messages.clear();
        scale.typeDistance(c.text);
        scale.ApplyScale();
        const std::string line = "Scale distance: \"" + std::string(c.text) + "\" " + c.why;
        EXPECT_EQ(
            dialogs.messages,
            (std::vector<std::string>{"Enter the scale distance as a number greater than 0.\n" + line}));
        EXPECT_EQ(doc.controls().text2Refused, line);
        EXPECT_EQ(doc.controls().text2, c.text);
        expectPreviousScaleKept();
        expectPreviousUnitModeKept();
        EXPECT_TRUE(doc.controls().frameScale.visible);
        EXPECT_EQ(state.mode, ScalePoints);
    }
    scale.typeDistance("1.5");  // typing takes the frame off
    EXPECT_EQ(doc.controls().text2Refused, "");
    scale.ApplyScale();
    EXPECT_FLOAT_EQ(state.scaleX, 1.5f / 400);
}

// General pixel coordinates are read strictly too, and a number past 16 bits or the double range is
// named instead of a bare "Overflow".
TEST_F(ScaleTest, GeneralPixelCoordinatesNameTheRefusedOne) {
    setPreviousScale();
    doc.edit(SurfacePart::ScalePanel).option1 = 6;
    dialogs.answers = {"0,0,300,1e400", "0,0,40000,150", "0,0,1/2,150", "-30000,0,30000,150"};
    const std::string bad = "Enter four numbers separated by commas: X1,Y1,X2,Y2. The scale is unchanged.\n";
    const std::vector<std::string> expected{
        bad + "Y2: \"1e400\" is too large a number.",
        bad + "X2: \"40000\" must be a whole number from -32768 to 32767.",
        bad + "X2: \"1/2\" is not a number.",
        "Overflow\nThe two points lie more than 32767 apart in X or Y: enter coordinates closer together."};
    for (std::size_t attempt = 0; attempt < expected.size(); ++attempt) {
        SCOPED_TRACE(attempt);
        pick(100, 100, 400, 250);
        ASSERT_NO_THROW(scale.ApplyScale());
        ASSERT_EQ(dialogs.messages.size(), attempt + 1);
        EXPECT_EQ(dialogs.messages.back(), expected[attempt]);
        expectPreviousScaleKept();
        expectPreviousUnitModeKept();
    }
}

TEST_F(ScaleTest, GeneralPixelsRefuseAnIncompleteAnswerOrFlatPoints) {
    setPreviousScale();
    doc.edit(SurfacePart::ScalePanel).option1 = 6;
    dialogs.answers = {"1,2,3", "", "1,2,x,4"};
    for (int attempt = 1; attempt <= 3; ++attempt) {
        SCOPED_TRACE(attempt);
        pick(100, 100, 400, 250);
        scale.ApplyScale();
        EXPECT_EQ(dialogs.messages.size(), static_cast<std::size_t>(attempt));
        expectPreviousScaleKept();
        expectPreviousUnitModeKept();
        EXPECT_TRUE(state.viewUnlocked);
    }

    dialogs.answers = {"0,0,300,150"};
    pick(100, 100, 400, 100);  // same row: no vertical scale
    scale.ApplyScale();
    EXPECT_EQ(dialogs.messages.size(), 4u);
    expectPreviousScaleKept();
    expectPreviousUnitModeKept();
    EXPECT_TRUE(state.viewUnlocked);

    // Typed coordinates with the same X or the same Y would give a scale of 0.
    dialogs.answers = {"0,0,300,0", "5,0,5,150"};
    for (int attempt = 5; attempt <= 6; ++attempt) {
        pick(100, 100, 400, 250);
        scale.ApplyScale();
        ASSERT_EQ(dialogs.messages.size(), static_cast<std::size_t>(attempt));
        EXPECT_EQ(
            dialogs.messages.back(),
            "The map coordinates of the two points must differ in both X and Y. The scale is unchanged.");
        expectPreviousScaleKept();
        expectPreviousUnitModeKept();
        EXPECT_TRUE(state.viewUnlocked);
    }
}

TEST_F(ScaleTest, ADistanceTooSmallToGiveAScaleIsRefused) {
    setPreviousScale();
    state.mode = ScalePoints;
    doc.edit(SurfacePart::ScalePanel).option1 = 2;
    pick(100, 50, 500, 50);
    doc.edit(SurfacePart::ScalePanel).text2 =
        "1e-45";  // above 0, but over 400 view units the scale rounds to 0
    scale.ApplyScale();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{
                  "The scale distance is too small to give a scale: enter a larger distance."}));
    expectPreviousScaleKept();
    expectPreviousUnitModeKept();
    EXPECT_EQ(doc.controls().text2, "");
    EXPECT_TRUE(doc.controls().frameScale.visible);
    EXPECT_EQ(state.mode, ScalePoints);
}

}  // namespace
}  // namespace brelvo::measure
