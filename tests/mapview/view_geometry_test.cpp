// Map view geometry: zoom about the centre, scrolling, layout, pan/zoom hit regions, and map lengths under
// zoom.
#include "mapview/view_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "measure/fakes.hpp"
#include "measure/measurement.hpp"

namespace brelvo::mapview {
namespace {

ViewGeometry viewWithPicture(RectF picture) {
    ViewGeometry g;
    g.view = {0, 0, 800, 600};
    g.picture = picture;
    g.hasPicture = true;
    g.naturalWidth = picture.width;
    g.naturalHeight = picture.height;
    return g;
}

TEST(ZoomPic, KeepsThePictureUnderTheViewCentre) {
    ViewGeometry g = viewWithPicture({-100, -50, 1000, 800});
    float scaleX = 3, scaleY = 0.5f;
    // The view centre (400,300) lies at half the width and 7/16 of the height of the picture.
    zoomPic(g, 2.0, scaleX, scaleY);
    EXPECT_EQ(g.picture.left, -600);
    EXPECT_EQ(g.picture.top, -400);
    EXPECT_EQ(g.picture.width, 2000);
    EXPECT_EQ(g.picture.height, 1600);
    EXPECT_EQ(scaleX, 1.5f);
    EXPECT_EQ(scaleY, 0.25f);
    EXPECT_TRUE(g.stretch);

    zoomPic(g, 1.05, scaleX, scaleY);
    zoomPic(g, 1 / 1.05, scaleX, scaleY);
    EXPECT_NEAR(g.picture.left, -600, 0.01);
    EXPECT_NEAR(g.picture.top, -400, 0.01);
    EXPECT_NEAR(g.picture.width, 2000, 0.01);
    EXPECT_NEAR(g.picture.height, 1600, 0.01);
    EXPECT_NEAR(scaleX, 1.5, 1e-6);
}

TEST(ScrollPic, StepsByAFractionOfTheViewOrCentres) {
    ViewGeometry g = viewWithPicture({10, 20, 1000, 800});
    scrollPic(g, 0);
    EXPECT_EQ(g.picture.top, 50);
    scrollPic(g, 1);
    scrollPic(g, 1);
    EXPECT_EQ(g.picture.top, -10);
    scrollPic(g, 2);
    EXPECT_EQ(g.picture.left, 50);
    scrollPic(g, 3);
    scrollPic(g, 3);
    EXPECT_EQ(g.picture.left, -30);
    scrollPic(g, 5);
    scrollPic(g, -1);
    EXPECT_EQ(g.picture.left, -30);
    EXPECT_EQ(g.picture.top, -10);
    scrollPic(g, 4);  // larger than the view: centred with negative offsets
    EXPECT_EQ(g.picture.left, -100);
    EXPECT_EQ(g.picture.top, -100);
    EXPECT_EQ(g.picture.width, 1000);
}

TEST(Layout, FirstLayoutFillsTheViewLaterOnesRestoreNaturalSize) {
    ViewGeometry g;
    g.panZoom = {0, 0, 90, 60};
    setPicture(g, true, 1200, 900);
    layout(g, {0.4f, 0.3f, 800.4f, 599.6f});
    EXPECT_EQ(g.view.width, 800);
    EXPECT_EQ(g.view.height, 600);
    EXPECT_EQ(g.picture.left, 0);
    EXPECT_EQ(g.picture.top, 0);
    EXPECT_EQ(g.picture.width, 1200);
    EXPECT_EQ(g.picture.height, 900);
    EXPECT_EQ(g.panZoom.left, 710);
    EXPECT_EQ(g.panZoom.top, 540);

    float scaleX = 1, scaleY = 1;
    zoomPic(g, 2.0, scaleX, scaleY);
    const float zoomedLeft = g.picture.left, zoomedTop = g.picture.top;
    layout(g, {0, 0, 1000, 700});
    EXPECT_FALSE(g.stretch);
    EXPECT_EQ(g.picture.left, zoomedLeft);
    EXPECT_EQ(g.picture.top, zoomedTop);
    EXPECT_EQ(g.picture.width, 1200);
    EXPECT_EQ(g.picture.height, 900);
    EXPECT_EQ(g.panZoom.left, 910);
    EXPECT_EQ(g.panZoom.top, 640);

    // Without a picture the rectangle keeps whatever size it has.
    ViewGeometry empty;
    layout(empty, {0, 0, 800, 600});
    EXPECT_EQ(empty.picture.width, 800);
    zoomPic(empty, 2.0, scaleX, scaleY);
    layout(empty, {0, 0, 800, 600});
    EXPECT_EQ(empty.picture.width, 1600);
    EXPECT_EQ(empty.picture.height, 1200);
}

TEST(Layout, AResizeThatDropsAZoomGivesItBackToTheScale) {
    // 0.01 miles per view unit at natural size; two zoom steps in and one out, then a resize.
    ViewGeometry g;
    setPicture(g, true, 1200, 900);
    layout(g, {0, 0, 800, 600});
    float scaleX = 0.01f, scaleY = 0.02f;
    zoomPic(g, 1.05, scaleX, scaleY);
    zoomPic(g, 1.05, scaleX, scaleY);
    zoomPic(g, 1 / 1.05, scaleX, scaleY);
    ASSERT_NEAR(scaleX, 0.01f / 1.05f, 1e-8);
    // Two picture points 300 view units apart at natural size measure 3 miles before and after.
    const float zoomedApart = 300 * g.picture.width / 1200;
    EXPECT_NEAR(zoomedApart * scaleX, 3.0f, 1e-5);
    layout(g, {0, 0, 1000, 700}, scaleX, scaleY);
    EXPECT_EQ(g.picture.width, 1200);
    EXPECT_NEAR(300 * scaleX, 3.0f, 1e-5);
    EXPECT_NEAR(scaleX, 0.01f, 1e-8);
    EXPECT_NEAR(scaleY, 0.02f, 1e-8);
    // A layout with no zoom in force leaves the scale alone.
    layout(g, {0, 0, 900, 700}, scaleX, scaleY);
    EXPECT_NEAR(scaleX, 0.01f, 1e-8);
}

TEST(PanZoomRegionAt, StrictBoundsAndUncoveredCorners) {
    // On a 100 x 100 control the bounds are 22, 44, 66 across and 33, 66 (50 beside the zoom) down.
    EXPECT_EQ(panZoomRegionAt(33, 10, 100, 100), PanZoomRegion::Up);
    EXPECT_EQ(panZoomRegionAt(33, 90, 100, 100), PanZoomRegion::Down);
    EXPECT_EQ(panZoomRegionAt(10, 50, 100, 100), PanZoomRegion::Left);
    EXPECT_EQ(panZoomRegionAt(55, 50, 100, 100), PanZoomRegion::Right);
    EXPECT_EQ(panZoomRegionAt(33, 50, 100, 100), PanZoomRegion::Centre);
    EXPECT_EQ(panZoomRegionAt(80, 20, 100, 100), PanZoomRegion::ZoomIn);
    EXPECT_EQ(panZoomRegionAt(80, 80, 100, 100), PanZoomRegion::ZoomOut);
    const std::pair<float, float> outside[] = {{22, 10}, {33, 33}, {44, 50}, {66, 20}, {80, 50},
                                               {10, 10}, {10, 90}, {55, 10}, {55, 90}};
    for (const auto& [x, y] : outside) {
        EXPECT_EQ(panZoomRegionAt(x, y, 100, 100), PanZoomRegion::None) << x << ", " << y;
    }

    // The replay point of every region lies inside it.
    for (const PanZoomRegion region :
         {PanZoomRegion::Up, PanZoomRegion::Down, PanZoomRegion::Left, PanZoomRegion::Right,
          PanZoomRegion::Centre, PanZoomRegion::ZoomIn, PanZoomRegion::ZoomOut}) {
        float x = 0, y = 0;
        panZoomRegionCentre(region, 90, 60, x, y);
        EXPECT_EQ(panZoomRegionAt(x, y, 90, 60), region) << x << ", " << y;
    }
}

// Zooming rescales both the picture and the map scale, so map lengths along the picture do not change.
TEST(ZoomPic, MapLengthsSurviveAZoom) {
    ViewGeometry g = viewWithPicture({0, 0, 800, 600});
    measure::MeasureDocument doc;
    measure::MeasureState& state = doc.state();
    state.scaleX = 2;
    measure::FakeSurface surface;
    surface.viewHeightValue = 600;

    // Picture points at fractions (0.25, 0.5) and (0.55, 0.8): 240 x 180 view units apart, 600 map units.
    auto mapPoint = [&](float fx, float fy) {
        surface.imageLeftValue = g.picture.left;
        surface.imageTopValue = g.picture.top;
        return measure::ToMapCoords(state, surface, g.picture.left + fx * g.picture.width,
                                    g.picture.top + fy * g.picture.height);
    };
    auto mapLength = [&] {
        const measure::PointF a = mapPoint(0.25f, 0.5f), b = mapPoint(0.55f, 0.8f);
        return std::hypot(b.x - a.x, b.y - a.y);
    };
    EXPECT_NEAR(mapLength(), 600, 1e-3);
    zoomPic(g, 1.25, state.scaleX, state.scaleY);
    zoomPic(g, 1.25, state.scaleX, state.scaleY);
    EXPECT_NEAR(mapLength(), 600, 1e-3);

    // In NEXRAD pixels the origin is the picture's corner: each point keeps its coordinates too.
    state.pixelUnits = true;
    const measure::PointF before = mapPoint(0.25f, 0.5f);
    zoomPic(g, 0.8, state.scaleX, state.scaleY);
    const measure::PointF after = mapPoint(0.25f, 0.5f);
    EXPECT_NEAR(before.x, 400, 1e-3);
    EXPECT_NEAR(before.y, 600, 1e-3);
    EXPECT_NEAR(after.x, 400, 1e-3);
    EXPECT_NEAR(after.y, 600, 1e-3);
}

}  // namespace
}  // namespace brelvo::mapview
