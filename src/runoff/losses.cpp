// Excess rainfall under the SCS curve-number or initial-loss model, both with a constant loss rate.
#include "runoff/losses.hpp"

#include <cfloat>
#include <cmath>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace {

void curveNumberExcess(const basin::Storm& storm, const basin::LossInputs& losses, float constantLossStep,
                       basin::Series& excessIn) {
    // Potential retention S in inches; CN is at least 5 here, so the division is safe.
    const float s = static_cast<float>(1000.0 / losses.curveNumber - 10.0);
    float p = 0;      // cumulative rain, inches
    float qPrev = 0;  // cumulative runoff up to the previous step, inches
    for (int i = 1; i <= storm.steps; ++i) {
        const float rain = storm.rainIn[i];
        p = p + rain;
        const float pe = static_cast<float>(p - 0.2 * s);
        float q = 0;
        if (pe > 0) {
            const double pe2 = static_cast<double>(pe) * pe;  // the square in double precision
            q = static_cast<float>(pe2 / (0.8 * s + p));
        }
        float loss = rain - (q - qPrev);
        // The constant rate is a floor under the curve-number loss.
        if (loss < constantLossStep) loss = constantLossStep;
        const float excess = rain - loss;
        excessIn[i] = excess < 0 ? 0.0f : excess;
        qPrev = q;
    }
}

void initialLossExcess(const basin::Storm& storm, const basin::LossInputs& losses, float constantLossStep,
                       basin::Series& excessIn) {
    // The initial loss is filled first; the constant rate then comes off what it let through.
    float remaining = losses.initialLossIn;  // inches
    for (int i = 1; i <= storm.steps; ++i) {
        const float rain = storm.rainIn[i];
        if (remaining - rain > 0) {
            remaining = remaining - rain;
            excessIn[i] = 0;
        } else {
            excessIn[i] = rain - remaining;
            remaining = 0;
        }
    }
    for (int i = 1; i <= storm.steps; ++i) {
        const float e = excessIn[i] - constantLossStep;
        excessIn[i] = e > 0 ? e : 0.0f;
    }
}

}  // namespace

basin::LossInputs readLossInputs(std::string_view lossText, std::string_view constantLossText,
                                 std::string_view percentImperviousText) {
    return lossInputs(common::toSingle(common::leadingNumber(lossText)),
                      common::toSingle(common::leadingNumber(constantLossText)),
                      common::toSingle(common::leadingNumber(percentImperviousText)));
}

basin::LossInputs lossInputs(float lossValue, float constantLoss, float percentImpervious) {
    basin::LossInputs losses;
    losses.lossValue = lossValue;
    losses.curveNumberLoss = lossValue >= 5;
    losses.curveNumber = common::toInt16(lossValue);
    losses.initialLossIn = losses.curveNumberLoss ? 0.0f : lossValue;
    losses.constantLossInPerHour = constantLoss;
    losses.imperviousFraction = percentImpervious / 100;
    return losses;
}

float constantLossPerStep(const basin::LossInputs& losses, float stepHours) {
    return losses.constantLossInPerHour * stepHours;
}

basin::Series computeExcess(const basin::Storm& storm, const basin::LossInputs& losses,
                            float constantLossStepIn) {
    basin::Series excess = storm.excessIn;
    if (losses.curveNumberLoss) {
        curveNumberExcess(storm, losses, constantLossStepIn, excess);
    } else {
        initialLossExcess(storm, losses, constantLossStepIn, excess);
    }
    return excess;
}

void mixImpervious(const basin::Series& rainIn, float imperviousFraction, int first, int last,
                   basin::Series& excessIn) {
    const float f = imperviousFraction;
    for (int i = first; i <= last; ++i) excessIn[i] = rainIn[i] * f + excessIn[i] * (1 - f);
}

basin::Series rationalExcess(const basin::Series& excessIn, int steps, float c) {
    basin::Series excess = excessIn;
    for (int i = 1; i <= steps; ++i) excess[i] = excess[i] * c;
    return excess;
}

float rainLoss(const basin::Series& rainIn, const basin::Series& excessIn, int steps) {
    float loss = 0;  // inches
    for (int i = 1; i <= steps; ++i) loss = loss + (rainIn[i] - excessIn[i]);
    return loss;
}

}  // namespace brelvo::runoff
