// The flow preparation: depressions filled by priority flood, flats resolved, D8 directions and the
// flow accumulation.
//
// Filling follows the improved priority flood of Barnes, Lehman and Mulla (2014), "Priority-flood: An
// optimal depression-filling and watershed-labeling algorithm for digital elevation models", Computers &
// Geosciences 62, 117-127 (its Algorithm 2): the cells on the model's edge and beside NoData seed a
// priority queue by height; a neighbour not above the cell just taken is raised to it and goes through a
// plain first-in first-out queue instead, which is emptied first. The priority queue is a radix heap
// (radix_heap.hpp): exact here, since the flood takes heights in rising order.
//
// Memory, for a model of n float cells (4 n bytes, the model itself): the filled copy (4 n) and the codes
// (n) while filling, resolving flats (see flat_resolution.cpp) and directing; the filled copy is dropped
// before the accumulation (4 n) is made, whose donor counts live in the codes' upper four bits.
#include "terrain/flow_model.hpp"

#include <cmath>
#include <cstring>
#include <limits>

#include "terrain/flow_grid.hpp"
#include "terrain/radix_heap.hpp"

namespace brelvo::terrain {

namespace {

using detail::FlowGrid;

// Share of the whole preparation each stage reports.
constexpr double kFillShare = 0.55, kDirectShare = 0.15, kFlatShare = 0.05, kAccumulateShare = 0.25;
constexpr std::size_t kTickCells = std::size_t{1} << 20;

// Progress of one stage: turns counts of cells done into the whole preparation's fraction.
class StageProgress {
  public:
    StageProgress(const Progress& progress, double start, double share, std::size_t cells)
        : progress_(progress), start_(start), share_(share), cells_(cells == 0 ? 1 : cells) {}
    bool advance(std::size_t cells) {
        done_ += cells;
        if (!progress_) return true;
        const double within = std::min(1.0, static_cast<double>(done_) / static_cast<double>(cells_));
        return progress_(start_ + share_ * within);
    }

