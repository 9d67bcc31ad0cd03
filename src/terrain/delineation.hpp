// One basin delineated from an outlet on a prepared model: the outlet snapped to the channel, the
// catchment traced upstream, its boundary on the cells' edges and the longest flow path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "terrain/flow_model.hpp"

namespace brelvo::terrain {

struct Cell {
    int column = 0;
    int row = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};

inline constexpr int kDefaultSnapCells = 5;

// The cell of largest accumulation within `searchCells` cells (a square) of `clicked`; ties go to the
// nearest, then the first in row order. Nothing when every cell there is NoData or outside the model.
std::optional<Cell> snapOutlet(const FlowModel& flow, Cell clicked, int searchCells);

struct Delineation {
    Cell clicked;
    Cell outlet;            // snapped
    std::size_t cells = 0;  // in the catchment
    double areaM2 = 0;      // sum of the cells' areas on the ground
    bool cutOff = false;    // the catchment reaches the model's edge or NoData
    // The outer boundary on the cells' edges in the model's coordinates, without the repeated first
    // point, straight runs as one edge.
    std::vector<measure::MapPoint> boundary;
    // The longest flow path from its head to the outlet, through the cells' centres, in the model's
    // coordinates; its length on the ground (diagonal steps as diagonals).
    std::vector<measure::MapPoint> longestPath;
    double longestPathM = 0;
    float outletElevation = 0;  // the model's vertical unit
    float headElevation = 0;    // at the longest path's head
};

// Nothing when the click is outside the model, on NoData or snaps to no cell.
std::optional<Delineation> delineate(const ElevationModel& model, const FlowModel& flow,
                                     const CellGeometry& geometry, Cell clicked, int searchCells);

// Cells whose accumulation is at least `threshold`: the stream overlay (width * height, 1 on a stream).
std::vector<std::uint8_t> streamCells(const FlowModel& flow, std::uint32_t threshold);

}  // namespace brelvo::terrain
