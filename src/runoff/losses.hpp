// Rainfall losses: loss inputs, excess rainfall, impervious mixing and the total loss (inches).
#pragma once

#include <string_view>

#include "basin/working_state.hpp"

namespace brelvo::runoff {

// Loss inputs from the texts of the three loss boxes, each read leniently (an empty box is 0):
// the loss value (curve number when 5 or more, else an initial loss in inches), the constant loss
// (inches per hour) and the percent of the basin that is impervious.
[[nodiscard]] basin::LossInputs readLossInputs(std::string_view lossText, std::string_view constantLossText,
                                               std::string_view percentImperviousText);

// The same from values: the curve-number flag, the curve number (rounded half to even, in both models;
// a value outside the 16-bit range is an overflow failure), the initial loss, the constant loss and
// the impervious fraction (percent / 100).
[[nodiscard]] basin::LossInputs lossInputs(float lossValue, float constantLoss, float percentImpervious);

// Constant loss per step (inches) = constant loss (in/hr) * step (hours).
[[nodiscard]] float constantLossPerStep(const basin::LossInputs& losses, float stepHours);

// Excess per step: the storm's excess series with steps 1..steps worked from its rain under the loss
// model, losing at least constantLossStepIn (inches) a step. Index 0 and the steps after the rain keep
// what the storm's excess series held.
[[nodiscard]] basin::Series computeExcess(const basin::Storm& storm, const basin::LossInputs& losses,
                                          float constantLossStepIn);

// Impervious share for steps first..last: excess = rain * f + excess * (1 - f); the impervious part
// loses nothing, the pervious part keeps its losses.
void mixImpervious(const basin::Series& rainIn, float imperviousFraction, int first, int last,
                   basin::Series& excessIn);

// The excess that ran off after a Rational Method run: each of steps 1..steps times C.
[[nodiscard]] basin::Series rationalExcess(const basin::Series& excessIn, int steps, float c);

// Total loss in inches over steps 1..steps (none when steps < 1).
[[nodiscard]] float rainLoss(const basin::Series& rainIn, const basin::Series& excessIn, int steps);

}  // namespace brelvo::runoff
