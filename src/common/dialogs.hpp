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
    std::string initialDir;  // the program's folder unless said otherwise
    std::string filter;      // "Description|*.ext|...|" pairs
    bool save = false;
};

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
};

// A save dialog for an export: the name chosen, with `defaultExtension` (".png") added when it has
// none; nothing when the user cancels.
inline std::optional<std::string> askSavePath(Dialogs& dialogs, std::string title, std::string folder,
                                              std::string fileName, std::string filter,
                                              std::string_view defaultExtension) {
    FileDialogRequest request;
    request.title = std::move(title);
    request.initialDir = std::move(folder);
    request.fileName = std::move(fileName);
    request.filter = std::move(filter);
    request.save = true;
    auto chosen = dialogs.fileDialog(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    if (!std::filesystem::path(*chosen).has_extension()) *chosen += defaultExtension;
    return chosen;
}

}  // namespace brelvo::common
