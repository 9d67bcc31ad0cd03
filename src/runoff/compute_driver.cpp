// The compute run: inputs, rainfall, losses, unit graph, volume and report, in that order.
#include "runoff/compute_driver.hpp"

#include <algorithm>
#include <new>

#include "basin/hydrograph_file.hpp"
#include "basin/routing.hpp"
#include "basin/storage_routing.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"
#include "runoff/losses.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/report.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::runoff {

namespace {

constexpr double kAcreFeetPerCfsDay = 1.9835;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The run after its reset of the routing series; it ends early, with a message of its own, when an input
// is missing or no rain runs off.
void run(basin::RunoffState& s, basin::RunoffFields& fields, basin::ChartGrid& chart, common::Dialogs& dialogs,
         const ComputeContext& context) {
    const std::string& rainText = fields.text("ComboRain");
    const std::string& methodText = fields.text("ComboDimgraph");
    if (contains(rainText, "Select") || contains(methodText, "Select")) {
        dialogs.message("Select a Dimensionless Graph and Rainfall Arrangement");
        return;
    }

    // Basin: the area label names the unit the area was measured in.
    s.cValue = common::readSingle(fields.text("txtC"));
    s.basinArea = common::readSingle(fields.text("txtBasinArea"));
    const std::string& areaLabel = fields.caption("Label10");
    if (contains(areaLabel, "acre")) s.basinArea = s.basinArea / 640;
    if (contains(areaLabel, "ft^2")) s.basinArea = static_cast<float>(s.basinArea / 27878400.0);

    // Time step: hydrographs of different steps never share the chart. The box holds minutes when its
    // label says so, hours otherwise.
    s.lagHours = common::readSingle(fields.text("txtLag"));
    s.udur = common::readSingle(fields.text("txtGraphtimestep"));
    if (s.prevStep == 0) s.prevStep = s.udur;
    if (s.udur != s.prevStep) basin::resetChart(chart, s, fields);
    s.prevStep = s.udur;
    if (contains(fields.caption("Label14"), "minute")) s.udur = s.udur / 60;

    readLossInputs(s, fields.text("txtCNloss"), fields.text("txtConstLoss"), fields.text("txtPercentImp"));
    s.rationalRun = false;
    decodeArrangement(rainText, s);
    readDepthDurationTable(fields, s);
    // A cancelled storm-file dialog ends the run quietly.
    if (!buildRainfall(s, fields, dialogs, context.programFolder)) return;
    computeExcess(s);

    GraphResult graph;
    if (methodText == "Rational Method") {
        graph = rationalGraph(s, dialogs);
    } else if (methodText == "Triangle Unit Graph") {
        graph = triangleGraph(s, dialogs);
    } else {
        graph = unitGraphFile(s, methodText, context.programFolder, dialogs);
    }
    if (!graph.produced) return;  // "No Excess Rainfall" was shown

    // Volume: the sum of flows times the step in days, in acre-feet per cfs-day.
    s.volAcft = common::toSingle(graph.ordinateSum * kAcreFeetPerCfsDay * s.udur / 24);
    basin::usgsround(s.volAcft);
    writeReport(context.reportPath, s, fields, chart, ReportInputs{});
}

constexpr const char* kGraphFilter = "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|";

// The routing run: the hydrograph already held is routed, shifted or combined with a file, and reported
// in the routing layout.
void route(basin::RunoffState& s, basin::RunoffFields& fields, basin::ChartGrid& chart, common::Dialogs& dialogs,
           const ComputeContext& context) {
    s.routeMode = 0;
    // The longest routed hydrograph is five times the inflow, counted in 16 bits.
    if (s.it > 6553) {
        dialogs.message("This hydrograph has " + common::integerText(s.it) +
                        " time steps; routing handles at most 6553. Use a longer time step.");
        return;
    }
    s.newit = static_cast<std::int16_t>(std::min(5 * static_cast<int>(s.it), 32000));
    s.maxelv = 0;

    const int option = static_cast<int>(common::leadingNumber(fields.text("optRouteType")));
    ReportInputs inputs;
    if (option != 2 && chart.columnCount() < 3) {
        dialogs.message("Compute hydrograph before routing.");
        return;
    }
    if (option == 0) {
        s.elvout.redim(s.newit);
        basin::modpul(s, fields, dialogs, context.programFolder);
    } else if (option == 1) {
        const float k = common::readSingle(fields.text("txtMuskK"));
        const float x = common::readSingle(fields.text("txtMuskX"));
        basin::muskingum(k, x, s);
        if (basin::muskingumUnstable(basin::muskingumCoefficients(k, x, s.udur))) {
            dialogs.message("Muskingum routing is unstable for K = " + common::generalText(k) + " h, X = " +
                            common::generalText(x) + " and a time step of " + common::generalText(s.udur) +
                            " h: a routing coefficient is negative, so the outflow may oscillate.");
        }
    } else if (option == 3) {
        float travel = common::readSingle(fields.text("txtTatum"));
        if (fields.caption("capTatum") == "minutes") travel = travel / 60;
        basin::travelTimeRouting(travel, s);
    } else if (option == 2) {
        common::FileDialogRequest request;
        request.title = "Load hydrograph or combine with current";
        request.initialDir = context.programFolder;
        request.filter = kGraphFilter;
        const auto chosen = dialogs.fileDialog(request);
        if (!chosen || chosen->empty()) return;
        inputs.combinedFileName = *chosen;
        if (!basin::readHydrographFile(*chosen, s, fields, dialogs)) return;
    }
    if (s.routeMode == 0) return;
    s.nRain = -2;  // a routing run carries no rainfall or excess
    writeReport(context.reportPath, s, fields, chart, inputs);
}

}  // namespace

void computeHydrograph(basin::RunoffState& s, basin::RunoffFields& fields, basin::ChartGrid& chart,
                       common::Dialogs& dialogs, const ComputeContext& context) {
    try {
        if (s.routeMode != 0) {
            route(s, fields, chart, dialogs, context);
        } else {
            s.outflowIsCurrent = false;
            s.qout.redim(1);
            s.elvout.redim(1);
            s.storout.redim(1);
            run(s, fields, chart, dialogs, context);
        }
    } catch (const common::RuntimeFailure& f) {
        dialogs.message(f.description() + "\n" + kTimeStepHint);
    } catch (const std::bad_alloc&) {
        dialogs.message(common::outOfMemory().description() + "\n" + kTimeStepHint);
    }
    s.routeMode = 0;
}

}  // namespace brelvo::runoff
