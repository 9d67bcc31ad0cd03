// The depth-duration table the user typed, put aside while a storm file's display holds its boxes (the
// empty rows, the file's step in hours, the file's name as second title) and brought back when another
// arrangement is chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "common/dialogs.hpp"
#include "runoff/rainfall.hpp"

namespace brelvo::runoff {

// The boxes a storm file's display writes, each as the user left it and as the display wrote it, in the
// order of stormDisplayTexts.
struct TypedRainTable {
    std::vector<std::string> typed;
    std::vector<std::string> shown;
};

// The texts of the boxes a storm file's display writes, as they are now: the eight durations and depths,
// the time step, its label's caption (Label14) and the second title.
[[nodiscard]] std::vector<std::string> stormDisplayTexts(const basin::RunoffFields& fields);

// What is kept aside once a storm file's display was written over the boxes that held `before`. A box that
// still showed an earlier storm display keeps the text typed before that one.
[[nodiscard]] TypedRainTable keepTypedTable(const std::optional<TypedRainTable>& earlier,
                                            const std::vector<std::string>& before,
                                            const basin::RunoffFields& fields);

// Brings the kept table back: every box that still shows what the storm display wrote gets the text
// typed before it; a box the user has changed since keeps the change. Nothing is kept afterwards.
void restoreTypedTable(std::optional<TypedRainTable>& kept, basin::RunoffFields& fields);

// The text and full name of the storm file the user chose for a run (the dialog opens at `keptFile`, the
// storm file of the last run, when there is one, else in the program's folder); nothing when no file was
// chosen. A missing file is "File not found".
[[nodiscard]] std::optional<StormFileText> chooseStormFile(common::Dialogs& dialogs,
                                                           const std::string& programFolder,
                                                           const std::string& keptFile = {});

// The window after a run read a storm file: the table boxes emptied, the file's step shown in hours and
// the file named in txtTile2.
void showStormFile(basin::RunoffFields& fields, float stepHours, const std::string& fullPath);

// The second title of a report of a storm file's run, as showStormFile shows it.
[[nodiscard]] std::string stormFileTitle(const std::string& fullPath);

}  // namespace brelvo::runoff
