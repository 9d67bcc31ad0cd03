#include "app/project_picture.hpp"

#include <filesystem>

#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/picture_commands.hpp"

namespace brelvo::app {

namespace fs = std::filesystem;
namespace msg = common::msg;

void ProjectPicture::open(const std::string& path) {
    host_.clearPicture();
    missingPath_.clear();
    missingProblem_.clear();
    if (path.empty()) return;
    std::error_code error;
    if (!fs::is_regular_file(fs::path(path), error)) {
        missingProblem_ = msg::projectPictureMissing(path);
    } else if (const auto problem = host_.decodePicture(path)) {
        missingProblem_ = msg::projectPictureUnreadable(path, *problem);
    } else {
        host_.showDecodedPicture();
        return;
    }
    missingPath_ = path;
}

bool ProjectPicture::offerToLocate() {
    if (missingPath_.empty()) return false;
    return dialogs_.confirm(msg::locatePictureQuestion(missingProblem_), msg::kEntryLocatePicture) &&
           locate(std::string());
}

bool ProjectPicture::locate(const std::string& projectFile) {
    const std::string& lost = missingPath_.empty() ? host_.picturePath() : missingPath_;
    common::FileDialogRequest request;
    request.title = msg::kLocatePictureTitle;
    request.filter = mapview::PictureCommands::kOpenFilter;
    request.initialDir = common::dialogFolder();
    if (!lost.empty()) {
        std::error_code error;
        const fs::path folder = fs::path(lost).parent_path();
        if (fs::is_directory(folder, error)) request.initialDir = folder.string();
        request.fileName = fs::path(lost).filename().string();
    } else if (!projectFile.empty()) {
        request.initialDir = fs::path(projectFile).parent_path().string();
    }
    const auto chosen = dialogs_.fileDialog(request);
    if (!chosen || chosen->empty()) return false;
    if (const auto problem = host_.decodePicture(*chosen)) {
        dialogs_.message(*problem);
        return false;
    }
    // The picture takes the place of the old one: the view keeps its rectangle (and so every line,
    // label and the scale their places on the map); without stretch it shows at its own size there.
    host_.showDecodedPicture();
    missingPath_.clear();
    missingProblem_.clear();
    return true;
}

}  // namespace brelvo::app
