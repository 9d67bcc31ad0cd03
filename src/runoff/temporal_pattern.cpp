// NOAA temporal distributions: the file's quartile sections, the pattern kept, its storm choice.
#include "runoff/temporal_pattern.hpp"

#include <algorithm>
#include <cctype>

#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace {

// The section titles of the file, matched in upper case at the start of a line's first field.
constexpr std::string_view kSectionWords[] = {"FIRST-QUARTILE", "SECOND-QUARTILE", "THIRD-QUARTILE",
                                              "FOURTH-QUARTILE", "ALL CASES"};

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

// The title of a section line ("FIRST-QUARTILE" from "FIRST-QUARTILE CASES,,,"), or nothing.
std::optional<std::string> sectionTitle(std::string_view firstField) {
    const std::string text = upper(firstField);
    for (const std::string_view word : kSectionWords) {
        if (text.rfind(word, 0) == 0) return std::string(word);
    }
    return std::nullopt;
}

// The fields of a line without the empty ones a spreadsheet leaves at its end.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields = csvFields(line);
    while (!fields.empty() && fields.back().empty()) fields.pop_back();
    return fields;
}

// The checks of a section's rows (or a kept pattern's column): the reason it is refused and the row
// (from 0) where, or nothing.
struct RowProblem {
    std::size_t row = 0;
    std::string_view reason;
};
std::optional<RowProblem> columnProblem(const std::vector<double>& hours,
                                        const std::vector<double>& percents) {
    if (hours.size() < 2 || hours.size() != percents.size()) {
        return RowProblem{0, common::msg::kPatternNoRows};
    }
    if (hours.size() > static_cast<std::size_t>(kMaxPatternRows)) {
        return RowProblem{static_cast<std::size_t>(kMaxPatternRows), common::msg::kPatternTooManyRows};
    }
    for (std::size_t i = 0; i < hours.size(); ++i) {
        if (i == 0 && (hours[0] != 0 || percents[0] != 0))
            return RowProblem{0, common::msg::kPatternStartNotZero};
        if (i > 0 && !(hours[i] > hours[i - 1])) return RowProblem{i, common::msg::kPatternTimeNotRising};
        if (percents[i] < 0 || percents[i] > 100) return RowProblem{i, common::msg::kPatternFractionRange};
        if (i > 0 && percents[i] < percents[i - 1]) return RowProblem{i, common::msg::kPatternFalls};
    }
    if (percents.back() != 100) return RowProblem{hours.size() - 1, common::msg::kPatternEndNotWhole};
    return std::nullopt;
}

}  // namespace

