// Every text the program shows a user in a message box, an input box prompt or a failure, in one table.
// The words are the program's own and are compared character by character by users: change none of
// them. Texts that take a value are functions; the rest are constants. Sections follow the folders.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- common: failures, numbers, files ----
// The descriptions of the numbered run-time failures (common/failure.hpp), shown with their numbers.
inline constexpr std::string_view kInvalidProcedureCall = "Invalid procedure call or argument";  // 5
inline constexpr std::string_view kOverflow = "Overflow";                                        // 6
inline constexpr std::string_view kOutOfMemory = "Out of memory";                                // 7
inline constexpr std::string_view kSubscriptOutOfRange = "Subscript out of range";               // 9
inline constexpr std::string_view kDivisionByZero = "Division by zero";                          // 11
inline constexpr std::string_view kTypeMismatch = "Type mismatch";                               // 13
inline constexpr std::string_view kFileNotFound = "File not found";                              // 53
inline constexpr std::string_view kInputPastEndOfFile = "Input past end of file";                // 62
inline constexpr std::string_view kPathFileAccessError = "Path/File access error";               // 75
inline constexpr std::string_view kPathNotFound = "Path not found";                              // 76
inline constexpr std::string_view kObjectAlreadyLoaded = "Object already loaded";                // 360
inline constexpr std::string_view kInvalidPicture = "Invalid picture";                           // 481

// The JPEG writer's failures (number 26001), the code in decimal at the end; and the name that follows
// the program's file name as the failure's source.
inline std::string jpegInitFailed(int code) {
    return "Failed to initialise the IJL library: " + std::to_string(code);
}
inline std::string jpegSaveFailed(int code) {
    return "Failed to save to JPG " + std::to_string(code);
}
inline constexpr std::string_view kJpegSourceModule = ".mIntelJPEGLibrary";
// (end of common)

// ---- measure: the measuring window's commands and the scale ----
// (end of measure)

// ---- mapview: pictures in and out ----
// (end of mapview)

// ---- basin: the runoff window's fields, hydrograph files, routing ----
// (end of basin)

// ---- runoff: the compute run, rainfall, losses, unit graphs, report ----
// (end of runoff)

// ---- app: the windows ----
// (end of app)

}  // namespace brelvo::common::msg
