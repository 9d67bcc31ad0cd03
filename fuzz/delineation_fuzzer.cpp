// Delineation: bytes make a small elevation model (its size, then one height a byte: 0 to 250 m, NaN,
// infinities, heights far beyond any ground), the flow is prepared and a basin delineated from an outlet
// the bytes choose, snapped or taken as clicked. Whatever the heights, the basin is the cells draining to
// its outlet, its ring runs on the cells' corners along rows and columns back to its start and encloses
// their area (with the cells it encloses), the longest path follows the flow, and the elevations are the
// filled surface's.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

#include "check.hpp"
#include "terrain/delineation.hpp"
#include "terrain/flow_grid.hpp"

using brelvo::fuzz::require;
namespace terrain = brelvo::terrain;

namespace {

constexpr double kCell = 30;

float heightOf(std::uint8_t b) {
    switch (b) {
        case 251:
            return std::numeric_limits<float>::quiet_NaN();
        case 252:
            return std::numeric_limits<float>::infinity();
        case 253:
            return -std::numeric_limits<float>::infinity();
        case 254:
            return 3e38f;
        case 255:
            return -20000;
        default:
            return static_cast<float>(b);
    }
}

// The ring against the basin's cells (`inBasin` over the model): corners, edges, turns, repeated corners,
// area, and the cells inside it.
void checkRing(const terrain::ElevationModel& m, const terrain::Delineation& d,
               const std::vector<std::uint8_t>& inBasin) {
    const auto& ring = d.boundary;
    require(ring.size() >= 4, "a ring of four corners at least");
    const auto member = [&](long long c, long long r) {
        return c >= 0 && r >= 0 && c < m.width && r < m.height &&
               inBasin[m.index(static_cast<int>(c), static_cast<int>(r))] != 0;
    };
    std::map<std::pair<long long, long long>, int> seen;
    double twiceArea = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const auto& a = ring[i];
        const auto& b = ring[(i + 1) % ring.size()];
        const auto& before = ring[(i + ring.size() - 1) % ring.size()];
        const double x = a.x / kCell, y = -a.y / kCell;
        require(x == std::round(x) && y == std::round(y), "points on the cells' corners");
        require(x >= 0 && y >= 0 && x <= m.width && y <= m.height, "points on the model");
        require((a.x == b.x) != (a.y == b.y), "edges along a row or a column, the closing one too");
        require((before.x == a.x) != (a.x == b.x), "a turn at every point");
        const long long cx = std::llround(x), cy = std::llround(y);
        const int times = ++seen[{cx, cy}];
        require(times <= 2, "a corner met twice at most");
        if (times == 2) {
            const bool nw = member(cx - 1, cy - 1), ne = member(cx, cy - 1), sw = member(cx - 1, cy),
                       se = member(cx, cy);
            require((nw && se && !ne && !sw) || (ne && sw && !nw && !se),
                    "a corner met twice joins two cells touching there only");
        }
        twiceArea += a.x * b.y - b.x * a.y;
    }
    require(std::fabs(twiceArea) / 2 == static_cast<double>(d.cells + d.enclosedCells) * kCell * kCell,
            "the ring's area is its cells' and the enclosed cells'");
    std::size_t enclosed = 0;
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            const double px = (c + 0.5) * kCell, py = -(r + 0.5) * kCell;
            bool inside = false;
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const auto& a = ring[i];
                const auto& b = ring[(i + 1) % ring.size()];
                if (a.x == b.x && px < a.x && (a.y > py) != (b.y > py)) inside = !inside;
            }
            if (member(c, r)) require(inside, "every basin cell inside its ring");
            if (inside && !member(c, r)) ++enclosed;
        }
    }
    require(enclosed == d.enclosedCells, "the enclosed cells counted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    terrain::ElevationModel m;
    m.width = 1 + data[0] % 16;
    m.height = 1 + data[1] % 16;
    m.unit = terrain::VerticalUnit::Metre;
    m.georef.geotransform = {0, kCell, 0, 0, 0, -kCell};
    const terrain::Cell clicked{data[2] % m.width, data[3] % m.height};
    const std::uint32_t threshold = data[4];
    const double searchM = (data[5] & 127) * 10.0;  // 0 to 1,270 m
    const bool asClicked = (data[5] & 128) != 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height); ++i) {
        m.z.push_back(6 + i < size ? heightOf(data[6 + i]) : 0.0f);
    }
    const auto flow = terrain::prepareFlow(m, nullptr);
    require(flow.has_value(), "the flow of a small model is prepared");
    terrain::CellGeometry geometry;
    geometry.dx.assign(static_cast<std::size_t>(m.height), kCell);
    geometry.dy.assign(static_cast<std::size_t>(m.height), kCell);
    geometry.diagonal.assign(static_cast<std::size_t>(m.height), std::hypot(kCell, kCell));
    geometry.area.assign(static_cast<std::size_t>(m.height), kCell * kCell);

    const auto outlet = asClicked ? std::optional<terrain::Cell>(clicked)
                                  : terrain::snapToStream(*flow, geometry, clicked, searchM, threshold);
    if (!outlet) {
        require(!m.hasData(clicked.column, clicked.row), "a click on data always has an outlet");
        return 0;
    }
    const auto d = terrain::delineateAt(m, *flow, geometry, clicked, *outlet);
    require(d.has_value() == m.hasData(outlet->column, outlet->row), "an outlet with data is delineated");
    if (!d) return 0;

    // The basin: the cells whose flow reaches the outlet.
    std::vector<std::uint8_t> inBasin(m.z.size(), 0);
    std::size_t cells = 0;
    for (int r = 0; r < m.height; ++r) {
        for (int c = 0; c < m.width; ++c) {
            terrain::Cell at{c, r};
            for (std::size_t steps = 0; steps <= m.z.size(); ++steps) {
                if (at == d->outlet) {
                    inBasin[m.index(c, r)] = 1;
                    ++cells;
                    break;
                }
                const std::uint8_t k = flow->direction[m.index(at.column, at.row)];
                if (k >= 8) break;
                at = {at.column + terrain::kColumnStep[k], at.row + terrain::kRowStep[k]};
            }
        }
    }
    require(d->cells == cells && cells >= 1, "the basin is the cells draining to its outlet");
    require(d->areaM2 == static_cast<double>(cells) * kCell * kCell, "the area is the cells'");
    checkRing(m, *d, inBasin);
    require(d->cutOff == (d->edgeCells > 0 || d->voidCells > 0), "cut off when edge or void cells");
    require(d->edgeCells <= d->cells, "edge cells among the basin's");

    // The longest path down the flow to the outlet; the elevations the filled surface's.
    require(!d->longestPath.empty(), "a path of one point at least");
    terrain::Cell at{static_cast<int>(d->longestPath.front().x / kCell),
                     static_cast<int>(-d->longestPath.front().y / kCell)};
    const terrain::Cell head = at;
    for (std::size_t i = 1; i < d->longestPath.size(); ++i) {
        const std::uint8_t k = flow->direction[m.index(at.column, at.row)];
        require(k < 8, "the path follows the flow");
        at = {at.column + terrain::kColumnStep[k], at.row + terrain::kRowStep[k]};
        require(d->longestPath[i].x == (at.column + 0.5) * kCell &&
                    d->longestPath[i].y == -(at.row + 0.5) * kCell,
                "the path through the cells' centres");
    }
    require(at == d->outlet, "the path ends at the outlet");
    require(std::isfinite(d->longestPathM) && d->longestPathM >= 0, "the path's length finite");
    brelvo::terrain::detail::FlowGrid grid = brelvo::terrain::detail::paddedGrid(m);
    require(brelvo::terrain::detail::fillDepressions(grid, nullptr), "filled");
    const auto filled = [&](terrain::Cell c) {
        return grid.z[static_cast<std::size_t>(c.row + 1) * static_cast<std::size_t>(grid.width) +
                      static_cast<std::size_t>(c.column + 1)];
    };
    require(d->outletElevation == filled(d->outlet), "the outlet's elevation the filled surface's");
    require(d->headElevation == filled(head), "the head's elevation the filled surface's");
    require(d->outletGroundElevation == m.z[m.index(d->outlet.column, d->outlet.row)], "the outlet's ground");

    // Absurd heights cleared: the count of those neither NaN nor within the bound.
    terrain::ElevationModel cleared = m;
    std::size_t absurd = 0;
    for (const float z : m.z) absurd += !std::isnan(z) && !(std::fabs(z) <= 12000) ? 1 : 0;
    require(terrain::clearAbsurdHeights(cleared) == absurd, "absurd heights counted");
    return 0;
}
