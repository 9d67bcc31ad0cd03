// The hydrograph report: the hydrograph file's text, the window caption's summary and one chart column.
#pragma once

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
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
};

// The excess as the report shows it: what ran off after C for a Rational Method run, else the storm's
// excess (a routing run's storm has none).
[[nodiscard]] basin::Series excessShown(const ReportRun& run);

// What the report hands back: the peaks as rounded for the report and the caption.
struct ReportOutcome {
    float peakCfs = 0;        // the hydrograph's peak, usgsround
    float routedPeakCfs = 0;  // the routed peak, usgsround (routing layout only)
    float rainLossIn = 0;     // total loss of the compute layout
};

// Writes the report to `out` with CR LF line ends, in the compute or the routing layout; sets the
// window caption (fields caption "Form3") and adds the hydrograph as a chart column. Failures are
// RuntimeFailures.
ReportOutcome writeReport(std::ostream& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                          basin::RunoffFields& fields, basin::ChartGrid& chart);
// The same, appended to `out`.
ReportOutcome writeReport(std::string& out, const basin::WorkingHydrograph& hydrograph, const ReportRun& run,
                          basin::RunoffFields& fields, basin::ChartGrid& chart);

// Writes the report's text as the file at `path`, as single-byte text (characters beyond that range become
// "?"), through common::replaceFile: the file holds either the earlier report or the whole new one. A
// failed write is "Device I/O error" (57), any other failure "Path/File access error" (75), each with a
// cause that names the file and the reason.
void writeReportFile(const std::string& path, const std::string& text);

// The same into the file at `path`, replacing it as writeReportFile does. A file that cannot be replaced
// or a missing folder fails with "Path/File access error" (75) before anything else changes.
ReportOutcome writeReport(const std::string& path, const basin::WorkingHydrograph& hydrograph,
                          const ReportRun& run, basin::RunoffFields& fields, basin::ChartGrid& chart);

}  // namespace brelvo::runoff
