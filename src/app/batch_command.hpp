// brelvo --batch: many projects run without a display, each with its own storm or with every return
// period of a precipitation-frequency table, into one summary CSV (one row per project and storm, in the
// command line's order whatever the number of threads), and each run's report when asked for.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/project_file.hpp"
#include "basin/runoff_fields.hpp"

namespace brelvo::app::batch {

// The command line's choices.
struct Options {
    std::string summaryPath;
    unsigned jobs = 0;               // threads; 0: one per core
    std::string frequencyPath;       // empty: each project's own storm
    std::vector<int> returnPeriods;  // with a frequency table; empty: its 2- to 100-year periods
    std::string reportsFolder;       // empty: no reports written
    std::vector<std::string> projects;
};

// The options, or why the command line cannot run (the usage follows the message).
struct CommandLine {
    std::optional<Options> options;
    std::string error;
};
// `args`: the program's arguments after its name, "--batch" among them.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// True when the arguments ask for the batch command.
bool asksForBatch(int argc, char** argv);

// The exit statuses of the command.
inline constexpr int kExitAllRan = 0;
inline constexpr int kExitSomeFailed = 1;     // a run failed, or the summary could not be saved
inline constexpr int kExitCannotRun = 2;      // a command line that cannot run: nothing is written
inline constexpr int kExitInterrupted = 130;  // Ctrl+C or a termination signal: the runs that ran are kept

// The whole command: parses `args`, runs every project and writes the summary; progress and refusals
// go to `err`; the exit status is one of the above (the usage is written with some refusals of the
// command line). `usage` is the program's usage text. While it runs, Ctrl+C (SIGINT) and SIGTERM stop the
// batch from taking new runs: the runs under way finish, and the summary holds the rows of all that ran.
int runBatchCommand(const std::vector<std::string>& args, const std::string& usage, std::ostream& err);

// The runoff window's fields as the window holds them after opening a project with these inputs: its
// defaults and caption, then the kept captions, checks and texts (restored: no change handler runs).
basin::RunoffFields runoffFieldsOf(const project::RunoffInputs& inputs);

// The storms of --frequency: the return periods to run, in order, and how the storm of one of them is
// written into a project's fields; or why the table cannot be used (the usage follows when the command
// line asked for a period the table lacks).
struct FrequencyStorms {
    std::vector<int> periods;
    // The storm of `years` and `stormHours` into the fields, as the window's import fills its table;
    // the refusal (empty when written).
    std::function<std::string(basin::RunoffFields& fields, int years, double stormHours)> apply;
    std::string error;
    bool usageFollows = false;
};
FrequencyStorms readFrequencyStorms(const Options& options);

// A project read for the batch: its runoff fields, or the message that refuses it (on one line).
struct BatchProject {
    std::optional<basin::RunoffFields> fields;
    double stormHours = 24;  // the storm length a frequency run of this project takes
    std::optional<runoff::TemporalPattern> temporalPattern;  // the project's imported temporal distribution
    std::string failure;
};
BatchProject loadBatchProject(const std::string& path);

// Where the report of a project (its index on the command line) and return period (0: its own storm) goes.
std::string reportPath(const Options& options, std::size_t project, int years);

// Why the batch cannot run because a file it writes is one it reads (the summary or a report is a
// project or the frequency table) or the summary is one of the reports of `periods` (0 alone: each
// project's own storm); empty when no file is. Names are compared as files: links followed, "./a" as "a".
std::string overwriteRefusal(const Options& options, const std::vector<int>& periods);

// One row of the summary: the project as named on the command line, the return period (0: the project's
// own storm), then either the run's five figures as texts or why it failed.
struct SummaryRow {
    std::string project;
    int returnPeriod = 0;
    std::vector<std::string> figures;
    std::string failure;  // empty when the run ran
};
// The header and a line per row, LF line ends; fields with a comma, a quote or a line end are quoted.
std::string summaryCsv(const std::vector<SummaryRow>& rows);

// Calls task(0) .. task(count - 1) on `jobs` threads (at least one, at most count), each index once, and
// takes no new index once `stop` (when given) answers true. Returns how many ran: always the first ones.
std::size_t forEachIndex(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task,
                         const std::function<bool()>& stop = {});

// A message on one line: line ends (and the spaces around them) become one space.
std::string oneLine(const std::string& message);

}  // namespace brelvo::app::batch
