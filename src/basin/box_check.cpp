// Strict reading of the runoff window's boxes.
#include "basin/box_check.hpp"

#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

std::string RefusedBox::line() const {
    return common::msg::boxRefused(label, text, reason);
}

bool BoxCheck::empty(std::string_view name) const {
    return common::readBoxNumber(fields_.text(name)).reading == common::BoxReading::empty;
}

std::optional<double> BoxCheck::value(std::string_view name, const std::string& label) {
    read_.emplace_back(name);
    const std::string& text = fields_.text(name);
    const common::BoxNumber n = common::readBoxNumber(text);
    switch (n.reading) {
        case common::BoxReading::empty:
            return std::nullopt;
        case common::BoxReading::notANumber:
            refuse(name, label, common::msg::boxNotANumber(text));
            return std::nullopt;
        case common::BoxReading::tooLarge:
            refuse(name, label, common::msg::kTooLargeANumber);
            return std::nullopt;
        case common::BoxReading::number:
            break;
    }
    return n.value;
}

std::optional<double> BoxCheck::valueAsRead(std::string_view name, const std::string& label) {
    if (!value(name, label)) return std::nullopt;
    return common::leadingNumber(fields_.text(name));
}

double BoxCheck::positive(std::string_view name, const std::string& label) {
    const std::optional<double> v = value(name, label);
    if (v ? !(*v > 0) : empty(name)) refuse(name, label, common::msg::kMustBeAboveZero);
    return v && *v > 0 ? *v : 0;
}

double BoxCheck::notNegative(std::string_view name, const std::string& label) {
    const std::optional<double> v = value(name, label);
    if (v && *v < 0) refuse(name, label, common::msg::kMustNotBeNegative);
    return v && *v >= 0 ? *v : 0;
}

void BoxCheck::refuse(std::string_view name, const std::string& label, std::string_view reason) {
    for (const RefusedBox& box : boxes_) {
        if (box.name == name) return;
    }
    boxes_.push_back({std::string(name), label, fields_.text(name), std::string(reason)});
}

std::string refusalMessage(const std::vector<RefusedBox>& boxes) {
    std::string message;
    for (const RefusedBox& box : boxes) {
        if (!message.empty()) message += "\n";
        message += box.line();
    }
    return message;
}

}  // namespace brelvo::basin
