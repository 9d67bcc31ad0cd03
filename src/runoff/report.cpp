// The hydrograph report in its compute and routing layouts, the caption summary and the chart column.
#include "runoff/report.hpp"

#include <fstream>
#include <sstream>

#include "basin/hydrograph_file.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"
#include "common/single_byte_text.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kFieldWidth = 9;  // every report column is nine characters wide

// Right-aligns text in width characters; a longer text keeps its leftmost characters.
std::string rightAligned(const std::string& text, std::size_t width) {
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

void writeHeader(std::ostream& out, const ReportRun& run, const basin::RunoffFields& fields) {
    out << fields.text(form3::txtTitle) << kCrLf;
    out << fields.text(form3::txtTile2) << kCrLf;
    if (!run.route) {
        out << "Basin Area (mi^2): " << listItem(run.areaSqMi) << kCrLf;
        out << "C value: " << listItem(run.c) << kCrLf;
        out << "Lag Time: " << listItem(run.lagHours) << kCrLf;
        if (run.losses.curveNumberLoss) {
            out << "SCS Curve Number CN: " << listItem(static_cast<float>(run.losses.curveNumber)) << kCrLf;
        } else {
            out << "Intitial loss (in):  " << common::formatPattern(run.losses.initialLossIn, "0.00")
                << kCrLf;
        }
        out << "Constant Loss (in/hr):  " << common::formatPattern(run.losses.constantLossInPerHour, "0.00")
            << kCrLf;
        out << "Percent impervious area:  " << common::formatPattern(run.losses.imperviousFraction * 100, "0")
            << kCrLf;
        out << "Dimensionless Graph:  " << fields.text(form3::ComboDimgraph) << kCrLf;
        out << kCrLf << kCrLf;
        return;
    }
    switch (*run.route) {
        case basin::RouteMethod::storage:
            out << "Storage routing file: " << run.storageFileName << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::muskingum:
            out << "Muskingum K lag: " << fields.text(form3::txtMuskK)
                << "  Muskingum X storage: " << fields.text(form3::txtMuskX) << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::combine:
            out << "Combined hydrograph filename: " << run.combinedFileName << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::travelTime:
            out << "Tatum time of travel: " << fields.text(form3::txtTatum) << ' '
                << fields.caption(form3::capTatum) << kCrLf << kCrLf;
            break;
    }
}

// Adds the hydrograph as the chart's last data column, with the excess rain in column 1 (inches) and
// the rows labelled with their time (hours).
void plotHydrograph(const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                    const basin::Series& excessIn, basin::ChartGrid& chart) {
    const bool routing = run.route.has_value();
    const int last = hydrograph.inflow.last;
    const float udur = run.stepHours;
    const int rows = last + 1;
    // The first hydrograph after a reset sets the rows; a later, longer one grows them, so that all
    // its ordinates are plotted.
    if (chart.columnCount() == 2 || chart.rowCount() < rows) chart.setRowCount(rows);
    chart.setLabelSpacing(last / 6);
    const char* labelPattern = udur == 0.5f ? "0.0" : udur >= 1 ? "0" : "0.00";
    for (int i = 0; i <= last; ++i) {
        chart.setRow(i + 1);
        chart.setColumn(1);
        // A routing run carries no rain: its excess column is 0.
        const bool rainShown = !routing && i <= run.storm.steps + 1;
        chart.setData(rainShown ? common::generalText(excessIn[i]) : std::string("0"));
        chart.setColumn(chart.columnCount());
        chart.setData(
            common::generalText(routing ? hydrograph.routed.outflowCfs[i] : hydrograph.inflow.flowCfs[i]));
        // The label is the rounded time read back as a number, so "1.50" shows as "1.5".
        const float time = static_cast<float>(i) * udur;
        chart.setRowLabel(
            common::generalText(common::leadingNumber(common::formatPattern(time, labelPattern))));
    }
    chart.setColumnCount(chart.columnCount() + 1);  // the empty column the next run fills
}

}  // namespace

std::string fm(float x, std::string_view pattern) {
    return rightAligned(common::formatPattern(x, pattern), pattern.size());
}

std::string fm(double x, std::string_view pattern) {
    return rightAligned(common::formatPattern(x, pattern), pattern.size());
}

std::string roundedField(float value) {
    return rightAligned(common::generalText(basin::usgsround(value)), kFieldWidth);
}

std::string listItem(float value) {
    std::string text = common::generalText(value);
    // The number is printed without the 0 before the point: ".5", "-.5".
    const std::size_t digits = text.front() == '-' ? 1 : 0;
    if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
    if (digits == 0) text.insert(0, " ");
    return text + " ";
}

