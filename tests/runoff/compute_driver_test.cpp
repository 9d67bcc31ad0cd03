// The compute driver's own refusals and its failure path, on the window's default fields.
#include "runoff/compute_driver.hpp"

#include <gtest/gtest.h>

#include "basin/basin_block.hpp"
#include "runoff/routing_panel.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

struct Window {
    basin::RunoffFields fields;
    RunoffSession session;
    basin::ChartGrid chart;
    testing_support::RecordingDialogs dialogs;
    ComputeContext context{".", ::testing::TempDir() + "/driver_Temp.GRF"};

    Window() {
        basin::loadRunoffDefaults(fields);
        clearPlots(session, chart, fields);
    }
    void run() { computeHydrograph(session, fields, chart, dialogs, context); }
    void route() { routeHydrograph(session, fields, chart, dialogs, context); }
};

TEST(ComputeDriver, RoutingNeedsAComputedHydrographAndAShortEnoughOne) {
    Window w;
    w.fields.setText("optRouteType", "1");
    w.session.hydrograph.routed.peakElevationFt = 7;
    w.route();
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{"Compute hydrograph before routing or combining."}));
    EXPECT_EQ(viewOf(w.session).routeMode, 0);
    EXPECT_EQ(w.session.hydrograph.routed.peakElevationFt, 7.0f);  // refused before anything changed

    // Five times the inflow must stay a 16-bit step count: 6554 steps cannot be routed.
    w.chart.setColumnCount(3);
    w.session.hydrograph.inflow.last = 6554;
    w.session.hydrograph.routed.peakElevationFt = 7;
    w.dialogs.messages.clear();
    w.route();
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{
                  "This hydrograph has 6554 time steps; routing handles at most 6553. Use a longer time step."}));
    EXPECT_EQ(w.session.hydrograph.routed.peakElevationFt, 7.0f);  // refused before anything changed
    EXPECT_FALSE(w.session.lastReportRouted);
}

TEST(RoutingPanel, RefusalAndOpeningValues) {
    Window w;
    // Only loading or combining a file needs no computed hydrograph on the chart.
    w.fields.setText("optRouteType", "2");
    EXPECT_FALSE(routingRefusal(w.fields, w.chart).has_value());
    w.fields.setText("optRouteType", "3");
    EXPECT_EQ(routingRefusal(w.fields, w.chart), "Compute hydrograph before routing or combining.");
    w.chart.setColumnCount(3);
    EXPECT_FALSE(routingRefusal(w.fields, w.chart).has_value());

    // The default step is 15 minutes: the travel time starts as 15 minutes; a typed one stays.
    openRoutingPanel(w.fields);
    EXPECT_EQ(w.fields.caption("capTatum"), "minutes");
    EXPECT_EQ(w.fields.text("txtTatum"), "15");
    w.fields.setCaption("Label14", "Hydrograph Time Step (hours)");
    w.fields.setText("txtGraphtimestep", "2");
    openRoutingPanel(w.fields);
    EXPECT_EQ(w.fields.caption("capTatum"), "hours");
    EXPECT_EQ(w.fields.text("txtTatum"), "15");
}

TEST(ComputeDriver, ClearingThePlotsLeavesNoHydrographPlotted) {
    Window w;
    w.session.hydrographPlotted = true;
    w.chart.setColumnCount(3);
    clearPlots(w.session, w.chart, w.fields);
    EXPECT_FALSE(w.session.hydrographPlotted);
    EXPECT_EQ(w.chart.columnCount(), 2);
}

TEST(ComputeDriver, TheDumpShowsMinusTwoRainStepsAfterARoutingRun) {
    RunoffSession session;
    session.rainSteps = 12;
    EXPECT_EQ(viewOf(session).rainSteps, 12);
    session.lastReportRouted = true;
    EXPECT_EQ(viewOf(session).rainSteps, -2);
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
    EXPECT_FALSE(w.session.hydrographPlotted);
    EXPECT_EQ(w.session.previousStepTyped, 0.0f);  // the first step seen becomes the previous step
    EXPECT_EQ(w.session.stepHours, 0.0f);
}

}  // namespace
}  // namespace brelvo::runoff
