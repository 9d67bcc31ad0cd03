// Where the file dialogs open and what name an export proposes. A dialog opens in the project's folder
// once the project has a file, else in the folder last used for that kind of file in this session, else
// in the user's documents folder. The memory is the program's, one for the session, and is not saved.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/dialogs.hpp"

namespace brelvo::common {

// The kinds of file whose dialogs remember their folder apart.
enum class FileKind : std::size_t {
    project,
    mapPicture,   // pictures loaded as the map
    mapImage,     // the map saved as a picture or printed to a PDF file
    coordinates,  // the coordinate listing
    storm,        // *.STM
    storage,      // *.RAT
    hydrograph,   // *.GRF loaded, combined or saved
    csv,
    chart,
    report,     // the report as a PDF file
    gis,        // basins to and from GIS files
    elevation,  // elevation models
    count,
};

class DialogFolders {
  public:
    // The project's file; empty while the project has none.
    void setProject(const std::string& projectPath) { projectPath_ = projectPath; }
    const std::string& projectPath() const { return projectPath_; }
    // The project's file name without its extension; empty while the project has no file.
    std::string projectName() const;

    // The user's documents folder, where dialogs open when nothing else is known.
    void setDocuments(const std::string& folder) { documents_ = folder; }

    // A file of `kind` was chosen in a dialog: its folder is where the next dialog for that kind opens.
    void used(FileKind kind, const std::string& chosenFile);

    // The folder a dialog for `kind` opens in: the project's folder, the folder last used for the kind,
    // the documents folder, the first of them that is there; `fallback` when none is.
    std::string folderFor(FileKind kind, const std::string& fallback) const;

    // Forgets every folder (the project and the documents folder included).
    void clear() { *this = DialogFolders(); }

  private:
    std::string projectPath_;
    std::string documents_;
    std::array<std::string, static_cast<std::size_t>(FileKind::count)> lastUsed_;
};

// The memory of this run of the program.
DialogFolders& dialogFolders();

// Aims `request` at the folder for `kind`. The folder the request held is kept as its usual folder, in
// which a replayed session's relative answers are read, whatever an earlier dialog chose. A request that
// has its usual folder already (openAtKeptFile) is left as it is.
void aimDialog(FileDialogRequest& request, FileKind kind);

// Shows the dialog of `request` aimed for `kind`, and remembers the folder of the file chosen.
std::optional<std::string> askFile(Dialogs& dialogs, FileDialogRequest request, FileKind kind);

// openAtKeptFile (common/dialogs.hpp) for a dialog that remembers its folder: a kept file whose folder is
// still there comes first, else the folder for `kind`; `folder` is the usual folder.
void openAtKeptFile(FileDialogRequest& request, const std::string& keptFile, const std::string& folder,
                    FileKind kind);

// An open dialog for a data file of `kind` the run keeps (a storm or storage file), opened at the kept
// file (openAtKeptFile above); the file chosen, nothing when the user cancels or answers with no name.
std::optional<std::string> askKeptFileToOpen(Dialogs& dialogs, FileKind kind, const std::string& keptFile,
                                             const std::string& folder, std::string filter);

// A save dialog for an export that remembers its folder: opens in the folder for `kind`
// with `fileName` proposed (`folder` is the usual folder); the name chosen, with `defaultExtension`
// (".png") added when it has none; nothing when the user cancels.
std::optional<std::string> askSavePath(Dialogs& dialogs, FileKind kind, std::string title, std::string folder,
                                       std::string fileName, std::string filter,
                                       std::string_view defaultExtension);

// The name an export proposes: the project's name, else the title `title` (characters a file name cannot
// hold become "_"), else `fallback`; followed by `suffix` (" map.pdf", ".csv").
std::string proposedName(const std::string& title, const std::string& suffix, const std::string& fallback);

}  // namespace brelvo::common
