// The script lines of the Design Storm dialog (Storm -> Import Precipitation Frequency...): its answers are
// given before the command, as `answer` gives a file dialog's.
#include <charconv>

#include "app/script_runner.hpp"
#include "common/numbers.hpp"

namespace brelvo::app {

std::optional<std::string> ScriptRunner::stormLine(const std::vector<std::string>& w) {
    const std::string verb = w.size() > 1 ? w[1] : std::string();
    if (verb == "cancel" && w.size() == 2) {
        stormCancel_ = true;
        return std::nullopt;
    }
    if (w.size() != 3 || (verb != "returnperiod" && verb != "hours")) return "cannot execute this line";
    if (verb == "returnperiod") {
        int years = 0;
        const auto [end, ec] = std::from_chars(w[2].data(), w[2].data() + w[2].size(), years);
        if (ec != std::errc() || end != w[2].data() + w[2].size())
            return "the return period must be a whole number";
        stormYears_ = years;
        return std::nullopt;
    }
    // The length as the dialog's box reads it: one number above 0.
    const common::BoxNumber hours = common::readBoxNumber(w[2]);
    if (hours.reading != common::BoxReading::number || !(hours.value > 0))
        return "the hours must be a number above 0";
    stormHours_ = common::leadingNumber(w[2]);
    return std::nullopt;
}

std::optional<StormChoice> ScriptRunner::answerStormChoice(const runoff::PrecipFrequencyTable& table,
                                                           const StormChoice& last) {
    const bool cancel = stormCancel_;
    const StormChoice choice{stormYears_.value_or(preselectedReturnPeriod(table, last.returnPeriod)),
                             stormHours_.value_or(last.hours > 0 ? last.hours : 24)};
    stormCancel_ = false;
    stormYears_.reset();
    stormHours_.reset();
    if (cancel) return std::nullopt;
    return choice;
}

}  // namespace brelvo::app
