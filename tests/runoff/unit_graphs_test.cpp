// Dimensionless-graph files and convolution, the triangular unit graph and the Rational Method.
#include "runoff/unit_graphs.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/failure.hpp"

namespace brelvo::runoff {
namespace {

namespace fs = std::filesystem;

// The data folder of the source tree (the build names the tree: a compiler cache may shorten __FILE__).
std::string dataDgfFolder() {
    return (fs::path(BRELVO_SOURCE_DIR) / "data" / "dgf").string();
}

// Writes a dimensionless-graph file into a folder of this test's own and returns the folder. Tests run
// side by side: a file another test rewrites could be read half written.
std::string writeGraphFile(const std::string& name, const std::string& text) {
    const fs::path folder = fs::path(::testing::TempDir()) /
                            ("brelvo_unit_graphs_" +
                             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << text;
    return folder.string();
}

// A storm, the basin and the hydrograph a method builds.
struct Case {
    basin::Storm storm;
    GraphBasin basin;
    basin::Hydrograph hydrograph;
};

// Rain and excess (inches) in steps 1..n; 1 square mile, 1-hour steps, C 1 unless changed.
Case storm(const std::vector<float>& rain, const std::vector<float>& excess) {
    Case state;
    state.basin.areaSqMi = 1;
    state.basin.stepHours = 1;
    state.basin.c = 1;
    state.storm.steps = static_cast<std::int16_t>(rain.size());
    state.storm.upper = static_cast<std::int16_t>(rain.size() + 10);
    state.storm.rainIn.redim(state.storm.upper);
    state.storm.excessIn.redim(state.storm.upper);
    for (std::size_t i = 0; i < rain.size(); ++i) {
        state.storm.rainIn[static_cast<int>(i) + 1] = rain[i];
        state.storm.excessIn[static_cast<int>(i) + 1] = excess[i];
    }
    return state;
}

// A hand-checkable graph: with a 2-hour time to peak (udur 1 h, lag 1.5 h) and a spacing of 50 percent
// the points fall on whole hours, so the samples are the ordinates themselves. Their sum is 400, so
// on 1 square mile the unit graph is 645.36 / 400 = 1.6134 cfs per unit: 161.34, 322.68, 159.7266,
// 1.6134, 0 cfs at hours 1..5.
const char* const kHandGraph = "title\ndescription\n6,50\n0,100,200\n99\r\n1,0,\n";

TEST(DimensionlessGraph, UnitGraphCarriesOneInchWhateverTheOrdinateScale) {
    std::ifstream file(dataDgfFolder() + "/SCS.DGF", std::ios::binary);
    ASSERT_TRUE(file.is_open());
    const DimensionlessGraph scs = parseDimensionlessGraph(file);
    ASSERT_EQ(scs.ordinates.size(), 51u);
    EXPECT_FLOAT_EQ(scs.spacingPercent, 10.0f);
    EXPECT_FLOAT_EQ(scs.ordinates[10], 1.0f);  // the peak at t = Tp

    // 2.5 square miles, 15-minute steps: sum(u) * udur = 645.36 * 2.5 cfs-hours (relative 1e-5,
    // the float rounding of a few dozen ordinates and their sum).
    const std::vector<float> u = sampleUnitGraph(scs, 2.5f, 1.2f, 0.25f);
    EXPECT_EQ(u.size(), 26u);  // T(50) = 5 * (0.125 + 1.2) = 6.625 h: samples at 0.25 .. 6.5 h
    const double sum = std::accumulate(u.begin(), u.end(), 0.0);
    EXPECT_NEAR(sum * 0.25, 645.36 * 2.5, 645.36 * 2.5 * 1e-5);

    DimensionlessGraph scaled = scs;
    for (float& y : scaled.ordinates) y *= 1000;
    const std::vector<float> same = sampleUnitGraph(scaled, 2.5f, 1.2f, 0.25f);
    ASSERT_EQ(same.size(), u.size());
    for (std::size_t j = 0; j < u.size(); ++j) EXPECT_NEAR(same[j], u[j], 1e-5 * u[j] + 1e-6) << j;
}

TEST(DimensionlessGraph, ConvolutionAndTheEndThresholds) {
    const std::string folder = writeGraphFile("brelvo_hand.dgf", kHandGraph);

    // Two steps of 1 and 0.5 in: the excess of step i meets u(n - i) at ordinate n.
    Case state = storm({1, 0.5f}, {1, 0.5f});
    state.basin.lagHours = 1.5f;
    std::optional<GraphResult> result =
        unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    ASSERT_TRUE(result.has_value());
    const float twoSteps[] = {0, 161.34f, 403.35f, 321.0666f, 81.4767f, 0.8067f};
    for (int n = 0; n <= 5; ++n) EXPECT_NEAR(state.hydrograph.flowCfs[n], twoSteps[n], 1e-3) << n;
    EXPECT_EQ(state.hydrograph.last, 5);  // 0.8067 cfs after a peak above 10 cfs is below 1.0 cfs
    EXPECT_NEAR(state.hydrograph.peakCfs, 403.35, 1e-3);
    EXPECT_EQ(state.hydrograph.peakIndex, 2);
    EXPECT_NEAR(result->ordinateSum, 968.04, 1e-2);  // 1.5 inch: 1.5 * 645.36 cfs-hours

    // Half impervious: 1 in of rain with no pervious excess runs off 0.5 in; the peak (161.34) is
    // above 10 cfs, so 0.8067 cfs at hour 4 ends the hydrograph.
    state = storm({1}, {0});
    state.basin.lagHours = 1.5f;
    state.basin.imperviousFraction = 0.5f;
    result = unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    EXPECT_EQ(state.hydrograph.last, 4);
    EXPECT_NEAR(state.hydrograph.flowCfs[4], 0.8067, 1e-4);
    EXPECT_NEAR(result->ordinateSum, 322.68, 1e-2);

    // 0.01 in: the peak is 3.2268 cfs, so the threshold is 0.0001 cfs and 0.016134 cfs goes on.
    state = storm({0.01f}, {0.01f});
    state.basin.lagHours = 1.5f;
    result = unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    EXPECT_EQ(state.hydrograph.last, 5);
    EXPECT_NEAR(state.hydrograph.peakCfs, 3.2268, 1e-5);
    EXPECT_NEAR(state.hydrograph.flowCfs[4], 0.016134, 1e-6);
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[6], 0.0f);

    // No excess: nothing (the run says "No Excess Rainfall"), and the previous hydrograph stays.
    state.storm.excessIn[1] = 0;
    state.storm.rainIn[1] = 0;
    result = unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(state.hydrograph.last, 5);
    EXPECT_NEAR(state.hydrograph.flowCfs[2], 3.2268, 1e-5);
}

TEST(DimensionlessGraph, LowOrdinatesWhileRainStillFallsDoNotEndTheHydrograph) {
    const std::string folder = writeGraphFile("brelvo_hand.dgf", kHandGraph);

    // A storm that starts gently: 1e-6 in, four dry steps, then 1 in. The first step alone gives
    // 0.00016134 and 0.00032268 cfs at hours 1 and 2, then 0 at hour 5, below the 0.0001 cfs threshold
    // of so small a peak; the hydrograph goes on to the real storm: 161.34, 322.68, 159.7266, 1.6134 cfs
    // at hours 6..9, and ends at hour 10 (0 cfs, below 1.0 cfs now that the peak is above 10 cfs).
    Case state = storm({1e-6f, 0, 0, 0, 0, 1}, {1e-6f, 0, 0, 0, 0, 1});
    state.basin.lagHours = 1.5f;
    std::optional<GraphResult> result =
        unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(state.hydrograph.last, 10);
    EXPECT_NEAR(state.hydrograph.peakCfs, 322.68, 1e-3);
    EXPECT_EQ(state.hydrograph.peakIndex, 7);
    EXPECT_NEAR(state.hydrograph.flowCfs[2], 0.00032268, 1e-8);
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[5], 0.0f);
    EXPECT_NEAR(state.hydrograph.flowCfs[9], 1.6134, 1e-4);
    EXPECT_NEAR(result->ordinateSum, 645.36, 1e-2);

