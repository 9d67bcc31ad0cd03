// Hydrograph files (*.GRF): reading one into the working hydrograph or adding it to the current one,
// saving the working file under a chosen name, and the flow and volume rounding `usgsround`.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"

namespace brelvo::basin {

// Rounds in place to three significant figures below 999.5 and to tens from there (cfs, acre-feet),
// with the thresholds compared in single precision, and returns the rounded value.
float usgsround(float& value);

// A hydrograph file taken into the working hydrograph.
struct LoadedHydrograph {
    WorkingHydrograph hydrograph;  // the outflow is current
    float stepHours = 0;           // the file's step
    bool reported = false;         // more than two rows: the run reports it in the routing layout
};

// What a read tells the user besides its result, in order: why a file was refused (then nothing was
// loaded), or that rows were left out.
struct HydrographRead {
    std::optional<LoadedHydrograph> loaded;
    std::vector<std::string> messages;
};

// Reads a hydrograph file (fixed-width report table, tab or comma form) into a copy of the working
// hydrograph `current`: a new hydrograph unless `combining`, otherwise added to the current one (the
// sum goes to the outflow and the current hydrograph becomes the inflow; the file's step must match
// stepHours). Every problem is told in the messages and loads nothing. The result's last index is the
// hydrograph's, its volume in acre-feet, and the file's step (hours), which the run shows in the
// time-step box when it commits. Times and flows are read strictly; a field that is not wholly a number,
// times that do not rise, a blank line inside the table, fewer than two rows or a time step of 0 refuse
// the file with a message naming `fileName`, the line and the text.
HydrographRead readHydrographFile(std::istream& in, const WorkingHydrograph& current, bool combining,
                                  float stepHours, std::string_view fileName = "hydrograph file");

// The same for a named file; "File not found." when there is no such file.
HydrographRead readHydrographFile(const std::string& path, const WorkingHydrograph& current, bool combining,
                                  float stepHours);

// A step in hours as the time-step box shows it: in minutes when its label says so.
[[nodiscard]] std::string stepText(float stepHours, bool inMinutes);

}  // namespace brelvo::basin
