// The design-storm distributions' part of the message table (the NRCS 24-hour distributions and the
// imported temporal patterns), kept in its own file for its length: common/messages.hpp includes it at
// its place in the table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- runoff: storms of a cumulative distribution (NRCS 24-hour types, imported temporal patterns) ----
// An arrangement of a fixed storm length needs the table's depth of that length.
inline std::string distributionNeedsDuration(std::string_view arrangement, std::string_view hours) {
    return "\"" + std::string(arrangement) + "\" needs the depth of the " + std::string(hours) +
           "-hour storm: the depth-duration table has no row of " + std::string(hours) +
           " hours. Type that row (Hours " + std::string(hours) + ") with its depth.";
}
// The distributions' data file.
inline std::string distributionsFileMissing(std::string_view name) {
    return "The NRCS 24-hour distributions file \"" + std::string(name) +
           "\" was not found beside the program or in its data folders: reinstall the program.";
}
inline std::string distributionsFileRefused(std::string_view file, int line, std::string_view reason) {
    return "The NRCS 24-hour distributions file cannot be used: " + std::string(file) +
           (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": " + std::string(reason) + ".";
}
// Why a distribution or temporal-pattern table is refused (after the file and line).
inline constexpr std::string_view kPatternNotNumbers = "a row is not numbers separated by commas";
inline constexpr std::string_view kPatternColumns = "a row has not as many numbers as the header has columns";
inline constexpr std::string_view kPatternTimeNotRising = "the time does not rise from the row above";
inline constexpr std::string_view kPatternStartNotZero = "the first row is not at time 0 with nothing fallen";
inline constexpr std::string_view kPatternFractionRange = "a cumulative value is outside 0 to 100 percent";
inline constexpr std::string_view kPatternFalls = "a cumulative value falls below the row above";
inline constexpr std::string_view kPatternEndNotWhole = "the last row is not the whole storm (1 or 100%)";
inline constexpr std::string_view kPatternTooManyRows = "more than 2,000 rows";
inline constexpr std::string_view kPatternNoRows = "no rows under the header";
inline constexpr std::string_view kPatternNoHeader = "no header \"hours,Type I,Type II,Type III,Type IA\"";
inline constexpr std::string_view kPatternEmptyCell = "a cell other than Type IA is empty";
inline constexpr std::string_view kPatternNotTwentyFour = "the last row is not at 24 hours";
// Temporal distributions (NOAA *_temporal.csv): the import and the arrangement "Temporal Distribution".
inline constexpr std::string_view kTemporalTitle = "Import Temporal Distribution";
inline constexpr std::string_view kTemporalFilter =
    "Temporal distributions (*.csv)|*.csv|All files (*.*)|*.*|";
inline constexpr std::string_view kTemporalSectionLabel = "Quartile";
inline constexpr std::string_view kTemporalProbabilityLabel = "Probability";
inline std::string temporalFileRefused(std::string_view file, int line, std::string_view reason) {
    return "The temporal distribution file cannot be used: " + std::string(file) +
           (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": " + std::string(reason) + ".";
}
inline constexpr std::string_view kTemporalNoSections =
    "no quartile sections (\"FIRST-QUARTILE\" to \"ALL CASES\") with rows of hours and cumulative percents";
inline constexpr std::string_view kTemporalNoHeaderRow =
    "a section without its header row \"hours,90%,80%,...,10%\"";
inline constexpr std::string_view kTemporalRowAfterTable =
    "a row after the end of its section's table (a blank line or a note above it)";
inline std::string temporalPatternMissing(std::string_view arrangement) {
    return "\"" + std::string(arrangement) +
           "\" needs a pattern: import one first with \"Import Temporal Distribution...\".";
}
inline std::string temporalPatternRefused(std::string_view reason) {
    return "The kept temporal distribution cannot be used: " + std::string(reason) + ".";
}

}  // namespace brelvo::common::msg
