// Delineation on generated models: the valley's basin cell by cell, snapping to the channel, NoData and
// the model's edge, the longest flow path, and the stream overlay.
#include "terrain/delineation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain::testing {
namespace {

using measure::MapPoint;

struct Prepared {
    ElevationModel model;
    FlowModel flow;
    CellGeometry geometry;
};

Prepared prepare(ElevationModel model) {
    Prepared p;
    p.flow = prepareFlow(model, nullptr).value_or(FlowModel{});
    p.geometry = cellGeometry(model, FlatGround());
    p.model = std::move(model);
    return p;
}

Delineation delineated(const Prepared& p, Cell click, int search) {
    const auto d = delineate(p.model, p.flow, p.geometry, click, search);
    EXPECT_TRUE(d);
    return d.value_or(Delineation{});
}

// The valley's basin above (10, 27): columns 2 to 18 of rows 2 to 27, 442 cells of 100 m², a rectangle
// on the cells' edges; its longest path runs from (2, 2) (first in row order of the two farthest cells)
// east along row 2 and down the channel, 8 + 25 steps of 10 m.
TEST(Delineation, ValleyBasinCellByCell) {
    const Prepared p = prepare(makeModel(21, 30, valley));
    const Delineation d = delineated(p, {10, 27}, 0);
    EXPECT_EQ(d.outlet, (Cell{10, 27}));
    EXPECT_EQ(d.cells, 442u);
    EXPECT_DOUBLE_EQ(d.areaM2, 44200);
    EXPECT_FALSE(d.cutOff);
    const std::vector<MapPoint> ring{
        {500020, 3999980}, {500190, 3999980}, {500190, 3999720}, {500020, 3999720}};
    EXPECT_EQ(d.boundary, ring);
    EXPECT_DOUBLE_EQ(d.longestPathM, 330);
    ASSERT_EQ(d.longestPath.size(), 34u);
    EXPECT_EQ(d.longestPath.front(), (MapPoint{500025, 3999975}));
    EXPECT_EQ(d.longestPath[8], (MapPoint{500105, 3999975}));
    EXPECT_EQ(d.longestPath.back(), (MapPoint{500105, 3999725}));
    EXPECT_FLOAT_EQ(d.headElevation, 107);
    EXPECT_FLOAT_EQ(d.outletElevation, 2);
}

// A click three cells beside the channel snaps to the largest accumulation within five cells, the
// channel's cell five rows down, exactly as a click on the channel does; without the search it takes
// the side cell's own little basin (itself and the five cells east of it).
TEST(Delineation, ClickBesideTheChannelSnapsToIt) {
    const Prepared p = prepare(makeModel(21, 30, valley));
    const Delineation beside = delineated(p, {13, 20}, kDefaultSnapCells);
    const Delineation on = delineated(p, {10, 20}, kDefaultSnapCells);
    EXPECT_EQ(beside.outlet, (Cell{10, 25}));
    EXPECT_EQ(beside.clicked, (Cell{13, 20}));
    EXPECT_EQ(beside.cells, 17u * 24u);
    EXPECT_EQ(beside.cells, on.cells);
    EXPECT_EQ(beside.boundary, on.boundary);
    EXPECT_EQ(beside.longestPath, on.longestPath);
    EXPECT_EQ(delineated(p, {13, 20}, 0).cells, 6u);
    EXPECT_EQ(snapOutlet(p.flow, {13, 20}, 2), (Cell{11, 20}));  // no channel within two: nearest of the best
}

TEST(Delineation, NoDataAndTheModelsEdge) {
    ElevationModel model = makeModel(21, 30, valley);
    model.z[model.index(5, 10)] = std::numeric_limits<float>::quiet_NaN();
    const Prepared p = prepare(std::move(model));
    // The hole's upstream neighbours go round it; the basin loses the one cell and is cut off.
    const Delineation holed = delineated(p, {10, 27}, 0);
    EXPECT_EQ(holed.cells, 441u);
    EXPECT_DOUBLE_EQ(holed.areaM2, 44100);
    EXPECT_TRUE(holed.cutOff);
    // A click on NoData, or outside the model, gives nothing even with cells to snap to nearby.
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {5, 10}, kDefaultSnapCells));
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {-1, 10}, kDefaultSnapCells));
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {21, 10}, kDefaultSnapCells));
    // The channel's last cell on the south edge: the whole valley, cut off by the edge.
    const Prepared whole = prepare(makeModel(21, 30, valley));
    const Delineation edge = delineated(whole, {10, 29}, 0);
    EXPECT_EQ(edge.cells, 17u * 28u);
    EXPECT_TRUE(edge.cutOff);
    EXPECT_FALSE(delineated(whole, {10, 27}, 0).cutOff);
}

