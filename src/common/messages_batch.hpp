// The batch command's part of the message table (brelvo --batch): its usage, its refusals of a command
// line, its progress and the summary it writes. Kept in its own file for its length: common/messages.hpp
// includes it at its place in the table; include that file, not this one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- app: the batch command ----
// The summary's header line, and the field that follows the return period in a row of a run that failed.
inline constexpr std::string_view kBatchSummaryHeader =
    "Project,Return period (years),Storm depth (in),Runoff depth (in),Peak (cfs),Time of peak (h),"
    "Volume (acre-ft)";
inline std::string batchFailed(std::string_view message) {
    return "FAILED: " + std::string(message);
}
// Progress on standard error: runs done of all.
inline std::string batchProgress(std::size_t done, std::size_t total) {
    return std::to_string(done) + "/" + std::to_string(total) + " runs";
}
// The last line on standard error: how many runs failed.
inline std::string batchFailures(std::size_t failed, std::size_t total) {
    return std::to_string(failed) + " of " + std::to_string(total) + " runs failed; see the summary.";
}
// The last line of a batch stopped by Ctrl+C or a termination signal: the runs that ran of all asked for.
inline std::string batchInterrupted(std::size_t ran, std::size_t total) {
    return "Interrupted after " + std::to_string(ran) + " of " + std::to_string(total) +
           " runs; the summary holds their rows only.";
}
// Why a project gives no run (after the project's refusal as the window words it, or alone).
inline constexpr std::string_view kBatchNoRunoffInputs =
    "the project has no runoff inputs (open its runoff window and save the project)";
inline constexpr std::string_view kBatchStormFileAsked =
    "the run asks for a storm file and a batch run cannot choose one (use another rainfall arrangement)";
// A command line the batch command cannot run; the usage follows.
inline std::string batchOptionNeedsValue(std::string_view option) {
    return "brelvo --batch: " + std::string(option) + " needs a value";
}
inline std::string batchUnknownOption(std::string_view option) {
    return "brelvo --batch: unknown option " + std::string(option);
}
inline std::string batchOptionTwice(std::string_view option) {
    return "brelvo --batch: " + std::string(option) + " is given twice";
}
inline constexpr std::string_view kBatchNoSummary =
    "brelvo --batch: the summary file (SUMMARY.csv) is missing";
inline constexpr std::string_view kBatchNoProjects = "brelvo --batch: no project files are given";
inline std::string batchBadJobs(std::string_view text) {
    return "brelvo --batch: --jobs takes a whole number from 1 to 1024, not \"" + std::string(text) + "\"";
}
inline std::string batchBadReturnPeriods(std::string_view text) {
    return "brelvo --batch: --return-periods takes whole numbers of years separated by commas, each once, "
           "not \"" +
           std::string(text) + "\"";
}
inline std::string batchSummaryIsProject(std::string_view summary) {
    return "brelvo --batch: the summary file \"" + std::string(summary) +
           "\" is a project file (.brelvo); the summary's name (SUMMARY.csv) comes right after --batch";
}
inline constexpr std::string_view kBatchPeriodsWithoutFrequency =
    "brelvo --batch: --return-periods needs --frequency";
inline std::string batchPeriodNotInFile(int years, std::string_view file) {
    return "brelvo --batch: the return period " + std::to_string(years) + " is not in \"" +
           std::string(file) + "\"";
}
// --frequency without --return-periods runs the 2- to 100-year storms the table has.
inline std::string batchNoDefaultPeriods(std::string_view file) {
    return "brelvo --batch: \"" + std::string(file) +
           "\" has none of the return periods 2, 5, 10, 25, 50 and 100 years: choose some with "
           "--return-periods";
}
// Refusals of what the command line names, before any run (no usage follows).
inline std::string batchFrequencyUnreadable(std::string_view file, std::string_view why) {
    return "brelvo --batch: \"" + std::string(file) +
           "\" cannot be read as a precipitation frequency table: " + std::string(why);
}
inline std::string batchReportsFolder(std::string_view folder) {
    return "brelvo --batch: the reports folder \"" + std::string(folder) + "\" cannot be made";
}
inline std::string batchSameReportName(std::string_view first, std::string_view second) {
    return "brelvo --batch: \"" + std::string(first) + "\" and \"" + std::string(second) +
           "\" would write reports of the same name; give one of them another name";
}
// A file the batch would write is a file it reads, or the summary is one of the reports: `what` is
// kBatchTheProject or kBatchTheFrequencyTable, the files are named as the command line gives them.
inline constexpr std::string_view kBatchTheProject = "the project";
inline constexpr std::string_view kBatchTheFrequencyTable = "the frequency table";
inline std::string batchSummaryIsInput(std::string_view summary, std::string_view what,
                                       std::string_view input) {
    return "brelvo --batch: the summary file \"" + std::string(summary) + "\" is " + std::string(what) +
           " \"" + std::string(input) + "\", which the batch reads; give the summary a name of its own";
}
inline std::string batchSummaryIsReport(std::string_view summary, std::string_view report) {
    return "brelvo --batch: the summary file \"" + std::string(summary) + "\" is the report \"" +
           std::string(report) + "\", which the batch writes; give the summary a name of its own";
}
inline std::string batchReportIsInput(std::string_view report, std::string_view what,
                                      std::string_view input) {
    return "brelvo --batch: the report \"" + std::string(report) + "\" is " + std::string(what) + " \"" +
           std::string(input) + "\", which the batch reads; give the reports a folder of their own";
}
// (end of the batch command)

}  // namespace brelvo::common::msg
