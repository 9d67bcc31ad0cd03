// Strict reading of the boxes that feed a run.
#include "runoff/input_check.hpp"

#include <optional>

#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;
using basin::RunoffFields;

namespace {

constexpr int kTableRows = 8;

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Collects the refusals of one run, each box at most once.
class Checker {
  public:
    explicit Checker(const RunoffFields& fields) : fields_(fields) {}

    // The box's value: nothing when it is empty (the caller decides what empty means) or refused as not
    // a number.
    std::optional<double> value(std::string_view name, const std::string& label) {
        const std::string& text = fields_.text(name);
        if (trimmed(text).empty()) return std::nullopt;
        if (!common::isWholeNumber(text)) {
            refuse(name, label, std::string(common::msg::kNotANumber));
            return std::nullopt;
        }
        return common::leadingNumber(text);
    }

    // A box that must hold a number above 0 (empty counts as 0).
    void positive(std::string_view name, const std::string& label) {
        const std::string& text = fields_.text(name);
        const std::optional<double> v = value(name, label);
        if (v ? !(*v > 0) : (trimmed(text).empty()))
            refuse(name, label, std::string(common::msg::kMustBeAboveZero));
    }

    // A box that may be empty (0) and must not be negative; its value, 0 when empty or refused.
    double notNegative(std::string_view name, const std::string& label) {
        const std::optional<double> v = value(name, label);
        if (v && *v < 0) refuse(name, label, std::string(common::msg::kMustNotBeNegative));
        return v.value_or(0);
    }

    void refuse(std::string_view name, const std::string& label, const std::string& reason) {
        for (const RefusedBox& box : boxes_) {
            if (box.name == name) return;
        }
        boxes_.push_back({std::string(name), label, fields_.text(name), reason});
    }

    std::vector<RefusedBox> take() { return std::move(boxes_); }

  private:
    const RunoffFields& fields_;
    std::vector<RefusedBox> boxes_;
};

void checkTable(const RunoffFields& fields, Checker& check) {
    double previousDuration = 0;  // hours
    for (int i = 0; i < kTableRows; ++i) {
        const std::string row = "Rainfall Durations row " + std::to_string(i + 1) + " ";
        const std::string rain = RunoffFields::indexed(form3::txtRain, i);
        const std::string duration = RunoffFields::indexed(form3::txtDuration, i);
        const std::string factor = RunoffFields::indexed(form3::txtArealAdj, i);
        const std::optional<double> depth = check.value(rain, row + "Inches");
        if (!depth) {
            // An empty depth ends the table; a depth that is no number has been refused.
            if (trimmed(fields.text(rain)).empty()) return;
            continue;
        }
        if (*depth < 0) check.refuse(rain, row + "Inches", std::string(common::msg::kMustNotBeNegative));
        check.notNegative(factor, row + "Areal factor");
        if (*depth == 0) return;
        const std::optional<double> hours = check.value(duration, row + "Hours");
        if (hours && *hours > 0 && *hours <= previousDuration) {
            check.refuse(duration, row + "Hours", std::string(common::msg::kDurationMustRise));
        } else if (!hours && trimmed(fields.text(duration)).empty()) {
            check.refuse(duration, row + "Hours", std::string(common::msg::kMustBeAboveZero));
        } else if (hours && !(*hours > 0)) {
            check.refuse(duration, row + "Hours", std::string(common::msg::kMustBeAboveZero));
        }
        if (hours && *hours > previousDuration) previousDuration = *hours;
    }
}

}  // namespace

std::string RefusedBox::line() const {
    return common::msg::boxRefused(label, text, reason);
}

std::vector<RefusedBox> checkComputeBoxes(const RunoffFields& fields) {
    Checker check(fields);
    const std::string& method = fields.text(form3::ComboDimgraph);
    const bool stormFile = fields.text(form3::ComboRain) == "Storm File";
    check.positive(form3::txtBasinArea, fields.caption(form3::Label10));
    const double c = check.notNegative(form3::txtC, "C estimate");
    if (method == "Rational Method" && !(c > 0 && c <= 1)) {
        check.refuse(form3::txtC, "C estimate", std::string(common::msg::kRationalC));
    }
    check.positive(form3::txtLag, "Lag Time (hours)");
    if (stormFile) {
        (void)check.value(form3::txtGraphtimestep, fields.caption(form3::Label14));
    } else {
        check.positive(form3::txtGraphtimestep, fields.caption(form3::Label14));
    }
    check.notNegative(form3::txtCNloss, "SCS CN (5-100) or Initial Loss (inches)");
    check.notNegative(form3::txtConstLoss, "Constant Loss (in/hr)");
    const std::string impervious = "Percent Basin Impervious";
    if (check.notNegative(form3::txtPercentImp, impervious) > 100) {
        check.refuse(form3::txtPercentImp, impervious, std::string(common::msg::kPercentAbove100));
    }
    if (!stormFile) checkTable(fields, check);
    return check.take();
}

std::vector<RefusedBox> checkRoutingBoxes(const RunoffFields& fields, int option) {
    Checker check(fields);
    if (option == 0) {
        (void)check.value(form3::txtModbelv, "Begin Elev (blank ok)");
    } else if (option == 1) {
        check.notNegative(form3::txtMuskK, "K lag (hr)");
        (void)check.value(form3::txtMuskX, "X storage (0 - 0.5)");
    } else if (option == 3) {
        check.notNegative(form3::txtTatum, "Travel time (" + fields.caption(form3::capTatum) + ")");
    }
    return check.take();
}

std::string refusalMessage(const std::vector<RefusedBox>& boxes) {
    std::string message;
    for (const RefusedBox& box : boxes) {
        if (!message.empty()) message += "\n";
        message += box.line();
    }
    return message;
}

}  // namespace brelvo::runoff
