// The compute run: inputs, rainfall, losses, unit graph, volume and report, in that order.
#include "runoff/compute_driver.hpp"

#include <new>

#include "basin/hydrograph_file.hpp"
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

}  // namespace

void computeHydrograph(basin::RunoffState& s, basin::RunoffFields& fields, basin::ChartGrid& chart,
                       common::Dialogs& dialogs, const ComputeContext& context) {
    s.routeMode = 0;
    s.outflowIsCurrent = false;
    s.qout.redim(1);
    s.elvout.redim(1);
    s.storout.redim(1);
    try {
        run(s, fields, chart, dialogs, context);
    } catch (const common::RuntimeFailure& f) {
        dialogs.message(f.description() + "\n" + kTimeStepHint);
    } catch (const std::bad_alloc&) {
        dialogs.message(common::outOfMemory().description() + "\n" + kTimeStepHint);
    }
    s.routeMode = 0;
}

}  // namespace brelvo::runoff
