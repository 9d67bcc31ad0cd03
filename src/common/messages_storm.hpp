// The Storm menu's part of the message table: importing a precipitation-frequency table, the design
// storm it fills the rainfall durations with, and why a file or a choice is refused. Kept in its own
// file for its length: common/messages.hpp includes it; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- app and runoff: the Storm menu ----
inline constexpr const char* kMenuStorm = "Storm";
inline constexpr const char* kEntryImportPrecipFrequency = "Import Precipitation Frequency...";
inline constexpr const char* kEntryImportTemporalDistribution = "Import Temporal Distribution...";
inline constexpr const char* kImportPrecipFrequencyButton = "Import Precipitation Frequency...";
inline constexpr const char* kPrecipFrequencyFilter =
    "Precipitation frequency files (*.csv)|*.csv|All files (*.*)|*.*|";
inline constexpr const char* kPrecipFrequencyOpenTitle = "Import Precipitation Frequency";
// The dialog that asks which storm of the table fills the rainfall durations.
inline constexpr const char* kDesignStormTitle = "Design Storm";
inline constexpr const char* kDesignStormReturnPeriod = "Return period (years)";
inline constexpr const char* kDesignStormHours = "Storm length (hours)";
inline constexpr const char* kDesignStormHoursRefused = "The storm length must be a number of hours above 0.";
// The table's point far from the basin traced on a georeferenced map; `km` as whole kilometres.
inline std::string precipSiteFar(std::string_view file, std::string_view latitude, std::string_view longitude,
                                 std::string_view km) {
    return "The precipitation-frequency table \"" + std::string(file) + "\" is for the point " +
           std::string(latitude) + ", " + std::string(longitude) + ", " + std::string(km) +
           " km from the basin's centroid: its depths may not be the basin's. Check that the table is for "
           "this site.";
}

// Why a file is not read as a precipitation-frequency table; `file` is the file's name.
inline std::string precipFileLine(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) + "\"";
}
inline std::string precipIntensities(std::string_view file, std::string_view unit) {
    return "\"" + std::string(file) + "\" holds precipitation intensities (" + std::string(unit) +
           "), not depths. Download the table of precipitation depths for the point and import that.";
}
inline std::string precipNoCoverage(std::string_view file, int line, std::string_view text) {
    return precipFileLine(file, line, text) +
           "\nThe file holds no precipitation frequency estimates: the point lies outside the areas the "
           "estimates cover.";
}
inline std::string precipNoTable(std::string_view file) {
    return "\"" + std::string(file) +
           "\" holds no precipitation frequency table: no line \"by duration for ARI (years):\" (or \"by "
           "duration for AEP (1-in-y):\") followed by the durations' rows.";
}
inline std::string precipNotDepthHeader(std::string_view file, int line, std::string_view text) {
    return precipFileLine(file, line, text) +
           "\nThe first line must name the depths' unit in parentheses: (inches) or (millimeters).";
}
inline std::string precipBadLine(std::string_view file, int line, std::string_view text) {
    return precipFileLine(file, line, text) + "\nThis line of the table cannot be read.";
}
inline std::string precipBadRow(std::string_view file, int line, std::string_view text, int returnPeriods) {
    return precipFileLine(file, line, text) +
           "\nA row must be a duration (\"5-min:\" to \"60-day:\", longer than the row above) and " +
           std::to_string(returnPeriods) + " depths, one for each return period.";
}
// A depth of the table that cannot be one: `what` names it ("the 24-hr 100-year depth"), `text` is the
// file's text of it.
inline std::string precipDepthNotPositive(std::string_view file, int line, std::string_view what,
                                          std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": " + std::string(what) + " \"" +
           std::string(text) + "\" is not above 0.";
}
inline std::string precipDepthTooSmall(std::string_view file, int line, std::string_view what,
                                       std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": " + std::string(what) + " \"" +
           std::string(text) + "\" is too small to compute with.";
}
// A depth below the one of a shorter duration (`than` names that one, "the 12-hr depth \"10.1\" (line 19)")
// or of a shorter return period ("the 50-year depth \"11.0\"").
inline std::string precipDepthFallsWithDuration(std::string_view file, int line, std::string_view what,
                                                std::string_view text, std::string_view than) {
    return std::string(file) + ", line " + std::to_string(line) + ": " + std::string(what) + " \"" +
           std::string(text) + "\" is below " + std::string(than) +
           ": a depth cannot fall as the duration grows.";
}
inline std::string precipDepthFallsWithReturnPeriod(std::string_view file, int line, std::string_view what,
                                                    std::string_view text, std::string_view than) {
    return std::string(file) + ", line " + std::to_string(line) + ": " + std::string(what) + " \"" +
           std::string(text) + "\" is below " + std::string(than) +
           ": a depth cannot fall as the return period grows.";
}
inline std::string precipTooLarge(std::string_view file) {
    return "\"" + std::string(file) + "\" is too large to be a precipitation frequency table.";
}
inline std::string precipNotUsed(std::string_view text, int line) {
    return "Not used: \"" + std::string(text) + "\" (line " + std::to_string(line) + ").";
}
// A storm the table does not hold.
inline std::string designStormNoReturnPeriod(int years) {
    return "The precipitation frequency table has no " + std::to_string(years) + "-year return period.";
}
inline std::string designStormNoDuration(std::string_view hours) {
    return "The precipitation frequency table has no duration of " + std::string(hours) +
           " hours: choose a storm length among its durations.";
}
// A project's kept table that cannot be read.
inline constexpr std::string_view kStormTableDamaged = "is not a table of the Storm menu's import";
// (end of the Storm menu)

}  // namespace brelvo::common::msg
