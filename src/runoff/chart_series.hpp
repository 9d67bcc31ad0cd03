// What the runoff window's chart draws: each run's hydrograph against time in hours, named for what it
// is, the excess rainfall of the current run as steps, ticks at round values, and the thinning of long
// series to what the plot can show.
#pragma once

#include <string>
#include <vector>

#include "basin/working_state.hpp"
#include "runoff/report.hpp"

namespace brelvo::runoff {

struct ChartPoint {
    double hours = 0;
    double value = 0;  // cfs for a hydrograph, inches for the excess
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// One run as the chart shows it.
struct RunPlot {
    std::string name;                // the legend's text
    std::vector<ChartPoint> line;    // the run's hydrograph (a routing run's outflow), one point per ordinate
    std::vector<ChartPoint> excess;  // the run's excess as steps: empty for a run without rain
};

// The run just reported. `runNumber` counts the compute runs since the chart was cleared (1 for the
// first); the legend reads "Runoff 1 (SCS.DGF, Peak at 2/3, 10 min)", "Muskingum K=0.5 X=0.1",
// "Storage routing (file NAME)", "Travel time 30 minutes", "Inflow (file NAME)" for a hydrograph loaded
// alone, "Combined with NAME" for a combination.
[[nodiscard]] RunPlot plotOfRun(const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                                int runNumber, bool loadedAlone);

// The spacing of ticks for an axis from 0 to `span`: the smallest of 1, 2, 5 × 10^k that gives at most
// `maxTicks` intervals.
[[nodiscard]] double tickSpacing(double span, int maxTicks);

// A series of more than `maxPoints` points thinned to about that many: the points are grouped into
// maxPoints / 2 runs of consecutive points, and each run keeps its first point, its lowest and highest
// value in the order they occur, and its last, so that peaks and the shape survive.
[[nodiscard]] std::vector<ChartPoint> thinned(const std::vector<ChartPoint>& points, int maxPoints);

// The excess steps (four points a step, as RunPlot::excess holds them: foot, top at the start, top at
// the end, foot) as the outline of one band to fill, drawn at `columns` columns across the time the
// steps span. Up to that many steps the outline follows every step; more are taken column by column,
// each column as deep as the deepest step that reaches into it, so that no peak is lost and a uniform
// storm stays one flat band. Neighbours of the same depth share one level; the outline starts and ends
// at depth 0.
[[nodiscard]] std::vector<ChartPoint> excessOutline(const std::vector<ChartPoint>& steps, int columns);

// The point of `line` (rising in hours, not empty) nearest in time to `hours`; the later one on a tie.
[[nodiscard]] const ChartPoint& nearestPoint(const std::vector<ChartPoint>& line, double hours);

}  // namespace brelvo::runoff
