// The dialogs port: how the domain asks the user something. Windows, tests and the script runner implement
// it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brelvo::common {

struct FileDialogRequest {
    std::string title;
    std::string fileName;    // initial file name
    std::string initialDir;  // the folder the dialog opens in (common/dialog_folders)
    std::string filter;      // "Description|*.ext|...|" pairs
    bool save = false;
    // For a dialog that opens at the file used last time: the folder it opens in when none is kept.
    // A replayed session reads a relative answer from here, so that its answers name the same files
    // whatever an earlier run kept. Empty: initialDir.
    std::string usualDir;
};

// Opens the dialog at `keptFile` (in its folder, with its name filled in) when a file is kept and its
// folder is still there, else in `folder` with no name.
inline void openAtKeptFile(FileDialogRequest& request, const std::string& keptFile,
                           const std::string& folder) {
    request.usualDir = folder;
    request.initialDir = folder;
    request.fileName.clear();
    if (keptFile.empty()) return;
    const std::filesystem::path kept(keptFile);
    std::error_code error;
    if (!kept.has_filename() || !std::filesystem::is_directory(kept.parent_path(), error)) return;
    request.initialDir = kept.parent_path().string();
    request.fileName = kept.filename().string();
}

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Modal message box with only an OK button.
    virtual void message(const std::string& text) = 0;

    // Modal input box; a cancelled box answers the empty text, as an empty answer does.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;

    // Open or save dialog; no value when the user cancels.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;

    // A question before something is lost: `question` says what will go; true when the user chooses
    // the button `goOn` ("Continue"), false for Cancel (and for a closed box).
    virtual bool confirm(const std::string& question, const std::string& goOn) = 0;
};

}  // namespace brelvo::common
