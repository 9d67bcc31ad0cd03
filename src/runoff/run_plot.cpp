// A run as the chart shows it: its hydrograph against time, its legend name, its excess steps.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/numbers.hpp"
#include "runoff/chart_series.hpp"

namespace brelvo::runoff {

namespace {

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// "10 min" below an hour, "1 h", "1.5 h" from an hour up.
std::string stepText(float hours) {
    if (hours < 1) return common::generalText(std::round(hours * 60 * 1000) / 1000) + " min";
    return common::generalText(hours) + " h";
}

}  // namespace

RunPlot plotOfRun(const basin::WorkingHydrograph& h, const ReportRun& run, int runNumber, bool loadedAlone) {
    RunPlot plot;
    const float step = run.stepHours;
    const bool routing = run.route.has_value();
    plot.line.reserve(static_cast<std::size_t>(std::max(0, h.inflow.last + 1)));
    for (int i = 0; i <= h.inflow.last; ++i) {
        const float hours = static_cast<float>(i) * step;
        const float flow = routing ? h.routed.outflowCfs[i] : h.inflow.flowCfs[i];
        plot.line.push_back({hours, flow});
    }
    if (!routing) {
        plot.name = "Runoff " + std::to_string(runNumber) + " (" + run.methodText + ", " +
                    run.arrangementText + ", " + stepText(step) + ")";
        // The excess as the report shows it (after C for the Rational Method): step i falls between the
        // times of ordinates i - 1 and i.
        const basin::Series excess = excessShown(run);
        plot.excess.reserve(
            4 * static_cast<std::size_t>(std::max(0, std::min<int>(run.storm.steps, excess.upper()))));
        for (int i = 1; i <= run.storm.steps && i <= excess.upper(); ++i) {
            const double from = static_cast<float>(i - 1) * step, to = static_cast<float>(i) * step;
            plot.excess.push_back({from, 0});
            plot.excess.push_back({from, excess[i]});
            plot.excess.push_back({to, excess[i]});
            plot.excess.push_back({to, 0});
        }
        return plot;
    }
    switch (*run.route) {
        case basin::RouteMethod::storage:
            plot.name = "Storage routing (file " + fileName(run.storageFileName) + ")";
            break;
        case basin::RouteMethod::muskingum:
            plot.name = "Muskingum K=" + run.muskingumKText + " X=" + run.muskingumXText;
            break;
        case basin::RouteMethod::travelTime:
            plot.name = "Travel time " + run.travelTimeText + " " + run.travelTimeUnit;
            break;
        case basin::RouteMethod::combine:
            plot.name = loadedAlone ? "Inflow (file " + fileName(run.combinedFileName) + ")"
                                    : "Combined with " + fileName(run.combinedFileName);
            break;
    }
    return plot;
}

}  // namespace brelvo::runoff
