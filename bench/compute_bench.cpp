// Benchmark: the whole "Compute Hydrograph" run, report file included, at 9,000 ordinates, against the
// bare arithmetic of its triangle unit graph, and for comparison against a bare multiply-add loop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"
#include "common/numbers.hpp"
#include "ratio_reporter.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"

#ifndef BRELVO_DGF_FOLDER
#error "BRELVO_DGF_FOLDER must name the folder that holds the dimensionless graphs"
#endif

namespace {

using brelvo::basin::ChartGrid;
using brelvo::basin::RunoffFields;
using brelvo::runoff::RunoffSession;
namespace basin = brelvo::basin;
namespace runoff = brelvo::runoff;
using Clock = std::chrono::steady_clock;

// A 1-minute step, a 75-hour uniform storm (4,500 rain steps) and a 28.075-hour lag: the triangle
// rises over CInt((1/120 + 28.075) * 60) = 1,685 steps and recedes over CInt(1,685 * 1.67) = 2,814,
// a base of 4,499 steps. The hydrograph then has base + rain + 1 = 9,000 as its last ordinate, the
// last index of qi: the longest hydrograph the bounds allow, with the most multiply-adds for it.
constexpr int kExpectedLastOrdinate = 9000;
constexpr int kOrdinateTolerance = 100;
const char* const kStepMinutes = "1";
const char* const kStormHours = "75";
const char* const kStormInches = "6";
const char* const kLagHours = "28.075";
const char* const kBasinSquareMiles = "40";

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Records every message: any message means the run did not produce the hydrograph it should.
class RecordingDialogs : public brelvo::common::Dialogs {
  public:
    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return ""; }
    std::optional<std::string> fileDialog(const brelvo::common::FileDialogRequest&) override {
        return std::nullopt;
    }
    bool confirm(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> messages;
};

// A folder of its own under the system's temporary folder for the report file, removed at the end.
class TempFolder {
  public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("brelvo_compute_bench_" + std::to_string(static_cast<long>(getpid())))) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The runoff window as a user leaves it before pressing "Compute Hydrograph": the defaults, the
// automatic time step switched off, then the basin, the storm, the losses and the method typed in.
struct Window {
    RunoffFields fields;
    basin::BasinBlock block{fields};
    RecordingDialogs dialogs;
    TempFolder folder;
    runoff::ComputeContext context;

    Window() {
        basin::loadRunoffDefaults(fields);
        fields.setChecked("chkAutoTimeStep", false);
        fields.setText("txtTitle", "Compute benchmark");
        fields.setText("txtTile2", "Triangle unit graph, 75-hour uniform storm");
        fields.setText("txtBasinArea", kBasinSquareMiles);
        fields.setText("txtC", "1");
        fields.setText("txtLag", kLagHours);
        fields.setCaption("Label14", "Hydrograph Time Step (minutes)");
        fields.setText("txtGraphtimestep", kStepMinutes);
        fields.setText(RunoffFields::indexed("txtDuration", 0), kStormHours);
        fields.setText(RunoffFields::indexed("txtRain", 0), kStormInches);
        fields.setText("txtCNloss", "75");
        fields.setText("txtConstLoss", "0.02");
        fields.setText("txtPercentImp", "10");
        fields.setText("ComboRain", "Average");
        fields.setText("ComboDimgraph", "Triangle Unit Graph");
        context.programFolder = BRELVO_DGF_FOLDER;
        context.reportPath = (folder.path() / "HYDROGRAPH.TXT").string();
    }

    // A fresh state and the chart as the window shows it before its first run.
    void fresh(std::optional<RunoffSession>& state, std::optional<ChartGrid>& chart) const {
        state.emplace();
        chart.emplace();
        runoff::clearPlots(*state, *chart, fields);
    }

