// The texts of basins delineated from an elevation model: the Map menu's entries, the outlet's click,
// the flow's preparation, the search distance and the stream overlay, and the delineation kept in
// projects. Kept in its own file: common/messages.hpp includes it at its place in the table; include
// that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- app: the Map menu's delineation ----
inline constexpr const char* kEntryDelineateBasin = "Delineate Basin...";
inline constexpr const char* kEntryOutletSearchDistance = "Outlet Search Distance...";
inline constexpr const char* kEntryShowStreams = "Show Streams";
inline constexpr const char* kEntryStreamThreshold = "Stream Threshold...";
inline constexpr const char* kDelineateTitle = "Delineate Basin";
inline constexpr const char* kDelineateNeedsModel =
    "Delineating a basin needs an elevation model: open one with Map -> Open Elevation Model... first.";
inline constexpr const char* kDelineatePreparing =
    "Preparing the flow over the elevation model (filling depressions, flow directions, accumulation)...";
inline constexpr const char* kDelineateCancel = "Cancel";
// While a large basin (millions of cells) is traced on a worker.
inline constexpr const char* kDelineateTracing =
    "Tracing the basin, its boundary and its longest flow path...";
inline constexpr const char* kDelineateNoMemory =
    "There is not enough memory to prepare the flow over this elevation model.";
// The caption and the status line while the outlet is awaited.
inline constexpr const char* kDelineateClickOutlet = "Click the basin's outlet on the map (Esc cancels).";
inline constexpr const char* kDelineateOutsideModel =
    "The outlet must be clicked on the elevation model, on cells with data. Click again, or Esc to cancel.";
inline constexpr const char* kDelineateWhileTracing =
    "Finish or undo the line being traced (or press Esc) before delineating a basin.";
inline constexpr const char* kDelineateOutsideMap =
    "A point of the delineated basin lies outside the map and cannot be placed.";
inline std::string delineateCutOff(const std::string& cells) {
    return "The basin reaches the edge of the elevation model or cells without data, so it is cut off: "
           "its " +
           cells + " cells are only the part the model holds.";
}
inline constexpr const char* kDelineateUnitUnknown =
    "The elevation model's vertical unit is not known, so its elevations are not handed to the runoff "
    "window.";
inline constexpr const char* kSearchDistanceTitle = "Outlet Search Distance";
// The search distance on the ground, typed in the map's unit ("m", "ft", "US ft"; metres on a map in
// degrees).
inline std::string searchDistancePrompt(const std::string& unit) {
    return "The outlet snaps to the nearest stream cell (see Stream Threshold...) within this distance of "
           "the click, in " +
           unit +
           " on the ground; 0 takes the clicked cell unless it is on a stream. Empty: three cells' "
           "width of the elevation model. (Shift+click always takes the clicked cell.)";
}
inline std::string searchDistanceRefused(const std::string& unit, const std::string& largest) {
    return "The search distance is a number of " + unit + " from 0 to " + largest + ".";
}
// The status line while the outlet is awaited: where a click there would place the outlet.
inline std::string outletPreview(const std::string& column, const std::string& row, const std::string& cells,
                                 bool asClicked, bool onStream) {
    return "Outlet: cell (" + column + ", " + row + "), " + cells + (cells == "1" ? " cell" : " cells") +
           " upstream" +
           (asClicked  ? ", as clicked (Shift)"
            : onStream ? ", on a stream"
                       : ", no stream within reach");
}
inline constexpr const char* kOutletPreviewNone = "Outlet: none here (no data, and no stream within reach)";
// A basin that may be cut off: its cells on the model's edge, the voids that take water from beside it.
inline std::string delineateVoids(const std::string& voidCells, const std::string& cells) {
    return "Water beside the basin drains into " + voidCells +
           " cells without data, which may have cut the basin off: its " + cells +
           " cells may be only part of it. Fill the elevation model's voids, or check the basin.";
}
// The listing's note when the elevations handed over are not the ground's (a filled depression).
inline std::string conditionedElevationNote(const char* which, const std::string& conditioned,
                                            const std::string& ground, const char* unit) {
    return std::string(which) + " elevation " + conditioned + " " + unit +
           " where the water passes over a filled depression (the ground there is " + ground + " " + unit +
           ")";
}
inline constexpr const char* kStreamThresholdTitle = "Stream Threshold";
inline constexpr const char* kStreamThresholdPrompt =
    "Cells shown as streams: those with at least this many cells draining through them:";
inline constexpr const char* kStreamThresholdRefused =
    "The stream threshold is a whole number of cells, 1 or more (at most 4000000000).";
// (end of the Map menu's delineation)

// A project's delineated basin whose model has changed since (another file at the same path).
inline constexpr const char* kDelineationOfAnotherModel =
    "The elevation model at the project's path is not the one its basin was delineated on (its size, "
    "place or heights differ): the basin's record (outlet and elevations) is dropped; its lines stay as "
    "traced lines. Delineate the basin again on this model.";

// ---- measure: the delineation kept in projects ----
inline constexpr std::string_view kValueNotCell = "is not a cell (a column and a row)";
// (end of the delineation kept in projects)

}  // namespace brelvo::common::msg
