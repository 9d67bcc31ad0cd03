// The imported precipitation-frequency table with the storm last chosen from it, as a value tree: what
// a project keeps (runoff section, "stormTable") and what the script runner's dump shows ("StormTable").
#pragma once

#include "common/value_tree.hpp"
#include "runoff/precip_frequency.hpp"

namespace brelvo::runoff {

struct KeptStormTable {
    PrecipFrequencyTable table;
    int returnPeriod = 0;  // years, of the storm last chosen
    double hours = 24;     // its length
    friend bool operator==(const KeptStormTable&, const KeptStormTable&) = default;
};

[[nodiscard]] common::ValueTree stormTableTree(const KeptStormTable& kept);

// Reads the tree back; every value is checked as the file's reader checks it (labels, depths, sizes).
// Throws common::TreeError naming the first value that is wrong.
[[nodiscard]] KeptStormTable readStormTableTree(const common::TreeReader& reader);

}  // namespace brelvo::runoff
