// The batch command's projects, its thread pool and its summary file.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <utility>

#include "app/batch_command.hpp"
#include "app/runoff_window.hpp"
#include "basin/basin_block.hpp"
#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::app::batch {

namespace msg = common::msg;
namespace form3 = common::controls::form3;
namespace fs = std::filesystem;

basin::RunoffFields runoffFieldsOf(const project::RunoffInputs& inputs) {
    // As the runoff window is made (its defaults and caption) and then given the project's inputs, in
    // the window's order: captions, checks, then the texts as kept, so no derived value is worked out
    // afresh. No handler is bound: a run works on a copy of the fields that never calls the window's.
    basin::RunoffFields fields;
    basin::loadRunoffDefaults(fields);
    fields.setCaption(form3::Form3, "Runoff Hydrograph");
    for (const auto& [name, value] : inputs.captions) fields.setCaption(name, value);
    for (const auto& [name, value] : inputs.checks) fields.setChecked(name, value);
    for (const auto& [name, value] : inputs.texts) fields.restoreText(name, value);
    return fields;
}

BatchProject loadBatchProject(const std::string& path) {
    // The same refusals, in the same words, as opening the project in the window.
    BatchProject loaded;
    std::string bytes;
    try {
        bytes = common::readDataFile(path, common::kMaxProjectFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        const char* why = project::unreadableReason(failure, path);
        loaded.failure = oneLine(msg::projectRefused(path, why));
        return loaded;
    }
    project::Project p;
    try {
        p = project::read(bytes, path);
    } catch (const common::RuntimeFailure& failure) {
        loaded.failure = oneLine(msg::projectRefused(path, failure.is(common::failures::kInvalidFileFormat)
                                                               ? failure.cause()
                                                               : failure.description()));
        return loaded;
    }
    if (!p.runoff) {
        loaded.failure = std::string(msg::kBatchNoRunoffInputs);
        return loaded;
    }
    if (!RunoffWindow::acceptsInputs(*p.runoff)) {
        loaded.failure = oneLine(msg::projectRefused(path, msg::kProjectUnknownRunoffField));
        return loaded;
    }
    loaded.fields = runoffFieldsOf(*p.runoff);
    // A frequency storm is as long as the project's last imported storm; 24 hours before any import.
    if (p.runoff->stormTable) loaded.stormHours = p.runoff->stormTable->hours;
    loaded.temporalPattern = p.runoff->temporalPattern;
    return loaded;
}

namespace {

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text) {
    return text.find_first_of(",\"\r\n") == std::string::npos ? text : runoff::quotedCsvCell(text);
}

}  // namespace

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
    std::string csv(msg::kBatchSummaryHeader);
    csv += '\n';
    for (const SummaryRow& row : rows) {
        csv += csvField(row.project);
        csv += ',';
        if (row.returnPeriod > 0) csv += std::to_string(row.returnPeriod);
        if (row.failure.empty()) {
            for (const std::string& figure : row.figures) csv += ',' + csvField(figure);
        } else {
            // The failure in the storm depth's place, the other figures empty: every row has the header's
            // seven fields.
            csv += ',' + csvField(msg::batchFailed(row.failure)) + ",,,,";
        }
        csv += '\n';
    }
    return csv;
}

std::size_t forEachIndex(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task,
                         const std::function<bool()>& stop) {
    const std::size_t threads = std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(count, 1));
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    const auto work = [&] {
        // Asked before an index is taken: every index taken runs, so those that ran are the first ones.
        while (!failed && !(stop && stop())) {
            const std::size_t i = next++;
            if (i >= count) return;
            try {
                task(i);
            } catch (...) {
                // The first thread to fail keeps its exception; the others stop at their next task.
                if (!failed.exchange(true)) failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);
    return std::min<std::size_t>(next, count);
}

namespace {

// A file as the system knows it: the device and inode of one that is there, else its absolute name with
// every link and "." or ".." of the part that is there resolved.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;

    bool operator==(const FileIdentity& other) const {
        if (exists != other.exists) return false;
        return exists ? device == other.device && inode == other.inode : name == other.name;
    }
};

FileIdentity identityOf(const fs::path& path) {
    FileIdentity id;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
        return id;
    }
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    id.name = (error ? fs::absolute(path, error).lexically_normal() : canonical).string();
    return id;
}

// The file a save of `name` writes (links followed as a save follows them).
FileIdentity writtenIdentity(const std::string& name) {
    try {
        return identityOf(common::saveTarget(name));
    } catch (const common::RuntimeFailure&) {
        return identityOf(name);  // a circle of links: its save fails, and it is no file that is read
    }
}

}  // namespace

std::string overwriteRefusal(const Options& options, const std::vector<int>& periods) {
    // The files read: every project, then the frequency table; those that are there by device and inode.
    struct Input {
        FileIdentity id;
        std::string_view what;
        const std::string* name;
    };
    std::vector<Input> inputs;
    for (const std::string& project : options.projects)
        inputs.push_back({identityOf(project), msg::kBatchTheProject, &project});
    if (!options.frequencyPath.empty())
        inputs.push_back(
            {identityOf(options.frequencyPath), msg::kBatchTheFrequencyTable, &options.frequencyPath});
    std::map<std::pair<dev_t, ino_t>, const Input*> existing;
    for (const Input& input : inputs) {
        if (input.id.exists) existing.emplace(std::pair(input.id.device, input.id.inode), &input);
    }

    const FileIdentity summary = writtenIdentity(options.summaryPath);
    for (const Input& input : inputs) {
        if (input.id == summary)
            return msg::batchSummaryIsInput(options.summaryPath, input.what, *input.name);
    }
    if (options.reportsFolder.empty()) return {};

    // The reports, each name once. One not there yet is told apart by its name in the folder as it is
    // resolved once; one that is there, or a link, by the file itself.
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(options.reportsFolder, error);
    std::set<std::string> seen;
    for (std::size_t p = 0; p < options.projects.size(); ++p) {
        for (const int years : periods) {
            const std::string report = reportPath(options, p, years);
            if (!seen.insert(report).second) continue;
            struct stat info {};
            FileIdentity id;
            if (::lstat(report.c_str(), &info) == 0 || error) {
                id = writtenIdentity(report);
            } else {
                id.name = (folder / fs::path(report).filename()).string();
            }
            if (id == summary) return msg::batchSummaryIsReport(options.summaryPath, report);
            if (!id.exists) continue;
            if (const auto read = existing.find(std::pair(id.device, id.inode)); read != existing.end())
                return msg::batchReportIsInput(report, read->second->what, *read->second->name);
        }
    }
    return {};
}

std::string oneLine(const std::string& message) {
    std::string line;
    bool pendingSpace = false;
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r' || c == '\n') {
            // Spaces before the line end go with it.
            while (!line.empty() && line.back() == ' ') line.pop_back();
            pendingSpace = !line.empty();
            while (i + 1 < message.size() && message[i + 1] == ' ') ++i;
            continue;
        }
        if (pendingSpace) line += ' ';
        pendingSpace = false;
        line += c;
    }
    return line;
}

}  // namespace brelvo::app::batch
