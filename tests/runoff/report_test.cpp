// Hydrograph report: file layouts, caption summaries, chart columns and the field writers.
#include "runoff/report.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "common/failure.hpp"
#include "runoff/compute_driver.hpp"
#include "support/worked_example_report.hpp"

namespace brelvo::runoff {
namespace {

std::string crlfLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return text;
}

void fill(basin::Series& series, std::initializer_list<float> values) {
    int i = 0;
    for (float v : values) series[i++] = v;
}

// One column of the chart, top to bottom.
std::vector<std::string> chartColumn(const basin::ChartGrid& chart, int column) {
    std::vector<std::string> cells;
    for (const auto& row : chart.rows()) cells.push_back(row.cells[static_cast<std::size_t>(column - 1)]);
    return cells;
}

std::vector<std::string> chartLabels(const basin::ChartGrid& chart) {
    std::vector<std::string> labels;
    for (const auto& row : chart.rows()) labels.push_back(row.label);
    return labels;
}

class ReportTest : public ::testing::Test {
  protected:
    ReportTest() {
        basin::loadRunoffDefaults(fields);
        basin::resetChart(chart, fields);  // one row: duration "1", depth 1 and 0
        run.title1 = "T1";
        run.title2 = "T2";
    }

    // The triangle unit graph run of one inch in one hour on one square mile, lag 2 hours.
    void workedExample() {
        run.areaSqMi = 1;
        run.c = 1;
        run.lagHours = 2;
        run.stepHours = 1;
        run.storm.durationHours = 1;
        run.storm.depthIn = 1;
        run.methodText = "Triangle Unit Graph";
        run.storm.steps = 1;
        run.storm.upper = 11;
        run.storm.rainIn.redim(run.storm.upper);
        run.storm.excessIn.redim(run.storm.upper);
        run.storm.rainIn[1] = 1;
        run.storm.excessIn[1] = 1;
        h.inflow.flowCfs.redim(basin::kHydrographUpper);
        fill(h.inflow.flowCfs, {0, 121, 242, 161.33f, 80.67f, 0, 0, 0});
        h.inflow.last = 7;
        h.inflow.peakCfs = 242;
        h.inflow.peakIndex = 2;
        h.volumeAcreFt = 50;
    }

    std::string report() {
        std::ostringstream out;
        outcome = writeReport(out, h, run);
        // The run writes the rows straight into the chart; the collected column must plot the same.
        basin::ChartGrid viaColumn = chart;
        plotHydrograph(chart, h, run);  // as the run commits it
        plotColumn(viaColumn, runoff::chartColumn(h, run));
        EXPECT_EQ(texts(viaColumn), texts(chart));
        EXPECT_EQ(viaColumn.labelSpacing(), chart.labelSpacing());
        return out.str();
    }

    static std::vector<std::vector<std::string>> texts(const basin::ChartGrid& grid) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : grid.rows()) {
            rows.push_back(row.cells);
            rows.back().push_back(row.label);
        }
        return rows;
    }

    basin::RunoffFields fields;
    basin::WorkingHydrograph h;
    ReportRun run;
    ReportOutcome outcome;
    basin::ChartGrid chart;
};

