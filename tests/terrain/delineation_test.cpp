// Delineation on generated models: the valley's basin cell by cell, snapping to the channel, NoData and
// the model's edge, the longest flow path, and the stream overlay.
#include "terrain/delineation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain::testing {
namespace {

using measure::MapPoint;

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
    EXPECT_EQ(holed.voidCells, 1u);
    EXPECT_EQ(holed.edgeCells, 0u);
    EXPECT_EQ(holed.enclosedCells, 1u);
    // A click on NoData, or outside the model, gives nothing even with cells to snap to nearby.
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {5, 10}, kDefaultSnapCells));
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {-1, 10}, kDefaultSnapCells));
    EXPECT_FALSE(delineate(p.model, p.flow, p.geometry, {21, 10}, kDefaultSnapCells));
    // The channel's last cell on the south edge: the whole valley, cut off by the edge.
    const Prepared whole = prepare(makeModel(21, 30, valley));
    const Delineation edge = delineated(whole, {10, 29}, 0);
    EXPECT_EQ(edge.cells, 17u * 28u);
    EXPECT_TRUE(edge.cutOff);
    EXPECT_EQ(edge.edgeCells, 16u);  // row 29 but the outlet
    EXPECT_EQ(edge.voidCells, 0u);
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
    EXPECT_EQ(d.edgeCells, 2u);  // the NoData round them joins the model's edge
    EXPECT_EQ(d.voidCells, 0u);
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

// A 3 x 3 hole on the valley's channel (columns 9 to 11, rows 10 to 12). Below it the channel falls on,
// and the basin above (10, 27) holds the rows below the hole, the cells under it beside it: cut off by the
// void's nine cells. With a sill across the channel two rows below the hole (10, 14 raised to 20 m), the
// channel's cell under the hole has no lower neighbour and drains into the hole with the whole row, and
// no basin cell touches the hole: the cell that drains into it borders the basin.
TEST(Delineation, HoleOnTheRiverCutsOffTheBasinBelow) {
    ElevationModel model = makeModel(21, 30, valley);
    for (int r = 10; r <= 12; ++r) {
        for (int c = 9; c <= 11; ++c) model.z[model.index(c, r)] = std::numeric_limits<float>::quiet_NaN();
    }
    const Prepared holed = prepare(model);
    const Delineation below = delineated(holed, {10, 27}, 0);
    EXPECT_EQ(below.cells, 17u * 15u + 28u);  // rows 13 to 27, and 11 and 12 beside the hole
    EXPECT_TRUE(below.cutOff);
    EXPECT_EQ(below.voidCells, 9u);
    EXPECT_EQ(below.edgeCells, 0u);
    EXPECT_EQ(below.enclosedCells, 0u);

    model.z[model.index(10, 14)] = 20;
    const Prepared sill = prepare(std::move(model));
    EXPECT_EQ(sill.flow.direction[sill.model.index(10, 13)], kDrainsOut);
    const Delineation beyond = delineated(sill, {10, 27}, 0);
    EXPECT_EQ(beyond.cells, 17u * 14u);  // rows 14 to 27
    EXPECT_TRUE(beyond.cutOff);
    EXPECT_EQ(beyond.voidCells, 9u);
    EXPECT_EQ(beyond.edgeCells, 0u);
    // The basin of the cell that drains into the hole is not cut off by the hole it drains into, but by
    // the cells above beside it.
    const Delineation rim = delineated(sill, {10, 13}, 0);
    EXPECT_EQ(rim.cells, 17u + 28u);
    EXPECT_EQ(rim.voidCells, 9u);
}

// An outlet on the model's edge, where its water leaves, with no other basin cell there: not cut off. A
// slope falling west (each row on its own down to column 0, the last column a little lower, draining off
// the east edge) and one falling north likewise; the longest path runs straight along the row or the
// column. An outlet on the edge that drains into the model is cut off: ground beyond may drain to it.
// The valley with its last row changed so that the cells beside the channel's end drain away from it: a
// whole basin.
TEST(Delineation, OutletAloneOnTheEdgeIsNotCutOff) {
    const auto slope = [](int along, int last) { return along - (along == last ? 1.5f : 0.0f); };
    const Prepared west = prepare(makeModel(6, 3, [&](int c, int) { return slope(c, 5); }));
    const Delineation row = delineated(west, {0, 1}, 0);
    EXPECT_EQ(row.cells, 5u);
    EXPECT_FALSE(row.cutOff);
    EXPECT_EQ(row.edgeCells, 0u);
    const std::vector<MapPoint> rowRing{
        {500000, 3999990}, {500050, 3999990}, {500050, 3999980}, {500000, 3999980}};
    EXPECT_EQ(row.boundary, rowRing);
    ASSERT_EQ(row.longestPath.size(), 5u);
    EXPECT_EQ(row.longestPath.front(), (MapPoint{500045, 3999985}));
    EXPECT_EQ(row.longestPath.back(), (MapPoint{500005, 3999985}));
    EXPECT_DOUBLE_EQ(row.longestPathM, 40);

    const Prepared north = prepare(makeModel(3, 5, [&](int, int r) { return slope(r, 4); }));
    const Delineation column = delineated(north, {1, 0}, 0);
    EXPECT_EQ(column.cells, 4u);
    EXPECT_FALSE(column.cutOff);
    ASSERT_EQ(column.longestPath.size(), 4u);
    EXPECT_EQ(column.longestPath.front(), (MapPoint{500015, 3999965}));
    EXPECT_DOUBLE_EQ(column.longestPathM, 30);
    EXPECT_EQ(column.boundary.size(), 4u);

    const Prepared inward = prepare(makeModel(6, 3, [](int c, int) { return static_cast<float>(c); }));
    const Delineation east = delineated(inward, {5, 1}, 0);
    EXPECT_EQ(east.cells, 1u);
    EXPECT_TRUE(east.cutOff);
    EXPECT_EQ(east.edgeCells, 1u);

    const Prepared valleyEnd = prepare(makeModel(21, 30, [](int c, int r) {
        if (r < 29 || c == 10) return valley(c, r);
        return c == 9 || c == 11 ? 5.0f : -10.0f;
    }));
    const Delineation end = delineated(valleyEnd, {10, 29}, 0);
    EXPECT_EQ(end.cells, 17u * 26u + 2u);  // rows 2 to 27, the channel's last two cells
    EXPECT_FALSE(end.cutOff);
}

