// Drainage over flats: the gradient away from higher terrain combined with the gradient towards lower
// terrain, after Barnes, Lehman and Mulla (2014), "An efficient assignment of drainage direction over
// flat surfaces in raster digital elevation models", Computers & Geosciences 62, 128-135.
//
// The paper labels every flat and keeps two whole-model integer arrays (labels and the flat mask). Here
// one flat is resolved at a time: its cells are coded kInFlat (which is its label), and while it is
// being resolved each cell's filled height, the same for the whole flat, lends its four bytes to the
// cell's mask value; the height is put back when the flat is done. So the extra memory is two lists of
// the largest flat's size, never a whole-model array.
#include <cstring>
#include <limits>

#include "terrain/flow_grid.hpp"
#include "terrain/flow_model.hpp"

namespace brelvo::terrain::detail {

namespace {

std::int32_t maskOf(const FlowGrid& grid, std::size_t cell) {
    std::int32_t value = 0;
    std::memcpy(&value, &grid.z[cell], sizeof value);
    return value;
}

void setMask(FlowGrid& grid, std::size_t cell, std::int32_t value) {
    std::memcpy(&grid.z[cell], &value, sizeof value);
}

// One flat, from one of its cells: collects the cells (breadth first, eight neighbours), resolves them
// and codes each with its direction. `cells` and `queue` are reused from flat to flat.
void resolveFlat(FlowGrid& grid, std::size_t first, std::vector<std::uint32_t>& cells,
                 std::vector<std::uint32_t>& queue) {
    const float level = grid.z[first];
    cells.clear();
    cells.push_back(static_cast<std::uint32_t>(first));
    grid.code[first] = kInFlat;
    for (std::size_t head = 0; head < cells.size(); ++head) {
        const std::size_t c = cells[head];
        for (const std::ptrdiff_t step : grid.offset) {
            const std::size_t n = c + static_cast<std::size_t>(step);
            if (grid.code[n] != kFlatCell) continue;
            grid.code[n] = kInFlat;
            cells.push_back(static_cast<std::uint32_t>(n));
        }
    }
    // The edges: a cell beside higher ground is a high edge; a cell beside a cell of the same height that
    // already drains (a low edge of the paper) starts the gradient towards lower terrain. Neighbours off
    // the flat are never lower (a flat cell has no lower neighbour) nor NoData (that cell would drain out).
    queue.clear();
    std::size_t lowSeeds = 0;
    for (const std::uint32_t c : cells) {
        for (const std::ptrdiff_t step : grid.offset) {
            const std::size_t n = c + static_cast<std::size_t>(step);
            if (grid.code[n] != kInFlat && grid.z[n] > level) {
                queue.push_back(c);
                break;
            }
        }
    }
    for (const std::uint32_t c : cells) setMask(grid, c, 0);
    // Away from higher terrain: breadth-first distance from the high edges, 1 on the edges themselves.
    std::int32_t highest = 0;
    for (const std::uint32_t c : queue) setMask(grid, c, 1);
    for (std::size_t begin = 0, loops = 1; begin < queue.size(); ++loops) {
        const std::size_t end = queue.size();
        highest = static_cast<std::int32_t>(loops);
        for (std::size_t k = begin; k < end; ++k) {
            for (const std::ptrdiff_t step : grid.offset) {
                const std::size_t n = queue[k] + static_cast<std::size_t>(step);
                if (grid.code[n] != kInFlat || maskOf(grid, n) != 0) continue;
                setMask(grid, n, static_cast<std::int32_t>(loops + 1));
                queue.push_back(static_cast<std::uint32_t>(n));
            }
        }
        begin = end;
    }
    // Towards lower terrain, combined: a cell t steps from the low edges (the low edges being step 1)
    // gets 2 t + (highest - away), away being 0 where the flat has no high edge. Until a cell is reached
    // its mask holds -(away + 1), negative.
    for (const std::uint32_t c : cells) setMask(grid, c, -(maskOf(grid, c) + 1));
    queue.clear();
    const auto combined = [&](std::size_t c, std::int32_t t) {
        const std::int32_t away = -maskOf(grid, c) - 1;
        return 2 * t + (away > 0 ? highest - away : 0);
    };
    for (const std::uint32_t c : cells) {
        for (const std::ptrdiff_t step : grid.offset) {
            const std::size_t n = c + static_cast<std::size_t>(step);
            if (grid.code[n] != kInFlat && grid.z[n] == level) {
                setMask(grid, c, combined(c, 2));
                queue.push_back(c);
                ++lowSeeds;
                break;
            }
        }
    }
    for (std::size_t begin = 0, t = 3; begin < queue.size(); ++t) {
        const std::size_t end = queue.size();
        for (std::size_t k = begin; k < end; ++k) {
            for (const std::ptrdiff_t step : grid.offset) {
                const std::size_t n = queue[k] + static_cast<std::size_t>(step);
                if (grid.code[n] != kInFlat || maskOf(grid, n) >= 0) continue;
                setMask(grid, n, combined(n, static_cast<std::int32_t>(t)));
                queue.push_back(static_cast<std::uint32_t>(n));
            }
        }
        begin = end;
    }
    // Each cell drains to the neighbour of least mask below its own (a low edge counting as 2, its
    // step 1), the first in the fixed neighbour order on a tie. A flat that no filled model has (no low
    // edge) drains out rather than being left without directions.
    queue.resize(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t c = cells[i];
        if (lowSeeds == 0) {
            queue[i] = kDrainsOut;
            continue;
        }
        std::int32_t best = maskOf(grid, c);
        std::uint32_t direction = kDrainsOut;
        for (std::uint32_t k = 0; k < 8; ++k) {
            const std::size_t n = c + static_cast<std::size_t>(grid.offset[k]);
            std::int32_t m = 0;
            if (grid.code[n] == kInFlat) {
                m = maskOf(grid, n);
            } else if (grid.z[n] == level) {
                m = 2;
            } else {
                continue;
            }
            if (m < best) {
                best = m;
                direction = k;
            }
        }
        queue[i] = direction;
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        grid.code[cells[i]] = static_cast<std::uint8_t>(queue[i]);
        grid.z[cells[i]] = level;
    }
}

}  // namespace

bool resolveFlats(FlowGrid& grid, const Tick& tick) {
    std::vector<std::uint32_t> cells, queue;
    const std::size_t total = grid.size();
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    for (std::size_t start = 0; start < total; start += kChunk) {
        const std::size_t end = std::min(total, start + kChunk);
        for (std::size_t c = start; c < end; ++c) {
            if (grid.code[c] == kFlatCell) resolveFlat(grid, c, cells, queue);
        }
        if (tick && !tick(end - start)) return false;
    }
    return true;
}

}  // namespace brelvo::terrain::detail
