// The frequency run's workers: an atomic index over the return periods, each run on fields of its own.
#include "runoff/frequency_run.hpp"

#include <algorithm>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <utility>

#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::runoff {

namespace {

// One return period's storm, never throwing: whatever goes wrong is the row's failure.
FrequencyRow runOne(const FrequencyRequest& request, const ComputeContext& context, int years) {
    FrequencyRow row;
    row.returnPeriodYears = years;
    try {
        const DesignStormRows storm = designStormRows(*request.table, years, request.stormHours);
        if (!storm.error.empty()) {
            row.run.messages.push_back(storm.error);
            return row;
        }
        basin::RunoffFields fields = detachedFields(*request.fields);
        applyDesignStorm(fields, storm);
        row.run = runDesignStorm(fields, context);
    } catch (const std::exception& failure) {
        row.run = DesignRun{};
        row.run.messages.emplace_back(failure.what());
    }
    return row;
}

}  // namespace

std::optional<std::vector<FrequencyRow>> runFrequency(const FrequencyRequest& request,
                                                      const std::function<void(int, int)>& progress,
                                                      const std::atomic<bool>& cancel) {
    if (request.table == nullptr || request.fields == nullptr)
        throw std::invalid_argument("a frequency run needs a table and the fields");
    const int total = static_cast<int>(request.returnPeriods.size());
    std::vector<FrequencyRow> rows(request.returnPeriods.size());
    ComputeContext context = request.context;
    context.reportPath.clear();
    context.showRefused = nullptr;

    std::atomic<int> next{0};
    std::atomic<int> done{0};
    const auto work = [&] {
        while (!cancel.load()) {
            const int index = next.fetch_add(1);
            if (index >= total) return;
            const auto at = static_cast<std::size_t>(index);
            rows[at] = runOne(request, context, request.returnPeriods[at]);
            const int finished = done.fetch_add(1) + 1;
            if (progress) progress(finished, total);
        }
    };
    unsigned threads = request.threads != 0 ? request.threads : std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, static_cast<unsigned>(std::max(total, 1)));
    {
        std::vector<std::jthread> workers;
        workers.reserve(threads - 1);
        for (unsigned i = 1; i < threads; ++i) workers.emplace_back(work);
        work();  // the calling thread is one of the workers
    }            // joined here
    if (cancel.load()) return std::nullopt;
    return rows;
}

bool isDefaultReturnPeriod(int years) {
    return std::find(kDefaultReturnPeriods.begin(), kDefaultReturnPeriods.end(), years) !=
           kDefaultReturnPeriods.end();
}

std::vector<int> defaultReturnPeriods(const std::vector<int>& tablePeriods) {
    std::vector<int> periods;
    std::copy_if(tablePeriods.begin(), tablePeriods.end(), std::back_inserter(periods),
                 isDefaultReturnPeriod);
    return periods;
}

std::string frequencySummaryCsv(const std::vector<FrequencyRow>& rows, const FrequencySite& site) {
    const basin::LossInputs& losses = site.losses;
    const std::string siteCells =
        "," + quotedCsvCell(site.site) + "," +
        (losses.curveNumberLoss ? std::to_string(losses.curveNumber) + ","
                                : "," + common::formatPattern(losses.initialLossIn, "0.00")) +
        "," + common::formatPattern(losses.constantLossInPerHour, "0.00") + "," +
        common::generalText(losses.imperviousFraction * 100.0f);
    std::string csv(common::msg::kFrequencyCsvHeader);
    csv += common::msg::kFrequencyCsvSiteColumns;
    csv += "\r\n";
    for (const FrequencyRow& row : rows) {
        csv += std::to_string(row.returnPeriodYears);
        if (row.run.reported) {
            for (const std::string& text : summaryTexts(row.run.summary)) csv += "," + text;
        } else {
            csv += "," + quotedCsvCell(failureText(row.run)) + ",,,,";
        }
        csv += siteCells + "\r\n";
    }
    return csv;
}

}  // namespace brelvo::runoff
