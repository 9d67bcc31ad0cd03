// The strict reading of the runoff window's boxes: a box whose text is not wholly a number, is too large
// for a single, or whose value cannot describe a basin, a storm or a routing is refused by name. The
// compute and routing checks and the basin block's recomputations read boxes through the same rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/runoff_fields.hpp"

namespace brelvo::basin {

// One refused box: its control name, the label the user sees, its text and the reason.
struct RefusedBox {
    std::string name;
    std::string label;
    std::string text;
    std::string reason;  // "is not a number.", "must be above 0.", ...
    // The line of the message that names this box.
    [[nodiscard]] std::string line() const;
};

// The labels of the basin block's boxes as the window shows them.
inline constexpr std::string_view kUpperElevLabel = "Upper Elev (ft)";
inline constexpr std::string_view kLowerElevLabel = "Lower Elev (ft)";
inline constexpr std::string_view kCLabel = "C estimate";
inline constexpr std::string_view kLagLabel = "Lag Time (hours)";

// Collects the refusals of one reading, each box at most once, and the names of the boxes read.
class BoxCheck {
  public:
    explicit BoxCheck(const RunoffFields& fields) : fields_(fields) {}

    // The box's value: nothing when it is empty (the caller decides what empty means) or refused as not
    // a number or too large.
    std::optional<double> value(std::string_view name, const std::string& label);
    // The same, but the number as read before it is held as a single (a depth is multiplied by its areal
    // factor first).
    std::optional<double> valueAsRead(std::string_view name, const std::string& label);
    // A box that must hold a number above 0 (empty counts as 0); its value, 0 when empty or refused.
    double positive(std::string_view name, const std::string& label);
    // A box that may be empty (0) and must not be negative; its value, 0 when empty or refused.
    double notNegative(std::string_view name, const std::string& label);
    void refuse(std::string_view name, const std::string& label, std::string_view reason);

    [[nodiscard]] bool empty(std::string_view name) const;
    [[nodiscard]] bool refused() const { return !boxes_.empty(); }
    [[nodiscard]] const std::vector<RefusedBox>& boxes() const { return boxes_; }
    [[nodiscard]] const std::vector<std::string>& read() const { return read_; }
    std::vector<RefusedBox> take() { return std::move(boxes_); }

  private:
    const RunoffFields& fields_;
    std::vector<RefusedBox> boxes_;
    std::vector<std::string> read_;
};

// The one message that lists every refused box, a line each.
[[nodiscard]] std::string refusalMessage(const std::vector<RefusedBox>& boxes);

}  // namespace brelvo::basin
