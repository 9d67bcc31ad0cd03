// A run with no window against the window's own compute of the same fields, and its summary.
#include "runoff/design_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

// The window's fields with the basin block's handlers bound to them, as the runoff window has them.
struct Window {
    basin::RunoffFields fields;
    basin::BasinBlock block{fields};
    RunoffSession session;
    basin::ChartGrid chart;
    testing_support::RecordingDialogs dialogs;
    ComputeContext context{BRELVO_SOURCE_DIR "/data", "", nullptr};

    Window() {
        basin::loadRunoffDefaults(fields);
        clearPlots(session, chart, fields);
    }
    RunOutcome run() { return computeHydrograph(session, fields, chart, dialogs, context); }
};

// A 24-hour storm of three durations through the SCS graph with a curve-number loss, step in minutes.
void typeStorm(basin::RunoffFields& fields) {
    fields.setText("txtBasinArea", "2.5");
    fields.setText("txtLag", "1.2");
    fields.setText("txtGraphtimestep", "10");
    fields.setText("txtCNloss", "75");
    const std::vector<std::pair<const char*, const char*>> rows{{"1", "2.1"}, {"6", "3.9"}, {"24", "6.2"}};
    for (int i = 0; i < 3; ++i) {
        fields.setText(basin::RunoffFields::indexed("txtDuration", i),
                       rows[static_cast<std::size_t>(i)].first);
        fields.setText(basin::RunoffFields::indexed("txtRain", i), rows[static_cast<std::size_t>(i)].second);
    }
    fields.setText("ComboRain", "Peak at 2/3");
    fields.setText("ComboDimgraph", "SCS.DGF");
}

TEST(DesignRun, EqualsTheWindowsComputeAndLeavesTheFieldsAlone) {
    Window w;
    typeStorm(w.fields);
    const std::vector<std::string> before = [&] {
        std::vector<std::string> texts;
        for (const auto& name : w.fields.textNames()) texts.push_back(name + "=" + w.fields.text(name));
        texts.push_back(w.fields.caption("Form3"));
        return texts;
    }();
    const DesignRun design = runDesignStorm(w.fields, w.context);
    std::vector<std::string> after;
    for (const auto& name : w.fields.textNames()) after.push_back(name + "=" + w.fields.text(name));
    after.push_back(w.fields.caption("Form3"));
    EXPECT_EQ(after, before);  // the window's fields (and its caption) are not the run's

    // The window's compute with no report path writes no file and still reports.
    ASSERT_TRUE(w.run().reported);
    ASSERT_TRUE(w.dialogs.messages.empty());
    ASSERT_TRUE(design.reported);
    EXPECT_TRUE(design.messages.empty());
    EXPECT_EQ(design.caption, w.fields.caption("Form3"));
    EXPECT_EQ(design.reportText, w.session.reportText);
    EXPECT_FALSE(design.reportText.empty());
    const ChartColumn column = chartColumn(w.session.hydrograph, *w.session.lastReport);
    EXPECT_EQ(design.column.labels, column.labels);
    EXPECT_EQ(design.column.flows, column.flows);
    EXPECT_EQ(design.column.excess, column.excess);
    EXPECT_EQ(design.column.labelSpacing, column.labelSpacing);

    // The summary is the caption's and the report's: peak and volume as rounded, the storm's total.
    const basin::WorkingHydrograph& h = w.session.hydrograph;
    EXPECT_EQ(design.summary.peakCfs, h.inflow.peakCfs);
    EXPECT_EQ(design.summary.volumeAcreFt, h.volumeAcreFt);
    EXPECT_EQ(design.summary.stormDepthIn, w.session.lastReport->storm.depthIn);
    EXPECT_EQ(design.summary.peakHours, static_cast<float>(h.inflow.peakIndex) * (10.0f / 60.0f));
    const std::vector<std::string> texts = summaryTexts(design.summary);
    ASSERT_EQ(texts.size(), 5u);
    const std::string& caption = w.fields.caption("Form3");
    EXPECT_EQ(caption.rfind("Runoff Qmax=" + texts[2] + " cfs, Vol=" + texts[4] + " acft, RainLoss=", 0), 0u)
        << caption;
    EXPECT_TRUE(caption.ends_with(" in from " + texts[0] + " total")) << caption;
    EXPECT_EQ(texts[0], "6.20");
    // Runoff depth: the volume over 2.5 square miles of 640 acres, in inches.
    EXPECT_FLOAT_EQ(design.summary.runoffDepthIn, h.volumeAcreFt * 12.0f / 1600.0f);
}

TEST(DesignRun, SummaryOfAKnownRunAndItsTexts) {
    // One inch in one hour through the triangle graph of one square mile with a 2-hour lag: the peak of
    // 242 cfs at hour 2 and 50 acre-feet, which is 50 * 12 / 640 = 0.9375 inches over the basin.
    Window w;
    w.fields.setCaption("Label14", "Hydrograph Time Step (hours)");
    w.fields.setText("txtGraphtimestep", "1");
    w.fields.setText("txtLag", "2");
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    const DesignRun run = runDesignStorm(w.fields, w.context);
    ASSERT_TRUE(run.reported);
    EXPECT_EQ(run.caption, "Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total");
    EXPECT_EQ(run.summary.stormDepthIn, 1.0f);
    EXPECT_EQ(run.summary.runoffDepthIn, 0.9375f);
    EXPECT_EQ(run.summary.peakCfs, 242.0f);
    EXPECT_EQ(run.summary.peakHours, 2.0f);
    EXPECT_EQ(run.summary.volumeAcreFt, 50.0f);
    EXPECT_EQ(summaryTexts(run.summary), (std::vector<std::string>{"1.00", "0.94", "242", "2.00", "50"}));
    EXPECT_EQ(run.column.flows.size(), 8u);
    EXPECT_EQ(summaryTexts({2.675f, 0.004f, 1230.4f, 12.083333f, 0.57f}),
              (std::vector<std::string>{"2.68", "0.00", "1230.4", "12.08", "0.57"}));
}

TEST(DesignRun, RunsThatDoNotReportSayWhy) {
    Window w;
    // No arrangement chosen: the window's own message.
    DesignRun run = runDesignStorm(w.fields, w.context);
    EXPECT_FALSE(run.reported);
    EXPECT_EQ(failureText(run), "Select a Dimensionless Graph and Rainfall Arrangement");
    // A storm file is asked for and nobody answers: the run ends quietly.
    w.fields.setText("ComboRain", "Storm File");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    run = runDesignStorm(w.fields, w.context);
    EXPECT_FALSE(run.reported);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(failureText(run), "The run ended without a report.");
    // A refused box: named in the messages, nowhere else.
    w.fields.setText("ComboRain", "Average");
    w.fields.restoreText("txtLag", "x");
    bool shown = false;
    w.context.showRefused = [&](const std::vector<RefusedBox>&) { shown = true; };
    run = runDesignStorm(w.fields, w.context);
    EXPECT_FALSE(run.reported);
    EXPECT_FALSE(shown);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find("Lag"), std::string::npos) << run.messages[0];
}

}  // namespace
}  // namespace brelvo::runoff
