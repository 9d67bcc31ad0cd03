// Benchmark: the report text and the chart's cells of a 9,001-ordinate "Compute Hydrograph" run, each
// against a bare loop that writes the same fields with std::to_chars into one buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "basin/hydrograph_file.hpp"
#include "compute_case.hpp"
#include "interleaved_pairs.hpp"

namespace {

using namespace brelvo::bench::compute_case;

// The report's rows as plain arrays: the time, the flow as the report rounds it (rounded here, outside
// the floor), and the rain and excess of the rows that show them.
struct ReportFields {
    float stepHours = 0;
    int rainRows = 0;  // rows 0..rainRows - 1 show rain and excess
    std::vector<float> times, flows, rain, excess;
};

ReportFields reportFields(const FinishedRun& run) {
    ReportFields f;
    const basin::Hydrograph& inflow = run.state->hydrograph.inflow;
    const basin::Series shown = runoff::excessShown(run.report);
    f.stepHours = run.report.stepHours;
    f.rainRows = std::min<int>(inflow.last, run.report.storm.steps + 1) + 1;
    for (int i = 0; i <= inflow.last; ++i) {
        f.times.push_back(static_cast<float>(i) * f.stepHours);
        float flow = inflow.flowCfs[i];
        f.flows.push_back(basin::usgsround(flow));
        if (i < f.rainRows) {
            f.rain.push_back(run.report.storm.rainIn[i]);
            f.excess.push_back(shown[i]);
        }
    }
    return f;
}

// A text right-aligned in nine characters.
char* aligned(char* out, const char* text, std::size_t length) {
    if (length < 9) {
        std::memset(out, ' ', 9 - length);
        out += 9 - length;
    }
    std::memcpy(out, text, length);
    return out + length;
}

// value with `decimals` decimals, right-aligned in nine characters: the value times 10^decimals rounded
// to a whole number, its digits written by std::to_chars and the point put in.
char* fixedField(char* out, float value, int decimals) {
    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const auto scaled =
        static_cast<std::uint64_t>(std::fabs(static_cast<double>(value)) * kPowers[decimals] + 0.5);
    char digits[24];
    const int count = static_cast<int>(std::to_chars(digits, digits + sizeof digits, scaled).ptr - digits);
    char text[32];
    char* p = text;
    if (value < 0 && scaled != 0) *p++ = '-';
    const int integerDigits = count - decimals;
    if (integerDigits <= 0) {
        *p++ = '0';
    } else {
        std::memcpy(p, digits, static_cast<std::size_t>(integerDigits));
        p += integerDigits;
    }
    *p++ = '.';
    for (int k = integerDigits; k < 0; ++k) *p++ = '0';
    const int fromDigit = std::max(integerDigits, 0);
    std::memcpy(p, digits + fromDigit, static_cast<std::size_t>(count - fromDigit));
    p += count - fromDigit;
    return aligned(out, text, static_cast<std::size_t>(p - text));
}

// value as its shortest text, right-aligned in nine characters.
char* shortestField(char* out, float value) {
    char text[48];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    return aligned(out, text, static_cast<std::size_t>(end - text));
}

// The report's table as bare to_chars fields: time, flow, rain and excess, nine characters each, CR LF.
std::size_t bareReportRows(const ReportFields& f, std::vector<char>& buffer) {
    char* p = buffer.data();
    for (std::size_t i = 0; i < f.times.size(); ++i) {
        p = fixedField(p, f.times[i], 5);
        p = shortestField(p, f.flows[i]);
        if (i < f.rain.size()) {
            p = fixedField(p, f.rain[i], 5);
            p = fixedField(p, f.excess[i], 5);
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    return static_cast<std::size_t>(p - buffer.data());
}

// The chart's cells as bare to_chars texts: the time label, the excess and the flow of every row,
// each ended by a separator.
std::size_t bareChartCells(const FinishedRun& run, const ReportFields& f, std::vector<char>& buffer) {
    const basin::Hydrograph& inflow = run.state->hydrograph.inflow;
    char* p = buffer.data();
    char* const end = buffer.data() + buffer.size();
    for (std::size_t i = 0; i < f.times.size(); ++i) {
        p = std::to_chars(p, end, f.times[i], std::chars_format::fixed, 2).ptr;
        *p++ = '\n';
        p = std::to_chars(p, end, i < f.excess.size() ? f.excess[i] : 0.0f).ptr;
        *p++ = '\n';
        p = std::to_chars(p, end, inflow.flowCfs[static_cast<int>(i)]).ptr;
        *p++ = '\n';
    }
    return static_cast<std::size_t>(p - buffer.data());
}

void ReportText(benchmark::State& bench) {
    FinishedRun run;
    if (!run.state) {
        bench.SkipWithError(run.error.c_str());
        return;
    }
    std::string text;
    for (auto _ : bench) {
        text.clear();
        (void)runoff::writeReport(text, run.state->hydrograph, run.report);
        benchmark::DoNotOptimize(text.data());
    }
    bench.counters["bytes"] = static_cast<double>(text.size());
}

void BareReportRows(benchmark::State& bench) {
    FinishedRun run;
    if (!run.state) {
        bench.SkipWithError(run.error.c_str());
        return;
    }
    const ReportFields fields = reportFields(run);
    std::vector<char> buffer(fields.times.size() * 48);
    std::size_t bytes = 0;
    for (auto _ : bench) {
        bytes = bareReportRows(fields, buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    bench.counters["bytes"] = static_cast<double>(bytes);
}

// The chart's column: its texts collected, or written into the grid the window shows as the run writes
// them (a fresh grid, made untimed).
void ChartCells(benchmark::State& bench, bool intoGrid) {
    FinishedRun run;
    if (!run.state) {
        bench.SkipWithError(run.error.c_str());
        return;
    }
    std::optional<RunoffSession> unused;
    std::optional<ChartGrid> chart;
    for (auto _ : bench) {
        bench.PauseTiming();
        run.window.fresh(unused, chart);
        bench.ResumeTiming();
        if (intoGrid) {
            runoff::plotHydrograph(*chart, run.state->hydrograph, run.report);
        } else {
            runoff::ChartColumn column = runoff::chartColumn(run.state->hydrograph, run.report);
            benchmark::DoNotOptimize(column.flows.data());
        }
    }
}

void BareChartCells(benchmark::State& bench) {
    FinishedRun run;
    if (!run.state) {
        bench.SkipWithError(run.error.c_str());
        return;
    }
    const ReportFields fields = reportFields(run);
    std::vector<char> buffer(fields.times.size() * 64);
    for (auto _ : bench) benchmark::DoNotOptimize(bareChartCells(run, fields, buffer));
}

BENCHMARK(ReportText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartCells, texts, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartCells, into_grid, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BareChartCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BareReportRows)->Unit(benchmark::kMillisecond);

void printRatios() {
    FinishedRun run;
    if (!run.state) {
        std::printf("the run failed: %s\n", run.error.c_str());
        return;
    }
    const ReportFields fields = reportFields(run);
    std::vector<char> buffer(fields.times.size() * 48);
    std::string text;
    const auto report = [&] {
        text.clear();
        (void)runoff::writeReport(text, run.state->hydrograph, run.report);
        benchmark::DoNotOptimize(text.data());
    };
    const auto bareRows = [&] { benchmark::DoNotOptimize(bareReportRows(fields, buffer)); };
    std::optional<RunoffSession> unused;
    std::optional<ChartGrid> chart;
    const auto chartCells = [&] {
        run.window.fresh(unused, chart);
        const Clock::time_point start = Clock::now();
        runoff::plotHydrograph(*chart, run.state->hydrograph, run.report);
        return seconds(Clock::now() - start);
    };
    const auto bareCells = [&] { benchmark::DoNotOptimize(bareChartCells(run, fields, buffer)); };
    namespace b = brelvo::bench;
    b::printPairTimes(
        "report text (A) and its to_chars floor (B)",
        b::printInterleavedRatio("report text, 9,001 ordinates / to_chars floor", report, bareRows, 2.0));
    b::printPairTimes(
        "chart cells (A) and their to_chars floor (B)",
        b::printInterleavedRatio("chart column into the grid / to_chars floor", chartCells, bareCells, 2.0));
}

}  // namespace

int main(int argc, char** argv) {
    return brelvo::bench::runThenPairs(argc, argv, printRatios);
}
