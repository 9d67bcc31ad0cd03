// Storage-indication routing of the working hydrograph through a basin read from a *.RAT file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"

namespace brelvo::basin {

// A storage basin's elevation-outflow-storage table. Rows 1..n hold the file's rows; row 0 and every
// row after n hold 0, which is how a lookup knows where the table ends.
struct StorageTable {
    static constexpr int kLastRow = 100;

    std::vector<float> elevation = std::vector<float>(kLastRow + 1);   // feet
    std::vector<float> outflow = std::vector<float>(kLastRow + 1);     // cfs
    std::vector<float> storage = std::vector<float>(kLastRow + 1);     // acre-feet
    std::vector<float> indication = std::vector<float>(kLastRow + 1);  // 2S/dt + O, cfs
    int n = 0;
};

// Reads the text of a *.RAT file: line 1 a title, line 2 the row count, then one row per line
// (elevation, outflow, storage), comma-separated when line 3 holds a comma and tab-separated otherwise.
// The storage indication of each row is worked for a step of `udur` hours. A count outside 1..100, rows
// missing, a number too large to read or a row below the one before it is refused as a RuntimeFailure
// whose description says what is wrong; a zero step is "Division by zero".
// Every number is read strictly; a field that is not wholly a number, a count that is not a whole number
// or a row beyond the count is refused with a cause naming `fileName`, the line and the text.
StorageTable parseStorageFile(std::string_view text, float udur, std::string_view fileName = "storage file");

// Where a value stands in a column: interpolate a companion column Y as Y(k) + (Y(k + 1) - Y(k)) * f.
struct Located {
    int k;
    float f;
};

// Places `v` in rows 1..n of a monotone column (rows 0..100, 0 after row n). Inside the table it gives
// the bracketing rows; beyond row n it extrapolates along the last two rows (f > 1), which needs the
// empty row after n; at or below row 1 it gives k = 0, f = 0. Descending columns are searched with
// `ascending` false. Equal bracketing values fail as a division by zero.
Located locateInTable(float v, const std::vector<float>& column, int n, bool ascending = true);

// A storage routing's result: the routed working hydrograph and the file it went through.
struct StorageRouting {
    WorkingHydrograph hydrograph;
    std::string fileName;
};

// What a storage routing tells besides its result, in the order it is told: why a file cannot be used
// (then there is no routing), or that the routing ran above the table's top row.
struct StorageOutcome {
    std::optional<StorageRouting> routing;
    std::vector<std::string> messages;
};

// Modified Puls routing of the working hydrograph (the inflow, or the outflow when it is current)
// through the basin of the *.RAT file at `path`, over steps 1..routedUpper (newit) of stepHours, starting
// from the begin elevation (feet; nothing starts at row 1). The result holds the outflow, elevation and
// storage (cfs, feet, acre-feet) from 0 to the new last index, the routed peak and its index, and the
// elevation at that peak. A file that cannot be read or used gives no routing and says why. A zero time
// step is "Division by zero".
StorageOutcome modpul(const WorkingHydrograph& hydrograph, std::int16_t routedUpper, float stepHours,
                      std::optional<float> beginElevationFt, const std::string& path);

}  // namespace brelvo::basin
