// The geodata part of the message table (georeferences, world files, coordinate systems, basins to and
// from GIS files), kept in its own file: common/messages.hpp includes it at its place in the table;
// include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- geo: georeferences, world files, coordinate systems, GIS files ----
// A world file beside a picture that cannot be used; `what` says why ("line 3 is not a number").
inline std::string worldFileDamaged(std::string_view file, std::string_view what) {
    return "The world file " + std::string(file) + " is damaged: " + std::string(what) + ".";
}
inline std::string worldFileLineNotNumber(int line) {
    return "line " + std::to_string(line) + " is not a number";
}
inline std::string worldFileLineNotFinite(int line) {
    return "line " + std::to_string(line) + " is not a finite number";
}
inline std::string worldFileCount(std::size_t numbers) {
    return "it holds " + std::to_string(numbers) + (numbers == 1 ? " number" : " numbers") +
           " where a world file holds six, one per line";
}
inline constexpr std::string_view kWorldFileEmpty = "it is empty";
inline constexpr std::string_view kWorldFileTooLarge = "it is larger than 4 KiB, far more than six numbers";
inline constexpr std::string_view kWorldFileUnreadable = "it cannot be read";
inline constexpr std::string_view kWorldFileFlat =
    "its pixel size and rotation flatten the picture to a line, so no map point can be traced back to it";
// A coordinate system file (.prj) beside a picture that cannot be used.
inline std::string systemFileDamaged(std::string_view file, std::string_view what) {
    return "The coordinate system file " + std::string(file) + " is damaged: " + std::string(what) + ".";
}
inline constexpr std::string_view kSystemFileEmpty = "it is empty";
inline constexpr std::string_view kSystemFileTooLarge = "it is larger than 64 KiB";
inline constexpr std::string_view kSystemFileUnreadable = "it cannot be read";
inline constexpr std::string_view kSystemFileUnknown = "it holds no coordinate system that GDAL can read";
inline constexpr std::string_view kSystemFileNotMap =
    "its coordinate system is neither projected nor geographic, so it cannot place a map";
// A file beside a map picture that is passed over (the map loads without what it would have given):
// `kind` says what it is ("world file"), `reason` why it was not read.
inline std::string sideFileIgnored(std::string_view kind, std::string_view file, std::string_view reason) {
    return "The " + std::string(kind) + " " + std::string(file) +
           " beside the map was ignored: " + std::string(reason) + ".";
}
inline constexpr std::string_view kWorldFileKind = "world file";
inline constexpr std::string_view kSystemFileKind = "coordinate system file";
inline constexpr std::string_view kAuxFileKind = "GDAL metadata file";
inline constexpr std::string_view kSideFileFolder = "it is a folder, not a file";
inline constexpr std::string_view kSideFilePipe = "it is a pipe, not a file";
inline constexpr std::string_view kSideFileNotRegular = "it is a device or socket, not a file";
inline constexpr std::string_view kSideFileLinkLoop = "it is a symbolic link that leads in a circle";
inline constexpr std::string_view kSideFileDanglingLink = "it is a symbolic link to a file that is not there";
inline constexpr std::string_view kSideFileUnreadable = "it cannot be read";
inline constexpr std::string_view kAuxFileTooLarge = "it is larger than 16 MiB";
inline constexpr std::string_view kAuxFileNotXml = "it is not well-formed XML";
inline constexpr std::string_view kAuxFileBadGeoTransform =
    "its GeoTransform is not six numbers that place the picture";

// A GeoTIFF placed by ground control points only, whose points cannot be turned into a georeference.
inline std::string controlPointsTooFew(std::string_view file, int count) {
    return "The map file " + std::string(file) + " has no geotransform and only " + std::to_string(count) +
           " ground control point" + (count == 1 ? "" : "s") +
           ", too few to place it: the map is loaded without a georeference. Georeference it with Map -> "
           "Georeference Map...";
}
inline std::string controlPointsInLine(std::string_view file, int count) {
    return "The map file " + std::string(file) + " has no geotransform, only " + std::to_string(count) +
           " ground control points, and they lie on one line, so they cannot place it: the map is loaded "
           "without a georeference. Georeference it with Map -> Georeference Map...";
}
inline std::string controlPointsNoFit(std::string_view file, int count, std::string_view worstPixels) {
    return "The map file " + std::string(file) + " has no geotransform, only " + std::to_string(count) +
           " ground control points, and they do not fit one affine georeference (one of them lies " +
           std::string(worstPixels) +
           " pixels off it, more than a quarter pixel): the map is loaded without a georeference. Warp it "
           "onto a grid first (gdalwarp), or georeference it with Map -> Georeference Map...";
}

// A file opened as a map picture (the line after "Invalid picture") that is no picture. (groupedCount is
// in messages_elevation.hpp, which common/messages.hpp includes first.)
inline std::string pictureIsElevationModel(std::string_view file) {
    return std::string(file) +
           " is an elevation model (one band of heights, no colours), not a map picture. Open it with Map -> "
           "Open Elevation Model... to show its relief and read its heights.";
}
inline std::string rasterTooBig(std::string_view file, long long width, long long height,
                                long long maxPixels) {
    return std::string(file) + " declares " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, more than the " + groupedCount(maxPixels) + " pixels a map may have here.";
}

// A picture whose own georeference cannot be used.
inline std::string pictureGeorefFlat(std::string_view file) {
    return "The georeference inside " + std::string(file) +
           " flattens the picture to a line, so it is not used.";
}

