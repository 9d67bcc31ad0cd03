// The basin part of the message table (hydrograph files, routing, storage tables, the runoff window's
// fields), kept in its own file for its length: common/messages.hpp includes it at its place in the
// table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- basin: the runoff window's fields, hydrograph files, routing ----
// Hydrograph files (*.GRF): the file dialog, reading and saving.
inline constexpr std::string_view kHydrographFilter = "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|";
inline constexpr std::string_view kUnitDurations = "Unit durations must match current hydrograph";
inline constexpr std::string_view kNoFlowColumn =
    "The hydrograph file's column header names no Outflow or Runoff column.";
inline constexpr std::string_view kNoTimeHeader =
    "No hydrograph table found: the file has no \"Time\" column header.";
inline constexpr std::string_view kStepBelowOneMinute =
    "The hydrograph file's time step must be at least one minute.";
inline constexpr std::string_view kNoHydrographRows =
    "The hydrograph file has no rows under its column header.";
// Refusals of a hydrograph file's table, naming the file and the line (from 1).
inline std::string hydrographTimeNotRising(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": the time \"" + std::string(text) +
           "\" does not follow the time of the row above.";
}
inline std::string hydrographBlankInsideTable(std::string_view file, int line) {
    return std::string(file) + ", line " + std::to_string(line) +
           ": a blank line inside the table; rows follow it.";
}
inline std::string hydrographTooFewRows(std::string_view file, std::size_t rows) {
    return std::string(file) + ": a hydrograph needs at least two rows; the table has " +
           std::to_string(rows) + ".";
}
inline std::string hydrographStepZero(std::string_view file) {
    return std::string(file) + ": every time in the table is 0, so there is no time step.";
}
// A hydrograph file named in the dialog that is not there (with a full stop, unlike kFileNotFound).
inline constexpr std::string_view kHydrographFileNotFound = "File not found.";
inline constexpr std::string_view kComputeBeforeSaving = "Compute hydrograph before saving.";
// Rows are counted from 1.
inline std::string tooManyHydrographRows(std::size_t rows) {
    return "The hydrograph file has more than " + std::to_string(rows) + " rows; only the first " +
           std::to_string(rows) + " were read.";
}
inline std::string hydrographRowWithoutTime(std::size_t row) {
    return "Row " + std::to_string(row) +
           " of the hydrograph table has no time in hours; reading stopped there.";
}
inline std::string hydrographTimeTooLarge(std::size_t row) {
    return "Row " + std::to_string(row) +
           " of the hydrograph table holds a time too large to read; reading "
           "stopped there.";
}
inline std::string hydrographFlowTooLarge(std::size_t row) {
    return "Row " + std::to_string(row) +
           " of the hydrograph table holds a flow too large to read; reading "
           "stopped there.";
}
// Storage files (*.RAT) and storage routing.
inline constexpr std::string_view kStorageFilter = "Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|";
inline constexpr std::string_view kStorageFileEndsEarly =
    "The storage file ends before its second line, which gives the number of rows.";
