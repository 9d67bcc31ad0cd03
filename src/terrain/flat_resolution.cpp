// Drainage over flats: the gradient away from higher terrain combined with the gradient towards lower
// terrain, after Barnes, Lehman and Mulla (2014), "An efficient assignment of drainage direction over
// flat surfaces in raster digital elevation models", Computers & Geosciences 62, 128-135.
//
// The paper labels every flat and keeps two whole-model integer arrays (labels and the flat mask). Here
// one flat is resolved at a time and nothing of the model's size is added: the flat's cells are told
// apart by their codes (the stage a cell has reached), and while the flat is being resolved each cell's
// filled height, the same for the whole flat, lends its four bytes to the cell's mask value; the height
// is put back when the flat is done. Every pass over the flat is breadth first from one of its cells
// through a first-in first-out queue that frees as it goes, so the memory is that of the flat's front
// and its edges, not of its area (a filled lake can be a large part of a model).
#include <cstring>

#include "terrain/flow_grid.hpp"
#include "terrain/flow_model.hpp"

namespace brelvo::terrain::detail {

namespace {

// Stages of the flat being resolved (after kInFlat: collected, its distances from the higher edge).
constexpr std::uint8_t kReached = 13;   // its combined mask is set
constexpr std::uint8_t kQueued = 14;    // waiting for its direction
constexpr std::uint8_t kDirected = 15;  // direction chosen, kept in the upper four bits

std::int32_t maskOf(const FlowGrid& grid, std::size_t cell) {
    std::int32_t value = 0;
    std::memcpy(&value, &grid.z[cell], sizeof value);
    return value;
}

void setMask(FlowGrid& grid, std::size_t cell, std::int32_t value) {
    std::memcpy(&grid.z[cell], &value, sizeof value);
}

struct FlatWork {
    CellQueue queue;
    std::vector<std::uint32_t> highEdge, lowEdge;
};

std::size_t neighbour(const FlowGrid& grid, std::size_t c, int k) {
    return c + static_cast<std::size_t>(grid.offset[static_cast<std::size_t>(k)]);
}

// Breadth first from `seeds`, layer by layer, into neighbours coded `from`: each is coded `to` and
// given visit(cell, layer), the seeds being layer `firstLayer`. Returns the last layer reached.
template <class Visit>
int spread(FlowGrid& grid, CellQueue& queue, const std::vector<std::uint32_t>& seeds, std::uint8_t from,
           std::uint8_t to, int firstLayer, const Visit& visit) {
    for (const std::uint32_t s : seeds) {
        grid.code[s] = to;
        visit(s, firstLayer);
        queue.push_back(s);
    }
    int layer = firstLayer;
    while (!queue.empty()) {
        for (std::size_t i = queue.size(); i > 0; --i) {
            const std::size_t c = queue.front();
            queue.pop_front();
            for (int k = 0; k < 8; ++k) {
                const std::size_t n = neighbour(grid, c, k);
                if (grid.code[n] != from) continue;
                grid.code[n] = to;
                visit(n, layer + 1);
                queue.push_back(static_cast<std::uint32_t>(n));
            }
        }
        if (!queue.empty()) ++layer;
    }
    return layer;
}

// One flat, from one of its cells: every cell gets its direction code.
void resolveFlat(FlowGrid& grid, std::size_t first, FlatWork& work) {
    const float level = grid.z[first];
    auto& queue = work.queue;
    // Collect: a cell beside higher ground is a high edge; a cell beside a cell of the same height that
    // already drains (a low edge of the paper) is where the gradient towards lower terrain starts.
    // Neighbours off the flat are never lower (a flat cell has no lower neighbour) nor NoData (that cell
    // would drain out). The masks start at 0.
    work.highEdge.clear();
    work.lowEdge.clear();
    grid.code[first] = kInFlat;
    queue.push_back(static_cast<std::uint32_t>(first));
    while (!queue.empty()) {
        const std::size_t c = queue.front();
        queue.pop_front();
        bool high = false, low = false;
        for (int k = 0; k < 8; ++k) {
            const std::size_t n = neighbour(grid, c, k);
            if (grid.code[n] == kFlatCell) {
                grid.code[n] = kInFlat;
                queue.push_back(static_cast<std::uint32_t>(n));
            } else if (grid.code[n] != kInFlat) {
                high = high || grid.z[n] > level;
                low = low || grid.z[n] == level;
            }
        }
        if (high) work.highEdge.push_back(static_cast<std::uint32_t>(c));
        if (low) work.lowEdge.push_back(static_cast<std::uint32_t>(c));
        setMask(grid, c, 0);
    }
    // A flat that no filled model has (no low edge) drains out rather than being left without directions.
    if (work.lowEdge.empty()) {
        spread(grid, queue, {static_cast<std::uint32_t>(first)}, kInFlat, kDrainsOut, 0,
               [&](std::size_t c, int) { grid.z[c] = level; });
        return;
    }
    // Away from higher terrain: the breadth-first step from the high edges, 1 on the edges themselves.
    // The cells stay kInFlat, told apart by a mask above 0.
    std::int32_t highest = 0;
    if (!work.highEdge.empty()) {
        for (const std::uint32_t s : work.highEdge) {
            setMask(grid, s, 1);
            queue.push_back(s);
        }
        for (std::int32_t layer = 1; !queue.empty(); ++layer) {
            highest = layer;
            for (std::size_t i = queue.size(); i > 0; --i) {
                const std::size_t c = queue.front();
                queue.pop_front();
                for (int k = 0; k < 8; ++k) {
                    const std::size_t n = neighbour(grid, c, k);
                    if (grid.code[n] != kInFlat || maskOf(grid, n) != 0) continue;
                    setMask(grid, n, layer + 1);
                    queue.push_back(static_cast<std::uint32_t>(n));
                }
            }
        }
    }
    // Towards lower terrain, combined: a cell t steps from the low edges (the low edges being step 1)
    // gets 2 t + (highest - away), away being 0 where the flat has no high edge.
    spread(grid, queue, work.lowEdge, kInFlat, kReached, 2, [&](std::size_t c, int t) {
        const std::int32_t away = maskOf(grid, c);
        setMask(grid, c, 2 * t + (away > 0 ? highest - away : 0));
    });
    // Each cell drains to the neighbour of least mask below its own (a low edge counting as 2, its step
    // 1), the first in the fixed neighbour order on a tie. The choice waits in the code's upper bits
    // until every cell has chosen, the masks being read meanwhile.
    grid.code[first] = kQueued;
    queue.push_back(static_cast<std::uint32_t>(first));
    while (!queue.empty()) {
        const std::size_t c = queue.front();
        queue.pop_front();
        std::int32_t best = maskOf(grid, c);
        int direction = kDrainsOut;
        for (int k = 0; k < 8; ++k) {
            const std::size_t n = neighbour(grid, c, k);
            const int stage = grid.code[n] & 15;
            std::int32_t m = 2;
            if (stage == kReached || stage == kQueued || stage == kDirected) {
                m = maskOf(grid, n);
                if (stage == kReached) {
                    grid.code[n] = kQueued;
                    queue.push_back(static_cast<std::uint32_t>(n));
                }
            } else if (grid.z[n] != level) {
                continue;
            }
            if (m < best) {
                best = m;
                direction = k;
            }
        }
        grid.code[c] = static_cast<std::uint8_t>(direction << 4 | kDirected);
    }
    // The codes and the height back.
    const auto restore = [&](std::size_t c) {
        grid.code[c] = static_cast<std::uint8_t>(grid.code[c] >> 4);
        grid.z[c] = level;
        queue.push_back(static_cast<std::uint32_t>(c));
    };
    restore(first);
    while (!queue.empty()) {
        const std::size_t c = queue.front();
        queue.pop_front();
        for (int k = 0; k < 8; ++k) {
            const std::size_t n = neighbour(grid, c, k);
            if ((grid.code[n] & 15) == kDirected) restore(n);
        }
    }
}

}  // namespace

bool resolveFlats(FlowGrid& grid, const Tick& tick) {
    FlatWork work;
    const std::size_t total = grid.size();
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    for (std::size_t start = 0; start < total; start += kChunk) {
        const std::size_t end = std::min(total, start + kChunk);
        for (std::size_t c = start; c < end; ++c) {
            if (grid.code[c] == kFlatCell) resolveFlat(grid, c, work);
        }
        if (tick && !tick(end - start)) return false;
    }
    return true;
}

}  // namespace brelvo::terrain::detail
