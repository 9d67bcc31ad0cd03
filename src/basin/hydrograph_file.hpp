// Hydrograph files (*.GRF): reading one into the working hydrograph or adding it to the current one,
// saving the working file under a chosen name, and the flow and volume rounding `usgsround`.
#pragma once

#include <iosfwd>
#include <string>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"

namespace brelvo::basin {

// Rounds in place to three significant figures below 999.5 and to tens from there (cfs, acre-feet),
// with the thresholds compared in single precision, and returns the rounded value.
float usgsround(float& value);

// Reads a hydrograph file (fixed-width report table, tab or comma form) into the working hydrograph:
// a new hydrograph when state.hydrographPlotted is false, otherwise added to the current one (the
// sum goes to qout and the current hydrograph becomes the inflow qi). Every problem is told through
// dialogs; a file without a usable table or rows leaves the state as it was. Returns true when rows
// were taken into the working hydrograph; routeMode becomes 3 only when more than two rows were read.
// it becomes the last index of the hydrograph, volAcft its volume (acre-feet), udur the file's step
// (hours), written back into txtGraphtimestep (minutes when Label14 says "minutes").
bool readHydrographFile(std::istream& in, RunoffState& state, RunoffFields& fields, common::Dialogs& dialogs);

// The same for a named file; "File not found." when there is no such file.
bool readHydrographFile(const std::string& path, RunoffState& state, RunoffFields& fields,
                        common::Dialogs& dialogs);

// "Save Hydrograph": with a computed hydrograph on the chart, asks for a name and copies the working
// file there through a temporary file in the target folder, so a failed save leaves the old file whole.
// A name equal to the working file's copies nothing.
void saveHydrograph(const ChartGrid& chart, const std::string& workingFile, const std::string& programFolder,
                    common::Dialogs& dialogs);

}  // namespace brelvo::basin
