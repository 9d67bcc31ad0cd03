// Basin block of the runoff window. Elevations in feet, lengths in miles (after the lblL unit factor),
// slope in feet per mile, lag and time step in hours; single-precision arithmetic as in the fields.
#include "basin/basin_block.hpp"

#include <cmath>
#include <limits>

#include "basin/areal_reduction.hpp"
#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace form3 = common::controls::form3;

namespace {

constexpr int kGridRows = 8;
const std::string kStepMinutes = "Hydrograph Time Step (minutes)";
const std::string kStepHours = "Hydrograph Time Step (hours)";

std::optional<float> finiteSingle(double value) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(value);
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Int(value * scale + 0.5) / scale as shortest text; the product is a single, as the field arithmetic
// has it. Nothing when the product leaves the single range.
std::optional<std::string> roundedText(float value, float scale) {
    const float scaled = value * scale;
    if (!std::isfinite(scaled)) return std::nullopt;
    return common::generalText(static_cast<float>(std::floor(static_cast<double>(scaled) + 0.5) / scale));
}

// S in ft/mi. Nothing unless L and Lca are positive and S is positive and finite: equal elevations,
// a zero length or a zero Lca would divide by zero in the slope or the lag, and then the previous
// S, C and lag stay as they are.
std::optional<float> slopeOf(const BasinInputs& in) {
    if (!(in.lengthMi > 0.0f) || !(in.belowCentroidMi > 0.0f)) return std::nullopt;
    const float slope = (in.upperFt - in.lowerFt) / in.lengthMi;
    if (!(slope > 0.0f) || !std::isfinite(slope)) return std::nullopt;
    return slope;
}

// lag = C (L Lca / S^0.5)^0.33, hours.
std::optional<float> lagOf(float c, const BasinInputs& in, float slope) {
    const float lengths = in.lengthMi * in.belowCentroidMi;
    const double ratio = static_cast<double>(lengths) / std::sqrt(static_cast<double>(slope));
    return finiteSingle(static_cast<double>(c) * std::pow(ratio, 0.33));
}

}  // namespace

std::optional<BasinInputs> readBasinInputs(const RunoffFields& fields, BoxCheck& check) {
    const std::optional<double> upper = check.value(form3::txtelv1, std::string(kUpperElevLabel));
    const std::optional<double> lower = check.value(form3::txtElv2, std::string(kLowerElevLabel));
    if (upper && lower && !(*lower < *upper)) {
        check.refuse(form3::txtElv2, std::string(kLowerElevLabel), common::msg::kBelowUpperElev);
    }
    // An empty length is one not filled in yet; a length that is filled in must be above 0.
    const auto length = [&](std::string_view name, std::string_view caption) -> std::optional<double> {
        if (check.empty(name)) return std::nullopt;
        const double v = check.positive(name, fields.caption(caption));
        return v > 0 ? std::optional<double>(v) : std::nullopt;
    };
    const std::optional<double> l = length(form3::txtL, form3::lblL);
    const std::optional<double> lca = length(form3::txtLca, form3::lblLca);
    if (check.refused() || !upper || !lower || !l || !lca) return std::nullopt;
    const float factor = lengthFactor(fields);
    return BasinInputs{static_cast<float>(*upper), static_cast<float>(*lower),
                       factor * static_cast<float>(*l), factor * static_cast<float>(*lca)};
}

std::string rainfallRowLabel(int row, std::string_view column) {
    return "Rainfall Durations row " + std::to_string(row + 1) + " " + std::string(column);
}

const std::vector<std::string>& dimgraphItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> list;
        for (const GraphMethodText& named : kGraphMethodTexts) list.emplace_back(named.text);
        for (const char* file :
             {"SCS.DGF", "Urban.DGF", "SWDesertCoPlateau.DGF", "PhoenixMtsAZ.DGF", "GreatPlains.DGF",
              "SierraCascadeCoastal.DGF", "RockMtTstorm.DGF", "RockyMtGenStorm.DGF"})
            list.emplace_back(file);
        return list;
    }();
    return items;
}

