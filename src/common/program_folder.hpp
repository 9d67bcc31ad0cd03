// The program's folder: data files are read from it, and file dialogs fall back to it (common/dialog_folders
// says where they open). The working hydrograph file lives there too, or in the user's data folder when the
// program's folder is read-only.
//
// An installed program (one with its data folder, share/brelvo, beside its bin folder) looks for a data
// file by name first beside the executable, then in the user's data folder, then in share/brelvo; it
// writes only to the user's data folder, and its file dialogs open there.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brelvo::common {

// The folder of the running executable, without a trailing separator; the current folder when unknown.
std::string programFolder();

// Where the working files go: the program's folder when it can be written, otherwise the user's data
// folder ($XDG_DATA_HOME/brelvo or ~/.local/share/brelvo, created when missing).
std::string workingFolder();

// The same choice for a program in the folder `program`, with `writable` telling whether a folder can be
// written: the environment ($XDG_DATA_HOME, then $HOME) is read as workingFolder reads it. The program's
// folder is kept when neither variable is set.
std::string workingFolderFor(const std::string& program,
                             const std::function<bool(const std::string& folder)>& writable);

// The user's data folder, $XDG_DATA_HOME/brelvo or ~/.local/share/brelvo (not created here); empty when
// neither variable is set.
std::string userDataFolder();

// The installed data folder of a program in the folder `program` (its ../share/brelvo, as installed)
// when that folder exists; empty for a program run from its build folder.
std::string installedDataFolderFor(const std::string& program);
std::string installedDataFolder();

// The folders a data file is looked for in, in order and each once: `first`, the program's folder
// `program`, the user's data folder and the installed data folder.
std::vector<std::string> dataSearchFoldersFor(const std::string& first, const std::string& program);

// The data file `name` from the first of dataSearchFoldersFor(first, programFolder()) that holds it;
// `first` joined with `name` when none does, so a missing file is named where it was first looked for.
std::string findDataFile(const std::string& name, const std::string& first);

// The usual folder of the file dialogs, where a replayed session's relative answers are read and where a
// dialog opens when common::dialogFolders knows no other: the program's folder, or the working folder for
// an installed program.
std::string dialogFolder();

// The working hydrograph file, "Temp.GRF" in the working folder.
std::string workingHydrographFile();

// A file as the program keeps it (a project, its picture, the files a run read): its full path without
// "." or ".." steps; the path as given when that cannot be worked out.
std::string fullPath(const std::string& path);

}  // namespace brelvo::common
