// The working hydrograph as CSV.
#include "runoff/csv_export.hpp"

#include <charconv>
#include <system_error>

namespace brelvo::runoff {

std::string shortestText(float value) {
    char buffer[32];
    // to_chars without a precision is the shortest round-trip form and ignores the locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

std::string hydrographCsv(const basin::WorkingHydrograph& hydrograph, const ReportRun& run) {
    constexpr const char* kEnd = "\r\n";
    const bool routing = run.route.has_value();
    const bool storage = run.route == basin::RouteMethod::storage;
    const basin::Hydrograph& inflow = hydrograph.inflow;
    const basin::RoutedHydrograph& routed = hydrograph.routed;
    const basin::Series excess = excessShown(run);

    std::string out = "Time (h)";
    if (storage) out += ",Elevation (ft),Storage (ac-ft)";
    out += routing ? ",Outflow (cfs),Inflow (cfs)" : ",Runoff (cfs),Rainfall (in),Excess (in)";
    out += kEnd;
    for (int i = 0; i <= inflow.last; ++i) {
        out += shortestText(static_cast<float>(i) * run.stepHours);
        if (storage) {
            out += ',' + shortestText(routed.elevationFt[i]);
            out += ',' + shortestText(routed.storageAcreFt[i]);
        }
        if (routing) out += ',' + shortestText(routed.outflowCfs[i]);
        out += ',' + shortestText(inflow.flowCfs[i]);
        if (!routing) {
            // Rain and excess end one step after the rain, as in the report.
            if (i <= run.storm.steps + 1) {
                out += ',' + shortestText(run.storm.rainIn[i]);
                out += ',' + shortestText(excess[i]);
            } else {
                out += ",,";
            }
        }
        out += kEnd;
    }
    return out;
}

PrintedReport printedReport(const ReportRun& run, const std::string& reportBytes) {
    PrintedReport printed{run.title1, run.title2, {}};
    for (std::size_t at = 0; at <= reportBytes.size();) {
        const std::size_t end = reportBytes.find("\r\n", at);
        if (end == std::string::npos) {
            printed.lines.push_back(reportBytes.substr(at));
            break;
        }
        printed.lines.push_back(reportBytes.substr(at, end - at));
        at = end + 2;
    }
    while (!printed.lines.empty() && printed.lines.back().empty()) printed.lines.pop_back();
    return printed;
}

std::string typedTitle(const std::string& title1) {
    return title1 == "Enter Title 1" ? std::string() : title1;
}

std::string quotedCsvCell(const std::string& text) {
    std::string cell = "\"";
    for (const char c : text) {
        if (c == '"') {
            cell += "\"\"";
        } else if (c == '\n' || c == '\r') {
            cell += ' ';
        } else {
            cell += c;
        }
    }
    return cell + "\"";
}

}  // namespace brelvo::runoff