const std::vector<std::string>& rainItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> list;
        for (const ArrangementText& arrangement : kArrangementTexts) list.emplace_back(arrangement.text);
        return list;
    }();
    return items;
}

void loadRunoffDefaults(RunoffFields& fields) {
    // Elevations are cleared before txtC is set, so a bound txtC handler finds nothing to recompute.
    fields.setText(form3::txtBasinArea, "1");
    fields.setText(form3::txtL, "");
    fields.setText(form3::txtLca, "");
    fields.setText(form3::txtelv1, "");
    fields.setText(form3::txtElv2, "");
    fields.setText(form3::txtS, "1");
    fields.setText(form3::txtC, "1");
    fields.setText(form3::txtLag, "1");
    fields.setText(form3::txtGraphtimestep, "15");
    for (int i = 0; i < kGridRows; ++i) {
        fields.setText(RunoffFields::indexed(form3::txtDuration, i), i == 0 ? "1" : "");
        fields.setText(RunoffFields::indexed(form3::txtRain, i), i == 0 ? "1.00" : "");
        fields.setText(RunoffFields::indexed(form3::txtArealAdj, i), "");
    }
    fields.setText(form3::txtCNloss, "");
    fields.setText(form3::txtConstLoss, "");
    fields.setText(form3::txtPercentImp, "");
    fields.setText(form3::txtTitle, "Enter Title 1");
    fields.setText(form3::txtTile2, "Enter Title 2");
    fields.setText(form3::ComboDimgraph, "Select Dimensionless Graph");
    fields.setText(form3::ComboRain, "Select Rainfall Arrangement");
    // The routing panel: travel time routing is chosen at start.
    fields.setText(form3::optRouteType, "3");
    fields.setText(form3::txtModbelv, "");
    fields.setText(form3::txtMuskK, "1");
    fields.setText(form3::txtMuskX, "0.25");
    fields.setText(form3::txtTatum, "");

    fields.setCaption(form3::Label10, "Basin Area (mi^2)");
    fields.setCaption(form3::lblL, "Stream Length");
    fields.setCaption(form3::lblLca, "Below Centroid");
    fields.setCaption(form3::Label14, kStepMinutes);
    fields.setCaption(form3::Frame2, "Hydrograph Method");
    fields.setCaption(form3::capTatum, "Hours");

    fields.setChecked(form3::chkAutoTimeStep, true);
    fields.setChecked(form3::chkAreaAdj, false);
}

void receiveMeasurement(RunoffFields& fields, const common::HandOff& values) {
    const auto present = [](const std::optional<std::string>& value) { return value && !value->empty(); };
    fields.setCaption(form3::Frame2, values.frameCaption);
    if (present(values.streamLength)) fields.setText(form3::txtL, *values.streamLength);
    fields.setCaption(form3::lblL, values.streamLengthLabel);
    if (present(values.belowCentroid)) fields.setText(form3::txtLca, *values.belowCentroid);
    fields.setCaption(form3::lblLca, values.belowCentroidLabel);
    if (values.basinArea) {
        if (present(values.basinArea)) fields.setText(form3::txtBasinArea, *values.basinArea);
        fields.setCaption(form3::Label10, values.basinAreaLabel.value_or(std::string()));
    }
    if (present(values.upperElevation)) fields.setText(form3::txtelv1, *values.upperElevation);
    if (present(values.lowerElevation)) fields.setText(form3::txtElv2, *values.lowerElevation);
}

float lengthFactor(const RunoffFields& fields) {
    return contains(fields.caption(form3::lblL), "ft") ? 1.0f / 5280.0f : 1.0f;
}

float squareMiles(float area, const std::string& unitCaption) {
    if (contains(unitCaption, "acre")) return area / 640.0f;
    if (contains(unitCaption, "ft^2")) return area / 27878400.0f;
    return area;
}

