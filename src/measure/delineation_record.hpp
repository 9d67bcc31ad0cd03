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
    int searchCells = 0;     // the search distance the outlet snapped within
    std::int64_t cells = 0;  // in the catchment
    bool cutOff = false;     // the catchment reaches the model's edge or NoData
    double areaM2 = 0;       // on the ground
    double pathLengthM = 0;  // the longest flow path on the ground
    // The model's vertical unit was known: the elevations below are handed over; else they are 0.
    bool elevationsKnown = true;
    double outletElevationFt = 0;
    double headElevationFt = 0;  // at the longest flow path's head
    friend bool operator==(const DelineationRecord&, const DelineationRecord&) = default;
};

inline constexpr int kDefaultSearchCells = 5;
// Cells draining through a cell before the overlay shows it as a stream: on a 10 m model 1,000 cells
// are 0.1 km^2, where a small channel begins.
inline constexpr std::int64_t kDefaultStreamThreshold = 1000;
inline constexpr int kMaxSearchCells = 100;
inline constexpr std::int64_t kMaxStreamThreshold = 4'000'000'000;

struct DelineationSettings {
    int searchCells = kDefaultSearchCells;
    std::int64_t streamThreshold = kDefaultStreamThreshold;
    friend bool operator==(const DelineationSettings&, const DelineationSettings&) = default;
};

// The elevation handed over, in feet, as the runoff window's box shows it: to a tenth of a foot.
std::string elevationText(double feet);

// {"record": null or {...}, "searchCells": n, "streamThreshold": n}.
common::ValueTree writeDelineation(const std::optional<DelineationRecord>& record,
                                   const DelineationSettings& settings);
// From the tree's "delineation" key; files without it hold no record and the default settings. A wrong
// value is refused with a common::TreeError naming it.
void readDelineation(const common::TreeReader& root, std::optional<DelineationRecord>& record,
                     DelineationSettings& settings);

}  // namespace brelvo::measure
