// The compute driver's own refusals and its failure path, on the window's default fields.
#include "runoff/compute_driver.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    // Each test writes its own report: tests run side by side.
    ComputeContext context{".",
                           ::testing::TempDir() + "/driver_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_Temp.GRF",
                           nullptr,
                           {}};

    Window() {
        basin::loadRunoffDefaults(fields);
        clearPlots(session, chart, fields);
    }
    RunOutcome run() { return computeHydrograph(session, fields, chart, dialogs, context); }
    RunOutcome route() { return routeHydrograph(session, fields, chart, dialogs, context); }
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
    EXPECT_TRUE(w.run().reported);
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

// One inch in one hour through the triangle graph of one square mile with a 2-hour lag, computed.
void computeTriangle(Window& w) {
    w.fields.setCaption("Label14", "Hydrograph Time Step (hours)");
    w.fields.setText("txtGraphtimestep", "1");
    w.fields.setText("txtLag", "2");
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    w.run();
    ASSERT_TRUE(w.dialogs.messages.empty());
    ASSERT_EQ(w.session.hydrograph.inflow.peakCfs, 242.0f);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ComputeDriver, BoxesThatAreNotWhollyNumbersStopTheRunNamingEachBox) {
    Window w;
    computeTriangle(w);
    w.fields.setText("txtCNloss", "seventy");
    w.fields.setText("txtRain(0)", "l.80");
    w.fields.setText("txtConstLoss", " 0.1 ");  // blanks around a number are fine
    w.fields.setText("txtPercentImp", "");      // empty is 0
    w.dialogs.messages.clear();
    const RunOutcome outcome = computeHydrograph(w.session, w.fields, w.chart, w.dialogs, w.context);
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{"SCS CN (5-100) or Initial Loss (inches): \"seventy\" is not a number.\n"
                                  "Rainfall Durations row 1 Inches: \"l.80\" is not a number."}));
    ASSERT_EQ(outcome.refused.size(), 2u);
    EXPECT_EQ(outcome.refused[0].name, "txtCNloss");
    EXPECT_EQ(outcome.refused[1].name, "txtRain(0)");

    // Routing boxes are read the same way when a routing starts.
    w.fields.setText("txtCNloss", "");
    w.fields.setText("txtRain(0)", "1.00");
    w.fields.setText("optRouteType", "1");
    w.fields.setText("txtMuskK", "1,5");
    w.fields.setText("txtMuskX", "0.2");
    w.dialogs.messages.clear();
    const RunOutcome routed = routeHydrograph(w.session, w.fields, w.chart, w.dialogs, w.context);
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{
                  "K lag (hr): \"1,5\" is not a number (use a decimal point and no thousands separators)."}));
    ASSERT_EQ(routed.refused.size(), 1u);
    EXPECT_EQ(routed.refused[0].name, "txtMuskK");
    EXPECT_EQ(w.session.hydrograph.routed.outflowCfs.size(), 2);  // nothing routed
}

TEST(ComputeDriver, ValuesThatCannotDescribeABasinOrAStormStopTheRun) {
    Window w;
    computeTriangle(w);
    w.fields.setText("txtLag", "-1");
    w.fields.setText("txtBasinArea", "0");
    w.fields.setText("txtPercentImp", "120");
    w.fields.setText("txtConstLoss", "-0.1");
    w.fields.setText("txtDuration(0)", "2");
    w.fields.setText("txtDuration(1)", "2");
    w.fields.setText("txtRain(1)", "1.5");
    w.fields.setText("txtArealAdj(1)", "-1");
    w.dialogs.messages.clear();
    const RunOutcome outcome = computeHydrograph(w.session, w.fields, w.chart, w.dialogs, w.context);
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{"Basin Area (mi^2): \"0\" must be above 0.\n"
                                  "Lag Time (hours): \"-1\" must be above 0.\n"
                                  "Constant Loss (in/hr): \"-0.1\" must not be negative.\n"
                                  "Percent Basin Impervious: \"120\" must not be above 100.\n"
                                  "Rainfall Durations row 2 Areal factor: \"-1\" must not be negative.\n"
                                  "Rainfall Durations row 2 Hours: \"2\" must be longer than the duration "
                                  "of the row above."}));
    EXPECT_EQ(outcome.refused.size(), 6u);

    // The Rational Method refuses a C outside (0, 1]; other methods only a negative one.
    Window r;
    computeTriangle(r);
    r.fields.setText("txtC", "1.2");
    r.fields.setText("ComboDimgraph", "Rational Method");
    r.dialogs.messages.clear();
    r.run();
    EXPECT_EQ(r.dialogs.messages,
              (std::vector<std::string>{
                  "C estimate: \"1.2\" must be above 0 and at most 1 for the Rational Method."}));
    r.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    r.dialogs.messages.clear();
    r.run();
    EXPECT_TRUE(r.dialogs.messages.empty());
    r.fields.setText("txtGraphtimestep", "0");
    r.run();
    EXPECT_EQ(r.dialogs.messages,
              (std::vector<std::string>{"Hydrograph Time Step (hours): \"0\" must be above 0."}));
}

