// Delineation on a few hundred generated rough terrains (3 to 60 cells a side, NoData holes and rims,
// plateaus, outlets anywhere): every basin checked against what the flow codes say, cell by cell, and
// its ring against its cells.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "terrain/delineation.hpp"
#include "terrain/flow_grid.hpp"
#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain::testing {
namespace {

constexpr double kCell = 30;
constexpr double kLeft = 500000, kTop = 4000000;

// A terrain from the generator's next numbers (std::mt19937 is the same everywhere; no distribution of
// the library is used, as those differ between libraries).
ElevationModel generated(std::mt19937& random) {
    const auto below = [&](std::uint32_t n) { return static_cast<int>(random() % n); };
    const int width = 3 + below(58), height = 3 + below(58);
    const int tiltX = below(5) - 2, tiltY = below(5) - 2, roughness = 1 + below(20);
    const int plateau = below(3) == 0 ? 4 : 1;  // heights rounded down to steps: flats and pits
    ElevationModel model = makeModel(
        width, height,
        [&](int c, int r) {
            const int z = tiltX * c + tiltY * r + below(static_cast<std::uint32_t>(roughness));
            return static_cast<float>(z / plateau * plateau);
        },
        kCell);
    // Holes of NoData, some on the edge, and scattered cells.
    for (int holes = below(4); holes > 0; --holes) {
        const int c0 = below(static_cast<std::uint32_t>(width)),
                  r0 = below(static_cast<std::uint32_t>(height));
        const int w = 1 + below(5), h = 1 + below(5);
        for (int r = r0; r < std::min(height, r0 + h); ++r) {
            for (int c = c0; c < std::min(width, c0 + w); ++c) model.z[model.index(c, r)] = std::nanf("");
        }
    }
    if (below(4) == 0) {
        // A collar: the corners cut off diagonally, as a turned raster has them.
        const int cut = 1 + below(static_cast<std::uint32_t>(std::min(width, height)) / 2 + 1);
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                const int fromCorner = std::min(c, width - 1 - c) + std::min(r, height - 1 - r);
                if (fromCorner < cut) model.z[model.index(c, r)] = std::nanf("");
            }
        }
    }
    if (below(4) == 0) {
        for (float& z : model.z) {
            if (below(12) == 0) z = std::nanf("");
        }
    }
    return model;
}

// What the codes say: the basin of each outlet, by following every cell downstream.
struct Truth {
    const ElevationModel& model;
    const FlowModel& flow;
    std::vector<float> filled;  // the priority flood's heights, unpadded

    Truth(const ElevationModel& m, const FlowModel& f) : model(m), flow(f) {
        detail::FlowGrid grid = detail::paddedGrid(model);
        detail::fillDepressions(grid, nullptr);
        for (int r = 0; r < model.height; ++r) {
            for (int c = 0; c < model.width; ++c) {
                filled.push_back(grid.z[static_cast<std::size_t>(r + 1) * grid.width + c + 1]);
            }
        }
    }
    std::uint8_t code(int c, int r) const { return flow.direction[model.index(c, r)]; }
    bool inBasin(Cell cell, Cell outlet) const {
        for (std::size_t steps = 0; steps <= flow.direction.size(); ++steps) {
            if (cell == outlet) return true;
            const std::uint8_t k = code(cell.column, cell.row);
            if (k >= 8) return false;
            cell = {cell.column + kColumnStep[k], cell.row + kRowStep[k]};
        }
        ADD_FAILURE() << "a flow path without end";
        return false;
    }
    // NoData regions, eight-connected, labelled over the whole model: 0 data, -1 joined to the edge,
    // above 0 a void's number.
    std::vector<int> regions() const {
        std::vector<int> label(flow.direction.size(), 0);
        int next = 1;
        for (std::size_t start = 0; start < label.size(); ++start) {
            if (flow.direction[start] != kNoDataCell || label[start] != 0) continue;
            std::vector<std::size_t> stack{start}, members;
            label[start] = next;
            bool edge = false;
            while (!stack.empty()) {
                const std::size_t i = stack.back();
                stack.pop_back();
                members.push_back(i);
                const int c = static_cast<int>(i % model.width), r = static_cast<int>(i / model.width);
                edge = edge || c == 0 || r == 0 || c == model.width - 1 || r == model.height - 1;
                for (int k = 0; k < 8; ++k) {
                    const int cc = c + kColumnStep[k], rr = r + kRowStep[k];
                    if (!model.inside(cc, rr)) continue;
                    const std::size_t n = model.index(cc, rr);
                    if (flow.direction[n] != kNoDataCell || label[n] != 0) continue;
                    label[n] = next;
                    stack.push_back(n);
                }
            }
            if (edge) {
                for (const std::size_t i : members) label[i] = -1;
            }
            ++next;
        }
        return label;
    }
};

