// The working grid of the flow preparation: the filled heights and the D8 codes with a ring of NoData
// cells around the model, so that every cell has eight neighbours to look at without bounds checks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "terrain/elevation_model.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace brelvo::terrain::detail {

// Codes beside the D8 codes of flow_model.hpp, used only while the flow is prepared.
inline constexpr std::uint8_t kFlatCell = 10;  // no lower neighbour: on a flat, direction still to come
inline constexpr std::uint8_t kInFlat = 11;    // on the flat being resolved
inline constexpr std::uint8_t kOpen = 12;      // not yet reached by the flood

struct FlowGrid {
    int width = 0;                           // the model's width plus two
    int height = 0;                          // the model's height plus two
    std::vector<float> z;                    // filled heights, NaN for NoData and the ring
    std::vector<std::uint8_t> code;          // D8 codes and the codes above
    std::array<std::ptrdiff_t, 8> offset{};  // index steps to the eight neighbours, clockwise from east

    std::size_t size() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

// Makes room for `n` elements without touching the pages, asking the system for huge pages where it can:
// on the virtual machines measured, committing hundreds of MiB in 4 KiB pages costs more than the work
// done in them. Fill the vector after this.
template <class T>
void reserveLarge(std::vector<T>& v, std::size_t n) {
    v.reserve(n);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
    const auto begin = reinterpret_cast<std::uintptr_t>(v.data());
    const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t last = (begin + n * sizeof(T)) & ~(kHuge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

// A first-in first-out queue of cell numbers on one ring of memory that doubles when full: its memory is
// that of the most cells waiting at once, and nothing is allocated or freed while it stays within that
// (a double-ended queue of the standard library takes and frees a block every few hundred cells).
class CellQueue {
  public:
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    std::uint32_t front() const { return ring_[head_]; }
    // The cell `i` places behind the front one; `i` below size().
    std::uint32_t operator[](std::size_t i) const { return ring_[(head_ + i) & (ring_.size() - 1)]; }
    void push_back(std::uint32_t cell) {
        if (size_ == ring_.size()) grow();
        ring_[(head_ + size_) & (ring_.size() - 1)] = cell;
        ++size_;
    }
    void pop_front() {
        head_ = (head_ + 1) & (ring_.size() - 1);
        --size_;
    }

  private:
    void grow() {
        std::vector<std::uint32_t> bigger(ring_.empty() ? 1024 : 2 * ring_.size());
        for (std::size_t i = 0; i < size_; ++i) bigger[i] = (*this)[i];
        ring_.swap(bigger);
        head_ = 0;
    }
    std::vector<std::uint32_t> ring_;  // a power of two long
    std::size_t head_ = 0, size_ = 0;
};

// Called with the number of cells done since the last call; false cancels.
using Tick = std::function<bool(std::size_t cells)>;

// The model's heights with a ring of NoData around them, every data cell coded kOpen, NoData
// kNoDataCell.
FlowGrid paddedGrid(const ElevationModel& model);

// Raises every depression of a padded grid to its spill height (see flow_model.cpp); every data cell
// ends coded kDrainsOut, a placeholder for its direction. False when `tick` cancels.
bool fillDepressions(FlowGrid& grid, const Tick& tick);

// Gives every cell coded kFlatCell a direction over its flat toward the flat's lower edge (see
// flat_resolution.cpp); false when `tick` cancels.
bool resolveFlats(FlowGrid& grid, const Tick& tick);

}  // namespace brelvo::terrain::detail
