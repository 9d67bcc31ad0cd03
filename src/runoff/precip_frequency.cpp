// Reading a point precipitation-frequency table and making a design storm of it.
#include "runoff/precip_frequency.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace msg = common::msg;
namespace form3 = common::controls::form3;

namespace {

constexpr int kStormRows = 8;

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && lower(s.substr(0, prefix.size())) == lower(prefix);
}

bool containsNoCase(std::string_view s, std::string_view part) {
    return lower(s).find(lower(part)) != std::string::npos;
}

std::vector<std::string_view> splitCells(std::string_view line) {
    std::vector<std::string_view> cells;
    std::size_t start = 0;
    while (true) {
        const auto comma = line.find(',', start);
        cells.push_back(trim(line.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return cells;
}

// A whole number of 1 to 100,000 years (the text of a return period).
std::optional<int> yearsOf(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > 100000) return std::nullopt;
    return v;
}

// A degree value ("26.6 Degree"): its number text and value within [-limit, limit].
std::optional<std::pair<std::string, double>> degreesOf(std::string_view value, double limit) {
    value = trim(value);
    const auto space = value.find_first_of(" \t");
    const std::string_view number = value.substr(0, space);
    if (space != std::string_view::npos && !startsWithNoCase(trim(value.substr(space)), "deg"))
        return std::nullopt;
    const common::BoxNumber read = common::readBoxNumber(number);
    if (read.reading != common::BoxReading::number || std::fabs(read.value) > limit) return std::nullopt;
    const double d = common::leadingNumber(number);
    if (!(std::fabs(d) <= limit)) return std::nullopt;
    return std::make_pair(std::string(number), d);
}

// The lines of the text, each without its line end.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() <= kMaxPrecipLines) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    for (auto& line : lines) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    }
    return lines;
}

// The unit in the first line's parentheses; empty when there are none.
std::string unitOf(std::string_view firstLine) {
    const auto open = firstLine.rfind('(');
    const auto close = firstLine.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
    return std::string(trim(firstLine.substr(open + 1, close - open - 1)));
}

bool isIntensity(std::string_view unit) {
    return unit.find('/') != std::string_view::npos;
}

// A server's answer that it has no estimates for the point.
bool saysNoCoverage(std::string_view line) {
    for (std::string_view word : {"error", "not available", "not within", "outside", "no data"}) {
        if (containsNoCase(line, word)) return true;
    }
    return false;
}

// The header's return periods: "1,2,5,..." after an ARI header, "'1/2,'1/5,..." after an AEP header.
std::optional<std::vector<int>> returnPeriodsOf(const std::vector<std::string_view>& cells) {
    std::vector<int> years;
    for (std::size_t i = 1; i < cells.size(); ++i) {
        std::string_view cell = cells[i];
        if (cell.empty() && i + 1 == cells.size()) break;  // a trailing comma
        if (!cell.empty() && cell.front() == '\'') cell.remove_prefix(1);
        if (cell.substr(0, 2) == "1/") cell.remove_prefix(2);
        const auto y = yearsOf(trim(cell));
        if (!y || years.size() >= kMaxReturnPeriods) return std::nullopt;
        if (std::find(years.begin(), years.end(), *y) != years.end()) return std::nullopt;
        years.push_back(*y);
    }
    if (years.empty()) return std::nullopt;
    return years;
}

std::string shortestText(double value) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : common::generalText(value);
}

}  // namespace

std::optional<double> durationLabelHours(std::string_view label) {
    const auto dash = label.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    int n = 0;
    const auto [end, ec] = std::from_chars(label.data(), label.data() + dash, n);
    if (ec != std::errc() || end != label.data() + dash || n < 1 || n > 100000) return std::nullopt;
    const std::string_view unit = label.substr(dash + 1);
    if (unit == "min") return n / 60.0;
    if (unit == "hr") return static_cast<double>(n);
    if (unit == "day") return n * 24.0;
    return std::nullopt;
}

std::string hoursText(double hours) {
    const auto single = static_cast<float>(hours);
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), single);
    return ec == std::errc() ? std::string(buffer.data(), end) : common::generalText(single);
}

