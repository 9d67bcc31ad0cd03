// The chart's series: runs of different time steps against the same hours, legend names, the excess as
// steps, round tick spacing and thinning that keeps the peak.
#include "runoff/chart_series.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>

namespace brelvo::runoff {
namespace {

class ChartSeriesTest : public ::testing::Test {
  protected:
    ChartSeriesTest() {
        run.methodText = "SCS.DGF";
        run.arrangementText = "Peak at 2/3";
        h.inflow.flowCfs.redim(basin::kHydrographUpper);
        h.routed.outflowCfs.redim(basin::kHydrographUpper);
        run.storm.rainIn.redim(4);
        run.storm.excessIn.redim(4);
    }
    basin::WorkingHydrograph h;
    ReportRun run;
};

TEST_F(ChartSeriesTest, RunsOfDifferentStepsLineUpInHours) {
    // A half-hour run: 0, 40, 100, 20 cfs; then a 10-minute run of the same storm.
    run.stepHours = 0.5f;
    run.storm.steps = 2;
    run.storm.excessIn[1] = 0.25f;
    run.storm.excessIn[2] = 0.5f;
    const float first[] = {0, 40, 100, 20};
    for (int i = 0; i < 4; ++i) h.inflow.flowCfs[i] = first[i];
    h.inflow.last = 3;
    const RunPlot a = plotOfRun(h, run, 1, false);
    EXPECT_EQ(a.name, "Runoff 1 (SCS.DGF, Peak at 2/3, 30 min)");
    EXPECT_EQ(a.line, (std::vector<ChartPoint>{{0, 0}, {0.5, 40}, {1, 100}, {1.5, 20}}));
    EXPECT_EQ(a.excess,
              (std::vector<ChartPoint>{
                  {0, 0}, {0, 0.25}, {0.5, 0.25}, {0.5, 0}, {0.5, 0}, {0.5, 0.5}, {1, 0.5}, {1, 0}}));

    run.stepHours = 1.0f / 6.0f;
    h.inflow.last = 9;
    for (int i = 0; i <= 9; ++i) h.inflow.flowCfs[i] = static_cast<float>(10 * i);
    const RunPlot b = plotOfRun(h, run, 2, false);
    EXPECT_EQ(b.name, "Runoff 2 (SCS.DGF, Peak at 2/3, 10 min)");
    ASSERT_EQ(b.line.size(), 10u);
    // Ordinate 3 of the 10-minute run is at half an hour, where ordinate 1 of the first run is.
    EXPECT_EQ(b.line[3].hours, static_cast<double>(3 * (1.0f / 6.0f)));
    EXPECT_NEAR(b.line[3].hours, a.line[1].hours, 1e-6);
    EXPECT_NEAR(b.line[9].hours, 1.5, 1e-6);
    EXPECT_EQ(b.line[9].value, 90);
}

TEST_F(ChartSeriesTest, RoutingRunsAreNamedForTheirMethodAndDrawTheOutflow) {
    run.stepHours = 1;
    h.inflow.last = 2;
    for (int i = 0; i <= 2; ++i) {
        h.inflow.flowCfs[i] = 100;
        h.routed.outflowCfs[i] = static_cast<float>(i);
    }
    run.muskingumKText = "0.5";
    run.muskingumXText = "0.1";
    run.route = basin::RouteMethod::muskingum;
    RunPlot p = plotOfRun(h, run, 1, false);
    EXPECT_EQ(p.name, "Muskingum K=0.5 X=0.1");
    EXPECT_EQ(p.line, (std::vector<ChartPoint>{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_TRUE(p.excess.empty());
    run.route = basin::RouteMethod::combine;
    run.combinedFileName = "/data/jobs/upstream.GRF";
    EXPECT_EQ(plotOfRun(h, run, 1, true).name, "Inflow (file upstream.GRF)");
    EXPECT_EQ(plotOfRun(h, run, 1, false).name, "Combined with upstream.GRF");
    run.route = basin::RouteMethod::storage;
    run.storageFileName = "/data/pond.RAT";
    EXPECT_EQ(plotOfRun(h, run, 1, false).name, "Storage routing (file pond.RAT)");
}

TEST(TickSpacing, IsOneTwoOrFiveTimesAPowerOfTen) {
    EXPECT_EQ(tickSpacing(4, 5), 1);
    EXPECT_EQ(tickSpacing(4, 3), 2);
    EXPECT_EQ(tickSpacing(6, 6), 1);
    EXPECT_EQ(tickSpacing(128.3, 8), 20);
    EXPECT_DOUBLE_EQ(tickSpacing(0.3, 6), 0.05);
    EXPECT_EQ(tickSpacing(130, 8), 20);
    EXPECT_EQ(tickSpacing(0, 8), 1);
}

// A chart axis never loops on a degenerate range: flows of a basin of 1e-15 sq mi and less, a span
// whose tenth is below the normal doubles, an infinite or NaN span.
TEST(TickSpacing, DegenerateSpansEndAtOnce) {
    EXPECT_DOUBLE_EQ(tickSpacing(1.1e-15, 6), 2e-16);
    EXPECT_EQ(tickSpacing(4.9e-324, 5), 4.9e-324);  // one interval: no fifth of it is a normal number
    EXPECT_EQ(tickSpacing(1e-310, 5), 1e-310);
    EXPECT_EQ(tickSpacing(std::numeric_limits<double>::infinity(), 5), 1);
    EXPECT_EQ(tickSpacing(std::numeric_limits<double>::quiet_NaN(), 5), 1);
    EXPECT_DOUBLE_EQ(tickSpacing(1.7e308, 5), 5e307);
}

TEST(NearestPoint, IsTheOrdinateClosestInTimeWithTheLaterOnATie) {
    const std::vector<ChartPoint> line{{0, 1}, {0.5, 2}, {1, 3}};
    EXPECT_EQ(nearestPoint(line, -1).value, 1);
    EXPECT_EQ(nearestPoint(line, 0.2).value, 1);
    EXPECT_EQ(nearestPoint(line, 0.25).value, 2);
    EXPECT_EQ(nearestPoint(line, 0.3).value, 2);
    EXPECT_EQ(nearestPoint(line, 0.9).value, 3);
    EXPECT_EQ(nearestPoint(line, 7).value, 3);
}

TEST(Thinning, KeepsEndsAndPeakWithinTheBudget) {
    std::vector<ChartPoint> points;
    for (int i = 0; i < 7700; ++i) points.push_back({i / 60.0, i == 4321 ? 999.0 : (i % 7) * 1.0});
    const auto few = thinned(points, 400);
    EXPECT_LE(few.size(), 400u);
    EXPECT_GE(few.size(), 200u);
    EXPECT_EQ(few.front(), points.front());
    EXPECT_EQ(few.back(), points.back());
    EXPECT_NE(std::find(few.begin(), few.end(), points[4321]), few.end());
    EXPECT_TRUE(std::is_sorted(few.begin(), few.end(),
                               [](const ChartPoint& a, const ChartPoint& b) { return a.hours < b.hours; }));
    // Short series stay as they are.
    EXPECT_EQ(thinned(std::vector<ChartPoint>(points.begin(), points.begin() + 50), 400).size(), 50u);
}

}  // namespace
// Excess steps as RunPlot::excess holds them: foot, top, top, foot for each (from, to, depth).
std::vector<ChartPoint> excessSteps(const std::vector<std::array<double, 3>>& steps) {
    std::vector<ChartPoint> points;
    for (const auto& [from, to, depth] : steps) {
        points.push_back({from, 0});
        points.push_back({from, depth});
        points.push_back({to, depth});
        points.push_back({to, 0});
    }
    return points;
}

TEST(ExcessOutline, FollowsFewStepsWithNeighboursOfOneDepthJoined) {
    const auto steps =
        excessSteps({{0, 0.5, 0.5}, {0.5, 1, 0.5}, {1, 1.5, 0.2}, {1.5, 2, 0}, {2, 2.5, 0.3}, {3, 3.5, 0.3}});
    EXPECT_EQ(excessOutline(steps, 700),
              (std::vector<ChartPoint>{{0, 0},
                                       {0, 0.5},
                                       {1, 0.5},
                                       {1, 0.2},
                                       {1.5, 0.2},
                                       {1.5, 0},
                                       {2, 0},
                                       {2, 0.3},
                                       {2.5, 0.3},
                                       {2.5, 0},  // a gap between two steps drops to the foot
                                       {3, 0},
                                       {3, 0.3},
                                       {3.5, 0.3},
                                       {3.5, 0}}));
    EXPECT_TRUE(excessOutline({}, 700).empty());
}

TEST(ExcessOutline, AUniformStormIsOneBandAndAPeakKeepsItsColumn) {
    // 7,700 one-minute steps on a plot of 700 columns: 11 steps a column.
    std::vector<std::array<double, 3>> uniform;
    for (int i = 0; i < 7700; ++i) uniform.push_back({i / 60.0, (i + 1) / 60.0, 0.01});
    const double end = 7700 / 60.0;
    EXPECT_EQ(excessOutline(excessSteps(uniform), 700),
              (std::vector<ChartPoint>{{0, 0}, {0, 0.01}, {end, 0.01}, {end, 0}}));

    // Step 4321 (72.0167 to 72.0333 h) lies in column 392 (71.8667 to 72.05 h), which takes its depth.
    uniform[4321][2] = 0.5;
    const auto outline = excessOutline(excessSteps(uniform), 700);
    ASSERT_EQ(outline.size(), 8u);
    EXPECT_NEAR(outline[2].hours, 392 * 11 / 60.0, 1e-9);
    EXPECT_NEAR(outline[4].hours, 393 * 11 / 60.0, 1e-9);
    EXPECT_EQ(outline[2].value, 0.01);
    EXPECT_EQ(outline[3].value, 0.5);
    EXPECT_EQ(outline[4].value, 0.5);
    EXPECT_EQ(outline[5].value, 0.01);
    EXPECT_EQ(outline[6], (ChartPoint{end, 0.01}));
}

}  // namespace brelvo::runoff
