// The benchmarks' console report plus the ratios they are read for (a method against the bare loop of
// the same size): each benchmark's time per iteration, the median when repetitions are asked for.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brelvo::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colour only on a terminal, so that a report piped into a file stays plain text.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            const double seconds = run.GetAdjustedRealTime() * unitSeconds(run.time_unit);
            if (run.run_type == Run::RT_Iteration && medians_.count(name) == 0) {
                seconds_[name] = seconds;
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                seconds_[name] = seconds;
                medians_[name] = true;
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    // Prints "label = ratio" for two benchmarks that both ran.
    void printRatio(const std::string& label, const std::string& numerator,
                    const std::string& denominator) const {
        const auto n = seconds_.find(numerator);
        const auto d = seconds_.find(denominator);
        if (n == seconds_.end() || d == seconds_.end() || d->second <= 0) return;
        std::printf("%s = %.2f\n", label.c_str(), n->second / d->second);
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

    std::map<std::string, double> seconds_;  // per iteration
    std::map<std::string, bool> medians_;
};

// The benchmarks' main: runs them with the ratio reporter, then prints the ratios.
inline int runWithRatios(int argc, char** argv,
                         const std::function<void(const RatioReporter&)>& printRatios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace brelvo::bench