ReportOutcome writeReport(std::ostream& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                          basin::RunoffFields& fields, basin::ChartGrid& chart) {
    const bool routing = run.route.has_value();
    const bool storage = run.route == basin::RouteMethod::storage;
    const basin::Hydrograph& inflow = hydrograph.inflow;
    const basin::RoutedHydrograph& routed = hydrograph.routed;
    const float udur = run.stepHours;
    // A routing run carries no rain, so no steps and no loss.
    const int rainSteps = routing ? 0 : run.storm.steps;
    const basin::Series excessShown =
        run.rational && !routing ? rationalExcess(run.storm.excessIn, rainSteps, run.c) : run.storm.excessIn;
    ReportOutcome outcome;
    outcome.rainLossIn = rainLoss(run.storm.rainIn, excessShown, rainSteps);

    // Patterns chosen before the peak is rounded: a peak of 99.96 cfs keeps its decimal as "100.0".
    const char* flowPattern = inflow.peakCfs >= 100 ? "########0" : "######0.0";
    const char* timePattern = udur >= 1 ? "######0.0" : "##0.00000";

    writeHeader(out, run, fields);

    const float peakTime = static_cast<float>(inflow.peakIndex) * udur;  // hours
    outcome.peakCfs = inflow.peakCfs;
    basin::usgsround(outcome.peakCfs);
    if (routing) {
        out << "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV" << kCrLf;
        outcome.routedPeakCfs = routed.peakCfs;
        basin::usgsround(outcome.routedPeakCfs);
        fields.setCaption(form3::Form3, "QmaxIn=" + common::generalText(outcome.peakCfs) +
                                            " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                                            " acft, QmaxOut=" + common::generalText(outcome.routedPeakCfs) +
                                            " cfs");
        out << fm(outcome.peakCfs, flowPattern) << fm(peakTime, timePattern)
            << roundedField(hydrograph.volumeAcreFt) << roundedField(outcome.routedPeakCfs)
            << fm(routed.peakIndex * udur, "##0.00000") << fm(routed.peakElevationFt, "#####0.00") << kCrLf;
    } else {
        out << " DURATION     RAIN    PEAKQ     TIME  ACRE-FT" << kCrLf;
        fields.setCaption(form3::Form3,
                          "Runoff Qmax=" + common::generalText(outcome.peakCfs) +
                              " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                              " acft, RainLoss=" + common::formatPattern(outcome.rainLossIn, "0.00") +
                              " in from " + common::formatPattern(run.storm.depthIn, "0.00") + " total");
        out << fm(run.storm.durationHours, "####0.000") << fm(run.storm.depthIn, "#####0.00")
            << fm(outcome.peakCfs, flowPattern) << fm(peakTime, timePattern)
            << roundedField(hydrograph.volumeAcreFt) << kCrLf;
    }
    out << kCrLf;

    out << "     Time";
    if (storage) out << "     Elev  Storage";
    if (routing) {
        out << "  Outflow   Inflow" << kCrLf;
    } else {
        out << "   Runoff Rainfall   Excess" << kCrLf;
    }
    for (int i = 0; i <= inflow.last; ++i) {
        out << fm(static_cast<float>(i) * udur, timePattern);
        if (storage) out << fm(routed.elevationFt[i], "#####0.00") << roundedField(routed.storageAcreFt[i]);
        if (routing) out << roundedField(routed.outflowCfs[i]);
        out << roundedField(inflow.flowCfs[i]);
        // Rain and excess end one step after the rain: the step that shows the rain has stopped.
        if (!routing && i <= run.storm.steps + 1) {
            out << fm(run.storm.rainIn[i], "##0.00000") << fm(excessShown[i], "##0.00000");
        }
        out << kCrLf;
    }

    plotHydrograph(hydrograph, run, excessShown, chart);
    return outcome;
}

std::ofstream openReportFile(const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw common::pathFileAccessError();
    return file;
}

void finishReportFile(std::ofstream& file, const std::string& text) {
    file << common::singleByteText(text);
    file.close();
    if (!file) throw common::RuntimeFailure(57, "Device I/O error");
}

ReportOutcome writeReport(const std::string& path, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run, basin::RunoffFields& fields, basin::ChartGrid& chart) {
    std::ofstream file = openReportFile(path);
    std::ostringstream text;
    const ReportOutcome outcome = writeReport(text, hydrograph, run, fields, chart);
    finishReportFile(file, text.str());
    return outcome;
}

}  // namespace brelvo::runoff
