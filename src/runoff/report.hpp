// The hydrograph report: the hydrograph file's text, the window caption's summary and one chart column.
#pragma once

#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"

namespace brelvo::runoff {

// x formatted with a number pattern ("######0.0") and right-aligned in a field as wide as the
// pattern; a longer text keeps its leftmost characters. The float form rounds the value as the user
// reads it (2.675f with "0.00" is "2.68"); every report value is a float.
std::string fm(float x, std::string_view pattern);
std::string fm(double x, std::string_view pattern);

// A flow, storage or volume rounded with usgsround, as its shortest text ("0.57", "1230"),
// right-aligned in nine characters.
std::string roundedField(float value);

// A number written after a label: " " (or "-"), the shortest text without the 0 before the point
// (".5"), one trailing space.
std::string listItem(float value);

// What the run hands the report besides the working hydrograph.
struct ReportRun {
    std::optional<basin::RouteMethod>
        route;  // the routing layout of that method; nothing: the compute layout
    float stepHours = 0;
    // The compute layout's inputs and rain.
    float areaSqMi = 0;
    float c = 0;
    float lagHours = 0;
    basin::LossInputs losses;
    basin::Storm storm;     // rain and excess (impervious share mixed in), inches per step
    bool rational = false;  // the report shows what runs off after C: C times the excess
    // The routing layouts' file names.
    std::string storageFileName;   // storage routing
    std::string combinedFileName;  // load or combination
    // The texts the report and the chart's legend show, as the run read them: the report of a run is
    // titled with the titles it ran with, whatever the boxes hold since.
    std::string title1;
    std::string title2;
    std::string methodText;       // the hydrograph method's list text (ComboDimgraph)
    std::string arrangementText;  // the rainfall arrangement's list text (ComboRain)
    std::string muskingumKText;   // Muskingum K and X as typed
    std::string muskingumXText;
    std::string travelTimeText;  // the travel time as typed, and its unit ("hours", "minutes")
    std::string travelTimeUnit;
};

// The excess as the report shows it: what ran off after C for a Rational Method run, else the storm's
// excess (a routing run's storm has none).
[[nodiscard]] basin::Series excessShown(const ReportRun& run);

// What the report hands back: the peaks as rounded for the report and the caption.
struct ReportOutcome {
    float peakCfs = 0;        // the hydrograph's peak, usgsround
    float routedPeakCfs = 0;  // the routed peak, usgsround (routing layout only)
    float rainLossIn = 0;     // total loss of the compute layout
    std::string caption;      // the runoff window's caption that sums the run up
};

// The hydrograph as the chart's next column: one row per ordinate with its time label, the excess rain
// (inches; 0 where the report shows none) for the chart's first column, and the flow (cfs).
struct ChartColumn {
    int labelSpacing = 0;  // labels and ticks every N rows
    std::vector<std::string> labels;
    std::vector<std::string> excess;
    std::vector<std::string> flows;
};
[[nodiscard]] ChartColumn chartColumn(const basin::WorkingHydrograph& hydrograph, const ReportRun& run);

// The same rows one by one, handed to `row` as (index, label, excess, flow) and not kept: for a writer
// straight into the chart. The texts are only valid during the call.
using ChartRowWriter = std::function<void(int, const std::string&, const std::string&, const std::string&)>;
void forEachChartRow(const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                     const ChartRowWriter& row);

// Writes the report to `out` with CR LF line ends, in the compute or the routing layout, and sums it up
// in the outcome's caption. Failures are RuntimeFailures.
ReportOutcome writeReport(std::ostream& out, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run);
// The same, appended to `out`.
ReportOutcome writeReport(std::string& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run);

// The report's text as the report file holds it: single-byte text, characters beyond that range "?".
[[nodiscard]] std::string reportFileBytes(const std::string& text);

// Writes the report file's bytes as the file at `path` through common::replaceFile: the file holds either
// the earlier report or the whole new one. A failed write is "Device I/O error", any other failure
// "Path/File access error", each with a cause that names the file and the reason.
void writeReportFile(const std::string& path, const std::string& bytes);

// The report written into the file at `path`, replacing it as writeReportFile does. A file that cannot be
// replaced or a missing folder fails with "Path/File access error" before the report is made.
ReportOutcome writeReport(const std::string& path, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run);

}  // namespace brelvo::runoff
