// Storms of a cumulative distribution: sampling a pattern at the time step, and the NRCS 24-hour
// distributions' data file.
#include "runoff/distribution_storm.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>

#include "common/data_file.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A field that is wholly a finite number, or nothing.
std::optional<double> strictNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

constexpr std::string_view kNrcsHeader = "hours,Type I,Type II,Type III,Type IA";
// The series of the file's columns after the hours, and the one column whose cells may be empty
// (Type IA is tabulated every half hour only).
constexpr std::array<basin::NrcsType, 4> kColumnType = {basin::NrcsType::typeI, basin::NrcsType::typeII,
                                                        basin::NrcsType::typeIII, basin::NrcsType::typeIA};
constexpr std::size_t kTypeIAColumn = 4;

}  // namespace

std::vector<std::string_view> csvFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(trimmed(
            line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

std::optional<double> strictPatternNumber(std::string_view field) {
    return strictNumber(field);
}

double fractionAt(const CumulativePattern& pattern, double hours) {
    const std::vector<double>& t = pattern.hours;
    const std::vector<double>& f = pattern.fractions;
    if (t.empty() || hours <= t.front()) return f.empty() ? 0.0 : f.front();
    if (hours >= t.back()) return f.back();
    const auto above = std::upper_bound(t.begin(), t.end(), hours);
    const auto i = static_cast<std::size_t>(above - t.begin());  // t[i-1] <= hours < t[i]
    const double share = (hours - t[i - 1]) / (t[i] - t[i - 1]);
    return f[i - 1] + share * (f[i] - f[i - 1]);
}

basin::Storm patternStorm(const CumulativePattern& pattern, float depthIn, float stepHours) {
    if (stepHours == 0) throw common::divisionByZero();
    if (!(stepHours > 0)) throw common::overflow();
    const double length = pattern.hours.empty() ? 0.0 : pattern.hours.back();
    const double step = stepHours;
    // The whole steps that reach the end; a step a hair short of it (a step such as 0.1 held as a
    // single) still ends the storm, so the end is never left to a sliver of a step.
    const double count = std::max(1.0, std::ceil(length / step - 1e-6));
    basin::Storm storm;
    storm.steps = common::toInt16(count);
    storm.upper = common::toInt16(count + 10);
    storm.rainIn.redim(storm.upper);
    storm.excessIn.redim(storm.upper);
    storm.durationHours = common::toSingle(length);
    storm.depthIn = depthIn;
    double fallenBefore = 0;  // inches, by the end of the previous step
    float total = 0;          // the series' sum as the run sums it
    for (int k = 1; k < storm.steps; ++k) {
        const double fallen = depthIn * fractionAt(pattern, std::min(k * step, length));
        storm.rainIn[k] = common::toSingle(fallen - fallenBefore);
        total = common::toSingle(static_cast<double>(total + storm.rainIn[k]));
        fallenBefore = fallen;
    }
    // The last step takes what is left, so the total is the depth to the last bit.
    storm.rainIn[storm.steps] = std::max(0.0f, depthIn - total);
    return storm;
}

Rainfall patternRainfall(const DistributionChoice& choice, const basin::LossInputs& losses, RainRun& run) {
    Rainfall rainfall;
    rainfall.constantLossStepIn = constantLossPerStep(losses, run.stepHours);
    rainfall.storm = patternStorm(choice.pattern, choice.depthIn, run.stepHours);
    run.rainSteps = rainfall.storm.steps;
    (void)totalRainIn(rainfall.storm);
    return rainfall;
}

std::optional<float> depthOfDuration(const DepthDurationTable& table, float hours) {
    for (int i = 1; i <= table.rows; ++i) {
        if (table.durationHours[i] == hours) return table.depthIn[i];
    }
    return std::nullopt;
}

NrcsDistributionsRead readNrcsDistributions(std::string_view text, std::string_view fileName) {
    NrcsDistributionsRead read;
    const auto refuse = [&](int line, std::string_view reason) {
        read.error = common::msg::distributionsFileRefused(fileName, line, reason);
        return read;
    };
    NrcsDistributions result;
    bool headerSeen = false;
    int rows = 0;
    double lastHours = 0;
    int lineNumber = 0;
    int lastRowLine = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        if (!headerSeen) {
            if (line != kNrcsHeader && csvFields(line) != csvFields(kNrcsHeader))
                return refuse(lineNumber, common::msg::kPatternNoHeader);
            headerSeen = true;
            continue;
        }
        const std::vector<std::string_view> fields = csvFields(line);
        if (fields.size() != 5) return refuse(lineNumber, common::msg::kPatternColumns);
        // Cells: hours, then the series in the file's column order; only Type IA may be left empty.
        std::array<std::optional<double>, 5> values{};
        for (std::size_t i = 0; i < 5; ++i) {
            if (fields[i].empty()) {
                if (i != kTypeIAColumn) return refuse(lineNumber, common::msg::kPatternEmptyCell);
                continue;
            }
            values[i] = strictNumber(fields[i]);
            if (!values[i]) return refuse(lineNumber, common::msg::kPatternNotNumbers);
        }
        const double hours = *values[0];
        const bool first = rows == 0;
        if (rows >= kMaxPatternRows) return refuse(lineNumber, common::msg::kPatternTooManyRows);
        if (first && hours != 0) return refuse(lineNumber, common::msg::kPatternStartNotZero);
        if (!first && !(hours > lastHours)) return refuse(lineNumber, common::msg::kPatternTimeNotRising);
        for (std::size_t column = 1; column < 5; ++column) {
            CumulativePattern& pattern = result.types[static_cast<std::size_t>(kColumnType[column - 1])];
            if (!values[column]) {
                if (first) return refuse(lineNumber, common::msg::kPatternStartNotZero);
                continue;
            }
            const double fraction = *values[column];
            if (fraction < 0 || fraction > 1) return refuse(lineNumber, common::msg::kPatternFractionRange);
            if (first && fraction != 0) return refuse(lineNumber, common::msg::kPatternStartNotZero);
            if (!first && fraction < pattern.fractions.back())
                return refuse(lineNumber, common::msg::kPatternFalls);
            pattern.hours.push_back(hours);
            pattern.fractions.push_back(fraction);
        }
        ++rows;
        lastHours = hours;
        lastRowLine = lineNumber;
    }
    if (!headerSeen) return refuse(0, common::msg::kPatternNoHeader);
    if (rows < 2) return refuse(0, common::msg::kPatternNoRows);
    if (lastHours != 24) return refuse(lastRowLine, common::msg::kPatternNotTwentyFour);
    for (const CumulativePattern& pattern : result.types) {
        // An empty last cell leaves its series short of 24 hours: not the whole storm either.
        if (pattern.hours.back() != 24 || pattern.fractions.back() != 1)
            return refuse(lastRowLine, common::msg::kPatternEndNotWhole);
    }
    read.distributions = std::move(result);
    return read;
}

DistributionChoice nrcsChoice(basin::NrcsType type, std::string_view arrangementText,
                              const DepthDurationTable& table, const std::string& programFolder) {
    DistributionChoice choice;
    const std::optional<float> depth = depthOfDuration(table, 24);
    if (!depth) {
        choice.error = common::msg::distributionNeedsDuration(arrangementText, "24");
        return choice;
    }
    const std::string name(kNrcsDistributionsFile);
    const std::string path = common::findDataFile(name, programFolder);
    if (common::dataFileFailure(path)) {
        choice.error = common::msg::distributionsFileMissing(name);
        return choice;
    }
    std::string text;
    try {
        text = common::readDataFile(path, common::kMaxDataFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        choice.error = common::msg::distributionsFileRefused(path, 0, failure.description());
        return choice;
    }
    const NrcsDistributionsRead read = readNrcsDistributions(text, path);
    if (!read.distributions) {
        choice.error = read.error;
        return choice;
    }
    choice.pattern = read.distributions->types[static_cast<std::size_t>(type)];
    choice.depthIn = *depth;
    return choice;
}

}  // namespace brelvo::runoff
