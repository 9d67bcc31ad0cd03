// Strict reading of the boxes that feed a run.
#include "runoff/input_check.hpp"

#include <optional>

#include "basin/basin_block.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;
using basin::RunoffFields;

namespace {

constexpr int kTableRows = 8;

using Checker = basin::BoxCheck;

void checkTable(Checker& check) {
    double previousDuration = 0;  // hours
    for (int i = 0; i < kTableRows; ++i) {
        const std::string rain = RunoffFields::indexed(form3::txtRain, i);
        const std::string duration = RunoffFields::indexed(form3::txtDuration, i);
        const std::string factor = RunoffFields::indexed(form3::txtArealAdj, i);
        const std::optional<double> depth = check.value(rain, basin::rainfallRowLabel(i, "Inches"));
        if (!depth) {
            // An empty depth ends the table; a depth that is no number has been refused.
            if (check.empty(rain)) return;
            continue;
        }
        if (*depth < 0)
            check.refuse(rain, basin::rainfallRowLabel(i, "Inches"), common::msg::kMustNotBeNegative);
        if (check.notNegative(factor, basin::rainfallRowLabel(i, "Areal factor")) > 1) {
            check.refuse(factor, basin::rainfallRowLabel(i, "Areal factor"), common::msg::kMustNotBeAboveOne);
        }
        if (*depth == 0) return;
        const std::optional<double> hours = check.value(duration, basin::rainfallRowLabel(i, "Hours"));
        if (hours && *hours > 0 && *hours <= previousDuration) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kDurationMustRise);
        } else if (!hours && check.empty(duration)) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kMustBeAboveZero);
        } else if (hours && !(*hours > 0)) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kMustBeAboveZero);
        }
        if (hours && *hours > previousDuration) previousDuration = *hours;
    }
}

}  // namespace

std::vector<RefusedBox> checkComputeBoxes(const RunoffFields& fields) {
    Checker check(fields);
    const std::string& method = fields.text(form3::ComboDimgraph);
    const bool stormFile = fields.text(form3::ComboRain) == "Storm File";
    check.positive(form3::txtBasinArea, fields.caption(form3::Label10));
    if (fields.checked(form3::chkAutoTimeStep)) (void)basin::readBasinInputs(fields, check);
    const double c = check.notNegative(form3::txtC, std::string(basin::kCLabel));
    if (method == "Rational Method" && !(c > 0 && c <= 1)) {
        check.refuse(form3::txtC, std::string(basin::kCLabel), common::msg::kRationalC);
    }
    check.positive(form3::txtLag, std::string(basin::kLagLabel));
    if (stormFile) {
        (void)check.value(form3::txtGraphtimestep, fields.caption(form3::Label14));
    } else {
        check.positive(form3::txtGraphtimestep, fields.caption(form3::Label14));
    }
    const std::string loss = "SCS CN (5-100) or Initial Loss (inches)";
    if (check.notNegative(form3::txtCNloss, loss) > 100) {
        check.refuse(form3::txtCNloss, loss, common::msg::kCurveNumberRange);
    }
    check.notNegative(form3::txtConstLoss, "Constant Loss (in/hr)");
    const std::string impervious = "Percent Basin Impervious";
    if (check.notNegative(form3::txtPercentImp, impervious) > 100) {
        check.refuse(form3::txtPercentImp, impervious, common::msg::kPercentAbove100);
    }
    if (!stormFile) checkTable(check);
    return check.take();
}

std::vector<RefusedBox> checkRoutingBoxes(const RunoffFields& fields, int option) {
    Checker check(fields);
    if (option == 0) {
        (void)check.value(form3::txtModbelv, "Begin Elev (blank ok)");
    } else if (option == 1) {
        check.notNegative(form3::txtMuskK, "K lag (hr)");
        const std::string xLabel = "X storage (0 - 0.5)";
        const std::optional<double> x = check.value(form3::txtMuskX, xLabel);
        if (x && !(*x >= 0 && *x <= 0.5))
            check.refuse(form3::txtMuskX, xLabel, common::msg::kMuskingumXRange);
    } else if (option == 3) {
        check.notNegative(form3::txtTatum, "Travel time (" + fields.caption(form3::capTatum) + ")");
    }
    return check.take();
}

}  // namespace brelvo::runoff
