// Loss inputs, curve-number and initial-loss excess, impervious mixing and the total loss.
#include "runoff/losses.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "common/failure.hpp"

namespace brelvo::runoff {
namespace {

// A state whose rain series holds the given depths (inches) in steps 1..n, udur hours per step.
basin::RunoffState stormState(const std::vector<float>& rain, float udur = 1) {
    basin::RunoffState state;
    state.udur = udur;
    state.nRain = static_cast<std::int16_t>(rain.size());
    state.nSize = static_cast<std::int16_t>(rain.size() + 10);
    state.rainStep.redim(state.nSize);
    state.excessStep.redim(state.nSize);
    for (std::size_t i = 0; i < rain.size(); ++i) state.rainStep[static_cast<int>(i) + 1] = rain[i];
    return state;
}

TEST(LossInputs, BoxTextsBecomeTheLossModelAndItsRates) {
    basin::RunoffState state;
    state.udur = 0.25f;  // 15 minutes
    readLossInputs(state, "75.5", " 0.4 in/hr", "25");
    EXPECT_TRUE(state.curveNumberLoss);
    EXPECT_EQ(state.curveNumber, 76);               // halves to even
    EXPECT_FLOAT_EQ(state.constantLossStep, 0.1f);  // 0.4 in/hr over a quarter hour
    EXPECT_FLOAT_EQ(state.imperviousFraction, 0.25f);

    readLossInputs(state, "74.5", "", "");
    EXPECT_EQ(state.curveNumber, 74);
    EXPECT_FLOAT_EQ(state.constantLossStep, 0.0f);

    // 5 is the smallest curve number; just below it the value is an initial loss in inches.
    readLossInputs(state, "5", "0", "0");
    EXPECT_TRUE(state.curveNumberLoss);
    EXPECT_EQ(state.curveNumber, 5);
    readLossInputs(state, "4.99", "0", "0");
    EXPECT_FALSE(state.curveNumberLoss);
    EXPECT_FLOAT_EQ(state.initialLoss, 4.99f);

    // An empty box is an initial loss of 0.
    readLossInputs(state, "", "0", "0");
    EXPECT_FALSE(state.curveNumberLoss);
    EXPECT_FLOAT_EQ(state.initialLoss, 0.0f);

    // A storm file's time step replaces udur: the per-step loss follows it.
    readLossInputs(state, "", "0.4", "");
    state.udur = 0.5f;
    updateConstantLossStep(state);
    EXPECT_FLOAT_EQ(state.constantLossStep, 0.2f);

    // The curve number is formed in both models: beyond the 16-bit range it overflows.
    EXPECT_THROW(readLossInputs(state, "-40000", "", ""), common::RuntimeFailure);
}

TEST(CurveNumberExcess, CumulativeRunoffWithTheConstantLossAsFloor) {
    // CN 80: S = 2.5 in, initial abstraction 0.5 in. Step 1 (P = 0.3) gives nothing; step 2
    // (P = 0.6) gives Q = 0.1^2 / (2.0 + 0.6) = 0.0038462 in; step 3 (P = 0.9) gives
    // Q = 0.4^2 / 2.9 = 0.0551724, an increment of 0.0513263 in.
    basin::RunoffState state = stormState({0.3f, 0.3f, 0.3f});
    setLossInputs(state, 80, 0, 0);
    computeExcess(state);
    EXPECT_FLOAT_EQ(state.excessStep[1], 0.0f);
    EXPECT_NEAR(state.excessStep[2], 0.0038462, 1e-6);
    EXPECT_NEAR(state.excessStep[3], 0.0513263, 1e-6);
    EXPECT_FLOAT_EQ(state.excessStep[0], 0.0f);

    // CN 100: S = 0, so every step loses only the constant loss per step (0.1 in here), or all its
    // rain when that is less.
    state = stormState({0.5f, 0.05f, 0.3f});
    setLossInputs(state, 100, 0.1f, 0);
    computeExcess(state);
    EXPECT_NEAR(state.excessStep[1], 0.4, 1e-6);
    EXPECT_FLOAT_EQ(state.excessStep[2], 0.0f);
    EXPECT_NEAR(state.excessStep[3], 0.2, 1e-6);

    // CN 5 on 5 in of rain: S = 190 in, far more than the rain, so nothing runs off.
    state = stormState({5.0f});
    setLossInputs(state, 5, 0, 0);
    computeExcess(state);
    EXPECT_FLOAT_EQ(state.excessStep[1], 0.0f);
}

TEST(InitialLossExcess, InitialLossFilledFirstThenTheConstantRate) {
    // Initial loss 0.5 in: step 1 (0.3) fills 0.3 of it, step 2 (0.4) fills the last 0.2 and passes
    // 0.2; step 3 passes all 0.6. Then 0.1 in per step comes off: 0, 0.1, 0.5.
    basin::RunoffState state = stormState({0.3f, 0.4f, 0.6f});
    setLossInputs(state, 0.5f, 0.1f, 0);
    computeExcess(state);
    EXPECT_FLOAT_EQ(state.excessStep[1], 0.0f);
    EXPECT_NEAR(state.excessStep[2], 0.1, 1e-6);
    EXPECT_NEAR(state.excessStep[3], 0.5, 1e-6);

    // 4.99 is an initial loss: 5 in of rain leaves 0.01 in (a curve number of 5 leaves nothing).
    state = stormState({5.0f});
    setLossInputs(state, 4.99f, 0, 0);
    computeExcess(state);
    EXPECT_NEAR(state.excessStep[1], 0.01, 1e-6);

    // An empty loss box: only the constant loss of 0.2 in/hr over half-hour steps applies.
    state = stormState({0.3f, 0.05f}, 0.5f);
    readLossInputs(state, "", "0.2", "");
    computeExcess(state);
    EXPECT_NEAR(state.excessStep[1], 0.2, 1e-6);
    EXPECT_FLOAT_EQ(state.excessStep[2], 0.0f);
}

TEST(ImperviousMixing, ImperviousShareRunsOffAllItsRain) {
    // 100 percent impervious: whatever the losses took, the excess is the rain.
    basin::RunoffState state = stormState({0.3f, 0.3f});
    setLossInputs(state, 80, 0.5f, 100);
    computeExcess(state);
    mixImpervious(state, 0, state.nRain);
    EXPECT_FLOAT_EQ(state.excessStep[1], 0.3f);
    EXPECT_FLOAT_EQ(state.excessStep[2], 0.3f);

    // A quarter impervious: 1 in of rain with 0.2 in of pervious excess gives 0.25 + 0.75 * 0.2 = 0.4;
    // steps outside first..last keep their excess.
    state = stormState({1.0f, 1.0f});
    setLossInputs(state, 0.8f, 0, 25);
    computeExcess(state);
    mixImpervious(state, 1, 1);
    EXPECT_NEAR(state.excessStep[1], 0.4, 1e-6);
    EXPECT_NEAR(state.excessStep[2], 1.0, 1e-6);
}

TEST(RainLoss, TotalLossAfterComputeRationalAndRoutingRuns) {
    basin::RunoffState state = stormState({1.0f, 1.0f});
    state.excessStep[1] = 0.8f;
    state.excessStep[2] = 0.6f;
    EXPECT_NEAR(computeRainLoss(state), 0.6, 1e-6);  // 0.2 + 0.4
    EXPECT_NEAR(state.rainLoss, 0.6, 1e-6);

    // After a Rational Method run with C = 0.5 the excess becomes 0.4 and 0.3 and stays so.
    state.rationalRun = true;
    state.cValue = 0.5f;
    EXPECT_NEAR(computeRainLoss(state), 1.3, 1e-6);  // 0.6 + 0.7
    EXPECT_NEAR(state.excessStep[1], 0.4, 1e-6);
    EXPECT_NEAR(state.excessStep[2], 0.3, 1e-6);

    // A routing run leaves nRain at -2: no steps, no loss, and the excess is not multiplied again.
    state.nRain = -2;
    EXPECT_FLOAT_EQ(computeRainLoss(state), 0.0f);
    EXPECT_NEAR(state.excessStep[1], 0.4, 1e-6);
}

}  // namespace
}  // namespace brelvo::runoff
