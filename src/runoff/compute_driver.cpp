// The compute run (inputs, rainfall, losses, unit graph, volume and report, in that order) and the
// routing run. Each works on a copy of the session and of the chart and commits them only when its
// report is written; a refused, quiet or failed run leaves the session, the chart, the window's fields
// and the report file as the last good run left them.
#include "runoff/compute_driver.hpp"

#include <algorithm>
#include <new>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "basin/basin_block.hpp"
#include "basin/hydrograph_file.hpp"
#include "basin/routing.hpp"
#include "basin/storage_routing.hpp"
#include "common/control_names.hpp"
#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "runoff/csv_export.hpp"
#include "runoff/distribution_storm.hpp"
#include "runoff/input_check.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"
#include "runoff/routing_panel.hpp"
#include "runoff/run_files.hpp"
#include "runoff/storm_display.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

constexpr double kAcreFeetPerCfsDay = 1.9835;

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

int routeOption(const basin::RunoffFields& fields) {
    return static_cast<int>(common::leadingNumber(fields.text(form3::optRouteType)));
}

// What a run writes back to the window when it commits, and only then.
struct BoxWrites {
    std::string caption;  // the window caption that sums the report up
    // A storm file's display: the file's step (hours) and its full name.
    std::optional<std::pair<float, std::string>> stormShown;
    std::optional<std::string> stepShown;  // a loaded hydrograph's step as the time-step box shows it
};

// What a kernel told, shown as soon as it returns.
void tell(common::Dialogs& dialogs, const std::vector<std::string>& messages) {
    for (const std::string& message : messages) dialogs.message(message);
}

// Writes the report and commits what it rounded: the peaks as reported, and the hydrograph plotted.
void report(RunoffSession& session, ReportRun run, basin::ChartGrid& chart, BoxWrites& writes,
            const ComputeContext& context) {
    std::string text;
    const ReportOutcome outcome = writeReport(text, session.hydrograph, run);
    writes.caption = outcome.caption;
    session.runSummaries.push_back(outcome.caption);
    plotHydrograph(chart, session.hydrograph, run);
    session.hydrograph.inflow.peakCfs = outcome.peakCfs;
    if (run.route) session.hydrograph.routed.peakCfs = outcome.routedPeakCfs;
    session.hydrographPlotted = true;
    session.lastReport = std::move(run);
    session.reportText = reportFileBytes(text);
    // The file is replaced only once the whole report is known, and only as a whole: a report that cannot
    // be written in full leaves the previous one as it was, and the run then commits nothing. A run with
    // no report path (a run with no window) writes no file.
    if (!context.reportPath.empty()) writeReportFile(context.reportPath, session.reportText);
}

// A failure of a unit-graph method that names no cause ran past an array bound of the hydrograph.
template <typename Method>
std::optional<GraphResult> explained(Method&& method) {
    try {
        return method();
    } catch (common::RuntimeFailure& failure) {
        if (failure.number() == common::subscriptOutOfRange().number() && failure.cause().empty()) {
            failure.because(std::string(common::msg::kHydrographTooLong));
        }
        throw;
    }
}

// The warning for negative Muskingum weights, and on its second line what to change: X above
// step / 2K makes the first weight negative, a step above 2K(1 - X) the last.
std::string muskingumWarning(float k, float x, float stepHours, const basin::MuskingumCoefficients& w) {
    using common::messageNumber;
    const std::string first =
        common::msg::muskingumUnstable(messageNumber(k), messageNumber(x), messageNumber(stepHours));
    if (w.c0 < 0 && k > 0) {
        return common::msg::withCause(first,
                                      common::msg::muskingumFixX(messageNumber(stepHours / (2.0 * k))));
    }
    return common::msg::withCause(first, common::msg::muskingumFixStep(messageNumber(2.0 * k * (1.0 - x))));
}

