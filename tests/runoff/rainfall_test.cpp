// Rainfall series checked against storms worked out by hand: table, uniform, synthetic and storm-file rain.
#include "runoff/rainfall.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

#include "common/failure.hpp"
#include "support/failure_number.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

using basin::RunoffFields;
using basin::RunoffState;

using testing_support::failureNumber;

// Table rows (hours, inches) from box 0 on; the other boxes stay empty.
RunoffFields table(const std::vector<std::pair<std::string, std::string>>& rows) {
    RunoffFields fields;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        fields.setText(RunoffFields::indexed("txtDuration", static_cast<int>(i)), rows[i].first);
        fields.setText(RunoffFields::indexed("txtRain", static_cast<int>(i)), rows[i].second);
    }
    return fields;
}

// The rain of a compute run: arrangement, table, series and total, with a time step in hours.
RunoffState storm(const std::string& arrangement, RunoffFields& fields, float udur) {
    RunoffState state;
    state.udur = udur;
    decodeArrangement(arrangement, state);
    readDepthDurationTable(fields, state);
    testing_support::RecordingDialogs dialogs;
    EXPECT_TRUE(buildRainfall(state, fields, dialogs, "/nowhere"));
    return state;
}

void expectRain(const RunoffState& state, const std::vector<float>& expected) {
    ASSERT_EQ(state.nRain, static_cast<int>(expected.size()));
    for (int i = 1; i <= state.nRain; ++i) {
        EXPECT_FLOAT_EQ(state.rainStep[i], expected[i - 1]) << "step " << i;
    }
    EXPECT_EQ(state.rainStep[0], 0.0f);
}

TEST(Arrangement, ExactTextsOnlyAndOtherTextKeepsThePeak) {
    RunoffState state;
    decodeArrangement("Peak at 1/3", state);
    EXPECT_EQ(state.arrangeClass, 1);
    EXPECT_EQ(state.arrangePeak, 2);
    decodeArrangement("Average", state);
    EXPECT_EQ(state.arrangeClass, 0);
    decodeArrangement("peak centered", state);
    EXPECT_EQ(state.arrangeClass, 1);
    EXPECT_EQ(state.arrangePeak, 2);
    decodeArrangement("Storm File", state);
    EXPECT_EQ(state.arrangeClass, 2);
    EXPECT_EQ(state.arrangePeak, 2);
}

TEST(DepthDurationTable, ArealFactorAndStopAtTheFirstEmptyRainBox) {
    RunoffFields fields = table({{"1", "1.00"}, {"2", "3.00"}, {"3", "2.00"}, {"6", ""}, {"12", "4.00"}});
    fields.setText("txtArealAdj(1)", "0.5");
    fields.setText("txtArealAdj(2)", "0");
    RunoffState state;
    state.depthTable.redim(5);
    state.depthTable[5] = 7;  // left from an earlier run
    readDepthDurationTable(fields, state);
    EXPECT_EQ(state.nTable, 3);
    EXPECT_EQ(state.depthTable.upper(), 500);
    EXPECT_EQ(state.depthTable[1], 1.0f);
    EXPECT_EQ(state.depthTable[2], 1.5f);  // 3.00 * 0.5
    EXPECT_EQ(state.depthTable[3], 2.0f);  // a factor of 0 counts as 1
    EXPECT_EQ(state.durTable[3], 3.0f);
    EXPECT_EQ(state.depthTable[5], 0.0f);  // the 12-hour row below the empty box is not read
    EXPECT_EQ(state.durTable[5], 0.0f);
}

TEST(AverageStorm, EqualStepsOfTheLastRow) {
    RunoffFields fields = table({{"1", "1.00"}, {"6", "3.00"}});
    const RunoffState state = storm("Average", fields, 0.5f);
    expectRain(state, std::vector<float>(12, 0.25f));
    EXPECT_EQ(state.nSize, 22);
    EXPECT_FLOAT_EQ(state.rainTotal, 3.0f);

    // 5 h / 2 h = 2.5 steps rounds to even: 2 steps of 1 * 2 / 5 inch, 0.8 inch in all.
    RunoffFields odd = table({{"5", "1.00"}});
    const RunoffState uneven = storm("Average", odd, 2.0f);
    expectRain(uneven, {0.4f, 0.4f});
    EXPECT_EQ(uneven.nSize, 12);  // CInt(12.5)
    EXPECT_FLOAT_EQ(uneven.rainTotal, 0.8f);
}

