// The folders file dialogs open in, and the names exports propose.
#include "common/dialog_folders.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

namespace brelvo::common {

namespace {

namespace fs = std::filesystem;

bool isFolder(const std::string& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_directory(folder, error);
}

std::string folderOf(const std::string& file) {
    return fs::path(file).parent_path().string();
}

// A title as a file name: no folder separators or control characters, no blanks at either end.
std::string asFileName(const std::string& title) {
    std::string name;
    for (const char c : title) {
        const auto u = static_cast<unsigned char>(c);
        name += (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                 c == '<' || c == '>' || c == '|')
                    ? '_'
                    : c;
    }
    const auto first = name.find_first_not_of(" .");
    if (first == std::string::npos) return {};
    const auto last = name.find_last_not_of(' ');
    return name.substr(first, last - first + 1);
}

}  // namespace

std::string DialogFolders::projectName() const {
    return projectPath_.empty() ? std::string() : fs::path(projectPath_).stem().string();
}

void DialogFolders::used(FileKind kind, const std::string& chosenFile) {
    const std::string folder = folderOf(chosenFile);
    if (isFolder(folder)) lastUsed_.at(static_cast<std::size_t>(kind)) = folder;
}

std::string DialogFolders::folderFor(FileKind kind, const std::string& fallback) const {
    if (!projectPath_.empty() && isFolder(folderOf(projectPath_))) return folderOf(projectPath_);
    if (const std::string& last = lastUsed_.at(static_cast<std::size_t>(kind)); isFolder(last)) return last;
    if (isFolder(documents_)) return documents_;
    return fallback;
}

DialogFolders& dialogFolders() {
    static DialogFolders folders;
    return folders;
}

void aimDialog(FileDialogRequest& request, FileKind kind) {
    if (!request.usualDir.empty()) return;  // aimed already (at a kept file)
    request.usualDir = request.initialDir;
    request.initialDir = dialogFolders().folderFor(kind, request.usualDir);
}

std::optional<std::string> askFile(Dialogs& dialogs, FileDialogRequest request, FileKind kind) {
    aimDialog(request, kind);
    auto chosen = dialogs.fileDialog(request);
    if (chosen && !chosen->empty()) dialogFolders().used(kind, *chosen);
    return chosen;
}

void openAtKeptFile(FileDialogRequest& request, const std::string& keptFile, const std::string& folder,
                    FileKind kind) {
    openAtKeptFile(request, keptFile, folder);
    if (!request.fileName.empty()) return;  // the kept file's folder
    request.initialDir = dialogFolders().folderFor(kind, folder);
}

std::optional<std::string> askKeptFileToOpen(Dialogs& dialogs, FileKind kind, const std::string& keptFile,
                                             const std::string& folder, std::string filter) {
    FileDialogRequest request;
    openAtKeptFile(request, keptFile, folder, kind);
    request.filter = std::move(filter);
    request.save = false;
    std::optional<std::string> chosen = askFile(dialogs, request, kind);
    if (!chosen || chosen->empty()) return std::nullopt;
    return chosen;
}

std::optional<std::string> askSavePath(Dialogs& dialogs, FileKind kind, std::string title, std::string folder,
                                       std::string fileName, std::string filter,
                                       std::string_view defaultExtension) {
    FileDialogRequest request;
    request.title = std::move(title);
    request.initialDir = std::move(folder);
    request.fileName = std::move(fileName);
    request.filter = std::move(filter);
    request.save = true;
    auto chosen = askFile(dialogs, std::move(request), kind);
    if (!chosen || chosen->empty()) return std::nullopt;
    if (!fs::path(*chosen).has_extension()) *chosen += defaultExtension;
    return chosen;
}

std::string proposedName(const std::string& title, const std::string& suffix, const std::string& fallback) {
    std::string name = dialogFolders().projectName();
    if (name.empty()) name = asFileName(title);
    if (name.empty()) return fallback;
    return name + suffix;
}

}  // namespace brelvo::common
