// Rainfall series: table reading, the uniform and synthetic storms with their peak placement, storm files.
#include "runoff/rainfall.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/curve_fit.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

using basin::PeakPlacement;
using basin::Series;
using basin::Storm;

namespace {

constexpr int kTableRows = 8;

// Single-precision quotient. x / 0 is "Division by zero" and 0 / 0 "Overflow", the platform's
// failures for them, so a zero time step or storm duration ends the run instead of yielding Inf.
float quotient(float dividend, float divisor) {
    if (divisor == 0) throw dividend == 0 ? common::overflow() : common::divisionByZero();
    return common::toSingle(static_cast<double>(dividend / divisor));
}

// Recreates the rain and excess series with indices 0..upper, all zero.
void recreatePerStep(Storm& storm) {
    storm.rainIn.redim(storm.upper);
    storm.excessIn.redim(storm.upper);
}

// Positions 1..n in the order the sorted increments take them: the peak, then for j = 1..n-1 the next
// free position on the side toRight(j) chooses, or on the other side when that one is used up.
std::vector<int> positionsAroundPeak(int n, int peak, const std::function<bool(int)>& toRight) {
    std::vector<int> positions{peak};
    int left = peak - 1;
    int right = peak + 1;
    for (int j = 1; j <= n - 1; ++j) {
        bool goRight = toRight(j);
        if (goRight && right > n) {
            goRight = false;
        } else if (!goRight && left < 1) {
            goRight = true;
        }
        positions.push_back(goRight ? right++ : left--);
    }
    return positions;
}

// Places the sorted increments s(1) >= s(2) >= ... of n steps into rainStep(1..n).
void placeIncrements(PeakPlacement arrangePeak, const Series& sorted, int n, Series& rainStep) {
    if (n <= 0) return;
    std::vector<int> positions;
    if (arrangePeak == PeakPlacement::twoThirds || arrangePeak == PeakPlacement::oneThird) {
        // Two steps before the peak for every one after it.
        const int peak = common::toInt16(2.0 * n / 3.0);
        positions = positionsAroundPeak(n, peak, [](int j) { return j % 3 == 0; });
        if (arrangePeak == PeakPlacement::oneThird) {
            // The same storm reversed in time.
            for (int& position : positions) position = n - position + 1;
        }
    } else if (arrangePeak == PeakPlacement::centered) {
        int peak = common::toInt16(n / 2.0);
        if (peak == 0) peak = 1;  // a one-step storm
        positions = positionsAroundPeak(n, peak, [](int j) { return j % 2 == 0; });
    } else {
        // None: largest first, decreasing.
        for (int i = 1; i <= n; ++i) positions.push_back(i);
    }
    for (int j = 0; j < n; ++j) rainStep[positions[static_cast<std::size_t>(j)]] = sorted[j + 1];
}

// A storm file's lines, CR LF or LF ended; running out is "Input past end of file".
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::string_view next() {
        if (position_ >= text_.size()) throw common::inputPastEndOfFile();
        const std::size_t end = text_.find('\n', position_);
        std::string_view line =
            text_.substr(position_, end == std::string_view::npos ? end : end - position_);
        position_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// The first two fields of a line; a line with fewer is a field index past the end of the split.
struct TwoFields {
    std::string_view first;
    std::string_view second;
};

TwoFields firstTwoFields(std::string_view line, char separator) {
    const std::size_t first = line.find(separator);
    if (first == std::string_view::npos) throw common::subscriptOutOfRange();
    std::string_view rest = line.substr(first + 1);
    const std::size_t second = rest.find(separator);
    if (second != std::string_view::npos) rest = rest.substr(0, second);
    return {line.substr(0, first), rest};
}

// A field after the first two that holds a number: a decimal comma or a thousands separator split a
// number, so the line cannot be read as its author meant it. A field of words is a comment.
void refuseThirdNumber(std::string_view line, char separator, std::string_view file, int lineNumber) {
    std::size_t at = line.find(separator);
    if (at != std::string_view::npos) at = line.find(separator, at + 1);
    while (at != std::string_view::npos) {
        const std::size_t next = line.find(separator, at + 1);
        const std::string_view field =
            line.substr(at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        if (common::isWholeNumber(field)) {
            throw common::typeMismatch().because(common::msg::stormExtraNumber(file, lineNumber, line));
        }
        at = next;
    }
}

// The time of a storm line follows the step: the first line's time is 0 (times of the step's start) or
// one step (times of its end), and every later time is one step after the time above. The times are
// written rounded, so each may be off by a fiftieth of a step.
class StepTimes {
  public:
    StepTimes(float stepHours, std::string_view file) : step_(stepHours), file_(file) {}

    void check(float time, std::string_view text, int lineNumber) {
        const double tolerance = 0.02 * static_cast<double>(step_);
        const auto off = [&](double expected) {
            return !(std::fabs(static_cast<double>(time) - expected) <= tolerance);
        };
        std::string expected;
        if (!started_) {
            if (!off(0.0) || !off(step_)) {
                started_ = true;
                previous_ = time;
                return;
            }
            expected = "0 or " + common::generalText(step_);
        } else {
            const double next = static_cast<double>(previous_) + static_cast<double>(step_);
            if (!off(next)) {
                previous_ = time;
                return;
            }
            expected = common::generalText(static_cast<float>(next));
        }
        throw common::invalidProcedureCall().because(common::msg::stormTimeOffStep(
            file_, lineNumber, trimmed(text), common::generalText(step_), expected));
    }

  private:
    static std::string_view trimmed(std::string_view text) {
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string_view::npos) return {};
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    }
    float step_;
    std::string_view file_;
    bool started_ = false;
    float previous_ = 0;  // hours, the time of the line above
};

}  // namespace

basin::RainArrangement decodeArrangement(const std::string& comboText, PeakPlacement previousPeak) {
    basin::RainArrangement arrangement{basin::RainSource::synthetic, previousPeak};
    if (const basin::ArrangementText* named = basin::arrangementOf(comboText)) {
        arrangement.source = named->source;
        arrangement.nrcs = named->nrcs;
        if (named->peak) arrangement.peak = *named->peak;
    }
    return arrangement;
}

DepthDurationTable depthDurationTable(const std::vector<DepthDurationRow>& rows) {
    DepthDurationTable table;
    table.durationHours.redim(basin::kTableUpper);
    table.depthIn.redim(basin::kTableUpper);
    for (int i = 1; i <= kTableRows && i <= static_cast<int>(rows.size()); ++i) {
        const DepthDurationRow& row = rows[static_cast<std::size_t>(i - 1)];
        float factor = row.arealFactor;
        if (factor == 0) factor = 1.0f;                             // no areal reduction entered
        table.depthIn[i] = common::toSingle(row.depthIn * factor);  // inches
        table.durationHours[i] = row.durationHours;                 // hours
        // An empty rain box ends the table; rows below it are not read even when filled.
        if (table.depthIn[i] == 0) break;
        table.rows = common::checkedAdd(table.rows, 1);
    }
    return table;
}

Storm averageStorm(const DepthDurationTable& table, float stepHours) {
    Storm storm;
    storm.durationHours = table.durationHours[table.rows];
    storm.depthIn = table.depthIn[table.rows];
    const float steps = quotient(storm.durationHours, stepHours);
    storm.upper = common::toInt16(common::toSingle(static_cast<double>(steps + 10.0f)));
    storm.steps = common::toInt16(steps);
    recreatePerStep(storm);
    // Inches per step; a duration that is not a whole number of steps does not add up to the depth.
    const float depthTimesStep = common::toSingle(static_cast<double>(storm.depthIn * stepHours));
    const float perStep = quotient(depthTimesStep, storm.durationHours);
    for (int i = 1; i <= storm.steps; ++i) storm.rainIn[i] = perStep;
    return storm;
}

Storm syntheticStorm(DepthDurationTable table, PeakPlacement peak, float stepHours, StormWork& work) {
    Storm storm;
    storm.durationHours = table.durationHours[table.rows];
    storm.depthIn = table.depthIn[table.rows];
    storm.upper = common::toInt16(
        common::toSingle(static_cast<double>(quotient(storm.durationHours, stepHours) + 10.0f)));
    recreatePerStep(storm);
    work.times.redim(storm.upper);
    work.cumulative.redim(storm.upper);
    work.increments.redim(storm.upper);
    // arrangeStorm hands back the step count in its table-count argument.
    std::int16_t steps = table.rows;
    arrangeStorm(peak, table.durationHours, table.depthIn, work.slopes, steps, work.times, storm.rainIn,
                 storm.durationHours, stepHours, work.cumulative, work.increments);
    storm.steps = steps;
    return storm;
}

void arrangeStorm(PeakPlacement arrangePeak, Series& durTable, Series& depthTable, std::vector<float>& slopes,
                  std::int16_t& nTable, Series& times, Series& rainStep, float stormDur, float udur,
                  Series& cumulative, Series& increments) {
    // The duration-0 point (inches): when the first row is longer than one step, the curve starts from
    // depth(1) / (steps in the first row + 1) instead of 0.
    if (durTable[1] > udur) {
        const float stepsInFirstRow =
            common::toSingle(static_cast<double>(quotient(durTable[1], udur) + 1.0f));
        depthTable[0] = quotient(depthTable[1], stepsInFirstRow);
    }
    // Slope 0 at the duration-0 point; with fewer than three rows every slope stays 0.
    slopes.assign(static_cast<std::size_t>(std::max(durTable.size(), 1)), 0.0f);
    (void)CRVFIT(durTable.values(), depthTable.values(), slopes, nTable);

    // Step k ends at udur added k times, in double so that many small steps do not drift; the step
    // whose end, as a single, lies beyond the storm is not rained.
    std::int16_t steps = 0;
    double t = 0;
    int search = 1;
    cumulative[0] = 0;
    for (;;) {
        t += static_cast<double>(udur);
        if (t > static_cast<double>(std::numeric_limits<float>::max())) break;
        const float end = static_cast<float>(t);
        if (end > stormDur) break;
        // A zero or negative step never reaches the end: the step count or the arrays give out first.
        steps = common::checkedAdd(steps, 1);
        times[steps] = end;
        cumulative[steps] = curveValueAt(end, durTable.values(), depthTable.values(), slopes, nTable, search);
        increments[steps] = common::toSingle(static_cast<double>(cumulative[steps] - cumulative[steps - 1]));
    }
    nTable = steps;

    sortDescending(increments, 1, steps);
    placeIncrements(arrangePeak, increments, steps, rainStep);
}

void sortDescending(Series& a, int lo, int hi) {
    if (lo > hi) return;
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(hi - lo + 1));
    for (int i = lo; i <= hi; ++i) values.push_back(a[i]);
    // Largest first; a NaN (never produced here, but a Series may hold one) sorts last so that the
    // order stays strict and the sort cannot run off the range.
    std::sort(values.begin(), values.end(),
              [](float a, float b) { return a > b || (std::isnan(b) && !std::isnan(a)); });
    for (int i = lo; i <= hi; ++i) a[i] = values[static_cast<std::size_t>(i - lo)];
}

