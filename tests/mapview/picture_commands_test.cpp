// The picture menu's rules: default names, the ".jpg" rule, the scroll/zoom speed, the failed save,
// the cancel setting of the shared dialog, and that nothing is cleared for a picture that cannot be had.
#include "mapview/picture_commands.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::mapview {
namespace {

// Records what the window was asked to do, in order.
class FakeHost : public PictureHost {
  public:
    std::vector<std::string> calls;
    std::optional<std::string> decodeError;
    std::optional<std::string> clipboardError;
    bool failWrites = false;
    bool webMap = false;
    float factor = 0.05f;

    std::optional<std::string> decodePicture(const std::string& path) override {
        calls.push_back("decode " + path);
        return decodeError;
    }
    std::optional<std::string> decodeClipboardPicture() override {
        calls.push_back("clipboard in");
        return clipboardError;
    }
    void showDecodedPicture() override { calls.push_back("show"); }
    void clearPicture() override { calls.push_back("clear picture"); }
    void scrollPicture(int mode) override { calls.push_back("scroll " + std::to_string(mode)); }
    std::string programFolder() const override { return "/prog"; }
    void setPanZoomVisible(bool visible) override { calls.push_back(visible ? "control on" : "control off"); }
    void captureClientArea() override { calls.push_back("capture"); }
    void saveCaptureAsJpeg(const std::string& path, int quality) override {
        calls.push_back("jpeg " + path + " " + std::to_string(quality));
        if (failWrites) throw common::pathFileAccessError();
    }
    void saveCaptureAsBitmap(const std::string& path) override {
        calls.push_back("bmp " + path);
        if (failWrites) throw common::pathFileAccessError();
    }
    void copyCaptureToClipboard() override { calls.push_back("clipboard out"); }
    bool printClientArea(common::Dialogs&) override {
        calls.push_back("print");
        return true;
    }
    bool openWebMap() override { return webMap; }
    float scrollZoomFactor() const override { return factor; }
    void setScrollZoomFactor(float f) override { factor = f; }
};

struct Window {
    measure::FakeSurface surface;
    measure::MeasureDocument doc;
    measure::MeasureState& state = doc.state();
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller{doc, surface, dialogs};
    FakeHost host;
    PictureCommands commands{doc, controller, dialogs, host};