TEST_F(ReportTest, WorkedExampleFileCaptionAndChart) {
    workedExample();
    EXPECT_EQ(report(), testing_support::kWorkedExampleReport);
    EXPECT_EQ(outcome.caption, "Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total");
    EXPECT_FLOAT_EQ(outcome.peakCfs, 242.0f);
    EXPECT_FLOAT_EQ(outcome.rainLossIn, 0.0f);

    // The first hydrograph after a reset replaces the rainfall rows: 8 time rows, labels every 7 \ 6.
    EXPECT_EQ(chart.columnCount(), 3);
    EXPECT_EQ(chart.labelSpacing(), 1);
    using Cells = std::vector<std::string>;
    EXPECT_EQ(chartLabels(chart), (Cells{"0", "1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(chartColumn(chart, 1), (Cells{"0", "1", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(chartColumn(chart, 2), (Cells{"0", "121", "242", "161.33", "80.67", "0", "0", "0"}));
    EXPECT_EQ(chartColumn(chart, 3), (Cells(8, "")));
}

TEST_F(ReportTest, QuarterHourStepWithCurveNumberAndPeakBelowHundred) {
    // 15-minute steps: times with five decimals. CN 80, 0.1 in/hr, 25 % impervious; values below 1
    // are listed without their leading zero. Rain 0.3 and 0.2 in, excess 0.1 and 0.05 in: loss 0.35 in.
    run.areaSqMi = 0.5f;
    run.c = 0.35f;
    run.lagHours = 0.75f;
    run.stepHours = 0.25f;
    run.losses.curveNumberLoss = true;
    run.losses.curveNumber = 80;
    run.losses.constantLossInPerHour = 0.1f;
    run.losses.imperviousFraction = 0.25f;
    run.methodText = "SCS.DGF";
    run.storm.durationHours = 0.5f;
    run.storm.depthIn = 0.5f;
    run.storm.steps = 2;
    run.storm.rainIn.redim(12);
    run.storm.excessIn.redim(12);
    fill(run.storm.rainIn, {0, 0.3f, 0.2f});
    fill(run.storm.excessIn, {0, 0.1f, 0.05f});
    h.inflow.flowCfs.redim(basin::kHydrographUpper);
    fill(h.inflow.flowCfs, {0, 20.5f, 56.78f, 30.1f, 10.2f, 0.04f});
    h.inflow.last = 5;
    h.inflow.peakCfs = 56.78f;
    h.inflow.peakIndex = 2;
    h.volumeAcreFt = 1.2f;

    // The peak is below 100 cfs: one decimal after rounding to 57 cfs.
    EXPECT_EQ(report(), crlfLines({
                            "T1",
                            "T2",
                            "Basin Area (mi^2):  .5 ",
                            "C value:  .35 ",
                            "Lag Time:  .75 ",
                            "SCS Curve Number CN:  80 ",
                            "Constant Loss (in/hr):  0.10",
                            "Percent impervious area:  25",
                            "Dimensionless Graph:  SCS.DGF",
                            "",
                            "",
                            " DURATION     RAIN    PEAKQ     TIME  ACRE-FT",
                            "    0.500     0.50     57.0  0.50000      1.2",
                            "",
                            "     Time   Runoff Rainfall   Excess",
                            "  0.00000        0  0.00000  0.00000",
                            "  0.25000       21  0.30000  0.10000",
                            "  0.50000       57  0.20000  0.05000",
                            "  0.75000       30  0.00000  0.00000",
                            "  1.00000       10",
                            "  1.25000     0.04",
                        }));
    EXPECT_EQ(outcome.caption, "Runoff Qmax=57 cfs, Vol=1.2 acft, RainLoss=0.35 in from 0.50 total");
    EXPECT_FLOAT_EQ(outcome.peakCfs, 57.0f);
    EXPECT_FLOAT_EQ(h.inflow.peakCfs, 56.78f);  // the report rounds its own copy
    using Cells = std::vector<std::string>;
    EXPECT_EQ(chartLabels(chart), (Cells{"0", "0.25", "0.5", "0.75", "1", "1.25"}));
    EXPECT_EQ(chartColumn(chart, 1), (Cells{"0", "0.1", "0.05", "0", "0", "0"}));
    EXPECT_EQ(chart.labelSpacing(), 0);  // 5 \ 6
}

TEST_F(ReportTest, RowLabelsAreTheRoundedTimeReadBack) {
    // A step of 1.5 hours labels whole hours, rounded half away from zero: 1.5 -> 2, 4.5 -> 5.
    workedExample();
    run.stepHours = 1.5f;
    h.inflow.last = 4;
    report();
    EXPECT_EQ(chartLabels(chart), (std::vector<std::string>{"0", "2", "3", "5", "6"}));
}

TEST_F(ReportTest, MuskingumRoutingLayout) {
    workedExample();
    report();  // the computed hydrograph is on the chart: three columns, 8 rows
    run.route = basin::RouteMethod::muskingum;
    run.muskingumKText = "2";
    run.muskingumXText = "0.2";
    h.routed.outflowCfs.redim(9);
    fill(h.routed.outflowCfs, {0, 30.25f, 110.4f, 181.66f, 150, 80.5f, 20.04f, 0.051f});
    h.routed.peakCfs = 181.66f;
    h.routed.peakIndex = 3;
    EXPECT_EQ(report(), crlfLines({
                            "T1",
                            "T2",
                            "Muskingum K lag: 2  Muskingum X storage: 0.2",
                            "",
                            "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV",
                            "      242      2.0       50      182  3.00000     0.00",
                            "",
                            "     Time  Outflow   Inflow",
                            "      0.0        0        0",
                            "      1.0       30      121",
                            "      2.0      110      242",
                            "      3.0      182      161",
                            "      4.0      150       81",
                            "      5.0       81        0",
                            "      6.0       20        0",
                            "      7.0    0.051        0",
                        }));
    EXPECT_EQ(outcome.caption, "QmaxIn=242 cfs, Vol=50 acft, QmaxOut=182 cfs");
    EXPECT_FLOAT_EQ(outcome.routedPeakCfs, 182.0f);
    EXPECT_FLOAT_EQ(h.routed.peakCfs, 181.66f);

    // No excess on a routing run; the routed flows go into the new last column.
    using Cells = std::vector<std::string>;
    EXPECT_EQ(chart.columnCount(), 4);
    EXPECT_EQ(chartColumn(chart, 1), Cells(8, "0"));
    EXPECT_EQ(chartColumn(chart, 2), (Cells{"0", "121", "242", "161.33", "80.67", "0", "0", "0"}));
    EXPECT_EQ(chartColumn(chart, 3),
              (Cells{"0", "30.25", "110.4", "181.66", "150", "80.5", "20.04", "0.051"}));
}

TEST_F(ReportTest, StorageTravelTimeAndFileLayouts) {
    // Storage routing adds elevation (feet, two decimals) and storage (acre-feet, rounded) columns.
    run.route = basin::RouteMethod::storage;
    run.storageFileName = "pond.RAT";
    run.stepHours = 1;
    h.inflow.last = 2;
    h.inflow.flowCfs.redim(3);
    fill(h.inflow.flowCfs, {0, 50, 10});
    h.routed.outflowCfs.redim(3);
    fill(h.routed.outflowCfs, {0, 20.4f, 15.55f});
    h.routed.elevationFt.redim(3);
    fill(h.routed.elevationFt, {100, 101.255f, 101.1f});
    h.routed.storageAcreFt.redim(3);
    fill(h.routed.storageAcreFt, {0, 0.1234f, 0.09f});
    h.inflow.peakCfs = 50;
    h.inflow.peakIndex = 1;
    h.routed.peakCfs = 20.4f;
    h.routed.peakIndex = 1;
    h.routed.peakElevationFt = 101.255f;
    h.volumeAcreFt = 2.3f;
    chart.setColumnCount(3);
    EXPECT_EQ(report(), crlfLines({
                            "T1",
                            "T2",
                            "Storage routing file: pond.RAT",
                            "",
                            "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV",
                            "     50.0      1.0      2.3       20  1.00000   101.26",
                            "",
                            "     Time     Elev  Storage  Outflow   Inflow",
                            "      0.0   100.00        0        0        0",
                            "      1.0   101.26     0.12       20       50",
                            "      2.0   101.10     0.09       16       10",
                        }));
    EXPECT_EQ(outcome.caption, "QmaxIn=50 cfs, Vol=2.3 acft, QmaxOut=20 cfs");

    // The other routings name their method on one line, then one empty line.
    run.route = basin::RouteMethod::travelTime;
    run.travelTimeText = "0.5";
    run.travelTimeUnit = "hours";
    const std::string travelTime = "T1\r\nT2\r\nTatum time of travel: 0.5 hours\r\n\r\n  PEAK";
    EXPECT_EQ(report().substr(0, travelTime.size()), travelTime);
    run.route = basin::RouteMethod::combine;
    run.combinedFileName = "/data/outlet.GRF";
    const std::string combined = "T1\r\nT2\r\nCombined hydrograph filename: /data/outlet.GRF\r\n\r\n  PEAK";
    EXPECT_EQ(report().substr(0, combined.size()), combined);
}

TEST_F(ReportTest, SecondComputeRunAddsAColumnAndGrowsTheRows) {
    workedExample();
    report();
    // Half an inch then a quarter inch of excess through the same triangle: 9 ordinates.
    run.storm.steps = 2;
    fill(run.storm.rainIn, {0, 1, 1});
    fill(run.storm.excessIn, {0, 0.5f, 0.25f});
    run.storm.depthIn = 2;
    fill(h.inflow.flowCfs, {0, 60.5f, 151.25f, 141.17f, 80.66f, 20.17f, 0, 0, 0});
    h.inflow.last = 8;
    h.inflow.peakCfs = 151.25f;
    report();
    EXPECT_EQ(outcome.caption, "Runoff Qmax=151 cfs, Vol=50 acft, RainLoss=1.25 in from 2.00 total");

    using Cells = std::vector<std::string>;
    EXPECT_EQ(chart.columnCount(), 4);
    ASSERT_EQ(chart.rowCount(), 9);
    EXPECT_EQ(chartLabels(chart).back(), "8");
    EXPECT_EQ(chartColumn(chart, 1), (Cells{"0", "0.5", "0.25", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(chartColumn(chart, 2), (Cells{"0", "121", "242", "161.33", "80.67", "0", "0", "0", ""}));
    EXPECT_EQ(chartColumn(chart, 3),
              (Cells{"0", "60.5", "151.25", "141.17", "80.66", "20.17", "0", "0", "0"}));
    EXPECT_EQ(chartColumn(chart, 4), Cells(9, ""));
}

TEST_F(ReportTest, RationalRunShowsTheRunoffCoefficientTimesTheExcess) {
    // C 0.5 on a mixed excess of 0.8 in: 0.4 in runs off, so 0.6 of the 1 inch is lost.
    workedExample();
    run.c = 0.5f;
    run.lagHours = 1;
    run.rational = true;
    run.storm.excessIn[1] = 0.8f;
    fill(h.inflow.flowCfs, {0, 256, 256, 0});
    h.inflow.last = 3;
    h.inflow.peakCfs = 256;
    h.inflow.peakIndex = 1;
    h.volumeAcreFt = 21;
    const std::string text = report();
    EXPECT_NE(text.find("      0.0        0  0.00000  0.00000\r\n"
                        "      1.0      256  1.00000  0.40000\r\n"
                        "      2.0      256  0.00000  0.00000\r\n"
                        "      3.0        0\r\n"),
              std::string::npos);
    EXPECT_EQ(outcome.caption, "Runoff Qmax=256 cfs, Vol=21 acft, RainLoss=0.60 in from 1.00 total");
    EXPECT_FLOAT_EQ(outcome.rainLossIn, 0.6f);
    EXPECT_FLOAT_EQ(run.storm.excessIn[1], 0.8f);  // the storm keeps its own excess
    EXPECT_EQ(chart.rows()[1].cells[0], "0.4");
}

TEST(ReportFields, ListItemsFixedWidthFieldsAndRoundedFields) {
    EXPECT_EQ(listItem(0.5f), " .5 ");
    EXPECT_EQ(listItem(-2.25f), "-2.25 ");
    EXPECT_EQ(listItem(-0.5f), "-.5 ");
    EXPECT_EQ(listItem(0), " 0 ");
    EXPECT_EQ(listItem(1234.5678f), " 1234.568 ");  // seven significant digits

    EXPECT_EQ(fm(2.675f, "#####0.00"), "     2.68");  // rounded as the decimal the user typed
    EXPECT_EQ(fm(-0.004f, "#####0.00"), "     0.00");
    EXPECT_EQ(fm(1234567.0f, "##0.00000"), "1234567.0");  // 13 characters: the leftmost nine stay
    EXPECT_EQ(fm(-1234.5, "0.0"), "-12");

    EXPECT_EQ(roundedField(0.5678f), "     0.57");
    EXPECT_EQ(roundedField(0.01234f), "    0.012");
    EXPECT_EQ(roundedField(1234.5f), "     1230");
    EXPECT_EQ(roundedField(-56.78f), "      -57");
}

TEST_F(ReportTest, FileIsSingleByteTextAndAnUncreatableFileFailsFirst) {
    namespace fs = std::filesystem;
    workedExample();
    run.title1 = "D\303\251bit \342\206\222 A";  // "Débit → A" in UTF-8
    const fs::path path = fs::path(::testing::TempDir()) / "report_test_Temp.GRF";
    {
        std::ofstream(path, std::ios::binary) << std::string(5000, 'x');  // an earlier, longer report
    }
    (void)writeReport(path.string(), h, run);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string head = "D\351bit ? A\r\nT2\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - 20), "      7.0        0\r\n");
    fs::remove(path);

    run.route = basin::RouteMethod::muskingum;
    try {
        (void)writeReport((fs::path(::testing::TempDir()) / "no_such_folder" / "Temp.GRF").string(), h, run);
        ADD_FAILURE() << "an uncreatable file must fail";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.description(), "Path/File access error");
    }
}

}  // namespace
}  // namespace brelvo::runoff
