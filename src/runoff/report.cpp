// The hydrograph report in its compute and routing layouts, the caption summary and the chart column.
#include "runoff/report.hpp"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "basin/hydrograph_file.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/single_byte_text.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kFieldWidth = 9;  // every report column is nine characters wide

// Right-aligns what was appended to `out` from `start` on in width characters; a longer text keeps its
// leftmost characters.
void alignFrom(std::string& out, std::size_t start, std::size_t width) {
    const std::size_t length = out.size() - start;
    if (length >= width) {
        out.resize(start + width);
    } else {
        out.insert(start, width - length, ' ');
    }
}

// A report column: the number with the pattern, right-aligned in the pattern's width.
void appendColumn(std::string& out, float x, const common::NumberPattern& pattern) {
    const std::size_t start = out.size();
    common::appendFormatPattern(out, x, pattern);
    alignFrom(out, start, pattern.width);
}

// A flow or volume column: rounded as hydrographs are, in general text, nine characters wide.
void appendRoundedColumn(std::string& out, float value) {
    const std::size_t start = out.size();
    common::appendGeneralText(out, basin::usgsround(value));
    alignFrom(out, start, kFieldWidth);
}

// The chart's label for a row: the time with the label pattern, read back as a number and shown in
// general text, so "1.50" shows as "1.5" and "0.00" as "0". A text of at most 15 significant digits
// reads back as the double that shows as the same digits, so the label is the text without the
// fraction's trailing zeros; a longer one takes the way round through the number.
std::string timeLabel(float hours, const common::NumberPattern& pattern) {
    std::string text;
    common::appendFormatPattern(text, hours, pattern);
    std::size_t digits = 0;
    bool plain = text.size() < 2 || text[0] != '0' || text[1] == '.';  // no leading zero before a digit
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c != '.') {
            plain = false;  // a sign
        }
    }
    if (!plain || digits > 15) return common::generalText(common::leadingNumber(text));
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
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
    const common::NumberPattern labelPattern(udur == 0.5f ? "0.0" : udur >= 1 ? "0" : "0.00");
    for (int i = 0; i <= last; ++i) {
        chart.setRow(i + 1);
        chart.setColumn(1);
        // A routing run carries no rain: its excess column is 0.
        const bool rainShown = !routing && i <= run.storm.steps + 1;
        chart.setData(rainShown ? common::generalText(excessIn[i]) : std::string("0"));
        chart.setColumn(chart.columnCount());
        chart.setData(
            common::generalText(routing ? hydrograph.routed.outflowCfs[i] : hydrograph.inflow.flowCfs[i]));
        chart.setRowLabel(timeLabel(static_cast<float>(i) * udur, labelPattern));
    }
    chart.setColumnCount(chart.columnCount() + 1);  // the empty column the next run fills
}

}  // namespace

basin::Series excessShown(const ReportRun& run) {
    if (!run.rational || run.route) return run.storm.excessIn;
    return rationalExcess(run.storm.excessIn, run.storm.steps, run.c);
}

std::string fm(float x, std::string_view pattern) {
    std::string text;
    appendColumn(text, x, common::NumberPattern(pattern));
    return text;
}

std::string fm(double x, std::string_view pattern) {
    std::string text = common::formatPattern(x, pattern);
    alignFrom(text, 0, pattern.size());
    return text;
}

std::string roundedField(float value) {
    std::string text;
    appendRoundedColumn(text, value);
    return text;
}

std::string listItem(float value) {
    std::string text = common::generalText(value);
    // The number is printed without the 0 before the point: ".5", "-.5".
    const std::size_t digits = text.front() == '-' ? 1 : 0;
    if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
    if (digits == 0) text.insert(0, " ");
    return text + " ";
}

