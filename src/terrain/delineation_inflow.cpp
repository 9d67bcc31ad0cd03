// Whether the model may lose water that would reach a basin, and the elevations where the water leaves.
//
// A basin is cut off when water that would reach it may be lost to the model's edge or to NoData:
//
//  1. Edge: a basin cell on the model's edge, or beside NoData joined to the edge (a collar, the sea:
//     outside the model as well), may take water from the ground beyond, which the model does not hold.
//     The outlet is not counted when its own water leaves the model there (its code is kDrainsOut): an
//     outlet on the edge alone is where the basin ends, not where it is cut. An outlet that drains on to
//     a data cell is counted like any other cell.
//  2. Void beside the basin: a basin cell (the outlet as in 1) beside a void (NoData enclosed by data)
//     may take water from the ground in the void.
//  3. Void that captured water beside the basin: a cell bordering the basin (outside it, one of a basin
//     cell's eight neighbours) that drains into a void (coded kDrainsOut, beside the void) has no data
//     cell below it, so its water and that of every cell draining to it goes into the void, where it
//     would go on over ground the model does not hold and may well come out through the basin beside it:
//     a hole on a river takes the whole river above it, its rim draining into it, and the basin below
//     the rim gets none of it. A void that the outlet itself drains into is not counted this way (the
//     cells beside it that drain into it are the basin's neighbours in the same sink), nor NoData joined
//     to the model's edge (water leaving the model beside the basin, as its outlet's does).
//
// edgeCells counts the basin cells of 1; voidCells the cells of the voids of 2 and 3, each void once.
// The basin is cut off when either is above 0. A void's extent is found by a search of its NoData cells,
// nearest to the model's edge first, which ends as soon as it reaches the edge (the region is then
// outside the model, not a void): the work is that of the voids met, not of a collar of NoData round
// the model.
#include "terrain/delineation_inflow.hpp"

#include <algorithm>
#include <queue>

