// Rainfall series checked against storms worked out by hand: table, uniform, synthetic and storm-file rain.
#include "runoff/rainfall.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "common/failure.hpp"
#include "runoff/input_check.hpp"
#include "runoff/storm_display.hpp"
#include "support/failure_number.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

using basin::RunoffFields;

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

// The rain of a compute run: arrangement, table and storm, with a time step in hours.
struct Rain {
    basin::Storm storm;
    RainRun run;
    float constantLossStepIn = 0;
};

Rain storm(const std::string& arrangement, RunoffFields& fields, float udur,
           basin::LossInputs losses = basin::LossInputs{}) {
    Rain rain;
    rain.run.stepHours = udur;
    const DepthDurationTable table = readDepthDurationTable(fields);
    Rainfall built =
        buildRainfall(decodeArrangement(arrangement, basin::PeakPlacement::none), table, losses, rain.run);
    rain.storm = std::move(built.storm);
    rain.constantLossStepIn = built.constantLossStepIn;
    return rain;
}

// The depths of a curve sampled at its own rows: the cubic is evaluated in single precision step by
// step, so at a row it lands within a few tenths of a millionth of an inch of the row's depth.
void expectRainNear(const basin::Storm& storm, const std::vector<float>& expected) {
    ASSERT_EQ(storm.steps, static_cast<int>(expected.size()));
    for (int i = 1; i <= storm.steps; ++i)
        EXPECT_NEAR(storm.rainIn[i], expected[i - 1], 1e-6) << "step " << i;
    EXPECT_EQ(storm.rainIn[0], 0.0f);
}

void expectRain(const basin::Storm& storm, const std::vector<float>& expected) {
    ASSERT_EQ(storm.steps, static_cast<int>(expected.size()));
    for (int i = 1; i <= storm.steps; ++i) {
        EXPECT_FLOAT_EQ(storm.rainIn[i], expected[i - 1]) << "step " << i;
    }
    EXPECT_EQ(storm.rainIn[0], 0.0f);
}
void expectRain(const Rain& rain, const std::vector<float>& expected) {
    expectRain(rain.storm, expected);
    EXPECT_EQ(rain.run.rainSteps, std::optional<std::int16_t>(static_cast<std::int16_t>(expected.size())));
}
void expectRainNear(const Rain& rain, const std::vector<float>& expected) {
    expectRainNear(rain.storm, expected);
    EXPECT_EQ(rain.run.rainSteps, std::optional<std::int16_t>(static_cast<std::int16_t>(expected.size())));
}

// The depth of the duration-0 point that the synthetic storm of the table sets (0 unless the first
// row is longer than a step).
float durationZeroDepth(const DepthDurationTable& table, float udur) {
    StormWork work;
    const basin::Storm synthetic = syntheticStorm(table, basin::PeakPlacement::none, udur, work);
    basin::Series durations = table.durationHours;
    basin::Series depths = table.depthIn;
    std::int16_t rows = table.rows;
    basin::Series rain;
    rain.redim(synthetic.upper);
    arrangeStorm(basin::PeakPlacement::none, durations, depths, work.slopes, rows, work.times, rain,
                 synthetic.durationHours, udur, work.cumulative, work.increments);
    return depths[0];
}

TEST(Arrangement, ExactTextsOnlyAndOtherTextKeepsThePeak) {
    using basin::PeakPlacement;
    using basin::RainSource;
    basin::RainArrangement a = decodeArrangement("Peak at 1/3", PeakPlacement::none);
    EXPECT_EQ(a.source, RainSource::synthetic);
    EXPECT_EQ(a.peak, PeakPlacement::oneThird);
    a = decodeArrangement("Average", a.peak);
    EXPECT_EQ(a.source, RainSource::average);
    a = decodeArrangement("peak centered", a.peak);
    EXPECT_EQ(a.source, RainSource::synthetic);
    EXPECT_EQ(a.peak, PeakPlacement::oneThird);
    a = decodeArrangement("Storm File", a.peak);
    EXPECT_EQ(a.source, RainSource::stormFile);
    EXPECT_EQ(a.peak, PeakPlacement::oneThird);
}