// The run after its reset of the routing series, on the boxes as the check read them; it ends early, with
// a message of its own, when a file is not chosen or no rain runs off. True when the report was written.
// `fields` is read only to reset the chart when the time step changed.
bool run(RunoffSession& session, const ComputeBoxes& boxes, const basin::RunoffFields& fields,
         basin::ChartGrid& chart, common::Dialogs& dialogs, const ComputeContext& context,
         BoxWrites& writes) {
    ReportRun reportRun;
    reportRun.methodText = boxes.methodText;
    reportRun.arrangementText = boxes.arrangementText;
    reportRun.title1 = boxes.title1;
    reportRun.title2 = boxes.title2;
    reportRun.c = boxes.c;
    reportRun.areaSqMi = boxes.areaSqMi;
    reportRun.lagHours = boxes.lagHours;
    reportRun.losses = boxes.losses;

    // Time step: hydrographs of different steps never share the chart. The box holds minutes when its
    // label says so, hours otherwise.
    const float typedStep = boxes.typedStep;
    session.stepHours = typedStep;
    if (session.previousStepTyped == 0) session.previousStepTyped = typedStep;
    if (typedStep != session.previousStepTyped) clearPlots(session, chart, fields);
    session.previousStepTyped = typedStep;
    if (boxes.stepInMinutes) session.stepHours = session.stepHours / 60;

    const basin::RainArrangement arrangement = decodeArrangement(boxes.arrangementText, session.peak);
    session.peak = arrangement.peak;
    const DepthDurationTable table = depthDurationTable(boxes.table);
    // The storm file is asked for before the storm is built; a cancelled dialog ends the run quietly.
    std::optional<StormFileText> stormFile;
    if (arrangement.source == basin::RainSource::stormFile) {
        stormFile = chooseStormFile(dialogs, context.programFolder, session.stormFile);
        if (!stormFile) return false;
    }
    // A distribution's storm needs its depth from the table (and the NRCS types their data file); a
    // refusal is said and ends the run before anything is built.
    std::optional<DistributionChoice> distribution;
    if (arrangement.source == basin::RainSource::nrcs) {
        distribution = nrcsChoice(arrangement.nrcs, boxes.arrangementText, table, context.programFolder);
    } else if (arrangement.source == basin::RainSource::temporal) {
        distribution = temporalChoice(session.temporalPattern, boxes.arrangementText, table);
    }
    if (distribution) {
        if (!distribution->error.empty()) {
            dialogs.message(distribution->error);
            return false;
        }
    }
    RainRun rainRun{session.stepHours, std::nullopt};
    const auto keepRainRun = [&] {
        session.stepHours = rainRun.stepHours;
        if (!rainRun.rainSteps) return;
        session.rainSteps = *rainRun.rainSteps;
        session.lastReportRouted = false;
    };
    Rainfall rainfall;
    try {
        rainfall = distribution ? patternRainfall(*distribution, reportRun.losses, rainRun)
                                : buildRainfall(arrangement, table, reportRun.losses, rainRun, stormFile);
    } catch (...) {
        keepRainRun();  // what the storm had set when it failed stays set
        throw;
    }
    keepRainRun();
    if (!rainfall.stormFile.empty()) {
        session.stormFile = common::fullPath(rainfall.stormFile);
        writes.stormShown = std::make_pair(rainRun.stepHours, rainfall.stormFile);
        reportRun.title2 = stormFileTitle(rainfall.stormFile);
    }
    basin::Storm& storm = rainfall.storm;
    storm.excessIn = computeExcess(storm, reportRun.losses, rainfall.constantLossStepIn);

    GraphBasin graphBasin;
    graphBasin.areaSqMi = reportRun.areaSqMi;
    graphBasin.lagHours = reportRun.lagHours;
    graphBasin.c = reportRun.c;
    graphBasin.imperviousFraction = reportRun.losses.imperviousFraction;
    graphBasin.stepHours = session.stepHours;
    basin::Hydrograph& inflow = session.hydrograph.inflow;
    std::optional<GraphResult> graph = explained([&] {
        switch (boxes.method) {
            case basin::GraphMethod::rational:
                if (rationalCOutOfRange(graphBasin.c)) dialogs.message(std::string(common::msg::kCWarning));
                return rationalGraph(storm, graphBasin, inflow);
            case basin::GraphMethod::triangle:
                return triangleGraph(storm, graphBasin, inflow);
            case basin::GraphMethod::graphFile:
                break;
        }
        return unitGraphFile(storm, graphBasin, boxes.methodText, context.programFolder, inflow);
    });
    if (!graph) {
        dialogs.message(std::string(common::msg::kNoExcess));
        return false;
    }

    // Volume: the sum of flows times the step in days, in acre-feet per cfs-day.
    float volume = common::toSingle(graph->ordinateSum * kAcreFeetPerCfsDay * session.stepHours / 24);
    basin::usgsround(volume);
    session.hydrograph.volumeAcreFt = volume;

    storm.excessIn = std::move(graph->excessIn);
    reportRun.storm = std::move(storm);
    reportRun.rational = graph->rational;
    reportRun.stepHours = session.stepHours;
    report(session, std::move(reportRun), chart, writes, context);
    return true;
}