// Rows 1, 2, 3 h with 1.00, 1.50, 1.80 in at a 1-hour step: the curve is sampled at its own points.
TEST(SyntheticStorm, ThreeRowTableInEveryArrangement) {
    RunoffFields fields = table({{"1", "1.00"}, {"2", "1.50"}, {"3", "1.80"}});
    RunoffState state;
    state.udur = 1;
    readDepthDurationTable(fields, state);
    StormWork work;
    syntheticStorm(state, work);
    EXPECT_EQ(work.cumulative[1], 1.0f);
    EXPECT_EQ(work.cumulative[2], 1.5f);
    EXPECT_EQ(work.cumulative[3], 1.8f);
    EXPECT_EQ(state.nTable, 3);
    EXPECT_EQ(state.nSize, 13);
    EXPECT_EQ(state.depthTable[0], 0.0f);  // the first row is not longer than a step

    expectRain(storm("None", fields, 1), {1.0f, 0.5f, 0.3f});
    expectRain(storm("Peak at 2/3", fields, 1), {0.5f, 1.0f, 0.3f});
    expectRain(storm("Peak at 1/3", fields, 1), {0.3f, 1.0f, 0.5f});
    const RunoffState centered = storm("Peak Centered", fields, 1);
    expectRain(centered, {0.5f, 1.0f, 0.3f});
    EXPECT_FLOAT_EQ(centered.rainTotal, 1.8f);
}

// Eight 1-hour rows whose increments, in time order, are 0.375, 0.75, 1, 0.875, 0.625, 0.5, 0.25,
// 0.125; sorted: s1 = 1, s2 = 0.875, s3 = 0.75, s4 = 0.625, s5 = 0.5, s6 = 0.375, s7 = 0.25, s8 = 0.125.
TEST(SyntheticStorm, PlacementAroundThePeakFallsBackToTheOtherSide) {
    RunoffFields fields = table({{"1", "0.375"}, {"2", "1.125"}, {"3", "2.125"}, {"4", "3.0"},
                                 {"5", "3.625"}, {"6", "4.125"}, {"7", "4.375"}, {"8", "4.5"}});
    expectRain(storm("None", fields, 1), {1, 0.875, 0.75, 0.625, 0.5, 0.375, 0.25, 0.125});
    // p = CInt(16/3) = 5; s2, s3 left (4, 3); s4 right (6); s5, s6 left (2, 1); s7 right (7);
    // s8 is due left, where nothing is free, so it goes right (8).
    expectRain(storm("Peak at 2/3", fields, 1), {0.375, 0.5, 0.75, 0.875, 1, 0.625, 0.25, 0.125});
    expectRain(storm("Peak at 1/3", fields, 1), {0.125, 0.25, 0.625, 1, 0.875, 0.75, 0.5, 0.375});
    // p = 4; odd j left (3, 2, 1), even j right (5, 6, 7); s8 is due left and goes right (8).
    expectRain(storm("Peak Centered", fields, 1), {0.375, 0.625, 0.875, 1, 0.75, 0.5, 0.25, 0.125});

    // The sixth rain box emptied: the filled seventh row is ignored and five steps remain,
    // sorted 1, 0.875, 0.75, 0.625, 0.375.
    fields.setText("txtRain(5)", "");
    // p = CInt(2.5) = 2: s2 left (1), s3 right (3), s4 due left goes right (4), s5 right (5).
    expectRain(storm("Peak Centered", fields, 1), {0.875, 1, 0.75, 0.625, 0.375});
    // p = CInt(10/3) = 3: s2, s3 left (2, 1), s4 right (4), s5 due left goes right (5).
    expectRain(storm("Peak at 2/3", fields, 1), {0.75, 0.875, 1, 0.625, 0.375});
}

