// The coordinate file, listing and label drags, label editing and the help launcher.
#include "measure/coordinate_listing.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "common/dialog_folders.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "common/single_byte_text.hpp"

namespace brelvo::measure {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::string helpTextPath(const std::string& programFolder) {
    return common::findDataFile(kHelpFileName, programFolder);
}

int cutLastCoordinateLine(std::string& text, bool anyLength) {
    const int len = static_cast<int>(text.size());
    const int reach = anyLength ? len : 23;
    int keep = -1;
    for (int pos = len - 3; pos >= len - reach && pos >= 1; --pos) {
        if (text[static_cast<std::size_t>(pos - 1)] == '\n') {
            keep = pos;
            break;
        }
    }
    if (keep < 0) keep = std::max(0, len - 24);
    text.resize(static_cast<std::size_t>(keep));
    return keep;
}

std::string coordinateFileName(const MeasureState& state) {
    return "BrelixData" + common::integerText(state.measureNumber) + ".txt";
}

void SaveCoordinateText(MeasureDocument& doc, common::Dialogs& dialogs, const std::string& programFolder) {
    const MeasureState& state = doc.state();
    doc.beginSaveThroughSharedDialog();
    common::FileDialogRequest request;
    request.fileName = common::proposedName("", " coordinates.txt", coordinateFileName(state));
    request.initialDir = programFolder;
    request.filter = "Text file (*.txt)|*.txt|All files (*.*)|*.*|";
    request.save = true;
    const auto chosen = common::askFile(dialogs, request, common::FileKind::coordinates);
    if (!chosen || chosen->empty()) return;
    // A failed save names the file and says why; a file that was there is left as it was.
    try {
        common::replaceFile(*chosen, common::singleByteText(doc.controls().text1.text));
    } catch (const common::RuntimeFailure& failure) {
        dialogs.message(common::msg::fileNotSaved(*chosen, common::failureReason(failure)));
    }
}

void editLabel(MeasureDocument& doc, int index, common::Dialogs& dialogs) {
    if (index < 0 || static_cast<std::size_t>(index) >= doc.controls().label1.size()) return;
    const std::string answer =
        dialogs.inputBox(common::msg::kEditLabelPrompt, common::msg::kEditLabelTitle,
                         doc.controls().label1[static_cast<std::size_t>(index)].caption);
    if (answer.empty()) return;
    doc.edit(SurfacePart::Labels).label1[static_cast<std::size_t>(index)].caption = answer;
}

void dragPress(MeasureDocument& doc, float x, float y) {
    doc.state().grabPoint = {x, y};
}

void dragMove(MeasureDocument& doc, DragTarget target, float x, float y) {
    Box* box = nullptr;
    if (target.labelIndex < 0) {
        box = &doc.edit(SurfacePart::Text1).text1;
    } else if (static_cast<std::size_t>(target.labelIndex) < doc.controls().label1.size()) {
        box = &doc.edit(SurfacePart::Labels).label1[static_cast<std::size_t>(target.labelIndex)];
    } else {
        return;
    }
    const PointF grab = doc.state().grabPoint;
    box->left = box->left + x - grab.x;
    box->top = box->top + y - grab.y;
}

void OpenInNotepad(const std::string& path, TextViewer& viewer, common::Dialogs& dialogs) {
    const std::string commandLine = common::msg::textViewerCommandLine(path);
    bool started = false;
    try {
        started = viewer.open(path);
    } catch (...) {
        // A viewer that cannot be started at all is reported like one that is missing.
        started = false;
    }
    if (!started) (void)dialogs.inputBox(common::msg::kTextViewerMissing, commandLine, "");
}

}  // namespace brelvo::measure
