// Frequency runs against single computes of the same storms, across thread counts, and cancelled.
#include "runoff/frequency_run.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "runoff/losses.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

// A small table in the layout of a point precipitation-frequency file: eleven durations, six periods.
PrecipFrequencyTable smallTable() {
    PrecipFrequencyTable table;
    table.unit = "inches";
    table.volume = "NOAA Atlas 14 Volume 9 Version 2";
    table.seriesType = "Partial duration";
    table.latitude = 26.6;
    table.longitude = -81.9;
    table.returnPeriods = {2, 5, 10, 25, 50, 100};
    table.durations = {"5-min", "10-min", "15-min", "30-min", "60-min", "2-hr",
                       "3-hr",  "6-hr",   "12-hr",  "24-hr",  "2-day"};
    table.durationHours = {5.0 / 60, 10.0 / 60, 0.25, 0.5, 1, 2, 3, 6, 12, 24, 48};
    table.depthText = {
        {"0.55", "0.64", "0.72", "0.82", "0.90", "0.98"}, {"0.80", "0.94", "1.05", "1.20", "1.31", "1.43"},
        {"0.98", "1.15", "1.28", "1.46", "1.60", "1.74"}, {"1.46", "1.73", "1.96", "2.27", "2.51", "2.76"},
        {"1.85", "2.24", "2.60", "3.11", "3.53", "3.97"}, {"2.18", "2.71", "3.19", "3.93", "4.56", "5.24"},
        {"2.36", "2.98", "3.56", "4.45", "5.23", "6.08"}, {"2.75", "3.57", "4.36", "5.60", "6.73", "7.99"},
        {"3.15", "4.20", "5.23", "6.87", "8.36", "10.0"}, {"3.58", "4.86", "6.12", "8.13", "9.95", "12.0"},
        {"4.10", "5.55", "6.96", "9.17", "11.1", "13.3"}};
    return table;
}

// The runoff window's fields, handlers bound, with a 2.5 square-mile basin through the SCS graph.
struct Window {
    basin::RunoffFields fields;
    basin::BasinBlock block{fields};
    ComputeContext context{BRELVO_SOURCE_DIR "/data", "", nullptr, {}};
    Window() {
        basin::loadRunoffDefaults(fields);
        fields.setText("txtBasinArea", "2.5");
        fields.setText("txtLag", "1.2");
        fields.setText("txtGraphtimestep", "10");
        fields.setText("txtCNloss", "75");
        fields.setText("ComboRain", "Peak at 2/3");
        fields.setText("ComboDimgraph", "SCS.DGF");
    }
};

FrequencyRequest request(const PrecipFrequencyTable& table, const Window& w, std::vector<int> periods,
                         unsigned threads) {
    FrequencyRequest r;
    r.table = &table;
    r.returnPeriods = std::move(periods);
    r.fields = &w.fields;
    r.context = w.context;
    r.threads = threads;
    return r;
}

