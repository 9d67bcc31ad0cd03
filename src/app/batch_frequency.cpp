// The batch command's --frequency: a precipitation-frequency table read once, and each return period's
// storm written into a project's fields as the window's import fills its depth-duration table.
#include <algorithm>
#include <memory>

#include "app/batch_command.hpp"
#include "common/data_file.hpp"
#include "common/messages.hpp"
#include "runoff/frequency_run.hpp"
#include "runoff/precip_frequency.hpp"

namespace brelvo::app::batch {

namespace msg = common::msg;

FrequencyStorms readFrequencyStorms(const Options& options) {
    FrequencyStorms storms;
    const std::string& path = options.frequencyPath;
    std::string text;
    try {
        text = common::readDataFile(path, common::kMaxDataFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        storms.error = msg::batchFrequencyUnreadable(path, oneLine(common::failureText(failure)));
        return storms;
    }
    runoff::PrecipFrequencyRead read = runoff::readPrecipFrequency(text, path);
    if (!read.table) {
        storms.error = msg::batchFrequencyUnreadable(path, oneLine(read.error));
        return storms;
    }
    const auto table = std::make_shared<const runoff::PrecipFrequencyTable>(std::move(*read.table));
    for (const int years : options.returnPeriods) {
        if (std::find(table->returnPeriods.begin(), table->returnPeriods.end(), years) ==
            table->returnPeriods.end()) {
            storms.error = msg::batchPeriodNotInFile(years, path);
            storms.usageFollows = true;
            return storms;
        }
    }
    storms.periods = options.returnPeriods.empty() ? runoff::defaultReturnPeriods(table->returnPeriods)
                                                   : options.returnPeriods;
    if (storms.periods.empty()) {
        storms.error = msg::batchNoDefaultPeriods(path);
        storms.usageFollows = true;
        return storms;
    }
    storms.apply = [table](basin::RunoffFields& fields, int years, double stormHours) {
        const runoff::DesignStormRows rows = runoff::designStormRows(*table, years, stormHours);
        if (!rows.error.empty()) return rows.error;
        runoff::applyDesignStorm(fields, rows);
        return std::string();
    };
    return storms;
}

}  // namespace brelvo::app::batch