    // A lull within the storm: 1 in, four dry steps, 0.5 in. The flows of the first step fall to 0 at
    // hour 5, before the last step's rain; the second burst gives 80.67, 161.34, 79.8633, 0.8067 cfs at
    // hours 6..9, and 0.8067 cfs, below 1.0 cfs, ends it at hour 9. The peak stays the first burst's.
    state = storm({1, 0, 0, 0, 0, 0.5f}, {1, 0, 0, 0, 0, 0.5f});
    state.basin.lagHours = 1.5f;
    result = unitGraphFile(state.storm, state.basin, "brelvo_hand.dgf", folder, state.hydrograph);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(state.hydrograph.last, 9);
    EXPECT_NEAR(state.hydrograph.peakCfs, 322.68, 1e-3);
    EXPECT_EQ(state.hydrograph.peakIndex, 2);
    EXPECT_NEAR(state.hydrograph.flowCfs[7], 161.34, 1e-3);
    EXPECT_NEAR(state.hydrograph.flowCfs[9], 0.8067, 1e-4);
    EXPECT_NEAR(result->ordinateSum, 968.04, 1e-2);
}

TEST(DimensionlessGraph, OrdinatesEndWhereTheUnitGraphArrayEnds) {
    // Ordinate n reads u(n - 1) for the first rain step; u's array ends at index 2,000.
    Case state = storm({1}, {1});
    convolveUnitGraph(state.storm, state.basin.imperviousFraction, std::vector<float>(2000, 1.0f),
                      state.hydrograph);
    EXPECT_EQ(state.hydrograph.last, 2001);  // u(2000) is past the sampled values: 0
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[2000], 1.0f);