// The cut-off rule of delineation_inflow.cpp, over the whole model and its labelled regions.
void checkInflow(const Truth& t, const std::vector<int>& label, const Delineation& d,
                 const std::vector<std::uint8_t>& basin, std::size_t& besideOutsideNoData) {
    const ElevationModel& m = t.model;
    const bool outletLeaves = t.code(d.outlet.column, d.outlet.row) == kDrainsOut;
    std::map<int, std::size_t> voidSize, counted;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] > 0) ++voidSize[label[i]];
    }
    std::map<int, bool> sink;
    std::size_t edgeCells = 0;
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            if (!basin[m.index(c, r)]) continue;
            const bool exempt = outletLeaves && Cell{c, r} == d.outlet;
            bool edge = false;
            for (int k = 0; k < 8; ++k) {
                const int cc = c + kColumnStep[k], rr = r + kRowStep[k];
                if (!m.inside(cc, rr)) {
                    edge = true;
                    continue;
                }
                const int l = label[m.index(cc, rr)];
                if (exempt && l != 0) sink[l] = true;
                if (!exempt && l < 0) {
                    edge = true;
                    ++besideOutsideNoData;
                }
                if (!exempt && l > 0) counted[l] = voidSize[l];
            }
            if (edge && !exempt) ++edgeCells;
        }
    }
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            // A cell outside the basin, bordering it, draining out: the voids beside it.
            if (basin[m.index(c, r)] || t.code(c, r) != kDrainsOut) continue;
            bool borders = false;
            for (int k = 0; k < 8; ++k) {
                const int cc = c + kColumnStep[k], rr = r + kRowStep[k];
                borders = borders || (m.inside(cc, rr) && basin[m.index(cc, rr)]);
            }
            for (int k = 0; borders && k < 8; ++k) {
                const int cc = c + kColumnStep[k], rr = r + kRowStep[k];
                const int l = m.inside(cc, rr) ? label[m.index(cc, rr)] : 0;
                if (l > 0 && !sink[l]) counted[l] = voidSize[l];
            }
        }
    }
    std::size_t voidCells = 0;
    for (const auto& [l, cells] : counted) voidCells += cells;
    EXPECT_EQ(d.edgeCells, edgeCells);
    EXPECT_EQ(d.voidCells, voidCells);
    EXPECT_EQ(d.cutOff, edgeCells > 0 || voidCells > 0);
}

