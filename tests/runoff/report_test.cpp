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
        fields.setText("txtTitle", "T1");
        fields.setText("txtTile2", "T2");
        basin::resetChart(chart, state, fields);  // one row: duration "1", depth 1 and 0
    }

    // The triangle unit graph run of one inch in one hour on one square mile, lag 2 hours.
    void workedExample() {
        state.basinArea = 1;
        state.cValue = 1;
        state.lagHours = 2;
        state.udur = 1;
        state.stormDur = 1;
        state.stormDepth = 1;
        fields.setText("ComboDimgraph", "Triangle Unit Graph");
        state.nRain = 1;
        state.nSize = 11;
        state.rainStep.redim(state.nSize);
        state.excessStep.redim(state.nSize);
        state.rainStep[1] = 1;
        state.excessStep[1] = 1;
        state.qi.redim(basin::RunoffState::kHydrographUpper);
        fill(state.qi, {0, 121, 242, 161.33f, 80.67f, 0, 0, 0});
        state.it = 7;
        state.maxq = 242;
        state.tmax = 2;
        state.volAcft = 50;
    }

    std::string report(const ReportInputs& inputs = {}) {
        std::ostringstream out;
        writeReport(out, state, fields, chart, inputs);
        return out.str();
    }

    basin::RunoffFields fields;
    basin::RunoffState state;
    basin::ChartGrid chart;
};

TEST_F(ReportTest, WorkedExampleFileCaptionAndChart) {
    workedExample();
    EXPECT_EQ(report(), testing_support::kWorkedExampleReport);
    EXPECT_EQ(fields.caption("Form3"), "Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total");
    EXPECT_EQ(state.routeMode, 0);
    EXPECT_TRUE(state.hydrographPlotted);

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
    state.basinArea = 0.5f;
    state.cValue = 0.35f;
    state.lagHours = 0.75f;
    state.udur = 0.25f;
    state.curveNumberLoss = true;
    state.curveNumber = 80;
    state.constantLoss = 0.1f;
    state.imperviousFraction = 0.25f;
    fields.setText("ComboDimgraph", "SCS.DGF");
    state.stormDur = 0.5f;
    state.stormDepth = 0.5f;
    state.nRain = 2;
    state.rainStep.redim(12);
    state.excessStep.redim(12);
    fill(state.rainStep, {0, 0.3f, 0.2f});
    fill(state.excessStep, {0, 0.1f, 0.05f});
    state.qi.redim(basin::RunoffState::kHydrographUpper);
    fill(state.qi, {0, 20.5f, 56.78f, 30.1f, 10.2f, 0.04f});
    state.it = 5;
    state.maxq = 56.78f;
    state.tmax = 2;
    state.volAcft = 1.2f;

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
    EXPECT_EQ(fields.caption("Form3"), "Runoff Qmax=57 cfs, Vol=1.2 acft, RainLoss=0.35 in from 0.50 total");
    EXPECT_FLOAT_EQ(state.maxq, 57.0f);
    using Cells = std::vector<std::string>;
    EXPECT_EQ(chartLabels(chart), (Cells{"0", "0.25", "0.5", "0.75", "1", "1.25"}));
    EXPECT_EQ(chartColumn(chart, 1), (Cells{"0", "0.1", "0.05", "0", "0", "0"}));
    EXPECT_EQ(chart.labelSpacing(), 0);  // 5 \ 6
}

TEST_F(ReportTest, RowLabelsAreTheRoundedTimeReadBack) {
    // A step of 1.5 hours labels whole hours, rounded half away from zero: 1.5 -> 2, 4.5 -> 5.
    workedExample();
    state.udur = 1.5f;
    state.it = 4;
    report();
    EXPECT_EQ(chartLabels(chart), (std::vector<std::string>{"0", "2", "3", "5", "6"}));
}

