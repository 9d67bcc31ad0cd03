// Delineation from an outlet on a prepared model. Everything here works in proportion to the basin: the
// catchment is walked upstream from the outlet (each cell has one downstream neighbour, so no cell is met
// twice and nothing needs marking) once for its figures and once more to mark its cells on a mask of its
// bounding box, on which the boundary is traced; no list of the basin's cells is kept.
#include "terrain/delineation.hpp"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "terrain/delineation_inflow.hpp"

namespace brelvo::terrain {

namespace {

// Length on the ground of the step from a cell of row `row` in D8 direction `k`.
double stepLength(const CellGeometry& geometry, int row, int k) {
    const auto r = static_cast<std::size_t>(row);
    if (k & 1) return r < geometry.diagonal.size() ? geometry.diagonal[r] : 0;
    if (k == 0 || k == 4) return r < geometry.dx.size() ? geometry.dx[r] : 0;
    return r < geometry.dy.size() ? geometry.dy[r] : 0;
}

// Calls visit(cell, flow length to the outlet) for every cell of the outlet's catchment, walking
// upstream depth first (up one tributary at a time, so the cells read next are mostly at hand).
template <class Visit>
void walkUpstream(const FlowModel& flow, const CellGeometry& geometry, Cell outlet, const Visit& visit) {
    struct Pending {
        Cell cell;
        double flowLength;
    };
    std::vector<Pending> stack{{outlet, 0}};
    while (!stack.empty()) {
        const Pending here = stack.back();
        stack.pop_back();
        visit(here.cell, here.flowLength);
        for (int k = 0; k < 8; ++k) {
            const Cell n{here.cell.column + kColumnStep[k], here.cell.row + kRowStep[k]};
            if (n.column < 0 || n.row < 0 || n.column >= flow.width || n.row >= flow.height) continue;
            const std::size_t index = static_cast<std::size_t>(n.row) * flow.width + n.column;
            const int back = (k + 4) & 7;  // the direction from n to here
            if (flow.direction[index] != back) continue;
            stack.push_back({n, here.flowLength + stepLength(geometry, n.row, back)});
        }
    }
}

// The catchment as a mask over its bounding box, with one empty cell of margin all round.
class Mask {
  public:
    // The box's corner cells, inclusive.
    Mask(Cell topLeft, Cell bottomRight) {
        left_ = topLeft.column - 1;
        top_ = topLeft.row - 1;
        width_ = bottomRight.column - topLeft.column + 3;
        inside_.assign(
            static_cast<std::size_t>(width_) * static_cast<std::size_t>(bottomRight.row - topLeft.row + 3),
            0);
    }
    void add(Cell cell) { inside_[at(cell.column, cell.row)] = 1; }
    bool inside(int column, int row) const { return inside_[at(column, row)] == 1; }

