// Benchmark: `muskingum` and travel-time routing over 32,000 steps against bare loops doing the same
// arithmetic.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "basin/routing.hpp"
#include "basin/working_state.hpp"
#include "ratio_reporter.hpp"

namespace {

using brelvo::basin::WorkingHydrograph;

constexpr int kInflowSteps = 6400;  // last index of the inflow; the driver's newit = 5 * 6400 = 32,000
constexpr int kNewit = 32000;
constexpr float kPeakCfs = 5000.0f;
constexpr int kPeakStep = 800;

// Muskingum reach (hours): with K(1 - X) = 900 h against a 0.1 h step the outflow recedes by about
// 1e-4 per step, so a reach this slow is still above the 1 cfs threshold at step 31,999.
constexpr float kMuskK = 1000.0f;
constexpr float kMuskX = 0.1f;
constexpr float kMuskStep = 0.1f;

// Travel time over 1 h steps: 2 * 12799.5 + 0.5 = 25599.5, m = 25,599 passes, newit = 6400 + 1 + 25599.
// A delay of 12,800 steps moves the whole inflow past index 6401, which the passes leave at exactly 0
// (the front underflows), so the scan stops there with a peak of 0: the passes still do all their work,
// and the driver's newit = 5 it allows no inflow long enough for a 32,000-step travel routing to keep it.
constexpr float kTravelStep = 1.0f;
constexpr float kLongTravelHours = 12799.5f;
// A reach of a few steps: m = Int(2 * 2 / 0.25 + 0.5) = 16.
constexpr float kShortStep = 0.25f;
constexpr float kShortTravelHours = 2.0f;

// A computed hydrograph (cfs): a straight rise to the peak at step 800, then a straight recession to
// 1 cfs at step 6400; qi over 0..9000 as a compute run leaves it.
// The working hydrograph with the run's step and routed bound.
struct RoutingCase {
    WorkingHydrograph h;
    float udur = 0;
    std::int16_t newit = 0;
};

RoutingCase inflowState(float udur) {
    RoutingCase state;
    state.udur = udur;
    state.h.inflow.flowCfs.redim(brelvo::basin::kHydrographUpper);
    for (int i = 1; i <= kInflowSteps; ++i) {
        state.h.inflow.flowCfs[i] = i <= kPeakStep
                                        ? kPeakCfs * static_cast<float>(i) / kPeakStep
                                        : 1.0f + (kPeakCfs - 1.0f) * static_cast<float>(kInflowSteps - i) /
                                                     static_cast<float>(kInflowSteps - kPeakStep);
    }
    state.h.inflow.last = kInflowSteps;
    state.newit = kNewit;
    state.h.routed.outflowCfs.redim(1);
    return state;
}

// Every iteration is a first routing: fresh series, qi at 0..9000 as a compute run leaves it and qout
// at 0..1, so the routing grows both to 32,000 (made outside the timing).
void Muskingum32000(benchmark::State& bench) {
    RoutingCase state;
    for (auto _ : bench) {
        bench.PauseTiming();
        state = inflowState(kMuskStep);
        bench.ResumeTiming();
        brelvo::basin::muskingum(kMuskK, kMuskX, state.udur, state.newit, state.h);
        // Not DoNotOptimize(state.h.routed.peakCfs): with GCC and benchmark 1.7 that asm constraint overwrote
        // the float it was handed, so the series' address is passed instead.
        benchmark::DoNotOptimize(state.h.routed.outflowCfs.values().data());
        benchmark::ClobberMemory();
    }
    if (state.h.inflow.last != kNewit - 1) bench.SkipWithError("the routing stopped before newit - 1");
    bench.counters["steps"] = state.h.inflow.last;
    bench.counters["peak_cfs"] = state.h.routed.peakCfs;
}

// The recurrence alone over the same 31,999 steps, in single precision over plain arrays.
void BareMuskingumRecurrence(benchmark::State& bench) {
    const RoutingCase state = inflowState(kMuskStep);
    const auto c = brelvo::basin::muskingumCoefficients(kMuskK, kMuskX, kMuskStep);
    std::vector<float> qi(kNewit + 1, 0.0f);
    std::copy(state.h.inflow.flowCfs.values().begin(),
              state.h.inflow.flowCfs.values().begin() + kInflowSteps + 1, qi.begin());
    std::vector<float> qout(kNewit + 1, 0.0f);
    for (auto _ : bench) {
        qout[0] = 0.0f;
        for (int i = 1; i < kNewit; ++i) {
            const auto at = static_cast<std::size_t>(i);
            qout[at] = c.c1 * qi[at - 1] + c.c0 * qi[at] + c.c2 * qout[at - 1];
        }
        benchmark::DoNotOptimize(qout.data());
        benchmark::ClobberMemory();
    }

    // Both must compute the same series, or the comparison means nothing.
    RoutingCase routed = inflowState(kMuskStep);
    brelvo::basin::muskingum(kMuskK, kMuskX, routed.udur, routed.newit, routed.h);
    if (!std::equal(qout.begin(), qout.begin() + kNewit, routed.h.routed.outflowCfs.values().begin())) {
        bench.SkipWithError("the bare recurrence differs from the routing");
    }
    bench.counters["steps"] = kNewit - 1;
}

void TravelTime(benchmark::State& bench, float udur, float travelHours) {
    RoutingCase state;
    for (auto _ : bench) {
        bench.PauseTiming();
        state = inflowState(udur);  // a first routing: fresh series
        bench.ResumeTiming();
        state.newit = brelvo::basin::travelTimeRouting(travelHours, state.udur, state.h);
        benchmark::DoNotOptimize(state.h.routed.outflowCfs.values().data());
        benchmark::ClobberMemory();
    }
    bench.counters["newit"] = state.newit;
    bench.counters["passes"] = state.newit - kInflowSteps - 1;
    bench.counters["routed_it"] = state.h.inflow.last;
    bench.counters["peak_cfs"] = state.h.routed.peakCfs;
}

// The same passes over plain arrays: the inflow copied in, then m times average 1..it + j into the
// work series and copy back what the pass wrote (past it + j + 1 both series hold zeros).
void bareAveraging(const std::vector<float>& inflow, int m, std::vector<float>& qout,
                   std::vector<float>& work) {
    const int newit = kInflowSteps + 1 + m;
    // Only what the passes read must start at 0: the work series up to newit (the first pass copies it
    // all), qout(0) and qout past the inflow up to the first pass's c + 1.
    std::fill(work.begin(), work.begin() + newit + 1, 0.0f);
    qout[0] = 0.0f;
    std::fill(qout.begin() + kInflowSteps + 1, qout.begin() + std::min(newit, kInflowSteps + 2) + 1, 0.0f);
    std::copy(inflow.begin() + 1, inflow.begin() + kInflowSteps + 1, qout.begin() + 1);
    float* const q = qout.data();
    float* const a = work.data();
    for (int j = 1; j <= m; ++j) {
        const int c = kInflowSteps + j;
        q[c] = 0.0f;
        q[c + 1] = 0.0f;
        for (int k = 1; k <= c; ++k) a[k + 1] = (q[k] + q[k + 1]) / 2.0f;
        std::copy(a + 1, a + std::min(newit, c + 1) + 1, q + 1);
    }
}

void BareAveraging(benchmark::State& bench, float udur, float travelHours) {
    RoutingCase routed = inflowState(udur);
    routed.newit = brelvo::basin::travelTimeRouting(travelHours, routed.udur, routed.h);
    const int m = routed.newit - kInflowSteps - 1;
    const std::vector<float> inflow = inflowState(udur).h.inflow.flowCfs.values();
    std::vector<float> qout(static_cast<std::size_t>(routed.newit) + 2);
    std::vector<float> work(qout.size());
    for (auto _ : bench) {
        bareAveraging(inflow, m, qout, work);
        benchmark::DoNotOptimize(qout.data());
        benchmark::ClobberMemory();
    }
    if (!std::equal(qout.begin(), qout.begin() + routed.newit + 1,
                    routed.h.routed.outflowCfs.values().begin())) {
        bench.SkipWithError("the bare passes differ from the routing");
    }
    bench.counters["newit"] = routed.newit;
    bench.counters["passes"] = m;
}

BENCHMARK(Muskingum32000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareMuskingumRecurrence)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(TravelTime, Long32000, kTravelStep, kLongTravelHours)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareAveraging, Long32000, kTravelStep, kLongTravelHours)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TravelTime, Short16, kShortStep, kShortTravelHours)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareAveraging, Short16, kShortStep, kShortTravelHours)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runWithRatios(argc, argv, [](const brelvo::bench::RatioReporter& r) {
        r.printRatio("Muskingum, 32,000 steps, first routing / bare recurrence", "Muskingum32000",
                     "BareMuskingumRecurrence", 2.0);
        r.printRatio("travel time, 32,000 steps, first routing / bare passes", "TravelTime/Long32000",
                     "BareAveraging/Long32000", 2.0);
        r.printRatio("travel time, 16 passes / bare passes", "TravelTime/Short16", "BareAveraging/Short16",
                     2.0);
    });
}