TEST(FrequencyRun, EveryRowEqualsASingleComputeOfItsStorm) {
    const PrecipFrequencyTable table = smallTable();
    Window w;
    const std::atomic<bool> cancel{false};
    const auto rows = runFrequency(request(table, w, {2, 10, 100}, 2), nullptr, cancel);
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 3u);
    float lastPeak = 0;
    for (const FrequencyRow& row : *rows) {
        SCOPED_TRACE(row.returnPeriodYears);
        // The window's own compute, its storm typed in through its handlers.
        Window single;
        applyDesignStorm(single.fields, designStormRows(table, row.returnPeriodYears, 24));
        RunoffSession session;
        basin::ChartGrid chart;
        clearPlots(session, chart, single.fields);
        testing_support::RecordingDialogs dialogs;
        ASSERT_TRUE(computeHydrograph(session, single.fields, chart, dialogs, single.context).reported);
        ASSERT_TRUE(row.run.reported);
        EXPECT_EQ(row.run.caption, single.fields.caption("Form3"));
        EXPECT_EQ(row.run.reportText, session.reportText);
        EXPECT_EQ(row.run.summary.peakCfs, session.hydrograph.inflow.peakCfs);
        EXPECT_EQ(row.run.summary.volumeAcreFt, session.hydrograph.volumeAcreFt);
        EXPECT_EQ(row.run.summary.stormDepthIn, session.lastReport->storm.depthIn);
        EXPECT_EQ(row.run.column.flows, chartColumn(session.hydrograph, *session.lastReport).flows);
        // The 24-hour depth is the storm's total, and a rarer storm peaks higher.
        EXPECT_EQ(summaryTexts(row.run.summary)[0], row.returnPeriodYears == 2    ? "3.58"
                                                    : row.returnPeriodYears == 10 ? "6.12"
                                                                                  : "12.00");
        EXPECT_GT(row.run.summary.peakCfs, lastPeak);
        lastPeak = row.run.summary.peakCfs;
    }
    EXPECT_EQ(w.fields.text("txtRain(0)"), "1.00");  // the window's storm is not the runs'
}

TEST(FrequencyRun, ThreadsChangeNothingAndAFailedRowLetsTheOthersRun) {
    const PrecipFrequencyTable table = smallTable();
    Window w;
    const std::atomic<bool> cancel{false};
    // 7 years is not in the table: its row says so and the others run.
    const std::vector<int> periods{2, 5, 7, 10, 25, 50, 100};
    std::mutex seenLock;
    std::multiset<int> seen;
    const auto progress = [&](int done, int total) {
        const std::lock_guard lock(seenLock);
        EXPECT_EQ(total, 7);
        seen.insert(done);
    };
    const auto one = runFrequency(request(table, w, periods, 1), nullptr, cancel);
    const auto two = runFrequency(request(table, w, periods, 2), progress, cancel);
    const auto three = runFrequency(request(table, w, periods, 3), nullptr, cancel);
    ASSERT_TRUE(one && two && three);
    EXPECT_EQ(seen, (std::multiset<int>{1, 2, 3, 4, 5, 6, 7}));
    for (std::size_t i = 0; i < periods.size(); ++i) {
        SCOPED_TRACE(periods[i]);
        for (const auto* other : {&*two, &*three}) {
            const FrequencyRow& a = (*one)[i];
            const FrequencyRow& b = (*other)[i];
            EXPECT_EQ(b.returnPeriodYears, periods[i]);
            EXPECT_EQ(b.run.reported, periods[i] != 7);
            EXPECT_EQ(b.run.messages, a.run.messages);
            EXPECT_EQ(b.run.reportText, a.run.reportText);
            EXPECT_EQ(b.run.caption, a.run.caption);
            EXPECT_EQ(summaryTexts(b.run.summary), summaryTexts(a.run.summary));
            EXPECT_EQ(b.run.summary.runoffDepthIn, a.run.summary.runoffDepthIn);
            EXPECT_EQ(b.run.summary.peakHours, a.run.summary.peakHours);
        }
    }
    EXPECT_EQ((*one)[2].run.messages, std::vector<std::string>{designStormRows(table, 7, 24).error});
    EXPECT_FALSE((*one)[2].run.messages[0].empty());
    EXPECT_EQ(frequencySummaryCsv(*one, {}), frequencySummaryCsv(*two, {}));
}

