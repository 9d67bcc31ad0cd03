// brelvo --batch: the command line, the runs on a pool of threads, progress and the files it writes.
#include "app/batch_command.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "runoff/design_run.hpp"

namespace brelvo::app::batch {

namespace msg = common::msg;
namespace fs = std::filesystem;

namespace {

// A whole number from `low` to `high`, written with digits only.
std::optional<int> wholeNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<std::vector<int>> returnPeriodList(const std::string& text) {
    std::vector<int> periods;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto years = wholeNumber(text.substr(start, comma - start), 1, 100000);
        if (!years || std::find(periods.begin(), periods.end(), *years) != periods.end()) return std::nullopt;
        periods.push_back(*years);
        if (comma == std::string::npos) return periods;
        start = comma + 1;
    }
}

}  // namespace

bool asksForBatch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--batch") == 0) return true;
    }
    return false;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    Options o;
    bool summaryGiven = false, jobsGiven = false, periodsGiven = false, optionsEnd = false;
    const auto fail = [&line](std::string error) {
        line.error = std::move(error);
        return line;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            o.projects.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        const bool known = arg == "--batch" || arg == "--jobs" || arg == "--frequency" ||
                           arg == "--return-periods" || arg == "--reports";
        if (!known) return fail(msg::batchUnknownOption(arg));
        if (i + 1 >= args.size()) return fail(msg::batchOptionNeedsValue(arg));
        const std::string& value = args[++i];
        bool twice = false;
        if (arg == "--batch") {
            twice = summaryGiven;
            summaryGiven = true;
            o.summaryPath = value;
        } else if (arg == "--jobs") {
            twice = jobsGiven;
            jobsGiven = true;
            const auto jobs = wholeNumber(value, 1, 1024);
            if (!jobs) return fail(msg::batchBadJobs(value));
            o.jobs = static_cast<unsigned>(*jobs);
        } else if (arg == "--frequency") {
            twice = !o.frequencyPath.empty();
            o.frequencyPath = value;
        } else if (arg == "--return-periods") {
            twice = periodsGiven;
            periodsGiven = true;
            const auto periods = returnPeriodList(value);
            if (!periods) return fail(msg::batchBadReturnPeriods(value));
            o.returnPeriods = *periods;
        } else {
            twice = !o.reportsFolder.empty();
            o.reportsFolder = value;
        }
        if (twice) return fail(msg::batchOptionTwice(arg));
        if (value.empty()) return fail(msg::batchOptionNeedsValue(arg));
    }
    if (!summaryGiven) return fail(std::string(msg::kBatchNoSummary));
    if (o.projects.empty()) return fail(std::string(msg::kBatchNoProjects));
    if (periodsGiven && o.frequencyPath.empty()) return fail(std::string(msg::kBatchPeriodsWithoutFrequency));
    line.options = std::move(o);
    return line;
}

namespace {

// Progress lines on standard error: at most four a second, and the last one always.
class Progress {
  public:
    Progress(std::ostream& err, std::size_t total) : err_(err), total_(total) {}

    void oneDone() {
        const std::size_t done = ++done_;
        const auto now = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock() || now - last_ < std::chrono::milliseconds(250) || done == total_) return;
        last_ = now;
        err_ << msg::batchProgress(done, total_) << '\n' << std::flush;
    }
    void finish() {
        const std::lock_guard lock(mutex_);
        err_ << msg::batchProgress(done_, total_) << '\n' << std::flush;
    }

