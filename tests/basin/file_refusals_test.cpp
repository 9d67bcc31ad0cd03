// Hydrograph and storage files that an earlier reader took in a wrong meaning without a word: each is
// now read exactly, or refused naming the file, the line and the text. Worked by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "basin/hydrograph_file.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/storage_routing.hpp"
#include "common/failure.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::basin {
namespace {

std::string lines(const std::vector<std::string>& text) {
    std::string joined;
    for (const auto& line : text) joined += line + "\r\n";
    return joined;
}

class HydrographMisreads : public ::testing::Test {
  protected:
    HydrographMisreads() { fields.setCaption("Label14", "Hydrograph Time Step (minutes)"); }

    // A new hydrograph read from the text: the loaded one, or nothing with the message told. The file's
    // step goes into the time-step box as the routing run writes it back.
    std::optional<LoadedHydrograph> load(const std::string& text) {
        dialogs.messages.clear();
        std::istringstream in(text);
        HydrographRead read = readHydrographFile(in, WorkingHydrograph{}, false, 0.0f, "gauge.GRF");
        for (const std::string& message : read.messages) dialogs.message(message);
        if (read.loaded)
            fields.setText("txtGraphtimestep", stepText(read.loaded->stepHours, timeStepInMinutes(fields)));
        return std::move(read.loaded);
    }
    std::string refusal(const std::string& text) {
        if (load(text)) return "accepted";
        return dialogs.messages.empty() ? "silent" : dialogs.messages.front();
    }

    RunoffFields fields;
    testing_support::RecordingDialogs dialogs;
};

TEST_F(HydrographMisreads, StepsThatAreNoWholeMinutesAndWiderColumnsAreReadExactly) {
    // 0.057 hours is 3.42 minutes, not 3; 0.09 hours is 5.4 minutes, not 5.
    auto loaded = load(lines({"Time,Runoff", "0,10", "0.057,20", "0.114,30"}));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->stepHours, 0.057f);
    EXPECT_EQ(fields.text("txtGraphtimestep"), "3.42");
    // 60 cfs * 0.057 h: 60 * 1.9835 / (24 / 0.057) = 0.2827 acre-feet.
    EXPECT_EQ(loaded->hydrograph.volumeAcreFt, 0.28f);
    loaded = load(lines({"Time,Runoff", "0,10", "0.09,20", "0.18,30"}));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->stepHours, 0.09f);
    EXPECT_EQ(fields.text("txtGraphtimestep"), "5.4");
    // The report writes a step of an hour or more to a tenth: 1.25 hours as 1.3, 2.5, 3.8, 5.0 is read
    // as the 75 minutes the times stand for together, not as 1.3 hours.
    loaded = load(lines({"Time,Runoff", "0,10", "1.3,20", "2.5,30", "3.8,40", "5.0,0"}));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->stepHours, 1.25f);
    EXPECT_EQ(fields.text("txtGraphtimestep"), "75");
    // Ten-character columns are read where the header puts them: 0.25 hours, not 0.2.
    loaded = load(lines(
        {"      Time    Runoff", "      0.00        10", "      0.25       200", "      0.50        30"}));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->stepHours, 0.25f);
    EXPECT_EQ(loaded->hydrograph.routed.outflowCfs[1], 200.0f);
    EXPECT_EQ(fields.text("txtGraphtimestep"), "15");
}

TEST_F(HydrographMisreads, TablesThatCannotBeReadAsWrittenAreRefusedByName) {
    const auto table = [](const std::vector<std::string>& rows) {
        std::vector<std::string> text{"T1", "     Time   Runoff"};
        text.insert(text.end(), rows.begin(), rows.end());
        return lines(text);
    };
    EXPECT_EQ(refusal(table(
                  {"      0.0       10", "      1.0       20", "      2.0       30", "      4.0       40"})),
              "gauge.GRF, line 6: the time \"4.0\" is off the step of the rows above (3 expected); the times "
              "must be evenly spaced.");
    EXPECT_EQ(
        refusal(table({"      0.5       10", "      1.5       20", "      2.5       30"})),
        "gauge.GRF, line 3: the table starts at the time \"0.5\"; a hydrograph table starts at time 0.");
    EXPECT_EQ(refusal(table({"      0.0       10", "      1.0      -20"})),
              "gauge.GRF, line 4: \"-20\" is a negative flow.");
    EXPECT_EQ(refusal(table({"      0.0       10", "     0.25      200"})), "accepted");
    EXPECT_EQ(refusal(table({"      0.0       10", "     0.251234  200"})),
              "gauge.GRF, line 4: \"0.251234  200\" runs past the edge of its nine-character column.");
    // A last row holding only a time is a row without a flow, not the end of the table.
    EXPECT_EQ(refusal(table({"      0.0       10", "      1.0       20", "2"})),
              "gauge.GRF, line 5: \"\" is not a number.");
    // Decimal commas in the comma form split each flow in two.
    EXPECT_EQ(refusal(lines({"Time,Runoff", "0,5,5", "1,7,5"})),
              "gauge.GRF, line 2: \"0,5,5\" has more fields than the 2 of the column header (use a decimal "
              "point, not a decimal comma).");
    // A number past the double range was refused with an empty message (found by fuzzing).
    EXPECT_EQ(refusal(table({"      0.0       10", "      1.0    1E999"})),
              "gauge.GRF, line 4: \"1E999\" is too large a number.");
    // A file that names no table says which file it was.
    EXPECT_EQ(refusal(lines({"T1", "TIME FLOW"})),
              "No hydrograph table found: the file has no \"Time\" column header.\nFile: gauge.GRF");
}

