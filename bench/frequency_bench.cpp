// Benchmark: a frequency run of six storms (2 to 100 years, 24 hours, all cores) against the same six
// storms run one after the other by runDesignStorm on one thread. The two sides are timed in interleaved
// pairs (A B A B ...) so that both meet the same load of the shared machine; the ratio of each pair is
// reported as min / median / max. On two cores the ratio shows the workers' gain: about 0.5 at best.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "basin/basin_block.hpp"
#include "basin/runoff_fields.hpp"
#include "common/numbers.hpp"
#include "interleaved_pairs.hpp"
#include "runoff/design_run.hpp"
#include "runoff/frequency_run.hpp"
#include "runoff/precip_frequency.hpp"

#ifndef BRELVO_DGF_FOLDER
#error "BRELVO_DGF_FOLDER must name the folder that holds the dimensionless graphs"
#endif

namespace {

namespace basin = brelvo::basin;
namespace runoff = brelvo::runoff;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultPairs = 11;
const std::vector<int> kPeriods{2, 5, 10, 25, 50, 100};

// A point table of the layout NOAA publishes (inches, partial duration), durations up to two days.
runoff::PrecipFrequencyTable table() {
    runoff::PrecipFrequencyTable t;
    t.unit = "inches";
    t.volume = "NOAA Atlas 14 Volume 9 Version 2";
    t.returnPeriods = {1, 2, 5, 10, 25, 50, 100, 200, 500, 1000};
    t.durations = {"5-min", "10-min", "15-min", "30-min", "60-min", "2-hr",
                   "3-hr",  "6-hr",   "12-hr",  "24-hr",  "2-day"};
    t.durationHours = {5.0 / 60, 10.0 / 60, 0.25, 0.5, 1, 2, 3, 6, 12, 24, 48};
    const std::vector<double> scale{0.85, 1.0, 1.25, 1.45, 1.75, 2.0, 2.25, 2.5, 2.9, 3.2};
    const std::vector<double> base{0.55, 0.80, 0.98, 1.46, 1.85, 2.18, 2.36, 2.75, 3.15, 3.58, 4.10};
    for (const double depth : base) {
        std::vector<std::string> row;
        for (const double s : scale) row.push_back(brelvo::common::formatPattern(depth * s, "0.00"));
        t.depthText.push_back(row);
    }
    return t;
}

// The runoff window as a user leaves it: a 12 square-mile basin, a 2-minute step, the SCS graph, a
// curve-number loss and the peak at two thirds of the 24-hour storm.
struct Window {
    basin::RunoffFields fields;
    basin::BasinBlock block{fields};
    runoff::ComputeContext context;
    Window() {
        basin::loadRunoffDefaults(fields);
        fields.setChecked("chkAutoTimeStep", false);
        fields.setText("txtBasinArea", "12");
        fields.setText("txtLag", "2.4");
        fields.setText("txtGraphtimestep", "2");
        fields.setText("txtCNloss", "78");
        fields.setText("ComboRain", "Peak at 2/3");
        fields.setText("ComboDimgraph", "SCS.DGF");
        context.programFolder = BRELVO_DGF_FOLDER;
    }
};

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPairs;
    const runoff::PrecipFrequencyTable storms = table();
    const Window window;
    runoff::FrequencyRequest request;
    request.table = &storms;
    request.returnPeriods = kPeriods;
    request.fields = &window.fields;
    request.context = window.context;
    request.threads = 0;
    const std::atomic<bool> cancel{false};

    // The six single runs: each storm applied to a detached copy, then runDesignStorm.
    const auto singles = [&] {
        std::vector<runoff::DesignRun> runs;
        for (const int years : kPeriods) {
            basin::RunoffFields fields = runoff::detachedFields(window.fields);
            runoff::applyDesignStorm(fields, runoff::designStormRows(storms, years, 24));
            runs.push_back(runoff::runDesignStorm(fields, window.context));
        }
        return runs;
    };

    // Both sides must give the same reported peaks, or the ratio compares different work.
    const auto frequency = runoff::runFrequency(request, nullptr, cancel);
    const std::vector<runoff::DesignRun> single = singles();
    for (std::size_t i = 0; i < kPeriods.size(); ++i) {
        if (!frequency || !(*frequency)[i].run.reported || !single[i].reported ||
            (*frequency)[i].run.reportText != single[i].reportText) {
            std::fprintf(stderr, "the %d-year storm did not run alike on both sides\n", kPeriods[i]);
            return 1;
        }
    }
    std::printf("six 24-hour storms, %zu ordinates each at the 100-year storm, %u hardware threads\n",
                single.back().column.flows.size(), std::thread::hardware_concurrency());

    const brelvo::bench::PairTimes times = brelvo::bench::interleavedPairs(
        [&] {
            const Clock::time_point start = Clock::now();
            const auto rows = runoff::runFrequency(request, nullptr, cancel);
            const double taken = seconds(Clock::now() - start);
            if (!rows || rows->size() != kPeriods.size()) std::exit(1);
            return taken;
        },
        [&] {
            const Clock::time_point start = Clock::now();
            const auto runs = singles();
            const double taken = seconds(Clock::now() - start);
            if (runs.size() != kPeriods.size()) std::exit(1);
            return taken;
        },
        {.pairs = pairs, .warmUps = 0, .runsPerSide = 1});
    const std::vector<double>& frequencySeconds = times.a;
    const std::vector<double>& singleSeconds = times.b;
    const std::vector<double>& ratios = times.ratios;
    const auto ms = [](const std::vector<double>& s) {
        const brelvo::bench::Spread spread = brelvo::bench::spreadOf(s);
        std::printf("%9.1f %9.1f %9.1f ms\n", 1000 * spread.min, 1000 * spread.median, 1000 * spread.max);
    };
    std::printf("%zu interleaved pairs\n%-40s", ratios.size(), "frequency run of six storms (all cores)");
    ms(frequencySeconds);
    std::printf("%-40s", "six single runs (runDesignStorm, one thread)");
    ms(singleSeconds);
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("frequency run / six single runs", ratios, 0.75, false);
    return 0;
}
