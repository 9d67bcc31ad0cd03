// The chart's series: hydrographs against time, legend names, tick spacing and thinning.
#include "runoff/chart_series.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/numbers.hpp"

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

double tickSpacing(double span, int maxTicks) {
    if (!(span > 0) || !std::isfinite(span) || maxTicks < 1) return 1;
    // A span so small that its parts are no normal numbers is one interval.
    if (!(span / maxTicks >= 10 * std::numeric_limits<double>::min())) return span;
    double unit = std::pow(10.0, std::floor(std::log10(span / maxTicks)));
    // The spacing lies within two decades of the first guess; the bound keeps a degenerate span from
    // looping.
    for (int decade = 0; decade < 3; ++decade, unit *= 10) {
        for (const double m : {1.0, 2.0, 5.0}) {
            // A little slack, so that 6 hours in steps of 1 is six intervals, not a seventh from rounding.
            if (span / (m * unit) <= maxTicks + 1e-9) return m * unit;
        }
    }
    return span / maxTicks;
}

std::vector<ChartPoint> thinned(const std::vector<ChartPoint>& points, int maxPoints) {
    const auto n = points.size();
    if (maxPoints < 4 || n <= static_cast<std::size_t>(maxPoints)) return points;
    const std::size_t runs = static_cast<std::size_t>(maxPoints) / 4;
    std::vector<ChartPoint> out;
    out.reserve(runs * 4);
    for (std::size_t r = 0; r < runs; ++r) {
        const std::size_t begin = r * n / runs, end = (r + 1) * n / runs;
        if (begin >= end) continue;
        std::size_t low = begin, high = begin;
        for (std::size_t i = begin; i < end; ++i) {
            if (points[i].value < points[low].value) low = i;
            if (points[i].value > points[high].value) high = i;
        }
        std::size_t keep[] = {begin, std::min(low, high), std::max(low, high), end - 1};
        for (std::size_t k = 0; k < 4; ++k) {
            if (k > 0 && keep[k] == keep[k - 1]) continue;
            out.push_back(points[keep[k]]);
        }
    }
    return out;
}

const ChartPoint& nearestPoint(const std::vector<ChartPoint>& line, double hours) {
    const auto after = std::lower_bound(line.begin(), line.end(), hours,
                                        [](const ChartPoint& p, double h) { return p.hours < h; });
    if (after == line.end()) return line.back();
    if (after != line.begin() && hours - (after - 1)->hours < after->hours - hours) return *(after - 1);
    return *after;
}

}  // namespace brelvo::runoff
