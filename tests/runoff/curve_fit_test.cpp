// The shape-preserving cubic: slopes and values worked out by hand from the harmonic-mean rules.
#include "runoff/curve_fit.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "common/failure.hpp"

namespace brelvo::runoff {
namespace {

// Index 0 of every array is the left end point the fit itself does not use.
TEST(Crvfit, MonotoneDataTakesHarmonicMeansAndLimitedEndSlopes) {
    const std::vector<float> x{0, 0, 1, 2, 4};
    const std::vector<float> y{0, 0, 1, 3, 4};
    std::vector<float> t(5, 0.0f);
    // Secants 1, 2, 0.5. Point 1: 2*1 - 2 = 0, but the next secant is steeper, so 1/(2/1 - 1/2) = 2/3,
    // and t1 = 1/(0.5/1 + 0.5/(2/3)) = 0.8. Interior: 1/(0.5 + 0.25) = 4/3 and 1/(0.25 + 1) = 0.8.
    // Point 4: 2*0.5 - 2 = -1, the neighbour is steeper: 1/(2/0.5 - 1/2) = 2/7; t4 = 1/(1.75 + 1) = 4/11.
    EXPECT_EQ(CRVFIT(x, y, t, 4), 0);
    EXPECT_FLOAT_EQ(t[1], 0.8f);
    EXPECT_FLOAT_EQ(t[2], 4.0f / 3.0f);
    EXPECT_FLOAT_EQ(t[3], 0.8f);
    EXPECT_FLOAT_EQ(t[4], 4.0f / 11.0f);
    EXPECT_EQ(t[0], 0.0f);
}

TEST(Crvfit, TurningPointIsFlatAndEndsUseTheUnlimitedExtrapolation) {
    const std::vector<float> x{0, 0, 1, 2};
    const std::vector<float> y{0, 0, 1, 0};
    std::vector<float> t(4, 0.0f);
    // Secants 1 and -1. t1 = HM(1, 2*1 + 1) = 1/(0.5 + 1/6) = 1.5; t3 = HM(-2 - 1, -1) = -1.5.
    EXPECT_EQ(CRVFIT(x, y, t, 3), 0);
    EXPECT_FLOAT_EQ(t[1], 1.5f);
    EXPECT_EQ(t[2], 0.0f);
    EXPECT_FLOAT_EQ(t[3], -1.5f);
}

TEST(Crvfit, StopsEarlyOnTooFewPointsOrAnIntervalThatIsNotPositive) {
    std::vector<float> t(3, 9.0f);
    EXPECT_EQ(CRVFIT({0, 0, 1}, {0, 0, 1}, t, 2), 2);
    EXPECT_EQ(t, (std::vector<float>{9, 9, 9}));

    // Points 3 and 4 share a duration: point 3 gets slope 0 and the fit ends there.
    const std::vector<float> x{0, 0, 1, 2, 2, 3};
    const std::vector<float> y{0, 0, 1, 3, 4, 5};
    std::vector<float> slopes(6, 9.0f);
    EXPECT_EQ(CRVFIT(x, y, slopes, 5), 2);
    EXPECT_FLOAT_EQ(slopes[1], 0.8f);  // secants 1 and 2, as in the monotone case
    EXPECT_FLOAT_EQ(slopes[2], 4.0f / 3.0f);
    EXPECT_EQ(slopes[3], 0.0f);
    EXPECT_EQ(slopes[4], 9.0f);
    EXPECT_EQ(slopes[5], 9.0f);

    std::vector<float> same(4, 9.0f);
    EXPECT_EQ(CRVFIT({0, 1, 1, 2}, {0, 0, 1, 2}, same, 3), 2);
    EXPECT_EQ(same[1], 9.0f);
}

// Points (0, 0), (1, 1), (3, 2), all slopes 0: on (1, 3) h = 2, delta = 0.5, c2 = 1.5/2 = 0.75,
// c3 = -1/4, so the value is 1 + 0.75 d^2 - 0.25 d^3.
TEST(CurveValueAt, SearchesForwardOnlyAndExtrapolatesPastTheLastPoint) {
    const std::vector<float> x{0, 1, 3};
    const std::vector<float> y{0, 1, 2};
    const std::vector<float> t{0, 0, 0};
    int w = 1;
    EXPECT_FLOAT_EQ(curveValueAt(0.5f, x, y, t, 2, w), 0.5f);  // 3 d^2 - 2 d^3 on (0, 1)
    EXPECT_EQ(w, 1);
    EXPECT_FLOAT_EQ(curveValueAt(2.0f, x, y, t, 2, w), 1.5f);
    EXPECT_FLOAT_EQ(curveValueAt(2.5f, x, y, t, 2, w), 1.84375f);  // 1 + 0.75 * 2.25 - 0.25 * 3.375
    EXPECT_EQ(w, 2);
    EXPECT_FLOAT_EQ(curveValueAt(4.0f, x, y, t, 2, w), 1.0f);  // d = 3: 1 + 6.75 - 6.75
    EXPECT_EQ(w, 3);
    // The index is not moved back: 0.5 is now read off the last interval, d = -0.5.
    EXPECT_FLOAT_EQ(curveValueAt(0.5f, x, y, t, 2, w), 1.21875f);
}

TEST(CurveValueAt, WorksInSinglePrecisionStepByStep) {
    // Rows (2 h, 1.30 in) and (6 h, 2.10 in) with slopes 0.2285714 and 0.1: at 4.25 h each operation
    // rounded to a single gives 1.81767559; the same cubic in double, rounded once, gives 1.81767571.
    const std::vector<float> x{0, 2, 6}, y{0, 1.3f, 2.1f}, t{0, 0.2285714f, 0.1f};
    int w = 1;
    EXPECT_EQ(curveValueAt(4.25f, x, y, t, 2, w), 1.81767559f);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(curveValueAt(5.5f, x, y, t, 2, w), 2.03984380f);  // 2.03984356 in double
}

TEST(CurveValueAt, ZeroWidthIntervalIsADivisionByZero) {
    int w = 1;
    try {
        (void)curveValueAt(1.5f, {0, 1, 1}, {0, 1, 2}, {0, 0, 0}, 2, w);
        ADD_FAILURE() << "no failure";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 11);
    }
}

}  // namespace
}  // namespace brelvo::runoff
