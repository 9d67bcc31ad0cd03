// Where the file dialogs open: the project's folder, else the folder last used for the kind of file,
// else the documents folder, each only while it is there; and the names exports propose.
#include "common/dialog_folders.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/recording_dialogs.hpp"

namespace brelvo::common {
namespace {

namespace fs = std::filesystem;

class DialogFoldersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "dialog_folders_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char* name : {"project", "storms", "documents", "program"})
            fs::create_directory(root_ / name);
        dialogFolders().clear();
    }
    void TearDown() override {
        dialogFolders().clear();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string folder(const char* name) const { return (root_ / name).string(); }

    fs::path root_;
    testing_support::RecordingDialogs dialogs;
};

TEST_F(DialogFoldersTest, ProjectFolderThenLastUsedThenDocumentsThenTheUsualFolder) {
    FileDialogRequest request;
    request.initialDir = folder("program");
    request.filter = "Storm files (*.STM)|*.STM|";
    dialogs.answers = {folder("storms") + "/big.STM"};

    // Nothing known yet: the usual folder. The answer names a file in "storms": storm dialogs open there
    // from now on, before the documents folder; other kinds open in the documents folder.
    (void)askFile(dialogs, request, FileKind::storm);
    dialogFolders().setDocuments(folder("documents"));
    (void)askFile(dialogs, request, FileKind::storm);
    (void)askFile(dialogs, request, FileKind::hydrograph);
    // The project's folder comes first.
    dialogFolders().setProject(folder("project") + "/Mill Creek.brelvo");
    (void)askFile(dialogs, request, FileKind::storm);
    // A folder that has gone is passed over.
    fs::remove(folder("project"));
    (void)askFile(dialogs, request, FileKind::storm);
    fs::remove_all(folder("storms"));
    (void)askFile(dialogs, request, FileKind::storm);

    ASSERT_EQ(dialogs.fileRequests.size(), 6u);
    const char* expected[] = {"program", "storms", "documents", "project", "storms", "documents"};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(dialogs.fileRequests[i].initialDir, folder(expected[i])) << "dialog " << i;
        // Replayed answers are read in the usual folder, whatever the dialog opened in.
        EXPECT_EQ(dialogs.fileRequests[i].usualDir, folder("program")) << "dialog " << i;
    }
}

TEST_F(DialogFoldersTest, ExportsProposeTheProjectsNameElseTheTitle) {
    EXPECT_EQ(proposedName("", ".csv", "Hydrograph.csv"), "Hydrograph.csv");
    EXPECT_EQ(proposedName("Creek at the mill", ".csv", "Hydrograph.csv"), "Creek at the mill.csv");
    EXPECT_EQ(proposedName(" ../Pond 1/2: \"east\" ", ".pdf", "x"), "_Pond 1_2_ _east_.pdf");
    EXPECT_EQ(proposedName("  ", ".png", "Hydrograph.png"), "Hydrograph.png");
    dialogFolders().setProject("/jobs/Mill Creek.brelvo");
    EXPECT_EQ(proposedName("Creek at the mill", ".csv", "Hydrograph.csv"), "Mill Creek.csv");
    EXPECT_EQ(proposedName("", " coordinates.txt", "BrelixData1.txt"), "Mill Creek coordinates.txt");

    // A save dialog of a kind: the name proposed, the extension added to a name typed without one, and the
    // folder chosen kept for the next one of that kind.
    dialogFolders().setProject("");
    dialogs.answers = {folder("storms") + "/peak"};
    const auto chosen = askSavePath(dialogs, FileKind::csv, "Export", folder("program"),
                                    proposedName("Creek", ".csv", ""), "CSV files (*.csv)|*.csv|", ".csv");
    EXPECT_EQ(chosen, folder("storms") + "/peak.csv");
    EXPECT_EQ(dialogs.fileRequests.at(0).fileName, "Creek.csv");
    EXPECT_TRUE(dialogs.fileRequests.at(0).save);
    EXPECT_EQ(dialogFolders().folderFor(FileKind::csv, "unused"), folder("storms"));
    EXPECT_EQ(dialogFolders().folderFor(FileKind::chart, "unused"), "unused");
}

}  // namespace
}  // namespace brelvo::common
