// Benchmark: `muskingum` and travel-time routing over 32,000 steps against bare loops doing the same
// arithmetic.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "basin/routing.hpp"
#include "basin/working_state.hpp"
#include "interleaved_pairs.hpp"

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

// Travel time over 1 h steps: 2 * 12774 + 0.5 = 25548.5, m = 25,548 passes, newit = 6400 + 1 + 25548.
// A delay of 12,774 steps moves the whole inflow past index 6401, which the passes leave at exactly 0
// (the front underflows), so the scan stops there with a peak of 0: the passes still do all their work,
// and the driver's newit = 5 it allows no inflow long enough for a 32,000-step travel routing to keep it.
constexpr float kTravelStep = 1.0f;
constexpr float kLongTravelHours = 12774.0f;
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

// One in-place pass over q(bottom..top), compiled as the routing's own pass is: for the wider vector
// registers too where the processor has them, eight ordinates at a time (the compiler does not vectorise
// the plain loop, whose every store may feed the next load, so written out it is no floor).
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void plainPass(float* p, int bottom, int top) {
    int i = top;
#if defined(__GNUC__)
    typedef float Eight __attribute__((vector_size(32)));
    for (; i - 7 >= bottom; i -= 8) {
        Eight before;
        Eight at;
        std::memcpy(&before, p + i - 8, sizeof before);
        std::memcpy(&at, p + i - 7, sizeof at);
        const Eight average = (before + at) / 2.0f;
        std::memcpy(p + i - 7, &average, sizeof average);
    }
#endif
    for (; i >= bottom; --i) p[i] = (p[i - 1] + p[i]) / 2.0f;
}

// The same passes over plain arrays, in place: the inflow copied in, the rest up to newit cleared, then
// m times q(i) = (q(i - 1) + q(i)) / 2 from the top down and q(1) = 0. `moving` keeps each pass to
// what lies between the first and the last ordinate that is not +0 (two +0 average to +0); without
// it every pass runs over 2..it + j + 1 as the passes are written.
struct BarePasses {
    std::vector<float> inflow;
    std::vector<float> q;
    int lastInflow = 0;
    int m = 0;

    void run(bool moving) {
        const int newit = lastInflow + 1 + m;
        std::copy(inflow.begin() + 1, inflow.begin() + lastInflow + 1, q.begin() + 1);
        std::fill(q.begin() + lastInflow + 1, q.begin() + newit + 1, 0.0f);
        float* const p = q.data();
        int lo = 1, hi = lastInflow;
        for (int j = 1; j <= m; ++j) {
            const int top = moving ? hi + 1 : lastInflow + j + 1;
            plainPass(p, std::max(lo, 2), top);
            p[1] = 0.0f;
            if (!moving) continue;
            hi = top;
            while (hi >= lo && p[hi] == 0.0f && !std::signbit(p[hi])) --hi;
            while (lo <= hi && p[lo] == 0.0f && !std::signbit(p[lo])) ++lo;
        }
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
    }
};

BarePasses barePasses(float udur, float travelHours) {
    RoutingCase routed = inflowState(udur);
    routed.newit = brelvo::basin::travelTimeRouting(travelHours, routed.udur, routed.h);
    BarePasses bare;
    bare.lastInflow = kInflowSteps;
    bare.m = routed.newit - kInflowSteps - 1;
    bare.inflow = inflowState(udur).h.inflow.flowCfs.values();
    bare.q.assign(static_cast<std::size_t>(routed.newit) + 2, 0.0f);
    // Both must compute the same series, or the comparison means nothing.
    for (const bool moving : {true, false}) {
        bare.run(moving);
        if (!std::equal(bare.q.begin() + 1, bare.q.begin() + routed.newit + 1,
                        routed.h.routed.outflowCfs.values().begin() + 1)) {
            std::printf("the bare passes differ from the routing\n");
            std::exit(1);
        }
    }
    return bare;
}

void BareInPlacePasses(benchmark::State& bench, float udur, float travelHours) {
    BarePasses bare = barePasses(udur, travelHours);
    for (auto _ : bench) bare.run(true);
    bench.counters["passes"] = bare.m;
}

