// brelvo --batch: the command line, the runs on a pool of threads, progress and the files it writes.
#include "app/batch_command.hpp"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <ostream>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/failure.hpp"
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

std::string reportPath(const Options& options, std::size_t project, int years) {
    std::string name = fs::path(options.projects[project]).stem().string();
    if (years > 0) name += "-" + std::to_string(years) + "yr";
    return (fs::path(options.reportsFolder) / (name + ".GRF")).string();
}

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
    // "brelvo --batch *.brelvo": the first project would be taken for the summary and overwritten.
    if (const std::string ext = fs::path(o.summaryPath).extension().string();
        std::equal(ext.begin(), ext.end(), std::string_view(project::kExtension).begin(),
                   std::string_view(project::kExtension).end(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
        return fail(msg::batchSummaryIsProject(o.summaryPath));
    if (o.projects.empty()) return fail(std::string(msg::kBatchNoProjects));
    if (periodsGiven && o.frequencyPath.empty()) return fail(std::string(msg::kBatchPeriodsWithoutFrequency));
    line.options = std::move(o);
    return line;
}

namespace {

// Set by SIGINT and SIGTERM, read between runs: the one thing the handler does.
std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

void askToStop(int) {
    stopAsked.store(true, std::memory_order_relaxed);
}

// While it lives, SIGINT and SIGTERM ask the batch to stop instead of ending the process; the previous
// handling is restored afterwards. System calls under way go on (SA_RESTART): a report being written is
// written whole, or its temporary file removed, as in any other run.
class StopSignals {
  public:
    StopSignals() {
        stopAsked = false;
        struct sigaction action {};
        action.sa_handler = askToStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t k = 0; k < std::size(kSignals); ++k)
            ::sigaction(kSignals[k], &action, &previous_[k]);
    }
    ~StopSignals() {
        for (std::size_t k = 0; k < std::size(kSignals); ++k)
            ::sigaction(kSignals[k], &previous_[k], nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static bool asked() { return stopAsked.load(std::memory_order_relaxed); }

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM};
    struct sigaction previous_[std::size(kSignals)]{};
};

// What a user is told of a failure that was thrown rather than reported: the window's words for it.
std::string thrownFailure(const std::exception& failure) {
    if (const auto* runtime = dynamic_cast<const common::RuntimeFailure*>(&failure))
        return oneLine(common::failureText(*runtime));
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return oneLine(common::failureText(common::outOfMemory()));
    return oneLine(failure.what());
}

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

void runStorm(const Batch& batch, std::size_t project, int years, SummaryRow& row) {
    const BatchProject& loaded = batch.projects[project];
    if (!loaded.fields) {
        row.failure = loaded.failure;
        return;
    }
    basin::RunoffFields fields = *loaded.fields;
    if (batch.frequency.apply) {
        if (const std::string refused = batch.frequency.apply(fields, years, loaded.stormHours);
            !refused.empty()) {
            row.failure = oneLine(refused);
            return;
        }
    }
    runoff::ComputeContext context = batch.context;
    context.temporalPattern = loaded.temporalPattern;
    const runoff::DesignRun run = runoff::runDesignStorm(fields, context);
    if (!run.reported) {
        row.failure = runFailure(run, fields);
        return;
    }
    row.figures = runoff::summaryTexts(run.summary);
    if (!batch.options.reportsFolder.empty()) {
        const std::string path = reportPath(batch.options, project, years);
        try {
            common::replaceFile(path, run.reportText);
        } catch (const common::RuntimeFailure& failure) {
            row.figures.clear();
            row.failure = oneLine(msg::fileNotSaved(path, common::failureReason(failure)));
        }
    }
}

// One run into its row, never throwing: a failure thrown on the way (a number beyond any a run can take,
// memory run out) is the row's failure, and the other runs go on.
SummaryRow runOne(const Batch& batch, std::size_t project, int years) {
    SummaryRow row{batch.options.projects[project], years, {}, {}};
    try {
        runStorm(batch, project, years, row);
    } catch (const std::exception& failure) {
        row.figures.clear();
        row.failure = thrownFailure(failure);
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
        return kExitCannotRun;
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
            return kExitCannotRun;
        }
        batch.periods = batch.frequency.periods;
    }
    // Refused before any run and before anything is written: a summary that could not be saved, a file
    // written over one the batch reads or over another it writes, a reports folder that cannot be made.
    try {
        common::checkReplaceable(o.summaryPath);
    } catch (const common::RuntimeFailure& failure) {
        err << msg::fileNotSaved(o.summaryPath, common::failureReason(failure)) << '\n';
        return kExitCannotRun;
    }
    if (const std::string refused = overwriteRefusal(o, batch.periods); !refused.empty()) {
        err << refused << '\n';
        return kExitCannotRun;
    }
    if (!o.reportsFolder.empty()) {
        if (const std::string refused = prepareReports(o); !refused.empty()) {
            err << refused << '\n';
            return kExitCannotRun;
        }
    }

    // From here on Ctrl+C stops the batch between runs instead of ending it wherever it is.
    const StopSignals signals;
    const std::function<bool()> stop = &StopSignals::asked;
    const unsigned jobs = o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    batch.projects.resize(o.projects.size());
    const std::size_t loaded = forEachIndex(
        o.projects.size(), jobs,
        [&](std::size_t i) {
            try {
                batch.projects[i] = loadBatchProject(o.projects[i]);
            } catch (const std::exception& failure) {
                batch.projects[i].failure =
                    oneLine(msg::projectRefused(o.projects[i], thrownFailure(failure)));
            }
        },
        stop);

    // One task per project and storm; each result in its own place, so the order is the command line's.
    const std::size_t storms = batch.periods.size();
    std::vector<SummaryRow> rows(o.projects.size() * storms);
    Progress progress(err, rows.size());
    const std::size_t ran = loaded < o.projects.size()
                                ? 0
                                : forEachIndex(
                                      rows.size(), jobs,
                                      [&](std::size_t k) {
                                          rows[k] = runOne(batch, k / storms, batch.periods[k % storms]);
                                          progress.oneDone();
                                      },
                                      stop);
    progress.finish();
    const std::size_t total = rows.size();
    rows.resize(ran);  // the runs that ran, always the first ones: no row is made up for the others

    int status = kExitAllRan;
    try {
        common::replaceFile(o.summaryPath, summaryCsv(rows));
    } catch (const common::RuntimeFailure& failure) {
        err << msg::fileNotSaved(o.summaryPath, common::failureReason(failure)) << '\n';
        status = kExitSomeFailed;
    }
    const auto failed = static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [](const SummaryRow& row) { return !row.failure.empty(); }));
    if (failed > 0) {
        err << msg::batchFailures(failed, ran) << '\n';
        status = kExitSomeFailed;
    }
    if (ran < total) {
        err << msg::batchInterrupted(ran, total) << '\n';
        status = kExitInterrupted;
    }
    return status;
}

}  // namespace brelvo::app::batch
