// Where a basin may lack water the model loses: the ground beyond the model's edge and the voids of
// NoData inside it (see delineation_inflow.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "terrain/delineation.hpp"

namespace brelvo::terrain::detail {

struct Inflow {
    std::size_t edgeCells = 0;
    std::size_t voidCells = 0;
};

// The connected regions of NoData (eight-connected) met, each told as joined to the model's edge
// (outside the model) or enclosed by data (a void, its cells counted).
class NoDataRegions {
  public:
    explicit NoDataRegions(const FlowModel& flow) : flow_(flow) {}
    // The region of the NoData cell `index`.
    std::uint32_t regionOf(std::size_t index);
    bool outside(std::uint32_t region) const { return regions_[region].outside; }
    std::size_t cells(std::uint32_t region) const { return regions_[region].cells; }

  private:
    struct Region {
        bool outside = false;
        std::size_t cells = 0;
    };
    const FlowModel& flow_;
    std::unordered_map<std::size_t, std::uint32_t> regionOf_;
    std::vector<Region> regions_;
};

// Takes a basin's cells one by one (each once, the outlet among them), then tells its edge and void
// cells.
class InflowCheck {
  public:
    InflowCheck(const FlowModel& flow, Cell outlet);
    void add(Cell cell);
    Inflow finish();

  private:
    const FlowModel& flow_;
    Cell outlet_;
    bool outletDrainsOut_ = false;
    std::size_t onEdge_ = 0;                 // basin cells on the model's edge
    std::vector<std::size_t> besideNoData_;  // basin cells beside NoData, with a flag: bit 0, on the edge
    std::vector<std::size_t> captured_;      // NoData cells beside cells bordering the basin that drain out
};

}  // namespace brelvo::terrain::detail
