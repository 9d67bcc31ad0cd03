// "Compute Hydrograph" and "Route Hydrograph": from the runoff window's fields to one storm runoff
// hydrograph or one routed hydrograph, its report file, the window caption and a chart column. The
// session is what the window keeps between runs; only these runs change it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"
#include "runoff/input_check.hpp"
#include "runoff/precip_frequency.hpp"
#include "runoff/report.hpp"
#include "runoff/storm_display.hpp"
#include "runoff/temporal_pattern.hpp"

namespace brelvo::runoff {

struct ComputeContext {
    std::string programFolder;  // where the dimensionless graphs are and the dialogs open
    std::string reportPath;     // the working hydrograph file; empty: no file is written
    // Told the refused boxes before the message that names them is shown, so that the window can
    // mark them while the message is read.
    std::function<void(const std::vector<RefusedBox>&)> showRefused;
    // The imported temporal distribution that a run without the window's session uses (a frequency or
    // batch run with the arrangement "Temporal Distribution"); the window's own computes take the session's.
    std::optional<TemporalPattern> temporalPattern;
};

// What the runoff window keeps from one run to the next.
struct RunoffSession {
    basin::WorkingHydrograph hydrograph;
    bool hydrographPlotted = false;  // the working hydrograph is on the chart (a load adds to it)
    float stepHours = 0;             // the time step of the last run
    float previousStepTyped = 0;     // the time step as typed in the previous compute run
    basin::PeakPlacement peak = basin::PeakPlacement::none;  // for a ComboRain text not in the list
    std::int16_t rainSteps = 0;                              // rain steps of the last compute run's storm
    bool lastReportRouted = false;        // the last report was a routing run's, which carries no rain
    std::optional<ReportRun> lastReport;  // the inputs of the last report written, titles included
    // The last report as this run wrote the working file (single-byte text, CR LF lines): what Save
    // Hydrograph, Print Report and Export Report PDF take, never the working file read back, which
    // another window may have written since.
    std::string reportText;
    // The storm file and the storage file (*.RAT) last read by a run that wrote its report, as full
    // paths (empty before any); the next dialog for such a file opens at it.
    std::string stormFile;
    std::string storageFile;
    // The depth-duration table as typed before a storm file's display took its boxes, until another
    // arrangement is chosen.
    std::optional<TypedRainTable> typedTable;
    // The precipitation-frequency table imported last (Storm menu) and the storm last chosen from it.
    std::optional<PrecipFrequencyTable> stormTable;
    int stormReturnPeriod = 0;
    double stormHours = 24;
    // The temporal distribution imported last (Import Temporal Distribution...): the storm pattern of the
    // arrangement "Temporal Distribution"; kept with the runoff inputs in projects.
    std::optional<TemporalPattern> temporalPattern;
    // The window caption of every run that reported, in order: the calculation report's run lines.
    std::vector<std::string> runSummaries;
};

// The session's values as the script runner's dump names them ("RunoffState").
struct SessionView {
    int routeMode = 0;  // 0: no run in progress, which is always so between two events
    int rainSteps = 0;  // -2 after a routing run
};
[[nodiscard]] SessionView viewOf(const RunoffSession& session);

// What a run tells the window besides its messages: the boxes it refused (none when it ran), and
// whether it wrote its report (then the session's lastReport is this run's).
struct RunOutcome {
    bool checked = false;  // the run's boxes were checked (a run refused before does not read them)
    std::vector<RefusedBox> refused;
    bool reported = false;
};

// The compute run. Every box it reads is checked first: refused boxes stop it with one message naming
// each. A run that is refused, ends quietly or fails changes nothing of the session, the chart, the
// fields or the report file. Messages go through the dialogs port; a run-time failure ends the run with its
// description, a line feed and the time-step hint (common::msg::kTimeStepHint).
RunOutcome computeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                             common::Dialogs& dialogs, const ComputeContext& context);

// The routing run on the hydrograph already held, by the routing panel's option in the field
// "optRouteType": 0 storage routing, 1 Muskingum, 2 load or combine with a file, 3 travel time.
// A routing without a computed hydrograph is refused first (routingRefusal). Failures end the run as
// in computeHydrograph.
RunOutcome routeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                           common::Dialogs& dialogs, const ComputeContext& context);

// The rainfall arrangement (ComboRain) changed: any arrangement but "Storm File" brings back the table
// typed before a storm file was shown.
void arrangementChanged(RunoffSession& session, basin::RunoffFields& fields);

// The first title as the user typed it (csv_export's typedTitle of the title box).
[[nodiscard]] std::string typedTitle(const basin::RunoffFields& fields);

// Adds a report's hydrograph to the chart as its last data column, with the excess in column 1: the first
// hydrograph after a reset sets the rows, a later and longer one grows them.
void plotColumn(basin::ChartGrid& chart, const ChartColumn& column);
// The same for the report's hydrograph, its texts written straight into the chart.
void plotHydrograph(basin::ChartGrid& chart, const basin::WorkingHydrograph& hydrograph,
                    const ReportRun& run);

// "Clear Hydrograph Plots": the chart back to the rainfall grid; no hydrograph is plotted then.
void clearPlots(RunoffSession& session, basin::ChartGrid& chart, const basin::RunoffFields& fields);

}  // namespace brelvo::runoff