// A big map's overviews, written beside it as FILE.ovr (the reason of overviewsNotBuilt): `reason` as a
// failed save says it ("the disk is full").
inline std::string overviewFileNotWritten(std::string_view file, std::string_view reason) {
    return "the overview file " + std::string(file) + " could not be written (" + std::string(reason) +
           "); nothing of it was left beside the map, and the map file itself is unchanged";
}

// The coordinate system typed as an EPSG code.
inline std::string notEpsgCode(std::string_view text) {
    return "\"" + std::string(text) + "\" is not an EPSG code: type a number such as 32613, or EPSG:32613.";
}
inline std::string unknownEpsgCode(long code) {
    return "EPSG:" + std::to_string(code) + " is no coordinate system known to this program.";
}
inline std::string epsgNotMapSystem(long code) {
    return "EPSG:" + std::to_string(code) +
           " is neither a projected nor a geographic coordinate system, so it cannot place a map.";
}

// The ground model of a georeferenced map.
inline constexpr std::string_view kGroundNoSystem =
    "The map's coordinate system is not known, so the map cannot be measured on the ground.";
inline constexpr std::string_view kGroundUnusable =
    "The map's coordinate system cannot be used to measure on the ground: it is neither projected nor "
    "geographic, or PROJ does not know it.";

// Saving a world file and its coordinate system file beside a picture.
inline constexpr std::string_view kGeorefNotInvertible =
    "The georeference was not saved: its pixel size and rotation flatten the picture to a line.";
inline std::string georefFileNotSaved(std::string_view file, std::string_view reason) {
    return std::string(file) + " was not saved: " + std::string(reason) + ".";
}

// Basins to GIS files.
inline std::string exportUnknownKind(std::string_view file) {
    return "Export Basin and Stream chooses the kind of file by the name's extension: .geojson or .json "
           "(GeoJSON), .gpkg (GeoPackage), .kml (KML) or .shp (shapefile); " +
           std::string(file) + " has none of them.";
}
inline constexpr std::string_view kExportNothing = "There is no traced basin or stream to export.";
inline std::string exportFailed(std::string_view file, std::string_view reason) {
    return "The basin was not exported to " + std::string(file) + ": " + std::string(reason) + ".";
}
inline constexpr std::string_view kExportGdalFailed = "GDAL could not write the features";
inline constexpr std::string_view kExportOutsideWorld = "a traced point lies outside longitude and latitude";

// Basins from GIS files.
inline std::string importCannotRead(std::string_view file) {
    return std::string(file) + " cannot be read as a GeoJSON, GeoPackage, KML or shapefile file.";
}
inline std::string importTooManyFeatures(std::string_view file) {
    return std::string(file) + " holds more than 10,000 features; an import reads at most 10,000.";
}
inline std::string importTooManyPoints(std::string_view file, std::size_t feature) {
    return std::string(file) + ": feature " + std::to_string(feature) +
           " has more than 100,000 points; an import reads at most 100,000 points a feature.";
}
inline std::string importNoSystem(std::string_view file) {
    return std::string(file) +
           " has no coordinate system (a shapefile keeps it in a .prj file beside it), and its coordinates "
           "are not longitude and latitude.";
}
inline std::string importNotPlaced(std::string_view file, std::size_t feature) {
    return std::string(file) + ": feature " + std::to_string(feature) +
           " cannot be placed in longitude and latitude.";
}
// A feature as the import names it: its name attribute, else its place in the file, and of a
// multi-geometry the part ("Dry Creek (part 2 of 3)", "feature 4").
inline std::string importFeatureLabel(std::string_view name, std::size_t number, int part, int parts) {
    std::string label = name.empty() ? "feature " + std::to_string(number) : std::string(name);
    if (parts > 1) label += " (part " + std::to_string(part) + " of " + std::to_string(parts) + ")";
    return label;
}
// A polygon's ring that cannot be traced; `hole` 0 for the outer ring, else the hole's number from 1.
inline std::string importRingName(std::string_view label, int hole) {
    const std::string polygon = "the polygon \"" + std::string(label) + "\"";
    return hole == 0 ? "The polygon \"" + std::string(label) + "\""
                     : "Hole " + std::to_string(hole) + " of " + polygon;
}
inline constexpr std::string_view kImportRingFix =
    " Correct the polygon in the GIS program (its geometry check or repair tool finds and mends such "
    "rings) and import it again, or choose another feature.";
// `point` as "X, Y" in the file's own coordinates.
inline std::string importRingCrosses(std::string_view label, int hole, std::string_view point) {
    return importRingName(label, hole) + " crosses itself near " + std::string(point) +
           " (the file's coordinates): a ring must go round once without touching or crossing itself, "
           "or its area is not the land it encloses." +
           std::string(kImportRingFix);
}
inline std::string importHolesMisplaced(std::string_view label) {
    return "A hole of the polygon \"" + std::string(label) +
           "\" lies outside it, crosses its boundary or another hole, or shares more than a point with one: "
           "each hole must lie inside the boundary, apart from the others." +
           std::string(kImportRingFix);
}
inline std::string importRingTooFew(std::string_view label, int hole, std::size_t distinct) {
    return importRingName(label, hole) + " has " + std::to_string(distinct) + " distinct point" +
           (distinct == 1 ? "" : "s") + ": a ring needs at least three corners that enclose an area." +
           std::string(kImportRingFix);
}
inline std::string importRingNoArea(std::string_view label, int hole) {
    return importRingName(label, hole) + " encloses no area: its corners lie on one line." +
           std::string(kImportRingFix);
}
// (end of geo)

}  // namespace brelvo::common::msg