    // One traced area: two segments and the closing one.
    void traceArea() {
        surface.viewHeightValue = 9000;
        controller.runCommand("Start Area");
        controller.mapMouseUp(measure::MouseButton::Left, 1000, 1000);
        controller.mapMouseUp(measure::MouseButton::Left, 4000, 1000);
        controller.mapMouseUp(measure::MouseButton::Left, 4000, 4000);
        controller.runCommand("End Area/Line");
    }
};

TEST(PictureCommands, NamesAndRules) {
    EXPECT_EQ(PictureCommands::defaultImageName(0), "Brelix0.jpg");
    EXPECT_EQ(PictureCommands::defaultImageName(3), "Brelix3.jpg");
    for (const char* jpeg : {"MAP.JPG", "map.jpg.bak", "x.jpgfile", "a.Jpg"}) {
        EXPECT_TRUE(PictureCommands::writesJpeg(jpeg)) << jpeg;
    }
    for (const char* bitmap : {"map.jpeg", "map.bmp", "jpg", ""})
        EXPECT_FALSE(PictureCommands::writesJpeg(bitmap));
    EXPECT_EQ(PictureCommands::scrollZoomAnswer("0.5"), 0.5f);
    EXPECT_EQ(PictureCommands::scrollZoomAnswer("0.1 faster"), 0.1f);
    for (const char* refused : {"", "0", "-0.2", "0.51", "fast"}) {
        EXPECT_FALSE(PictureCommands::scrollZoomAnswer(refused).has_value()) << refused;
    }
}

TEST(PictureCommands, ScrollZoomSpeedAsksWithTheCurrentFactor) {
    Window w;
    w.dialogs.answers = {std::string("0.2")};
    w.commands.run("Scroll/Zoom Speed");
    ASSERT_EQ(w.dialogs.inputRequests.size(), 1u);
    EXPECT_EQ(w.dialogs.inputRequests[0].prompt, "Enter scoll/zoom factor:");
    EXPECT_EQ(w.dialogs.inputRequests[0].title, "Scroll/Zoom Speed");
    EXPECT_EQ(w.dialogs.inputRequests[0].defaultText, "0.05");
    EXPECT_EQ(w.host.factor, 0.2f);
    w.dialogs.answers = {std::string("0.9")};
    w.commands.run("Scroll/Zoom Speed");
    EXPECT_EQ(w.host.factor, 0.2f);
}

TEST(PictureCommands, SaveMapImageCapturesWithoutTheControlAndAFailureSaysSo) {
    Window w;
    w.traceArea();
    w.dialogs.answers = {std::string("/maps/Basin.JPG")};
    w.commands.run("Save Map Image");
    ASSERT_EQ(w.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(w.dialogs.fileRequests[0].fileName, "Brelix1.jpg");
    EXPECT_TRUE(w.dialogs.fileRequests[0].save);
    EXPECT_EQ(w.host.calls,
              (std::vector<std::string>{"control off", "capture", "jpeg /maps/Basin.JPG 90", "control on"}));
    EXPECT_FALSE(w.doc.controls().text1.visible);  // hidden before the capture

    // A bitmap name with a failing write says so, naming the file; an empty name writes nothing and says
    // nothing. The control always comes back.
    w.host.calls.clear();
    w.host.failWrites = true;
    w.dialogs.answers = {std::string("/maps/basin.bmp"), std::string("")};
    w.commands.run("Save Map Image");
    w.commands.run("Save Map Image");
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"control off", "capture", "bmp /maps/basin.bmp",
                                                      "control on", "control off", "capture", "control on"}));
    EXPECT_EQ(
        w.dialogs.messages,
        (std::vector<std::string>{"The file \"/maps/basin.bmp\" was not saved: Path/File access error."}));
}

// The picture dialogs open in the documents folder at first, then where a picture was last loaded (the
// saved images apart), and in the project's folder once the project has a file, whose name the saved
// image then proposes.
TEST(PictureCommands, DialogsOpenWhereTheUserWorks) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "picture_dialogs_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    for (const char* name : {"documents", "maps", "job"}) fs::create_directory(root / name);
    common::dialogFolders().clear();
    common::dialogFolders().setDocuments((root / "documents").string());

    Window w;
    w.dialogs.answers = {(root / "maps" / "basin.png").string()};
    w.commands.run("Load Map File");
    w.commands.run("Load Map File");   // cancelled
    w.commands.run("Save Map Image");  // cancelled
    common::dialogFolders().setProject((root / "job" / "Mill Creek.brelvo").string());
    w.commands.run("Save Map Image");
    w.commands.run("Load Map File");
    common::dialogFolders().clear();
    fs::remove_all(root);

    const auto& r = w.dialogs.fileRequests;
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].initialDir, (root / "documents").string());
    EXPECT_EQ(r[1].initialDir, (root / "maps").string());
    EXPECT_EQ(r[2].initialDir, (root / "documents").string());
    EXPECT_EQ(r[2].fileName, "Brelix0.jpg");
    EXPECT_EQ(r[3].initialDir, (root / "job").string());
    EXPECT_EQ(r[3].fileName, "Mill Creek.jpg");
    EXPECT_EQ(r[4].initialDir, (root / "job").string());
    for (const auto& request : r) EXPECT_EQ(request.usualDir, "/prog");
}

TEST(PictureCommands, ACancelledLoadKeepsTheMapAndOnlyAfterASaveSaysSo) {
    Window w;
    w.traceArea();
    w.commands.run("Load Map File");  // cancelled
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(w.state.measureNumber, 1);
    EXPECT_TRUE(w.host.calls.empty());

    w.commands.run("Save Map Image");  // cancelled too, silently; turns the cancel setting on for good
    w.commands.run("Load Map File");
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{"Cancel was selected."}));
    EXPECT_EQ(w.state.measureNumber, 1);
    EXPECT_EQ(w.doc.controls().line1.size(), 3u);
}

