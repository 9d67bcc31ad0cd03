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
#include "runoff/input_check.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"
#include "runoff/routing_panel.hpp"
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

// Writes the report and commits what it rounded: the peaks as reported, and the hydrograph plotted.
void report(RunoffSession& session, ReportRun run, basin::RunoffFields& fields, basin::ChartGrid& chart,
            const ComputeContext& context) {
    run.title1 = fields.text(form3::txtTitle);
    run.title2 = fields.text(form3::txtTile2);
    std::string text;
    const ReportOutcome outcome = writeReport(text, session.hydrograph, run);
    fields.setCaption(form3::Form3, outcome.caption);
    plotColumn(chart, chartColumn(session.hydrograph, run));
    session.hydrograph.inflow.peakCfs = outcome.peakCfs;
    if (run.route) session.hydrograph.routed.peakCfs = outcome.routedPeakCfs;
    session.hydrographPlotted = true;
    session.lastReport = std::move(run);
    session.reportText = reportFileBytes(text);
    // The file is replaced only once the whole report is known, and only as a whole: a report that cannot
    // be written in full leaves the previous one as it was, and the run then commits nothing.
    writeReportFile(context.reportPath, session.reportText);
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

// The run after its reset of the routing series and the check of its boxes; it ends early, with a
// message of its own, when an input is missing or no rain runs off. True when the report was written.
bool run(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
         common::Dialogs& dialogs, const ComputeContext& context) {
    const std::string& rainText = fields.text(form3::ComboRain);
    const std::string& methodText = fields.text(form3::ComboDimgraph);

    ReportRun reportRun;
    reportRun.methodText = methodText;
    reportRun.arrangementText = rainText;
    reportRun.c = common::readSingle(fields.text(form3::txtC));
    reportRun.areaSqMi = basin::squareMiles(common::readSingle(fields.text(form3::txtBasinArea)),
                                            fields.caption(form3::Label10));

    // Time step: hydrographs of different steps never share the chart. The box holds minutes when its
    // label says so, hours otherwise.
    reportRun.lagHours = common::readSingle(fields.text(form3::txtLag));
    const float typedStep = common::readSingle(fields.text(form3::txtGraphtimestep));
    session.stepHours = typedStep;
    if (session.previousStepTyped == 0) session.previousStepTyped = typedStep;
    if (typedStep != session.previousStepTyped) clearPlots(session, chart, fields);
    session.previousStepTyped = typedStep;
    if (basin::timeStepInMinutes(fields)) session.stepHours = session.stepHours / 60;

    reportRun.losses = readLossInputs(fields.text(form3::txtCNloss), fields.text(form3::txtConstLoss),
                                      fields.text(form3::txtPercentImp));
    const basin::RainArrangement arrangement = decodeArrangement(rainText, session.peak);
    session.peak = arrangement.peak;
    const DepthDurationTable table = readDepthDurationTable(fields);
    RainRun rainRun{session.stepHours, std::nullopt};
    const auto keepRainRun = [&] {
        session.stepHours = rainRun.stepHours;
        if (!rainRun.rainSteps) return;
        session.rainSteps = *rainRun.rainSteps;
        session.lastReportRouted = false;
    };
    std::optional<Rainfall> rainfall;
    const std::vector<std::string> typedTable = stormDisplayTexts(fields);
    try {
        rainfall = buildRainfall(arrangement, table, reportRun.losses, rainRun, fields, dialogs,
                                 context.programFolder, session.stormFile);
    } catch (...) {
        keepRainRun();  // what the storm had set when it failed stays set
        throw;
    }
    keepRainRun();
    // A cancelled storm-file dialog ends the run quietly.
    if (!rainfall) return false;
    if (!rainfall->stormFile.empty()) {
        session.stormFile = common::fullPath(rainfall->stormFile);
        session.typedTable = keepTypedTable(session.typedTable, typedTable, fields);
    }
    basin::Storm& storm = rainfall->storm;
    storm.excessIn = computeExcess(storm, reportRun.losses, rainfall->constantLossStepIn);

    GraphBasin graphBasin;
    graphBasin.areaSqMi = reportRun.areaSqMi;
    graphBasin.lagHours = reportRun.lagHours;
    graphBasin.c = reportRun.c;
    graphBasin.imperviousFraction = reportRun.losses.imperviousFraction;
    graphBasin.stepHours = session.stepHours;
    basin::Hydrograph& inflow = session.hydrograph.inflow;
    std::optional<GraphResult> graph;
    graph = explained([&] {
        if (methodText == "Rational Method") return rationalGraph(storm, graphBasin, inflow, dialogs);
        if (methodText == "Triangle Unit Graph") return triangleGraph(storm, graphBasin, inflow, dialogs);
        return unitGraphFile(storm, graphBasin, methodText, context.programFolder, inflow, dialogs);
    });
    if (!graph) return false;  // "No Excess Rainfall" was shown

    // Volume: the sum of flows times the step in days, in acre-feet per cfs-day.
    float volume = common::toSingle(graph->ordinateSum * kAcreFeetPerCfsDay * session.stepHours / 24);
    basin::usgsround(volume);
    session.hydrograph.volumeAcreFt = volume;

    storm.excessIn = std::move(graph->excessIn);
    reportRun.storm = std::move(storm);
    reportRun.rational = graph->rational;
    reportRun.stepHours = session.stepHours;
    report(session, std::move(reportRun), fields, chart, context);
    return true;
}

// The routing run: the hydrograph already held is routed, shifted or combined with a file, and reported
// in the routing layout. True when the report was written.
bool route(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
           common::Dialogs& dialogs, const ComputeContext& context) {
    basin::WorkingHydrograph& h = session.hydrograph;
    const std::int16_t last = h.inflow.last;
    // The longest routed hydrograph is five times the inflow, counted in 16 bits.
    if (last > 6553) {
        dialogs.message(common::msg::routingTooLong(common::integerText(last)));
        return false;
    }
    const auto routedUpper = static_cast<std::int16_t>(std::min(5 * static_cast<int>(last), 32000));
    h.routed.peakElevationFt = 0;

    const int option = routeOption(fields);
    ReportRun run;
    if (option == 0) {
        h.routed.elevationFt.redim(routedUpper);
        auto routing = basin::modpul(h, routedUpper, session.stepHours, fields.text(form3::txtModbelv),
                                     dialogs, context.programFolder, session.storageFile);
        if (!routing) return false;
        h = std::move(routing->hydrograph);
        session.storageFile = common::fullPath(routing->fileName);
        run.route = basin::RouteMethod::storage;
        run.storageFileName = routing->fileName;
    } else if (option == 1) {
        const float k = common::readSingle(fields.text(form3::txtMuskK));
        const float x = common::readSingle(fields.text(form3::txtMuskX));
        basin::muskingum(k, x, session.stepHours, routedUpper, h);
        run.route = basin::RouteMethod::muskingum;
        run.muskingumKText = fields.text(form3::txtMuskK);
        run.muskingumXText = fields.text(form3::txtMuskX);
        const basin::MuskingumCoefficients weights = basin::muskingumCoefficients(k, x, session.stepHours);
        if (basin::muskingumUnstable(weights))
            dialogs.message(muskingumWarning(k, x, session.stepHours, weights));
    } else if (option == 3) {
        float travel = common::readSingle(fields.text(form3::txtTatum));
        if (fields.caption(form3::capTatum) == "minutes") travel = travel / 60;
        (void)basin::travelTimeRouting(travel, session.stepHours, h);
        run.route = basin::RouteMethod::travelTime;
        run.travelTimeText = fields.text(form3::txtTatum);
        run.travelTimeUnit = fields.caption(form3::capTatum);
    } else if (option == 2) {
        common::FileDialogRequest request;
        request.title = std::string(common::msg::kLoadOrCombineTitle);
        request.initialDir = context.programFolder;
        request.filter = std::string(common::msg::kHydrographFilter);
        const auto chosen = common::askFile(dialogs, request, common::FileKind::hydrograph);
        if (!chosen || chosen->empty()) return false;
        run.combinedFileName = *chosen;
        auto loaded = basin::readHydrographFile(*chosen, h, session.hydrographPlotted, session.stepHours,
                                                fields, dialogs);
        if (!loaded) return false;
        h = std::move(loaded->hydrograph);
        session.stepHours = loaded->stepHours;
        if (!loaded->reported) return false;
        run.route = basin::RouteMethod::combine;
    }
    if (!run.route) return false;
    session.lastReportRouted = true;  // a routing run carries no rainfall or excess
    run.stepHours = session.stepHours;
    report(session, std::move(run), fields, chart, context);
    return true;
}

// The failure's description, a line feed, then what failed when that is known, else the time-step hint.
std::string failureMessage(const common::RuntimeFailure& f) {
    return f.description() + "\n" + (f.cause().empty() ? std::string(common::msg::kTimeStepHint) : f.cause());
}

// The window's texts, captions and checks, to be put back after a run that did not finish.
struct FieldsSnapshot {
    std::vector<std::pair<std::string, std::string>> texts;
    std::vector<std::pair<std::string, std::string>> captions;
    std::vector<std::pair<std::string, bool>> checks;
};

FieldsSnapshot snapshot(const basin::RunoffFields& fields) {
    FieldsSnapshot s;
    for (const std::string& name : fields.textNames()) s.texts.emplace_back(name, fields.text(name));
    for (const std::string& name : fields.captionNames()) s.captions.emplace_back(name, fields.caption(name));
    for (const std::string& name : fields.checkNames()) s.checks.emplace_back(name, fields.checked(name));
    return s;
}

void restore(basin::RunoffFields& fields, const FieldsSnapshot& s) {
    for (const auto& [name, caption] : s.captions) {
        if (fields.caption(name) != caption) fields.setCaption(name, caption);
    }
    for (const auto& [name, checked] : s.checks) {
        if (fields.checked(name) != checked) fields.setChecked(name, checked);
    }
    for (const auto& [name, text] : s.texts) {
        if (fields.text(name) != text) fields.setText(name, text);
    }
}

// Runs `body` on copies of the session and the chart and commits both when it reports that its report
// was written, and says so. Otherwise (a refusal, a quiet end, a failure) the fields are put back as
// they were and nothing else has changed.
template <typename Run>
bool transaction(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                 common::Dialogs& dialogs, Run&& body) {
    RunoffSession work = session;
    basin::ChartGrid workChart = chart;
    workChart.changed = nullptr;
    const FieldsSnapshot before = snapshot(fields);
    bool done = false;
    try {
        done = body(work, workChart);
    } catch (const common::RuntimeFailure& f) {
        restore(fields, before);
        dialogs.message(failureMessage(f));
        return false;
    } catch (const std::bad_alloc&) {
        restore(fields, before);
        dialogs.message(failureMessage(common::outOfMemory()));
        return false;
    }
    if (!done) {
        restore(fields, before);
        return false;
    }
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
    outcome.refused = checkComputeBoxes(fields);
    if (!boxesAccepted(outcome.refused, dialogs, context)) return outcome;
    outcome.reported =
        transaction(session, fields, chart, dialogs, [&](RunoffSession& work, basin::ChartGrid& workChart) {
            basin::WorkingHydrograph& h = work.hydrograph;
            h.outflowIsCurrent = false;
            h.routed.outflowCfs.redim(1);
            h.routed.elevationFt.redim(1);
            h.routed.storageAcreFt.redim(1);
            return run(work, fields, workChart, dialogs, context);
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
    outcome.refused = checkRoutingBoxes(fields, routeOption(fields));
    if (!boxesAccepted(outcome.refused, dialogs, context)) return outcome;
    outcome.reported =
        transaction(session, fields, chart, dialogs, [&](RunoffSession& work, basin::ChartGrid& workChart) {
            return route(work, fields, workChart, dialogs, context);
        });
    return outcome;
}

void arrangementChanged(RunoffSession& session, basin::RunoffFields& fields) {
    if (fields.text(form3::ComboRain) != "Storm File") restoreTypedTable(session.typedTable, fields);
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

void clearPlots(RunoffSession& session, basin::ChartGrid& chart, const basin::RunoffFields& fields) {
    session.hydrographPlotted = false;
    basin::resetChart(chart, fields);
}

}  // namespace brelvo::runoff
