// The coordinate file, listing and label drags, label editing and the help launcher.
#include "measure/coordinate_listing.hpp"

#include <exception>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "common/numbers.hpp"
#include "common/single_byte_text.hpp"

namespace brelvo::measure {

namespace {

namespace fs = std::filesystem;


// Writes `bytes` to `target` through a temporary file beside it, renamed over it only when complete,
// so a failed save never costs the user the file that was there. False when anything failed.
bool replaceFile(const fs::path& target, const std::string& bytes) {
    std::error_code ec;
    if (!target.has_filename()) return false;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) return false;
    const fs::path temporary = folder / ("." + target.filename().string() + ".saving");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    // A replaced file keeps its permissions.
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::exists(old)) fs::permissions(temporary, old.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace

std::string helpTextPath(const std::string& programFolder) {
    return (fs::path(programFolder) / kHelpFileName).string();
}

std::string coordinateFileName(const MeasureState& state) {
    return "BrelixData" + common::integerText(state.measureNumber) + ".txt";
}

void SaveCoordinateText(const MeasureState& state, const MapSurface& surface, common::Dialogs& dialogs,
                        const std::string& programFolder) {
    // The listing is a by-product the user saves on the way: a failed save says nothing and changes nothing.
    try {
        common::FileDialogRequest request;
        request.fileName = coordinateFileName(state);
        request.initialDir = programFolder;
        request.filter = "Text file (*.txt)|*.txt|All files (*.*)|*.*|";
        request.save = true;
        const auto chosen = dialogs.fileDialog(request);
        if (!chosen || chosen->empty()) return;
        (void)replaceFile(fs::path(*chosen), common::singleByteText(surface.text1.text));
    } catch (const std::exception&) {
        return;
    }
}

void editLabel(MapSurface& surface, int index, common::Dialogs& dialogs) {
    if (index < 0 || static_cast<std::size_t>(index) >= surface.label1.size()) return;
    Label& label = surface.label1[static_cast<std::size_t>(index)];
    const std::string answer = dialogs.inputBox("Edit label:", "Edit Label", label.caption);
    if (answer.empty()) return;
    label.caption = answer;
    surface.changed(SurfacePart::Labels);
}

void dragPress(MeasureState& state, float x, float y) { state.grabPoint = {x, y}; }

void dragMove(const MeasureState& state, MapSurface& surface, DragTarget target, float x, float y) {
    Box* box = nullptr;
    SurfacePart part = SurfacePart::Text1;
    if (target.labelIndex < 0) {
        box = &surface.text1;
    } else if (static_cast<std::size_t>(target.labelIndex) < surface.label1.size()) {
        box = &surface.label1[static_cast<std::size_t>(target.labelIndex)];
        part = SurfacePart::Labels;
    } else {
        return;
    }
    box->left = box->left + x - state.grabPoint.x;
    box->top = box->top + y - state.grabPoint.y;
    surface.changed(part);
}

void OpenInNotepad(const std::string& path, TextViewer& viewer, common::Dialogs& dialogs) {
    const std::string commandLine = "notepad " + path;
    bool started = false;
    try {
        started = viewer.open(path);
    } catch (...) {
        // A viewer that cannot be started at all is reported like one that is missing.
        started = false;
    }
    if (!started) (void)dialogs.inputBox("Cant find Notepad.exe", commandLine, "");
}

}  // namespace brelvo::measure
