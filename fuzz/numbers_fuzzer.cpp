// The number rules: the lenient read, the strict read of file fields, the general text and the number
// patterns. Whatever the text: a field the strict read takes is wholly a number and reads as the lenient
// read does; the general text of any finite single reads back within its seven digits; a pattern never
// cuts the integer part and rounds to its decimals; a 16-bit conversion stays in its range or fails.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "check.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"

using brelvo::fuzz::require;
namespace common = brelvo::common;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double lenient = 0;
    try {
        lenient = common::leadingNumber(text);
        require(!std::isnan(lenient), "the lenient read gives a number");
    } catch (const common::RuntimeFailure& failure) {
        // Past the double range the lenient read is an overflow failure, never an infinity.
        require(failure.number() == common::overflow().number(), "only an overflow stops the lenient read");
    }
    try {
        const float strict = common::fileNumber("f", 1, text);
        require(common::isWholeNumber(text), "a field read strictly is wholly a number");
        require(std::isfinite(strict) && strict == static_cast<float>(lenient),
                "the strict read is the lenient one");
    } catch (const common::RuntimeFailure& failure) {
        require(!failure.cause().empty(), "a refused field is named");
    }

    if (size >= sizeof(float)) {
        float value = 0;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            const std::string general = common::generalText(value);
            const double back = common::leadingNumber(general);
            require(common::isWholeNumber(general), "the general text is a number");
            require(std::fabs(back - value) <= 1e-6 * std::fabs(static_cast<double>(value)) + 1e-45,
                    "the general text reads back within seven digits");
            const std::string fixed = common::formatPattern(value, "#####0.00");
            const double shown = common::leadingNumber(fixed);
            require(std::fabs(shown - value) <= 0.005 + 1e-6 * std::fabs(static_cast<double>(value)),
                    "a pattern rounds to its decimals and keeps the integer part");
            try {
                const std::int16_t whole = common::toInt16(value);
                require(std::fabs(static_cast<double>(whole) - value) <= 0.5, "a 16-bit conversion rounds");
            } catch (const common::RuntimeFailure&) {
                require(!(std::fabs(value) < 32767.5f), "only values outside 16 bits fail");
            }
        }
    }
    return 0;
}
