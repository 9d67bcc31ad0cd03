// A box's text read as a run reads it: wholly one number within the single range.
#include <cmath>
#include <limits>
#include <string_view>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::common {

BoxNumber readBoxNumber(std::string_view text) {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    if (!isWholeNumber(text)) return {BoxReading::notANumber, 0};
    double value = 0;
    try {
        value = leadingNumber(text);
    } catch (const RuntimeFailure&) {
        return {BoxReading::tooLarge, 0};  // past the double range
    }
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()))) {
        return {BoxReading::tooLarge, 0};
    }
    return {BoxReading::number, static_cast<float>(value)};
}

}  // namespace brelvo::common