  private:
    std::size_t at(int column, int row) const {
        return static_cast<std::size_t>(row - top_) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(column - left_);
    }
    int left_ = 0, top_ = 0, width_ = 0;
    std::vector<std::uint8_t> inside_;
};

// The outer ring on the cells' edges, traced clockwise on the grid (rows downward) from the top-left
// corner of the first cell in row order, keeping the catchment on the right; cells that touch only at a
// corner stay joined (the catchment is eight-connected). Only the corners where the way turns are kept.
// `cellsInside` is the ring's area in cells, the sum of y dx over its steps (Green's theorem).
std::vector<measure::MapPoint> outerRing(const ElevationModel& model, const Mask& mask, Cell first,
                                         std::int64_t& cellsInside) {
    // Headings: east, south, west, north; the corner grid's steps, and for each heading the cells ahead
    // on the left and on the right of a corner, as offsets from the corner (a corner (x, y) is the
    // top-left corner of cell (x, y)).
    static constexpr int kDx[4] = {1, 0, -1, 0}, kDy[4] = {0, 1, 0, -1};
    static constexpr int kLeftC[4] = {0, 0, -1, -1}, kLeftR[4] = {-1, 0, 0, -1};
    static constexpr int kRightC[4] = {0, -1, -1, 0}, kRightR[4] = {0, 0, -1, -1};
    std::vector<measure::MapPoint> ring{model.georef.toMap(first.column, first.row)};
    int x = first.column + 1, y = first.row, heading = 0;
    std::int64_t area = y;  // the first step, east
    while (x != first.column || y != first.row) {
        int next = heading;
        if (mask.inside(x + kLeftC[heading], y + kLeftR[heading])) {
            next = (heading + 3) & 3;
        } else if (!mask.inside(x + kRightC[heading], y + kRightR[heading])) {
            next = (heading + 1) & 3;
        }
        if (next != heading) ring.push_back(model.georef.toMap(x, y));
        heading = next;
        area += static_cast<std::int64_t>(kDx[heading]) * y;
        x += kDx[heading];
        y += kDy[heading];
    }
    cellsInside = area < 0 ? -area : area;
    return ring;
}

}  // namespace

std::optional<Delineation> delineateAt(const ElevationModel& model, const FlowModel& flow,
                                       const CellGeometry& geometry, Cell clicked, Cell outlet) {
    if (flow.width != model.width || flow.height != model.height || model.z.size() != flow.direction.size() ||
        !model.inside(outlet.column, outlet.row) ||
        flow.direction[model.index(outlet.column, outlet.row)] == kNoDataCell) {
        return std::nullopt;
    }
    // The figures in one walk; the cells themselves go into the mask of their box in a second.
    Delineation d;
    d.clicked = clicked;
    d.outlet = outlet;
    Cell head = d.outlet, first = d.outlet, topLeft = d.outlet, bottomRight = d.outlet;
    const auto order = [](Cell a) { return std::pair{a.row, a.column}; };
    detail::InflowCheck inflow(flow, d.outlet);
    walkUpstream(flow, geometry, d.outlet, [&](Cell cell, double flowLength) {
        ++d.cells;
        const auto row = static_cast<std::size_t>(cell.row);
        d.areaM2 += row < geometry.area.size() ? geometry.area[row] : 0;
        inflow.add(cell);
        if (flowLength > d.longestPathM || (flowLength == d.longestPathM && order(cell) < order(head))) {
            head = cell;
            d.longestPathM = flowLength;
        }
        if (order(cell) < order(first)) first = cell;
        topLeft = {std::min(topLeft.column, cell.column), std::min(topLeft.row, cell.row)};
        bottomRight = {std::max(bottomRight.column, cell.column), std::max(bottomRight.row, cell.row)};
    });
    const detail::Inflow lost = inflow.finish();
    d.edgeCells = lost.edgeCells;
    d.voidCells = lost.voidCells;
    d.cutOff = d.edgeCells > 0 || d.voidCells > 0;
    {
        Mask mask(topLeft, bottomRight);
        walkUpstream(flow, geometry, d.outlet, [&](Cell cell, double) { mask.add(cell); });
        std::int64_t inside = 0;
        d.boundary = outerRing(model, mask, first, inside);
        d.enclosedCells = static_cast<std::size_t>(inside) - d.cells;
    }

    // The longest flow path: from the head downstream through the cells' centres to the outlet, the
    // highest ground on the way kept for the head's conditioned height.
    Cell at = head;
    float highest = model.z[model.index(at.column, at.row)];
    while (true) {
        d.longestPath.push_back(model.georef.toMap(at.column + 0.5, at.row + 0.5));
        highest = std::max(highest, model.z[model.index(at.column, at.row)]);
        if (at == d.outlet) break;
        const std::uint8_t k = flow.direction[model.index(at.column, at.row)];
        at = Cell{at.column + kColumnStep[k], at.row + kRowStep[k]};
    }
    d.outletGroundElevation = model.z[model.index(d.outlet.column, d.outlet.row)];
    d.headGroundElevation = model.z[model.index(head.column, head.row)];
    d.outletElevation = conditionedElevation(model, flow, d.outlet);
    d.headElevation = std::max(highest, d.outletElevation);
    return d;
}

std::optional<Delineation> delineate(const ElevationModel& model, const FlowModel& flow,
                                     const CellGeometry& geometry, Cell clicked, int searchCells) {
    if (!model.inside(clicked.column, clicked.row) || flow.width != model.width ||
        flow.height != model.height || !model.hasData(clicked.column, clicked.row)) {
        return std::nullopt;
    }
    const std::optional<Cell> outlet = snapOutlet(flow, clicked, searchCells);
    if (!outlet) return std::nullopt;
    return delineateAt(model, flow, geometry, clicked, *outlet);
}

}  // namespace brelvo::terrain
