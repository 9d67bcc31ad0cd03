// The shaded relief: Horn's hillshade on planes whose shade is known in closed form, the vertical unit
// and the cell size taken into account, the colour ramp, NoData, and the resampling of a window.
#include "terrain/relief.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace brelvo::terrain {
namespace {

// A width x height model whose height at (column, row) is f(column, row).
template <typename F>
ElevationModel planeModel(int width, int height, VerticalUnit unit, F f) {
    ElevationModel m;
    m.width = width;
    m.height = height;
    m.unit = unit;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) m.z.push_back(static_cast<float>(f(c, r)));
    return m;
}

ReliefParams params(double cell, double metresPerZ) {
    ReliefParams p;
    p.cellMetresX = p.cellMetresY = cell;
    p.metresPerZ = metresPerZ;
    p.zLow = 0;
    p.zHigh = 1000;
    return p;
}

TEST(ReliefTest, HillshadeOfPlanes) {
    const double quarter = std::numbers::pi / 4;
    // Flat ground takes the sun at 45 degrees: cos 45.
    const auto flat = planeModel(5, 5, VerticalUnit::Metre, [](int, int) { return 250.0; });
    EXPECT_NEAR(hillshade(flat, params(10, 1), 2, 2), std::cos(quarter), 1e-12);

    // Rising to the south-east at 45 degrees (1/sqrt 2 per metre east and south on 10 m cells): the
    // slope faces the north-west sun head on; the opposite slope is in full shadow.
    const double rise = 10 / std::numbers::sqrt2;
    const auto facing =
        planeModel(5, 5, VerticalUnit::Metre, [&](int c, int r) { return 100 + rise * (c + r); });
    EXPECT_NEAR(hillshade(facing, params(10, 1), 2, 2), 1.0, 1e-6);
    const auto away =
        planeModel(5, 5, VerticalUnit::Metre, [&](int c, int r) { return 500 - rise * (c + r); });
    EXPECT_NEAR(hillshade(away, params(10, 1), 2, 2), 0.0, 1e-6);
    // A slope facing the sun's side (east-west only) is lit by half of it: cos(zenith - slope) weighted.
    const auto east = planeModel(5, 5, VerticalUnit::Metre, [](int c, int) { return 100 + 10.0 * c; });
    // slope 45 degrees, aspect west: cos 45 cos 45 + sin 45 sin 45 cos(135 - 180) = 1/2 + 1/2 cos 45.
    EXPECT_NEAR(hillshade(east, params(10, 1), 2, 2), 0.5 + 0.5 * std::cos(quarter), 1e-6);
}

TEST(ReliefTest, VerticalUnitAndCellSizeCount) {
    const double rise = 10 / std::numbers::sqrt2;
    // The same ground in feet: the same shade once the unit is known.
    const auto feet =
        planeModel(5, 5, VerticalUnit::Foot, [&](int c, int r) { return (100 + rise * (c + r)) / 0.3048; });
    const ReliefParams fromModel = reliefParams(feet, 10, 10);
    EXPECT_EQ(fromModel.metresPerZ, 0.3048);
    EXPECT_NEAR(hillshade(feet, fromModel, 2, 2), 1.0, 1e-6);
    // Read as metres, the feet make it 3.28 times steeper: slope atan(1 / 0.3048), still facing the sun.
    EXPECT_NEAR(hillshade(feet, params(10, 1), 2, 2), std::cos(std::atan(1 / 0.3048) - std::numbers::pi / 4),
                1e-6);
    // Cells twice as long flatten the slope to atan(1/2) with the sun's zenith at 45 degrees.
    EXPECT_NEAR(hillshade(feet, reliefParams(feet, 20, 20), 2, 2),
                std::cos(std::atan(0.5) - std::numbers::pi / 4), 1e-6);
}

TEST(ReliefTest, RampNoDataAndWindow) {
    ReliefParams p = params(10, 1);
    p.zLow = 100;
    p.zHigh = 200;
    EXPECT_EQ(rampColour(p, 100), 0xFF3A7D44u);
    EXPECT_EQ(rampColour(p, 200), 0xFFF4F1EEu);
    EXPECT_EQ(rampColour(p, 150), 0xFFE8D98Bu);
    EXPECT_EQ(rampColour(p, 112.5f), 0xFF659B4Fu);  // halfway between the first two colours
    EXPECT_EQ(rampColour(p, -50), 0xFF3A7D44u);     // below the range: the lowest colour

    // One height: the ramp's middle colour, lit by cos 45 (and a third of light even in shadow).
    auto flat = planeModel(4, 2, VerticalUnit::Metre, [](int, int) { return 250.0; });
    const ReliefParams own = reliefParams(flat, 10, 10);
    EXPECT_EQ(own.zLow, 250.0f);
    EXPECT_EQ(own.zHigh, 250.0f);
    EXPECT_EQ(reliefPixel(flat, own, 1, 1), 0xFFBBAF70u);
    // NoData is transparent; beside it the neighbour counts at the cell's own height (still flat).
    flat.z[flat.index(0, 0)] = std::nanf("");
    EXPECT_EQ(reliefPixel(flat, own, 0, 0), 0u);
    EXPECT_EQ(reliefPixel(flat, own, 1, 1), 0xFFBBAF70u);
    EXPECT_EQ(reliefPixel(flat, own, 4, 0), 0u);  // off the model

    // A 4 x 2 window drawn on 2 x 1 pixels: each pixel takes the cell under its centre, (1, 1) and (3, 1).
    auto ramp = planeModel(4, 2, VerticalUnit::Metre, [](int c, int r) { return 100.0 * c + 10.0 * r; });
    const ReliefParams rp = reliefParams(ramp, 1000, 1000);
    const auto pixels = renderRelief(ramp, rp, 0, 0, 4, 2, 2, 1);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0], reliefPixel(ramp, rp, 1, 1));
    EXPECT_EQ(pixels[1], reliefPixel(ramp, rp, 3, 1));
    EXPECT_NE(pixels[0], pixels[1]);
}

TEST(ReliefTest, UnitNames) {
    EXPECT_EQ(verticalUnitFromText("Metres"), VerticalUnit::Metre);
    EXPECT_EQ(verticalUnitFromText(" meter "), VerticalUnit::Metre);
    EXPECT_EQ(verticalUnitFromText("FEET"), VerticalUnit::Foot);
    EXPECT_EQ(verticalUnitFromText("international foot"), VerticalUnit::Foot);
    EXPECT_EQ(verticalUnitFromText("US ft"), VerticalUnit::UsFoot);
    EXPECT_EQ(verticalUnitFromText("us-ft"), VerticalUnit::UsFoot);
    EXPECT_EQ(verticalUnitFromText("yards"), VerticalUnit::Unknown);
    EXPECT_EQ(verticalUnitFromText(""), VerticalUnit::Unknown);
    // What the status line writes reads back as the same unit.
    for (const VerticalUnit u : {VerticalUnit::Metre, VerticalUnit::Foot, VerticalUnit::UsFoot})
        EXPECT_EQ(verticalUnitFromText(verticalUnitText(u)), u);
}

}  // namespace
}  // namespace brelvo::terrain