StormFileHeader parseStormFileHeader(std::string_view text, std::string_view fileName) {
    LineReader lines(text);
    (void)lines.next();  // a title
    const std::string_view header = lines.next();
    StormFileHeader result;
    result.fileName = std::string(fileName);
    // The whole file uses the separator of line 2.
    result.separator = header.find(',') != std::string_view::npos ? ',' : '\t';
    const TwoFields headerFields = firstTwoFields(header, result.separator);
    refuseThirdNumber(header, result.separator, fileName, 2);
    const float count = common::fileNumber(fileName, 2, headerFields.first);
    // The count dimensions the per-step arrays: a whole number, not negative.
    if (count < 0 || count != std::floor(count) || count > 32767.0f) {
        throw common::typeMismatch().because(
            common::msg::stormCountNotWhole(fileName, 2, headerFields.first));
    }
    result.steps = common::toInt16(count);
    result.stepHours = common::fileNumber(fileName, 2, headerFields.second);
    if (!(result.stepHours > 0)) {
        throw common::invalidProcedureCall().because(
            common::msg::stormStepNotPositive(fileName, 2, headerFields.second));
    }
    return result;
}

Storm parseStormFileRows(std::string_view text, const StormFileHeader& header) {
    LineReader lines(text);
    (void)lines.next();  // the title
    (void)lines.next();  // the header
    const std::int16_t n = header.steps;
    const std::string_view file = header.fileName;
    Storm storm;
    storm.upper = common::checkedAdd(n, 10);  // above 32,757 steps this is an overflow
    storm.durationHours = common::toSingle(static_cast<double>(static_cast<float>(n) * header.stepHours));
    recreatePerStep(storm);
    storm.depthIn = 0;
    StepTimes times(header.stepHours, file);
    for (int i = 1; i <= n; ++i) {
        const int lineNumber = i + 2;
        std::string_view line;
        try {
            line = lines.next();
        } catch (common::RuntimeFailure& failure) {
            throw failure.because(common::msg::stormRowMissing(file, lineNumber, n));
        }
        if (line.find(header.separator) == std::string_view::npos) {
            throw common::subscriptOutOfRange().because(
                common::msg::stormRowTooFewFields(file, lineNumber, line));
        }
        const TwoFields step = firstTwoFields(line, header.separator);
        refuseThirdNumber(line, header.separator, file, lineNumber);
        times.check(common::fileNumber(file, lineNumber, step.first), step.first, lineNumber);
        storm.rainIn[i] = common::fileNumber(file, lineNumber, step.second);
        if (storm.rainIn[i] < 0) {
            throw common::invalidProcedureCall().because(
                common::msg::negativeStormDepth(file, lineNumber, step.second));
        }
        storm.depthIn = common::toSingle(static_cast<double>(storm.depthIn + storm.rainIn[i]));
    }
    // Nothing but blank lines may follow the announced rows.
    for (int lineNumber = n + 3;; ++lineNumber) {
        std::string_view line;
        try {
            line = lines.next();
        } catch (const common::RuntimeFailure&) {
            break;
        }
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            throw common::subscriptOutOfRange().because(
                common::msg::stormRowsBeyondCount(file, lineNumber, line, n));
        }
    }
    storm.steps = n;
    return storm;
}

