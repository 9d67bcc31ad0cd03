// The benchmarks' console report plus the ratios they are read for (a method against the bare loop of
// the same size). Every figure is repeated (7 times unless --benchmark_repetitions says otherwise); a
// ratio is taken repetition by repetition and printed as min / median / max against its goal.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace brelvo::bench {

// min / median / max of a set of figures (all 0 when empty).
struct Spread {
    double min = 0, median = 0, max = 0;
};

inline Spread spreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

// One line of the ratio table: "label   min  median  max   goal  verdict"; a goal of 0 marks a figure
// given for comparison only. A median ratio below 0.97
// against a bare loop means the loop is no floor, which the line says instead of passing (a kernel
// that does exactly the bare loop's work lands at 1 give or take the timing noise of a few percent).
inline void printRatioLine(const std::string& label, const std::vector<double>& ratios, double goal,
                           bool againstFloor = true) {
    if (ratios.empty()) {
        std::printf("%-58s   (not measured)\n", label.c_str());
        return;
    }
    const Spread s = spreadOf(ratios);
    if (goal <= 0) {  // a figure shown beside the others, held to nothing
        std::printf("%-58s %7.2f %7.2f %7.2f   (for comparison)\n", label.c_str(), s.min, s.median, s.max);
        return;
    }
    const char* verdict = s.median <= goal ? "within" : "OVER";
    if (againstFloor && s.median < 0.97) verdict = "BARE LOOP IS NO FLOOR";
    std::printf("%-58s %7.2f %7.2f %7.2f   <= %g  %s\n", label.c_str(), s.min, s.median, s.max, goal,
                verdict);
}

inline void printRatioHeader() {
    std::printf("\n%-58s %7s %7s %7s   %s\n", "ratio", "min", "median", "max", "goal");
}

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colour only on a terminal, so that a report piped into a file stays plain text.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            seconds_[run.run_name.function_name].push_back(run.GetAdjustedRealTime() *
                                                           unitSeconds(run.time_unit));
        }
        ConsoleReporter::ReportRuns(reports);
    }

    // The time per iteration (seconds) of each repetition of a benchmark.
    std::vector<double> seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? std::vector<double>{} : found->second;
    }

    // Prints the ratio numerator / denominator, repetition by repetition, against its goal.
    void printRatio(const std::string& label, const std::string& numerator, const std::string& denominator,
                    double goal, bool againstFloor = true) const {
        const std::vector<double> n = seconds(numerator);
        const std::vector<double> d = seconds(denominator);
        std::vector<double> ratios;
        for (std::size_t k = 0; k < std::min(n.size(), d.size()); ++k) {
            if (d[k] > 0) ratios.push_back(n[k] / d[k]);
        }
        printRatioLine(label, ratios, goal, againstFloor);
    }

  private:
    static double unitSeconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond:
                return 1e-9;
            case benchmark::kMicrosecond:
                return 1e-6;
            case benchmark::kMillisecond:
                return 1e-3;
            default:
                return 1.0;
        }
    }

    std::map<std::string, std::vector<double>> seconds_;  // per iteration, one entry per repetition
};

// The benchmarks' main: runs them repeated with the ratio reporter, then prints the ratio table.
inline int runWithRatios(int argc, char** argv,
                         const std::function<void(const RatioReporter&)>& printRatios) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=7";
    const bool asked = std::any_of(args.begin(), args.end(), [](const char* a) {
        return std::strncmp(a, "--benchmark_repetitions", 23) == 0;
    });
    if (!asked) args.push_back(repetitions.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatioHeader();
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace brelvo::bench
