// Rainfall of a compute run: the depth-duration table, the uniform, synthetic and storm-file storms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"

namespace brelvo::runoff {

// The depth-duration table of the window: entries 1..rows; entry 0 is the duration-0 point.
struct DepthDurationTable {
    basin::Series durationHours;
    basin::Series depthIn;  // after the areal factor
    std::int16_t rows = 0;
};

// The arrangement of the exact text of ComboRain: "Average", "None", "Peak at 2/3", "Peak at 1/3",
// "Peak Centered" (synthetic, with that peak), "Storm File". Any other text is synthetic with the
// peak of the previous run.
[[nodiscard]] basin::RainArrangement decodeArrangement(const std::string& comboText,
                                                       basin::PeakPlacement previousPeak);

// One row of the window's table as its boxes were read: the depth as read (inches, in double, as the
// depth is multiplied by the factor before it is held as a single), the areal factor and the duration.
struct DepthDurationRow {
    double depthIn = 0;
    float arealFactor = 0;
    float durationHours = 0;
};

// Series with indices 0..500; the rows go to entries 1..rows. The depth is taken times the areal factor
// (0 or an empty box counts as 1); the first zero depth, or the end of `rows`, ends the table.
[[nodiscard]] DepthDurationTable depthDurationTable(const std::vector<DepthDurationRow>& rows);

// The uniform storm of the table's last row: CInt(duration / step) equal steps of depth * step /
// duration inches; the per-step series span 0..upper.
[[nodiscard]] basin::Storm averageStorm(const DepthDurationTable& table, float stepHours);

// Work arrays of a synthetic storm. Slopes cover the table (0..500); the others 0..upper.
struct StormWork {
    std::vector<float> slopes;  // inches per hour at each table row
    basin::Series times;        // hours at the end of each step
    basin::Series cumulative;   // inches fallen by the end of each step
    basin::Series increments;   // inches per step, sorted largest first by arrangeStorm
};

// The synthetic storm of the table (its duration-0 point may be set on the way, hence the copy):
// duration and depth of the last row, the work arrays recreated, then arrangeStorm.
[[nodiscard]] basin::Storm syntheticStorm(DepthDurationTable table, basin::PeakPlacement peak,
                                          float stepHours, StormWork& work);

// Reads the cumulative depth off the smooth curve through the table at each whole step, sorts the
// step increments and places them around the peak. nTable holds the table rows on entry and the
// number of rain steps on return. depthTable(0) may be set (the duration-0 point); slopes are
// recomputed; times, rainStep, cumulative and increments must already span the steps, a step past
// them is a failure.
void arrangeStorm(basin::PeakPlacement peak, basin::Series& durTable, basin::Series& depthTable,
                  std::vector<float>& slopes, std::int16_t& nTable, basin::Series& times,
                  basin::Series& rainStep, float stormDur, float udur, basin::Series& cumulative,
                  basin::Series& increments);

// Sorts a(lo..hi) in place, largest first; nothing when lo > hi.
void sortDescending(basin::Series& a, int lo, int hi);

// A storm file's line 2: the step count and the step (hours). Line 1 is ignored; the separator of the
// whole file is a comma when line 2 holds one, else a tab. A negative count is a failure.
struct StormFileHeader {
    std::int16_t steps = 0;
    float stepHours = 0;
    char separator = ',';
    std::string fileName;  // as the refusals name the file
};
// Every field is read strictly: a refused field, count or row is a failure whose cause names the file
// `fileName`, the line and the text.
[[nodiscard]] StormFileHeader parseStormFileHeader(std::string_view text,
                                                   std::string_view fileName = "storm file");

// The storm of a storm file's text after its header: N lines "time<sep>inches", then nothing but blank
// lines. A short or malformed file, or one with more rows than announced, is a RuntimeFailure.
[[nodiscard]] basin::Storm parseStormFileRows(std::string_view text, const StormFileHeader& header);

// The text and full name of the storm file the user chose.
struct StormFileText {
    std::string text;
    std::string fullPath;
};

// The rainfall of a compute run.
struct Rainfall {
    basin::Storm storm;
    float constantLossStepIn = 0;  // the loss per step on the storm's step
    std::string stormFile;         // the storm file read, as chosen; empty for a storm of the table
};

// The run's time step and rain-step count as the run keeps them: a storm sets them as soon as it knows
// them, so a failure further on leaves them set (a storm file's step once its header is read; a
// uniform storm's step count before its series are made).
struct RainRun {
    float stepHours = 0;
    std::optional<std::int16_t> rainSteps;  // set once the storm knows its step count
};

// Builds the storm of a compute run for the arrangement and table, or from the storm file chosen for an
// arrangement "Storm File" (which must then be given), updating `run` on the way. A storm whose total
// rain leaves the single range is "Overflow".
[[nodiscard]] Rainfall buildRainfall(basin::RainArrangement arrangement, const DepthDurationTable& table,
                                     const basin::LossInputs& losses, RainRun& run,
                                     const std::optional<StormFileText>& stormFile = std::nullopt);

// The storm's total rain in inches, steps 1..steps; a total beyond the single range is "Overflow".
[[nodiscard]] float totalRainIn(const basin::Storm& storm);

}  // namespace brelvo::runoff
