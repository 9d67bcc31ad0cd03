// The working hydrograph as CSV for a spreadsheet: the rows of the last report with their values before
// the report rounds them.
#pragma once

#include <string>
#include <vector>

#include "basin/working_state.hpp"
#include "runoff/report.hpp"

namespace brelvo::runoff {

// One header line with units, then one row per ordinate of the report (time first): after a compute
// run "Time (h),Runoff (cfs),Rainfall (in),Excess (in)", the rain and excess cells empty where the
// report leaves them blank; after a routing run "Time (h),Outflow (cfs),Inflow (cfs)", with
// "Elevation (ft),Storage (ac-ft)" after the time for a storage routing. Numbers are the shortest texts
// that read back as the same single, with '.' as the decimal point; lines end in CR LF.
[[nodiscard]] std::string hydrographCsv(const basin::WorkingHydrograph& hydrograph, const ReportRun& run);

// The report as it is printed or exported as PDF: the titles it was written with, and its lines (the
// report file's single-byte text split at its CR LF line ends, the empty lines at its end dropped).
struct PrintedReport {
    std::string title1;
    std::string title2;
    std::vector<std::string> lines;
};
[[nodiscard]] PrintedReport printedReport(const ReportRun& run, const std::string& reportBytes);

// The first title as the user typed it, for the names exports propose; empty while the box holds its
// prompt ("Enter Title 1") or nothing.
[[nodiscard]] std::string typedTitle(const std::string& title1);

// The shortest decimal text that reads back as `value` ("0.1", "1e-07", "1234.5").
[[nodiscard]] std::string shortestText(float value);

// A CSV cell in double quotes, its quotes doubled and its line ends written as spaces (a summary row
// stays one line).
[[nodiscard]] std::string quotedCsvCell(const std::string& text);

}  // namespace brelvo::runoff
