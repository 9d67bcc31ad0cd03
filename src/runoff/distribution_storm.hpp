// Storms of a cumulative distribution: the NRCS 24-hour distributions (read from their data file) and
// any pattern of cumulative fractions over a storm's length, scaled to a depth of the depth-duration
// table and sampled at the time step, the peak where the pattern puts it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"
#include "runoff/rainfall.hpp"

namespace brelvo::runoff {

// A cumulative pattern: hours rising from 0 to the storm's length, fractions of the depth rising from 0
// to exactly 1 at the last time. Linear between the points.
struct CumulativePattern {
    std::vector<double> hours;
    std::vector<double> fractions;
};

// The fraction fallen by `hours` (0 before the start, 1 from the end on), linear between the points.
[[nodiscard]] double fractionAt(const CumulativePattern& pattern, double hours);

// The storm of `pattern` scaled to `depthIn`, on a step of `stepHours`: the cumulative depth is read at
// the end of every step and each step takes the difference. The storm ends at the pattern's end: a step
// that does not divide the length ends with a shorter last step (its rain is what falls up to the end),
// so nothing of the depth is lost; the series' total is exactly `depthIn`. A step of 0 is the run's
// division failure; a step count past the 16-bit range its overflow.
[[nodiscard]] basin::Storm patternStorm(const CumulativePattern& pattern, float depthIn, float stepHours);

// The depth of the table's first row of `hours` (after its areal factor); nothing when no row has it.
[[nodiscard]] std::optional<float> depthOfDuration(const DepthDurationTable& table, float hours);

// What the pattern readers share: a line's comma-separated fields, each trimmed of blanks (and a line's
// carriage return); a field that is wholly a finite number.
[[nodiscard]] std::vector<std::string_view> csvFields(std::string_view line);
[[nodiscard]] std::optional<double> strictPatternNumber(std::string_view field);

// The four NRCS 24-hour distributions as the data file gives them, in the order of basin::NrcsType.
struct NrcsDistributions {
    std::array<CumulativePattern, 4> types;
};
inline constexpr std::string_view kNrcsDistributionsFile = "nrcs_24h_distributions.csv";
inline constexpr int kMaxPatternRows = 2000;

// Reads the distributions' data file strictly: '#' comment lines, the header
// "hours,Type I,Type II,Type III,Type IA", then rows of five cells, times rising from 0 to 24, every
// fraction within 0..1, never falling, 0 at the start and exactly 1 at 24 hours, at most 2,000 rows.
// Only a Type IA cell may be empty (that series is tabulated on fewer times, the half hours): each
// series keeps its own times. A refusal is a message naming the file and the line.
struct NrcsDistributionsRead {
    std::optional<NrcsDistributions> distributions;
    std::string error;
};
[[nodiscard]] NrcsDistributionsRead readNrcsDistributions(std::string_view text, std::string_view fileName);

// The storm pattern and depth of a compute run with a distribution, or the message that refuses it.
struct DistributionChoice {
    CumulativePattern pattern;
    float depthIn = 0;
    std::string error;  // non-empty: the run shows it and ends
};
// An "NRCS Type ..." arrangement: the type's distribution from the data file found as the program's
// data files are (beside the program, then the data folders), scaled to the table's 24-hour depth.
[[nodiscard]] DistributionChoice nrcsChoice(basin::NrcsType type, std::string_view arrangementText,
                                            const DepthDurationTable& table,
                                            const std::string& programFolder);

// The rainfall of a compute run with a distribution: the storm of the choice on the run's step, the
// constant loss per step, the step count kept in `run` (as buildRainfall keeps it).
[[nodiscard]] Rainfall patternRainfall(const DistributionChoice& choice, const basin::LossInputs& losses,
                                       RainRun& run);

}  // namespace brelvo::runoff
