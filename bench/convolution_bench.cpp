// Benchmark: excess, SCS unit graph and convolution of a 1-minute 24-hour storm vs a bare multiply-add loop.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "basin/working_state.hpp"
#include "common/dialogs.hpp"
#include "runoff/losses.hpp"
#include "runoff/unit_graphs.hpp"

#ifndef BRELVO_DGF_FOLDER
#error "BRELVO_DGF_FOLDER must name the folder that holds SCS.DGF"
#endif

namespace {

using brelvo::basin::RunoffState;
namespace runoff = brelvo::runoff;

constexpr int kRainSteps = 1440;         // 24 hours of 1-minute steps
constexpr float kStepHours = 1.0f / 60;  // hours
constexpr float kStormDepth = 6.0f;      // inches
constexpr float kBasinArea = 40.0f;      // square miles
// Lag in hours: the SCS graph ends at 5 Tp = 5 * (1/120 + 1.75) h, 527 one-minute ordinates, so the
// hydrograph ends before ordinate 2,001, the last one the 2,000-index unit-graph array can form.
constexpr float kLagHours = 1.75f;

class SilentDialogs : public brelvo::common::Dialogs {
public:
    void message(const std::string&) override {}
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return ""; }
    std::optional<std::string> fileDialog(const brelvo::common::FileDialogRequest&) override {
        return std::nullopt;
    }
};

// A uniform storm of 6 inches over 24 hours on a CN 75 basin with 10 percent impervious cover and a
// constant loss of 0.05 in/hr. The impervious share runs off from the first minute, so the first
// ordinate is above the 0.0001 cfs end threshold and the hydrograph runs its full length.
RunoffState stormState() {
    RunoffState state;
    state.basinArea = kBasinArea;
    state.lagHours = kLagHours;
    state.udur = kStepHours;
    state.nRain = kRainSteps;
    state.nSize = kRainSteps + 10;
    state.rainStep.redim(state.nSize);
    state.excessStep.redim(state.nSize);
    for (int i = 1; i <= kRainSteps; ++i) state.rainStep[i] = kStormDepth / kRainSteps;  // inches per step
    runoff::setLossInputs(state, 75, 0.05f, 10);
    return state;
}

std::vector<float> scsUnitGraph() {
    std::ifstream file(std::string(BRELVO_DGF_FOLDER) + "/SCS.DGF", std::ios::binary);
    return runoff::sampleUnitGraph(runoff::parseDimensionlessGraph(file), kBasinArea, kLagHours, kStepHours);
}

void ExcessUnitGraphConvolution(benchmark::State& bench) {
    RunoffState state = stormState();
    SilentDialogs dialogs;
    for (auto _ : bench) {
        runoff::computeExcess(state);
        const runoff::GraphResult result =
            runoff::unitGraphFile(state, "SCS.DGF", BRELVO_DGF_FOLDER, dialogs);
        if (!result.produced) {
            bench.SkipWithError("no excess rainfall");
            break;
        }
        if (state.it < kRainSteps) {
            bench.SkipWithError("the hydrograph ended before the rain did");
            break;
        }
        benchmark::DoNotOptimize(result.ordinateSum);
    }
    const auto units = static_cast<double>(scsUnitGraph().size());
    bench.counters["ordinates"] = state.it + 1;
    bench.counters["unit_graph"] = units;
    bench.counters["multiply_adds"] = kRainSteps * units;
    bench.counters["peak_cfs"] = state.maxq;
}

// The convolution's essential work alone: every rain step times every unit-graph ordinate.
void BareMultiplyAdd(benchmark::State& bench) {
    RunoffState state = stormState();
    runoff::computeExcess(state);
    runoff::mixImpervious(state, 0, state.nRain);
    const std::vector<float> u = scsUnitGraph();
    const std::vector<float>& excess = state.excessStep.values();
    const int units = static_cast<int>(u.size());
    std::vector<float> q(static_cast<std::size_t>(kRainSteps + units + 1));
    for (auto _ : bench) {
        std::fill(q.begin(), q.end(), 0.0f);
        for (int i = 1; i <= kRainSteps; ++i) {
            const float e = excess[static_cast<std::size_t>(i)];
            float* out = q.data() + i;
            for (int j = 0; j < units; ++j) out[j] = out[j] + e * u[static_cast<std::size_t>(j)];
        }
        benchmark::DoNotOptimize(q.data());
        benchmark::ClobberMemory();
    }
    bench.counters["multiply_adds"] = static_cast<double>(kRainSteps) * units;
}

BENCHMARK(ExcessUnitGraphConvolution)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareMultiplyAdd)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runWithRatios(argc, argv, [](const brelvo::bench::RatioReporter& r) {
        r.printRatio("excess + unit graph + convolution / bare multiply-add", "ExcessUnitGraphConvolution",
                     "BareMultiplyAdd");
    });
}