    state = storm({1}, {1});
    EXPECT_THROW(convolveUnitGraph(state.storm, state.basin.imperviousFraction,
                                   std::vector<float>(2001, 1.0f), state.hydrograph),
                 common::RuntimeFailure);
}

TEST(DimensionlessGraph, BadFilesFailWithoutCrashing) {
    auto failureOf = [&](const std::string& text, float udur = 1) {
        const std::string folder = writeGraphFile("brelvo_bad.dgf", text);
        Case state = storm({1}, {1});
        state.basin.lagHours = 1.5f;
        state.basin.stepHours = udur;
        try {
            unitGraphFile(state.storm, state.basin, "brelvo_bad.dgf", folder, state.hydrograph);
        } catch (const common::RuntimeFailure& failure) {
            return failure.number();
        }
        return 0;
    };
    EXPECT_EQ(failureOf(""), 62);                                // no lines at all
    EXPECT_EQ(failureOf("title only"), 62);                      // the second line is missing
    EXPECT_EQ(failureOf("t\nd\n6,50\n0,100,200\n"), 62);         // three of six ordinates
    EXPECT_EQ(failureOf("t\nd\n6,50\n0,100,abc,99,1,0\n"), 13);  // an ordinate that is no number
    EXPECT_EQ(failureOf("t\nd\n2002,50\n"), 9);                  // more than 2,001 points
    EXPECT_EQ(failureOf("t\nd\n0,50\n"), 9);                     // no points
    EXPECT_EQ(failureOf("t\nd\n6,50\n0,1e39,2,1,0,0\n"), 6);     // beyond a single
    // 0.001-hour steps over a graph that ends at 2.5 * 1.5005 = 3.75 hours need 3,751 unit-graph ordinates.
    EXPECT_EQ(failureOf(kHandGraph, 0.001f), 9);

    Case state = storm({1}, {1});
    try {
        unitGraphFile(state.storm, state.basin, "no_such_graph.dgf", ::testing::TempDir(), state.hydrograph);
        ADD_FAILURE() << "a missing file must fail";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 53);
    }
}

