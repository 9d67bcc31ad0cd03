// Loss inputs, curve-number and initial-loss excess, impervious mixing and the total loss.
#include "runoff/losses.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "common/failure.hpp"

namespace brelvo::runoff {
namespace {

// A storm whose rain series holds the given depths (inches) in steps 1..n.
basin::Storm stormOf(const std::vector<float>& rain) {
    basin::Storm storm;
    storm.steps = static_cast<std::int16_t>(rain.size());
    storm.upper = static_cast<std::int16_t>(rain.size() + 10);
    storm.rainIn.redim(storm.upper);
    storm.excessIn.redim(storm.upper);
    for (std::size_t i = 0; i < rain.size(); ++i) storm.rainIn[static_cast<int>(i) + 1] = rain[i];
    return storm;
}

// The excess of a storm under the losses, on steps of stepHours.
basin::Series excessOf(const basin::Storm& storm, const basin::LossInputs& losses, float stepHours = 1) {
    return computeExcess(storm, losses, constantLossPerStep(losses, stepHours));
}

TEST(LossInputs, BoxTextsBecomeTheLossModelAndItsRates) {
    basin::LossInputs losses = readLossInputs("75.5", " 0.4 in/hr", "25");
    EXPECT_TRUE(losses.curveNumberLoss);
    EXPECT_EQ(losses.curveNumber, 76);                          // halves to even
    EXPECT_FLOAT_EQ(constantLossPerStep(losses, 0.25f), 0.1f);  // 0.4 in/hr over a quarter hour
    EXPECT_FLOAT_EQ(losses.imperviousFraction, 0.25f);

    losses = readLossInputs("74.5", "", "");
    EXPECT_EQ(losses.curveNumber, 74);
    EXPECT_FLOAT_EQ(constantLossPerStep(losses, 0.25f), 0.0f);

    // 5 is the smallest curve number; just below it the value is an initial loss in inches.
    losses = readLossInputs("5", "0", "0");
    EXPECT_TRUE(losses.curveNumberLoss);
    EXPECT_EQ(losses.curveNumber, 5);
    losses = readLossInputs("4.99", "0", "0");
    EXPECT_FALSE(losses.curveNumberLoss);
    EXPECT_FLOAT_EQ(losses.initialLossIn, 4.99f);

    // An empty box is an initial loss of 0.
    losses = readLossInputs("", "0", "0");
    EXPECT_FALSE(losses.curveNumberLoss);
    EXPECT_FLOAT_EQ(losses.initialLossIn, 0.0f);

    // A storm file's time step replaces the run's: the per-step loss follows it.
    losses = readLossInputs("", "0.4", "");
    EXPECT_FLOAT_EQ(constantLossPerStep(losses, 0.5f), 0.2f);

    // The curve number is formed in both models: beyond the 16-bit range it overflows.
    EXPECT_THROW((void)readLossInputs("-40000", "", ""), common::RuntimeFailure);
}

TEST(CurveNumberExcess, CumulativeRunoffWithTheConstantLossAsFloor) {
    // CN 80: S = 2.5 in, initial abstraction 0.5 in. Step 1 (P = 0.3) gives nothing; step 2
    // (P = 0.6) gives Q = 0.1^2 / (2.0 + 0.6) = 0.0038462 in; step 3 (P = 0.9) gives
    // Q = 0.4^2 / 2.9 = 0.0551724, an increment of 0.0513263 in.
    basin::Series excess = excessOf(stormOf({0.3f, 0.3f, 0.3f}), lossInputs(80, 0, 0));
    EXPECT_FLOAT_EQ(excess[1], 0.0f);
    EXPECT_NEAR(excess[2], 0.0038462, 1e-6);
    EXPECT_NEAR(excess[3], 0.0513263, 1e-6);
    EXPECT_FLOAT_EQ(excess[0], 0.0f);

    // CN 100: S = 0, so every step loses only the constant loss per step (0.1 in here), or all its
    // rain when that is less.
    excess = excessOf(stormOf({0.5f, 0.05f, 0.3f}), lossInputs(100, 0.1f, 0));
    EXPECT_NEAR(excess[1], 0.4, 1e-6);
    EXPECT_FLOAT_EQ(excess[2], 0.0f);
    EXPECT_NEAR(excess[3], 0.2, 1e-6);

    // CN 5 on 5 in of rain: S = 190 in, far more than the rain, so nothing runs off.
    excess = excessOf(stormOf({5.0f}), lossInputs(5, 0, 0));
    EXPECT_FLOAT_EQ(excess[1], 0.0f);
}

TEST(InitialLossExcess, InitialLossFilledFirstThenTheConstantRate) {
    // Initial loss 0.5 in: step 1 (0.3) fills 0.3 of it, step 2 (0.4) fills the last 0.2 and passes
    // 0.2; step 3 passes all 0.6. Then 0.1 in per step comes off: 0, 0.1, 0.5.
    basin::Series excess = excessOf(stormOf({0.3f, 0.4f, 0.6f}), lossInputs(0.5f, 0.1f, 0));
    EXPECT_FLOAT_EQ(excess[1], 0.0f);
    EXPECT_NEAR(excess[2], 0.1, 1e-6);
    EXPECT_NEAR(excess[3], 0.5, 1e-6);

    // 4.99 is an initial loss: 5 in of rain leaves 0.01 in (a curve number of 5 leaves nothing).
    excess = excessOf(stormOf({5.0f}), lossInputs(4.99f, 0, 0));
    EXPECT_NEAR(excess[1], 0.01, 1e-6);

    // An empty loss box: only the constant loss of 0.2 in/hr over half-hour steps applies.
    excess = excessOf(stormOf({0.3f, 0.05f}), readLossInputs("", "0.2", ""), 0.5f);
    EXPECT_NEAR(excess[1], 0.2, 1e-6);
    EXPECT_FLOAT_EQ(excess[2], 0.0f);
}

TEST(ImperviousMixing, ImperviousShareRunsOffAllItsRain) {
    // 100 percent impervious: whatever the losses took, the excess is the rain.
    basin::Storm storm = stormOf({0.3f, 0.3f});
    basin::LossInputs losses = lossInputs(80, 0.5f, 100);
    basin::Series excess = excessOf(storm, losses);
    mixImpervious(storm.rainIn, losses.imperviousFraction, 0, storm.steps, excess);
    EXPECT_FLOAT_EQ(excess[1], 0.3f);
    EXPECT_FLOAT_EQ(excess[2], 0.3f);

    // A quarter impervious: 1 in of rain with 0.2 in of pervious excess gives 0.25 + 0.75 * 0.2 = 0.4;
    // steps outside first..last keep their excess.
    storm = stormOf({1.0f, 1.0f});
    losses = lossInputs(0.8f, 0, 25);
    excess = excessOf(storm, losses);
    mixImpervious(storm.rainIn, losses.imperviousFraction, 1, 1, excess);
    EXPECT_NEAR(excess[1], 0.4, 1e-6);
    EXPECT_NEAR(excess[2], 1.0, 1e-6);
}

TEST(RainLoss, TotalLossAfterComputeRationalAndRoutingRuns) {
    basin::Storm storm = stormOf({1.0f, 1.0f});
    storm.excessIn[1] = 0.8f;
    storm.excessIn[2] = 0.6f;
    EXPECT_NEAR(rainLoss(storm.rainIn, storm.excessIn, storm.steps), 0.6, 1e-6);  // 0.2 + 0.4

    // After a Rational Method run with C = 0.5 the excess shown is 0.4 and 0.3; the storm keeps its own.
    const basin::Series shown = rationalExcess(storm.excessIn, storm.steps, 0.5f);
    EXPECT_NEAR(shown[1], 0.4, 1e-6);
    EXPECT_NEAR(shown[2], 0.3, 1e-6);
    EXPECT_NEAR(rainLoss(storm.rainIn, shown, storm.steps), 1.3, 1e-6);  // 0.6 + 0.7
    EXPECT_FLOAT_EQ(storm.excessIn[1], 0.8f);

    // A routing run carries no rain steps: no loss.
    EXPECT_FLOAT_EQ(rainLoss(storm.rainIn, shown, 0), 0.0f);
}

}  // namespace
}  // namespace brelvo::runoff
