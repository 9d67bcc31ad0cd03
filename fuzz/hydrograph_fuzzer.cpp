// Hydrograph files (*.GRF), read as a new hydrograph (load) or, built with BRELVO_FUZZ_COMBINE, added to
// a current one (combine; the first byte picks a computed or a loaded current hydrograph). Whatever the
// text, the reader refuses it with a message, or gives a hydrograph whose step is at least a minute,
// whose flows are finite and not negative over its whole length, whose routed peak is their largest,
// and whose volume is finite and not negative.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "basin/hydrograph_file.hpp"
#include "check.hpp"

using brelvo::fuzz::finiteAndNotNegative;
using brelvo::fuzz::require;
namespace basin = brelvo::basin;

#ifdef BRELVO_FUZZ_COMBINE
namespace {

// What the compute run leaves (1-hour steps), or a loaded hydrograph held in the outflow.
basin::WorkingHydrograph current(bool loaded) {
    basin::WorkingHydrograph h;
    h.inflow.flowCfs.redim(basin::kHydrographUpper);
    const float flows[] = {0, 121, 242, 161, 81, 0, 0, 0};
    for (int i = 0; i < 8; ++i) h.inflow.flowCfs[i] = flows[i];
    h.inflow.last = 7;
    h.inflow.peakCfs = 242;
    h.inflow.peakIndex = 2;
    h.routed.outflowCfs = loaded ? h.inflow.flowCfs : basin::Series{};
    if (!loaded) h.routed.outflowCfs.redim(1);
    h.routed.peakCfs = loaded ? 242.0f : 0.0f;
    h.routed.peakIndex = loaded ? 2.0f : 0.0f;
    h.outflowIsCurrent = loaded;
    return h;
}

}  // namespace
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef BRELVO_FUZZ_COMBINE
    if (size == 0) return 0;
    const bool combining = true;
    const basin::WorkingHydrograph before = current((data[0] & 1) != 0);
    ++data;
    --size;
#else
    const bool combining = false;
    const basin::WorkingHydrograph before;
#endif
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const basin::HydrographRead read = basin::readHydrographFile(in, before, combining, 1.0f, "f.GRF");
    const auto& loaded = read.loaded;
    if (!loaded) {
        require(!read.messages.empty(), "a refused file is told");
        return 0;
    }
    require(std::isfinite(loaded->stepHours) && loaded->stepHours >= 1.0f / 60.0f,
            "a step of a minute or more");
    if (combining) require(loaded->stepHours == 1.0f, "a combined file has the current step");
    const basin::WorkingHydrograph& h = loaded->hydrograph;
    require(h.inflow.last >= 1, "at least two rows");
    float peak = 0;
    for (int k = 0; k <= h.inflow.last; ++k) {
        const float q = h.routed.outflowCfs[k];
        require(finiteAndNotNegative(q), "flows finite and not negative");
        if (q > peak) peak = q;
    }
    require(h.routed.peakCfs == peak, "the routed peak is the largest flow");
    require(finiteAndNotNegative(h.volumeAcreFt), "a volume finite and not negative");
    require(h.outflowIsCurrent, "the outflow is current");
    return 0;
}