  private:
    std::ostream& err_;
    const std::size_t total_;
    std::atomic<std::size_t> done_{0};
    std::mutex mutex_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// What a run that wrote no report tells: the window's messages on one line.
std::string runFailure(const runoff::DesignRun& run, const basin::RunoffFields& fields) {
    // A run that ends quietly without a message is one whose file dialog was cancelled: a storm file's is
    // named, as the batch cannot choose one.
    if (run.messages.empty() && basin::isStormFile(fields.text(common::controls::form3::ComboRain)))
        return std::string(msg::kBatchStormFileAsked);
    return oneLine(runoff::failureText(run));
}

// Everything the runs share.
struct Batch {
    const Options& options;
    std::vector<int> periods;  // 0 alone: each project's own storm
    FrequencyStorms frequency;
    std::vector<BatchProject> projects;
    runoff::ComputeContext context;
};

std::string reportPath(const Batch& batch, std::size_t project, int years) {
    std::string name = fs::path(batch.options.projects[project]).stem().string();
    if (years > 0) name += "-" + std::to_string(years) + "yr";
    return (fs::path(batch.options.reportsFolder) / (name + ".GRF")).string();
}

SummaryRow runOne(const Batch& batch, std::size_t project, int years) {
    SummaryRow row{batch.options.projects[project], years, {}, {}};
    const BatchProject& loaded = batch.projects[project];
    if (!loaded.fields) {
        row.failure = loaded.failure;
        return row;
    }
    basin::RunoffFields fields = *loaded.fields;
    if (batch.frequency.apply) {
        if (const std::string refused = batch.frequency.apply(fields, years, loaded.stormHours);
            !refused.empty()) {
            row.failure = oneLine(refused);
            return row;
        }
    }
    runoff::ComputeContext context = batch.context;
    context.temporalPattern = loaded.temporalPattern;
    const runoff::DesignRun run = runoff::runDesignStorm(fields, context);
    if (!run.reported) {
        row.failure = runFailure(run, fields);
        return row;
    }
    row.figures = runoff::summaryTexts(run.summary);
    if (!batch.options.reportsFolder.empty()) {
        const std::string path = reportPath(batch, project, years);
        try {
            common::replaceFile(path, run.reportText);
        } catch (const common::RuntimeFailure& failure) {
            row.figures.clear();
            row.failure = oneLine(msg::fileNotSaved(path, common::failureReason(failure)));
        }
    }
    return row;
}

// The reports folder made, and no two projects whose reports would take the same name.
std::string prepareReports(const Options& o) {
    std::error_code error;
    fs::create_directories(o.reportsFolder, error);
    if (!fs::is_directory(o.reportsFolder, error)) return msg::batchReportsFolder(o.reportsFolder);
    std::map<std::string, std::string> byName;
    for (const std::string& project : o.projects) {
        const auto [at, added] = byName.emplace(fs::path(project).stem().string(), project);
        if (!added && at->second != project) return msg::batchSameReportName(at->second, project);
    }
    return {};
}

}  // namespace

int runBatchCommand(const std::vector<std::string>& args, const std::string& usage, std::ostream& err) {
    const CommandLine line = parseCommandLine(args);
    if (!line.options) {
        err << line.error << '\n' << usage;
        return 2;
    }
    const Options& o = *line.options;
#if defined(__GLIBC__)
    // Thousands of runs, each taking and freeing the same few megabytes on every job's thread: left to
    // its defaults, the C library hands the freed memory back to the system after a run and the next
    // run faults it in again page by page, which took most of a batch's time in the kernel. The batch
    // (a process of its own, ended when it is done) keeps what it freed for the runs to come.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    Batch batch{o, {0}, {}, {}, {common::programFolder(), "", nullptr, {}}};
    if (!o.frequencyPath.empty()) {
        batch.frequency = readFrequencyStorms(o);
        if (!batch.frequency.error.empty()) {
            err << batch.frequency.error << '\n' << (batch.frequency.usageFollows ? usage : "");
            return 2;
        }
        batch.periods = batch.frequency.periods;
    }
    // Refused before any run: a summary that could not be saved, a reports folder that cannot be made.
    try {
        common::checkReplaceable(o.summaryPath);
    } catch (const common::RuntimeFailure& failure) {
        err << msg::fileNotSaved(o.summaryPath, common::failureReason(failure)) << '\n';
        return 2;
    }
    if (!o.reportsFolder.empty()) {
        if (const std::string refused = prepareReports(o); !refused.empty()) {
            err << refused << '\n';
            return 2;
        }
    }

    const unsigned jobs = o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    batch.projects.resize(o.projects.size());
    forEachIndex(o.projects.size(), jobs,
                 [&](std::size_t i) { batch.projects[i] = loadBatchProject(o.projects[i]); });

    // One task per project and storm; each result in its own place, so the order is the command line's.
    const std::size_t storms = batch.periods.size();
    std::vector<SummaryRow> rows(o.projects.size() * storms);
    Progress progress(err, rows.size());
    forEachIndex(rows.size(), jobs, [&](std::size_t k) {
        rows[k] = runOne(batch, k / storms, batch.periods[k % storms]);
        progress.oneDone();
    });
    progress.finish();

    try {
        common::replaceFile(o.summaryPath, summaryCsv(rows));
    } catch (const common::RuntimeFailure& failure) {
        err << msg::fileNotSaved(o.summaryPath, common::failureReason(failure)) << '\n';
        return 1;
    }
    const auto failed = static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [](const SummaryRow& row) { return !row.failure.empty(); }));
    if (failed == 0) return 0;
    err << msg::batchFailures(failed, rows.size()) << '\n';
    return 1;
}

}  // namespace brelvo::app::batch
