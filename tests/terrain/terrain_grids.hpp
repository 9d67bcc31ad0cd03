// Small generated elevation models for the terrain tests, and a ground of plain projected coordinates.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <utility>

#include "terrain/elevation_model.hpp"
#include "terrain/flow_model.hpp"

namespace brelvo::terrain::testing {

// A projected system's ground in the unit `unit` ("m", "ft", "US ft"); the delineation reads only its
// unit for such a system.
class FlatGround final : public measure::GroundModel {
  public:
    explicit FlatGround(std::string unit = "m") : unit_(std::move(unit)) {}
    std::optional<measure::LonLat> toGeographic(const measure::MapPoint&) const override { return {}; }
    std::optional<measure::LonLat> toWgs84(const measure::MapPoint&) const override { return {}; }
    double geodesicLength(const measure::LonLat&, const measure::LonLat&) const override { return 0; }
    double geodesicArea(const std::vector<measure::LonLat>&) const override { return 0; }
    std::string unitName() const override { return unit_; }

  private:
    std::string unit_;
};

// A model with its flow and its cells' geometry on a projected ground in metres, as delineation takes them.
struct Prepared {
    ElevationModel model;
    FlowModel flow;
    CellGeometry geometry;
};

inline Prepared prepare(ElevationModel model) {
    Prepared p;
    p.flow = prepareFlow(model, nullptr).value_or(FlowModel{});
    p.geometry = cellGeometry(model, FlatGround());
    p.model = std::move(model);
    return p;
}

// A model of `width` x `height` cells of `cell` metres, its upper-left corner at (500000, 4000000),
// height(column, row) for each cell.
inline ElevationModel makeModel(int width, int height, const std::function<float(int, int)>& heightAt,
                                double cell = 10) {
    ElevationModel model;
    model.width = width;
    model.height = height;
    model.unit = VerticalUnit::Metre;
    model.georef.geotransform = {500000, cell, 0, 4000000, 0, -cell};
    model.z.resize(static_cast<std::size_t>(width) * height);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) model.z[model.index(c, r)] = heightAt(c, r);
    }
    return model;
}

// A valley 21 cells wide and 30 long draining south down column 10, its sides 10 m per cell from the
// channel, falling 1 m per row; a ridge one cell in from the west, east and north edges (higher than
// anything inside) sends the ground beyond it off the model. The basin above the channel's cell in row
// r (2 to 27) is columns 2 to 18 of rows 2 to r.
inline float valley(int column, int row) {
    if (row == 0 || column == 0 || column == 20) return 0;
    if (row == 1) return 1000;
    const int across = std::abs(column - 10);
    if (across == 9) return static_cast<float>(95 + 29 - row);
    return static_cast<float>(10 * across + 29 - row);
}

// Deterministic pseudo-random heights (a linear congruential generator), about a valley floor.
inline ElevationModel roughTerrain(int width, int height, unsigned seed) {
    unsigned state = seed;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
    };
    return makeModel(width, height, [&](int c, int r) {
        return static_cast<float>(std::abs(c - width / 2) + 0.3 * (height - r)) + 6 * next();
    });
}

}  // namespace brelvo::terrain::testing
