// The depth-duration table the user typed, put aside while a storm file's display holds its boxes (the
// empty rows, the file's step in hours, the file's name as second title) and brought back when another
// arrangement is chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"

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

}  // namespace brelvo::runoff