TEST(SortDescending, SortsOnlyTheGivenRange) {
    basin::Series a;
    a.redim(5);
    const float values[] = {9, 1, 3, 2, 0.5f, 4};
    for (int i = 0; i <= 5; ++i) a[i] = values[i];
    sortDescending(a, 1, 4);
    EXPECT_EQ(a.values(), (std::vector<float>{9, 3, 2, 1, 0.5f, 4}));
    sortDescending(a, 3, 2);  // an empty range
    EXPECT_EQ(a.values(), (std::vector<float>{9, 3, 2, 1, 0.5f, 4}));
}

TEST(SyntheticStorm, OneStepStormCenteredKeepsItsDepthInStepOne) {
    RunoffFields fields = table({{"1", "2.00"}});
    expectRain(storm("Peak Centered", fields, 1), {2.0f});
}

// Rows (1 h, 1 in) and (5 h, 3 in) at a 1-hour step. No slopes are set, so on (1, 5): h = 4,
// delta = 0.5, c2 = 3 * 0.5 / 4 = 0.375, c3 = -2 * 0.5 / 16 = -0.0625.
TEST(SyntheticStorm, TwoRowsGiveTheSShapedCubicWithFlatEnds) {
    RunoffFields fields = table({{"1", "1.00"}, {"5", "3.00"}});
    RunoffState state;
    state.udur = 1;
    readDepthDurationTable(fields, state);
    StormWork work;
    syntheticStorm(state, work);
    EXPECT_EQ(work.slopes[1], 0.0f);
    EXPECT_EQ(work.slopes[2], 0.0f);
    EXPECT_EQ(work.cumulative[1], 1.0f);
    EXPECT_EQ(work.cumulative[2], 1.3125f);  // 1 + 0.375 - 0.0625; a straight line would give 1.5
    EXPECT_EQ(work.cumulative[3], 2.0f);     // 1 + 1.5 - 0.5
    EXPECT_EQ(work.cumulative[4], 2.6875f);  // 1 + 3.375 - 1.6875
    EXPECT_EQ(work.cumulative[5], 3.0f);
    expectRain(state, {1.0f, 0.6875f, 0.6875f, 0.3125f, 0.3125f});
}

TEST(SyntheticStorm, StepsEndingWithinTheStormAreKept) {
    // 24 h at 0.35 h: 68 steps end at 23.8 h, the 69th would end at 24.15 h.
    RunoffFields day = table({{"24", "5.00"}});
    const RunoffState state = storm("None", day, 0.35f);
    EXPECT_EQ(state.nRain, 68);
    EXPECT_EQ(state.nSize, 79);  // CInt(68.57 + 10)
    // 24 h is longer than a step: the curve starts at 5 / (24 / 0.35 + 1) = 35/487 inch.
    EXPECT_FLOAT_EQ(state.depthTable[0], 35.0f / 487.0f);

    // Ten steps of 0.1 h summed in double end at 1.0000000149 h, which as a single is 1 h: kept.
    RunoffFields hour = table({{"1", "1.00"}});
    EXPECT_EQ(storm("None", hour, 0.1f).nRain, 10);

    // A storm shorter than one step has no step.
    RunoffFields brief = table({{"0.5", "1.00"}});
    const RunoffState none = storm("Peak at 2/3", brief, 1);
    EXPECT_EQ(none.nRain, 0);
    EXPECT_EQ(none.rainTotal, 0.0f);
}

TEST(RainfallFailures, ZeroStepZeroDurationAndTooManySteps) {
    RunoffFields fields = table({{"6", "3.00"}});
    EXPECT_EQ(failureNumber([&] { storm("Average", fields, 0); }), 11);
    EXPECT_EQ(failureNumber([&] { storm("Peak Centered", fields, 0); }), 11);
    EXPECT_EQ(failureNumber([&] { storm("None", fields, 0.0001f); }), 6);  // 60,010 steps
    RunoffFields empty = table({{"6", ""}});
    EXPECT_EQ(failureNumber([&] { storm("Average", empty, 0.5f); }), 6);  // 0 inches over 0 hours
}

