// One basin delineated from an outlet on a prepared model: the outlet snapped to the stream network,
// the catchment traced upstream, its boundary on the cells' edges, the longest flow path, whether the
// model may lose water that would reach the basin, and the elevations where the water leaves.
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
// On a channel this takes the cell farthest downstream within reach: snapToStream is the outlet's snap.
std::optional<Cell> snapOutlet(const FlowModel& flow, Cell clicked, int searchCells);

// The nearest cell of the stream network (accumulation at least `streamThreshold`, and at least 1) whose
// centre lies within `searchDistanceM` metres on the ground of the clicked cell's centre; a tie goes to
// the larger accumulation, then to the first in row order. A click on a stream cell stays there. When no
// stream cell is within reach, the clicked cell itself if it has data, else nothing (nothing too for a
// click outside the model). The distance between cells (dc columns, dr rows apart) is
// hypot(dc * mean of the two rows' dx, the dy of the rows between the centres): exact for a projected
// model, the mean row's east-west length for a geographic one. A negative or NaN distance searches no
// further than the clicked cell.
std::optional<Cell> snapToStream(const FlowModel& flow, const CellGeometry& geometry, Cell clicked,
                                 double searchDistanceM, std::uint32_t streamThreshold);

struct Delineation {
    Cell clicked;
    Cell outlet;            // snapped
    std::size_t cells = 0;  // in the catchment
    double areaM2 = 0;      // sum of the cells' areas on the ground
    // Whether the model may lose water that would reach the basin (see delineation_inflow.cpp): true
    // when edgeCells or voidCells is above 0.
    bool cutOff = false;
    // Basin cells on the model's edge or beside NoData joined to the edge (the ground beyond the model
    // may drain into them), the outlet not counted when its water leaves the model there.
    std::size_t edgeCells = 0;
    // Cells of the voids (NoData enclosed by data, not joined to the model's edge) that border a basin
    // cell or take the water of a cell bordering the basin: "drains into N cells without data".
    std::size_t voidCells = 0;
    // The outer boundary on the cells' edges in the model's coordinates, without the repeated first
    // point, straight runs as one edge. Cells that touch only at a corner stay in one ring, which passes
    // that corner twice.
    std::vector<measure::MapPoint> boundary;
    // Cells inside the boundary that are not the basin's: NoData, cells draining into NoData there, or
    // cells whose water leaves between two basin cells that touch only at a corner. The ring's area is
    // that of cells + enclosedCells cells.
    std::size_t enclosedCells = 0;
    // The longest flow path from its head to the outlet, through the cells' centres, in the model's
    // coordinates; its length on the ground (diagonal steps as diagonals).
    std::vector<measure::MapPoint> longestPath;
    double longestPathM = 0;
    // Elevations in the model's vertical unit. On the conditioned surface (depressions filled: where the
    // water passes), handed to the runoff window: the outlet's is its spill height when it lies in a
    // filled depression.
    float outletElevation = 0;
    float headElevation = 0;  // at the longest path's head
    // The ground's own heights there, as the model has them.
    float outletGroundElevation = 0;
    float headGroundElevation = 0;
};

// The catchment of `outlet`, an outlet already chosen (snapped or taken as clicked); `clicked` is only
// kept. Nothing when the outlet is outside the model or on NoData, or the flow is not the model's.
std::optional<Delineation> delineateAt(const ElevationModel& model, const FlowModel& flow,
                                       const CellGeometry& geometry, Cell clicked, Cell outlet);

// snapOutlet then delineateAt. Nothing when the click is outside the model, on NoData or snaps to no
// cell.
std::optional<Delineation> delineate(const ElevationModel& model, const FlowModel& flow,
                                     const CellGeometry& geometry, Cell clicked, int searchCells);

// Cells whose accumulation is at least `threshold`: the stream overlay (width * height, 1 on a stream).
std::vector<std::uint8_t> streamCells(const FlowModel& flow, std::uint32_t threshold);

// The conditioned height of `cell` (a data cell): the highest ground along its flow path to where the
// water leaves the model, which on the priority-flood-filled surface the directions follow equals the
// cell's filled height (see delineation_inflow.cpp).
float conditionedElevation(const ElevationModel& model, const FlowModel& flow, Cell cell);

}  // namespace brelvo::terrain