TEST(DepthDurationTable, ArealFactorAndStopAtTheFirstEmptyRainBox) {
    RunoffFields fields = table({{"1", "1.00"}, {"2", "3.00"}, {"3", "2.00"}, {"6", ""}, {"12", "4.00"}});
    fields.setText("txtArealAdj(1)", "0.5");
    fields.setText("txtArealAdj(2)", "0");
    const DepthDurationTable read = readDepthDurationTable(fields);
    EXPECT_EQ(read.rows, 3);
    EXPECT_EQ(read.depthIn.upper(), 500);
    EXPECT_EQ(read.depthIn[1], 1.0f);
    EXPECT_EQ(read.depthIn[2], 1.5f);  // 3.00 * 0.5
    EXPECT_EQ(read.depthIn[3], 2.0f);  // a factor of 0 counts as 1
    EXPECT_EQ(read.durationHours[3], 3.0f);
    EXPECT_EQ(read.depthIn[5], 0.0f);  // the 12-hour row below the empty box is not read
    EXPECT_EQ(read.durationHours[5], 0.0f);
}

TEST(AverageStorm, EqualStepsOfTheLastRow) {
    RunoffFields fields = table({{"1", "1.00"}, {"6", "3.00"}});
    const Rain even = storm("Average", fields, 0.5f);
    expectRain(even, std::vector<float>(12, 0.25f));
    EXPECT_EQ(even.storm.upper, 22);
    EXPECT_FLOAT_EQ(totalRainIn(even.storm), 3.0f);

    // 5 h / 2 h = 2.5 steps rounds to even: 2 steps of 1 * 2 / 5 inch, 0.8 inch in all.
    RunoffFields odd = table({{"5", "1.00"}});
    const Rain uneven = storm("Average", odd, 2.0f);
    expectRain(uneven, {0.4f, 0.4f});
    EXPECT_EQ(uneven.storm.upper, 12);  // CInt(12.5)
    EXPECT_FLOAT_EQ(totalRainIn(uneven.storm), 0.8f);
}

// Rows 1, 2, 3 h with 1.00, 1.50, 1.80 in at a 1-hour step: the curve is sampled at its own points.
TEST(SyntheticStorm, ThreeRowTableInEveryArrangement) {
    RunoffFields fields = table({{"1", "1.00"}, {"2", "1.50"}, {"3", "1.80"}});
    const DepthDurationTable read = readDepthDurationTable(fields);
    StormWork work;
    const basin::Storm synthetic = syntheticStorm(read, basin::PeakPlacement::none, 1, work);
    EXPECT_NEAR(work.cumulative[1], 1.0f, 1e-6);
    EXPECT_NEAR(work.cumulative[2], 1.5f, 1e-6);
    EXPECT_NEAR(work.cumulative[3], 1.8f, 1e-6);
    EXPECT_EQ(read.rows, 3);
    EXPECT_EQ(synthetic.steps, 3);
    EXPECT_EQ(synthetic.upper, 13);
    EXPECT_EQ(durationZeroDepth(read, 1), 0.0f);  // the first row is not longer than a step

    expectRainNear(storm("None", fields, 1), {1.0f, 0.5f, 0.3f});
    expectRainNear(storm("Peak at 2/3", fields, 1), {0.5f, 1.0f, 0.3f});
    expectRainNear(storm("Peak at 1/3", fields, 1), {0.3f, 1.0f, 0.5f});
    const Rain centered = storm("Peak Centered", fields, 1);
    expectRainNear(centered, {0.5f, 1.0f, 0.3f});
    EXPECT_FLOAT_EQ(totalRainIn(centered.storm), 1.8f);
}

