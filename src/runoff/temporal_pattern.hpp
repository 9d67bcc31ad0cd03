// Temporal distributions of a NOAA precipitation-frequency study (the `*_temporal.csv` files of the
// precipitation frequency data server): quartile sections of cumulative percents of the storm's depth
// at each hour, one column per probability ("90%" .. "10%"). One column of one section, chosen by the
// user, becomes the storm pattern of the arrangement "Temporal Distribution", scaled to the
// depth-duration table's depth of the pattern's length.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runoff/distribution_storm.hpp"

namespace brelvo::runoff {

// One section of the file: its title as written ("FIRST-QUARTILE", "ALL CASES"), the probability
// columns of its header ("90%" ...) and its rows (hours, then one percent per column).
struct TemporalSection {
    std::string name;
    std::vector<std::string> columns;
    std::vector<double> hours;
    std::vector<std::vector<double>> percents;  // [row][column]
};
struct TemporalFile {
    std::string fileName;
    std::vector<std::string> headerLines;  // the lines before the first section, as written
    std::vector<TemporalSection> sections;
};
// Reads the file strictly: every section needs the header "hours,<columns>" and rows of as many numbers,
// hours rising from 0, percents within 0..100, never falling, 0 at the start and 100 at the end, at
// most 2,000 rows. A refusal names the file, the line and the text (or what is missing).
struct TemporalFileRead {
    std::optional<TemporalFile> file;
    std::string error;
};
[[nodiscard]] TemporalFileRead readTemporalFile(std::string_view text, std::string_view fileName);

// The pattern the runoff inputs keep: where it came from and its points as the file writes them.
struct TemporalPattern {
    std::string fileName;
    std::string section;      // "SECOND-QUARTILE"
    std::string probability;  // "50%"
    std::vector<double> hours;
    std::vector<double> percents;
    bool operator==(const TemporalPattern&) const = default;
};
// The pattern of one section and column of a file read; nothing when there is no such section or column.
[[nodiscard]] std::optional<TemporalPattern> temporalPattern(const TemporalFile& file,
                                                             std::string_view section,
                                                             std::string_view probability);
// A kept pattern checked as the file's sections are (a project may hold anything): why it is refused
// ("the time does not rise from the row above"), or empty.
[[nodiscard]] std::string temporalPatternProblem(const TemporalPattern& pattern);

// The storm choice of the arrangement "Temporal Distribution": the pattern's fractions (its percents / 100,
// the last exactly 1) and the table's depth of the pattern's length; refused by name when no pattern was
// imported or the table has no row of that length.
[[nodiscard]] DistributionChoice temporalChoice(const std::optional<TemporalPattern>& pattern,
                                                std::string_view arrangementText,
                                                const DepthDurationTable& table);

}  // namespace brelvo::runoff