std::optional<std::string> depthCellText(std::string_view cell, bool millimetres) {
    cell = trim(cell);
    const common::BoxNumber read = common::readBoxNumber(cell);
    if (cell.empty() || read.reading != common::BoxReading::number || read.value < 0) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (ec != std::errc() || end != cell.data() + cell.size() || !std::isfinite(value) || value < 0)
        return std::nullopt;
    if (!millimetres) return std::string(cell);
    return shortestText(value / 25.4);
}

std::optional<double> depthCellValue(std::string_view cell) {
    cell = trim(cell);
    if (cell.empty()) return std::nullopt;
    const std::string_view digits = cell.front() == '+' ? cell.substr(1) : cell;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (end != digits.data() + digits.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as the smallest subnormal of its sign; overflow is no depth.
        const bool tiny = lower(digits).find("e-") != std::string::npos;
        if (!tiny) return std::nullopt;
        const double least = std::numeric_limits<double>::denorm_min();
        return digits.front() == '-' ? -least : least;
    }
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool usableDepth(double value, bool millimetres) {
    return value > 0 && std::isnormal(millimetres ? value / 25.4 : value);
}

std::optional<FallingDepth> firstFallingDepth(const std::vector<std::vector<double>>& depths,
                                              const std::vector<int>& years) {
    std::vector<std::size_t> byYears(years.size());
    for (std::size_t r = 0; r < byYears.size(); ++r) byYears[r] = r;
    std::sort(byYears.begin(), byYears.end(),
              [&](std::size_t a, std::size_t b) { return years[a] < years[b]; });
    for (std::size_t d = 0; d < depths.size(); ++d) {
        if (depths[d].size() != years.size()) continue;
        for (std::size_t r = 0; d > 0 && r < years.size() && depths[d - 1].size() == years.size(); ++r) {
            if (depths[d][r] < depths[d - 1][r]) return FallingDepth{d, r, d - 1, r, true};
        }
        for (std::size_t k = 1; k < byYears.size(); ++k) {
            if (depths[d][byYears[k]] < depths[d][byYears[k - 1]])
                return FallingDepth{d, byYears[k], d, byYears[k - 1], false};
        }
    }
    return std::nullopt;
}

PrecipFrequencyRead readPrecipFrequency(std::string_view text, std::string_view fileName) {
    const std::string name = std::filesystem::path(std::string(fileName)).filename().string();
    PrecipFrequencyRead result;
    const std::vector<std::string_view> lines = linesOf(text);
    if (lines.size() > kMaxPrecipLines) {
        result.error = msg::precipTooLarge(name);
        return result;
    }
    const std::string_view first = lines.empty() ? std::string_view() : lines.front();
    const std::string unit = unitOf(first);
    if (isIntensity(unit)) {
        result.error = msg::precipIntensities(name, unit);
        return result;
    }
    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size() && header == lines.size(); ++i) {
        if (containsNoCase(lines[i], "Data type:") && containsNoCase(lines[i], "intensit")) {
            result.error = msg::precipIntensities(name, lower(unit) == "millimeters" ? "mm/hr" : "in/hr");
            return result;
        }
        if (startsWithNoCase(trim(lines[i]), "by duration for")) header = i;
    }
    if (header == lines.size()) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (saysNoCoverage(lines[i])) {
                result.error = msg::precipNoCoverage(name, static_cast<int>(i + 1), trim(lines[i]));
                return result;
            }
        }
        result.error = msg::precipNoTable(name);
        return result;
    }
    const std::string unitKey = lower(unit);
    if (unitKey != "inches" && unitKey != "millimeters") {
        result.error = msg::precipNotDepthHeader(name, 1, trim(first));
        return result;
    }

    PrecipFrequencyTable table;
    table.fileName = std::string(fileName);
    table.unit = unitKey;
    auto bad = [&](std::size_t i) {
        result.error = msg::precipBadLine(name, static_cast<int>(i + 1), trim(lines[i]));
        return result;
    };
    for (std::size_t i = 1; i < header; ++i) {
        const std::string_view line = trim(lines[i]);
        const auto colon = line.find(':');
        const std::string_view value =
            colon == std::string_view::npos ? std::string_view() : trim(line.substr(colon + 1));
        if (startsWithNoCase(line, "NOAA Atlas")) {
            table.volume = std::string(line);
        } else if (startsWithNoCase(line, "Time series type:")) {
            table.seriesType = std::string(value);
        } else if (startsWithNoCase(line, "Project area:")) {
            table.projectArea = std::string(value);
        } else if (startsWithNoCase(line, "Latitude:")) {
            const auto degrees = degreesOf(value, 90);
            if (!degrees) return bad(i);
            std::tie(table.latitudeText, table.latitude) = *degrees;
        } else if (startsWithNoCase(line, "Longitude:")) {
            const auto degrees = degreesOf(value, 360);
            if (!degrees) return bad(i);
            std::tie(table.longitudeText, table.longitude) = *degrees;
        }
    }

    const auto years = returnPeriodsOf(splitCells(lines[header]));
    if (!years) return bad(header);
    table.returnPeriods = *years;
    const bool millimetres = unitKey == "millimeters";
    // The depths as the file writes them, for the checks across rows and their messages.
    std::vector<std::vector<double>> values;
    std::vector<std::vector<std::string>> texts;
    std::vector<int> rowLines;
    auto depthName = [&](std::string_view duration, std::size_t r) {
        return "the " + std::string(duration) + " " + std::to_string(table.returnPeriods[r]) + "-year depth";
    };
    std::size_t i = header + 1;
    for (; i < lines.size() && !trim(lines[i]).empty(); ++i) {
        const std::vector<std::string_view> cells = splitCells(lines[i]);
        std::string_view label = cells.front();
        const bool labelled = !label.empty() && label.back() == ':';
        if (labelled) label.remove_suffix(1);
        // The duration in hours; 0 when the line starts with no duration label.
        const double hours = labelled ? durationLabelHours(label).value_or(0) : 0;
        std::size_t count = cells.size() - 1;
        if (count == table.returnPeriods.size() + 1 && cells.back().empty()) --count;  // a trailing comma
        const bool rises = hours > 0 && (table.durationHours.empty() || hours > table.durationHours.back());
        std::vector<std::string> depths;
        std::vector<double> rowValues;
        for (std::size_t c = 1; rises && count == table.returnPeriods.size() && c <= count; ++c) {
            const auto value = depthCellValue(cells[c]);
            if (value && !usableDepth(*value, millimetres)) {
                const int line = static_cast<int>(i + 1);
                const std::string what = depthName(label, c - 1);
                result.error = *value > 0 ? msg::precipDepthTooSmall(name, line, what, cells[c])
                                          : msg::precipDepthNotPositive(name, line, what, cells[c]);
                return result;
            }
            const auto depth = depthCellText(cells[c], millimetres);
            if (!depth || !value) break;
            depths.push_back(*depth);
            rowValues.push_back(*value);
        }
        if (!rises || depths.size() != table.returnPeriods.size() ||
            table.durations.size() >= kMaxPrecipRows) {
            result.error = msg::precipBadRow(name, static_cast<int>(i + 1), trim(lines[i]),
                                             static_cast<int>(table.returnPeriods.size()));
            return result;
        }
        table.durations.emplace_back(label);
        table.durationHours.push_back(hours);
        table.depthText.push_back(std::move(depths));
        values.push_back(std::move(rowValues));
        texts.emplace_back(cells.begin() + 1, cells.begin() + 1 + static_cast<std::ptrdiff_t>(count));
        rowLines.push_back(static_cast<int>(i + 1));
        // Rows above were checked: a fall found is in this row.
        if (const auto fall = firstFallingDepth(values, table.returnPeriods)) {
            const std::size_t d = fall->duration, r = fall->returnPeriod;
            const std::string what = depthName(table.durations[d], r);
            const std::string& text = texts[d][r];
            const std::string& fromText = texts[fall->fromDuration][fall->fromReturnPeriod];
            result.error = fall->withDuration
                               ? msg::precipDepthFallsWithDuration(
                                     name, rowLines[d], what, text,
                                     "the " + table.durations[fall->fromDuration] + " depth \"" + fromText +
                                         "\" (line " + std::to_string(rowLines[fall->fromDuration]) + ")")
                               : msg::precipDepthFallsWithReturnPeriod(
                                     name, rowLines[d], what, text,
                                     "the " + std::to_string(table.returnPeriods[fall->fromReturnPeriod]) +
                                         "-year depth \"" + fromText + "\"");
            return result;
        }
    }
    if (table.durations.empty()) {
        result.error = msg::precipNoTable(name);
        return result;
    }
    // What follows the estimates (the confidence bounds, the date) is not used; the bounds are said.
    for (; i < lines.size(); ++i) {
        const std::string_view line = trim(lines[i]);
        if (containsNoCase(line, "upper bound") || containsNoCase(line, "lower bound")) {
            std::string_view shown = line;
            while (!shown.empty() && (shown.back() == ',' || shown.back() == ' ')) shown.remove_suffix(1);
            table.notes.push_back(msg::precipNotUsed(shown, static_cast<int>(i + 1)));
        }
    }
    result.table = std::move(table);
    return result;
}