// The ring: corners of cells, axis-aligned edges closing back to the first point, a turn at every
// point, a point met twice only where two basin cells touch at a corner, and inside it exactly the basin
// and the enclosed cells; its area is theirs.
void checkRing(const ElevationModel& m, const Delineation& d, const std::vector<std::uint8_t>& basin,
               std::vector<Cell>& enclosedCells) {
    const std::vector<measure::MapPoint>& ring = d.boundary;
    ASSERT_GE(ring.size(), 4u);
    std::map<std::pair<long long, long long>, int> seen;
    double twiceArea = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const measure::MapPoint& a = ring[i];
        const measure::MapPoint& b = ring[(i + 1) % ring.size()];
        const measure::MapPoint& before = ring[(i + ring.size() - 1) % ring.size()];
        const double x = (a.x - kLeft) / kCell, y = (kTop - a.y) / kCell;
        ASSERT_EQ(x, std::round(x));
        ASSERT_EQ(y, std::round(y));
        ASSERT_TRUE(x >= 0 && y >= 0 && x <= m.width && y <= m.height);
        ASSERT_NE(a.x == b.x, a.y == b.y) << "an edge is not along a row or column";
        EXPECT_NE(before.x == a.x, a.x == b.x) << "a point where the ring goes straight on";
        const int times = ++seen[{std::llround(x), std::llround(y)}];
        if (times == 2) {
            // A corner touched by two basin cells diagonally opposite, the other two outside.
            const auto in = [&](long long c, long long r) {
                return m.inside(static_cast<int>(c), static_cast<int>(r)) &&
                       basin[m.index(static_cast<int>(c), static_cast<int>(r))] != 0;
            };
            const long long cx = std::llround(x), cy = std::llround(y);
            const bool nw = in(cx - 1, cy - 1), ne = in(cx, cy - 1), sw = in(cx - 1, cy), se = in(cx, cy);
            EXPECT_TRUE((nw && se && !ne && !sw) || (ne && sw && !nw && !se)) << "repeated corner";
        }
        EXPECT_LE(times, 2);
        twiceArea += (a.x - kLeft) * (b.y - kTop) - (b.x - kLeft) * (a.y - kTop);
    }
    EXPECT_EQ(std::fabs(twiceArea) / 2, static_cast<double>(d.cells + d.enclosedCells) * kCell * kCell);
    // Crossing numbers of the cells' centres: inside, the basin and the enclosed cells.
    std::size_t enclosed = 0;
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            const double px = kLeft + (c + 0.5) * kCell, py = kTop - (r + 0.5) * kCell;
            bool inside = false;
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const measure::MapPoint& a = ring[i];
                const measure::MapPoint& b = ring[(i + 1) % ring.size()];
                if (a.x != b.x || px > a.x || (a.y > py) == (b.y > py)) continue;
                inside = !inside;
            }
            const bool member = basin[m.index(c, r)] != 0;
            if (member) {
                EXPECT_TRUE(inside) << "a basin cell outside its ring";
            }
            if (inside && !member) {
                ++enclosed;
                enclosedCells.push_back({c, r});
            }
        }
    }
    EXPECT_EQ(d.enclosedCells, enclosed);
}

// How many of each case the generated basins reached.
struct Seen {
    std::size_t basins = 0, cutOff = 0, voids = 0, pinched = 0, besideOutsideNoData = 0;
    std::size_t enclosedNoData = 0, enclosedDrainingIntoNoData = 0, enclosedLeavingAtACorner = 0;
};

void checkDelineation(const Truth& t, const std::vector<int>& label, const Delineation& d, Seen& seen) {
    const ElevationModel& m = t.model;
    std::vector<std::uint8_t> basin(m.z.size(), 0);
    std::size_t cells = 0;
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            if (t.code(c, r) == kNoDataCell || !t.inBasin({c, r}, d.outlet)) continue;
            basin[m.index(c, r)] = 1;
            ++cells;
        }
    }
    ASSERT_EQ(d.cells, cells);
    EXPECT_EQ(d.areaM2, static_cast<double>(cells) * kCell * kCell);
    std::vector<Cell> enclosedCells;
    checkRing(m, d, basin, enclosedCells);
    checkInflow(t, label, d, basin, seen.besideOutsideNoData);
    // What the ring encloses beside the basin: NoData, cells draining into NoData there, or cells whose
    // water leaves between two basin cells touching at a corner (a step from an enclosed cell to one
    // beside it that is not enclosed lands in the basin, so their water can leave only diagonally).
    std::vector<std::uint8_t> enclosed(m.z.size(), 0);
    for (const Cell e : enclosedCells) enclosed[m.index(e.column, e.row)] = 1;
    for (const Cell e : enclosedCells) {
        if (t.code(e.column, e.row) == kNoDataCell) {
            ++seen.enclosedNoData;
            continue;
        }
        for (Cell at = e;;) {
            const std::uint8_t k = t.code(at.column, at.row);
            if (k == kDrainsOut) {
                bool besideNoData = false;
                for (int j = 0; j < 8; ++j) {
                    const int c = at.column + kColumnStep[j], r = at.row + kRowStep[j];
                    besideNoData = besideNoData || t.code(c, r) == kNoDataCell;
                }
                EXPECT_TRUE(besideNoData);
                ++seen.enclosedDrainingIntoNoData;
                break;
            }
            const Cell n{at.column + kColumnStep[k], at.row + kRowStep[k]};
            if (!enclosed[m.index(n.column, n.row)]) {
                ASSERT_TRUE(k & 1);
                EXPECT_TRUE(basin[m.index(n.column, at.row)] && basin[m.index(at.column, n.row)]);
                ++seen.enclosedLeavingAtACorner;
                break;
            }
            at = n;
        }
    }
    // The longest path: from a basin cell, step by step down the codes to the outlet, its length summed
    // from the outlet up as the walk does.
    ASSERT_FALSE(d.longestPath.empty());
    std::vector<Cell> path;
    for (const measure::MapPoint& p : d.longestPath) {
        path.push_back({static_cast<int>((p.x - kLeft) / kCell), static_cast<int>((kTop - p.y) / kCell)});
    }
    EXPECT_EQ(path.back(), d.outlet);
    double length = 0;
    for (std::size_t i = path.size() - 1; i > 0; --i) {
        const std::uint8_t k = t.code(path[i - 1].column, path[i - 1].row);
        ASSERT_LT(k, 8);
        ASSERT_EQ((Cell{path[i - 1].column + kColumnStep[k], path[i - 1].row + kRowStep[k]}), path[i]);
        length += (k & 1) ? std::hypot(kCell, kCell) : kCell;
    }
    EXPECT_EQ(d.longestPathM, length);
    // Elevations: the filled surface's at the outlet and the head, the ground's beside them.
    const Cell head = path.front();
    EXPECT_EQ(d.outletElevation, t.filled[m.index(d.outlet.column, d.outlet.row)]);
    EXPECT_EQ(d.headElevation, t.filled[m.index(head.column, head.row)]);
    EXPECT_EQ(d.outletGroundElevation, m.z[m.index(d.outlet.column, d.outlet.row)]);
    EXPECT_EQ(d.headGroundElevation, m.z[m.index(head.column, head.row)]);
}

