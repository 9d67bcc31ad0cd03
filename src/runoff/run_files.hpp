// The files a run asks for before it runs (the storage file of a storage routing, the hydrograph file
// to load or combine) and "Save Hydrograph", which writes the window's last report under a chosen name.
// The storm file's dialog is in storm_display.
#pragma once

#include <optional>
#include <string>

#include "basin/chart_grid.hpp"
#include "common/dialogs.hpp"

namespace brelvo::runoff {

// The storage file (*.RAT) for a storage routing: the dialog opens at `keptFile`, the storage file of the
// last routing, when there is one, else in the program's folder. Nothing when no file was chosen.
[[nodiscard]] std::optional<std::string> chooseStorageFile(common::Dialogs& dialogs,
                                                           const std::string& programFolder,
                                                           const std::string& keptFile = {});

// The hydrograph file to load or to combine with, asked in the program's folder. Nothing when no file was
// chosen.
[[nodiscard]] std::optional<std::string> chooseHydrographFile(common::Dialogs& dialogs,
                                                              const std::string& programFolder);

// "Save Hydrograph": with a computed hydrograph on the chart, asks for a name (`proposedName` filled in)
// and writes the window's last report (`reportBytes`, as its run wrote the working file) there through
// common::replaceFile, so a failed save leaves the old file whole and says why, naming the file. A name
// typed without an extension gets ".GRF". The working file's own name writes nothing.
void saveHydrograph(const basin::ChartGrid& chart, const std::string& reportBytes,
                    const std::string& workingFile, const std::string& programFolder,
                    common::Dialogs& dialogs, const std::string& proposedName = {});

}  // namespace brelvo::runoff
