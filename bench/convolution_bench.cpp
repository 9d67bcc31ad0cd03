// Benchmark: excess, SCS unit graph and convolution of a 1-minute 24-hour storm vs a bare multiply-add loop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "basin/working_state.hpp"
#include "interleaved_pairs.hpp"
#include "runoff/losses.hpp"
#include "runoff/unit_graphs.hpp"

#ifndef BRELVO_DGF_FOLDER
#error "BRELVO_DGF_FOLDER must name the folder that holds SCS.DGF"
#endif

namespace {

namespace runoff = brelvo::runoff;

constexpr int kRainSteps = 1440;         // 24 hours of 1-minute steps
constexpr float kStepHours = 1.0f / 60;  // hours
constexpr float kStormDepth = 6.0f;      // inches
constexpr float kBasinArea = 40.0f;      // square miles
// Lag in hours: the SCS graph ends at 5 Tp = 5 * (1/120 + 1.75) h, 527 one-minute ordinates, so the
// hydrograph ends before ordinate 2,001, the last one the 2,000-index unit-graph array can form.
constexpr float kLagHours = 1.75f;

// A uniform storm of 6 inches over 24 hours on a CN 75 basin with 10 percent impervious cover and a
// constant loss of 0.05 in/hr. The impervious share runs off from the first minute, so the first
// ordinate is above the 0.0001 cfs end threshold and the hydrograph runs its full length.
struct StormCase {
    brelvo::basin::Storm storm;
    brelvo::basin::LossInputs losses;
    runoff::GraphBasin basin;
    brelvo::basin::Hydrograph hydrograph;
};

StormCase stormState() {
    StormCase state;
    state.basin.areaSqMi = kBasinArea;
    state.basin.lagHours = kLagHours;
    state.basin.stepHours = kStepHours;
    state.storm.steps = kRainSteps;
    state.storm.upper = kRainSteps + 10;
    state.storm.rainIn.redim(state.storm.upper);
    state.storm.excessIn.redim(state.storm.upper);
    for (int i = 1; i <= kRainSteps; ++i)
        state.storm.rainIn[i] = kStormDepth / kRainSteps;  // inches per step
    state.losses = runoff::lossInputs(75, 0.05f, 10);
    state.basin.imperviousFraction = state.losses.imperviousFraction;
    return state;
}

brelvo::basin::Series excessOf(const StormCase& state) {
    return runoff::computeExcess(state.storm, state.losses,
                                 runoff::constantLossPerStep(state.losses, kStepHours));
}

std::vector<float> scsUnitGraph() {
    std::ifstream file(std::string(BRELVO_DGF_FOLDER) + "/SCS.DGF", std::ios::binary);
    return runoff::sampleUnitGraph(runoff::parseDimensionlessGraph(file), kBasinArea, kLagHours, kStepHours);
}

void ExcessUnitGraphConvolution(benchmark::State& bench) {
    StormCase state = stormState();
    for (auto _ : bench) {
        state.storm.excessIn = excessOf(state);
        const std::optional<runoff::GraphResult> result =
            runoff::unitGraphFile(state.storm, state.basin, "SCS.DGF", BRELVO_DGF_FOLDER, state.hydrograph);
        if (!result) {
            bench.SkipWithError("no excess rainfall");
            break;
        }
        if (state.hydrograph.last < kRainSteps) {
            bench.SkipWithError("the hydrograph ended before the rain did");
            break;
        }
        benchmark::DoNotOptimize(result->ordinateSum);
    }
    const auto units = static_cast<double>(scsUnitGraph().size());
    bench.counters["ordinates"] = state.hydrograph.last + 1;
    bench.counters["unit_graph"] = units;
    bench.counters["multiply_adds"] = kRainSteps * units;
    bench.counters["peak_cfs"] = state.hydrograph.peakCfs;
}

// The convolution's essential work alone: every rain step times every unit-graph ordinate, over the
// arrays laid out as the kernel lays them out (the same block, at the same alignment).
class BareMultiplyAdd {
  public:
    BareMultiplyAdd() : scratch_(std::make_unique<runoff::ConvolutionScratch>()) {
        const StormCase state = stormState();
        brelvo::basin::Series mixed = excessOf(state);
        runoff::mixImpervious(state.storm.rainIn, state.losses.imperviousFraction, 0, state.storm.steps,
                              mixed);
        excess_ = mixed.values();
        const std::vector<float> u = scsUnitGraph();
        units_ = static_cast<int>(u.size());
        std::copy(u.begin(), u.end(), scratch_->unit.begin());
    }

    void run() {
        float* const q = scratch_->flows.data();
        std::fill(q, q + kRainSteps + units_ + 1, 0.0f);
        const float* __restrict unit = scratch_->unit.data();
        for (int i = 1; i <= kRainSteps; ++i) {
            const float e = excess_[static_cast<std::size_t>(i)];
            float* __restrict out = q + i;
            for (int j = 0; j < units_; ++j) out[j] = out[j] + e * unit[j];
        }
        benchmark::DoNotOptimize(q);
        benchmark::ClobberMemory();
    }

    double multiplyAdds() const { return static_cast<double>(kRainSteps) * units_; }

  private:
    std::unique_ptr<runoff::ConvolutionScratch> scratch_;
    std::vector<float> excess_;
    int units_ = 0;
};

void BareMultiplyAddLoop(benchmark::State& bench) {
    BareMultiplyAdd bare;
    for (auto _ : bench) bare.run();
    bench.counters["multiply_adds"] = bare.multiplyAdds();
}

BENCHMARK(ExcessUnitGraphConvolution)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareMultiplyAddLoop)->Unit(benchmark::kMicrosecond);

void printRatios() {
    StormCase state = stormState();
    const auto kernel = [&] {
        state.storm.excessIn = excessOf(state);
        const std::optional<runoff::GraphResult> result =
            runoff::unitGraphFile(state.storm, state.basin, "SCS.DGF", BRELVO_DGF_FOLDER, state.hydrograph);
        if (!result) std::abort();
        benchmark::DoNotOptimize(result->ordinateSum);
    };
    BareMultiplyAdd bare;
    brelvo::bench::printPairTimes(
        "kernel (A) and bare multiply-add (B)",
        brelvo::bench::printInterleavedRatio(
            "excess + unit graph + convolution / bare multiply-add", kernel, [&] { bare.run(); }, 2.0));
}

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runThenPairs(argc, argv, printRatios);
}