Rainfall buildRainfall(basin::RainArrangement arrangement, const DepthDurationTable& table,
                       const basin::LossInputs& losses, RainRun& run,
                       const std::optional<StormFileText>& file) {
    float& stepHours = run.stepHours;
    Rainfall rainfall;
    if (arrangement.source == basin::RainSource::stormFile) {
        if (!file) throw std::logic_error("a storm from a file needs the file");
        const StormFileHeader header =
            parseStormFileHeader(file->text, std::filesystem::path(file->fullPath).filename().string());
        stepHours = header.stepHours;
        // The loss per step follows the file's step (the constant loss is in inches per hour).
        rainfall.constantLossStepIn =
            common::toSingle(static_cast<double>(losses.constantLossInPerHour * stepHours));
        rainfall.storm = parseStormFileRows(file->text, header);
        rainfall.stormFile = file->fullPath;
    } else {
        rainfall.constantLossStepIn = constantLossPerStep(losses, stepHours);
        if (arrangement.source == basin::RainSource::average) {
            // The step count is known before the series are made, and kept when making them fails.
            const float steps = quotient(table.durationHours[table.rows], stepHours);
            (void)common::toInt16(common::toSingle(static_cast<double>(steps + 10.0f)));
            run.rainSteps = common::toInt16(steps);
            rainfall.storm = averageStorm(table, stepHours);
        } else {
            StormWork work;
            rainfall.storm = syntheticStorm(table, arrangement.peak, stepHours, work);
        }
    }
    run.rainSteps = rainfall.storm.steps;
    // The total is not used, but a storm whose total leaves the single range ends the run.
    (void)totalRainIn(rainfall.storm);
    return rainfall;
}

float totalRainIn(const Storm& storm) {
    float total = 0;  // inches
    for (int i = 1; i <= storm.steps; ++i) {
        total = common::toSingle(static_cast<double>(total + storm.rainIn[i]));
    }
    return total;
}

}  // namespace brelvo::runoff
