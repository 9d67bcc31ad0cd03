// Hydrograph files read back as new or combined hydrographs, saved copies and `usgsround`, worked by hand.
// worked by hand.
#include "basin/hydrograph_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "support/recording_dialogs.hpp"
#include "support/worked_example_report.hpp"

namespace brelvo::basin {
namespace {

namespace fs = std::filesystem;

float rounded(float value) {
    return usgsround(value);
}

// Lines joined with carriage return and line feed, as the report writes them.
std::string lines(const std::vector<std::string>& text) {
    std::string joined;
    for (const auto& line : text) joined += line + "\r\n";
    return joined;
}

std::vector<float> head(const Series& series, int count) {
    return {series.values().begin(), series.values().begin() + count};
}

TEST(Usgsround, ThreeSignificantFiguresBelow999Point5AndTensFromThere) {
    EXPECT_EQ(rounded(0.01234f), 0.012f);
    EXPECT_EQ(rounded(0.0994f), 0.099f);
    EXPECT_EQ(rounded(0.0995f), 0.1f);  // from 0.0995 on: two decimals
    EXPECT_EQ(rounded(0.5678f), 0.57f);
    EXPECT_EQ(rounded(0.995f), 1.0f);
    EXPECT_EQ(rounded(5.678f), 5.7f);
    EXPECT_EQ(rounded(9.95f), 10.0f);
    EXPECT_EQ(rounded(56.78f), 57.0f);
    EXPECT_EQ(rounded(12.5f), 13.0f);  // a half, held exactly, goes away from zero
    EXPECT_EQ(rounded(998.5f), 999.0f);
    EXPECT_EQ(rounded(999.4f), 999.0f);
    EXPECT_EQ(rounded(999.5f), 1000.0f);  // Int(99.95 + 0.5) * 10
    EXPECT_EQ(rounded(1234.5f), 1230.0f);
    EXPECT_EQ(rounded(1235.0f), 1240.0f);

    // Negatives: the formats round half away from zero; the tens take the whole part, which rounds
    // down, so -1235 gives Int(-123.5 + 0.5) * 10 = -1230 and -1236 gives Int(-123.1) * 10 = -1240.
    EXPECT_EQ(rounded(-0.5678f), -0.57f);
    EXPECT_EQ(rounded(-56.78f), -57.0f);
    EXPECT_EQ(rounded(-12.5f), -13.0f);
    EXPECT_EQ(rounded(-1235.0f), -1230.0f);
    EXPECT_EQ(rounded(-1236.0f), -1240.0f);

    float value = 5.678f;
    EXPECT_EQ(usgsround(value), 5.7f);
    EXPECT_EQ(value, 5.7f);
}

// The working hydrograph with what the routing run keeps beside it.
struct Case {
    WorkingHydrograph h;
    bool hydrographPlotted = false;
    float udur = 0;
    bool reported = false;  // the last read gives a report
};

class HydrographReadTest : public ::testing::Test {
  protected:
    HydrographReadTest() {
        fields.setCaption("Label14", "Hydrograph Time Step (hours)");
        fields.setText("txtGraphtimestep", "15");
    }

    bool read(const std::string& text) {
        std::istringstream in(text);
        return commit(readHydrographFile(in, state.h, state.hydrographPlotted, state.udur));
    }

    // A read's result taken into the case, as the routing run takes it: what the read tells is shown,
    // and the file's step goes into the time-step box in the unit its label names.
    bool commit(HydrographRead read) {
        for (const std::string& message : read.messages) dialogs.message(message);
        if (!read.loaded) return false;
        std::optional<LoadedHydrograph>& loaded = read.loaded;
        fields.setText("txtGraphtimestep", stepText(loaded->stepHours, timeStepInMinutes(fields)));
        state.h = std::move(loaded->hydrograph);
        state.udur = loaded->stepHours;
        state.reported = loaded->reported;
        return true;
    }

    // The state a compute run leaves: the worked triangle graph (cfs, 1-hour steps) on the chart,
    // qout reset to two elements, and a peak left over from a routing before it.
    void computed() {
        state.hydrographPlotted = true;
        state.udur = 1;
        state.h.inflow.flowCfs.redim(kHydrographUpper);
        const std::vector<float> flows{0, 121, 242, 161.33f, 80.67f, 0, 0, 0};
        for (int i = 0; i < 8; ++i) state.h.inflow.flowCfs[i] = flows[static_cast<std::size_t>(i)];
        state.h.inflow.last = 7;
        state.h.inflow.peakCfs = 242;
        state.h.inflow.peakIndex = 2;
        state.h.routed.outflowCfs.redim(1);
        state.h.routed.peakCfs = 5000;
        state.h.routed.peakIndex = 4;
    }

