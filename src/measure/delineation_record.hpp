// A basin delineated from an elevation model, as the measuring work keeps it: the cell the user clicked,
// the cell the outlet snapped to, what the catchment holds and the two elevations handed to the runoff
// window; and the user's settings of the delineation (the outlet's search distance, the stream overlay's
// threshold). The lines themselves are traced lines of the work; this is their record.
#pragma once

#include <cstdint>
#include <optional>

#include "common/value_tree.hpp"

namespace brelvo::measure {

struct DelineationRecord {
    int clickedColumn = 0;
    int clickedRow = 0;
    int outletColumn = 0;
    int outletRow = 0;
    int searchCells = 0;     // the search distance in cells of projects before the distance on the ground
    std::int64_t cells = 0;  // in the catchment
    bool cutOff = false;     // water that would reach the outlet is lost to NoData or off the model
    // The search distance on the ground the outlet snapped within, metres; 0 when the clicked cell was
    // taken as it is (Shift+click).
    double searchDistanceM = 0;
    // Cells without data that water beside the basin drains into (a void that may have cut it off).
    std::int64_t voidCells = 0;
    double areaM2 = 0;       // on the ground
    double pathLengthM = 0;  // the longest flow path on the ground
    // The model's vertical unit was known: the elevations below are handed over; else they are 0.
    bool elevationsKnown = true;
    // On the surface the water follows (a filled pit at its spill height), as handed over.
    double outletElevationFt = 0;
    double headElevationFt = 0;  // at the longest flow path's head
    // The ground itself at the same two cells, where it differs from the above (a filled pit).
    double outletGroundFt = 0;
    double headGroundFt = 0;
    // The model it was delineated on (terrain::modelFingerprint); 0: not known (an older project).
    std::uint64_t modelFingerprint = 0;
    friend bool operator==(const DelineationRecord&, const DelineationRecord&) = default;
};

inline constexpr int kDefaultSearchCells = 5;
// Cells draining through a cell before the overlay shows it as a stream: on a 10 m model 1,000 cells
// are 0.1 km^2, where a small channel begins.
inline constexpr std::int64_t kDefaultStreamThreshold = 1000;
inline constexpr int kMaxSearchCells = 100;
inline constexpr std::int64_t kMaxStreamThreshold = 4'000'000'000;

// A search distance of three cells' width, the default; the largest distance typed, metres.
inline constexpr double kDefaultSearchWidths = 3;
inline constexpr double kMaxSearchDistanceM = 100000;

struct DelineationSettings {
    int searchCells = kDefaultSearchCells;  // kept as older projects hold it; the distance below rules
    // The outlet's search distance on the ground, metres; none: three cells' width of the model.
    std::optional<double> searchDistanceM;
    std::int64_t streamThreshold = kDefaultStreamThreshold;
    bool showStreams = false;  // the stream overlay is shown
    friend bool operator==(const DelineationSettings&, const DelineationSettings&) = default;
};

// The elevation handed over, in feet, as the runoff window's box shows it: to a tenth of a foot.
std::string elevationText(double feet);

// {"record": null or {...}, "searchCells": n, "searchDistanceM": null or metres, "streamThreshold": n,
// "showStreams": b}. The record's keys of the distance on the ground, the void and the ground elevations
// are read as 0 from older files.
common::ValueTree writeDelineation(const std::optional<DelineationRecord>& record,
                                   const DelineationSettings& settings);
// From the tree's "delineation" key; files without it hold no record and the default settings. A wrong
// value is refused with a common::TreeError naming it.
void readDelineation(const common::TreeReader& root, std::optional<DelineationRecord>& record,
                     DelineationSettings& settings);

}  // namespace brelvo::measure
