// The hydrograph report in its compute and routing layouts, the caption summary and the chart column.
#include "runoff/report.hpp"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "basin/hydrograph_file.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/single_byte_text.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

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

void writeHeader(std::ostream& out, const ReportRun& run) {
    out << run.title1 << kCrLf;
    out << run.title2 << kCrLf;
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
        out << "Dimensionless Graph:  " << run.methodText << kCrLf;
        out << kCrLf << kCrLf;
        return;
    }
    switch (*run.route) {
        case basin::RouteMethod::storage:
            out << "Storage routing file: " << run.storageFileName << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::muskingum:
            out << "Muskingum K lag: " << run.muskingumKText
                << "  Muskingum X storage: " << run.muskingumXText << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::combine:
            out << "Combined hydrograph filename: " << run.combinedFileName << kCrLf << kCrLf;
            break;
        case basin::RouteMethod::travelTime:
            out << "Tatum time of travel: " << run.travelTimeText << ' ' << run.travelTimeUnit << kCrLf
                << kCrLf;
            break;
    }
}

}  // namespace

void forEachChartRow(const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                     const ChartRowWriter& row) {
    const bool routing = run.route.has_value();
    const int last = hydrograph.inflow.last;
    const float udur = run.stepHours;
    const basin::Series excessIn = excessShown(run);
    const common::NumberPattern labelPattern(udur == 0.5f ? "0.0" : udur >= 1 ? "0" : "0.00");
    std::string excess, flow;  // reused from row to row
    const std::string zero = "0";
    for (int i = 0; i <= last; ++i) {
        // A routing run carries no rain: its excess column is 0.
        const bool rainShown = !routing && i <= run.storm.steps + 1;
        if (rainShown) {
            excess.clear();
            common::appendGeneralText(excess, excessIn[i]);
        }
        flow.clear();
        common::appendGeneralText(flow,
                                  routing ? hydrograph.routed.outflowCfs[i] : hydrograph.inflow.flowCfs[i]);
        row(i, timeLabel(static_cast<float>(i) * udur, labelPattern), rainShown ? excess : zero, flow);
    }
}

ChartColumn chartColumn(const basin::WorkingHydrograph& hydrograph, const ReportRun& run) {
    const int last = hydrograph.inflow.last;
    ChartColumn column;
    column.labelSpacing = last / 6;
    const auto rows = static_cast<std::size_t>(std::max(last + 1, 0));
    column.labels.reserve(rows);
    column.excess.reserve(rows);
    column.flows.reserve(rows);
    forEachChartRow(hydrograph, run,
                    [&](int, const std::string& label, const std::string& excess, const std::string& flow) {
                        column.labels.push_back(label);
                        column.excess.push_back(excess);
                        column.flows.push_back(flow);
                    });
    return column;
}

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

ReportOutcome writeReport(std::string& out, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run) {
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
        writeHeader(header, run);
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
        outcome.caption = "QmaxIn=" + common::generalText(outcome.peakCfs) +
                          " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                          " acft, QmaxOut=" + common::generalText(outcome.routedPeakCfs) + " cfs";
        out += fm(outcome.peakCfs, flowPattern) + fm(peakTime, timePattern) +
               roundedField(hydrograph.volumeAcreFt) + roundedField(outcome.routedPeakCfs) +
               fm(routed.peakIndex * udur, "##0.00000") + fm(routed.peakElevationFt, "#####0.00") + kCrLf;
    } else {
        out += " DURATION     RAIN    PEAKQ     TIME  ACRE-FT";
        out += kCrLf;
        outcome.caption = "Runoff Qmax=" + common::generalText(outcome.peakCfs) +
                          " cfs, Vol=" + common::generalText(hydrograph.volumeAcreFt) +
                          " acft, RainLoss=" + common::formatPattern(outcome.rainLossIn, "0.00") +
                          " in from " + common::formatPattern(run.storm.depthIn, "0.00") + " total";
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
    return outcome;
}

ReportOutcome writeReport(std::ostream& out, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run) {
    std::string text;
    const ReportOutcome outcome = writeReport(text, hydrograph, run);
    out << text;
    return outcome;
}

std::string reportFileBytes(const std::string& text) {
    return common::singleByteText(text);
}

void writeReportFile(const std::string& path, const std::string& bytes) {
    try {
        common::replaceFile(path, bytes);
    } catch (const common::ReplaceFailure& failure) {
        common::RuntimeFailure failed = failure.step() == common::ReplaceStep::write
                                            ? common::deviceIoError()
                                            : common::pathFileAccessError();
        throw failed.because(common::msg::reportNotWritten(path, failure.reason()));
    }
}

ReportOutcome writeReport(const std::string& path, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run) {
    // A file that cannot be replaced, or a missing folder, is refused before the report is made.
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
    const ReportOutcome outcome = writeReport(text, hydrograph, run);
    writeReportFile(path, reportFileBytes(text));
    return outcome;
}

}  // namespace brelvo::runoff
