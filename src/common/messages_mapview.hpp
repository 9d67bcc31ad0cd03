// The map picture readers' part of the message table: why a picture file is no picture, shown on the
// line after "Invalid picture". Kept in its own file for its length: common/messages.hpp includes it at
// its place in the table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- mapview: the question before a new picture replaces traced work ----
// The question before a new picture (or none) takes the place of traced work: `action` says what is
// done ("Loading a new map picture"), then what goes with the old one: the elevation model `model` (a
// file name; empty: none) with the basin delineated on it, the lines, the labels and the listing.
inline std::string pictureReplaceQuestion(const std::string& action, int lines, int labels, bool listing,
                                          const std::string& model = {}, bool delineated = false) {
    std::string what;
    auto add = [&what](const std::string& part) { what += (what.empty() ? "" : ", ") + part; };
    if (!model.empty())
        add("the elevation model " + model + (delineated ? " with its delineated basin" : ""));
    if (lines > 0) add(std::to_string(lines) + (lines == 1 ? " traced line" : " traced lines"));
    if (labels > 0) add(std::to_string(labels) + (labels == 1 ? " label" : " labels"));
    if (listing) add("the coordinate listing");
    if (const auto last = what.rfind(", "); last != std::string::npos) what.replace(last, 2, " and ");
    return action + " removes the work on the map: " + what + ". Continue?";
}
inline constexpr const char* kLoadPictureAction = "Loading a new map picture";
inline constexpr const char* kPastePictureAction = "Pasting a map picture";
inline constexpr const char* kClearPictureAction = "Clearing the map picture";
inline constexpr const char* kContinueButton = "Continue";

// ---- mapview: why a map picture cannot be read ----
// A metafile larger than any map drawing, and one that cannot be opened; the limit as "256 MiB".
inline std::string metafileTooLarge(std::string_view limit) {
    return "The metafile is larger than " + std::string(limit) + ", too large for a map picture.";
}
inline constexpr std::string_view kMetafileUnreadable = "The metafile cannot be read.";
// The program's metafile reader (its plugin) is missing or cannot be loaded.
inline constexpr std::string_view kMetafileNoReader =
    "The Windows metafile reader (libbrelvo_wmf.so) is not installed with this program.";
// The headers and the record sizes, checked before the metafile reader sees a byte.
inline constexpr std::string_view kNotAMetafile = "Not a Windows metafile.";
inline constexpr std::string_view kMetafileHeaderCut = "The metafile is cut short inside its header.";
inline constexpr std::string_view kMetafileZeroUnitsPerInch =
    "The metafile's header gives zero units per inch.";
inline constexpr std::string_view kMetafileRecordTooLarge =
    "The metafile's header states a record larger than the whole file.";
inline constexpr std::string_view kMetafileEndMissing =
    "The metafile is cut short: its end record is missing.";
// Records counted from 1.
inline std::string metafileRecordBadSize(long record) {
    return "The metafile's record " + std::to_string(record) + " has a bad size.";
}
inline std::string metafileRecordCut(long record) {
    return "The metafile is cut short inside record " + std::to_string(record) + ".";
}
// The metafile reader's steps, as they end the sentences below ("while reading the metafile").
inline constexpr std::string_view kMetafileStepStart = "starting to read";
inline constexpr std::string_view kMetafileStepOpen = "opening";
inline constexpr std::string_view kMetafileStepRead = "reading";
inline constexpr std::string_view kMetafileStepSize = "sizing";
inline constexpr std::string_view kMetafileStepDraw = "drawing";
inline constexpr std::string_view kMetafileStepClose = "closing";
inline std::string metafileOutOfMemory(std::string_view step) {
    return "Out of memory while " + std::string(step) + " the metafile.";
}
// Without the URW base fonts the metafile reader fails every file.
inline std::string metafileNoFonts(std::string_view step) {
    return "The metafile reader found no fonts while " + std::string(step) +
           " the metafile (is fonts-urw-base35 installed?).";
}
inline std::string metafileDamaged(std::string_view step) {
    return "The metafile is damaged: " + std::string(step) + " it failed.";
}
inline std::string metafileReaderFailed(std::string_view step) {
    return "The metafile reader failed while " + std::string(step) + " the metafile.";
}
// What the drawing turned out to be.
inline constexpr std::string_view kMetafileNoPng = "The metafile reader was built without PNG output.";
inline constexpr std::string_view kMetafileZeroSize = "The metafile's picture has zero size.";
inline std::string metafileTooManyPixels(unsigned width, unsigned height, unsigned limit) {
    return "The metafile's picture is too large: " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, at most " + std::to_string(limit) + " a side.";
}
inline constexpr std::string_view kMetafileDrawsNothing = "The metafile draws nothing of any size.";
inline constexpr std::string_view kMetafileNotStored =
    "The metafile's picture could not be stored (out of memory?).";
inline constexpr std::string_view kMetafileNotDecoded =
    "The metafile's drawn picture could not be decoded (out of memory?).";
// (end of mapview's picture readers)

// A map picture decoding in the background: the panel over the map with its progress and Cancel.
inline constexpr const char* kPictureLoading = "Loading the map picture...";
inline constexpr const char* kPictureRestoring = "Putting the previous map picture back...";
inline constexpr const char* kPictureLoadCancel = "Cancel";
// The previous picture could not be read again after a load was cancelled or failed.
inline std::string picturePutBackFailed(const std::string& path) {
    return "The previous map picture could not be read again from " + path + "; the map is empty.";
}

}  // namespace brelvo::common::msg
