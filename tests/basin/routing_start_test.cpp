// Both routings start from the steady state of the first inflow, as the textbooks do: a reach passes
// its base flow, a basin holds the storage that passes it. Worked by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "basin/routing.hpp"
#include "basin/storage_routing.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::basin {
namespace {

// A hydrograph loaded from a gauge file: flows from index 0, held in both series, the outflow current.
WorkingHydrograph gauged(const std::vector<float>& flows) {
    WorkingHydrograph h;
    h.inflow.flowCfs.redim(kHydrographUpper);
    h.routed.outflowCfs.redim(kHydrographUpper);
    for (std::size_t k = 0; k < flows.size(); ++k) {
        h.inflow.flowCfs[static_cast<int>(k)] = flows[k];
        h.routed.outflowCfs[static_cast<int>(k)] = flows[k];
    }
    h.inflow.last = static_cast<std::int16_t>(flows.size() - 1);
    h.outflowIsCurrent = true;
    return h;
}

TEST(RoutingStart, MuskingumStartsWithTheOutflowEqualToTheFirstInflow) {
    // The textbook Muskingum reach: K = 2 days, X = 0.2, a daily step (K = 48 h, step 24 h), and a flood
    // rising from a base flow of 4,000 cfs. h = 12 h, D = 38.4 + 12 = 50.4 h: C0 = (12 - 9.6) / 50.4 =
    // 0.047619, C1 = 21.6 / 50.4 = 0.428571, C2 = 26.4 / 50.4 = 0.523810. O(0) = 4,000;
    // O(1) = 0.428571 * 4,000 + 0.047619 * 7,000 + 0.523810 * 4,000 = 4,142.86 (not 2,047.62 from 0);
    // O(2) = 0.428571 * 7,000 + 0.047619 * 11,000 + 0.523810 * 4,142.86 = 5,693.88;
    // O(3) = 0.428571 * 11,000 + 0.047619 * 17,000 + 0.523810 * 5,693.88 = 8,506.32.
    WorkingHydrograph h = gauged({4000, 7000, 11000, 17000, 22000, 27000, 30000, 28000, 25000});
    muskingum(48.0f, 0.2f, 24.0f, 40, h);
    EXPECT_EQ(h.routed.outflowCfs[0], 4000.0f);
    EXPECT_NEAR(h.routed.outflowCfs[1], 4142.86f, 0.01);
    EXPECT_NEAR(h.routed.outflowCfs[2], 5693.88f, 0.01);
    EXPECT_NEAR(h.routed.outflowCfs[3], 8506.32f, 0.01);
    EXPECT_EQ(h.inflow.flowCfs[0], 4000.0f);
}

TEST(RoutingStart, StorageRoutingStartsFromTheStorageThatPassesTheFirstInflow) {
    // Pond rows (ft, cfs, acre-feet) 100, 0, 0 / 101, 10, 10 / 102, 40, 25 and a 1-hour step: SI = 0,
    // 252, 645 cfs. A base flow of 5 cfs passes at 100.5 ft with 5 acre-feet, 2S/dt = 121 cfs.
    const std::string pond = ::testing::TempDir() + "steady_pond.RAT";
    std::ofstream(pond, std::ios::binary) << "Pond\n3\n100,0,0\n101,10,10\n102,40,25\n";
    WorkingHydrograph h = gauged({5, 5, 25, 5, 5});
    h.routed.elevationFt.redim(20);
    const StorageOutcome outcome = modpul(h, 20, 1.0f, std::nullopt, pond);
    const auto& routing = outcome.routing;
    ASSERT_TRUE(routing);
    EXPECT_TRUE(outcome.messages.empty());
    const RoutedHydrograph& r = routing->hydrograph.routed;
    EXPECT_EQ(r.outflowCfs[0], 5.0f);
    EXPECT_EQ(r.elevationFt[0], 100.5f);
    EXPECT_EQ(r.storageAcreFt[0], 5.0f);
    // Step 1, inflow 5 and 5: SI = 5 + 5 + 121 - 5 = 126, half-way up rows 1..2: the basin stays at 5 cfs.
    EXPECT_EQ(r.outflowCfs[1], 5.0f);
    // Step 2, inflow 5 and 25: SI = 5 + 25 + 121 - 5 = 146, f = 146 / 252: O = 5.79365 cfs, 100.57937 ft.
    EXPECT_NEAR(r.outflowCfs[2], 5.79365f, 1e-4);
    EXPECT_NEAR(r.elevationFt[2], 100.57937f, 1e-4);
    // Step 3, inflow 25 and 5: SI = 25 + 5 + (146 - 5.79365) - 5.79365 = 164.4127, O = 6.52431 cfs.
    EXPECT_NEAR(r.outflowCfs[3], 6.52431f, 1e-4);
}

TEST(RoutingStart, StorageRoutingThatRunsPastTheTopOfItsTableSaysByHowMuch) {
    // The pond's top row is 102 ft (40 cfs, 25 acre-feet), SI = 645. A 400 cfs inflow for an hour:
    // step 1 SI = 0 + 400 = 400 (inside), O = 10 + 30 * 148/393 = 21.298, 101.376 ft; step 2 SI = 400 +
    // 400 + (400 - 21.298) - 21.298 = 1157.40, past the top: f = (1157.40 - 252) / 393 = 2.30382,
    // O = 10 + 30 * 2.30382 = 79.115 cfs at 101 + 2.30382 = 103.30 ft; step 3 SI = 400 + 0 + (1157.40 -
    // 79.115) - 79.115 = 1399.17, f = 2.91902: 97.571 cfs at 103.92 ft, the highest, 1.92 ft above the top.
    const std::string pond = ::testing::TempDir() + "small_pond.RAT";
    std::ofstream(pond, std::ios::binary) << "Pond\n3\n100,0,0\n101,10,10\n102,40,25\n";
    WorkingHydrograph h = gauged({0, 400, 400, 0, 0});
    h.routed.elevationFt.redim(20);
    const StorageOutcome outcome = modpul(h, 20, 1.0f, std::nullopt, pond);
    const auto& routing = outcome.routing;
    ASSERT_TRUE(routing);
    EXPECT_NEAR(routing->hydrograph.routed.outflowCfs[2], 79.115f, 1e-3);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(
        outcome.messages[0],
        "The routing ran past the top of the storage table by 1.92 ft.\nsmall_pond.RAT: the water surface "
        "reached 103.92 ft, above its last row at 102.00 ft; outflow and storage up there were extended "
        "along its last two rows. Add rows up to that height for a routing you can trust.");
}

}  // namespace
}  // namespace brelvo::basin