BENCHMARK(Muskingum32000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareMuskingumRecurrence)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(TravelTime, Long25548, kTravelStep, kLongTravelHours)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareInPlacePasses, Long25548, kTravelStep, kLongTravelHours)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TravelTime, Short16, kShortStep, kShortTravelHours)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BareInPlacePasses, Short16, kShortStep, kShortTravelHours)->Unit(benchmark::kMicrosecond);

// A first routing, timed after its fresh series are made.
double travelRouting(float udur, float travelHours) {
    RoutingCase state = inflowState(udur);
    const auto start = std::chrono::steady_clock::now();
    state.newit = brelvo::basin::travelTimeRouting(travelHours, state.udur, state.h);
    const double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(state.h.routed.outflowCfs.values().data());
    return taken;
}

void printRatios() {
    namespace b = brelvo::bench;
    const auto muskingum = [] {
        RoutingCase state = inflowState(kMuskStep);
        const auto start = std::chrono::steady_clock::now();
        brelvo::basin::muskingum(kMuskK, kMuskX, state.udur, state.newit, state.h);
        const double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(state.h.routed.outflowCfs.values().data());
        return taken;
    };
    const RoutingCase musk = inflowState(kMuskStep);
    const auto c = brelvo::basin::muskingumCoefficients(kMuskK, kMuskX, kMuskStep);
    std::vector<float> qi(kNewit + 1, 0.0f);
    std::copy(musk.h.inflow.flowCfs.values().begin(),
              musk.h.inflow.flowCfs.values().begin() + kInflowSteps + 1, qi.begin());
    std::vector<float> qout(kNewit + 1, 0.0f);
    const auto recurrence = [&] {
        for (int i = 1; i < kNewit; ++i) {
            const auto at = static_cast<std::size_t>(i);
            qout[at] = c.c1 * qi[at - 1] + c.c0 * qi[at] + c.c2 * qout[at - 1];
        }
        benchmark::DoNotOptimize(qout.data());
        benchmark::ClobberMemory();
    };
    // A first routing makes room for 32,000 ordinates in both series: fresh memory, whose pages are
    // committed as they are first written. The floor does the same: the inflow copied into a fresh
    // array of the routing's length, a fresh outflow array, then the recurrence.
    const auto freshRecurrence = [&] {
        std::vector<float> in;
        in.reserve(kNewit + 1);
        in.assign(qi.begin(), qi.begin() + kInflowSteps + 1);  // each element written once
        in.resize(kNewit + 1, 0.0f);
        std::unique_ptr<float[]> out(new float[kNewit + 1]);  // written once, by the recurrence
        out[0] = 0.0f;
        for (int i = 1; i < kNewit; ++i) {
            const auto at = static_cast<std::size_t>(i);
            out[at] = c.c1 * in[at - 1] + c.c0 * in[at] + c.c2 * out[at - 1];
        }
        benchmark::DoNotOptimize(out.get());
        benchmark::ClobberMemory();
    };
    b::printInterleavedRatio("Muskingum, 32,000 steps, first routing / bare recurrence, fresh arrays",
                             muskingum, freshRecurrence, 2.0);
    b::printInterleavedRatio("  against the recurrence over arrays already in use", muskingum, recurrence, 0);

    BarePasses longBare = barePasses(kTravelStep, kLongTravelHours);
    const auto longRouting = [] { return travelRouting(kTravelStep, kLongTravelHours); };
    const b::PairTimes travel = b::printInterleavedRatio(
        "travel time, 25,548 passes / bare in-place passes over what moves", longRouting,
        [&] { longBare.run(true); }, 2.0);
    b::printInterleavedRatio(
        "  against in-place passes over the whole hydrograph", longRouting, [&] { longBare.run(false); }, 0);
    std::vector<double> milliseconds;
    for (const double seconds : travel.a) milliseconds.push_back(seconds * 1000);
    b::printRatioLine("travel time, 25,548 passes, milliseconds", milliseconds, 20, false);

    BarePasses shortBare = barePasses(kShortStep, kShortTravelHours);
    b::printInterleavedRatio(
        "travel time, 16 passes / bare in-place passes",
        [] { return travelRouting(kShortStep, kShortTravelHours); }, [&] { shortBare.run(true); }, 2.0);
}

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runThenPairs(argc, argv, printRatios);
}
