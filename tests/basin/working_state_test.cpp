// Bounds of the runoff series: running past an end is the run's "Subscript out of range".
#include "basin/working_state.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/failure_number.hpp"

namespace brelvo::basin {
namespace {

using testing_support::failureNumber;

TEST(Series, IndicesOutsideZeroToUpperFail) {
    Series series;
    EXPECT_EQ(series.size(), 0);
    EXPECT_EQ(failureNumber([&] { series[0] = 1; }), 9);

    series.redim(2);
    series[2] = 4.5f;
    EXPECT_EQ(series.upper(), 2);
    EXPECT_EQ(failureNumber([&] { series[3] = 1; }), 9);
    EXPECT_EQ(failureNumber([&] { series[-1] = 1; }), 9);
    const Series& view = series;
    EXPECT_EQ(failureNumber([&] { (void)view[3]; }), 9);
    EXPECT_EQ(failureNumber([&] { series.redim(-2); }), 9);
}

TEST(Series, RedimClearsAndRedimPreserveKeeps) {
    Series series;
    series.redim(1);
    series[0] = 1;
    series[1] = 2;
    series.redimPreserve(3);
    EXPECT_EQ(series.values(), (std::vector<float>{1, 2, 0, 0}));
    series.redimPreserve(0);
    EXPECT_EQ(series.values(), (std::vector<float>{1}));
    series.redim(2);
    EXPECT_EQ(series.values(), (std::vector<float>{0, 0, 0}));
    series.redim(-1);
    EXPECT_EQ(series.size(), 0);
}

}  // namespace
}  // namespace brelvo::basin
