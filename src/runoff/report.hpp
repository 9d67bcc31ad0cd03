// The hydrograph report: the hydrograph file's text, the window caption's summary and one chart column.
#pragma once

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

// What the run hands the report besides the working state.
struct ReportInputs {
    std::string combinedFileName;  // the file chosen in a load or combine run (routeMode 3)
};

// Writes the report to `out` with CR LF line ends: the compute layout when state.routeMode is 0,
// the routing layout for routing modes 1..4. Also computes state.rainLoss (after a Rational Method
// run this leaves C times the excess in excessStep), rounds maxq (and maxout in the routing layout)
// in place, sets the window caption (fields caption "Form3"), adds the hydrograph as a chart column,
// sets hydrographPlotted and puts routeMode back to 0. Failures are RuntimeFailures.
void writeReport(std::ostream& out, basin::RunoffState& state, basin::RunoffFields& fields,
                 basin::ChartGrid& chart, const ReportInputs& inputs);

// The same into the file at `path`, replacing it, as single-byte text (characters beyond that range
// become "?"). A file that cannot be created fails with "Path/File access error" (75) before anything
// else changes.
void writeReport(const std::string& path, basin::RunoffState& state, basin::RunoffFields& fields,
                 basin::ChartGrid& chart, const ReportInputs& inputs);

}  // namespace brelvo::runoff
