// Areal reduction factors: tabled values, log interpolation in duration and area, and the limits.
#include "basin/areal_reduction.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/numbers.hpp"

namespace brelvo::basin {
namespace {

// The factor as the rainfall grid shows it.
std::string factorText(float area, float duration) {
    return common::formatPattern(arealReductionFactor(area, duration), "0.000");
}

TEST(ArealReduction, TabledValuesAndLogInterpolation) {
    EXPECT_EQ(factorText(100, 6), "0.894");
    EXPECT_EQ(factorText(50, 3), "0.900");
    EXPECT_EQ(factorText(10, 1), "0.945");
    EXPECT_EQ(factorText(1, 6), "1.000");
    // Between 1 h (0.725) and 3 h (0.848) at 100 sq mi: ln 2 / ln 3 = 0.6309 of the way in logs.
    EXPECT_EQ(factorText(100, 2), "0.800");
    // Between 50 (0.930) and 100 sq mi (0.894) at 6 h: ln 1.5 / ln 2 = 0.5850 of the way, exp(-0.09567).
    EXPECT_EQ(factorText(75, 6), "0.909");
    // Both: at 2 h, 50 sq mi gives ln 0.805 + 0.6309 (ln 0.9 - ln 0.805) = -0.14628 and 100 sq mi
    // -0.22271; 0.5850 of the way between them is -0.19099, exp 0.826.
    EXPECT_EQ(factorText(75, 2), "0.826");
}

TEST(ArealReduction, LimitsOfTheTable) {
    EXPECT_EQ(factorText(400, 0.5f), "0.550");
    EXPECT_EQ(factorText(1000, 0.25f), "0.550");  // area limited to 400, duration to 0.5
    EXPECT_EQ(factorText(1000, 24), "0.913");
    EXPECT_EQ(factorText(100, 48), "0.935");  // beyond 24 h: the 24-hour row
    EXPECT_EQ(arealReductionFactor(0.5f, 6), 1.0f);
    EXPECT_EQ(arealReductionFactor(0.999f, 0.5f), 1.0f);
    EXPECT_EQ(arealReductionFactor(-3, 6), 1.0f);
}

}  // namespace
}  // namespace brelvo::basin
