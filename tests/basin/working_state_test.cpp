// Bounds of the runoff series: running past an end is the run's "Subscript out of range". The list texts
// of the hydrograph methods and rainfall arrangements, decoded by their one table each.
#include "basin/working_state.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "basin/basin_block.hpp"
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

// Every list entry decodes to what it names, by its exact text; the lists are made from the same tables.
TEST(ListTexts, MethodsAndArrangementsAreDecodedOnceFromTheirTexts) {
    const std::vector<std::string>& methods = dimgraphItems();
    ASSERT_EQ(methods.size(), 10u);
    EXPECT_EQ(graphMethodOf(methods[0]), GraphMethod::rational);
    EXPECT_EQ(methods[0], "Rational Method");
    EXPECT_EQ(graphMethodOf(methods[1]), GraphMethod::triangle);
    EXPECT_EQ(methods[1], "Triangle Unit Graph");
    for (std::size_t i = 2; i < methods.size(); ++i)
        EXPECT_EQ(graphMethodOf(methods[i]), GraphMethod::graphFile);
    EXPECT_EQ(graphMethodOf("rational method"), GraphMethod::graphFile);  // a file of that name

    EXPECT_EQ(rainItems(),
              (std::vector<std::string>{"Average", "None", "Peak at 2/3", "Peak at 1/3", "Peak Centered",
                                        "Storm File", "NRCS Type I", "NRCS Type IA", "NRCS Type II",
                                        "NRCS Type III", "Temporal Distribution"}));
    for (const std::string& item : rainItems()) {
        const ArrangementText* named = arrangementOf(item);
        ASSERT_NE(named, nullptr) << item;
        EXPECT_EQ(isStormFile(item), item == "Storm File");
    }
    EXPECT_EQ(arrangementOf("Peak at 2/3")->peak, PeakPlacement::twoThirds);
    EXPECT_EQ(arrangementOf("Average")->source, RainSource::average);
    EXPECT_FALSE(arrangementOf("Average")->peak.has_value());  // keeps the previous run's peak
    EXPECT_EQ(arrangementOf("storm file"), nullptr);
    // The NRCS entries: each its own distribution, none a storm file.
    EXPECT_EQ(arrangementOf("NRCS Type I")->nrcs, NrcsType::typeI);
    EXPECT_EQ(arrangementOf("NRCS Type IA")->nrcs, NrcsType::typeIA);
    EXPECT_EQ(arrangementOf("NRCS Type II")->nrcs, NrcsType::typeII);
    EXPECT_EQ(arrangementOf("NRCS Type III")->source, RainSource::nrcs);
    EXPECT_EQ(arrangementOf("NRCS Type III")->nrcs, NrcsType::typeIII);
    EXPECT_EQ(arrangementOf("NRCS Type 2"), nullptr);
    EXPECT_FALSE(isStormFile("Select Rainfall Arrangement"));
}

}  // namespace
}  // namespace brelvo::basin
