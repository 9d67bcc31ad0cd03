// The compute driver's own refusals and its failure path, on the window's default fields.
#include "runoff/compute_driver.hpp"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{
            "This hydrograph has 6554 time steps; routing handles at most 6553. Use a longer time step."}));
    EXPECT_EQ(w.session.hydrograph.routed.peakElevationFt, 7.0f);  // refused before anything changed
    EXPECT_FALSE(w.session.lastReportRouted);
}

TEST(ComputeDriver, RunsCommitTheirResultsToTheSession) {
    // One inch in one hour through the triangle graph of one square mile with a 2-hour lag.
    Window w;
    w.fields.setCaption("Label14", "Hydrograph Time Step (hours)");
    w.fields.setText("txtGraphtimestep", "1");
    w.fields.setText("txtLag", "2");
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    w.run();
    ASSERT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(w.fields.caption("Form3"),
              "Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total");
    const basin::WorkingHydrograph& h = w.session.hydrograph;
    EXPECT_EQ(h.inflow.last, 7);
    EXPECT_EQ(h.inflow.peakCfs, 242.0f);
    EXPECT_EQ(h.inflow.peakIndex, 2);
    EXPECT_EQ(h.volumeAcreFt, 50.0f);
    EXPECT_FALSE(h.outflowIsCurrent);
    EXPECT_TRUE(w.session.hydrographPlotted);
    EXPECT_EQ(w.session.stepHours, 1.0f);
    EXPECT_EQ(w.session.previousStepTyped, 1.0f);
    EXPECT_EQ(viewOf(w.session).rainSteps, 1);

    // Travel time of one step: the routed peak is committed as the report rounded it.
    w.fields.setText("optRouteType", "3");
    w.fields.setText("txtTatum", "1");
    w.fields.setCaption("capTatum", "hours");
    w.route();
    ASSERT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(viewOf(w.session).rainSteps, -2);
    EXPECT_EQ(w.chart.columnCount(), 4);
    // m = 2 half-step passes: (121 + 242) / 2 = 181.5 and (242 + 161.33) / 2 = 201.67, then
    // (181.5 + 201.67) / 2 = 191.58 cfs at hour 3, reported and kept as 192.
    EXPECT_EQ(w.fields.caption("Form3"), "QmaxIn=242 cfs, Vol=50 acft, QmaxOut=192 cfs");
    EXPECT_EQ(h.routed.peakCfs, 192.0f);
    EXPECT_EQ(h.routed.peakIndex, 3.0f);
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
