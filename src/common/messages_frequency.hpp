// Frequency runs' part of the message table: the Storm menu's frequency window, its summary and its
// messages. Kept in its own file for its length: common/messages.hpp includes it at its place in the
// table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- runoff: design storms and frequency runs ----
// A run that ended without a report and told nothing (a file it asked for was not chosen).
inline constexpr std::string_view kRunEndedWithoutReport = "The run ended without a report.";
// The frequency summary's CSV header.
inline constexpr std::string_view kFrequencyCsvHeader =
    "Return period (years),Storm depth (in),Runoff depth (in),Peak (cfs),Time of peak (h),Volume (acre-ft)";
// The summary CSV's columns after those of the table: where the storms are from and the losses used.
inline constexpr std::string_view kFrequencyCsvSiteColumns =
    ",Site,Curve number,Initial loss (in),Constant loss (in/h),Impervious (%)";

// Storm -> Frequency Runs...
inline constexpr const char* kEntryFrequencyRuns = "Frequency Runs...";
inline constexpr const char* kFrequencyTitle = "Frequency Runs";
inline constexpr std::string_view kFrequencyNoTable =
    "Frequency runs need the site's precipitation-frequency table. Import it first with Storm > Import "
    "Precipitation Frequency..., then choose Frequency Runs... again.";
inline constexpr const char* kFrequencyPeriods = "Return periods (years)";
inline constexpr const char* kFrequencyHours = "Storm length (hours)";
inline constexpr const char* kFrequencyRun = "Run";
inline constexpr const char* kFrequencyCancel = "Cancel";
inline constexpr const char* kFrequencyExport = "Export Frequency Summary...";
inline constexpr const char* kFrequencyExportTitle = "Export Frequency Summary";
inline constexpr const char* kFrequencyClose = "Close";
inline constexpr std::string_view kFrequencyNoPeriods = "Check at least one return period to run.";
inline constexpr std::string_view kFrequencyBadHours =
    "The storm length must be a number of hours above 0, such as 24 or 6.";
inline constexpr std::string_view kFrequencyNothingToExport =
    "There is no frequency summary to export yet: run the return periods first.";
inline constexpr const char* kFrequencyProgress = "%v of %m storms";
inline constexpr const char* kFrequencyCancelled =
    "Cancelled; the summary below is that of the last whole run.";
inline std::string frequencyDone(int storms, int failed) {
    std::string text = std::to_string(storms) + (storms == 1 ? " storm run" : " storms run");
    if (failed > 0) text += ", " + std::to_string(failed) + " without a result (see its row)";
    return text + ".";
}
// The table the runs take their storms from: "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W".
inline std::string frequencySource(const std::string& volume, const std::string& place) {
    return "Storms from " + volume + (place.empty() ? "" : ", " + place);
}
// A return period as the legends and the table name it: "100-year".
inline std::string yearStorm(int years) {
    return std::to_string(years) + "-year";
}
inline constexpr const char* kFrequencyPeakChart = "Peak against return period";
inline constexpr const char* kFrequencyHydrographChart = "Hydrographs";
inline constexpr const char* kAxisReturnPeriod = "Return period (years)";
inline constexpr const char* kAxisPeak = "Peak (cfs)";
inline constexpr const char* kAxisTime = "Time (h)";
inline constexpr const char* kAxisRunoff = "Runoff (cfs)";
inline constexpr const char* kFrequencyPeakSeries = "Peak";

}  // namespace brelvo::common::msg
