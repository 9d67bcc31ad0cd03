// Flow over an elevation model, prepared once per model and kept for every outlet: depressions filled by
// priority flood, flats given a drainage gradient, D8 directions and the flow accumulation.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "terrain/elevation_model.hpp"

namespace brelvo::terrain {

// Progress of long work: called with 0..1 from the working thread; returns false to cancel.
using Progress = std::function<bool(double fraction)>;

// D8 directions: the neighbour a cell drains to, clockwise from east.
//   0 east, 1 south-east, 2 south, 3 south-west, 4 west, 5 north-west, 6 north, 7 north-east
inline constexpr std::uint8_t kDrainsOut = 8;  // drains off the model's edge or into NoData (an outlet)
inline constexpr std::uint8_t kNoDataCell = 9;
inline constexpr int kColumnStep[8] = {1, 1, 0, -1, -1, -1, 0, 1};
inline constexpr int kRowStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};

struct FlowModel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> direction;      // width * height D8 codes (above)
    std::vector<std::uint32_t> accumulation;  // cells draining through each cell, itself included (0: NoData)
};

// Fills, resolves flats, directs and accumulates; nothing when `progress` cancels (or when the heights do
// not fill width * height, or the model passes 2^32 cells). The result does not depend on the number of
// threads. `progress` may be empty.
std::optional<FlowModel> prepareFlow(const ElevationModel& model, const Progress& progress);

}  // namespace brelvo::terrain