TEST(TriangleGraph, SuperposedTrianglesAndTheirFailures) {
    // udur 1 h, lag 2 h: np = CInt(2.5) = 2, nr = CInt(3.34) = 3, base 5 steps. Half impervious
    // turns rain 1, 1 with pervious excess 1, 0 into 1 and 0.5 in; qp = 484 * 1 / 2 = 242 cfs and 121.
    Case state = storm({1, 1}, {1, 0});
    state.basin.lagHours = 2;
    state.basin.imperviousFraction = 0.5f;
    std::optional<GraphResult> result = triangleGraph(state.storm, state.basin, state.hydrograph);
    ASSERT_TRUE(result.has_value());
    const float twoSteps[] = {0, 121, 302.5f, 282.3333f, 161.3333f, 40.3333f, 0, 0, 0};
    for (int n = 0; n <= 8; ++n) EXPECT_NEAR(state.hydrograph.flowCfs[n], twoSteps[n], 1e-3) << n;
    EXPECT_EQ(state.hydrograph.last, 8);  // 5 + 2 + 1
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 302.5f);
    EXPECT_NEAR(result->ordinateSum, 907.5, 1e-3);

    // One step of 1 in on the same state: 121, 242, 161.33, 80.67, 0; the peak is this run's.
    state.storm.steps = 1;
    state.basin.imperviousFraction = 0;
    state.storm.excessIn[1] = 1;
    result = triangleGraph(state.storm, state.basin, state.hydrograph);
    const float oneStep[] = {0, 121, 242, 161.3333f, 80.6667f, 0, 0, 0};
    for (int n = 0; n <= 7; ++n) EXPECT_NEAR(state.hydrograph.flowCfs[n], oneStep[n], 1e-3) << n;
    EXPECT_EQ(state.hydrograph.last, 7);
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 242.0f);
    EXPECT_EQ(state.hydrograph.peakIndex, 2);
    EXPECT_NEAR(result->ordinateSum, 605, 1e-3);

    // A zero lag (np = CInt(0.5) = 0) fails; the hydrograph stays.
    state.basin.lagHours = 0;
    EXPECT_THROW(triangleGraph(state.storm, state.basin, state.hydrograph), common::RuntimeFailure);
    state.basin.lagHours = 2;
    state.basin.stepHours = 0;
    EXPECT_THROW(triangleGraph(state.storm, state.basin, state.hydrograph), common::RuntimeFailure);
    EXPECT_NEAR(state.hydrograph.flowCfs[1], 121, 1e-3);

    // No excess: the message, and nothing else changes.
    state.basin.stepHours = 1;
    state.storm.rainIn[1] = 0;
    state.storm.excessIn[1] = 0;
    EXPECT_FALSE(triangleGraph(state.storm, state.basin, state.hydrograph).has_value());
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 242.0f);
}

TEST(RationalGraph, WindowFlowsAndTheVolumeBalance) {
    // One step of 1 in, C 1, lag = udur = 1 h, 640 acres: Q = 640 cfs for one step; after the rain the
    // volume left (53.33 acre-ft less twice 52.89) is negative, so the window empties and is raised
    // back to the step's excess: one more 640, then the closing zero.
    Case state = storm({1}, {1});
    state.basin.lagHours = 1;
    std::optional<GraphResult> result = rationalGraph(state.storm, state.basin, state.hydrograph);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->rational);
    const float example[] = {0, 640, 640, 0};
    for (int n = 0; n <= 3; ++n) EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[n], example[n]) << n;
    EXPECT_EQ(state.hydrograph.last, 3);
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 640.0f);
    EXPECT_EQ(state.hydrograph.peakIndex, 1);
    EXPECT_FLOAT_EQ(result->ordinateSum, 1280.0f);

    // Two steps of 1 in, lag 1 h: the window holds one step, so the flow stays at 640 cfs.
    state = storm({1, 1}, {1, 1});
    state.basin.lagHours = 1;
    result = rationalGraph(state.storm, state.basin, state.hydrograph);
    const float sliding[] = {0, 640, 640, 640, 0};
    for (int n = 0; n <= 4; ++n) EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[n], sliding[n]) << n;
    EXPECT_EQ(state.hydrograph.last, 4);

    // 0.5 then 1 in, lag 4 h: 80 and 240 cfs; 80 - 2 * 26.45 acre-ft remain, so the flow holds one
    // step (taking 79.34 off); then the window empties backwards, 1.5 -> 1.0 -> 0.5 in, and holds at
    // the first step's 0.5 in (80 cfs) until the flows carry the 80 acre-ft.
    state = storm({0.5f, 1}, {0.5f, 1});
    state.basin.lagHours = 4;
    result = rationalGraph(state.storm, state.basin, state.hydrograph);
    const float recession[] = {0, 80, 240, 240, 160, 80, 80, 80, 0};
    for (int n = 0; n <= 8; ++n) EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[n], recession[n]) << n;
    EXPECT_EQ(state.hydrograph.last, 8);
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 240.0f);
    EXPECT_EQ(state.hydrograph.peakIndex, 2);
    EXPECT_FLOAT_EQ(result->ordinateSum, 960.0f);

    // C = 1.2: warned, and computed with 1.2.
    state = storm({1}, {1});
    state.basin.lagHours = 1;
    state.basin.c = 1.2f;
    result = rationalGraph(state.storm, state.basin, state.hydrograph);
    // The run warns of such a C before the method runs; 0 too, 1 not.
    EXPECT_TRUE(rationalCOutOfRange(state.basin.c));
    EXPECT_TRUE(rationalCOutOfRange(0.0f));
    EXPECT_FALSE(rationalCOutOfRange(1.0f));
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[1], 768.0f);
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[2], 768.0f);
    EXPECT_EQ(state.hydrograph.last, 3);
}