// The routing run: the hydrograph already held is routed, shifted or combined with a file, and reported
// in the routing layout, on the boxes as the check read them. True when the report was written.
bool route(RunoffSession& session, const RoutingBoxes& boxes, basin::ChartGrid& chart,
           common::Dialogs& dialogs, const ComputeContext& context, BoxWrites& writes) {
    basin::WorkingHydrograph& h = session.hydrograph;
    const std::int16_t last = h.inflow.last;
    // The longest routed hydrograph is five times the inflow, counted in 16 bits.
    if (last > 6553) {
        dialogs.message(common::msg::routingTooLong(common::integerText(last)));
        return false;
    }
    const auto routedUpper = static_cast<std::int16_t>(std::min(5 * static_cast<int>(last), 32000));
    h.routed.peakElevationFt = 0;

    ReportRun run;
    run.title1 = boxes.title1;
    run.title2 = boxes.title2;
    if (boxes.option == 0) {
        const std::optional<std::string> chosen =
            chooseStorageFile(dialogs, context.programFolder, session.storageFile);
        if (!chosen) return false;
        h.routed.elevationFt.redim(routedUpper);
        basin::StorageOutcome routing =
            basin::modpul(h, routedUpper, session.stepHours, boxes.beginElevationFt, *chosen);
        tell(dialogs, routing.messages);
        if (!routing.routing) return false;
        h = std::move(routing.routing->hydrograph);
        session.storageFile = common::fullPath(*chosen);
        run.route = basin::RouteMethod::storage;
        run.storageFileName = *chosen;
    } else if (boxes.option == 1) {
        const float k = boxes.muskingumK;
        const float x = boxes.muskingumX;
        basin::muskingum(k, x, session.stepHours, routedUpper, h);
        run.route = basin::RouteMethod::muskingum;
        run.muskingumKText = boxes.muskingumKText;
        run.muskingumXText = boxes.muskingumXText;
        const basin::MuskingumCoefficients weights = basin::muskingumCoefficients(k, x, session.stepHours);
        if (basin::muskingumUnstable(weights))
            dialogs.message(muskingumWarning(k, x, session.stepHours, weights));
    } else if (boxes.option == 3) {
        (void)basin::travelTimeRouting(boxes.travelHours, session.stepHours, h);
        run.route = basin::RouteMethod::travelTime;
        run.travelTimeText = boxes.travelTimeText;
        run.travelTimeUnit = boxes.travelTimeUnit;
    } else if (boxes.option == 2) {
        const std::optional<std::string> chosen = chooseHydrographFile(dialogs, context.programFolder);
        if (!chosen) return false;
        run.combinedFileName = *chosen;
        basin::HydrographRead read =
            basin::readHydrographFile(*chosen, h, session.hydrographPlotted, session.stepHours);
        tell(dialogs, read.messages);
        if (!read.loaded) return false;
        h = std::move(read.loaded->hydrograph);
        session.stepHours = read.loaded->stepHours;
        if (!read.loaded->reported) return false;
        writes.stepShown = basin::stepText(read.loaded->stepHours, boxes.stepInMinutes);
        run.route = basin::RouteMethod::combine;
    }
    if (!run.route) return false;
    session.lastReportRouted = true;  // a routing run carries no rainfall or excess
    run.stepHours = session.stepHours;
    report(session, std::move(run), chart, writes, context);
    return true;
}

// The failure's description, a line feed, then what failed when that is known, else the time-step hint.
std::string failureMessage(const common::RuntimeFailure& f) {
    return f.description() + "\n" + (f.cause().empty() ? std::string(common::msg::kTimeStepHint) : f.cause());
}

// Runs `body` on copies of the session and the chart and commits both when it reports that its report
// was written, and says so: the boxes the run writes back are written then, and only then. Otherwise (a
// refusal, a quiet end, a failure) nothing has changed: a run never writes the boxes while it runs.
template <typename Run>
bool transaction(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                 common::Dialogs& dialogs, Run&& body) {
    RunoffSession work = session;
    basin::ChartGrid workChart = chart;
    workChart.changed = nullptr;
    BoxWrites writes;
    bool done = false;
    try {
        done = body(work, workChart, writes);
    } catch (const common::RuntimeFailure& f) {
        dialogs.message(failureMessage(f));
        return false;
    } catch (const std::bad_alloc&) {
        dialogs.message(failureMessage(common::outOfMemory()));
        return false;
    }
    if (!done) return false;
    if (writes.stormShown) {
        // The typed table is kept aside as the boxes held it before the storm file's display.
        const std::vector<std::string> typed = stormDisplayTexts(fields);
        showStormFile(fields, writes.stormShown->first, writes.stormShown->second);
        work.typedTable = keepTypedTable(work.typedTable, typed, fields);
    }
    if (writes.stepShown) fields.setText(form3::txtGraphtimestep, *writes.stepShown);
    fields.setCaption(form3::Form3, writes.caption);
    session = std::move(work);
    auto changed = std::move(chart.changed);
    chart = std::move(workChart);
    chart.changed = std::move(changed);
    if (chart.changed) chart.changed();
    return true;
}

