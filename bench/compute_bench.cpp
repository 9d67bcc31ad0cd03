// Benchmark: the whole "Compute Hydrograph" run, report file included, at 9,000 ordinates, against the
// bare arithmetic of its triangle unit graph, and for comparison against a bare multiply-add loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "compute_case.hpp"
#include "interleaved_pairs.hpp"

namespace {

using namespace brelvo::bench::compute_case;

// The convolution's essential work alone, on the excess and triangle of a finished run: every rain
// step times every ordinate of the triangle's base.
class BareLoop {
  public:
    explicit BareLoop(const runoff::ReportRun& run) {
        const int nRain = run.storm.steps;
        const std::vector<float>& steps = run.storm.excessIn.values();
        excess_.assign(steps.begin(), steps.begin() + nRain + 1);
        // The triangle as the run forms it: np steps up, nr steps down, scaled by 484 A / lag.
        const float udur = run.stepHours;
        const int np = static_cast<int>(std::lround((udur / 2 + run.lagHours) / udur));
        const int nr = static_cast<int>(std::lround(np * 1.67));
        const float scale = run.areaSqMi * 484 / run.lagHours;
        for (int k = 1; k <= np + nr; ++k) {
            const float shape = k <= np ? static_cast<float>(k) / static_cast<float>(np)
                                        : static_cast<float>(nr - (k - np)) / static_cast<float>(nr);
            unit_.push_back(shape * scale);
        }
        q_.assign(excess_.size() + unit_.size() + 1, 0.0f);
    }

    void run() {
        std::fill(q_.begin(), q_.end(), 0.0f);
        const int nRain = static_cast<int>(excess_.size()) - 1;
        const int units = static_cast<int>(unit_.size());
        for (int i = 1; i <= nRain; ++i) {
            const float e = excess_[static_cast<std::size_t>(i)];
            float* out = q_.data() + i;
            for (int j = 0; j < units; ++j) out[j] = out[j] + e * unit_[static_cast<std::size_t>(j)];
        }
        benchmark::DoNotOptimize(q_.data());
        benchmark::ClobberMemory();
    }

    double multiplyAdds() const {
        return static_cast<double>(excess_.size() - 1) * static_cast<double>(unit_.size());
    }
    int baseLength() const { return static_cast<int>(unit_.size()); }

  private:
    std::vector<float> excess_;  // inches per step, 0..nRain
    std::vector<float> unit_;    // cfs per inch of excess, ordinates 1..nb at index 0..nb-1
    std::vector<float> q_;       // cfs
};

// The triangle method's own arithmetic alone, on the same excess and triangle: for every rain step its
// peak rate, then every ordinate of the base as the run forms it, (k qp) / np up and (nr - (k - np)) qp
// / nr down, each a single-precision product, quotient and sum. The division is part of the result:
// its bits are those of the quotient, so no multiply-add with a reciprocal can stand in for it. This
// is the floor of the run's convolution; the multiply-add loop above is the floor of a unit graph
// formed once, which this method does not do.
class BareTriangle {
  public:
    explicit BareTriangle(const runoff::ReportRun& run) : area_(run.areaSqMi), lag_(run.lagHours) {
        const int nRain = run.storm.steps;
        const std::vector<float>& steps = run.storm.excessIn.values();
        excess_.assign(steps.begin(), steps.begin() + nRain + 1);
        const float udur = run.stepHours;
        np_ = static_cast<int>(std::lround((udur / 2 + run.lagHours) / udur));
        nr_ = static_cast<int>(std::lround(np_ * 1.67));
        q_.assign(excess_.size() + static_cast<std::size_t>(np_ + nr_) + 1, 0.0f);
    }

    void run() {
        std::fill(q_.begin(), q_.end(), 0.0f);
        const int nRain = static_cast<int>(excess_.size()) - 1;
        const float npf = static_cast<float>(np_), nrf = static_cast<float>(nr_);
        for (int n = 1; n <= nRain; ++n) {
            const float qp = area_ * 484 * excess_[static_cast<std::size_t>(n)] / lag_;
            float* const flow = q_.data() + n - 1;
            for (int k = 1; k <= np_; ++k) flow[k] = flow[k] + static_cast<float>(k) * qp / npf;
            for (int k = np_ + 1; k <= np_ + nr_; ++k)
                flow[k] = flow[k] + static_cast<float>(nr_ - (k - np_)) * qp / nrf;
        }
        benchmark::DoNotOptimize(q_.data());
        benchmark::ClobberMemory();
    }