TEST(FrequencyRun, ATemporalDistributionReachesTheRunsAsItReachesASingleCompute) {
    const PrecipFrequencyTable table = smallTable();
    Window w;
    w.fields.setText("ComboRain", "Temporal Distribution");
    w.context.temporalPattern =
        TemporalPattern{"t.csv", "SECOND-QUARTILE", "50%", {0, 6, 12, 18, 24}, {0, 10, 60, 90, 100}};
    const std::atomic<bool> cancel{false};
    const auto rows = runFrequency(request(table, w, {25}, 1), nullptr, cancel);
    ASSERT_TRUE(rows && rows->size() == 1);
    const FrequencyRow& row = (*rows)[0];
    ASSERT_TRUE(row.run.reported) << failureText(row.run);
    Window single;
    single.fields.setText("ComboRain", "Temporal Distribution");
    applyDesignStorm(single.fields, designStormRows(table, 25, 24));
    RunoffSession session;
    session.temporalPattern = w.context.temporalPattern;
    basin::ChartGrid chart;
    clearPlots(session, chart, single.fields);
    testing_support::RecordingDialogs dialogs;
    ASSERT_TRUE(computeHydrograph(session, single.fields, chart, dialogs, single.context).reported);
    EXPECT_EQ(row.run.reportText, session.reportText);
    EXPECT_EQ(summaryTexts(row.run.summary)[0], "8.13");
}

TEST(FrequencyRun, CancelStopsBetweenRuns) {
    const PrecipFrequencyTable table = smallTable();
    Window w;
    std::atomic<bool> cancel{false};
    int calls = 0;
    const auto rows = runFrequency(
        request(table, w, {2, 5, 10, 25, 50, 100}, 1),
        [&](int, int) {
            ++calls;
            cancel = true;
        },
        cancel);
    EXPECT_FALSE(rows.has_value());
    EXPECT_EQ(calls, 1);  // the run under way ends, no other starts
}

TEST(FrequencyRun, SummaryCsv) {
    FrequencyRow done;
    done.returnPeriodYears = 10;
    done.run.reported = true;
    done.run.summary = {6.12f, 3.3f, 1234.5f, 16.1666667f, 440.4f};
    FrequencyRow failed;
    failed.returnPeriodYears = 100;
    failed.run.messages = {"Overflow", "Use a \"longer\" step, or fewer rows"};
    FrequencyRow quiet;
    quiet.returnPeriodYears = 2;
    // The site and the losses on every row; CR LF line ends.
    FrequencySite site{"FORT MYERS PAGE FLD, FL", lossInputs(75, 0.1f, 35)};
    EXPECT_EQ(frequencySummaryCsv({done, failed, quiet}, site),
              "Return period (years),Storm depth (in),Runoff depth (in),Peak (cfs),Time of peak (h),Volume "
              "(acre-ft),Site,Curve number,Initial loss (in),Constant loss (in/h),Impervious (%)\r\n"
              "10,6.12,3.30,1234.5,16.17,440.4,\"FORT MYERS PAGE FLD, FL\",75,,0.10,35\r\n"
              "100,\"Overflow Use a \"\"longer\"\" step, or fewer rows\",,,,,\"FORT MYERS PAGE FLD, "
              "FL\",75,,0.10,35\r\n"
              "2,\"The run ended without a report.\",,,,,\"FORT MYERS PAGE FLD, FL\",75,,0.10,35\r\n");
    // An initial loss in place of a curve number.
    site = {"", lossInputs(1.5f, 0, 0)};
    EXPECT_EQ(frequencySummaryCsv({done}, site).substr(frequencySummaryCsv({}, site).size()),
              "10,6.12,3.30,1234.5,16.17,440.4,\"\",,1.50,0.00,0\r\n");
}

TEST(FrequencyRun, TheDefaultReturnPeriodsAreTwoToAHundredYearsOfTheTable) {
    EXPECT_EQ(defaultReturnPeriods({1, 2, 5, 10, 25, 50, 100, 200, 500, 1000}),
              (std::vector<int>{2, 5, 10, 25, 50, 100}));
    EXPECT_EQ(defaultReturnPeriods({100, 3, 2, 1000}), (std::vector<int>{100, 2}));
    EXPECT_EQ(defaultReturnPeriods({1, 500}), std::vector<int>{});
}

}  // namespace
}  // namespace brelvo::runoff
