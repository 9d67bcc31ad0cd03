// Rainfall losses: loss inputs, excess rainfall, impervious mixing and the total loss (inches).
#pragma once

#include <string_view>

#include "basin/working_state.hpp"

namespace brelvo::runoff {

// Loss inputs from the texts of the three loss boxes, each read leniently (an empty box is 0):
// the loss value (curve number when 5 or more, else an initial loss in inches), the constant loss
// (inches per hour) and the percent of the basin that is impervious. `state.udur` (hours) must
// already hold the time step: the constant loss per step is taken from it.
void readLossInputs(basin::RunoffState& state, std::string_view lossText, std::string_view constantLossText,
                    std::string_view percentImperviousText);

// The same from values. Sets the curve-number flag, the curve number (rounded half to even, in both
// models; a value outside the 16-bit range is an overflow failure), the initial loss, the constant
// loss and its per-step value, and the impervious fraction (percent / 100).
void setLossInputs(basin::RunoffState& state, float lossValue, float constantLoss, float percentImpervious);

// Constant loss per step (inches) = constant loss (in/hr) * udur (hours); again after a storm file
// has replaced udur.
void updateConstantLossStep(basin::RunoffState& state);

// excessStep(1..nRain) from rainStep(1..nRain) under the loss model of the inputs (inches per step).
void computeExcess(basin::RunoffState& state);

// Impervious share for steps first..last: excess = rain * f + excess * (1 - f); the impervious part
// loses nothing, the pervious part keeps its losses.
void mixImpervious(basin::RunoffState& state, int first, int last);

// Total loss in inches over steps 1..nRain, stored in state.rainLoss and returned. After a Rational
// Method run each excessStep(1..nRain) is first multiplied by C, and stays so. After a routing run
// (nRain = -2) there are no steps and the loss is 0.
float computeRainLoss(basin::RunoffState& state);

}  // namespace brelvo::runoff