namespace brelvo::terrain {

namespace detail {

std::uint32_t NoDataRegions::regionOf(std::size_t index) {
    if (const auto found = regionOf_.find(index); found != regionOf_.end()) return found->second;
    const auto id = static_cast<std::uint32_t>(regions_.size());
    regions_.push_back({});
    Region& region = regions_.back();
    const int w = flow_.width, h = flow_.height;
    const auto toEdge = [&](std::size_t i) {
        const int c = static_cast<int>(i % static_cast<std::size_t>(w)), r = static_cast<int>(i / w);
        return std::min({c, r, w - 1 - c, h - 1 - r});
    };
    using Entry = std::pair<int, std::size_t>;  // distance to the model's edge, cell
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    regionOf_.emplace(index, id);
    open.push({toEdge(index), index});
    while (!open.empty()) {
        const auto [distance, i] = open.top();
        open.pop();
        ++region.cells;
        if (distance == 0) {
            region.outside = true;
            break;
        }
        const int c = static_cast<int>(i % static_cast<std::size_t>(w)), r = static_cast<int>(i / w);
        for (int k = 0; k < 8; ++k) {
            // Not on the edge: every neighbour is inside the model.
            const std::size_t n = static_cast<std::size_t>(r + kRowStep[k]) * static_cast<std::size_t>(w) +
                                  static_cast<std::size_t>(c + kColumnStep[k]);
            if (flow_.direction[n] != kNoDataCell) continue;
            const auto [at, added] = regionOf_.emplace(n, id);
            if (!added) {
                // Only a region left unfinished meets another: one found outside the model.
                if (at->second != id) {
                    region.outside = true;
                    return id;
                }
                continue;
            }
            open.push({toEdge(n), n});
        }
    }
    return id;
}

InflowCheck::InflowCheck(const FlowModel& flow, Cell outlet) : flow_(flow), outlet_(outlet) {
    outletDrainsOut_ =
        flow.direction[static_cast<std::size_t>(outlet.row) * flow.width + outlet.column] == kDrainsOut;
}

void InflowCheck::add(Cell cell) {
    const int w = flow_.width, h = flow_.height;
    const bool leaves = outletDrainsOut_ && cell == outlet_;
    bool edge = false, besideNoData = false;
    for (int k = 0; k < 8; ++k) {
        const int c = cell.column + kColumnStep[k], r = cell.row + kRowStep[k];
        if (c < 0 || r < 0 || c >= w || r >= h) {
            edge = true;
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(r) * static_cast<std::size_t>(w) + c;
        const std::uint8_t code = flow_.direction[n];
        if (code == kNoDataCell) besideNoData = true;
        if (code != kDrainsOut || Cell{c, r} == outlet_) continue;
        // A cell bordering the basin that drains out: the NoData it drains into.
        for (int j = 0; j < 8; ++j) {
            const int cc = c + kColumnStep[j], rr = r + kRowStep[j];
            if (cc < 0 || rr < 0 || cc >= w || rr >= h) continue;
            const std::size_t m = static_cast<std::size_t>(rr) * static_cast<std::size_t>(w) + cc;
            if (flow_.direction[m] == kNoDataCell) captured_.push_back(m);
        }
    }
    if (leaves) return;
    if (edge) ++onEdge_;
    if (besideNoData) {
        const std::size_t index =
            static_cast<std::size_t>(cell.row) * static_cast<std::size_t>(w) + cell.column;
        besideNoData_.push_back(index * 2 + (edge ? 1 : 0));
    }
}

Inflow InflowCheck::finish() {
    const std::size_t w = static_cast<std::size_t>(flow_.width);
    NoDataRegions regions(flow_);
    // NoData neighbours of a cell, those outside the model excepted.
    const auto eachNoData = [&](std::size_t index, const auto& visit) {
        const int c = static_cast<int>(index % w), r = static_cast<int>(index / w);
        for (int k = 0; k < 8; ++k) {
            const int cc = c + kColumnStep[k], rr = r + kRowStep[k];
            if (cc < 0 || rr < 0 || cc >= flow_.width || rr >= flow_.height) continue;
            const std::size_t n = static_cast<std::size_t>(rr) * w + static_cast<std::size_t>(cc);
            if (flow_.direction[n] == kNoDataCell) visit(n);
        }
    };
    std::vector<std::uint32_t> voids, sink;
    if (outletDrainsOut_) {
        eachNoData(static_cast<std::size_t>(outlet_.row) * w + static_cast<std::size_t>(outlet_.column),
                   [&](std::size_t n) { sink.push_back(regions.regionOf(n)); });
    }
    Inflow inflow;
    inflow.edgeCells = onEdge_;
    for (const std::size_t entry : besideNoData_) {
        bool outside = false;
        eachNoData(entry / 2, [&](std::size_t n) {
            const std::uint32_t region = regions.regionOf(n);
            if (regions.outside(region)) {
                outside = true;
            } else {
                voids.push_back(region);
            }
        });
        if (outside && (entry & 1) == 0) ++inflow.edgeCells;
    }
    std::sort(captured_.begin(), captured_.end());
    captured_.erase(std::unique(captured_.begin(), captured_.end()), captured_.end());
    for (const std::size_t n : captured_) {
        const std::uint32_t region = regions.regionOf(n);
        if (regions.outside(region) || std::find(sink.begin(), sink.end(), region) != sink.end()) continue;
        voids.push_back(region);
    }
    std::sort(voids.begin(), voids.end());
    voids.erase(std::unique(voids.begin(), voids.end()), voids.end());
    for (const std::uint32_t region : voids) inflow.voidCells += regions.cells(region);
    return inflow;
}

}  // namespace detail

// The filled height of a cell equals the highest ground along its flow path out of the model. Let F be
// the filled heights of flow_model.cpp: the priority flood gives each cell the least, over the paths of
// neighbouring cells from it to a cell on the model's edge or beside NoData, of the highest ground on the
// path (Barnes, Lehman and Mulla 2014). The directions follow F: a D8 step goes to a lower F, a step over
// a flat (flat_resolution.cpp) to the same F, so F never rises downstream; the path ends at a cell coded
// kDrainsOut, which lies on the edge or beside NoData (a flat has a low edge on a filled surface, so
// its cells never drain out but there). Then (1) the ground along the path is nowhere above F, which is
// nowhere above F of the path's first cell, and (2) the path is one of those F of its first cell is the
// least over, so F is not above the path's highest ground: the two are equal.
float conditionedElevation(const ElevationModel& model, const FlowModel& flow, Cell cell) {
    float highest = model.z[model.index(cell.column, cell.row)];
    // A walk no longer than the model's cells, whatever the codes.
    for (std::size_t steps = flow.direction.size(); steps > 0; --steps) {
        const std::uint8_t k = flow.direction[model.index(cell.column, cell.row)];
        if (k >= 8) break;
        cell = Cell{cell.column + kColumnStep[k], cell.row + kRowStep[k]};
        if (!model.inside(cell.column, cell.row)) break;
        highest = std::max(highest, model.z[model.index(cell.column, cell.row)]);
    }
    return highest;
}

}  // namespace brelvo::terrain