class StormFile : public ::testing::Test {
protected:
    // One folder per test, so that tests run as separate processes never share one.
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   (std::string("brelvo_storm_") +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
};

TEST_F(StormFile, ReadsStepsAndShowsTheFilesTimeStep) {
    RunoffFields fields = table({{"1", "1.00"}, {"2", "1.50"}});
    fields.setCaption("Label14", "Hydrograph Time Step (minutes)");
    RunoffState state;
    state.udur = 0.25f;
    state.arrangeClass = 2;
    state.constantLoss = 0.2f;  // inches per hour
    testing_support::RecordingDialogs dialogs;
    dialogs.fileAnswer =
        write("may.STM", "Storm of May 12\r\n3,0.5,extra\r\n0.5,0.25\r\n1.0,0.75,x\r\n1.5,0.5\r\n");
    ASSERT_TRUE(buildRainfall(state, fields, dialogs, folder.string()));

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, folder.string());
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Storm files (*.STM)|*.STM|All files (*.*)|*.*|");
    EXPECT_FALSE(dialogs.fileRequests[0].save);

    expectRain(state, {0.25f, 0.75f, 0.5f});
    EXPECT_EQ(state.udur, 0.5f);
    EXPECT_EQ(state.constantLossStep, 0.1f);  // 0.2 in/h over the file's half hour
    EXPECT_EQ(state.nSize, 13);
    EXPECT_EQ(state.stormDur, 1.5f);
    EXPECT_EQ(state.stormDepth, 1.5f);
    EXPECT_EQ(state.rainTotal, 1.5f);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtDuration", i)), "");
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtRain", i)), "");
    }
    EXPECT_EQ(fields.text("txtGraphtimestep"), "0.5");
    EXPECT_EQ(fields.caption("Label14"), "Hydrograph Time Step (hours)");
    EXPECT_EQ(fields.text("txtTile2"), "Storm file " + *dialogs.fileAnswer);
}

TEST_F(StormFile, TabSeparatedWithLfLinesAndAHalfStepCountRoundedToEven) {
    RunoffFields fields;
    RunoffState state;
    parseStormFile("title\n2.5\t0.1\n0\t0.2\n0.1\t0.3\n0.2\t9\n", "/data/t.STM", state, fields);
    expectRain(state, {0.2f, 0.3f});  // N = 2; the third line is not read
    EXPECT_EQ(fields.text("txtGraphtimestep"), "0.1");
}

TEST_F(StormFile, MalformedFilesFailAndACancelledDialogChangesNothing) {
    auto parse = [](const std::string& text) {
        return [text] {
            RunoffFields fields;
            RunoffState state;
            parseStormFile(text, "x.STM", state, fields);
        };
    };
    // The comma of line 2 separates the whole file; the tab-separated steps have no second field.
    EXPECT_EQ(failureNumber(parse("t\n2,1\n0\t0.5\n1\t0.5\n")), 9);
    EXPECT_EQ(failureNumber(parse("t\n3,1\n0,0.5\n1,0.5\n")), 62);  // shorter than announced
    EXPECT_EQ(failureNumber(parse("t\n")), 62);
    EXPECT_EQ(failureNumber(parse("t\n32758,1\n")), 6);  // 32,768 elements cannot be counted
    EXPECT_EQ(failureNumber(parse("t\n-1,1\n")), 9);

    RunoffFields fields = table({{"1", "1.00"}});
    RunoffState state;
    state.udur = 0.25f;
    testing_support::RecordingDialogs dialogs;
    EXPECT_FALSE(readStormFile(state, fields, dialogs, folder.string()));
    EXPECT_EQ(state.udur, 0.25f);
    EXPECT_EQ(fields.text("txtRain(0)"), "1.00");

    dialogs.fileAnswer = (folder / "missing.STM").string();
    EXPECT_EQ(failureNumber([&] { readStormFile(state, fields, dialogs, folder.string()); }), 53);
}

}  // namespace
}  // namespace brelvo::runoff
