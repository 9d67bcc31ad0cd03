// The hydrograph report in its compute and routing layouts, the caption summary and the chart column.
#include "runoff/report.hpp"

#include <fstream>
#include <sstream>

#include "basin/hydrograph_file.hpp"
#include "common/failure.hpp"
#include "common/single_byte_text.hpp"
#include "common/numbers.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kFieldWidth = 9;  // every report column is nine characters wide

// Right-aligns text in width characters; a longer text keeps its leftmost characters.
std::string rightAligned(const std::string& text, std::size_t width) {
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}


void writeHeader(std::ostream& out, const basin::RunoffState& state, const basin::RunoffFields& fields,
                 const ReportInputs& inputs) {
    out << fields.text("txtTitle") << kCrLf;
    out << fields.text("txtTile2") << kCrLf;
    if (state.routeMode == 0) {
        out << "Basin Area (mi^2): " << listItem(state.basinArea) << kCrLf;
        out << "C value: " << listItem(state.cValue) << kCrLf;
        out << "Lag Time: " << listItem(state.lagHours) << kCrLf;
        if (state.curveNumberLoss) {
            out << "SCS Curve Number CN: " << listItem(static_cast<float>(state.curveNumber)) << kCrLf;
        } else {
            out << "Intitial loss (in):  " << common::formatPattern(state.initialLoss, "0.00") << kCrLf;
        }
        out << "Constant Loss (in/hr):  " << common::formatPattern(state.constantLoss, "0.00") << kCrLf;
        out << "Percent impervious area:  " << common::formatPattern(state.imperviousFraction * 100, "0")
            << kCrLf;
        out << "Dimensionless Graph:  " << fields.text("ComboDimgraph") << kCrLf;
    }
    switch (state.routeMode) {
        case 0:
            out << kCrLf << kCrLf;
            break;
        case 1:
            out << "Storage routing file: " << state.storageFileName << kCrLf << kCrLf;
            break;
        case 2:
            out << "Muskingum K lag: " << fields.text("txtMuskK")
                << "  Muskingum X storage: " << fields.text("txtMuskX") << kCrLf << kCrLf;
            break;
        case 3:
            out << "Combined hydrograph filename: " << inputs.combinedFileName << kCrLf << kCrLf;
            break;
        case 4:
            out << "Tatum time of travel: " << fields.text("txtTatum") << ' ' << fields.caption("capTatum")
                << kCrLf << kCrLf;
            break;
        default:
            break;  // no routing method to name
    }
}

// Adds the hydrograph as the chart's last data column, with the excess rain in column 1 (inches) and
// the rows labelled with their time (hours).
void plotHydrograph(const basin::RunoffState& state, basin::ChartGrid& chart, bool routing) {
    const int rows = state.it + 1;
    // The first hydrograph after a reset sets the rows; a later, longer one grows them, so that all
    // its ordinates are plotted.
    if (chart.columnCount() == 2 || chart.rowCount() < rows) chart.setRowCount(rows);
    chart.setLabelSpacing(state.it / 6);
    const char* labelPattern = state.udur == 0.5f ? "0.0" : state.udur >= 1 ? "0" : "0.00";
    for (int i = 0; i <= state.it; ++i) {
        chart.setRow(i + 1);
        chart.setColumn(1);
        chart.setData(i <= state.nRain + 1 ? common::generalText(state.excessStep[i]) : std::string("0"));
        chart.setColumn(chart.columnCount());
        chart.setData(common::generalText(routing ? state.qout[i] : state.qi[i]));
        // The label is the rounded time read back as a number, so "1.50" shows as "1.5".
        const float time = static_cast<float>(i) * state.udur;
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

void writeReport(std::ostream& out, basin::RunoffState& state, basin::RunoffFields& fields,
                 basin::ChartGrid& chart, const ReportInputs& inputs) {
    const bool routing = state.routeMode != 0;
    computeRainLoss(state);

    // Patterns chosen before maxq is rounded: a peak of 99.96 cfs keeps its decimal as "100.0".
    const char* flowPattern = state.maxq >= 100 ? "########0" : "######0.0";
    const char* timePattern = state.udur >= 1 ? "######0.0" : "##0.00000";

    writeHeader(out, state, fields, inputs);

    const float peakTime = static_cast<float>(state.tmax) * state.udur;  // hours
    if (routing) {
        out << "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV" << kCrLf;
        basin::usgsround(state.maxq);
        basin::usgsround(state.maxout);
        fields.setCaption("Form3", "QmaxIn=" + common::generalText(state.maxq) +
                                       " cfs, Vol=" + common::generalText(state.volAcft) +
                                       " acft, QmaxOut=" + common::generalText(state.maxout) + " cfs");
        out << fm(state.maxq, flowPattern) << fm(peakTime, timePattern) << roundedField(state.volAcft)
            << roundedField(state.maxout) << fm(state.tmaxout * state.udur, "##0.00000")
            << fm(state.maxelv, "#####0.00") << kCrLf;
    } else {
        out << " DURATION     RAIN    PEAKQ     TIME  ACRE-FT" << kCrLf;
        basin::usgsround(state.maxq);
        fields.setCaption("Form3", "Runoff Qmax=" + common::generalText(state.maxq) +
                                       " cfs, Vol=" + common::generalText(state.volAcft) +
                                       " acft, RainLoss=" + common::formatPattern(state.rainLoss, "0.00") +
                                       " in from " + common::formatPattern(state.stormDepth, "0.00") +
                                       " total");
        out << fm(state.stormDur, "####0.000") << fm(state.stormDepth, "#####0.00")
            << fm(state.maxq, flowPattern) << fm(peakTime, timePattern) << roundedField(state.volAcft)
            << kCrLf;
    }
    out << kCrLf;

    out << "     Time";
    if (state.routeMode == 1) out << "     Elev  Storage";
    if (routing) {
        out << "  Outflow   Inflow" << kCrLf;
    } else {
        out << "   Runoff Rainfall   Excess" << kCrLf;
    }
    for (int i = 0; i <= state.it; ++i) {
        out << fm(static_cast<float>(i) * state.udur, timePattern);
        if (state.routeMode == 1) out << fm(state.elvout[i], "#####0.00") << roundedField(state.storout[i]);
        if (routing) out << roundedField(state.qout[i]);
        out << roundedField(state.qi[i]);
        // Rain and excess end one step after the rain: the step that shows the rain has stopped.
        if (!routing && i <= state.nRain + 1) {
            out << fm(state.rainStep[i], "##0.00000") << fm(state.excessStep[i], "##0.00000");
        }
        out << kCrLf;
    }

    plotHydrograph(state, chart, routing);
    state.routeMode = 0;
    state.hydrographPlotted = true;
}

void writeReport(const std::string& path, basin::RunoffState& state, basin::RunoffFields& fields,
                 basin::ChartGrid& chart, const ReportInputs& inputs) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw common::pathFileAccessError();
    std::ostringstream text;
    writeReport(text, state, fields, chart, inputs);
    file << common::singleByteText(text.str());
    file.close();
    if (!file) throw common::RuntimeFailure(57, "Device I/O error");
}

}  // namespace brelvo::runoff
