// The compute run (inputs, rainfall, losses, unit graph, volume and report, in that order) and the
// routing run, each committing its results to the session as it goes.
#include "runoff/compute_driver.hpp"

#include <algorithm>
#include <fstream>
#include <new>
#include <optional>
#include <sstream>

#include "basin/basin_block.hpp"
#include "basin/hydrograph_file.hpp"
#include "basin/routing.hpp"
#include "basin/storage_routing.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"
#include "runoff/routing_panel.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

constexpr double kAcreFeetPerCfsDay = 1.9835;

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Writes the report and commits what it rounded: the peaks as reported, and the hydrograph plotted.
void report(RunoffSession& session, const ReportRun& run, basin::RunoffFields& fields,
            basin::ChartGrid& chart, const ComputeContext& context) {
    std::ofstream file = openReportFile(context.reportPath);
    std::ostringstream text;
    const ReportOutcome outcome = writeReport(text, session.hydrograph, run, fields, chart);
    session.hydrograph.inflow.peakCfs = outcome.peakCfs;
    if (run.route) session.hydrograph.routed.peakCfs = outcome.routedPeakCfs;
    session.hydrographPlotted = true;
    session.lastReport = run;
    finishReportFile(file, text.str());
}

// The run after its reset of the routing series; it ends early, with a message of its own, when an input
// is missing or no rain runs off.
void run(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
         common::Dialogs& dialogs, const ComputeContext& context) {
    const std::string& rainText = fields.text(form3::ComboRain);
    const std::string& methodText = fields.text(form3::ComboDimgraph);
    if (contains(rainText, "Select") || contains(methodText, "Select")) {
        dialogs.message(std::string(common::msg::kSelectGraphAndArrangement));
        return;
    }

    ReportRun reportRun;
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
    try {
        rainfall = buildRainfall(arrangement, table, reportRun.losses, rainRun, fields, dialogs,
                                 context.programFolder);
    } catch (...) {
        keepRainRun();  // what the storm had set when it failed stays set
        throw;
    }
    keepRainRun();
    // A cancelled storm-file dialog ends the run quietly.
    if (!rainfall) return;
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
    if (methodText == "Rational Method") {
        graph = rationalGraph(storm, graphBasin, inflow, dialogs);
    } else if (methodText == "Triangle Unit Graph") {
        graph = triangleGraph(storm, graphBasin, inflow, dialogs);
    } else {
        graph = unitGraphFile(storm, graphBasin, methodText, context.programFolder, inflow, dialogs);
    }
    if (!graph) return;  // "No Excess Rainfall" was shown

    // Volume: the sum of flows times the step in days, in acre-feet per cfs-day.
    float volume = common::toSingle(graph->ordinateSum * kAcreFeetPerCfsDay * session.stepHours / 24);
    basin::usgsround(volume);
    session.hydrograph.volumeAcreFt = volume;

    storm.excessIn = std::move(graph->excessIn);
    reportRun.storm = std::move(storm);
    reportRun.rational = graph->rational;
    reportRun.stepHours = session.stepHours;
    report(session, reportRun, fields, chart, context);
}

// The routing run: the hydrograph already held is routed, shifted or combined with a file, and reported
// in the routing layout.
void route(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
           common::Dialogs& dialogs, const ComputeContext& context) {
    basin::WorkingHydrograph& h = session.hydrograph;
    const std::int16_t last = h.inflow.last;
    // The longest routed hydrograph is five times the inflow, counted in 16 bits.
    if (last > 6553) {
        dialogs.message(common::msg::routingTooLong(common::integerText(last)));
        return;
    }
    const auto routedUpper = static_cast<std::int16_t>(std::min(5 * static_cast<int>(last), 32000));
    h.routed.peakElevationFt = 0;

    const int option = static_cast<int>(common::leadingNumber(fields.text(form3::optRouteType)));
    ReportRun run;
    if (option == 0) {
        h.routed.elevationFt.redim(routedUpper);
        auto routing = basin::modpul(h, routedUpper, session.stepHours, fields.text(form3::txtModbelv),
                                     dialogs, context.programFolder);
        if (!routing) return;
        h = std::move(routing->hydrograph);
        run.route = basin::RouteMethod::storage;
        run.storageFileName = routing->fileName;
    } else if (option == 1) {
        const float k = common::readSingle(fields.text(form3::txtMuskK));
        const float x = common::readSingle(fields.text(form3::txtMuskX));
        basin::muskingum(k, x, session.stepHours, routedUpper, h);
        run.route = basin::RouteMethod::muskingum;
        if (basin::muskingumUnstable(basin::muskingumCoefficients(k, x, session.stepHours))) {
            dialogs.message(common::msg::muskingumUnstable(common::generalText(k), common::generalText(x),
                                                           common::generalText(session.stepHours)));
        }
    } else if (option == 3) {
        float travel = common::readSingle(fields.text(form3::txtTatum));
        if (fields.caption(form3::capTatum) == "minutes") travel = travel / 60;
        (void)basin::travelTimeRouting(travel, session.stepHours, h);
        run.route = basin::RouteMethod::travelTime;
    } else if (option == 2) {
        common::FileDialogRequest request;
        request.title = std::string(common::msg::kLoadOrCombineTitle);
        request.initialDir = context.programFolder;
        request.filter = std::string(common::msg::kHydrographFilter);
        const auto chosen = dialogs.fileDialog(request);
        if (!chosen || chosen->empty()) return;
        run.combinedFileName = *chosen;
        auto loaded = basin::readHydrographFile(*chosen, h, session.hydrographPlotted, session.stepHours,
                                                fields, dialogs);
        if (!loaded) return;
        h = std::move(loaded->hydrograph);
        session.stepHours = loaded->stepHours;
        if (!loaded->reported) return;
        run.route = basin::RouteMethod::combine;
    }
    if (!run.route) return;
    session.lastReportRouted = true;  // a routing run carries no rainfall or excess
    run.stepHours = session.stepHours;
    report(session, run, fields, chart, context);
}

template <typename Run>
void guarded(common::Dialogs& dialogs, Run&& body) {
    try {
        body();
    } catch (const common::RuntimeFailure& f) {
        dialogs.message(f.description() + "\n" + std::string(common::msg::kTimeStepHint));
    } catch (const std::bad_alloc&) {
        dialogs.message(common::outOfMemory().description() + "\n" + std::string(common::msg::kTimeStepHint));
    }
}

}  // namespace

SessionView viewOf(const RunoffSession& session) {
    SessionView view;
    view.rainSteps = session.lastReportRouted ? -2 : session.rainSteps;
    return view;
}

void computeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                       common::Dialogs& dialogs, const ComputeContext& context) {
    guarded(dialogs, [&] {
        basin::WorkingHydrograph& h = session.hydrograph;
        h.outflowIsCurrent = false;
        h.routed.outflowCfs.redim(1);
        h.routed.elevationFt.redim(1);
        h.routed.storageAcreFt.redim(1);
        run(session, fields, chart, dialogs, context);
    });
}

void routeHydrograph(RunoffSession& session, basin::RunoffFields& fields, basin::ChartGrid& chart,
                     common::Dialogs& dialogs, const ComputeContext& context) {
    if (const auto refusal = routingRefusal(fields, chart)) {
        dialogs.message(*refusal);
        return;
    }
    guarded(dialogs, [&] { route(session, fields, chart, dialogs, context); });
}

void clearPlots(RunoffSession& session, basin::ChartGrid& chart, const basin::RunoffFields& fields) {
    session.hydrographPlotted = false;
    basin::resetChart(chart, fields);
}

}  // namespace brelvo::runoff
