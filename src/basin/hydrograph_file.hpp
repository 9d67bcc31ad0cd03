// Hydrograph files (*.GRF): reading one into the working hydrograph or adding it to the current one,
// saving the working file under a chosen name, and the flow and volume rounding `usgsround`.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"

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

// Reads a hydrograph file (fixed-width report table, tab or comma form) into a copy of the working
// hydrograph `current`: a new hydrograph unless `combining`, otherwise added to the current one (the
// sum goes to the outflow and the current hydrograph becomes the inflow; the file's step must match
// stepHours). Every problem is told through dialogs and gives nothing. The result's last index is the
// hydrograph's, its volume in acre-feet, and the file's step (hours) is written back into
// txtGraphtimestep (minutes when Label14 says "minutes"). Times and flows are read strictly; a field
// that is not wholly a number, times that do not rise, a blank line inside the table, fewer than two
// rows or a time step of 0 refuse the file with a message naming `fileName`, the line and the text.
std::optional<LoadedHydrograph> readHydrographFile(std::istream& in, const WorkingHydrograph& current,
                                                   bool combining, float stepHours, RunoffFields& fields,
                                                   common::Dialogs& dialogs,
                                                   std::string_view fileName = "hydrograph file");

// The same for a named file; "File not found." when there is no such file.
std::optional<LoadedHydrograph> readHydrographFile(const std::string& path, const WorkingHydrograph& current,
                                                   bool combining, float stepHours, RunoffFields& fields,
                                                   common::Dialogs& dialogs);

// "Save Hydrograph": with a computed hydrograph on the chart, asks for a name (`proposedName` filled in)
// and writes the window's last report (`reportBytes`, as its run wrote the working file) there through
// common::replaceFile, so a failed save leaves the old file whole and says why, naming the file. A name
// typed without an extension gets ".GRF". The working file's own name writes nothing.
void saveHydrograph(const ChartGrid& chart, const std::string& reportBytes, const std::string& workingFile,
                    const std::string& programFolder, common::Dialogs& dialogs,
                    const std::string& proposedName = {});

}  // namespace brelvo::basin