// Eight 1-hour rows whose increments, in time order, are 0.375, 0.75, 1, 0.875, 0.625, 0.5, 0.25,
// 0.125; sorted: s1 = 1, s2 = 0.875, s3 = 0.75, s4 = 0.625, s5 = 0.5, s6 = 0.375, s7 = 0.25, s8 = 0.125.
TEST(SyntheticStorm, PlacementAroundThePeakFallsBackToTheOtherSide) {
    RunoffFields fields = table({{"1", "0.375"},
                                 {"2", "1.125"},
                                 {"3", "2.125"},
                                 {"4", "3.0"},
                                 {"5", "3.625"},
                                 {"6", "4.125"},
                                 {"7", "4.375"},
                                 {"8", "4.5"}});
    expectRainNear(storm("None", fields, 1), {1, 0.875, 0.75, 0.625, 0.5, 0.375, 0.25, 0.125});
    // p = CInt(16/3) = 5; s2, s3 left (4, 3); s4 right (6); s5, s6 left (2, 1); s7 right (7);
    // s8 is due left, where nothing is free, so it goes right (8).
    expectRainNear(storm("Peak at 2/3", fields, 1), {0.375, 0.5, 0.75, 0.875, 1, 0.625, 0.25, 0.125});
    expectRainNear(storm("Peak at 1/3", fields, 1), {0.125, 0.25, 0.625, 1, 0.875, 0.75, 0.5, 0.375});
    // p = 4; odd j left (3, 2, 1), even j right (5, 6, 7); s8 is due left and goes right (8).
    expectRainNear(storm("Peak Centered", fields, 1), {0.375, 0.625, 0.875, 1, 0.75, 0.5, 0.25, 0.125});

    // The sixth rain box emptied: the filled seventh row is ignored and five steps remain,
    // sorted 1, 0.875, 0.75, 0.625, 0.375.
    fields.setText("txtRain(5)", "");
    // p = CInt(2.5) = 2: s2 left (1), s3 right (3), s4 due left goes right (4), s5 right (5).
    expectRainNear(storm("Peak Centered", fields, 1), {0.875, 1, 0.75, 0.625, 0.375});
    // p = CInt(10/3) = 3: s2, s3 left (2, 1), s4 right (4), s5 due left goes right (5).
    expectRainNear(storm("Peak at 2/3", fields, 1), {0.75, 0.875, 1, 0.625, 0.375});
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
    StormWork work;
    const basin::Storm synthetic =
        syntheticStorm(readDepthDurationTable(fields), basin::PeakPlacement::none, 1, work);
    EXPECT_EQ(work.slopes[1], 0.0f);
    EXPECT_EQ(work.slopes[2], 0.0f);
    EXPECT_EQ(work.cumulative[1], 1.0f);
    EXPECT_EQ(work.cumulative[2], 1.3125f);  // 1 + 0.375 - 0.0625; a straight line would give 1.5
    EXPECT_EQ(work.cumulative[3], 2.0f);     // 1 + 1.5 - 0.5
    EXPECT_EQ(work.cumulative[4], 2.6875f);  // 1 + 3.375 - 1.6875
    EXPECT_EQ(work.cumulative[5], 3.0f);
    expectRain(synthetic, {1.0f, 0.6875f, 0.6875f, 0.3125f, 0.3125f});
}

TEST(SyntheticStorm, StepsEndingWithinTheStormAreKept) {
    // 24 h at 0.35 h: 68 steps end at 23.8 h, the 69th would end at 24.15 h.
    RunoffFields day = table({{"24", "5.00"}});
    const Rain dayRain = storm("None", day, 0.35f);
    EXPECT_EQ(dayRain.storm.steps, 68);
    EXPECT_EQ(dayRain.storm.upper, 79);  // CInt(68.57 + 10)
    // 24 h is longer than a step: the curve starts at 5 / (24 / 0.35 + 1) = 35/487 inch.
    EXPECT_FLOAT_EQ(durationZeroDepth(readDepthDurationTable(day), 0.35f), 35.0f / 487.0f);

    // Ten steps of 0.1 h summed in double end at 1.0000000149 h, which as a single is 1 h: kept.
    RunoffFields hour = table({{"1", "1.00"}});
    EXPECT_EQ(storm("None", hour, 0.1f).storm.steps, 10);

    // A storm shorter than one step has no step.
    RunoffFields brief = table({{"0.5", "1.00"}});
    const Rain none = storm("Peak at 2/3", brief, 1);
    EXPECT_EQ(none.storm.steps, 0);
    EXPECT_EQ(totalRainIn(none.storm), 0.0f);
}