inline std::string storageFileNotFound(std::string_view path) {
    return "Storage file not found: " + std::string(path);
}
inline std::string storageNumberTooLarge(int row) {
    return "Row " + std::to_string(row) + " of the storage file holds a number too large to read.";
}
// `count` is the row count as written ("too many" when it is beyond 16 bits).
inline std::string storageRowsTooMany(std::string_view count, int lastRow) {
    return "The storage file lists " + std::string(count) + " rows; a storage table holds at most " +
           std::to_string(lastRow) + ".";
}
inline std::string storageNoRows(int lastRow) {
    return "The storage file lists no rows: its second line must give the number of rows, 1 to " +
           std::to_string(lastRow) + ".";
}
inline std::string storageCountNotWhole(std::string_view file, std::string_view text) {
    return std::string(file) + ", line 2: \"" + std::string(text) + "\" is not a whole number of rows.";
}
inline std::string storageRowBeyondCount(std::string_view file, int line, std::string_view text, int rows) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" is a row beyond the " + std::to_string(rows) + " rows the file announces.";
}
inline std::string storageRowsMissing(int listed, std::size_t held) {
    return "The storage file lists " + std::to_string(listed) + " rows but holds only " +
           std::to_string(held) + ".";
}
inline std::string storageRowFalls(int row, std::string_view column) {
    return "Row " + std::to_string(row) + " of the storage file lies below row " + std::to_string(row - 1) +
           " in " + std::string(column) + "; rows must rise in elevation, outflow and storage.";
}
// `what` names the quantity ("outflow"), `value` and `lastValue` are number texts in `unit`.
inline std::string storageBeyondLastRow(std::string_view what, std::string_view value, std::string_view unit,
                                        std::string_view lastValue, int lastRow) {
    return "The routing reached " + std::string(what) + " " + std::string(value) + " " + std::string(unit) +
           ", beyond the last row of the storage file (" + std::string(lastValue) + " " + std::string(unit) +
           "). A table of " + std::to_string(lastRow) + " rows cannot be extended past its last row.";
}
inline std::string storageEqualRows(std::string_view what, std::string_view value, std::string_view unit) {
    return "The routing cannot interpolate " + std::string(what) + " " + std::string(value) + " " +
           std::string(unit) + " in the storage file: the rows around it hold the same " + std::string(what) +
           ".";
}
// Data files read strictly: what was wrong, naming the file, the line (from 1) and the text found. A
// message of one of the older kinds gets the file on a line of its own.
inline std::string inFile(std::string_view text, std::string_view file) {
    return std::string(text) + "\nFile: " + std::string(file);
}
inline std::string notARegularFile(std::string_view path) {
    return "\"" + std::string(path) + "\" is not a regular file (a folder, a device or a pipe).";
}
inline std::string noSuchFile(std::string_view path) {
    return "There is no file \"" + std::string(path) + "\".";
}
inline std::string fileUnreadable(std::string_view path) {
    return "\"" + std::string(path) + "\" cannot be read.";
}
inline std::string fileTooLarge(std::string_view path, std::string_view limit) {
    return "\"" + std::string(path) + "\" is larger than " + std::string(limit) +
           ", too large for this kind of file.";
}
inline std::string hydrographFirstTimeNotZero(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": the table starts at the time \"" +
           std::string(text) + "\"; a hydrograph table starts at time 0.";
}
inline std::string hydrographTimeOffStep(std::string_view file, int line, std::string_view text,
                                         std::string_view expected) {
    return std::string(file) + ", line " + std::to_string(line) + ": the time \"" + std::string(text) +
           "\" is off the step of the rows above (" + std::string(expected) +
           " expected); the times must be evenly spaced.";
}
inline std::string hydrographColumnSplit(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" runs past the edge of its nine-character column.";
}
inline std::string hydrographMoreFields(std::string_view file, int line, std::string_view text,
                                        std::size_t names) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" has more fields than the " + std::to_string(names) +
           " of the column header (use a decimal point, not a decimal comma).";
}
inline std::string hydrographNegativeFlow(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" is a negative flow.";
}
inline std::string hydrographStepTooShort(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": the time \"" + std::string(text) +
           "\" gives a time step of less than one minute.";
}
inline std::string unitDurationsDiffer(std::string_view file, int line, std::string_view fileStep,
                                       std::string_view currentStep) {
    return std::string(kUnitDurations) + "\n" + std::string(file) + ", line " + std::to_string(line) +
           ": the file's time step is " + std::string(fileStep) + " hours, the current hydrograph's " +
           std::string(currentStep) + " hours.";
}
inline std::string storageExtraField(std::string_view file, int line, std::string_view text) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" holds more than three fields; a row holds elevation, outflow and storage (use a decimal "
           "point, not a decimal comma).";
}
inline std::string storageNegative(std::string_view file, int line, std::string_view text,
                                   std::string_view column) {
    return std::string(file) + ", line " + std::to_string(line) + ": \"" + std::string(text) +
           "\" is a negative " + std::string(column) + ".";
}
inline std::string storageRanPastTop(std::string_view file, std::string_view byFt, std::string_view reachedFt,
                                     std::string_view topFt) {
    return "The routing ran past the top of the storage table by " + std::string(byFt) + " ft.\n" +
           std::string(file) + ": the water surface reached " + std::string(reachedFt) +
           " ft, above its last row at " + std::string(topFt) +
           " ft; outflow and storage up there were extended along its last two rows. Add rows up to that "
           "height for a routing you can trust.";
}
// (end of basin)

}  // namespace brelvo::common::msg
