// Ratios taken from interleaved pairs: side A, then side B, then A again, and so on, each side timed
// with std::chrono::steady_clock. Google Benchmark's repetitions run all of one benchmark before the
// next, so a drift in the machine (another process, the CPU's clock, the page cache) lands on one side
// of the ratio only; pairs taken back to back share it.
//
//     const auto pairs = brelvo::bench::interleavedPairs([&] { method(); }, [&] { bareLoop(); });
//     brelvo::bench::printRatioLine("method / bare loop", pairs.ratios, 2.0);
//
// A side that must prepare each run (a fresh state, say) returns the seconds it timed itself.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ratio_reporter.hpp"

namespace brelvo::bench {

struct PairOptions {
    int pairs = 15;   // timed pairs (at least 9 are always taken)
    int warmUps = 1;  // untimed runs of each side before the first pair
    // Each side of a pair runs this many times in a row (0: chosen from the warm-up so that a side takes
    // about minSideSeconds), so that a fast side is not measured at the clock's resolution.
    int runsPerSide = 0;
    double minSideSeconds = 0.002;
};

// The seconds of one run of each side, pair by pair, and their ratios A / B.
struct PairTimes {
    std::vector<double> a, b, ratios;
    int runsPerSide = 1;
};

namespace detail {

// A side that returns a double times itself (so that it can prepare each run untimed) and returns its
// seconds; any other side is timed whole.
template <typename F>
double timedRuns(F& f, int runs) {
    if constexpr (std::is_same_v<std::invoke_result_t<F&>, double>) {
        double total = 0;
        for (int k = 0; k < runs; ++k) total += f();
        return total;
    } else {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < runs; ++k) f();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
}

}  // namespace detail

constexpr int kMinimumPairs = 9;

template <typename A, typename B>
PairTimes interleavedPairs(A&& sideA, B&& sideB, const PairOptions& options = {}) {
    PairTimes times;
    double warmA = 0, warmB = 0;
    for (int w = 0; w < options.warmUps; ++w) {
        warmA = detail::timedRuns(sideA, 1);
        warmB = detail::timedRuns(sideB, 1);
    }
    int runs = options.runsPerSide;
    if (runs <= 0) {
        if (options.warmUps <= 0) {
            warmA = detail::timedRuns(sideA, 1);
            warmB = detail::timedRuns(sideB, 1);
        }
        const double fastest = std::max(std::min(warmA, warmB), 1e-9);
        runs = std::clamp(static_cast<int>(options.minSideSeconds / fastest) + 1, 1, 1000000);
    }
    times.runsPerSide = runs;
    const int pairs = std::max(options.pairs, kMinimumPairs);
    for (int p = 0; p < pairs; ++p) {
        const double a = detail::timedRuns(sideA, runs) / runs;
        const double b = detail::timedRuns(sideB, runs) / runs;
        times.a.push_back(a);
        times.b.push_back(b);
        if (b > 0) times.ratios.push_back(a / b);
    }
    return times;
}

// The seconds of each side as "label: A min/median/max  B min/median/max" in a readable unit.
inline void printPairTimes(const std::string& label, const PairTimes& times) {
    const Spread a = spreadOf(times.a);
    const Spread b = spreadOf(times.b);
    const double scale = std::max(a.median, b.median) >= 1e-2 ? 1e3 : 1e6;
    const char* unit = scale == 1e3 ? "ms" : "us";
    std::printf("%-58s A %.3g/%.3g/%.3g %s  B %.3g/%.3g/%.3g %s  (%zu pairs x %d runs)\n", label.c_str(),
                a.min * scale, a.median * scale, a.max * scale, unit, b.min * scale, b.median * scale,
                b.max * scale, unit, times.a.size(), times.runsPerSide);
}

// Times the pair and prints its ratio line against the goal (see printRatioLine).
template <typename A, typename B>
PairTimes printInterleavedRatio(const std::string& label, A&& sideA, B&& sideB, double goal,
                                const PairOptions& options = {}, bool againstFloor = true) {
    PairTimes times = interleavedPairs(std::forward<A>(sideA), std::forward<B>(sideB), options);
    printRatioLine(label, times.ratios, goal, againstFloor);
    return times;
}

// The benchmarks' main: Google Benchmark's absolute timings first (one run each unless the command line
// asks for repetitions), then the ratio table, every ratio from interleaved pairs.
inline int runThenPairs(int argc, char** argv, const std::function<void()>& printRatios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    std::fflush(stdout);
    printRatioHeader();
    printRatios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace brelvo::bench