TEST(ComputeDriver, ARefusedOrFailedRunChangesNothing) {
    Window w;
    w.context.reportPath = ::testing::TempDir() + "/driver_unchanged_Temp.GRF";  // this test's own
    computeTriangle(w);
    const std::string caption = w.fields.caption("Form3");
    const std::string report = fileText(w.context.reportPath);
    const int columns = w.chart.columnCount();
    ASSERT_FALSE(report.empty());
    const auto unchanged = [&] {
        EXPECT_EQ(w.fields.caption("Form3"), caption);
        EXPECT_EQ(fileText(w.context.reportPath), report);
        EXPECT_EQ(w.chart.columnCount(), columns);
        const basin::WorkingHydrograph& h = w.session.hydrograph;
        EXPECT_EQ(h.inflow.last, 7);
        EXPECT_EQ(h.inflow.peakCfs, 242.0f);
        EXPECT_EQ(h.inflow.peakIndex, 2);
        EXPECT_EQ(h.volumeAcreFt, 50.0f);
        EXPECT_EQ(w.session.stepHours, 1.0f);
        EXPECT_EQ(w.session.previousStepTyped, 1.0f);
        EXPECT_TRUE(w.session.hydrographPlotted);
    };
    // A negative lag is refused before anything is touched.
    w.fields.setText("txtLag", "-2");
    EXPECT_FALSE(w.run().reported);
    unchanged();
    // A run that fails midway: a new time step would clear the chart, and a 3,000-hour storm then
    // needs more ordinates than the hydrograph holds.
    w.fields.setText("txtLag", "2");
    w.fields.setText("txtGraphtimestep", "0.25");
    w.fields.setText("txtDuration(0)", "3000");
    w.dialogs.messages.clear();
    EXPECT_FALSE(w.run().reported);
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.dialogs.messages[0].rfind("Subscript out of range\nThe hydrograph needs more ordinates", 0),
              0u);
    unchanged();
    // A storm file that is refused leaves the table boxes and the step as they were.
    const std::string storm = ::testing::TempDir() + "/driver_bad.STM";
    std::ofstream(storm, std::ios::binary) << "t\n2,0.5\n0,0.5\n0.5,abc\n";
    w.fields.setText("ComboRain", "Storm File");
    w.dialogs.fileAnswer = storm;
    w.dialogs.messages.clear();
    w.run();
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{"Type mismatch\ndriver_bad.STM, line 4: \"abc\" is not a number."}));
    EXPECT_EQ(w.fields.text("txtDuration(0)"), "3000");
    EXPECT_EQ(w.fields.text("txtGraphtimestep"), "0.25");
    unchanged();
}