TemporalFileRead readTemporalFile(std::string_view text, std::string_view fileName) {
    TemporalFileRead read;
    TemporalFile file;
    file.fileName = std::string(fileName);
    std::vector<int> rowLines;  // the line of each row of the section being read
    const auto refuse = [&](int line, std::string_view reason) {
        read.error = common::msg::temporalFileRefused(fileName, line, reason);
        return read;
    };
    // Checks the section just ended; its rows' lines name the row refused.
    const auto sectionProblem = [&]() -> std::optional<std::pair<int, std::string_view>> {
        if (file.sections.empty()) return std::nullopt;
        const TemporalSection& section = file.sections.back();
        if (section.columns.empty()) return std::make_pair(0, common::msg::kTemporalNoHeaderRow);
        for (std::size_t c = 0; c < section.columns.size(); ++c) {
            std::vector<double> column;
            for (const std::vector<double>& row : section.percents) column.push_back(row[c]);
            if (const std::optional<RowProblem> problem = columnProblem(section.hours, column)) {
                const int line = rowLines.empty() ? 0 : rowLines[std::min(problem->row, rowLines.size() - 1)];
                return std::make_pair(line, problem->reason);
            }
        }
        return std::nullopt;
    };
    int lineNumber = 0;
    std::size_t start = 0;
    bool rowsEnded = false;  // the section's table ended at a line that is no row
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::vector<std::string_view> fields = fieldsOf(line);
        if (fields.empty()) {
            if (!file.sections.empty() && !file.sections.back().hours.empty()) rowsEnded = true;
            continue;
        }
        if (const std::optional<std::string> title = sectionTitle(fields[0])) {
            if (const auto problem = sectionProblem()) return refuse(problem->first, problem->second);
            file.sections.push_back(TemporalSection{*title, {}, {}, {}});
            rowLines.clear();
            rowsEnded = false;
            continue;
        }
        if (file.sections.empty()) {
            file.headerLines.emplace_back(line.substr(0, line.find_last_not_of("\r") + 1));
            continue;
        }
        TemporalSection& section = file.sections.back();
        if (upper(fields[0]) == "HOURS") {
            if (!section.columns.empty()) return refuse(lineNumber, common::msg::kTemporalNoHeaderRow);
            for (std::size_t i = 1; i < fields.size(); ++i) section.columns.emplace_back(fields[i]);
            if (section.columns.empty()) return refuse(lineNumber, common::msg::kTemporalNoHeaderRow);
            continue;
        }
        if (!strictPatternNumber(fields[0])) {
            // A note: above the header it is passed over, under the rows it ends the table; right under
            // the header it is a broken row.
            if (!section.hours.empty()) {
                rowsEnded = true;
            } else if (!section.columns.empty()) {
                return refuse(lineNumber, common::msg::kPatternNotNumbers);
            }
            continue;
        }
        if (rowsEnded) return refuse(lineNumber, common::msg::kTemporalRowAfterTable);
        if (section.columns.empty()) return refuse(lineNumber, common::msg::kTemporalNoHeaderRow);
        if (fields.size() != section.columns.size() + 1)
            return refuse(lineNumber, common::msg::kPatternColumns);
        if (section.hours.size() >= static_cast<std::size_t>(kMaxPatternRows)) {
            return refuse(lineNumber, common::msg::kPatternTooManyRows);
        }
        std::vector<double> row;
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const std::optional<double> value = strictPatternNumber(fields[i]);
            if (!value) return refuse(lineNumber, common::msg::kPatternNotNumbers);
            row.push_back(*value);
        }
        section.hours.push_back(*strictPatternNumber(fields[0]));
        section.percents.push_back(std::move(row));
        rowLines.push_back(lineNumber);
    }
    if (const auto problem = sectionProblem()) return refuse(problem->first, problem->second);
    if (file.sections.empty()) return refuse(0, common::msg::kTemporalNoSections);
    read.file = std::move(file);
    return read;
}

std::optional<TemporalPattern> temporalPattern(const TemporalFile& file, std::string_view section,
                                               std::string_view probability) {
    for (const TemporalSection& candidate : file.sections) {
        if (candidate.name != section) continue;
        const auto column = std::find(candidate.columns.begin(), candidate.columns.end(), probability);
        if (column == candidate.columns.end()) return std::nullopt;
        const auto c = static_cast<std::size_t>(column - candidate.columns.begin());
        TemporalPattern pattern{file.fileName, candidate.name, std::string(probability), candidate.hours, {}};
        for (const std::vector<double>& row : candidate.percents) pattern.percents.push_back(row[c]);
        return pattern;
    }
    return std::nullopt;
}

std::string temporalPatternProblem(const TemporalPattern& pattern) {
    const std::optional<RowProblem> problem = columnProblem(pattern.hours, pattern.percents);
    return problem ? std::string(problem->reason) : std::string();
}

DistributionChoice temporalChoice(const std::optional<TemporalPattern>& pattern,
                                  std::string_view arrangementText, const DepthDurationTable& table) {
    DistributionChoice choice;
    if (!pattern) {
        choice.error = common::msg::temporalPatternMissing(arrangementText);
        return choice;
    }
    if (const std::string problem = temporalPatternProblem(*pattern); !problem.empty()) {
        choice.error = common::msg::temporalPatternRefused(problem);
        return choice;
    }
    const float length = common::toSingle(pattern->hours.back());
    const std::optional<float> depth = depthOfDuration(table, length);
    if (!depth) {
        choice.error = common::msg::distributionNeedsDuration(arrangementText, common::generalText(length));
        return choice;
    }
    choice.depthIn = *depth;
    choice.pattern.hours = pattern->hours;
    for (const double percent : pattern->percents) choice.pattern.fractions.push_back(percent / 100);
    choice.pattern.fractions.back() = 1.0;
    return choice;
}

}  // namespace brelvo::runoff