TEST(RainfallFailures, ZeroStepZeroDurationAndTooManySteps) {
    RunoffFields fields = table({{"6", "3.00"}});
    // A uniform storm knows its step count before it makes its series: a count too large for them
    // is kept when making them fails.
    RainRun run{-0.05f, std::nullopt};
    const auto average = basin::RainArrangement{basin::RainSource::average, basin::PeakPlacement::none};
    EXPECT_EQ(failureNumber([&] { (void)buildRainfall(average, readDepthDurationTable(fields), {}, run); }),
              9);
    EXPECT_EQ(run.rainSteps, std::optional<std::int16_t>(-120));

    EXPECT_EQ(failureNumber([&] { storm("Average", fields, 0); }), 11);
    EXPECT_EQ(failureNumber([&] { storm("Peak Centered", fields, 0); }), 11);
    EXPECT_EQ(failureNumber([&] { storm("None", fields, 0.0001f); }), 6);  // 60,010 steps
    RunoffFields empty = table({{"6", ""}});
    EXPECT_EQ(failureNumber([&] { storm("Average", empty, 0.5f); }), 6);  // 0 inches over 0 hours
}

class StormFile : public ::testing::Test {
  protected:
    // One folder per test, so that tests run as separate processes never share one.
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        (std::string("brelvo_storm_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
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
    RainRun run{0.25f, std::nullopt};
    basin::LossInputs losses;
    losses.constantLossInPerHour = 0.2f;
    testing_support::RecordingDialogs dialogs;
    dialogs.fileAnswer =
        write("may.STM", "Storm of May 12\r\n3,0.5,extra\r\n0.5,0.25\r\n1.0,0.75,x\r\n1.5,0.5\r\n");
    // The run asks for the file, builds the storm and, when it commits, shows the file in the boxes.
    const std::optional<StormFileText> file = chooseStormFile(dialogs, folder.string());
    ASSERT_TRUE(file.has_value());
    const std::optional<Rainfall> built =
        buildRainfall(basin::RainArrangement{basin::RainSource::stormFile, basin::PeakPlacement::none},
                      readDepthDurationTable(fields), losses, run, file);
    showStormFile(fields, run.stepHours, built->stormFile);

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, folder.string());
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Storm files (*.STM)|*.STM|All files (*.*)|*.*|");
    EXPECT_FALSE(dialogs.fileRequests[0].save);

    expectRain(built->storm, {0.25f, 0.75f, 0.5f});
    EXPECT_EQ(run.rainSteps, std::optional<std::int16_t>(3));
    EXPECT_EQ(run.stepHours, 0.5f);
    EXPECT_EQ(built->constantLossStepIn, 0.1f);  // 0.2 in/h over the file's half hour
    EXPECT_EQ(built->storm.upper, 13);
    EXPECT_EQ(built->storm.durationHours, 1.5f);
    EXPECT_EQ(built->storm.depthIn, 1.5f);
    EXPECT_EQ(totalRainIn(built->storm), 1.5f);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtDuration", i)), "");
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtRain", i)), "");
    }
    EXPECT_EQ(fields.text("txtGraphtimestep"), "0.5");
    EXPECT_EQ(fields.caption("Label14"), "Hydrograph Time Step (hours)");
    EXPECT_EQ(fields.text("txtTile2"), "Storm file " + *dialogs.fileAnswer);
}

TEST_F(StormFile, TabSeparatedWithLfLines) {
    RunoffFields fields;
    const std::string text = "title\n2\t0.1\n0\t0.2\n0.1\t0.3\n\n";
    const StormFileHeader header = parseStormFileHeader(text);
    EXPECT_EQ(header.stepHours, 0.1f);
    expectRain(parseStormFileRows(text, header), {0.2f, 0.3f});  // a blank line may close the file
    showStormFile(fields, header.stepHours, "/data/t.STM");
    EXPECT_EQ(fields.text("txtGraphtimestep"), "0.1");
    EXPECT_EQ(fields.text("txtTile2"), "Storm file /data/t.STM");
}

