// The elevation models' part of the message table (reading a model, its coordinate system and vertical
// unit, showing it beside the map), kept in its own file: common/messages.hpp includes it at its place in
// the table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- elevation models: reading, asking for what the file does not say, showing ----
inline constexpr const char* kEntryOpenElevation = "Open Elevation Model...";
inline constexpr const char* kEntryShowElevation = "Show Elevation Model";
inline constexpr const char* kOpenElevationTitle = "Open Elevation Model";
inline constexpr const char* kElevationFilter =
    "Elevation models "
    "(*.tif;*.tiff;*.asc;*.dem;*.img;*.bil;*.flt;*.vrt)|*.tif;*.tiff;*.asc;*.dem;*.img;*.bil;"
    "*.flt;*.vrt|GeoTIFF (*.tif;*.tiff)|*.tif;*.tiff|ASCII grid (*.asc)|*.asc|All files (*.*)|*.*|";
inline constexpr const char* kReadingElevation = "Reading the elevation model...";
// The relief placed over a map in another coordinate system, point by point through WGS 84.
inline constexpr const char* kPlacingElevation = "Placing the elevation model on the map...";

// Why a model file was not read; each names the file.
inline std::string elevationNotRead(std::string_view file, std::string_view reason) {
    return "The elevation model \"" + std::string(file) + "\" was not read: " + std::string(reason);
}
inline constexpr std::string_view kElevationUnopened = "it is no raster that GDAL can read.";
inline constexpr std::string_view kElevationVirtual =
    "GDAL's virtual file systems (/vsi...) are not read; give the file itself.";
inline std::string elevationBands(int bands) {
    return "it has " + std::to_string(bands) +
           " bands; an elevation model has one band of heights (a picture with colours is no model).";
}
// A count with its thousands grouped: "134,217,728".
inline std::string groupedCount(long long count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (auto at = static_cast<long long>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return (count < 0 ? "-" : "") + digits;
}
inline std::string elevationTooBig(long long width, long long height, long long maxCells) {
    return "it declares " + std::to_string(width) + " x " + std::to_string(height) + " cells (" +
           groupedCount(width * height) + "), more than the " + groupedCount(maxCells) +
           " cells an elevation model may have here.";
}
// A text or raw grid whose header declares more cells than its file can hold.
inline std::string elevationLargerThanFile(long long width, long long height, long long fileBytes) {
    return "it declares " + std::to_string(width) + " x " + std::to_string(height) + " cells (" +
           groupedCount(width * height) + "), but the file holds only " + groupedCount(fileBytes) +
           (fileBytes == 1 ? " byte" : " bytes") +
           ", too few for that many heights: its header is wrong or the file was cut short.";
}
inline std::string elevationNoMemory(long long width, long long height) {
    return "its " + std::to_string(width) + " x " + std::to_string(height) +
           " cells do not fit in this computer's memory.";
}
inline constexpr std::string_view kElevationNoData = "every cell of it is NoData, so it holds no height.";
inline constexpr std::string_view kElevationCancelled = "the reading was cancelled.";
inline std::string elevationPixelsUnreadable(int row) {
    return "its cells cannot be read from row " + std::to_string(row + 1) + " on.";
}
inline constexpr std::string_view kElevationNoGeoreference =
    "it does not say where it lies (no geotransform), so it cannot be placed on the ground.";
inline constexpr std::string_view kElevationGeorefFlat =
    "its cell size and rotation flatten it to a line, so no point can be traced back to it.";
inline constexpr std::string_view kElevationSystemUnusable =
    "its coordinate system cannot be used to measure on the ground.";

// What the file does not say, asked.
inline constexpr const char* kElevationSystemTitle = "Coordinate System";
inline std::string elevationSystemPrompt(std::string_view file) {
    return "The elevation model \"" + std::string(file) +
           "\" gives its position but not its coordinate system. Type the coordinate system as an EPSG "
           "code:";
}
inline constexpr const char* kElevationUnitTitle = "Elevation Unit";
inline std::string elevationUnitPrompt(std::string_view file) {
    return "The elevation model \"" + std::string(file) +
           "\" does not say the unit of its heights. Type feet or metres:";
}
inline std::string notElevationUnit(std::string_view answer) {
    return "\"" + std::string(answer) + "\" is neither feet nor metres.";
}

// Where a model may be shown.
inline constexpr const char* kElevationNeedsGeoreference =
    "An elevation model needs a georeferenced map or no map: this map picture has no georeference (or "
    "its coordinate system is not known), so the model cannot be placed on it. Georeference the map "
    "(Map -> Georeference Map...) or clear it first.";
inline constexpr const char* kElevationOffMap =
    "The elevation model does not lie on this map: none of its cells falls on the map picture.";
inline constexpr const char* kLoadElevationAction = "Showing an elevation model as the map";

// The status line's elevation under the pointer, e.g. "Elevation 412.7 ft".
inline std::string elevationPointerText(std::string_view value, std::string_view unit) {
    return "Elevation " + std::string(value) + (unit.empty() ? "" : " ") + std::string(unit);
}

// A project's elevation model that could not be read again: the project opens without it.
inline std::string projectElevationMissing(std::string_view file, std::string_view reason) {
    return "The project's elevation model \"" + std::string(file) +
           "\" was not read, so the project opens without it: " + std::string(reason);
}
inline constexpr std::string_view kElevationFileMissing = "the file is not there.";
inline constexpr std::string_view kElevationFileIsFolder = "it is a folder, not a file.";
inline constexpr std::string_view kElevationFileNotPlain =
    "it is not a plain file (a pipe, a device, or a link that leads in a circle or to nothing).";
inline constexpr std::string_view kElevationPlacingCancelled = "its placing on the map was cancelled.";
// A project's elevation model that cannot be read from the file: the value and what is wrong with it.
inline constexpr std::string_view kValueEmptyPath = "is empty";
inline constexpr std::string_view kValueNotElevationUnit = "is not \"m\", \"ft\" or \"US ft\", nor empty";
// (end of elevation models)

// Heights beyond 12,000 m either way (or infinite) read from a model: taken as cells without data.
inline std::string absurdHeightsCleared(const std::string& path, const std::string& cells) {
    return "The elevation model \"" + path + "\" holds " + cells + (cells == "1" ? " height" : " heights") +
           " beyond 12,000 m above or below sea level, which no ground has: they are taken as cells without "
           "data.";
}

}  // namespace brelvo::common::msg