// The boxes refused, told in one message; true when the run may go on.
bool boxesAccepted(const std::vector<RefusedBox>& refused, common::Dialogs& dialogs,
                   const ComputeContext& context) {
    if (refused.empty()) return true;
    if (context.showRefused) context.showRefused(refused);
    dialogs.message(refusalMessage(refused));
    return false;
}

}  // namespace

SessionView viewOf(const RunoffSession& session) {
    SessionView view;
    view.rainSteps = session.lastReportRouted ? -2 : session.rainSteps;
    return view;
}

RunOutcome computeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                             common::Dialogs& dialogs, const ComputeContext& context) {
    RunOutcome outcome;
    if (contains(fields.text(form3::ComboRain), "Select") ||
        contains(fields.text(form3::ComboDimgraph), "Select")) {
        dialogs.message(std::string(common::msg::kSelectGraphAndArrangement));
        return outcome;
    }
    outcome.checked = true;
    const BoxesRead<ComputeBoxes> read = readComputeBoxes(fields);
    outcome.refused = read.refused;
    if (!boxesAccepted(outcome.refused, dialogs, context)) return outcome;
    outcome.reported =
        transaction(session, fields, chart, dialogs,
                    [&](RunoffSession& work, basin::ChartGrid& workChart, BoxWrites& writes) {
                        basin::WorkingHydrograph& h = work.hydrograph;
                        h.outflowIsCurrent = false;
                        h.routed.outflowCfs.redim(1);
                        h.routed.elevationFt.redim(1);
                        h.routed.storageAcreFt.redim(1);
                        return run(work, read.boxes, fields, workChart, dialogs, context, writes);
                    });
    return outcome;
}

RunOutcome routeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                           common::Dialogs& dialogs, const ComputeContext& context) {
    RunOutcome outcome;
    if (const auto refusal = routingRefusal(fields, chart)) {
        dialogs.message(*refusal);
        return outcome;
    }
    outcome.checked = true;
    const BoxesRead<RoutingBoxes> read = readRoutingBoxes(fields, routeOption(fields));
    outcome.refused = read.refused;
    if (!boxesAccepted(outcome.refused, dialogs, context)) return outcome;
    outcome.reported = transaction(session, fields, chart, dialogs,
                                   [&](RunoffSession& work, basin::ChartGrid& workChart, BoxWrites& writes) {
                                       return route(work, read.boxes, workChart, dialogs, context, writes);
                                   });
    return outcome;
}

void arrangementChanged(RunoffSession& session, basin::RunoffFields& fields) {
    if (!basin::isStormFile(fields.text(form3::ComboRain))) restoreTypedTable(session.typedTable, fields);
}

std::string typedTitle(const basin::RunoffFields& fields) {
    return typedTitle(fields.text(form3::txtTitle));
}

void plotColumn(basin::ChartGrid& chart, const ChartColumn& column) {
    const int rows = static_cast<int>(column.flows.size());
    if (chart.columnCount() == 2 || chart.rowCount() < rows) chart.setRowCount(rows);
    chart.setLabelSpacing(column.labelSpacing);
    for (int i = 0; i < rows; ++i) {
        const auto at = static_cast<std::size_t>(i);
        chart.setRow(i + 1);
        chart.setColumn(1);
        chart.setData(column.excess[at]);
        chart.setColumn(chart.columnCount());
        chart.setData(column.flows[at]);
        chart.setRowLabel(column.labels[at]);
    }
    chart.setColumnCount(chart.columnCount() + 1);  // the empty column the next run fills
}

void plotHydrograph(basin::ChartGrid& chart, const basin::WorkingHydrograph& hydrograph,
                    const ReportRun& run) {
    const int rows = std::max(hydrograph.inflow.last + 1, 0);
    if (chart.columnCount() == 2 || chart.rowCount() < rows) chart.setRowCount(rows);
    chart.setLabelSpacing(hydrograph.inflow.last / 6);
    const int flowColumn = chart.columnCount();
    forEachChartRow(hydrograph, run,
                    [&](int i, const std::string& label, const std::string& excess, const std::string& flow) {
                        chart.setRow(i + 1);
                        chart.setColumn(1);
                        chart.setData(excess);
                        chart.setColumn(flowColumn);
                        chart.setData(flow);
                        chart.setRowLabel(label);
                    });
    chart.setColumnCount(chart.columnCount() + 1);  // the empty column the next run fills
}

void clearPlots(RunoffSession& session, basin::ChartGrid& chart, const basin::RunoffFields& fields) {
    session.hydrographPlotted = false;
    basin::resetChart(chart, fields);
}

}  // namespace brelvo::runoff