std::string sitePlace(const PrecipFrequencyTable& table) {
    auto bare = [](const std::string& text) {
        return !text.empty() && (text.front() == '-' || text.front() == '+') ? text.substr(1) : text;
    };
    std::string place;
    if (!table.latitudeText.empty()) place = bare(table.latitudeText) + (table.latitude < 0 ? " S" : " N");
    if (!table.longitudeText.empty())
        place += (place.empty() ? "" : " ") + bare(table.longitudeText) + (table.longitude < 0 ? " W" : " E");
    return place;
}

std::string designStormTitle(const PrecipFrequencyTable& table, int returnPeriodYears) {
    std::string title;
    for (const std::string& part : {table.volume, sitePlace(table)}) {
        if (!part.empty()) title += part + ", ";
    }
    return title + std::to_string(returnPeriodYears) + "-year";
}

DesignStormRows designStormRows(const PrecipFrequencyTable& table, int returnPeriodYears, double stormHours) {
    DesignStormRows storm;
    const auto period = std::find(table.returnPeriods.begin(), table.returnPeriods.end(), returnPeriodYears);
    if (period == table.returnPeriods.end()) {
        storm.error = msg::designStormNoReturnPeriod(returnPeriodYears);
        return storm;
    }
    const auto r = static_cast<std::size_t>(period - table.returnPeriods.begin());
    std::size_t last = table.durationHours.size();
    for (std::size_t d = 0; d < table.durationHours.size(); ++d) {
        if (std::fabs(table.durationHours[d] - stormHours) <= 1e-9 * std::max(1.0, stormHours)) last = d;
    }
    if (last == table.durationHours.size() || r >= table.depthText[last].size()) {
        storm.error =
            msg::designStormNoDuration(std::isfinite(stormHours) ? common::generalText(stormHours) : "?");
        return storm;
    }
    const std::size_t firstRow = last + 1 > kStormRows ? last + 1 - kStormRows : 0;
    for (std::size_t d = firstRow; d <= last; ++d)
        storm.rows.emplace_back(hoursText(table.durationHours[d]), table.depthText[d][r]);
    storm.title2 = designStormTitle(table, returnPeriodYears);
    return storm;
}

void applyDesignStorm(basin::RunoffFields& fields, const DesignStormRows& storm) {
    if (!storm.error.empty()) return;
    for (int i = 0; i < kStormRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const bool filled = row < storm.rows.size();
        fields.setText(basin::RunoffFields::indexed(form3::txtDuration, i),
                       filled ? storm.rows[row].first : "");
        fields.setText(basin::RunoffFields::indexed(form3::txtRain, i), filled ? storm.rows[row].second : "");
    }
    fields.setText(form3::txtTile2, storm.title2);
}

}  // namespace brelvo::runoff