float basinAreaSquareMiles(const RunoffFields& fields) {
    return squareMiles(common::readSingle(fields.text(form3::txtBasinArea)), fields.caption(form3::Label10));
}

BasinBlock::BasinBlock(RunoffFields& fields) : fields_(fields) {
    fields_.onChange(form3::txtC, [this] { cChanged(); });
}

BasinBlock::~BasinBlock() {
    fields_.onChange(form3::txtC, nullptr);
}

bool BasinBlock::report(const BoxCheck& check, bool tell) {
    if (checked) checked(BoxReport{check.read(), check.boxes(), tell && check.refused()});
    return !check.refused();
}

void BasinBlock::Getbasinstats() {
    recompute({});
}

void BasinBlock::recompute(std::string_view left) {
    if (!fields_.checked(form3::chkAutoTimeStep)) return;
    BoxCheck check(fields_);
    const auto in = readBasinInputs(fields_, check);
    // Leaving a box names what is refused in it, and leaving an elevation a lower elevation that is not
    // below the upper; not again what is refused in a box the user has not come back to.
    const bool elevationLeft = left == form3::txtelv1 || left == form3::txtElv2;
    bool tell = left.empty();
    for (const RefusedBox& box : check.boxes()) {
        tell = tell || box.name == left || (elevationLeft && box.reason == common::msg::kBelowUpperElev);
    }
    if (!report(check, tell) || !in) return;
    const auto slope = slopeOf(*in);
    if (!slope) return;
    const auto c = static_cast<float>(0.76748 * std::pow(static_cast<double>(*slope), 0.14645));
    const auto lag = lagOf(c, *in, *slope);
    if (!lag) return;
    // Everything is checked before the first write, because writing C already runs txtC's handler.
    const auto cText = roundedText(c, 100.0f);
    const auto slopeText = roundedText(*slope, 10.0f);
    const auto lagText = roundedText(*lag, 100.0f);
    if (!cText || !slopeText || !lagText) return;

    // Runs the txtC change handler (lag from the rounded C, step from lag / 11) before going on;
    // the writes below then leave S, the lag from the unrounded C and the step from lag / 5.5.
    fields_.setText(form3::txtC, *cText);
    fields_.setText(form3::txtS, *slopeText);
    fields_.setText(form3::txtLag, *lagText);
    chooseTimeStep(static_cast<float>(static_cast<double>(*lag) / 5.5));
}

void BasinBlock::cChanged() {
    if (!fields_.checked(form3::chkAutoTimeStep)) return;
    if (fields_.text(form3::txtelv1).empty() || fields_.text(form3::txtElv2).empty()) return;
    // A lone point is where typing a C such as ".8" starts: nothing to recompute yet.
    const std::string cField = fields_.text(form3::txtC);
    if (cField == "." || cField.empty()) return;
    // C is read as it is typed: a refusal frames it, and names it when the box is left.
    BoxCheck check(fields_);
    const auto in = readBasinInputs(fields_, check);
    const auto c = static_cast<float>(check.notNegative(form3::txtC, std::string(kCLabel)));
    if (!report(check, false) || !in) return;
    const auto slope = slopeOf(*in);
    if (!slope) return;
    const auto lag = lagOf(c, *in, *slope);
    if (!lag) return;
    const auto slopeText = roundedText(*slope, 10.0f);
    const auto lagText = roundedText(*lag, 100.0f);
    if (!slopeText || !lagText) return;

    fields_.setText(form3::txtS, *slopeText);
    fields_.setText(form3::txtLag, *lagText);
    chooseTimeStep(static_cast<float>(static_cast<double>(*lag) / 5.5 / 2.0));
}

