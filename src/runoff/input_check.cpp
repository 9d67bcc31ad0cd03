// Strict reading of the boxes that feed a run.
#include "runoff/input_check.hpp"

#include <optional>

#include "basin/basin_block.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;
using basin::RunoffFields;

namespace {

constexpr int kTableRows = 8;

using Checker = basin::BoxCheck;

// Reads the rows down to the first empty or zero depth; a row whose depth is refused is left out.
std::vector<DepthDurationRow> checkTable(Checker& check) {
    std::vector<DepthDurationRow> rows;
    double previousDuration = 0;  // hours
    for (int i = 0; i < kTableRows; ++i) {
        const std::string rain = RunoffFields::indexed(form3::txtRain, i);
        const std::string duration = RunoffFields::indexed(form3::txtDuration, i);
        const std::string factor = RunoffFields::indexed(form3::txtArealAdj, i);
        const std::optional<double> depth = check.valueAsRead(rain, basin::rainfallRowLabel(i, "Inches"));
        if (!depth) {
            // An empty depth ends the table; a depth that is no number has been refused.
            if (check.empty(rain)) return rows;
            continue;
        }
        if (static_cast<float>(*depth) < 0)
            check.refuse(rain, basin::rainfallRowLabel(i, "Inches"), common::msg::kMustNotBeNegative);
        const double areal = check.notNegative(factor, basin::rainfallRowLabel(i, "Areal factor"));
        if (areal > 1) {
            check.refuse(factor, basin::rainfallRowLabel(i, "Areal factor"), common::msg::kMustNotBeAboveOne);
        }
        if (static_cast<float>(*depth) == 0) return rows;
        const std::optional<double> hours = check.value(duration, basin::rainfallRowLabel(i, "Hours"));
        rows.push_back({*depth, static_cast<float>(areal), static_cast<float>(hours.value_or(0))});
        if (hours && *hours > 0 && *hours <= previousDuration) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kDurationMustRise);
        } else if (!hours && check.empty(duration)) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kMustBeAboveZero);
        } else if (hours && !(*hours > 0)) {
            check.refuse(duration, basin::rainfallRowLabel(i, "Hours"), common::msg::kMustBeAboveZero);
        }
        if (hours && *hours > previousDuration) previousDuration = *hours;
    }
    return rows;
}

}  // namespace

BoxesRead<ComputeBoxes> readComputeBoxes(const RunoffFields& fields) {
    BoxesRead<ComputeBoxes> read;
    ComputeBoxes& boxes = read.boxes;
    Checker check(fields);
    boxes.methodText = fields.text(form3::ComboDimgraph);
    boxes.arrangementText = fields.text(form3::ComboRain);
    boxes.title1 = fields.text(form3::txtTitle);
    boxes.title2 = fields.text(form3::txtTile2);
    boxes.method = basin::graphMethodOf(boxes.methodText);
    const bool stormFile = basin::isStormFile(boxes.arrangementText);
    const auto area = static_cast<float>(check.positive(form3::txtBasinArea, fields.caption(form3::Label10)));
    boxes.areaSqMi = basin::squareMiles(area, fields.caption(form3::Label10));
    if (fields.checked(form3::chkAutoTimeStep)) (void)basin::readBasinInputs(fields, check);
    const double c = check.notNegative(form3::txtC, std::string(basin::kCLabel));
    boxes.c = static_cast<float>(c);
    if (boxes.method == basin::GraphMethod::rational && !(c > 0 && c <= 1)) {
        check.refuse(form3::txtC, std::string(basin::kCLabel), common::msg::kRationalC);
    }
    boxes.lagHours = static_cast<float>(check.positive(form3::txtLag, std::string(basin::kLagLabel)));
    if (stormFile) {
        boxes.typedStep = static_cast<float>(
            check.value(form3::txtGraphtimestep, fields.caption(form3::Label14)).value_or(0));
    } else {
        boxes.typedStep =
            static_cast<float>(check.positive(form3::txtGraphtimestep, fields.caption(form3::Label14)));
    }
    boxes.stepInMinutes = basin::timeStepInMinutes(fields);
    const std::string loss = "SCS CN (5-100) or Initial Loss (inches)";
    const double lossValue = check.notNegative(form3::txtCNloss, loss);
    if (lossValue > 100) check.refuse(form3::txtCNloss, loss, common::msg::kCurveNumberRange);
    const double constantLoss = check.notNegative(form3::txtConstLoss, "Constant Loss (in/hr)");
    const std::string impervious = "Percent Basin Impervious";
    const double percent = check.notNegative(form3::txtPercentImp, impervious);
    if (percent > 100) check.refuse(form3::txtPercentImp, impervious, common::msg::kPercentAbove100);
    if (!stormFile) boxes.table = checkTable(check);
    read.refused = check.take();
    // Only accepted values make losses: a refused loss box never reaches the 16-bit curve number.
    if (read.refused.empty()) {
        boxes.losses = lossInputs(static_cast<float>(lossValue), static_cast<float>(constantLoss),
                                  static_cast<float>(percent));
    }
    return read;
}

std::vector<RefusedBox> checkComputeBoxes(const RunoffFields& fields) {
    return readComputeBoxes(fields).refused;
}

BoxesRead<RoutingBoxes> readRoutingBoxes(const RunoffFields& fields, int option) {
    BoxesRead<RoutingBoxes> read;
    RoutingBoxes& boxes = read.boxes;
    boxes.option = option;
    boxes.title1 = fields.text(form3::txtTitle);
    boxes.title2 = fields.text(form3::txtTile2);
    boxes.stepInMinutes = basin::timeStepInMinutes(fields);
    Checker check(fields);
    if (option == 0) {
        if (const std::optional<double> e = check.value(form3::txtModbelv, "Begin Elev (blank ok)"))
            boxes.beginElevationFt = static_cast<float>(*e);
    } else if (option == 1) {
        boxes.muskingumK = static_cast<float>(check.notNegative(form3::txtMuskK, "K lag (hr)"));
        const std::string xLabel = "X storage (0 - 0.5)";
        const std::optional<double> x = check.value(form3::txtMuskX, xLabel);
        if (x && !(*x >= 0 && *x <= 0.5))
            check.refuse(form3::txtMuskX, xLabel, common::msg::kMuskingumXRange);
        boxes.muskingumX = static_cast<float>(x.value_or(0));
        boxes.muskingumKText = fields.text(form3::txtMuskK);
        boxes.muskingumXText = fields.text(form3::txtMuskX);
    } else if (option == 3) {
        boxes.travelTimeUnit = fields.caption(form3::capTatum);
        boxes.travelHours = static_cast<float>(
            check.notNegative(form3::txtTatum, "Travel time (" + boxes.travelTimeUnit + ")"));
        if (boxes.travelTimeUnit == "minutes") boxes.travelHours = boxes.travelHours / 60;
        boxes.travelTimeText = fields.text(form3::txtTatum);
    }
    read.refused = check.take();
    return read;
}

std::vector<RefusedBox> checkRoutingBoxes(const RunoffFields& fields, int option) {
    return readRoutingBoxes(fields, option).refused;
}

DepthDurationTable readDepthDurationTable(const RunoffFields& fields) {
    Checker check(fields);
    return depthDurationTable(checkTable(check));
}

}  // namespace brelvo::runoff
