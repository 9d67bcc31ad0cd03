// The batch command's projects, its thread pool and its summary file.
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "app/batch_command.hpp"
#include "app/runoff_window.hpp"
#include "basin/basin_block.hpp"
#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/messages.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::app::batch {

namespace msg = common::msg;
namespace form3 = common::controls::form3;

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

void forEachIndex(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task) {
    const std::size_t threads = std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(count, 1));
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
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
