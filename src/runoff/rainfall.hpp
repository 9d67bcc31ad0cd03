// Rainfall of a compute run: the depth-duration table, the uniform, synthetic and storm-file storms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"

namespace brelvo::runoff {

// Sets arrangeClass and arrangePeak from the exact text of ComboRain: "Average" (class 0), "None",
// "Peak at 2/3", "Peak at 1/3", "Peak Centered" (class 1, peak 0..3), "Storm File" (class 2). Any
// other text is class 1 with the peak left as it was.
void decodeArrangement(const std::string& comboText, basin::RunoffState& state);

// Recreates durTable/depthTable with indices 0..500 and reads the rows txtDuration(i) (hours),
// txtRain(i) (inches) and txtArealAdj(i), i = 0..7, into entries 1..nTable. The depth is taken
// times the areal factor (0 or an empty box counts as 1); the first zero depth ends the table.
void readDepthDurationTable(const basin::RunoffFields& fields, basin::RunoffState& state);

// The uniform storm of the table's last row: nRain = CInt(stormDur / udur) equal steps of
// stormDepth * udur / stormDur inches; the per-step arrays are recreated 0..nSize.
void averageStorm(basin::RunoffState& state);

// Work arrays of a synthetic storm. Slopes cover the table (0..500); the others 0..nSize.
struct StormWork {
    std::vector<float> slopes;  // inches per hour at each table row
    basin::Series times;        // hours at the end of each step
    basin::Series cumulative;   // inches fallen by the end of each step
    basin::Series increments;   // inches per step, sorted largest first by arrangeStorm
};

// The synthetic storm: stormDur and stormDepth from the table's last row, nSize, the per-step and
// work arrays recreated, then arrangeStorm; nRain is the number of steps it kept. nTable stays the
// number of table rows read.
void syntheticStorm(basin::RunoffState& state, StormWork& work);

// Reads the cumulative depth off the smooth curve through the table at each whole step, sorts the
// step increments and places them around the peak (arrangePeak 0 None, 1 Peak at 2/3, 2 Peak at 1/3,
// 3 Peak Centered). nTable holds the table rows on entry and the number of rain steps on return.
// depthTable(0) may be set (the duration-0 point); slopes are recomputed; times, rainStep,
// cumulative and increments must already span the steps (0..nSize), a step past them is a failure.
void arrangeStorm(std::int16_t arrangePeak, basin::Series& durTable, basin::Series& depthTable,
                  std::vector<float>& slopes, std::int16_t& nTable, basin::Series& times,
                  basin::Series& rainStep, float stormDur, float udur, basin::Series& cumulative,
                  basin::Series& increments);

// Sorts a(lo..hi) in place, largest first; nothing when lo > hi.
void sortDescending(basin::Series& a, int lo, int hi);

// Builds the storm from a storm file's text: line 1 ignored, line 2 "N<sep>step hours", then N lines
// "time<sep>inches"; the separator is a comma when line 2 holds one, else a tab. Replaces udur and
// the constant loss per step, fills stormDur, stormDepth, nSize, nRain and rainStep, then empties the
// table boxes, shows the file's step in hours and names the file in txtTile2. A short or malformed
// file is a RuntimeFailure; the state keeps what was read before it (the fields are unchanged).
void parseStormFile(std::string_view text, const std::string& fullPath, basin::RunoffState& state,
                    basin::RunoffFields& fields);

// Asks for a storm file (opening in the program's folder) and builds the storm from it. Returns false
// and changes nothing when no file was chosen; a missing file is "File not found".
bool readStormFile(basin::RunoffState& state, basin::RunoffFields& fields, common::Dialogs& dialogs,
                   const std::string& programFolder);

// Builds the rainfall series of a compute run for the arrangement already decoded and the table
// already read, then rainTotal = sum of rainStep(1..nRain). Returns false when the storm-file dialog
// was closed without a choice (the run then ends quietly).
bool buildRainfall(basin::RunoffState& state, basin::RunoffFields& fields, common::Dialogs& dialogs,
                   const std::string& programFolder);

}  // namespace brelvo::runoff
