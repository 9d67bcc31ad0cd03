// Excess rainfall under the SCS curve-number or initial-loss model, both with a constant loss rate.
#include "runoff/losses.hpp"

#include <cfloat>
#include <cmath>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace {

void curveNumberExcess(basin::RunoffState& state) {
    // Potential retention S in inches; CN is at least 5 here, so the division is safe.
    const float s = static_cast<float>(1000.0 / state.curveNumber - 10.0);
    float p = 0;      // cumulative rain, inches
    float qPrev = 0;  // cumulative runoff up to the previous step, inches
    for (int i = 1; i <= state.nRain; ++i) {
        const float rain = state.rainStep[i];
        p = p + rain;
        const float pe = static_cast<float>(p - 0.2 * s);
        float q = 0;
        if (pe > 0) {
            const double pe2 = static_cast<double>(pe) * pe;  // the square in double precision
            q = static_cast<float>(pe2 / (0.8 * s + p));
        }
        float loss = rain - (q - qPrev);
        // The constant rate is a floor under the curve-number loss.
        if (loss < state.constantLossStep) loss = state.constantLossStep;
        const float excess = rain - loss;
        state.excessStep[i] = excess < 0 ? 0.0f : excess;
        qPrev = q;
    }
}

void initialLossExcess(basin::RunoffState& state) {
    // The initial loss is filled first; the constant rate then comes off what it let through.
    float remaining = state.initialLoss;  // inches
    for (int i = 1; i <= state.nRain; ++i) {
        const float rain = state.rainStep[i];
        if (remaining - rain > 0) {
            remaining = remaining - rain;
            state.excessStep[i] = 0;
        } else {
            state.excessStep[i] = rain - remaining;
            remaining = 0;
        }
    }
    for (int i = 1; i <= state.nRain; ++i) {
        const float e = state.excessStep[i] - state.constantLossStep;
        state.excessStep[i] = e > 0 ? e : 0.0f;
    }
}

}  // namespace

void readLossInputs(basin::RunoffState& state, std::string_view lossText, std::string_view constantLossText,
                    std::string_view percentImperviousText) {
    setLossInputs(state, common::toSingle(common::leadingNumber(lossText)),
                  common::toSingle(common::leadingNumber(constantLossText)),
                  common::toSingle(common::leadingNumber(percentImperviousText)));
}

void setLossInputs(basin::RunoffState& state, float lossValue, float constantLoss, float percentImpervious) {
    state.lossValue = lossValue;
    state.curveNumberLoss = lossValue >= 5;
    state.curveNumber = common::toInt16(lossValue);
    state.initialLoss = state.curveNumberLoss ? 0.0f : lossValue;
    state.constantLoss = constantLoss;
    updateConstantLossStep(state);
    state.imperviousFraction = percentImpervious / 100;
}

void updateConstantLossStep(basin::RunoffState& state) {
    state.constantLossStep = state.constantLoss * state.udur;
}

void computeExcess(basin::RunoffState& state) {
    if (state.curveNumberLoss) {
        curveNumberExcess(state);
    } else {
        initialLossExcess(state);
    }
}

void mixImpervious(basin::RunoffState& state, int first, int last) {
    const float f = state.imperviousFraction;
    for (int i = first; i <= last; ++i) {
        state.excessStep[i] = state.rainStep[i] * f + state.excessStep[i] * (1 - f);
    }
}

float computeRainLoss(basin::RunoffState& state) {
    if (state.rationalRun) {
        // The report shows what runs off after the runoff coefficient; the product stays in excessStep.
        for (int i = 1; i <= state.nRain; ++i) state.excessStep[i] = state.excessStep[i] * state.cValue;
    }
    float loss = 0;  // inches
    for (int i = 1; i <= state.nRain; ++i) loss = loss + (state.rainStep[i] - state.excessStep[i]);
    state.rainLoss = loss;
    return loss;
}

}  // namespace brelvo::runoff
