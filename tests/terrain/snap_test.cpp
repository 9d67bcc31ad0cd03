// The outlet's snap to the stream network: the nearest stream cell on the ground, a click on a stream
// staying put, NoData clicks, ties, rows of different widths; and delineation from an outlet as chosen.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "terrain/delineation.hpp"
#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain::testing {
namespace {

constexpr float kNoData = std::numeric_limits<float>::quiet_NaN();

std::uint32_t accumulationAt(const FlowModel& flow, Cell cell) {
    return flow.accumulation[static_cast<std::size_t>(cell.row) * flow.width + cell.column];
}

// The valley's channel carries 85 cells or more from row 6 down (10 m cells). A click on it stays where it
// is, where the largest-accumulation snap goes five cells downstream; a click three cells beside it
// snaps across to it when it lies within the distance (30 m) and is taken as it is when it does not.
TEST(SnapToStream, NearestStreamCellOnTheGround) {
    const Prepared p = prepare(makeModel(21, 30, valley));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {10, 20}, 50, 85), (Cell{10, 20}));
    EXPECT_EQ(snapOutlet(p.flow, {10, 20}, kDefaultSnapCells), (Cell{10, 25}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {13, 20}, 50, 85), (Cell{10, 20}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {13, 20}, 30, 85), (Cell{10, 20}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {13, 20}, 29.9, 85), (Cell{13, 20}));
    // Above the stream's head (row 6): two rows up it is 20 m away; a diagonal step is 14.1 m.
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {10, 4}, 20, 85), (Cell{10, 6}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {11, 5}, 14.2, 85), (Cell{10, 6}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {11, 5}, 14.1, 85), (Cell{11, 5}));
    // No distance, a negative or NaN one: the clicked cell.
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {13, 20}, -5, 85), (Cell{13, 20}));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {13, 20}, std::nan(""), 85), (Cell{13, 20}));
    // Outside the model: nothing, whatever the distance.
    EXPECT_FALSE(snapToStream(p.flow, p.geometry, {-1, 20}, 1000, 85));
    EXPECT_FALSE(snapToStream(p.flow, p.geometry, {10, 30}, 1000, 85));
}

// A hole in the channel: its upstream neighbour drains into it and carries the river above; a click on
// the hole snaps to it (four stream cells 10 m away, the largest accumulation first) and is refused
// without a stream cell within reach.
TEST(SnapToStream, ClickOnNoData) {
    ElevationModel model = makeModel(21, 30, valley);
    model.z[model.index(10, 20)] = kNoData;
    const Prepared p = prepare(std::move(model));
    ASSERT_GT(accumulationAt(p.flow, {10, 19}), accumulationAt(p.flow, {10, 21}));
    ASSERT_GE(accumulationAt(p.flow, {9, 20}), 2u);
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {10, 20}, 10, 2), (Cell{10, 19}));
    EXPECT_FALSE(snapToStream(p.flow, p.geometry, {10, 20}, 9, 2));
    EXPECT_EQ(snapToStream(p.flow, p.geometry, {10, 20}, 9, 0), std::nullopt);
}

// A flow model of 11 x 11 cells, each its own basin but for the stream cells given, and a geometry of
// `dx` by 10 m cells in each row.
struct Streams {
    FlowModel flow;
    CellGeometry geometry;
    explicit Streams(const std::function<double(int row)>& dx) {
        flow.width = 11;
        flow.height = 11;
        flow.accumulation.assign(121, 1);
        for (int r = 0; r < 11; ++r) {
            geometry.dx.push_back(dx(r));
            geometry.dy.push_back(10);
        }
    }
    void set(Cell c, std::uint32_t accumulation) {
        flow.accumulation[static_cast<std::size_t>(c.row) * 11 + c.column] = accumulation;
    }
};

// Four stream cells 10 m from the click: the largest accumulation, then the first in row order.
TEST(SnapToStream, TiesGoToTheLargerAccumulationThenRowOrder) {
    Streams s([](int) { return 10.0; });
    s.set({5, 4}, 40);
    s.set({6, 5}, 50);
    s.set({5, 6}, 50);
    s.set({4, 5}, 50);
    s.set({7, 5}, 90);  // 20 m away
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 10, 30), (Cell{4, 5}));
    s.set({4, 5}, 1);
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 10, 30), (Cell{6, 5}));
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 10, 45), (Cell{6, 5}));
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 10, 51), (Cell{5, 5}));
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 20, 51), (Cell{7, 5}));
}

// Rows of different widths (a geographic model): the east-west distance is taken at the mean of the
// clicked row's and the candidate's. Clicked (5, 5) where a cell is 24 m wide; (5, 0) is 50 m north,
// (8, 1) is 3 cells of (24 + 8) / 2 m east and 40 m north (62.5 m), (8, 5) 72 m east.
TEST(SnapToStream, GroundDistanceRowByRow) {
    Streams s([](int r) { return 4.0 * (r + 1); });
    s.set({8, 5}, 50);
    s.set({8, 1}, 50);
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 65, 50), (Cell{8, 1}));
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 62, 50), (Cell{5, 5}));
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 72, 50), (Cell{8, 1}));
    s.set({5, 0}, 50);
    EXPECT_EQ(snapToStream(s.flow, s.geometry, {5, 5}, 65, 50), (Cell{5, 0}));
    // No lengths for the clicked row (no geometry for this model): the clicked cell alone.
    EXPECT_EQ(snapToStream(s.flow, CellGeometry{}, {5, 5}, 65, 50), (Cell{5, 5}));
}

// The outlet as chosen (snapped beforehand, or the click taken as it is): the click is only kept.
TEST(DelineateAt, TakesTheOutletAsGiven) {
    ElevationModel model = makeModel(21, 30, valley);
    model.z[model.index(3, 3)] = kNoData;
    const Prepared p = prepare(std::move(model));
    const auto d = delineateAt(p.model, p.flow, p.geometry, {13, 20}, {10, 20});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->clicked, (Cell{13, 20}));
    EXPECT_EQ(d->outlet, (Cell{10, 20}));
    EXPECT_EQ(d->cells, 17u * 19u - 1u);
    // A click on NoData snapped to the channel; the outlet on NoData or outside gives nothing.
    EXPECT_EQ(delineateAt(p.model, p.flow, p.geometry, {3, 3}, {10, 20})->cells, d->cells);
    EXPECT_FALSE(delineateAt(p.model, p.flow, p.geometry, {10, 20}, {3, 3}));
    EXPECT_FALSE(delineateAt(p.model, p.flow, p.geometry, {10, 20}, {21, 3}));
    EXPECT_FALSE(delineateAt(p.model, FlowModel{}, p.geometry, {10, 20}, {10, 20}));
}

}  // namespace
}  // namespace brelvo::terrain::testing
