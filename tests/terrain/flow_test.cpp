// Filling, flats, D8 directions and the accumulation on generated models whose flow can be worked out by
// hand, and the rules every prepared model keeps on rough terrain with NoData holes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <queue>

#include "terrain/flow_grid.hpp"
#include "terrain/flow_model.hpp"
#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain::testing {
namespace {

FlowModel prepared(const ElevationModel& model) {
    const std::optional<FlowModel> flow = prepareFlow(model, nullptr);
    EXPECT_TRUE(flow);
    return flow.value_or(FlowModel{});
}

std::uint8_t code(const FlowModel& flow, int c, int r) {
    return flow.direction[static_cast<std::size_t>(r) * flow.width + c];
}
std::uint32_t accumulation(const FlowModel& flow, int c, int r) {
    return flow.accumulation[static_cast<std::size_t>(r) * flow.width + c];
}

// A plane falling 10 m per row southward and rising 1 m per column eastward, with a pit 66 m deep at
// (7, 7). Filled, the pit stands level with its lowest neighbour (6, 8), which it drains to; the cells
// above it in columns 6 to 8 and its two side neighbours drain into it. The bottom row falls westward
// (nothing lower inside for the corner) so everything leaves at (0, 14).
TEST(FlowModel, PitIsFilledAndDrainsOverItsLowestRim) {
    const ElevationModel model = makeModel(
        15, 15, [](int c, int r) { return c == 7 && r == 7 ? 0.0f : static_cast<float>(10 * (14 - r) + c); });
    const FlowModel flow = prepared(model);
    EXPECT_EQ(code(flow, 7, 7), 3);  // south-west, to (6, 8)
    EXPECT_EQ(accumulation(flow, 7, 7), 24u);
    EXPECT_EQ(code(flow, 6, 7), 0);  // east into the filled pit (as steep as south; east comes first)
    EXPECT_EQ(code(flow, 8, 7), 4);
    EXPECT_EQ(code(flow, 6, 6), 1);
    EXPECT_EQ(accumulation(flow, 6, 13), 30u);  // the pit's 24 and rows 8 to 13
    EXPECT_EQ(accumulation(flow, 7, 13), 6u);
    EXPECT_EQ(accumulation(flow, 5, 13), 14u);
    EXPECT_EQ(code(flow, 3, 14), 4);
    EXPECT_EQ(code(flow, 0, 14), kDrainsOut);
    EXPECT_EQ(accumulation(flow, 0, 14), 225u);
}

// A level floor inside a rim 5 m higher, open at one cell of the west edge: every cell drains there.
// The floor's cells drain away from the rim and toward the opening; none is left without a direction.
TEST(FlowModel, FlatDrainsToItsOutlet) {
    const ElevationModel model = makeModel(9, 7, [](int c, int r) {
        const bool rim = c == 0 || r == 0 || c == 8 || r == 6;
        return rim && !(c == 0 && r == 3) ? 10.0f : 5.0f;
    });
    const FlowModel flow = prepared(model);
    EXPECT_EQ(code(flow, 0, 3), kDrainsOut);
    EXPECT_EQ(accumulation(flow, 0, 3), 63u);
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; c < 9; ++c) {
            if (c != 0 || r != 3) {
                EXPECT_LT(code(flow, c, r), 8) << c << "," << r;
            }
        }
    }
    EXPECT_EQ(code(flow, 1, 3), 4);  // beside the opening: straight to it
    EXPECT_EQ(code(flow, 1, 2), 3);
    EXPECT_EQ(code(flow, 1, 4), 5);
    // On the floor's south row, west (toward the opening alone) and north-west are alike; the push away
    // from the rim makes north-west the lower.
    EXPECT_EQ(code(flow, 4, 5), 5);
    EXPECT_EQ(code(flow, 4, 1), 3);
}

// Two terraces, each a flat at its own height, one spilling onto the other: both drain, in turn.
TEST(FlowModel, TerracesDrainOneOntoTheOther) {
    const ElevationModel model = makeModel(12, 5, [](int c, int r) {
        if (r == 0 || r == 4 || c == 11) return 50.0f;
        if (c == 0) return r == 2 ? 1.0f : 50.0f;
        return c < 6 ? 2.0f : 3.0f;
    });
    const FlowModel flow = prepared(model);
    EXPECT_EQ(accumulation(flow, 0, 2), 60u);
    for (int c = 1; c <= 10; ++c) EXPECT_LT(code(flow, c, 2), 8) << c;
}

