// The 9,000-ordinate "Compute Hydrograph" run the compute and report benchmarks share: the runoff
// window as a user fills it in, one finished run, and what that run hands its report.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"
#include "common/numbers.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"

#ifndef BRELVO_DGF_FOLDER
#error "BRELVO_DGF_FOLDER must name the folder that holds the dimensionless graphs"
#endif

namespace brelvo::bench::compute_case {

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
inline constexpr int kExpectedLastOrdinate = 9000;
inline constexpr int kOrdinateTolerance = 100;
inline const char* const kStepMinutes = "1";
inline const char* const kStormHours = "75";
inline const char* const kStormInches = "6";
inline const char* const kLagHours = "28.075";
inline const char* const kBasinSquareMiles = "40";

inline double seconds(Clock::duration d) {
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
inline runoff::ReportRun reportRunOf(const Window& window, const RunoffSession& session) {
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

}  // namespace brelvo::bench::compute_case
