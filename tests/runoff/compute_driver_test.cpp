// The compute driver's own refusals and its failure path, on the window's default fields.
#include "runoff/compute_driver.hpp"

#include <gtest/gtest.h>

#include "basin/basin_block.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

struct Window {
    basin::RunoffFields fields;
    basin::RunoffState state;
    basin::ChartGrid chart;
    testing_support::RecordingDialogs dialogs;
    ComputeContext context{".", ::testing::TempDir() + "/driver_Temp.GRF"};

    Window() {
        basin::loadRunoffDefaults(fields);
        basin::resetChart(chart, state, fields);
    }
    void run() { computeHydrograph(state, fields, chart, dialogs, context); }
};

TEST(ComputeDriver, RoutingNeedsAComputedHydrographAndAShortEnoughOne) {
    Window w;
    w.fields.setText("optRouteType", "1");
    w.state.routeMode = 99;
    w.run();
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{"Compute hydrograph before routing."}));
    EXPECT_EQ(w.state.routeMode, 0);

    // Five times the inflow must stay a 16-bit step count: 6554 steps cannot be routed.
    w.chart.setColumnCount(3);
    w.state.it = 6554;
    w.state.routeMode = 99;
    w.dialogs.messages.clear();
    w.run();
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{
                  "This hydrograph has 6554 time steps; routing handles at most 6553. Use a longer time step."}));
    EXPECT_EQ(w.state.routeMode, 0);
    EXPECT_EQ(w.state.newit, 0);
}

TEST(ComputeDriver, AFailureEndsTheRunWithTheTimeStepHint) {
    // A typed step of 0 minutes: the uniform storm divides by it.
    Window w;
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    w.fields.setText("txtGraphtimestep", "0");
    w.run();
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{"Division by zero\nCheck your time step for hours or minutes!"}));
    EXPECT_EQ(w.state.routeMode, 0);
    EXPECT_FALSE(w.state.hydrographPlotted);
    EXPECT_EQ(w.state.prevStep, 0.0f);  // the first step seen becomes the previous step
}

}  // namespace
}  // namespace brelvo::runoff