// A plane falling toward its north-west corner: each cell flows diagonally (drop 2 over sqrt 2 beats 1
// over 1) until it reaches the north or west edge, then along it. The longest path starts at the
// south-east corner, 11 diagonal steps then 18 west, 11 sqrt(200) + 180 m; the true distance down the
// plane from there, along the gradient then the edge, is the same within a cell.
TEST(Delineation, LongestFlowPathDownAPlane) {
    const Prepared p = prepare(makeModel(30, 12, [](int c, int r) { return static_cast<float>(c + r); }));
    const Delineation d = delineated(p, {0, 0}, 0);
    EXPECT_EQ(d.cells, 360u);
    EXPECT_TRUE(d.cutOff);
    const double expected = 11 * std::sqrt(200.0) + 180;
    EXPECT_NEAR(d.longestPathM, expected, 1e-9);
    ASSERT_EQ(d.longestPath.size(), 30u);
    EXPECT_EQ(d.longestPath.front(), (MapPoint{500295, 3999885}));
    EXPECT_EQ(d.longestPath[11], (MapPoint{500185, 3999995}));
    EXPECT_EQ(d.longestPath.back(), (MapPoint{500005, 3999995}));
    EXPECT_FLOAT_EQ(d.headElevation, 40);
    EXPECT_FLOAT_EQ(d.outletElevation, 0);
    // The boundary: the model's own outline.
    const std::vector<MapPoint> ring{
        {500000, 4000000}, {500300, 4000000}, {500300, 3999880}, {500000, 3999880}};
    EXPECT_EQ(d.boundary, ring);
}

// Cells touching only at a corner stay in one ring, the shared corners visited twice: three cells on a
// diagonal among NoData, each draining to the next.
TEST(Delineation, DiagonalNeighboursShareOneRing) {
    const Prepared p = prepare(makeModel(5, 5, [](int c, int r) {
        return c == r && c >= 1 && c <= 3 ? static_cast<float>(4 - c)
                                          : std::numeric_limits<float>::quiet_NaN();
    }));
    const Delineation d = delineated(p, {3, 3}, 0);
    EXPECT_EQ(d.cells, 3u);
    EXPECT_TRUE(d.cutOff);
    const auto corner = [](double x, double y) { return MapPoint{500000 + 10 * x, 4000000 - 10 * y}; };
    const std::vector<MapPoint> ring{corner(1, 1), corner(2, 1), corner(2, 2), corner(3, 2),
                                     corner(3, 3), corner(4, 3), corner(4, 4), corner(3, 4),
                                     corner(3, 3), corner(2, 3), corner(2, 2), corner(1, 2)};
    EXPECT_EQ(d.boundary, ring);
    EXPECT_DOUBLE_EQ(d.longestPathM, 2 * std::sqrt(200.0));
    EXPECT_FLOAT_EQ(d.headElevation, 3);
}

// The stream overlay: the channel carries 17 cells per row from row 2, so a threshold of 85 marks it
// from row 6 down to the south edge, 24 cells, nothing else.
TEST(Delineation, StreamCellsAboveTheThreshold) {
    const Prepared p = prepare(makeModel(21, 30, valley));
    const std::vector<std::uint8_t> stream = streamCells(p.flow, 85);
    ASSERT_EQ(stream.size(), 630u);
    std::size_t marked = 0;
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 21; ++c) {
            if (stream[p.model.index(c, r)] == 0) continue;
            ++marked;
            EXPECT_EQ(c, 10);
            EXPECT_GE(r, 6);
        }
    }
    EXPECT_EQ(marked, 24u);
    EXPECT_EQ(std::count(stream.begin(), stream.end(), 1), 24);
}

}  // namespace
}  // namespace brelvo::terrain::testing