    // One run; false (with the reason in `error`) when a message appeared or the hydrograph's
    // length is far from the one intended.
    bool run(RunoffSession& state, ChartGrid& chart, std::string& error) {
        runoff::computeHydrograph(state, fields, chart, dialogs, context);
        if (!dialogs.messages.empty()) {
            error = "the run showed a message: " + dialogs.messages.front();
            return false;
        }
        const int last = state.hydrograph.inflow.last;
        if (std::abs(last - kExpectedLastOrdinate) > kOrdinateTolerance) {
            error = "the hydrograph's last ordinate is " + std::to_string(last) + ", not about " +
                    std::to_string(kExpectedLastOrdinate);
            return false;
        }
        return true;
    }
};

// What the run hands its report, formed again by the same kernels from the same fields: the basin,
// the losses and the uniform storm with its excess (impervious share mixed in).
runoff::ReportRun reportRunOf(const Window& window, const RunoffSession& session) {
    const RunoffFields& f = window.fields;
    runoff::ReportRun run;
    run.c = brelvo::common::readSingle(f.text("txtC"));
    run.areaSqMi = basin::basinAreaSquareMiles(f);
    run.lagHours = brelvo::common::readSingle(f.text("txtLag"));
    run.losses = runoff::readLossInputs(f.text("txtCNloss"), f.text("txtConstLoss"), f.text("txtPercentImp"));
    run.stepHours = session.stepHours;
    run.storm = runoff::averageStorm(runoff::readDepthDurationTable(f), run.stepHours);
    run.storm.excessIn =
        runoff::computeExcess(run.storm, run.losses, runoff::constantLossPerStep(run.losses, run.stepHours));
    runoff::mixImpervious(run.storm.rainIn, run.losses.imperviousFraction, 0, run.storm.steps,
                          run.storm.excessIn);
    return run;
}

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

// A finished run: its session, what it handed its report, and its window.
struct FinishedRun {
    Window window;
    std::optional<RunoffSession> state;
    std::optional<ChartGrid> chart;
    runoff::ReportRun report;
    std::string error;

    FinishedRun() {
        window.fresh(state, chart);
        if (!window.run(*state, *chart, error)) {
            state.reset();
            return;
        }
        report = reportRunOf(window, *state);
    }
};

// Each iteration a fresh state and chart, then the whole run: inputs, rainfall, losses, triangle,
// volume, report file, caption and chart. Between iterations, untimed by the benchmark, a bare loop
// of the run's size and a report to a string are timed too, so that both ratios compare times taken
// under the same load of the shared machine.
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
    double runSeconds = 0;
    double bareSeconds = 0;
    double reportSeconds = 0;
    std::string error;
    for (auto _ : bench) {
        bench.PauseTiming();
        window.fresh(state, chart);
        Clock::time_point start = Clock::now();
        bare.run();
        bareSeconds += seconds(Clock::now() - start);
        bench.ResumeTiming();

        start = Clock::now();
        const bool ok = window.run(*state, *chart, error);
        runSeconds += seconds(Clock::now() - start);

        bench.PauseTiming();
        if (!ok) {
            bench.SkipWithError(error.c_str());
            bench.ResumeTiming();
            break;
        }
        std::optional<ChartGrid> reportChart;
        std::optional<RunoffSession> unused;
        window.fresh(unused, reportChart);
        std::ostringstream text;
        start = Clock::now();
        (void)runoff::writeReport(text, state->hydrograph, first.report);
        runoff::plotColumn(*reportChart, runoff::chartColumn(state->hydrograph, first.report));
        reportSeconds += seconds(Clock::now() - start);
        benchmark::DoNotOptimize(text.tellp());
        bench.ResumeTiming();
    }
    if (!state || runSeconds <= 0 || bareSeconds <= 0) return;
    bench.counters["ordinates"] = state->hydrograph.inflow.last + 1;
    bench.counters["rain_steps"] = state->rainSteps;
    bench.counters["base_steps"] = bare.baseLength();
    bench.counters["multiply_adds"] = bare.multiplyAdds();
    bench.counters["peak_cfs"] = state->hydrograph.inflow.peakCfs;
    bench.counters["bare_ms"] = 1000 * bareSeconds / static_cast<double>(bench.iterations());
    bench.counters["report_ms"] = 1000 * reportSeconds / static_cast<double>(bench.iterations());
    bench.counters["run_per_bare"] = runSeconds / bareSeconds;
    bench.counters["report_share"] = reportSeconds / runSeconds;
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
    for (auto _ : bench) {
        bench.PauseTiming();
        state = *first.state;
        std::optional<RunoffSession> unused;
        first.window.fresh(unused, chart);
        bench.ResumeTiming();
        (void)runoff::writeReport(first.window.context.reportPath, state->hydrograph, first.report);
        runoff::plotColumn(*chart, runoff::chartColumn(state->hydrograph, first.report));
    }
    std::error_code ignored;
    bench.counters["report_bytes"] =
        static_cast<double>(std::filesystem::file_size(first.window.context.reportPath, ignored));
}

BENCHMARK(WholeComputeRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BareMultiplyAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(BareTriangleLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportToString)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportToFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runWithRatios(argc, argv, [](const brelvo::bench::RatioReporter& r) {
        r.printRatio("compute run, report written / bare triangle arithmetic", "WholeComputeRun",
                     "BareTriangleLoop", 3.0);
        r.printRatio("  against a bare multiply-add (not this method's floor)", "WholeComputeRun",
                     "BareMultiplyAdd", 0);
        r.printRatio("report to a string / whole run (a share, no floor)", "ReportToString",
                     "WholeComputeRun", 1.0, false);
        r.printRatio("report to a file / whole run (a share, no floor)", "ReportToFile", "WholeComputeRun",
                     1.0, false);
    });
}