void BasinBlock::lostFocus(const std::string& name) {
    if (name == form3::txtelv1 || name == form3::txtElv2) {
        recompute(name);
    } else if (name == form3::txtL || name == form3::txtLca) {
        if (fields_.text(form3::txtGraphtimestep).empty()) return;
        recompute(name);
    } else if (name == form3::txtC) {
        // What typing C refused is named once the box is left.
        if (!fields_.checked(form3::chkAutoTimeStep)) return;
        const std::string& cField = fields_.text(form3::txtC);
        if (cField.empty() || fields_.text(form3::txtelv1).empty() || fields_.text(form3::txtElv2).empty())
            return;
        BoxCheck check(fields_);
        (void)check.notNegative(form3::txtC, std::string(kCLabel));
        report(check, true);
    } else if (name == form3::txtLag) {
        if (!fields_.checked(form3::chkAutoTimeStep)) return;
        const std::string lagField = fields_.text(form3::txtLag);
        if (lagField == "." || lagField.empty()) return;
        BoxCheck check(fields_);
        const double lag = check.positive(form3::txtLag, std::string(kLagLabel));
        if (!report(check, true)) return;
        chooseTimeStep(static_cast<float>(lag / 5.5));
    }
}

void BasinBlock::areaAdjClicked() {
    const bool reduce = fields_.checked(form3::chkAreaAdj);
    BoxCheck check(fields_);
    const auto areaBox = check.value(form3::txtBasinArea, fields_.caption(form3::Label10));
    if (areaBox && *areaBox < 0) {
        check.refuse(form3::txtBasinArea, fields_.caption(form3::Label10), common::msg::kMustNotBeNegative);
    }
    std::vector<float> durations(kGridRows, 0.0f);
    for (int i = 0; i < kGridRows; ++i) {
        const std::string name = RunoffFields::indexed(form3::txtDuration, i);
        durations[static_cast<std::size_t>(i)] =
            static_cast<float>(check.notNegative(name, rainfallRowLabel(i, "Hours")));
    }
    if (!report(check, true)) {
        // Nothing was reduced: the check box goes back to what the factors show.
        fields_.setChecked(form3::chkAreaAdj, !reduce);
        return;
    }
    const float area = squareMiles(static_cast<float>(areaBox.value_or(0)), fields_.caption(form3::Label10));
    if (area == 0.0f) return;
    for (int i = 0; i < kGridRows; ++i) {
        const float duration = durations[static_cast<std::size_t>(i)];
        if (duration == 0.0f) continue;
        const float factor = reduce ? arealReductionFactor(area, duration) : 1.0f;
        fields_.setText(RunoffFields::indexed(form3::txtArealAdj, i), common::formatPattern(factor, "0.000"));
    }
}

void BasinBlock::chooseTimeStep(float r) {
    if (!std::isfinite(r)) return;
    // Step in hours; the thresholds are singles and every comparison is strict.
    float stepHours = 0;
    if (r < 0.08f) {
        stepHours = 0.016666666f;
    } else if (r < 0.166f) {
        stepHours = 0.08333333f;
    } else if (r < 0.24f) {
        stepHours = 0.16666667f;
    } else if (r < 0.49f) {
        stepHours = 0.25f;
    } else if (r < 0.99f) {
        stepHours = 0.5f;
    } else {
        stepHours = static_cast<float>(std::floor(static_cast<double>(r) - 0.1) + 1.0);
    }

    // The field carries the unit that Label14 names: whole minutes below an hour, else hours.
    double value = 0;
    if (stepHours >= 1.0f) {
        fields_.setCaption(form3::Label14, kStepHours);
        value = stepHours;
    } else {
        fields_.setCaption(form3::Label14, kStepMinutes);
        value = common::leadingNumber(common::formatPattern(stepHours * 60.0f, "#0"));
    }
    fields_.setText(form3::txtGraphtimestep,
                    common::generalText(static_cast<float>(std::floor(value * 1000.0 + 0.5) / 1000.0)));
}

}  // namespace brelvo::basin