// A report that cannot be written in full (a full disk; here a file-size limit, which stops root too) or
// a report file that is read-only: the run commits nothing, and the report file keeps the last run's
// report whole, so that Save Hydrograph and the exports never deliver a part of a refused run.
TEST(ComputeDriver, AReportThatCannotBeWrittenLeavesTheLastReportWhole) {
    Window w;
    computeTriangle(w);
    const std::string caption = w.fields.caption("Form3");
    const std::string report = fileText(w.context.reportPath);
    ASSERT_GT(report.size(), 400u);
    w.fields.setText("txtLag", "3");

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    rlimit small = previous;
    small.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const RunOutcome full = w.run();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(full.reported);
    EXPECT_EQ(w.dialogs.messages,
              (std::vector<std::string>{"Device I/O error\nThe report file \"" + w.context.reportPath +
                                        "\" was not written: the file is too large for the disk. The last "
                                        "report is kept."}));
    EXPECT_EQ(fileText(w.context.reportPath), report);
    EXPECT_EQ(w.fields.caption("Form3"), caption);
    EXPECT_EQ(w.session.hydrograph.inflow.peakCfs, 242.0f);
    EXPECT_EQ(w.chart.columnCount(), 3);

    // A read-only report file is refused by its permission bits, root included.
    std::filesystem::permissions(w.context.reportPath, std::filesystem::perms::owner_read);
    w.dialogs.messages.clear();
    EXPECT_FALSE(w.run().reported);
    std::filesystem::permissions(w.context.reportPath, std::filesystem::perms::owner_all);
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{"Path/File access error\nThe report file \"" + w.context.reportPath +
                                  "\" was not written: the file is read-only. The last report is kept."}));
    EXPECT_EQ(fileText(w.context.reportPath), report);
    EXPECT_EQ(w.fields.caption("Form3"), caption);

    // Writable again, the run reports the longer lag.
    w.dialogs.messages.clear();
    EXPECT_TRUE(w.run().reported);
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_NE(fileText(w.context.reportPath), report);
    EXPECT_NE(w.fields.caption("Form3"), caption);
}

TEST(ComputeDriver, FailuresWithoutAKnownCauseKeepTheTimeStepHint) {
    Window w;
    w.context.programFolder = ::testing::TempDir();
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "NoSuchGraph.DGF");
    w.run();
    // A missing graph file is a failure whose cause is known: the message names the file, not the step.
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{"File not found\nThe dimensionless graph file \"NoSuchGraph.DGF\" is not "
                                  "in the program's folder (" +
                                  ::testing::TempDir() + "). Put the file there or choose another graph."}));
    EXPECT_FALSE(w.session.hydrographPlotted);
    EXPECT_EQ(w.session.previousStepTyped, 0.0f);
}