    RunoffFields fields;
    Case state;
    testing_support::RecordingDialogs dialogs;
};

// A plain compute report's table with the flows given for 0, 1, 2 ... hours.
std::string runoffTable(const std::vector<std::string>& rows) {
    std::vector<std::string> text{"T1", "T2", "", "     Time   Runoff Rainfall   Excess"};
    text.insert(text.end(), rows.begin(), rows.end());
    return lines(text);
}

TEST_F(HydrographReadTest, TheWorkedReportLoadsAsANewHydrograph) {
    state.h.inflow.flowCfs.redim(20);
    state.h.inflow.flowCfs[8] = 99;  // left from an earlier run
    EXPECT_TRUE(read(testing_support::kWorkedExampleReport));
    EXPECT_TRUE(dialogs.messages.empty());
    const std::vector<float> flows{0, 121, 242, 161, 81, 0, 0, 0};
    EXPECT_EQ(state.h.inflow.last, 7);
    EXPECT_EQ(state.h.inflow.flowCfs.size(), 9001);
    EXPECT_EQ(head(state.h.inflow.flowCfs, 9), (std::vector<float>{0, 121, 242, 161, 81, 0, 0, 0, 0}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 8), flows);
    EXPECT_EQ(state.udur, 1.0f);
    EXPECT_EQ(state.h.inflow.peakCfs, 242.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    EXPECT_EQ(state.h.routed.peakCfs, 242.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(state.h.volumeAcreFt, 50.0f);  // 605 cfs-hours * 1.9835 / 24 = 50.0007
    EXPECT_TRUE(state.reported);
    EXPECT_TRUE(state.h.outflowIsCurrent);
    EXPECT_EQ(fields.text("txtGraphtimestep"), "1");
}

TEST_F(HydrographReadTest, MinuteStepsAreReadInWholeMinutesAndMatchTheCurrentStep) {
    fields.setCaption("Label14", "Hydrograph Time Step (minutes)");
    const std::string file = lines({"     Time  Outflow   Inflow", "  0.00000       30       30",
                                    "  0.08330       60       60", "  0.16667       30       30",
                                    "         "});  // a line of blanks ends the table as an empty one does
    EXPECT_TRUE(read(file));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FLOAT_EQ(state.udur, 5.0f / 60.0f);  // Int(0.0833 * 60 + 0.1) / 60
    EXPECT_EQ(fields.text("txtGraphtimestep"), "5");
    EXPECT_EQ(head(state.h.inflow.flowCfs, 3), (std::vector<float>{30, 60, 30}));
    EXPECT_EQ(state.h.volumeAcreFt, 0.83f);  // 120 * 1.9835 / (24 / (1/12)) = 0.8265

    // The same file again, onto the plotted 5-minute hydrograph: the steps match, the flows add up.
    state.hydrographPlotted = true;
    EXPECT_TRUE(read(file));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(head(state.h.routed.outflowCfs, 3), (std::vector<float>{60, 120, 60}));
    EXPECT_EQ(state.h.inflow.last, 2);
}

TEST_F(HydrographReadTest, DelimitedFormsTakeTheFirstNamedFlowField) {
    // Tab form: the first field is the time in hours; the step comes from the first time that is not 0,
    // and the row at time 0 is a flow row.
    EXPECT_TRUE(read(lines({"Basin B", "Hours\tTime\tRunoff", "0\t0:00\t50", "2\t2:00\t80", "4\t4:00\t30"})));
    EXPECT_EQ(head(state.h.inflow.flowCfs, 3), (std::vector<float>{50, 80, 30}));
    EXPECT_EQ(state.udur, 2.0f);
    EXPECT_EQ(state.h.inflow.peakCfs, 80.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 1);
    EXPECT_EQ(state.h.volumeAcreFt, 26.0f);  // 160 * 1.9835 / (24 / 2) = 26.45
    EXPECT_EQ(fields.text("txtGraphtimestep"), "2");

    // Comma form: "Inflow" is no flow field, "Outflow" is.
    state = Case{};
    fields.setCaption("Label14", "Hydrograph Time Step (minutes)");
    EXPECT_TRUE(read(lines({"Time,Inflow,Outflow", "0,10,5", "0.5,20,15", "1.0,30,25", "1.5,40,0"})));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(head(state.h.routed.outflowCfs, 4), (std::vector<float>{5, 15, 25, 0}));
    EXPECT_EQ(state.udur, 0.5f);
    EXPECT_EQ(state.h.inflow.last, 3);
    EXPECT_EQ(state.h.inflow.peakCfs, 25.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    EXPECT_EQ(state.h.volumeAcreFt, 1.9f);  // 45 * 1.9835 / 48 = 1.8595
    EXPECT_EQ(fields.text("txtGraphtimestep"), "30");
}

TEST_F(HydrographReadTest, OutflowColumnWinsAndALoadTakesItsPeakFromTheFile) {
    state.h.routed.peakCfs = 5000;  // left from a routing before the chart was cleared
    state.h.routed.peakIndex = 9;
    const std::string file = lines(
        {"Combined hydrograph filename: a.GRF", "", "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV",
         "       90      1.0       12       70  2.00000     0.00", "", "     Time   Runoff  Outflow",
         "      0.0       10        0", "      1.0       90       40", "      2.0       50       70",
         "      3.0       20       30"});
    EXPECT_TRUE(read(file));
    EXPECT_EQ(head(state.h.inflow.flowCfs, 4), (std::vector<float>{0, 40, 70, 30}));
    EXPECT_EQ(state.h.inflow.peakCfs, 70.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    EXPECT_EQ(state.h.routed.peakCfs, 70.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(state.h.volumeAcreFt, 12.0f);  // 140 * 1.9835 / 24 = 11.57
}

TEST_F(HydrographReadTest, CombiningWithAComputedHydrographAddsTheFileOverTheWholeOfBoth) {
    computed();
    EXPECT_TRUE(read(runoffTable(
        {"      0.0       10", "      1.0       20", "      2.0       30", "      3.0       40"})));
    EXPECT_TRUE(dialogs.messages.empty());
    // The computed hydrograph stays the inflow with its peak; past the file's end it goes on alone.
    EXPECT_EQ(head(state.h.inflow.flowCfs, 8), (std::vector<float>{0, 121, 242, 161.33f, 80.67f, 0, 0, 0}));
    EXPECT_EQ(state.h.inflow.peakCfs, 242.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    ASSERT_EQ(state.h.routed.outflowCfs.size(), 9);
    EXPECT_EQ(state.h.routed.outflowCfs[0], 10.0f);
    EXPECT_EQ(state.h.routed.outflowCfs[2], 272.0f);
    EXPECT_FLOAT_EQ(state.h.routed.outflowCfs[3], 201.33f);
    EXPECT_FLOAT_EQ(state.h.routed.outflowCfs[4], 80.67f);
    EXPECT_EQ(state.h.routed.outflowCfs[8], 0.0f);
    // The combined peak is this combination's, not the 5000 left from a routing.
    EXPECT_EQ(state.h.routed.peakCfs, 272.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(state.h.inflow.last, 7);
    // 705 cfs-hours over the whole combined series: 705 * 1.9835 / 24 = 58.27; the file's rows
    // alone would give 624.33 and 52.
    EXPECT_EQ(state.h.volumeAcreFt, 58.0f);
    EXPECT_TRUE(state.reported);
    EXPECT_TRUE(state.h.outflowIsCurrent);
}

TEST_F(HydrographReadTest, SuccessiveCombinationsAddToTheWorkingHydrograph) {
    EXPECT_TRUE(read(runoffTable({"      0.0      100", "      1.0      300", "      2.0      200"})));
    state.hydrographPlotted = true;  // as the report leaves it
    state.reported = false;
    state.h.inflow.flowCfs[3] = 777;  // values past the hydrograph's end, left from earlier runs
    state.h.routed.outflowCfs[3] = 555;

    // A longer file: the current hydrograph reads 0 after its end, in both columns.
    EXPECT_TRUE(read(runoffTable({"      0.0       10", "      1.0       20", "      2.0       30",
                                  "      3.0       40", "      4.0       50"})));
    EXPECT_EQ(head(state.h.inflow.flowCfs, 5), (std::vector<float>{100, 300, 200, 0, 0}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 5), (std::vector<float>{110, 320, 230, 40, 50}));
    EXPECT_EQ(state.h.inflow.peakCfs, 300.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 1);
    EXPECT_EQ(state.h.routed.peakCfs, 320.0f);
    EXPECT_EQ(state.h.inflow.last, 4);
    EXPECT_EQ(state.h.volumeAcreFt, 62.0f);  // 750 * 1.9835 / 24 = 61.98

    // A shorter third file adds to the second combination, whose peak becomes the inflow peak.
    EXPECT_TRUE(read(runoffTable({"      0.0        5", "      1.0        5", "      2.0      500"})));
    EXPECT_EQ(head(state.h.inflow.flowCfs, 5), (std::vector<float>{110, 320, 230, 40, 50}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 5), (std::vector<float>{115, 325, 730, 40, 50}));
    EXPECT_EQ(state.h.inflow.peakCfs, 320.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 1);
    EXPECT_EQ(state.h.routed.peakCfs, 730.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(state.h.inflow.last, 4);
    EXPECT_EQ(state.h.volumeAcreFt, 104.0f);  // 1260 * 1.9835 / 24 = 104.13
}

TEST_F(HydrographReadTest, ADifferentTimeStepStopsAndKeepsTheRowsBefore) {
    computed();
    EXPECT_TRUE(read(runoffTable({"      0.0       10", "      0.5       20", "      1.0       30"})));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{
                                    "Unit durations must match current hydrograph\nhydrograph file, line 6: "
                                    "the file's time step is 0.5 hours, the current hydrograph's 1 hours."}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 3), (std::vector<float>{10, 121, 242}));
    EXPECT_EQ(state.udur, 1.0f);
    EXPECT_FALSE(state.reported);  // one row: nothing to report
}

TEST_F(HydrographReadTest, UnreadableFilesEndInAMessageAndLeaveTheStateAlone) {
    computed();
    const auto failsWith = [&](const std::string& text, const std::string& message) {
        dialogs.messages.clear();
        EXPECT_FALSE(read(text));
        EXPECT_EQ(dialogs.messages, (std::vector<std::string>{message})) << text;
    };
    failsWith(lines({"T1", "TIME  FLOW", "0 5"}),
              "No hydrograph table found: the file has no \"Time\" column header.\nFile: hydrograph file");
    failsWith(
        lines({"Time,Elev,Storage", "0,1,2"}),
        "The hydrograph file's column header names no Outflow or Runoff column.\nFile: hydrograph file");
    failsWith(
        lines({"     Time     Elev", "      0.0     1.00"}),
        "The hydrograph file's column header names no Outflow or Runoff column.\nFile: hydrograph file");
    failsWith(runoffTable({"    abc         5", "      1.0        5"}),
              "hydrograph file, line 5: \"abc\" is not a number.");
    failsWith(runoffTable({}), "hydrograph file: a hydrograph needs at least two rows; the table has 0.");
    // Fields that are not wholly numbers are refused, not read as 0 or as their leading digits.
    failsWith(lines({"Hours\tTime\tRunoff", "0\t0:00\t50", "1\t1:00\t0,25"}),
              "hydrograph file, line 3: \"0,25\" is not a number (use a decimal point).");
    failsWith(lines({"Time,Inflow,Outflow", "0,10,5", "1,20,n/a"}),
              "hydrograph file, line 3: \"n/a\" is not a number.");
    failsWith(lines({"Time,Inflow,Outflow", "0,10,5", "1,20"}),
              "hydrograph file, line 3: \"\" is not a number.");
    failsWith(runoffTable({"      0.0    1E+39", "      1.0        5"}),
              "hydrograph file, line 5: \"1E+39\" is too large a number.");
    // Times that do not rise, a blank line inside the table, a single row.
    failsWith(runoffTable({"      0.0       10", "      1.0       20", "      1.0       30"}),
              "hydrograph file, line 7: the time \"1.0\" does not follow the time of the row above.");
    failsWith(runoffTable({"      0.0       10", "", "      1.0       20"}),
              "hydrograph file, line 6: a blank line inside the table; rows follow it.");
    failsWith(runoffTable({"      0.0       10"}),
              "hydrograph file: a hydrograph needs at least two rows; the table has 1.");
    EXPECT_EQ(state.h.inflow.last, 7);
    EXPECT_EQ(state.h.routed.outflowCfs.size(), 2);
    EXPECT_FALSE(state.reported);

    dialogs.messages.clear();
    EXPECT_FALSE(commit(readHydrographFile((fs::path(::testing::TempDir()) / "no such.GRF").string(), state.h,
                                           state.hydrographPlotted, state.udur)));
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"File not found.\nThere is no file \"" +
                                        (fs::path(::testing::TempDir()) / "no such.GRF").string() + "\"."}));
}

TEST_F(HydrographReadTest, ALoadStopsAtTheRowsTheSeriesHold) {
    std::vector<std::string> rows;
    for (int i = 0; i <= 9001; ++i) {
        const std::string time = std::to_string(i) + ".0";
        rows.push_back(std::string(9 - time.size(), ' ') + time + "        1");
    }
    EXPECT_TRUE(read(runoffTable(rows)));
    EXPECT_EQ(
        dialogs.messages,
        (std::vector<std::string>{
            "The hydrograph file has more than 9001 rows; only the first 9001 were read.\nFile: hydrograph "
            "file"}));
    EXPECT_EQ(state.h.inflow.last, 9000);
    EXPECT_EQ(state.h.inflow.flowCfs[9000], 1.0f);
    EXPECT_EQ(state.h.volumeAcreFt, 744.0f);  // 9001 * 1.9835 / 24 = 743.9
    EXPECT_TRUE(state.reported);
}

}  // namespace
}  // namespace brelvo::basin