TEST_F(ReportTest, MuskingumRoutingLayout) {
    workedExample();
    report();  // the computed hydrograph is on the chart: three columns, 8 rows
    state.routeMode = 2;
    state.nRain = -2;
    fields.setText("txtMuskK", "2");
    fields.setText("txtMuskX", "0.2");
    state.qout.redim(9);
    fill(state.qout, {0, 30.25f, 110.4f, 181.66f, 150, 80.5f, 20.04f, 0.051f});
    state.maxout = 181.66f;
    state.tmaxout = 3;
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
    EXPECT_EQ(fields.caption("Form3"), "QmaxIn=242 cfs, Vol=50 acft, QmaxOut=182 cfs");
    EXPECT_FLOAT_EQ(state.maxout, 182.0f);
    EXPECT_EQ(state.routeMode, 0);

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
    state.routeMode = 1;
    state.storageFileName = "pond.RAT";
    state.nRain = -2;
    state.udur = 1;
    state.it = 2;
    state.qi.redim(3);
    fill(state.qi, {0, 50, 10});
    state.qout.redim(3);
    fill(state.qout, {0, 20.4f, 15.55f});
    state.elvout.redim(3);
    fill(state.elvout, {100, 101.255f, 101.1f});
    state.storout.redim(3);
    fill(state.storout, {0, 0.1234f, 0.09f});
    state.maxq = 50;
    state.tmax = 1;
    state.maxout = 20.4f;
    state.tmaxout = 1;
    state.maxelv = 101.255f;
    state.volAcft = 2.3f;
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
    EXPECT_EQ(fields.caption("Form3"), "QmaxIn=50 cfs, Vol=2.3 acft, QmaxOut=20 cfs");

    // The other routings name their method on one line, then one empty line.
    state.routeMode = 4;
    fields.setText("txtTatum", "0.5");
    fields.setCaption("capTatum", "hours");
    const std::string travelTime = "T1\r\nT2\r\nTatum time of travel: 0.5 hours\r\n\r\n  PEAK";
    EXPECT_EQ(report().substr(0, travelTime.size()), travelTime);
    state.routeMode = 3;
    const std::string combined = "T1\r\nT2\r\nCombined hydrograph filename: /data/outlet.GRF\r\n\r\n  PEAK";
    EXPECT_EQ(report(ReportInputs{"/data/outlet.GRF"}).substr(0, combined.size()), combined);
}

TEST_F(ReportTest, SecondComputeRunAddsAColumnAndGrowsTheRows) {
    workedExample();
    report();
    // Half an inch then a quarter inch of excess through the same triangle: 9 ordinates.
    state.nRain = 2;
    fill(state.rainStep, {0, 1, 1});
    fill(state.excessStep, {0, 0.5f, 0.25f});
    state.stormDepth = 2;
    fill(state.qi, {0, 60.5f, 151.25f, 141.17f, 80.66f, 20.17f, 0, 0, 0});
    state.it = 8;
    state.maxq = 151.25f;
    report();
    EXPECT_EQ(fields.caption("Form3"), "Runoff Qmax=151 cfs, Vol=50 acft, RainLoss=1.25 in from 2.00 total");

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
    state.cValue = 0.5f;
    state.lagHours = 1;
    state.rationalRun = true;
    state.excessStep[1] = 0.8f;
    fill(state.qi, {0, 256, 256, 0});
    state.it = 3;
    state.maxq = 256;
    state.tmax = 1;
    state.volAcft = 21;
    const std::string text = report();
    EXPECT_NE(text.find("      0.0        0  0.00000  0.00000\r\n"
                        "      1.0      256  1.00000  0.40000\r\n"
                        "      2.0      256  0.00000  0.00000\r\n"
                        "      3.0        0\r\n"),
              std::string::npos);
    EXPECT_EQ(fields.caption("Form3"), "Runoff Qmax=256 cfs, Vol=21 acft, RainLoss=0.60 in from 1.00 total");
    EXPECT_FLOAT_EQ(state.excessStep[1], 0.4f);
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
    fields.setText("txtTitle", "D\303\251bit \342\206\222 A");  // "Débit → A" in UTF-8
    const fs::path path = fs::path(::testing::TempDir()) / "report_test_Temp.GRF";
    {
        std::ofstream(path, std::ios::binary) << std::string(5000, 'x');  // an earlier, longer report
    }
    writeReport(path.string(), state, fields, chart, {});
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string head = "D\351bit ? A\r\nT2\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - 20), "      7.0        0\r\n");
    fs::remove(path);

    state.routeMode = 2;
    const std::string caption = fields.caption("Form3");
    try {
        writeReport((fs::path(::testing::TempDir()) / "no_such_folder" / "Temp.GRF").string(), state, fields,
                    chart, {});
        ADD_FAILURE() << "an uncreatable file must fail";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.description(), "Path/File access error");
    }
    EXPECT_EQ(state.routeMode, 2);
    EXPECT_EQ(fields.caption("Form3"), caption);
    EXPECT_EQ(chart.columnCount(), 3);
}

}  // namespace
}  // namespace brelvo::runoff