TEST_F(StormFile, MalformedFilesFailAndACancelledDialogChangesNothing) {
    auto parse = [](const std::string& text) {
        return [text] { (void)parseStormFileRows(text, parseStormFileHeader(text)); };
    };
    // The comma of line 2 separates the whole file; the tab-separated steps have no second field.
    EXPECT_EQ(failureNumber(parse("t\n2,1\n0\t0.5\n1\t0.5\n")), 9);
    EXPECT_EQ(failureNumber(parse("t\n3,1\n0,0.5\n1,0.5\n")), 62);  // shorter than announced
    EXPECT_EQ(failureNumber(parse("t\n")), 62);
    EXPECT_EQ(failureNumber(parse("t\n32758,1\n")), 6);  // 32,768 elements cannot be counted
    EXPECT_EQ(failureNumber(parse("t\n-1,1\n")), 13);

    RunoffFields fields = table({{"1", "1.00"}});
    RainRun run{0.25f, std::nullopt};
    testing_support::RecordingDialogs dialogs;
    const auto fromFile = basin::RainArrangement{basin::RainSource::stormFile, basin::PeakPlacement::none};
    EXPECT_FALSE(chooseStormFile(dialogs, folder.string()));
    EXPECT_EQ(run.stepHours, 0.25f);
    EXPECT_FALSE(run.rainSteps.has_value());
    EXPECT_EQ(fields.text("txtRain(0)"), "1.00");

    dialogs.fileAnswer = (folder / "missing.STM").string();
    EXPECT_EQ(failureNumber([&] { (void)chooseStormFile(dialogs, folder.string()); }), 53);

    // A row that fails after the header leaves the run on the file's step.
    dialogs.fileAnswer = write("short.STM", "t\n3,0.5\n0,0.5\n");
    EXPECT_EQ(failureNumber([&] {
                  (void)buildRainfall(fromFile, readDepthDurationTable(fields), {}, run,
                                      chooseStormFile(dialogs, folder.string()));
              }),
              62);
    EXPECT_EQ(run.stepHours, 0.5f);
    EXPECT_FALSE(run.rainSteps.has_value());
}

// What the refusal of a storm file says below the failure's description.
std::string stormRefusal(const std::string& text) {
    try {
        (void)parseStormFileRows(text, parseStormFileHeader(text, "storm.STM"));
    } catch (const common::RuntimeFailure& failure) {
        return failure.description() + " / " + failure.cause();
    }
    return "accepted";
}

TEST(StormFileRefusals, NameTheFileTheLineAndTheTextFound) {
    // Decimal commas in a tab-separated file: the comma of line 2 would make it a 25-hour step.
    EXPECT_EQ(stormRefusal("t\n2\t0,25\n0\t0,5\n1\t0,5\n"),
              "Type mismatch / storm.STM, line 2: \"2\t0\" is not a number (use a decimal point).");
    EXPECT_EQ(stormRefusal("t\n2,0.25\n0,0.5\n0.25,n/a\n"),
              "Type mismatch / storm.STM, line 4: \"n/a\" is not a number.");
    EXPECT_EQ(stormRefusal("t\n2,0.25\n0,0.5\n0.25,\n"),
              "Type mismatch / storm.STM, line 4: \"\" is not a number.");
    EXPECT_EQ(stormRefusal("t\n2.5,0.25\n0,0.5\n"),
              "Type mismatch / storm.STM, line 2: \"2.5\" is not a whole number of steps.");
    EXPECT_EQ(stormRefusal("t\n2,0\n0,0.5\n1,0.5\n"),
              "Invalid procedure call or argument / storm.STM, line 2: \"0\" is not a time step above 0.");
    EXPECT_EQ(
        stormRefusal("t\n2,0.25\n0,0.5\n"),
        "Input past end of file / storm.STM, line 4: the file announces 2 steps but ends before step 2.");
    EXPECT_EQ(stormRefusal("t\n1,0.25\n0,0.5\n0.25,0.7\n"),
              "Subscript out of range / storm.STM, line 4: \"0.25,0.7\" is a row beyond the 1 steps the file "
              "announces.");
    EXPECT_EQ(stormRefusal("t\n2,0.25\n0,0.5\n\n0.25,0.7\n"),
              "Subscript out of range / storm.STM, line 4: \"\" needs a time and a depth.");
    EXPECT_EQ(stormRefusal("t\n1,0.25\n0,-0.5\n"),
              "Invalid procedure call or argument / storm.STM, line 3: \"-0.5\" is a negative depth.");
    EXPECT_EQ(stormRefusal("t\n1,0.25\n0,1e39\n"),
              "Overflow / storm.STM, line 3: \"1e39\" is too large a number.");
    EXPECT_EQ(stormRefusal("t\n1,0.25\n0, 0.5 \n\n"), "accepted");
}

}  // namespace
}  // namespace brelvo::runoff