  private:
    const Progress& progress_;
    double start_, share_;
    std::size_t cells_, done_ = 0;
};

// The D8 code of cell `c` from its neighbours' filled heights: the steepest drop over distance (a
// diagonal neighbour sqrt 2 away), the first in the fixed neighbour order on a tie. A cell with no lower
// neighbour drains out when it lies on the edge or beside NoData, else it is on a flat.
inline std::uint8_t directionOf(const FlowGrid& grid, std::size_t c) {
    const double diagonal = 1.0 / std::sqrt(2.0);
    const float z = grid.z[c];
    double steepest = 0;
    std::uint8_t direction = detail::kFlatCell;
    bool outlet = false;
    for (std::uint8_t k = 0; k < 8; ++k) {
        const float zn = grid.z[c + static_cast<std::size_t>(grid.offset[k])];
        if (std::isnan(zn)) {
            outlet = true;
            continue;
        }
        const double drop = (k & 1) ? (z - zn) * diagonal : static_cast<double>(z - zn);
        if (drop > steepest) {
            steepest = drop;
            direction = k;
        }
    }
    return direction == detail::kFlatCell && outlet ? kDrainsOut : direction;
}

// D8 on the filled heights, a row at a time.
bool direct(FlowGrid& grid, StageProgress& progress) {
    for (int r = 1; r + 1 < grid.height; ++r) {
        const std::size_t row = static_cast<std::size_t>(r) * grid.width;
        for (std::size_t c = row + 1; c + 1 < row + grid.width; ++c) {
            if (grid.code[c] != kNoDataCell) grid.code[c] = directionOf(grid, c);
        }
        if (!progress.advance(static_cast<std::size_t>(grid.width))) return false;
    }
    return true;
}

// Drops the ring: row r of the model moves to its place in the unpadded codes (always earlier).
std::vector<std::uint8_t> unpaddedCodes(FlowGrid& grid, int width, int height) {
    std::vector<std::uint8_t> codes = std::move(grid.code);
    for (int r = 0; r < height; ++r) {
        std::memmove(&codes[static_cast<std::size_t>(r) * width],
                     &codes[static_cast<std::size_t>(r + 1) * (width + 2) + 1],
                     static_cast<std::size_t>(width));
    }
    codes.resize(static_cast<std::size_t>(width) * height);
    return codes;
}

// Accumulation in topological order: each cell's donors are counted (in the code's upper four bits),
// then from every cell without donors the walk goes downstream, adding, and goes on through a cell only
// once its last donor has arrived; a cell walked through is marked done (all four bits set).
bool accumulate(FlowModel& flow, StageProgress& progress) {
    auto& code = flow.direction;
    const std::size_t total = code.size();
    std::ptrdiff_t offset[8];
    for (int k = 0; k < 8; ++k)
        offset[k] = kRowStep[k] * static_cast<std::ptrdiff_t>(flow.width) + kColumnStep[k];
    detail::reserveLarge(flow.accumulation, total);
    flow.accumulation.assign(total, 0);
    auto& acc = flow.accumulation;
    for (std::size_t c = 0; c < total; ++c) {
        const std::uint8_t d = code[c] & 15;  // donors already counted sit in the upper bits
        if (d == kNoDataCell) continue;
        acc[c] = 1;
        if (d < 8) code[c + static_cast<std::size_t>(offset[d])] += 16;
    }
    constexpr std::uint8_t kDone = 0xF0;
    for (std::size_t start = 0; start < total; start += kTickCells) {
        const std::size_t end = std::min(total, start + kTickCells);
        for (std::size_t c = start; c < end; ++c) {
            if (code[c] >= 16 || code[c] == kNoDataCell) continue;  // donors to come, done, or NoData
            std::size_t cell = c;
            while (true) {
                code[cell] |= kDone;
                const std::uint8_t d = code[cell] & 15;
                if (d >= 8) break;
                const std::size_t next = cell + static_cast<std::size_t>(offset[d]);
                acc[next] += acc[cell];
                code[next] -= 16;
                if (code[next] >= 16) break;
                cell = next;
            }
        }
        if (!progress.advance(end - start)) return false;
    }
    for (std::uint8_t& d : code) d &= 15;
    return true;
}

}  // namespace

namespace detail {

namespace {

// The codes and heights of the eight neighbours of `c`, all read before any is decided on, so that their
// cache misses overlap instead of each waiting behind the branch of the one before.
struct Neighbourhood {
    std::uint8_t code[8];
    float z[8];
    Neighbourhood(const FlowGrid& grid, std::size_t c) {
        for (int k = 0; k < 8; ++k) {
            code[k] = grid.code[c + static_cast<std::size_t>(grid.offset[k])];
            z[k] = grid.z[c + static_cast<std::size_t>(grid.offset[k])];
        }
    }
};

}  // namespace

// The model's heights with a ring of NoData around them, every data cell still open (NoData closed).
// Each element is written once, row by row.
FlowGrid paddedGrid(const ElevationModel& model) {
    FlowGrid grid;
    grid.width = model.width + 2;
    grid.height = model.height + 2;
    const std::ptrdiff_t w = grid.width;
    for (int k = 0; k < 8; ++k) grid.offset[k] = kRowStep[k] * w + kColumnStep[k];
    reserveLarge(grid.z, grid.size());
    reserveLarge(grid.code, grid.size());
    constexpr float kRing = std::numeric_limits<float>::quiet_NaN();
    grid.z.insert(grid.z.end(), static_cast<std::size_t>(w) + 1, kRing);
    grid.code.insert(grid.code.end(), static_cast<std::size_t>(w) + 1, kNoDataCell);
    std::vector<std::uint8_t> rowCodes(static_cast<std::size_t>(model.width));
    for (int r = 0; r < model.height; ++r) {
        const float* heights = &model.z[model.index(0, r)];
        grid.z.insert(grid.z.end(), heights, heights + model.width);
        for (int c = 0; c < model.width; ++c) rowCodes[c] = std::isnan(heights[c]) ? kNoDataCell : kOpen;
        grid.code.insert(grid.code.end(), rowCodes.begin(), rowCodes.end());
        const std::size_t ring = r + 1 < model.height ? 2 : static_cast<std::size_t>(w) + 1;
        grid.z.insert(grid.z.end(), ring, kRing);
        grid.code.insert(grid.code.end(), ring, kNoDataCell);
    }
    return grid;
}

// Raises every depression to its spill height; the codes end as kDrainsOut for every data cell (a
// placeholder: directions come next).
//
// A cell's filled height is settled when the flood first reaches it. Cells reached from a cell below them
// keep their own height (a path runs down from them to where the flood has been), and so do the cells
// above those: the variant of Zhou, Sun and Fu (2016), "An efficient variant of the Priority-Flood
// algorithm for filling depressions in raster digital elevation models", Computers & Geosciences 90,
// 87-96, follows such slopes upward at once through a plain queue, neighbour after neighbour, and puts a
// slope cell into the priority queue only when it has a lower neighbour not yet reached (a depression may
// lie there, which the flood must take in the order of heights). The priority queue then holds the few
// cells where depressions may spill, not the whole front, and the slopes are walked where they lie in
// memory. The filled heights are those of the plain priority flood: they are the only ones without pits.
bool fillDepressions(FlowGrid& grid, const Tick& tick) {
    RadixHeap open;
    CellQueue pit, slope;
    // The seeds: the data cells beside the ring (the model's edge) or beside NoData inside.
    const auto seed = [&](std::size_t c) {
        if (grid.code[c] != kOpen) return;
        grid.code[c] = kDrainsOut;
        open.push(RadixHeap::keyOf(grid.z[c]), static_cast<std::uint32_t>(c));
    };
    const std::size_t w = static_cast<std::size_t>(grid.width), h = static_cast<std::size_t>(grid.height);
    for (std::size_t c = 1; c + 1 < w; ++c) {
        seed(w + c);
        seed((h - 2) * w + c);
    }
    for (std::size_t r = 1; r + 1 < h; ++r) {
        seed(r * w + 1);
        seed(r * w + w - 2);
    }
    for (std::size_t r = 1; r + 1 < h; ++r) {
        for (std::size_t c = r * w + 1; c < r * w + w - 1; ++c) {
            if (grid.code[c] != kNoDataCell) continue;
            for (const std::ptrdiff_t step : grid.offset) seed(c + static_cast<std::size_t>(step));
        }
    }
    std::size_t sinceTick = 0;
    const auto done = [&]() {
        return ++sinceTick != kTickCells || (sinceTick = 0, !tick || tick(kTickCells));
    };
    const std::ptrdiff_t row = grid.width;
    float level = 0;
    while (true) {
        std::size_t c = 0;
        if (!pit.empty()) {
            // Every cell waiting here stands at the level being flooded. The neighbourhood of a cell a few
            // places on in the queue is fetched ahead.
            c = pit.front();
            pit.pop_front();
            if (pit.size() > 8) {
                const std::size_t ahead = pit[8];
                for (const std::ptrdiff_t r : {-row, row}) {
                    __builtin_prefetch(&grid.code[ahead + static_cast<std::size_t>(r)]);
                    __builtin_prefetch(&grid.z[ahead + static_cast<std::size_t>(r)]);
                }
            }
        } else if (!open.empty()) {
            std::uint32_t key = 0;
            c = open.pop(key);
            level = RadixHeap::heightOf(key);
        } else {
            break;
        }
        // The cell stands at `level`: what is not above it is raised to it and flooded next, what is
        // above it is a slope.
        const Neighbourhood around(grid, c);
        for (int k = 0; k < 8; ++k) {
            if (around.code[k] != kOpen) continue;
            const std::size_t n = c + static_cast<std::size_t>(grid.offset[k]);
            grid.code[n] = kDrainsOut;
            if (around.z[k] <= level) {
                grid.z[n] = level;
                pit.push_back(static_cast<std::uint32_t>(n));
            } else {
                slope.push_back(static_cast<std::uint32_t>(n));
            }
        }
        if (!done()) return false;
        // Up the slopes: a cell with a lower neighbour not yet reached waits in the priority queue at its
        // own height; the others reach all their neighbours, none of which is below them.
        while (!slope.empty()) {
            const std::size_t t = slope.front();
            slope.pop_front();
            const float height = grid.z[t];
            const Neighbourhood up(grid, t);
            bool spills = false;
            for (int k = 0; k < 8; ++k) spills = spills || (up.code[k] == kOpen && up.z[k] < height);
            if (spills) {
                open.push(RadixHeap::keyOf(height), static_cast<std::uint32_t>(t));
                continue;
            }
            for (int k = 0; k < 8; ++k) {
                if (up.code[k] != kOpen) continue;
                const std::size_t n = t + static_cast<std::size_t>(grid.offset[k]);
                grid.code[n] = kDrainsOut;
                slope.push_back(static_cast<std::uint32_t>(n));
            }
            if (!done()) return false;
        }
    }
    return true;
}

}  // namespace detail

std::optional<FlowModel> prepareFlow(const ElevationModel& model, const Progress& progress) {
    FlowModel flow;
    flow.width = std::max(model.width, 0);
    flow.height = std::max(model.height, 0);
    const std::size_t cells = static_cast<std::size_t>(flow.width) * static_cast<std::size_t>(flow.height);
    if (model.z.size() != cells) return std::nullopt;
    if (cells == 0) return flow;
    // Cell numbers are 32-bit, the ring included.
    if (static_cast<double>(flow.width + 2) * (flow.height + 2) >= 4294967295.0) return std::nullopt;

    FlowGrid grid = detail::paddedGrid(model);
    StageProgress filling(progress, 0, kFillShare, cells);
    if (!detail::fillDepressions(grid, [&](std::size_t n) { return filling.advance(n); }))
        return std::nullopt;
    StageProgress directing(progress, kFillShare, kDirectShare, grid.size());
    if (!direct(grid, directing)) return std::nullopt;
    StageProgress flats(progress, kFillShare + kDirectShare, kFlatShare, grid.size());
    if (!detail::resolveFlats(grid, [&](std::size_t n) { return flats.advance(n); })) return std::nullopt;
    flow.direction = unpaddedCodes(grid, flow.width, flow.height);
    grid.z = std::vector<float>();  // the filled copy goes before the accumulation comes
    StageProgress accumulating(progress, 1 - kAccumulateShare, kAccumulateShare, cells);
    if (!accumulate(flow, accumulating)) return std::nullopt;
    return flow;
}

}  // namespace brelvo::terrain
