// The coordinate file, label editing, listing and label drags, and the help launcher's fallback box.
#include "measure/coordinate_listing.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/file_replace.hpp"
#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh folder standing in for the program's folder.
class ListingTest : public ::testing::Test {
  protected:
    ListingTest() {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::path(::testing::TempDir()) / ("brelvo_listing_" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
        // Picture at (40, 20) in a view 1000 high; 1 ft per view unit, areas in acres.
        surface.imageLeftValue = 40;
        surface.imageTopValue = 20;
        surface.viewHeightValue = 1000;
        state.lengthUnitText = " (ft)";
        state.areaUnitText = " (acres)";
        state.areaFactor = 0.000022957f;
    }
    ~ListingTest() override { fs::remove_all(folder); }

    void save() { SaveCoordinateText(doc, dialogs, folder.string()); }

    fs::path folder;
    MeasureDocument doc;
    MeasureState& state = doc.state();
    FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
};

TEST_F(ListingTest, FirstAreaIsSavedUnderItsDefaultNameExactlyAsListed) {
    MeasureController controller(doc, surface, dialogs);
    controller.runCommand("Start Area");
    const std::pair<float, float> clicks[] = {{60, 80}, {260, 80}, {260, 280}, {60, 280}};
    for (const auto& [x, y] : clicks) controller.mapMouseUp(MouseButton::Left, x, y);
    controller.runCommand("End Area/Line");

    dialogs.answers.push_back((folder / "BrelixData1.txt").string());
    save();

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const auto& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.fileName, "BrelixData1.txt");
    EXPECT_EQ(request.initialDir, folder.string());
    EXPECT_EQ(request.filter, "Text file (*.txt)|*.txt|All files (*.*)|*.*|");
    EXPECT_TRUE(request.save);
    // Square of 200 ft: 40000 sq ft is 0.918 acres.
    EXPECT_EQ(fileBytes(folder / "BrelixData1.txt"),
              "Area1 X,Y Coordinates   (ft)\r\n"
              "100, 900\r\n300, 900\r\n300, 700\r\n100, 700\r\n100, 900\r\n"
              "Xmin 100, Ymin 700, Xmax 300, Ymax 900\r\n"
              "Area1= 0.918 (acres), Perimeter= 800 (ft), Centroid= 200, 800\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ListingTest, SavingOverALongerFileLeavesNoTrailingBytesAndWritesSingleBytes) {
    const fs::path target = folder / "listing.txt";
    writeBytes(target, std::string(500, 'x'));
    // A degree sign has a one-byte form; an arrow has none.
    doc.edit(SurfacePart::Text1).text1.text =
        "Area1 X,Y Coordinates  \r\n1, 2\r\nnote 5\xC2\xB0 \xE2\x86\x92 outlet\r\n";
    dialogs.answers.push_back(target.string());
    save();
    EXPECT_EQ(fileBytes(target), "Area1 X,Y Coordinates  \r\n1, 2\r\nnote 5\xB0 ? outlet\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

// A cancelled save says nothing; a failed one names the file and says why, and a file that was there
// stays whole. The read-only file is refused by its permission bits, for root too.
TEST_F(ListingTest, CancelledSaveIsSilentAndAFailedOneSaysWhyAndKeepsTheOldFile) {
    doc.edit(SurfacePart::Text1).text1.text = "Area1 X,Y Coordinates  \r\n1, 2\r\n";
    state.measureNumber = 3;
    save();  // no answer: cancelled
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "BrelixData3.txt");
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(dialogs.messages.empty());

    // The temporary file cannot be made: the file already there stays whole.
    const fs::path target = folder / "kept.txt";
    writeBytes(target, "old listing\r\n");
    fs::create_directory(folder / brelvo::common::nextTemporaryName("kept.txt"));
    dialogs.answers.push_back(target.string());
    save();
    EXPECT_EQ(fileBytes(target), "old listing\r\n");

    const fs::path readOnly = folder / "read-only.txt";
    writeBytes(readOnly, "old listing\r\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    dialogs.answers.push_back(readOnly.string());
    save();
    EXPECT_EQ(fileBytes(readOnly), "old listing\r\n");

    // A folder by the name, and a folder that does not exist.
    dialogs.answers.push_back(folder.string());
    save();
    dialogs.answers.push_back((folder / "missing" / "a.txt").string());
    save();
    EXPECT_FALSE(fs::exists(folder / "missing"));
    const std::string f = folder.string();
    EXPECT_EQ(
        dialogs.messages,
        (std::vector<std::string>{
            "The file \"" + f + "/kept.txt\" was not saved: something is in the way of its temporary file.",
            "The file \"" + f + "/read-only.txt\" was not saved: the file is read-only.",
            "The file \"" + f + "\" was not saved: a folder has that name.",
            "The file \"" + f + "/missing/a.txt\" was not saved: its folder does not exist."}));
    EXPECT_TRUE(dialogs.inputRequests.empty());
}

TEST_F(ListingTest, SaveTurnsTheSharedDialogsCancelSettingOnEvenWhenCancelled) {
    EXPECT_FALSE(doc.controls().dialogCancelRaisesError);
    save();  // no answer: cancelled
    EXPECT_TRUE(doc.controls().dialogCancelRaisesError);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
}

TEST_F(ListingTest, LabelEditKeepsTheCaptionOnAnEmptyAnswer) {
    doc.edit(SurfacePart::Labels).label1.resize(2);
    doc.edit(SurfacePart::Labels).label1[1].caption = "Area2= 1.50 (acres), Perimeter= 1200 (ft)";
    dialogs.answers.push_back(std::string());
    editLabel(doc, 1, dialogs);
    ASSERT_EQ(dialogs.inputRequests.size(), 1u);
    EXPECT_EQ(dialogs.inputRequests[0].prompt, "Edit label:");
    EXPECT_EQ(dialogs.inputRequests[0].title, "Edit Label");
    EXPECT_EQ(dialogs.inputRequests[0].defaultText, "Area2= 1.50 (acres), Perimeter= 1200 (ft)");
    EXPECT_EQ(doc.controls().label1[1].caption, "Area2= 1.50 (acres), Perimeter= 1200 (ft)");

    dialogs.answers.push_back(std::nullopt);  // cancelled
    editLabel(doc, 1, dialogs);
    EXPECT_EQ(doc.controls().label1[1].caption, "Area2= 1.50 (acres), Perimeter= 1200 (ft)");

    dialogs.answers.push_back("North fork");
    editLabel(doc, 1, dialogs);
    EXPECT_EQ(doc.controls().label1[1].caption, "North fork");
    EXPECT_EQ(doc.controls().label1[0].caption, "");
}

TEST_F(ListingTest, DragKeepsTheGrabbedPointUnderThePointer) {
    doc.edit(SurfacePart::Text1).text1.left = 100;
    doc.edit(SurfacePart::Text1).text1.top = 200;
    dragPress(doc, 30, 40);
    EXPECT_EQ(state.grabPoint, (PointF{30, 40}));
    dragMove(doc, DragTarget::text1(), 75, 10);
    EXPECT_EQ(doc.controls().text1.left, 145);
    EXPECT_EQ(doc.controls().text1.top, 170);
    // The box has moved under the pointer: the same screen point is now the grabbed point again.
    dragMove(doc, DragTarget::text1(), 30, 40);
    EXPECT_EQ(doc.controls().text1.left, 145);
    EXPECT_EQ(doc.controls().text1.top, 170);

    doc.edit(SurfacePart::Labels).label1.resize(2);
    doc.edit(SurfacePart::Labels).label1[1].left = 6000;
    doc.edit(SurfacePart::Labels).label1[1].top = 3000;
    dragPress(doc, 150, 75);
    dragMove(doc, DragTarget::label(1), 450, 15);
    EXPECT_EQ(doc.controls().label1[1].left, 6300);
    EXPECT_EQ(doc.controls().label1[1].top, 2940);
    EXPECT_EQ(doc.controls().label1[0].left, 0);
    EXPECT_EQ(doc.controls().text1.left, 145);
}

class FakeViewer : public TextViewer {
  public:
    enum class Outcome { Starts, DoesNotStart, Throws } outcome = Outcome::Starts;
    std::vector<std::string> opened;
    bool open(const std::string& path) override {
        opened.push_back(path);
        if (outcome == Outcome::Throws) throw std::runtime_error("cannot start");
        return outcome == Outcome::Starts;
    }
};

TEST(HelpLauncher, FallbackBoxShowsTheCommandLineWhenNoViewerStarts) {
    testing_support::RecordingDialogs dialogs;
    FakeViewer viewer;
    // The help text is found in the folder given first.
    const fs::path folder = fs::path(::testing::TempDir()) / "brelvo_help_folder";
    fs::create_directories(folder);
    std::ofstream(folder / "BrelvoHelp.txt") << "help";
    const std::string path = helpTextPath(folder.string());
    EXPECT_EQ(path, (folder / "BrelvoHelp.txt").string());

    OpenInNotepad(path, viewer, dialogs);
    EXPECT_EQ(viewer.opened, std::vector<std::string>{path});
    EXPECT_TRUE(dialogs.inputRequests.empty());

    viewer.outcome = FakeViewer::Outcome::DoesNotStart;
    OpenInNotepad(path, viewer, dialogs);
    viewer.outcome = FakeViewer::Outcome::Throws;
    OpenInNotepad(path, viewer, dialogs);
    ASSERT_EQ(dialogs.inputRequests.size(), 2u);
    for (const auto& request : dialogs.inputRequests) {
        EXPECT_EQ(request.prompt, "Cant find Notepad.exe");
        EXPECT_EQ(request.title, "notepad " + path);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace brelvo::measure
