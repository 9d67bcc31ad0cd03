// Dimensionless graphs (*.DGF): whatever the text, the reader gives 1 to 2,001 ordinates that are finite
// and not negative and a spacing above 0, or refuses the file; a graph it gives samples into a unit graph
// of finite flows carrying one inch, or fails with a failure of its own.
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "check.hpp"
#include "common/failure.hpp"
#include "runoff/unit_graphs.hpp"

using brelvo::fuzz::finiteAndNotNegative;
using brelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    brelvo::runoff::DimensionlessGraph graph;
    try {
        graph = brelvo::runoff::parseDimensionlessGraph(in, "f.DGF");
    } catch (const brelvo::common::RuntimeFailure& failure) {
        require(!failure.description().empty(), "a refusal says why");
        return 0;
    }
    require(!graph.ordinates.empty() && graph.ordinates.size() <= 2001, "1 to 2,001 ordinates");
    require(std::isfinite(graph.spacingPercent) && graph.spacingPercent > 0, "a spacing above 0");
    for (const float y : graph.ordinates)
        require(finiteAndNotNegative(y), "ordinates finite and not negative");
    try {
        // One square mile, a 1-hour lag and a 15-minute step.
        const std::vector<float> u = brelvo::runoff::sampleUnitGraph(graph, 1.0f, 1.0f, 0.25f);
        double sum = 0;
        for (const float q : u) {
            require(std::isfinite(q), "unit-graph flows finite");
            sum += q;
        }
        if (!u.empty())
            require(std::fabs(sum * 0.25 - 645.36) < 0.01 * 645.36, "the unit graph carries one inch");
    } catch (const brelvo::common::RuntimeFailure&) {
        // A graph whose samples sum to 0, or need too many ordinates, fails the run with its own message.
    }
    return 0;
}
