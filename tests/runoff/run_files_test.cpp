// The files a run asks for, and "Save Hydrograph": the window's own last report under a chosen name,
// written through a temporary file.
#include "runoff/run_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

namespace fs = std::filesystem;
using basin::ChartGrid;

TEST(RunFiles, TheStorageAndHydrographDialogsAskInTheirFolders) {
    testing_support::RecordingDialogs dialogs;
    EXPECT_FALSE(chooseStorageFile(dialogs, "/programs/brelvo").has_value());
    dialogs.fileAnswer = "/jobs/pond.RAT";
    EXPECT_EQ(chooseStorageFile(dialogs, "/programs/brelvo"), std::optional<std::string>("/jobs/pond.RAT"));
    dialogs.fileAnswer = "";
    EXPECT_FALSE(chooseHydrographFile(dialogs, "/programs/brelvo").has_value());
    ASSERT_EQ(dialogs.fileRequests.size(), 3u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|");
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, "/programs/brelvo");
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[2].filter, "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");
    EXPECT_EQ(dialogs.fileRequests[2].title, "Load hydrograph or combine with current");
    EXPECT_FALSE(dialogs.fileRequests[2].save);
}

class SaveHydrographTest : public ::testing::Test {
  protected:
    SaveHydrographTest() {
        // A folder of each test's own: tests run side by side.
        folder = fs::path(::testing::TempDir()) /
                 ("brelvo_save_hydrograph_" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        working = (folder / "Temp.GRF").string();
        // The working file holds another window's report: a save writes this window's own.
        write(working, "working hydrograph\r\n");
        chart.setColumnCount(3);
    }
    ~SaveHydrographTest() override { fs::remove_all(folder); }

    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }
    void save() { saveHydrograph(chart, kReport, working, "/programs/brelvo", dialogs); }

    static constexpr const char* kReport = "this window's report\r\n";

    fs::path folder;
    std::string working;
    ChartGrid chart;
    testing_support::RecordingDialogs dialogs;
};

TEST_F(SaveHydrographTest, SavingNeedsAPlottedHydrographAndSkipsTheWorkingFile) {
    chart.setColumnCount(2);
    save();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Compute hydrograph before saving."}));
    EXPECT_TRUE(dialogs.fileRequests.empty());

    chart.setColumnCount(3);
    dialogs.messages.clear();
    dialogs.fileAnswer = working;
    save();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, "/programs/brelvo");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(working), "working hydrograph\r\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"Temp.GRF"}));
}

TEST_F(SaveHydrographTest, ASaveReplacesTheChosenFileAndLeavesNoTemporaryFile) {
    const fs::path target = folder / "storm.GRF";
    write(target, "older hydrograph");
    dialogs.fileAnswer = target.string();
    save();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(target), kReport);
    EXPECT_EQ(names(), (std::vector<std::string>{"Temp.GRF", "storm.GRF"}));
}

TEST_F(SaveHydrographTest, ANameWithoutAnExtensionGetsGrf) {
    dialogs.fileAnswer = (folder / "peak100").string();
    save();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(folder / "peak100.GRF"), kReport);
    // A name with an extension of its own keeps it; a dot in a folder's name is no extension.
    fs::create_directories(folder / "run.2");
    dialogs.fileAnswer = (folder / "storm.hyd").string();
    save();
    dialogs.fileAnswer = (folder / "run.2" / "storm").string();
    save();
    EXPECT_EQ(names(), (std::vector<std::string>{"Temp.GRF", "peak100.GRF", "run.2", "storm.hyd"}));
    EXPECT_EQ(contents(folder / "run.2" / "storm.GRF"), kReport);
    // "Temp" is the working file itself once it has its extension: nothing is copied.
    dialogs.fileAnswer = (folder / "Temp").string();
    save();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(fs::exists(folder / "Temp"));
}

TEST_F(SaveHydrographTest, AFailedSaveTellsWhyAndKeepsWhatWasThere) {
    dialogs.fileAnswer = (folder / "missing" / "storm.GRF").string();
    save();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"The file \"" + (folder / "missing" / "storm.GRF").string() +
                                        "\" was not saved: its folder does not exist."}));
    EXPECT_FALSE(fs::exists(folder / "missing"));

    // A folder of that name cannot be replaced by a file: it stays as it was.
    fs::create_directories(folder / "storm.GRF");
    write(folder / "storm.GRF" / "inside.txt", "kept");
    dialogs.messages.clear();
    dialogs.fileAnswer = (folder / "storm.GRF").string();
    save();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"The file \"" + (folder / "storm.GRF").string() +
                                                          "\" was not saved: a folder has that name."}));
    EXPECT_EQ(contents(folder / "storm.GRF" / "inside.txt"), "kept");
    EXPECT_EQ(names(), (std::vector<std::string>{"Temp.GRF", "storm.GRF"}));

    // A read-only copy is refused by its permission bits (root too) and keeps its bytes.
    const fs::path readOnly = folder / "read-only.GRF";
    write(readOnly, "a published hydrograph");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    dialogs.messages.clear();
    dialogs.fileAnswer = readOnly.string();
    save();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"The file \"" + readOnly.string() +
                                                          "\" was not saved: the file is read-only."}));
    EXPECT_EQ(contents(readOnly), "a published hydrograph");
    fs::remove(readOnly);

    // The working file is not read: without it the window's own report is saved all the same.
    const fs::path target = folder / "old.GRF";
    write(target, "older hydrograph");
    fs::remove(working);
    dialogs.messages.clear();
    dialogs.fileAnswer = target.string();
    save();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(target), kReport);
}

}  // namespace
}  // namespace brelvo::runoff