// Independent checks of a prepared model: NoData is coded so and accumulates nothing; every direction
// leads to a data cell inside; a cell drains out only on the edge or beside NoData; each cell's
// accumulation is itself plus its donors'; and everything arrives somewhere (no cycles).
void expectConsistent(const ElevationModel& model, const FlowModel& flow) {
    ASSERT_EQ(flow.width, model.width);
    ASSERT_EQ(flow.height, model.height);
    std::vector<std::uint64_t> inflow(flow.direction.size(), 0);
    std::uint64_t dataCells = 0, arrived = 0;
    for (int r = 0; r < model.height; ++r) {
        for (int c = 0; c < model.width; ++c) {
            const std::uint8_t d = code(flow, c, r);
            if (!model.hasData(c, r)) {
                EXPECT_EQ(d, kNoDataCell);
                EXPECT_EQ(accumulation(flow, c, r), 0u);
                continue;
            }
            ++dataCells;
            ASSERT_LE(d, kDrainsOut) << c << "," << r;
            if (d == kDrainsOut) {
                bool rim = false;
                for (int k = 0; k < 8; ++k) rim = rim || !model.hasData(c + kColumnStep[k], r + kRowStep[k]);
                EXPECT_TRUE(rim) << c << "," << r;
                arrived += accumulation(flow, c, r);
                continue;
            }
            const int tc = c + kColumnStep[d], tr = r + kRowStep[d];
            ASSERT_TRUE(model.hasData(tc, tr)) << c << "," << r;
            inflow[model.index(tc, tr)] += accumulation(flow, c, r);
        }
    }
    for (int r = 0; r < model.height; ++r) {
        for (int c = 0; c < model.width; ++c) {
            if (model.hasData(c, r)) {
                EXPECT_EQ(accumulation(flow, c, r), 1 + inflow[model.index(c, r)]);
            }
        }
    }
    EXPECT_EQ(arrived, dataCells);
}

TEST(FlowModel, RoughTerrainWithHolesIsConsistentAndRepeatable) {
    ElevationModel model = roughTerrain(160, 120, 7);
    const float noData = std::numeric_limits<float>::quiet_NaN();
    for (int r = 40; r < 52; ++r) {
        for (int c = 60; c < 75; ++c) model.z[model.index(c, r)] = noData;
    }
    model.z[model.index(0, 0)] = noData;
    model.z[model.index(100, 119)] = noData;
    const FlowModel first = prepared(model);
    expectConsistent(model, first);
    const FlowModel second = prepared(model);
    EXPECT_EQ(first.direction, second.direction);
    EXPECT_EQ(first.accumulation, second.accumulation);
}

// The textbook priority flood on the model itself: every data cell on the edge or beside NoData seeds a
// priority queue at its height; a cell taken raises each data neighbour not yet reached to its own filled
// height at least and queues it. Returns the filled heights (NaN for NoData).
std::vector<float> textbookFill(const ElevationModel& model) {
    struct Entry {
        float z;
        int c, r;
        bool operator>(const Entry& o) const { return z > o.z; }
    };
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    std::vector<float> filled = model.z;
    std::vector<char> reached(model.z.size(), 0);
    for (int r = 0; r < model.height; ++r) {
        for (int c = 0; c < model.width; ++c) {
            if (!model.hasData(c, r)) continue;
            bool rim = false;
            for (int k = 0; k < 8; ++k) rim = rim || !model.hasData(c + kColumnStep[k], r + kRowStep[k]);
            if (!rim) continue;
            reached[model.index(c, r)] = 1;
            queue.push({model.z[model.index(c, r)], c, r});
        }
    }
    while (!queue.empty()) {
        const Entry e = queue.top();
        queue.pop();
        for (int k = 0; k < 8; ++k) {
            const int c = e.c + kColumnStep[k], r = e.r + kRowStep[k];
            if (!model.hasData(c, r) || reached[model.index(c, r)]) continue;
            reached[model.index(c, r)] = 1;
            float& z = filled[model.index(c, r)];
            z = std::max(z, e.z);
            queue.push({z, c, r});
        }
    }
    return filled;
}

