// Project files' part of the message table: the File menu's project texts and why a file is refused as a
// project, naming the value that is wrong. Kept in its own file for its length: common/messages.hpp
// includes it at its place in the table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- app: projects ----
// Project files.
inline constexpr const char* kUntitledProject = "Untitled";
// The title's name while a project opens (its picture, model and flow may take a while).
inline std::string openingProject(const std::string& name) {
    return "Opening " + name + "...";
}
inline constexpr const char* kProjectFilter = "Brelvo projects (*.brelvo)|*.brelvo|All files (*.*)|*.*|";
inline constexpr const char* kOpenProjectTitle = "Open Project";
inline constexpr const char* kSaveProjectTitle = "Save Project As";
inline constexpr const char* kUnsavedChangesTitle = "Unsaved changes";
inline std::string unsavedChangesQuestion(const std::string& projectName) {
    return "Save the changes to \"" + projectName + "\" before closing it?";
}
inline std::string projectRefused(const std::string& path, const std::string& problem) {
    return "The project \"" + path + "\" cannot be opened: " + problem + ". Nothing was changed.";
}
inline std::string projectNotSaved(const std::string& path, const std::string& problem) {
    return "The project could not be saved as \"" + path + "\": " + problem +
           ". A file that was there is unchanged.";
}
inline std::string projectPictureMissing(const std::string& picturePath) {
    return "The map picture \"" + picturePath +
           "\" was not found. The project opens without it; its measurements are kept.";
}
// `problem` as a failure is shown: its description, and the reason on the next line when known.
inline std::string projectPictureUnreadable(const std::string& picturePath, const std::string& problem) {
    const std::size_t lineEnd = problem.find('\n');
    return "The map picture \"" + picturePath + "\" could not be read (" + problem.substr(0, lineEnd) +
           "). The project opens without it; its measurements are kept." +
           (lineEnd == std::string::npos ? std::string() : problem.substr(lineEnd));
}
// A project's picture that is missing or unreadable: the problem, then the way back to it.
inline constexpr const char* kEntryLocatePicture = "Locate Picture...";
inline constexpr const char* kLocatePictureTitle = "Locate Picture";
inline std::string locatePictureQuestion(const std::string& problem) {
    return problem +
           "\nChoose \"Locate Picture...\" to show the picture from where it is now (or later, from the "
           "File menu); every line, label and measurement stays.";
}
inline constexpr const char* kProjectUnreadable = "the file cannot be read";
inline constexpr const char* kProjectNotRegular = "it is not a regular file (a folder, a device or a pipe)";
inline constexpr const char* kProjectTooLarge = "it is larger than 64 MiB, far larger than any project file";
inline constexpr const char* kProjectUnknownRunoffField =
    "it names a runoff window control that does not exist";
// Why a file is no project, or which of its values is wrong (after "cannot be opened: ").
inline constexpr const char* kNotAProjectFile = "it is not a project file";
inline std::string projectDamaged(const std::string& parseError, long long byte) {
    return "the file is damaged (" + parseError + " at byte " + std::to_string(byte) + ")";
}
inline std::string projectFromNewerProgram(const std::string& version, int readsUpTo) {
    return "it was written in format version " + version +
           " by a newer program; this one reads format version " + std::to_string(readsUpTo) + " and older";
}
// A value of a saved tree (a project's), named by its path: `the value "view.width" is not above 0`.
inline std::string treeValueRefused(std::string_view path, std::string_view problem) {
    return "the value \"" + std::string(path) + "\" " + std::string(problem);
}
inline constexpr std::string_view kValueMissing = "is missing";
inline constexpr std::string_view kValueNotANumber = "is not a number";
inline constexpr std::string_view kValueOutOfRange = "is out of range";
inline constexpr std::string_view kValueNotWhole = "is not a whole number";
inline constexpr std::string_view kValueNotTrueOrFalse = "is not true or false";
inline constexpr std::string_view kValueNotText = "is not a text";
inline constexpr std::string_view kValueNotList = "is not a list";
inline constexpr std::string_view kValueTooManyEntries = "has too many entries";
inline constexpr std::string_view kValueNotObject = "is not an object";
inline constexpr std::string_view kValueEntryNotObject = "holds an entry that is not an object";
inline constexpr std::string_view kValueEntryWrongKind = "holds an entry of the wrong kind";
inline constexpr std::string_view kValueNotPoint = "is not a point";
inline constexpr std::string_view kValueNotFormatVersion = "is not a format version";
inline constexpr std::string_view kValueNotAboveZero = "is not above 0";
inline constexpr std::string_view kValueNotTwentyOneEntries = "does not have 21 entries";
inline constexpr std::string_view kValueEntryNotWhole = "holds an entry that is not a whole number";
inline constexpr std::string_view kValueNotTwoWholeNumbers = "is not two whole numbers";
inline constexpr std::string_view kValueSegmentTwice = "holds one segment index twice";
inline constexpr std::string_view kValuePathPoints = "is not a list of two or more points (x, y, x, y, ...)";
inline constexpr std::string_view kValueHolePoints =
    "is not a list of holes, each a list of three or more points (x, y, x, y, ...)";
inline constexpr std::string_view kValueLabelNotHeld = "names a label the file does not hold";
inline constexpr std::string_view kValueBelowSegmentsHeld = "is below the segments the file holds";
inline constexpr std::string_view kValueSegmentNotHeld = "names a segment the file does not hold";
inline constexpr std::string_view kMeasuringDocumentNotObject = "the measuring document is not an object";
inline constexpr std::string_view kValueNotNumberList = "is not a list of numbers separated by single spaces";
inline constexpr std::string_view kValueNotRowCount = "does not hold as many lines as the column's rows";
// Results kept with a project (the last run and the frequency rows) after one of the inputs they came
// from changed: shown beside them, and why the calculation report is not exported.
inline constexpr const char* kResultsOutOfDate =
    "The results shown are out of date: an input changed after they were computed. Compute again.";
inline constexpr const char* kReportResultsOutOfDate =
    "The results are out of date: an input changed after they were computed. Compute the hydrograph "
    "again (and the frequency runs, if any) before exporting the calculation report.";

}  // namespace brelvo::common::msg