TEST(PictureCommands, APictureThatCannotBeHadClearsNothing) {
    Window w;
    w.traceArea();
    w.host.decodeError = "Invalid picture";
    w.dialogs.answers = {std::string("/maps/notes.txt")};
    w.commands.run("Load Map File");
    w.host.clipboardError = "The clipboard holds no picture. Copy a map picture first.";
    w.commands.run("Paste From Clipboard");
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{"Invalid picture", *w.host.clipboardError}));
    EXPECT_EQ(w.state.measureNumber, 1);
    EXPECT_EQ(w.doc.controls().line1.size(), 3u);

    // A good picture clears every line and label (once the user goes on), then shows and centres it.
    w.host.calls.clear();
    w.host.clipboardError.reset();
    w.dialogs.answers = {std::string("Continue")};
    w.commands.run("Paste From Clipboard");
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"clipboard in", "show", "scroll 4"}));
    EXPECT_EQ(w.state.measureNumber, 0);
    EXPECT_EQ(w.doc.controls().line1.size(), 1u);
    EXPECT_EQ(w.surface.relayoutCalls, 1);
}

TEST(PictureCommands, ANewPictureOverTracedWorkAsksFirst) {
    // Nothing traced yet: a picture comes in without a question.
    Window w;
    w.dialogs.answers = {std::string("/maps/a.png")};
    w.commands.run("Load Map File");
    EXPECT_TRUE(w.dialogs.questions.empty());
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"decode /maps/a.png", "show", "scroll 4"}));

    // An area with its label shown: the question names what goes; Cancel keeps the picture and every
    // line, label and listing line.
    w.traceArea();
    w.controller.runCommand("Add Label");
    const std::string listing = w.doc.controls().text1.text;
    w.host.calls.clear();
    w.dialogs.answers = {std::string("/maps/b.png"), std::nullopt};
    w.commands.run("Load Map File");
    w.dialogs.answers = {std::string("Cancel")};
    w.commands.run("Clear Map Image");
    w.dialogs.answers = {std::nullopt};
    w.commands.run("Paste From Clipboard");
    const std::string what =
        " removes the work on the map: 1 traced line, 1 label and the coordinate listing. Continue?";
    EXPECT_EQ(w.dialogs.questions,
              (std::vector<std::string>{"Loading a new map picture" + what, "Clearing the map picture" + what,
                                        "Pasting a map picture" + what}));
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"decode /maps/b.png", "clipboard in"}));
    EXPECT_EQ(w.state.measureNumber, 1);
    EXPECT_EQ(w.doc.controls().line1.size(), 3u);
    EXPECT_TRUE(w.doc.controls().label1.at(0).visible);
    EXPECT_EQ(w.doc.controls().text1.text, listing);

    // Continue: the new picture, and the work is gone.
    w.host.calls.clear();
    w.dialogs.answers = {std::string("/maps/b.png"), std::string("Continue")};
    w.commands.run("Load Map File");
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"decode /maps/b.png", "show", "scroll 4"}));
    EXPECT_EQ(w.state.lineNumber, 0);
    EXPECT_EQ(w.doc.controls().line1.size(), 1u);
    EXPECT_FALSE(w.doc.controls().label1.at(0).visible);
    // The listing's text that stays behind asks nothing of the next picture.
    w.dialogs.answers = {std::string("/maps/c.png")};
    w.commands.run("Load Map File");
    EXPECT_EQ(w.dialogs.questions.size(), 4u);
    EXPECT_TRUE(w.dialogs.messages.empty());
}

TEST(PictureCommands, CopyPrintAndTheWebMap) {
    Window w;
    w.commands.run("Copy to Clipboard");
    w.commands.run("Print");
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"control off", "capture", "clipboard out", "control on",
                                                      "control off", "print", "control on"}));
    w.commands.run("Big Google Maps");
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{"The web map is not available in this build."}));
    w.host.webMap = true;
    w.dialogs.messages.clear();
    w.commands.run("Big Google Maps");
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_FALSE(w.doc.menus().lstMenu2.visible);  // stays hidden until the web map closes
}

}  // namespace
}  // namespace brelvo::mapview
