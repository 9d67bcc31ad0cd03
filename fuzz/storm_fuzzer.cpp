// Storm files (*.STM): whatever the text, the reader gives a storm of the announced steps whose depths
// are finite and not negative and whose depth is their sum, or refuses the file with a cause.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"
#include "runoff/rainfall.hpp"

using brelvo::fuzz::finiteAndNotNegative;
using brelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const brelvo::runoff::StormFileHeader header = brelvo::runoff::parseStormFileHeader(text, "f.STM");
        require(std::isfinite(header.stepHours) && header.stepHours > 0, "a step above 0");
        require(header.steps >= 0, "a step count of 0 or more");
        const brelvo::basin::Storm storm = brelvo::runoff::parseStormFileRows(text, header);
        require(storm.steps == header.steps, "the announced step count");
        float total = 0;
        for (int i = 1; i <= storm.steps; ++i) {
            require(finiteAndNotNegative(storm.rainIn[i]), "depths finite and not negative");
            total = brelvo::common::toSingle(static_cast<double>(total + storm.rainIn[i]));
        }
        require(storm.depthIn == total, "the storm's depth is the sum of its steps");
    } catch (const brelvo::common::RuntimeFailure& failure) {
        require(!failure.description().empty(), "a refusal says why");
    }
    return 0;
}
