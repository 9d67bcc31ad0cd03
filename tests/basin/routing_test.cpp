// Muskingum and travel-time routing of short hydrographs, with every expected ordinate worked by hand.
#include "basin/routing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/failure_number.hpp"

namespace brelvo::basin {
namespace {

using testing_support::failureNumber;

std::vector<float> head(const Series& series, int count) {
    return {series.values().begin(), series.values().begin() + count};
}

// A working hydrograph with the run's step (hours) and the routed upper bound newit.
struct Case {
    WorkingHydrograph h;
    float udur = 0;
    std::int16_t newit = 0;
};

// What a compute run leaves: qi over 0..9000 with ordinates 1..n (cfs), it = n unless given,
// newit = 5 it, qout reset to two zero elements.
Case computed(float udur, const std::vector<float>& ordinates, int lastIndex = -1) {
    Case state;
    state.udur = udur;
    state.h.inflow.flowCfs.redim(kHydrographUpper);
    for (std::size_t k = 0; k < ordinates.size(); ++k)
        state.h.inflow.flowCfs[static_cast<int>(k) + 1] = ordinates[k];
    state.h.inflow.last =
        static_cast<std::int16_t>(lastIndex >= 0 ? lastIndex : static_cast<int>(ordinates.size()));
    state.newit = static_cast<std::int16_t>(5 * state.h.inflow.last);
    state.h.routed.outflowCfs.redim(1);
    return state;
}

TEST(MuskingumCoefficients, LagOnlyStableAndUnstableWeights) {
    // X = 0.5, K = step = 0.5 h: h = 0.25, D = 0.25 + 0.25 = 0.5, C0 = (0.25 - 0.25) / 0.5 = 0,
    // C1 = (0.25 + 0.25) / 0.5 = 1, C2 = (0.25 - 0.25) / 0.5 = 0.
    const MuskingumCoefficients lag = muskingumCoefficients(0.5f, 0.5f, 0.5f);
    EXPECT_EQ(lag.c0, 0.0f);
    EXPECT_EQ(lag.c1, 1.0f);
    EXPECT_EQ(lag.c2, 0.0f);
    EXPECT_FALSE(muskingumUnstable(lag));

    // K = 1 h, X = 0.25, step 0.25 h: h = 0.125, D = 0.75 + 0.125 = 0.875; KX = 0.25 > h, so C0 < 0.
    const MuskingumCoefficients fine = muskingumCoefficients(1.0f, 0.25f, 0.25f);
    EXPECT_NEAR(fine.c0, -0.142857, 1e-6);  // (0.125 - 0.25) / 0.875
    EXPECT_NEAR(fine.c1, 0.428571, 1e-6);   // 0.375 / 0.875
    EXPECT_NEAR(fine.c2, 0.714286, 1e-6);   // 0.625 / 0.875
    EXPECT_NEAR(fine.c0 + fine.c1 + fine.c2, 1.0, 1e-6);
    EXPECT_TRUE(muskingumUnstable(fine));

    // Step 1 h: h = 0.5, D = 1.25: 0.25 / 1.25, 0.75 / 1.25, 0.25 / 1.25, all positive.
    const MuskingumCoefficients stable = muskingumCoefficients(1.0f, 0.25f, 1.0f);
    EXPECT_NEAR(stable.c0, 0.2, 1e-6);
    EXPECT_NEAR(stable.c1, 0.6, 1e-6);
    EXPECT_NEAR(stable.c2, 0.2, 1e-6);
    EXPECT_FALSE(muskingumUnstable(stable));

    // Step 2 h: h = 1 > K(1 - X) = 0.75, so C2 = (0.75 - 1) / 1.75 < 0.
    const MuskingumCoefficients coarse = muskingumCoefficients(1.0f, 0.25f, 2.0f);
    EXPECT_NEAR(coarse.c2, -0.142857, 1e-6);
    EXPECT_TRUE(muskingumUnstable(coarse));
}

TEST(MuskingumCoefficients, ZeroStepOrZeroDenominatorIsDivisionByZero) {
    EXPECT_EQ(failureNumber([] { (void)muskingumCoefficients(1.0f, 0.25f, 0.0f); }), 11);
    // K = -1, X = 0.5, step 1 h: D = -1 * 0.5 + 0.5 = 0.
    EXPECT_EQ(failureNumber([] { (void)muskingumCoefficients(-1.0f, 0.5f, 1.0f); }), 11);

    Case state = computed(0.0f, {3, 9, 4});
    EXPECT_EQ(failureNumber([&] { muskingum(1.0f, 0.25f, state.udur, state.newit, state.h); }), 11);
}

TEST(Muskingum, LagOnlyDelaysTheInflowOneStepAndGrowsSeriesInChunks) {
    Case state;
    state.udur = 0.5f;
    state.h.inflow.flowCfs.redim(4);  // a hydrograph 0..4 that ends at the inflow's last index
    state.h.inflow.flowCfs[1] = 3;
    state.h.inflow.flowCfs[2] = 9;
    state.h.inflow.flowCfs[3] = 4;
    state.h.inflow.flowCfs[4] = 1;
    state.h.inflow.last = 4;
    state.newit = 20;
    state.h.routed.outflowCfs.redim(1);
    state.h.inflow.peakCfs = 9;
    state.h.inflow.peakIndex = 2;

    muskingum(0.5f, 0.5f, state.udur, state.newit, state.h);

    // qout(i) = qi(i - 1); the first outflow below 0.01 cfs at or after index 4 is qout(6) = 0.
    EXPECT_EQ(head(state.h.routed.outflowCfs, 7), (std::vector<float>{0, 0, 3, 9, 4, 1, 0}));
    EXPECT_EQ(state.h.inflow.last, 6);
    EXPECT_EQ(state.h.routed.peakCfs, 9.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
    EXPECT_EQ(state.newit, 20);
    EXPECT_EQ(state.h.inflow.peakCfs, 9.0f);  // the inflow's peak is the computed one
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    // qout (0..1) was short at index 2 and qi (0..4) at index 5: each grew to its index + 100.
    EXPECT_EQ(state.h.routed.outflowCfs.upper(), 102);
    EXPECT_EQ(state.h.inflow.flowCfs.upper(), 105);
    EXPECT_EQ(head(state.h.inflow.flowCfs, 6), (std::vector<float>{0, 3, 9, 4, 1, 0}));
}

TEST(Muskingum, UnstableWeightsFollowTheRecurrenceUntilTheThresholdOrNewitLessOne) {
    // K = 1 h, X = 0.25, step 0.25 h: C0 = -1/7, C1 = 3/7, C2 = 5/7; inflow 7, 14, 7 cfs, it = 4.
    // q1 = -1/7 * 7 = -1 (the negative C0 dips the outflow first)
    // q2 = 3/7 * 7 - 1/7 * 14 + 5/7 * (-1) = 2/7
    // q3 = 3/7 * 14 - 1/7 * 7 + 5/7 * 2/7 = 255/49
    // q4 = 3/7 * 7 + 5/7 * 255/49 = 2304/343 (the peak, below 10 cfs: threshold 0.01 cfs)
    // q5 = 5/7 * 2304/343 = 11520/2401, then each step 5/7 of the one before:
    // q19 = q5 (5/7)^14 = 0.0431785, q23 = 0.0112397, q24 = 0.0080284 < 0.01.
    Case state = computed(0.25f, {7, 14, 7}, 4);
    state.newit = 100;
    muskingum(1.0f, 0.25f, state.udur, state.newit, state.h);
    const std::vector<double> expected{0, -1, 2.0 / 7, 255.0 / 49, 2304.0 / 343, 11520.0 / 2401};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(state.h.routed.outflowCfs[i], expected[static_cast<std::size_t>(i)], 1e-5) << i;
    EXPECT_NEAR(state.h.routed.outflowCfs[23], 0.0112397, 1e-6);
    EXPECT_NEAR(state.h.routed.outflowCfs[24], 0.0080284, 1e-6);
    EXPECT_EQ(state.h.inflow.last, 24);
    EXPECT_NEAR(state.h.routed.peakCfs, 2304.0 / 343, 1e-5);
    EXPECT_EQ(state.h.routed.peakIndex, 4.0f);

    // newit = 20 ends the routing at step 19 while the outflow is still above the threshold.
    Case capped = computed(0.25f, {7, 14, 7}, 4);
    muskingum(1.0f, 0.25f, capped.udur, capped.newit, capped.h);
    EXPECT_EQ(capped.h.inflow.last, 19);
    EXPECT_NEAR(capped.h.routed.outflowCfs[19], 0.0431785, 1e-6);
    EXPECT_EQ(capped.h.routed.outflowCfs[20], 0.0f);
}

TEST(Muskingum, EndThresholdFollowsTheRoutedPeakAndWaitsForTheInflowsEnd) {
    // Lag-only weights (K = step = 1 h, X = 0.5) make every outflow the inflow of the step before.
    // Before any peak the threshold is 0, so the leading zero outflow at i = 1 = it does not stop.
    // Peak exactly 10 cfs: threshold 0.01 cfs, so 0.5 goes on and 0.005 stops.
    Case ten = computed(1.0f, {10, 0.5f, 0.005f}, 1);
    ten.newit = 20;
    muskingum(1.0f, 0.5f, ten.udur, ten.newit, ten.h);
    EXPECT_EQ(ten.h.inflow.last, 4);
    EXPECT_EQ(ten.h.routed.peakCfs, 10.0f);
    EXPECT_EQ(ten.h.routed.peakIndex, 2.0f);

    // Peak 10.5 cfs: threshold 1 cfs, so 0.5 stops.
    Case above = computed(1.0f, {10.5f, 0.5f, 0.005f}, 1);
    above.newit = 20;
    muskingum(1.0f, 0.5f, above.udur, above.newit, above.h);
    EXPECT_EQ(above.h.inflow.last, 3);
    EXPECT_EQ(above.h.routed.peakCfs, 10.5f);

    // A zero outflow at step 3, before the inflow's last index 5, does not stop; the one at 5 does.
    // The second 5 cfs equals the peak and does not move its index.
    Case gap = computed(1.0f, {5, 0, 5, 0, 5}, 5);
    muskingum(1.0f, 0.5f, gap.udur, gap.newit, gap.h);
    EXPECT_EQ(head(gap.h.routed.outflowCfs, 6), (std::vector<float>{0, 0, 5, 0, 5, 0}));
    EXPECT_EQ(gap.h.inflow.last, 5);
    EXPECT_EQ(gap.h.routed.peakIndex, 2.0f);
}

TEST(Muskingum, CascadeRoutesTheWorkingHydrographInQout) {
    // A loaded hydrograph 3, 9, 4, 1 cfs in qout; qi still holds an older hydrograph of 50 cfs.
    Case state = computed(1.0f, {50, 50, 50, 50});
    state.h.outflowIsCurrent = true;
    state.h.routed.outflowCfs.redim(4);
    state.h.routed.outflowCfs[1] = 3;
    state.h.routed.outflowCfs[2] = 9;
    state.h.routed.outflowCfs[3] = 4;
    state.h.routed.outflowCfs[4] = 1;
    state.h.routed.peakCfs = 9;
    state.h.routed.peakIndex = 2.5f;  // rounds half to even: 2

    muskingum(1.0f, 0.5f, state.udur, state.newit, state.h);

    EXPECT_EQ(state.h.inflow.peakCfs, 9.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    // qi(i) takes qout(i) before qout(i) is routed; qout grew past index 4 with zeros.
    EXPECT_EQ(head(state.h.inflow.flowCfs, 7), (std::vector<float>{0, 3, 9, 4, 1, 0, 0}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 7), (std::vector<float>{0, 0, 3, 9, 4, 1, 0}));
    EXPECT_EQ(state.h.inflow.last, 6);
    EXPECT_EQ(state.h.routed.peakCfs, 9.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
}

TEST(Muskingum, OutflowPastTheSingleRangeIsOverflow) {
    // K = -1 h, X = 0, step 1 h: D = -0.5, C0 = C1 = -1, C2 = 3. Inflow -1 cfs at step 1 gives
    // q1 = 1, q2 = 4 and then q = 3 q before, which passes the single range near step 82.
    Case state = computed(1.0f, {-1}, 1);
    state.newit = 200;
    EXPECT_EQ(failureNumber([&] { muskingum(-1.0f, 0.0f, state.udur, state.newit, state.h); }), 6);
    for (float q : state.h.routed.outflowCfs.values()) EXPECT_TRUE(std::isfinite(q));
    EXPECT_EQ(state.h.routed.outflowCfs[2], 4.0f);
}

TEST(TravelTimeRouting, OneStepIsTwoHalfStepPassesAndOneStepOfDelay) {
    // T = step = 0.25 h: m = Int(2 + 0.5) = 2, newit = 3 + 1 + 2 = 6. Inflow 10, 20, 10 cfs.
    // Pass 1 (c = 4): A(2..5) = 15, 15, 5, 0 -> qout(1..6) = 0, 15, 15, 5, 0, 0.
    // Pass 2 (c = 5): A(2..6) = 7.5, 15, 10, 2.5, 0 -> qout(1..6) = 0, 7.5, 15, 10, 2.5, 0.
    // The peak moves from index 2 to index 3; the scan stops at the zero at 6, so it = 7.
    Case state = computed(0.25f, {10, 20, 10});
    state.newit = travelTimeRouting(0.25f, state.udur, state.h);
    EXPECT_EQ(state.newit, 6);
    EXPECT_EQ(head(state.h.routed.outflowCfs, 7), (std::vector<float>{0, 0, 7.5f, 15, 10, 2.5f, 0}));
    EXPECT_EQ(state.h.routed.peakCfs, 15.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
    EXPECT_EQ(state.h.inflow.last, 7);
    EXPECT_EQ(head(state.h.inflow.flowCfs, 4), (std::vector<float>{0, 10, 20, 10}));
    EXPECT_EQ(state.h.routed.outflowCfs.upper(), 103);  // short of m + 1 = 3 at i = 1: grown to 3 + 100

    // T = 0.18 h: Int(1.44 + 0.5) = 1, one pass, half a step of delay: qout(1..5) = 0, 15, 15, 5, 0.
    // Of the two equal peaks the first is kept.
    Case half = computed(0.25f, {10, 20, 10});
    half.newit = travelTimeRouting(0.18f, half.udur, half.h);
    EXPECT_EQ(half.newit, 5);
    EXPECT_EQ(head(half.h.routed.outflowCfs, 6), (std::vector<float>{0, 0, 15, 15, 5, 0}));
    EXPECT_EQ(half.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(half.h.inflow.last, 6);

    // Values left in qout(4..5) by an earlier routing are cleared before the pass averages them
    // (qout(c) = qout(c + 1) = 0 with c = 4), so the result is the same.
    Case left = computed(0.25f, {10, 20, 10});
    left.h.routed.outflowCfs.redim(10);
    left.h.routed.outflowCfs[4] = 6;
    left.h.routed.outflowCfs[5] = 8;
    left.newit = travelTimeRouting(0.18f, left.udur, left.h);
    EXPECT_EQ(head(left.h.routed.outflowCfs, 6), (std::vector<float>{0, 0, 15, 15, 5, 0}));
}

TEST(TravelTimeRouting, ThreePassesClearAnEarlierRoutingsValuesUpToNewitAndNoFurther) {
    // T = 0.375 h at 0.25 h steps: m = Int(3 + 0.5) = 3, newit = 3 + 1 + 3 = 7. Inflow 10, 20, 10 cfs.
    // Pass 1 (c = 4): qout(1..7) = 0, 15, 15, 5, 0, 0, 0 (the whole of 1..newit is taken from A).
    // Pass 2 (c = 5): 0, 7.5, 15, 10, 2.5, 0, 0.   Pass 3 (c = 6): 0, 3.75, 11.25, 12.5, 6.25, 1.25, 0.
    // An earlier routing left 9 at index 7 and 4 at index 8: the first is cleared, the second, past
    // newit, is not touched. The scan stops at the zero at 7, so it = 8.
    Case state = computed(0.25f, {10, 20, 10});
    state.h.routed.outflowCfs.redim(10);
    state.h.routed.outflowCfs[7] = 9;
    state.h.routed.outflowCfs[8] = 4;
    state.newit = travelTimeRouting(0.375f, state.udur, state.h);
    EXPECT_EQ(state.newit, 7);
    EXPECT_EQ(head(state.h.routed.outflowCfs, 9),
              (std::vector<float>{0, 0, 3.75f, 11.25f, 12.5f, 6.25f, 1.25f, 0, 4}));
    EXPECT_EQ(state.h.routed.peakCfs, 12.5f);
    EXPECT_EQ(state.h.routed.peakIndex, 4.0f);
    EXPECT_EQ(state.h.inflow.last, 8);
}

TEST(TravelTimeRouting, ADelayLongerThanTheInflowKeepsTheRoutedHydrograph) {
    // 100 cfs in one 1-hour step, 150 hours of travel: m = 300 half-step passes. The first pass keeps
    // 50 cfs at step 2 (the half that would go to step 1 is not kept); the other 299 spread it
    // binomially, so far from the middle the halvings underflow to exactly 0 and the step after the
    // inflow reads 0 before the flow arrives. The scan must go on to the routed flow, whose peak is
    // 50 * C(299, 149) / 2^299 = 2.30 cfs (to three figures) at step 151 or the next.
    Case state = computed(1.0f, {100});
    state.newit = travelTimeRouting(150.0f, state.udur, state.h);
    EXPECT_EQ(state.h.routed.outflowCfs[2], 0.0f);
    EXPECT_NEAR(state.h.routed.peakCfs, 2.30f, 0.005f);
    EXPECT_GE(state.h.routed.peakIndex, 151.0f);
    EXPECT_LE(state.h.routed.peakIndex, 152.0f);
    EXPECT_GT(state.h.inflow.last, 152);
}

TEST(TravelTimeRouting, ZeroTravelTimeCopiesTheInflowAndTheScanSetsIt) {
    // m = Int(0.5) = 0: no pass, newit = it + 1 = 4; the scan stops at the zero at 4, it = 5.
    Case state = computed(0.25f, {5, 12, 4});
    state.newit = travelTimeRouting(0.0f, state.udur, state.h);
    EXPECT_EQ(state.newit, 4);
    EXPECT_EQ(head(state.h.routed.outflowCfs, 5), (std::vector<float>{0, 5, 12, 4, 0}));
    EXPECT_EQ(state.h.routed.peakCfs, 12.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 2.0f);
    EXPECT_EQ(state.h.inflow.last, 5);

    // With no pass nothing clears qout(4): a value left there by an earlier routing is not zero,
    // the scan runs through to newit + 1 = 5 and it becomes 6.
    Case left = computed(0.25f, {5, 12, 4});
    left.h.routed.outflowCfs.redim(10);
    left.h.routed.outflowCfs[4] = 7;
    left.newit = travelTimeRouting(0.0f, left.udur, left.h);
    EXPECT_EQ(left.h.inflow.last, 6);
    EXPECT_EQ(left.h.routed.peakCfs, 12.0f);
}

TEST(TravelTimeRouting, SeriesGrowInChunksOf100AsTheInflowIsCopied) {
    // it = 205, m = 0. qi (0..150) is short at i = 151 and grows to 251; qout (0..1) grows at
    // i = 2 to 102, at i = 103 to 203 and at i = 204 to 304. The inflow past 150 reads as 0.
    Case state = computed(0.25f, {});
    state.h.inflow.flowCfs.redim(150);
    for (int k = 1; k <= 150; ++k) state.h.inflow.flowCfs[k] = 1;
    state.h.inflow.last = 205;
    state.newit = travelTimeRouting(0.0f, state.udur, state.h);
    EXPECT_EQ(state.h.inflow.flowCfs.upper(), 251);
    EXPECT_EQ(state.h.routed.outflowCfs.upper(), 304);
    EXPECT_EQ(state.h.routed.outflowCfs[150], 1.0f);
    EXPECT_EQ(state.h.routed.outflowCfs[151], 0.0f);
    EXPECT_EQ(state.newit, 206);
    EXPECT_EQ(state.h.routed.peakCfs, 1.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 1.0f);
    EXPECT_EQ(state.h.inflow.last, 207);  // the scan stops at the zero at 206
}

TEST(TravelTimeRouting, CascadeRoutesTheWorkingHydrographInQout) {
    Case state = computed(1.0f, {50, 50, 50});
    state.h.outflowIsCurrent = true;
    state.h.routed.outflowCfs.redim(3);
    state.h.routed.outflowCfs[1] = 10;
    state.h.routed.outflowCfs[2] = 20;
    state.h.routed.outflowCfs[3] = 10;
    state.h.routed.peakCfs = 20;
    state.h.routed.peakIndex = 3.5f;  // rounds half to even: 4

    state.newit = travelTimeRouting(1.0f, state.udur, state.h);  // one step: m = 2, as worked above

    EXPECT_EQ(state.h.inflow.peakCfs, 20.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 4);
    EXPECT_EQ(head(state.h.inflow.flowCfs, 4), (std::vector<float>{0, 10, 20, 10}));
    EXPECT_EQ(head(state.h.routed.outflowCfs, 7), (std::vector<float>{0, 0, 7.5f, 15, 10, 2.5f, 0}));
    EXPECT_EQ(state.h.routed.peakCfs, 15.0f);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
    EXPECT_EQ(state.h.inflow.last, 7);
}

TEST(TravelTimeRouting, ZeroStepNegativeOrOverlongTravelFails) {
    Case zeroStep = computed(0.0f, {10, 20, 10});
    EXPECT_EQ(failureNumber([&] { zeroStep.newit = travelTimeRouting(1.0f, zeroStep.udur, zeroStep.h); }),
              11);

    // T = -1 h, step 1 h: Int(-2 + 0.5) = -2.
    Case negative = computed(1.0f, {10, 20, 10});
    EXPECT_EQ(failureNumber([&] { negative.newit = travelTimeRouting(-1.0f, negative.udur, negative.h); }),
              5);

    // m = Int(31997 + 0.5) = 31997, newit = 3 + 1 + 31997 = 32001: past the 32,000 bound, refused
    // before any series grows.
    Case overlong = computed(1.0f, {10, 20, 10});
    EXPECT_EQ(failureNumber([&] { overlong.newit = travelTimeRouting(15998.5f, overlong.udur, overlong.h); }),
              9);
    EXPECT_EQ(overlong.newit, 15);
    EXPECT_EQ(overlong.h.routed.outflowCfs.size(), 2);

    // m = 40000 does not fit 16 bits.
    Case huge = computed(1.0f, {10, 20, 10});
    EXPECT_EQ(failureNumber([&] { huge.newit = travelTimeRouting(20000.0f, huge.udur, huge.h); }), 6);
}

}  // namespace
}  // namespace brelvo::basin
