// The program's folder: data files are read from it and every file dialog opens in it. The working
// hydrograph file lives there too, or in the user's data folder when the program's folder is read-only.
#pragma once

#include <functional>
#include <string>

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

// The working hydrograph file, "Temp.GRF" in the working folder.
std::string workingHydrographFile();

}  // namespace brelvo::common
