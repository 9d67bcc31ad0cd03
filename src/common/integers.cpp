// The conversions, counters and texts of 16-bit integers declared with the number texts.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::common {

std::int16_t toInt16(double value) {
    if (!std::isfinite(value)) throw overflow();
    double rounded = std::floor(value);
    const double rest = value - rounded;  // exact: the fraction of a double is representable
    if (rest > 0.5 || (rest == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        throw overflow();
    }
    return static_cast<std::int16_t>(rounded);
}

std::int16_t checkedAdd(std::int16_t a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    if (sum < std::numeric_limits<std::int16_t>::min() || sum > std::numeric_limits<std::int16_t>::max()) {
        throw overflow();
    }
    return static_cast<std::int16_t>(sum);
}

std::string integerText(int value) {
    std::array<char, 16> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), end};
}

}  // namespace brelvo::common
