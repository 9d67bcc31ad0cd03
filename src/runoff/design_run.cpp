// The compute run on a detached copy of the window's inputs, and its summary.
#include "runoff/design_run.hpp"

#include <optional>
#include <string>
#include <utility>

#include "basin/chart_grid.hpp"
#include "common/control_names.hpp"
#include "common/dialogs.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

// A volume in acre-feet over an area in square miles as a depth in inches.
constexpr double kSquareMileAcres = 640;
constexpr double kInchesPerFoot = 12;

// Nobody at the window: messages are kept, every question and file dialog is cancelled.
class CollectingDialogs : public common::Dialogs {
  public:
    std::vector<std::string> messages;
    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> fileDialog(const common::FileDialogRequest&) override { return std::nullopt; }
    bool confirm(const std::string&, const std::string&) override { return false; }
};

}  // namespace

std::vector<std::string> summaryTexts(const RunSummary& summary) {
    return {common::formatPattern(summary.stormDepthIn, "0.00"),
            common::formatPattern(summary.runoffDepthIn, "0.00"), common::generalText(summary.peakCfs),
            common::formatPattern(summary.peakHours, "0.00"), common::generalText(summary.volumeAcreFt)};
}

std::string failureText(const DesignRun& run) {
    if (run.messages.empty()) return std::string(common::msg::kRunEndedWithoutReport);
    std::string text;
    for (const std::string& message : run.messages) {
        if (!text.empty()) text += '\n';
        text += message;
    }
    return text;
}

basin::RunoffFields detachedFields(const basin::RunoffFields& fields) {
    basin::RunoffFields copy;
    for (const std::string& name : fields.captionNames()) copy.setCaption(name, fields.caption(name));
    for (const std::string& name : fields.checkNames()) copy.setChecked(name, fields.checked(name));
    for (const std::string& name : fields.textNames()) copy.restoreText(name, fields.text(name));
    return copy;
}

DesignRun runDesignStorm(const basin::RunoffFields& fields, const ComputeContext& context) {
    basin::RunoffFields copy = detachedFields(fields);
    RunoffSession session;
    basin::ChartGrid chart;
    clearPlots(session, chart, copy);
    CollectingDialogs dialogs;
    ComputeContext quiet = context;
    quiet.showRefused = nullptr;  // no window marks the refused boxes; the message names them

    DesignRun result;
    result.reported = computeHydrograph(session, copy, chart, dialogs, quiet).reported;
    result.messages = std::move(dialogs.messages);
    if (!result.reported || !session.lastReport) {
        result.reported = false;
        return result;
    }
    const ReportRun& run = *session.lastReport;
    const basin::WorkingHydrograph& h = session.hydrograph;
    result.caption = copy.caption(form3::Form3);
    result.reportText = std::move(session.reportText);
    result.column = chartColumn(h, run);
    RunSummary& summary = result.summary;
    summary.stormDepthIn = run.storm.depthIn;
    summary.peakCfs = h.inflow.peakCfs;                                          // as the report rounded it
    summary.peakHours = static_cast<float>(h.inflow.peakIndex) * run.stepHours;  // as the report writes it
    summary.volumeAcreFt = h.volumeAcreFt;
    if (run.areaSqMi > 0) {
        summary.runoffDepthIn = static_cast<float>(static_cast<double>(h.volumeAcreFt) * kInchesPerFoot /
                                                   (static_cast<double>(run.areaSqMi) * kSquareMileAcres));
    }
    return result;
}

}  // namespace brelvo::runoff