TEST(DelineationProperties, EveryBasinOfGeneratedTerrains) {
    // A seed whose 300 terrains reach every case below, the rare ones included.
    std::mt19937 random(17);
    Seen seen;
    for (int terrain = 0; terrain < 300; ++terrain) {
        const ElevationModel model = generated(random);
        const auto flow = prepareFlow(model, nullptr);
        ASSERT_TRUE(flow);
        const CellGeometry geometry = cellGeometry(model, FlatGround());
        const Truth truth(model, *flow);
        const std::vector<int> label = truth.regions();
        for (int outlets = 0; outlets < 4; ++outlets) {
            const Cell clicked{static_cast<int>(random() % static_cast<std::uint32_t>(model.width)),
                               static_cast<int>(random() % static_cast<std::uint32_t>(model.height))};
            const std::uint32_t threshold = 1 + random() % 40;
            const auto outlet = snapToStream(*flow, geometry, clicked, 3 * kCell, threshold);
            if (!outlet) {
                EXPECT_FALSE(model.hasData(clicked.column, clicked.row));
                continue;
            }
            const auto d = delineateAt(model, *flow, geometry, clicked, *outlet);
            ASSERT_TRUE(d);
            SCOPED_TRACE(::testing::Message()
                         << "terrain " << terrain << " outlet " << outlet->column << "," << outlet->row);
            checkDelineation(truth, label, *d, seen);
            ++seen.basins;
            seen.cutOff += d->cutOff ? 1 : 0;
            seen.voids += d->voidCells > 0 ? 1 : 0;
            std::map<std::pair<double, double>, int> corners;
            for (const auto& p : d->boundary) seen.pinched += ++corners[{p.x, p.y}] == 2 ? 1 : 0;
        }
    }
    // The generated terrains reach every case checked.
    EXPECT_GT(seen.cutOff, 0u);
    EXPECT_LT(seen.cutOff, seen.basins);
    EXPECT_GT(seen.voids, 0u);
    EXPECT_GT(seen.pinched, 0u);
    EXPECT_GT(seen.besideOutsideNoData, 0u);
    EXPECT_GT(seen.enclosedNoData, 0u);
    EXPECT_GT(seen.enclosedDrainingIntoNoData, 0u);
    EXPECT_GT(seen.enclosedLeavingAtACorner, 0u);
}

}  // namespace
}  // namespace brelvo::terrain::testing