// The flood follows slopes out of the order of heights and queues only where a depression may spill; its
// filled heights must be the textbook flood's to the bit, on terrain of whole metres (ties and plateaus
// everywhere), with bowls deep enough to hold lakes, NoData holes and a hole touching the edge.
TEST(FlowModel, FillingRaisesExactlyWhatTheTextbookFloodRaises) {
    for (const unsigned seed : {5u, 11u, 23u}) {
        ElevationModel model = roughTerrain(90, 70, seed);
        for (int r = 0; r < model.height; ++r) {
            for (int c = 0; c < model.width; ++c) {
                float& z = model.z[model.index(c, r)];
                const double bowl = std::hypot(c - 30, r - 35) < 14 ? 18 - std::hypot(c - 30, r - 35) : 0;
                const double basin = std::hypot(c - 65, r - 20) < 9 ? 12 : 0;
                z = static_cast<float>(std::round(z - bowl - basin));
            }
        }
        const float noData = std::numeric_limits<float>::quiet_NaN();
        for (int r = 50; r < 56; ++r) {
            for (int c = 50; c < 58; ++c) model.z[model.index(c, r)] = noData;
        }
        for (int c = 80; c < 90; ++c) model.z[model.index(c, 45)] = noData;
        model.z[model.index(12, 60)] = noData;

        const std::vector<float> expected = textbookFill(model);
        detail::FlowGrid grid = detail::paddedGrid(model);
        ASSERT_TRUE(detail::fillDepressions(grid, nullptr));
        int raised = 0, wrong = 0;
        for (int r = 0; r < model.height; ++r) {
            for (int c = 0; c < model.width; ++c) {
                const std::size_t at = static_cast<std::size_t>(r + 1) * grid.width + c + 1;
                if (!model.hasData(c, r)) {
                    EXPECT_EQ(grid.code[at], kNoDataCell);
                    continue;
                }
                EXPECT_EQ(grid.code[at], kDrainsOut);
                raised += expected[model.index(c, r)] > model.z[model.index(c, r)];
                if (grid.z[at] != expected[model.index(c, r)] && wrong++ == 0) {
                    ADD_FAILURE() << "seed " << seed << " (" << c << ", " << r << "): " << grid.z[at]
                                  << " filled, " << expected[model.index(c, r)] << " expected";
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "seed " << seed;
        EXPECT_GT(raised, 300) << "seed " << seed;  // the bowls and the basin hold lakes
    }
}

TEST(FlowModel, ProgressRisesToOneAndCancelStops) {
    const ElevationModel model = roughTerrain(300, 200, 3);
    std::vector<double> seen;
    const auto flow = prepareFlow(model, [&](double f) {
        seen.push_back(f);
        return true;
    });
    ASSERT_TRUE(flow);
    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);
    int calls = 0;
    EXPECT_FALSE(prepareFlow(model, [&](double) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
}

TEST(FlowModel, EmptyAndMismatchedModels) {
    ElevationModel empty;
    const auto none = prepareFlow(empty, nullptr);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->direction.empty());
    ElevationModel wrong = makeModel(4, 4, [](int, int) { return 1.0f; });
    wrong.z.pop_back();
    EXPECT_FALSE(prepareFlow(wrong, nullptr));
    const ElevationModel allNoData =
        makeModel(3, 2, [](int, int) { return std::numeric_limits<float>::quiet_NaN(); });
    const FlowModel flow = prepared(allNoData);
    EXPECT_EQ(flow.direction, std::vector<std::uint8_t>(6, kNoDataCell));
}

// Projected cells: the geotransform's column and row vectors (here rotated) in the system's unit.
TEST(CellGeometry, ProjectedCellsInTheSystemsUnit) {
    ElevationModel model = makeModel(2, 3, [](int, int) { return 0.0f; });
    model.georef.geotransform = {1000, 3, 4, 2000, 4, -3};
    const CellGeometry feet = cellGeometry(model, FlatGround("ft"));
    ASSERT_EQ(feet.dx.size(), 3u);
    EXPECT_DOUBLE_EQ(feet.dx[2], 5 * 0.3048);
    EXPECT_DOUBLE_EQ(feet.dy[0], 5 * 0.3048);
    EXPECT_DOUBLE_EQ(feet.diagonal[1], std::sqrt(50.0) * 0.3048);
    EXPECT_DOUBLE_EQ(feet.area[1], 25 * 0.3048 * 0.3048);
    const CellGeometry survey = cellGeometry(model, FlatGround("US ft"));
    EXPECT_DOUBLE_EQ(survey.area[0], 25 * (1200.0 / 3937.0) * (1200.0 / 3937.0));
    const CellGeometry metres = cellGeometry(makeModel(
                                                 4, 2, [](int, int) { return 0.0f; }, 30),
                                             FlatGround());
    EXPECT_DOUBLE_EQ(metres.area[1], 900);
    EXPECT_DOUBLE_EQ(metres.diagonal[0], std::sqrt(1800.0));
}

}  // namespace
}  // namespace brelvo::terrain::testing