TEST(RationalGraph, NoExcessKeepsThePreviousHydrographAndFailuresEndTheRun) {
    Case state = storm({1}, {1});
    state.basin.lagHours = 1;
    rationalGraph(state.storm, state.basin, state.hydrograph);

    // A storm without excess gives nothing and keeps the hydrograph and its peak.
    state.storm.rainIn[1] = 0;
    state.storm.excessIn[1] = 0;
    EXPECT_FALSE(rationalGraph(state.storm, state.basin, state.hydrograph).has_value());
    EXPECT_FLOAT_EQ(state.hydrograph.flowCfs[2], 640.0f);
    EXPECT_FLOAT_EQ(state.hydrograph.peakCfs, 640.0f);
    EXPECT_EQ(state.hydrograph.last, 3);

    state = storm({1}, {1});
    state.basin.lagHours = 0;
    EXPECT_THROW(rationalGraph(state.storm, state.basin, state.hydrograph), common::RuntimeFailure);

    // Lag 0.4 h with 1-hour steps gives an empty window (nc = 0) and a last step without excess: the
    // recession never carries the volume and ends at the last ordinate qi can hold.
    state = storm({1, 0}, {1, 0});
    state.basin.lagHours = 0.4f;
    try {
        rationalGraph(state.storm, state.basin, state.hydrograph);
        ADD_FAILURE() << "an unbalanced recession must fail";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 9);
    }
}

std::string graphRefusal(const std::string& text) {
    std::istringstream in(text);
    try {
        (void)parseDimensionlessGraph(in, "My.DGF");
    } catch (const common::RuntimeFailure& failure) {
        return failure.description() + " / " + failure.cause();
    }
    return "accepted";
}

TEST(DimensionlessGraphRefusals, NameTheFileTheLineAndTheTextFound) {
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0\n1O0\n0\n"),
              "Type mismatch / My.DGF, line 5: \"1O0\" is not a number.");
    EXPECT_EQ(
        graphRefusal("t\nd\n3.5,50\n0\n1\n0\n"),
        "Subscript out of range / My.DGF, line 3: \"3.5\" is not a whole number of points (1 to 2,001).");
    EXPECT_EQ(
        graphRefusal("t\nd\n2002,50\n"),
        "Subscript out of range / My.DGF, line 3: \"2002\" is not a whole number of points (1 to 2,001).");
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0\n1\n"),
              "Input past end of file / My.DGF: the file announces 3 points but holds 2.");
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0,1,0\n"), "accepted");
}

TEST(DimensionlessGraphRefusals, AUnitGraphPastItsBoundSaysSo) {
    DimensionlessGraph graph;
    graph.spacingPercent = 100;
    graph.ordinates = {0, 1, 0};  // two times to peak long: 2 * (0.5 + 2000) hours in 1-hour steps
    try {
        (void)sampleUnitGraph(graph, 1, 2000, 1);
        FAIL() << "accepted";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(
            failure.description() + " / " + failure.cause(),
            "Subscript out of range / The unit graph needs more than 2,001 ordinates: use a longer time "
            "step.");
    }
}

}  // namespace
}  // namespace brelvo::runoff