ReportOutcome writeReport(std::string& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                          basin::RunoffFields& fields, basin::ChartGrid& chart) {
    const bool routing = run.route.has_value();
    const bool storage = run.route == basin::RouteMethod::storage;
    const basin::Hydrograph& inflow = hydrograph.inflow;
    const basin::RoutedHydrograph& routed = hydrograph.routed;
    const float udur = run.stepHours;
    // A routing run carries no rain, so no steps and no loss.
    const int rainSteps = routing ? 0 : run.storm.steps;
    const basin::Series excess = excessShown(run);
    ReportOutcome outcome;
    outcome.rainLossIn = rainLoss(run.storm.rainIn, excess, rainSteps);

    // Patterns chosen before the peak is rounded: a peak of 99.96 cfs keeps its decimal as "100.0".
    const char* flowPattern = inflow.peakCfs >= 100 ? "########0" : "######0.0";
    const char* timePattern = udur >= 1 ? "######0.0" : "##0.00000";

    {
        std::ostringstream header;
        writeHeader(header, run, fields);
        out += header.str();
    }

    const float peakTime = static_cast<float>(inflow.peakIndex) * udur;  // hours
    outcome.peakCfs = inflow.peakCfs;
    basin::usgsround(outcome.peakCfs);
    if (routing) {
        out += "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV";
        out += kCrLf;
        outcome.routedPeakCfs = routed.peakCfs;
        basin::usgsround(outcome.routedPeakCfs);
        fields.setCaption(form3::Form3, "QmaxIn=" + common::generalText(outcome.peakCfs) +
                                            " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                                            " acft, QmaxOut=" + common::generalText(outcome.routedPeakCfs) +
                                            " cfs");
        out += fm(outcome.peakCfs, flowPattern) + fm(peakTime, timePattern) +
               roundedField(hydrograph.volumeAcreFt) + roundedField(outcome.routedPeakCfs) +
               fm(routed.peakIndex * udur, "##0.00000") + fm(routed.peakElevationFt, "#####0.00") + kCrLf;
    } else {
        out += " DURATION     RAIN    PEAKQ     TIME  ACRE-FT";
        out += kCrLf;
        fields.setCaption(form3::Form3,
                          "Runoff Qmax=" + common::generalText(outcome.peakCfs) +
                              " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                              " acft, RainLoss=" + common::formatPattern(outcome.rainLossIn, "0.00") +
                              " in from " + common::formatPattern(run.storm.depthIn, "0.00") + " total");
        out += fm(run.storm.durationHours, "####0.000") + fm(run.storm.depthIn, "#####0.00") +
               fm(outcome.peakCfs, flowPattern) + fm(peakTime, timePattern) +
               roundedField(hydrograph.volumeAcreFt) + kCrLf;
    }
    out += kCrLf;

    out += "     Time";
    if (storage) out += "     Elev  Storage";
    out += routing ? "  Outflow   Inflow" : "   Runoff Rainfall   Excess";
    out += kCrLf;
    // About 50 characters a row.
    out.reserve(out.size() + static_cast<std::size_t>(inflow.last + 1) * 56);
    const common::NumberPattern timeColumn(timePattern), elevationColumn("#####0.00"),
        depthColumn("##0.00000");
    for (int i = 0; i <= inflow.last; ++i) {
        appendColumn(out, static_cast<float>(i) * udur, timeColumn);
        if (storage) {
            appendColumn(out, routed.elevationFt[i], elevationColumn);
            appendRoundedColumn(out, routed.storageAcreFt[i]);
        }
        if (routing) appendRoundedColumn(out, routed.outflowCfs[i]);
        appendRoundedColumn(out, inflow.flowCfs[i]);
        // Rain and excess end one step after the rain: the step that shows the rain has stopped.
        if (!routing && i <= run.storm.steps + 1) {
            appendColumn(out, run.storm.rainIn[i], depthColumn);
            appendColumn(out, excess[i], depthColumn);
        }
        out += kCrLf;
    }

    plotHydrograph(hydrograph, run, excess, chart);
    return outcome;
}

ReportOutcome writeReport(std::ostream& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                          basin::RunoffFields& fields, basin::ChartGrid& chart) {
    std::string text;
    const ReportOutcome outcome = writeReport(text, hydrograph, run, fields, chart);
    out << text;
    return outcome;
}

void writeReportFile(const std::string& path, const std::string& text) {
    try {
        common::replaceFile(path, common::singleByteText(text));
    } catch (const common::ReplaceFailure& failure) {
        common::RuntimeFailure failed = failure.step() == common::ReplaceStep::write
                                            ? common::deviceIoError()
                                            : common::pathFileAccessError();
        throw failed.because(common::msg::reportNotWritten(path, failure.reason()));
    }
}

ReportOutcome writeReport(const std::string& path, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run, basin::RunoffFields& fields, basin::ChartGrid& chart) {
    // A file that cannot be replaced, or a missing folder, is refused before the caption and chart change.
    try {
        common::checkReplaceable(path);
    } catch (const common::ReplaceFailure& failure) {
        throw common::pathFileAccessError().because(common::msg::reportNotWritten(path, failure.reason()));
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        throw common::pathFileAccessError().because(
            common::msg::reportNotWritten(path, common::msg::kSaveNoFolder));
    }
    std::string text;
    const ReportOutcome outcome = writeReport(text, hydrograph, run, fields, chart);
    writeReportFile(path, text);
    return outcome;
}

}  // namespace brelvo::runoff