TEST(DataFileNames, FilesThatAreNotRegularOrMissingAreRefusedByNameBeforeAnyRead) {
    std::vector<std::string> messages;
    const auto told = [&](const std::vector<std::string>& more) {
        messages.insert(messages.end(), more.begin(), more.end());
    };
    HydrographRead read = readHydrographFile("/dev/zero", WorkingHydrograph{}, false, 0.0f);
    EXPECT_FALSE(read.loaded);
    told(read.messages);
    read = readHydrographFile(::testing::TempDir(), WorkingHydrograph{}, false, 0.0f);
    EXPECT_FALSE(read.loaded);
    told(read.messages);
    const StorageOutcome routed = modpul(WorkingHydrograph{}, 10, 1.0f, std::nullopt, "/dev/zero");
    EXPECT_FALSE(routed.routing);
    told(routed.messages);
    EXPECT_EQ(
        messages,
        (std::vector<std::string>{
            "\"/dev/zero\" is not a regular file (a folder, a device or a pipe).",
            "\"" + ::testing::TempDir() + "\" is not a regular file (a folder, a device or a pipe).",
            "Path/File access error\n\"/dev/zero\" is not a regular file (a folder, a device or a pipe)."}));
}

// What a storage file's refusal says.
std::string storageRefusal(const std::string& text) {
    try {
        (void)parseStorageFile(text, 1.0f, "pond.RAT");
    } catch (const common::RuntimeFailure& failure) {
        return failure.cause().empty() ? failure.description() : failure.cause();
    }
    return "accepted";
}

TEST(StorageMisreads, RowsThatCannotBeReadAsWrittenAreRefusedByName) {
    // Decimal-comma elevations split each row into four fields.
    EXPECT_EQ(
        storageRefusal("Pond\n2\n100,5,0,0\n101,5,10,10\n"),
        "pond.RAT, line 3: \"100,5,0,0\" holds more than three fields; a row holds elevation, outflow and "
        "storage (use a decimal point, not a decimal comma).");
    EXPECT_EQ(
        storageRefusal("Pond\n2\n100\t0\t0\t7\n101\t10\t10\n"),
        "pond.RAT, line 3: \"100\t0\t0\t7\" holds more than three fields; a row holds elevation, outflow "
        "and storage (use a decimal point, not a decimal comma).");
    EXPECT_EQ(storageRefusal("Pond\n2\n100,-1,0\n101,10,10\n"),
              "pond.RAT, line 3: \"-1\" is a negative outflow.");
    EXPECT_EQ(storageRefusal("Pond\n2\n100,0,0\n101,10,-10\n"),
              "pond.RAT, line 4: \"-10\" is a negative storage.");
    EXPECT_EQ(storageRefusal("Pond\n2\n100,0,0,\n101,10,10\n"), "accepted");
    // A 101st row under a count of 100 is refused as a row beyond the count, however far down it is.
    std::string full = "Full\n100\n";
    for (int r = 1; r <= 100; ++r)
        full += std::to_string(100 + r) + "," + std::to_string(r) + "," + std::to_string(r) + "\n";
    EXPECT_EQ(storageRefusal(full + "\n\n201,101,101\n"),
              "pond.RAT, line 105: \"201,101,101\" is a row beyond the 100 rows the file announces.");
    // The older refusals name the file too.
    EXPECT_EQ(storageRefusal("Pond\n3\n100,0,0\n101,10,10\n"),
              "The storage file lists 3 rows but holds only 2.\nFile: pond.RAT");
}

}  // namespace
}  // namespace brelvo::basin