  private:
    float area_;
    float lag_;
    int np_ = 0;
    int nr_ = 0;
    std::vector<float> excess_;
    std::vector<float> q_;
};

// Each iteration a fresh state and chart (made untimed), then the whole run: inputs, rainfall, losses,
// triangle, volume, report file, caption and chart.
void WholeComputeRun(benchmark::State& bench) {
    FinishedRun first;
    if (!first.state) {
        bench.SkipWithError(first.error.c_str());
        return;
    }
    BareLoop bare(first.report);
    Window& window = first.window;
    std::optional<RunoffSession> state;
    std::optional<ChartGrid> chart;
    std::string error;
    for (auto _ : bench) {
        bench.PauseTiming();
        window.fresh(state, chart);
        bench.ResumeTiming();
        if (!window.run(*state, *chart, error)) {
            bench.SkipWithError(error.c_str());
            break;
        }
    }
    if (!state) return;
    bench.counters["ordinates"] = state->hydrograph.inflow.last + 1;
    bench.counters["rain_steps"] = state->rainSteps;
    bench.counters["base_steps"] = bare.baseLength();
    bench.counters["multiply_adds"] = bare.multiplyAdds();
    bench.counters["peak_cfs"] = state->hydrograph.inflow.peakCfs;
}

// The bare multiply-add loop alone, the size of the run's convolution.
void BareMultiplyAdd(benchmark::State& bench) {
    FinishedRun first;
    if (!first.state) {
        bench.SkipWithError(first.error.c_str());
        return;
    }
    BareLoop bare(first.report);
    for (auto _ : bench) bare.run();
    bench.counters["multiply_adds"] = bare.multiplyAdds();
}

// The triangle method's arithmetic alone, the size of the run's convolution.
void BareTriangleLoop(benchmark::State& bench) {
    FinishedRun first;
    if (!first.state) {
        bench.SkipWithError(first.error.c_str());
        return;
    }
    BareTriangle bare(first.report);
    for (auto _ : bench) bare.run();
}

// The report alone, written to a string from the state a run leaves, onto a fresh chart.
void ReportToString(benchmark::State& bench) {
    FinishedRun first;
    if (!first.state) {
        bench.SkipWithError(first.error.c_str());
        return;
    }
    std::optional<RunoffSession> state;
    std::optional<ChartGrid> chart;
    std::size_t bytes = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        state = *first.state;
        std::optional<RunoffSession> unused;
        first.window.fresh(unused, chart);
        std::ostringstream text;
        bench.ResumeTiming();
        (void)runoff::writeReport(text, state->hydrograph, first.report);
        runoff::plotColumn(*chart, runoff::chartColumn(state->hydrograph, first.report));
        bytes = static_cast<std::size_t>(text.tellp());
        benchmark::DoNotOptimize(bytes);
    }
    bench.counters["report_bytes"] = static_cast<double>(bytes);
}

// The report as the run writes it: to the string, then single-byte text into the report file.
void ReportToFile(benchmark::State& bench) {
    FinishedRun first;
    if (!first.state) {
        bench.SkipWithError(first.error.c_str());
        return;
    }
    std::optional<RunoffSession> state;
    std::optional<ChartGrid> chart;
    // A const path: the overload that takes a string to append to must not be the one chosen.
    const std::string reportPath = first.window.context.reportPath;
    for (auto _ : bench) {
        bench.PauseTiming();
        state = *first.state;
        std::optional<RunoffSession> unused;
        first.window.fresh(unused, chart);
        bench.ResumeTiming();
        (void)runoff::writeReport(reportPath, state->hydrograph, first.report);
        runoff::plotColumn(*chart, runoff::chartColumn(state->hydrograph, first.report));
    }
    std::error_code ignored;
    bench.counters["report_bytes"] = static_cast<double>(std::filesystem::file_size(reportPath, ignored));
}

BENCHMARK(WholeComputeRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BareMultiplyAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(BareTriangleLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportToString)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportToFile)->Unit(benchmark::kMillisecond);

// The ratios, each from interleaved pairs: the run against its floor and against a bare multiply-add,
// and the report's share of the run.
void printRatios() {
    FinishedRun first;
    if (!first.state) {
        std::printf("the run failed: %s\n", first.error.c_str());
        return;
    }
    BareLoop bare(first.report);
    BareTriangle triangle(first.report);
    std::optional<RunoffSession> state;
    std::optional<ChartGrid> chart;
    std::string error;
    const auto wholeRun = [&] {
        first.window.fresh(state, chart);
        const Clock::time_point start = Clock::now();
        if (!first.window.run(*state, *chart, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        return seconds(Clock::now() - start);
    };
    const auto reportToString = [&] {
        std::optional<RunoffSession> unused;
        std::optional<ChartGrid> reportChart;
        first.window.fresh(unused, reportChart);
        std::ostringstream text;
        const Clock::time_point start = Clock::now();
        (void)runoff::writeReport(text, first.state->hydrograph, first.report);
        runoff::plotColumn(*reportChart, runoff::chartColumn(first.state->hydrograph, first.report));
        const double taken = seconds(Clock::now() - start);
        benchmark::DoNotOptimize(text.tellp());
        return taken;
    };
    const std::string reportPath = first.window.context.reportPath;  // const: written, not appended to
    const auto reportToFile = [&] {
        std::optional<RunoffSession> unused;
        std::optional<ChartGrid> reportChart;
        first.window.fresh(unused, reportChart);
        const Clock::time_point start = Clock::now();
        (void)runoff::writeReport(reportPath, first.state->hydrograph, first.report);
        runoff::plotColumn(*reportChart, runoff::chartColumn(first.state->hydrograph, first.report));
        return seconds(Clock::now() - start);
    };
    namespace b = brelvo::bench;
    b::printInterleavedRatio(
        "compute run, report written / bare triangle arithmetic", wholeRun, [&] { triangle.run(); }, 3.0);
    b::printInterleavedRatio(
        "  against a bare multiply-add (not this method's floor)", wholeRun, [&] { bare.run(); }, 0);
    b::printInterleavedRatio("report to a string / whole run (a share, no floor)", reportToString, wholeRun,
                             1.0, {}, false);
    b::printInterleavedRatio("report to a file / whole run (a share, no floor)", reportToFile, wholeRun, 1.0,
                             {}, false);
}

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runThenPairs(argc, argv, printRatios);
}