// A catchment of one cell: the valley's basin corner, higher than every neighbour that could drain to it.
TEST(Delineation, OneCellCatchment) {
    const Prepared p = prepare(makeModel(21, 30, valley));
    const Delineation d = delineated(p, {2, 2}, 0);
    EXPECT_EQ(d.cells, 1u);
    EXPECT_DOUBLE_EQ(d.areaM2, 100);
    const std::vector<MapPoint> ring{
        {500020, 3999980}, {500030, 3999980}, {500030, 3999970}, {500020, 3999970}};
    EXPECT_EQ(d.boundary, ring);
    EXPECT_EQ(d.longestPath, (std::vector<MapPoint>{{500025, 3999975}}));
    EXPECT_DOUBLE_EQ(d.longestPathM, 0);
    EXPECT_FLOAT_EQ(d.headElevation, 107);
    EXPECT_FLOAT_EQ(d.outletElevation, 107);
}

// A bowl on the channel: rows 18 to 20 dug down to 210, 200 and 195 m in a channel falling from 251 m by
// 1 m a row; the lowest rim is the channel's next cell, 230 m. Water leaves the filled bowl at 230 m,
// which is the outlet's elevation; the ground there is 195 m. The head lies on the rim of the valley,
// where the two agree.
TEST(Delineation, ElevationsOnTheFilledSurface) {
    const Prepared p = prepare(makeModel(21, 30, [](int c, int r) {
        if (c == 10 && r >= 18 && r <= 20) return std::array<float, 3>{210, 200, 195}[r - 18];
        return valley(c, r) + (r >= 2 && c >= 1 && c <= 19 ? 222.0f : 0.0f);
    }));
    for (const Cell outlet : {Cell{10, 20}, Cell{10, 19}}) {
        const Delineation d = delineated(p, outlet, 0);
        EXPECT_FLOAT_EQ(d.outletElevation, 230);
        EXPECT_FLOAT_EQ(d.headElevation, 329);
        EXPECT_FLOAT_EQ(d.headGroundElevation, 329);
    }
    EXPECT_FLOAT_EQ(delineated(p, {10, 20}, 0).outletGroundElevation, 195);
    EXPECT_FLOAT_EQ(delineated(p, {10, 19}, 0).outletGroundElevation, 200);
    EXPECT_FLOAT_EQ(conditionedElevation(p.model, p.flow, {10, 18}), 230);
    EXPECT_FLOAT_EQ(delineated(p, {10, 21}, 0).outletElevation, 230);
}

// Heights beyond 12,000 m either way, or not finite, become NoData; the bound is in the model's unit.
TEST(ElevationModel, AbsurdHeightsAreNoData) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> z{12000, -12000, 12000.001f, -12001, inf, -inf, 39370, 8848, std::nanf("")};
    ElevationModel model = makeModel(9, 1, [&](int c, int) { return z[static_cast<std::size_t>(c)]; });
    EXPECT_EQ(clearAbsurdHeights(model), 5u);
    EXPECT_EQ(std::count_if(model.z.begin(), model.z.end(), [](float v) { return std::isnan(v); }), 6);
    EXPECT_EQ(model.z[0], 12000);
    EXPECT_EQ(model.z[7], 8848);
    model = makeModel(9, 1, [&](int c, int) { return z[static_cast<std::size_t>(c)]; });
    model.unit = VerticalUnit::Foot;
    EXPECT_EQ(clearAbsurdHeights(model), 2u);  // 39,370 ft is 11,999.98 m
    model.unit = VerticalUnit::Unknown;
    EXPECT_TRUE(plausibleHeight(39370, VerticalUnit::Unknown));
    EXPECT_FALSE(plausibleHeight(39371, VerticalUnit::Unknown));
    EXPECT_FALSE(plausibleHeight(12001, VerticalUnit::Metre));
}

}  // namespace
}  // namespace brelvo::terrain::testing
