// Control point fits on constructed points: the two-point similarity, the four-point affine least squares
// with its residuals, and the point sets that give no map.
#include "measure/control_points.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "common/messages.hpp"

namespace brelvo::measure {
namespace {

void expectTransform(const std::array<double, 6>& got, const std::array<double, 6>& want) {
    for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(got[i], want[i], 1e-9 * (1 + std::fabs(want[i]))) << i;
}

TEST(ControlPoints, TwoPointsGiveTheSimilarityThroughThem) {
    // Scale 5 turned by atan(4/3) from (1000, 2000); rows run down the picture, Y up the map:
    // X = 1000 + 3 column + 4 row, Y = 2000 + 4 column - 3 row.
    std::string error;
    const auto fit = fitControlPoints({{{10, 20}, {1110, 1980}}, {{50, 5}, {1170, 2185}}}, error);
    ASSERT_TRUE(fit) << error;
    expectTransform(fit->geotransform, {1000, 3, 4, 2000, 4, -3});
    ASSERT_EQ(fit->residuals.size(), 2u);
    EXPECT_NEAR(fit->residuals[0], 0, 1e-9);
    EXPECT_NEAR(fit->residuals[1], 0, 1e-9);

    // North up with 10 m pixels: the plain case a scan usually is.
    const auto plain =
        fitControlPoints({{{0, 0}, {500000, 4400000}}, {{300, 200}, {503000, 4398000}}}, error);
    ASSERT_TRUE(plain) << error;
    expectTransform(plain->geotransform, {500000, 10, 0, 4400000, 0, -10});
}

TEST(ControlPoints, FourPointsGiveTheAffineOfLeastSquaresWithResiduals) {
    // X = 500000 + 20 column + 2 row, Y = 4400000 - column - 20 row at the corners of a 100 pixel
    // square; the third point's X typed 4 m too far east. For a square each corner's fitted value moves
    // by a quarter of that, alternately: every residual is 1 m, and the fit is X = 499999 + 20.02
    // column + 2.02 row.
    std::vector<ControlPoint> points;
    for (const auto& [c, r] :
         std::vector<std::pair<double, double>>{{0, 0}, {100, 0}, {100, 100}, {0, 100}}) {
        points.push_back({{c, r}, {500000 + 20 * c + 2 * r, 4400000 - c - 20 * r}});
    }
    std::string error;
    const auto exact = fitControlPoints(points, error);
    ASSERT_TRUE(exact) << error;
    expectTransform(exact->geotransform, {500000, 20, 2, 4400000, -1, -20});
    for (const double r : exact->residuals) EXPECT_NEAR(r, 0, 1e-6);

    points[2].map.x += 4;
    const auto fit = fitControlPoints(points, error);
    ASSERT_TRUE(fit) << error;
    expectTransform(fit->geotransform, {499999, 20.02, 2.02, 4400000, -1, -20});
    ASSERT_EQ(fit->residuals.size(), 4u);
    for (const double r : fit->residuals) EXPECT_NEAR(r, 1, 1e-6);
}

TEST(ControlPoints, PointsThatGiveNoMapAreRefusedByName) {
    namespace msg = common::msg;
    std::string error;
    auto refused = [&error](const std::vector<ControlPoint>& points) {
        const bool none = !fitControlPoints(points, error);
        return none ? error : std::string("fitted");
    };
    EXPECT_EQ(refused({}), msg::kControlPointsTooFew);
    EXPECT_EQ(refused({{{1, 2}, {3, 4}}}), msg::kControlPointsTooFew);
    EXPECT_EQ(refused({{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}, {{1, 2}, {9, 9}}}),
              msg::controlPointsSamePixel(1, 3));
    EXPECT_EQ(refused({{{1, 2}, {3, 4}}, {{5, 6}, {3, 4}}}), msg::controlPointsSameMapPoint(1, 2));
    // Three points in one line across the picture, and three whose map points lie in one line.
    EXPECT_EQ(refused({{{0, 0}, {0, 0}}, {{10, 10}, {5, 1}}, {{20, 20}, {9, 7}}}), msg::kControlPointsInLine);
    EXPECT_EQ(refused({{{0, 0}, {0, 0}}, {{10, 0}, {10, 10}}, {{0, 10}, {20, 20}}}),
              msg::kControlPointsMapInLine);
    EXPECT_EQ(refused({{{0, 0}, {0, 0}}, {{10, 0}, {std::nan(""), 1}}}), msg::kControlPointNotNumber);
}

}  // namespace
}  // namespace brelvo::measure