// A fresh folder under the test's temporary folder, as a full path.
std::filesystem::path freshFolder(const std::string& name) {
    const auto folder = (std::filesystem::path(::testing::TempDir()) / name).lexically_normal();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(ComputeDriver, FileDialogsOpenAtTheFilesOfTheLastRunsThatWroteTheirReport) {
    const std::filesystem::path folder = freshFolder("kept_files");
    const std::filesystem::path storm = folder / "storm.STM", pond = folder / "pond.RAT";
    std::ofstream(storm, std::ios::binary) << "Storm\n4,0.25\n0.25,0.1\n0.5,0.4\n0.75,0.3\n1.0,0.2\n";
    std::ofstream(pond, std::ios::binary) << "Pond\n3\n100,0,0\n101,100,50\n102,400,250\n";
    Window w;
    computeTriangle(w);
    const std::string reportPath = w.context.reportPath;
    const auto lastRequest = [&] { return w.dialogs.fileRequests.back(); };
    const auto run = [&](RunOutcome (Window::*body)(), const std::optional<std::string>& answer) {
        w.dialogs.answers = {answer};
        w.dialogs.messages.clear();
        (w.*body)();
    };

    // A run that read the file but could not write its report keeps nothing.
    w.context.reportPath = (folder / "no_such_folder" / "Temp.GRF").string();
    w.fields.setText("optRouteType", "0");
    run(&Window::route, pond.string());
    EXPECT_EQ(w.dialogs.messages.at(0).rfind("Path/File access error\n", 0), 0u);
    // The storm: 0.1, 0.4, 0.3 and 0.2 inch in quarter-hour steps; with a 0.5-hour lag, 677.6 cfs at 1 hour.
    w.fields.setText("ComboRain", "Storm File");
    w.fields.setText("txtLag", "0.5");
    run(&Window::run, storm.string());
    EXPECT_EQ(w.dialogs.messages.at(0).rfind("Path/File access error\n", 0), 0u);
    EXPECT_EQ(w.session.stormFile, "");
    EXPECT_EQ(w.session.storageFile, "");
    EXPECT_EQ(lastRequest().fileName, "");
    EXPECT_EQ(lastRequest().initialDir, ".");

    // Once reported, each is kept, and a cancelled dialog opens at it and leaves it kept.
    w.context.reportPath = reportPath;
    run(&Window::run, storm.string());
    ASSERT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(w.fields.caption("Form3"),
              "Runoff Qmax=678 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total");
    run(&Window::route, pond.string());
    ASSERT_TRUE(w.dialogs.messages.empty());
    run(&Window::run, std::nullopt);
    EXPECT_EQ(lastRequest().fileName, "storm.STM");
    EXPECT_EQ(lastRequest().initialDir, folder.string());
    EXPECT_EQ(lastRequest().usualDir, ".");
    run(&Window::route, std::nullopt);
    EXPECT_EQ(lastRequest().fileName, "pond.RAT");
    EXPECT_EQ(w.session.stormFile, storm.string());
    EXPECT_EQ(w.session.storageFile, pond.string());

    // A kept file whose folder has gone: the dialog opens as if none were kept.
    std::filesystem::remove_all(folder);
    run(&Window::run, std::nullopt);
    EXPECT_EQ(lastRequest().fileName, "");
    EXPECT_EQ(lastRequest().initialDir, ".");
}

// A run computes with the boxes its check read, and writes boxes back only when it commits: a storm file's
// run neither reads the table the file stands in for nor shows the file before its report is written.
TEST(ComputeDriver, TheRunReadsTheCheckedBoxesAndWritesBoxesOnlyWhenItCommits) {
    const std::filesystem::path folder = freshFolder("read_once");
    const std::filesystem::path storm = folder / "storm.STM";
    std::ofstream(storm, std::ios::binary) << "Storm\n4,0.25\n0.25,0.1\n0.5,0.4\n0.75,0.3\n1.0,0.2\n";
    Window w;
    w.fields.setText("ComboRain", "Storm File");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    w.fields.setText("txtLag", "0.5");
    std::vector<std::string> shown;
    w.fields.displayChanged = [&](const std::string& name) { shown.push_back(name); };
    // An initial loss of 2 inches takes the whole inch of rain: the run ends and no box has changed.
    w.fields.setText("txtCNloss", "2");
    shown.clear();
    w.dialogs.answers = {storm.string()};
    EXPECT_FALSE(w.run().reported);
    EXPECT_EQ(w.dialogs.messages, std::vector<std::string>{"No Excess Rainfall"});
    EXPECT_EQ(shown, std::vector<std::string>{});

    // A depth beyond the single range in the table the file stands in for is not read, as it is not checked.
    w.fields.setText("txtCNloss", "0");
    w.fields.setText("txtRain(0)", "1e39");
    shown.clear();
    w.dialogs.messages.clear();
    w.dialogs.answers = {storm.string()};
    EXPECT_TRUE(w.run().reported);
    EXPECT_EQ(w.dialogs.messages, std::vector<std::string>{});
    // The report is titled with the file; once it is written the boxes show the file, the caption last.
    const std::string title2 = "Storm file " + storm.string();
    EXPECT_EQ(w.session.lastReport->title2, title2);
    EXPECT_EQ(w.session.reportText.substr(0, 15 + title2.size() + 2), "Enter Title 1\r\n" + title2 + "\r\n");
    EXPECT_EQ(w.fields.text("txtTile2"), title2);
    EXPECT_EQ(w.fields.text("txtRain(0)"), "");
    EXPECT_EQ(w.fields.text("txtGraphtimestep"), "0.25");
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "Form3");
}

// The Muskingum warning keeps its first line, with its numbers to their meaningful digits (a 5-minute
// step is 0.0833 h, not 0.08333334 h), and says on the second what to change: X = 0.25 is above
// step / 2K = 0.0833 / 2 = 0.0417 for K = 1 h.
TEST(ComputeDriver, TheMuskingumWarningSaysWhatToChange) {
    Window w;
    w.fields.setText("txtGraphtimestep", "5");  // minutes, as Label14 says at start
    w.fields.setText("txtLag", "2");
    w.fields.setText("ComboRain", "Average");
    w.fields.setText("ComboDimgraph", "Triangle Unit Graph");
    ASSERT_TRUE(w.run().reported);
    w.fields.setText("optRouteType", "1");
    w.fields.setText("txtMuskK", "1");
    w.fields.setText("txtMuskX", "0.25");
    EXPECT_TRUE(w.route().reported);
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{
            "Muskingum routing is unstable for K = 1 h, X = 0.25 and a time step of 0.0833 h: a routing "
            "coefficient is negative, so the outflow may oscillate.\nChoose X at most \u0394t/2K = 0.0417 "
            "or a longer time step."}));
}

}  // namespace
}  // namespace brelvo::runoff
