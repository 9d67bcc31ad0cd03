// Reading, combining and saving hydrograph files, and `usgsround`.
#include "basin/hydrograph_file.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "basin/table_text.hpp"
#include "common/data_file.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace {

// A loaded hydrograph fills qi and qout, which hold indices 0..9000.
constexpr std::size_t kLoadRows = kHydrographUpper + 1;
// A combination may run past 9000 but stays within the highest index a routing may reach, so `it`
// remains a valid 16-bit index.
constexpr std::size_t kCombineRows = 32001;
// The series grow in chunks of this many elements.
constexpr int kChunk = 100;
// Characters kept of one line: a table line is a few dozen; the rest of a longer line is skipped.
constexpr std::size_t kLineLimit = 4096;
// Acre-feet in one cfs flowing for a day.
constexpr double kAcreFeetPerCfsDay = 1.9835;

enum class Form { fixedWidth, tab, comma };

// Where the time and the flow stand: fixed width, their first characters (from 0); delimited, the
// flow's field index and the number of fields the header names.
struct Table {
    Form form = Form::fixedWidth;
    std::size_t timeAt = 0;
    std::size_t flowAt = 0;
    std::size_t names = 0;
    bool outflow = false;
};

struct Rows {
    std::vector<float> flows;  // cfs, row k at time k * step
    float step = 0;            // hours; 0 while no time but 0 has been read
    bool stopped = false;      // reading stopped at a bad row, which was told
};

// A file's lines, counted from 1 for the refusals, which name the file as `name`.
struct LineSource {
    std::istream& in;
    std::string name;
    int number = 0;  // of the line read last
};

// A line of the file that cannot be read: the whole file is refused, the text names the line.
class Refusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One line without its line end; false at the end of the stream.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (c == '\n') break;
        if (line.size() < kLineLimit) line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

bool readLine(LineSource& source, std::string& line) {
    if (!readLine(source.in, line)) return false;
    ++source.number;
    return true;
}

// A time or flow of a table line, read strictly; a refused one refuses the file.
float tableNumber(const LineSource& source, const std::string& text) {
    try {
        return common::fileNumber(source.name, source.number, text);
    } catch (const common::RuntimeFailure& failure) {
        throw Refusal(failure.cause());
    }
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::vector<std::string> splitFields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

// Characters [from, from + count) of a line, as far as the line goes.
std::string cut(const std::string& line, std::size_t from, std::size_t count) {
    return from < line.size() ? line.substr(from, count) : std::string();
}

// Skips the report's header part up to the table's column header and finds the flow column there.
// What a read tells the user, in order: collected, and shown by the run once the read returns.
struct Told {
    std::vector<std::string>& messages;
    void message(const std::string& text) const { messages.push_back(text); }
};

std::optional<Table> findTable(LineSource& in, const Told& dialogs) {
    std::string line;
    while (readLine(in, line)) {
        Table table;
        if (line.find("     Time") != std::string::npos) {
            table.form = Form::fixedWidth;
            // The columns are right-aligned under their names: a table laid out wider than the
            // program's own is read where its header puts the columns.
            table.timeAt = line.find("     Time");
            std::size_t at = line.find("  Outflow");
            table.outflow = at != std::string::npos;
            if (!table.outflow) at = line.find("   Runoff");
            if (at == std::string::npos) {
                dialogs.message(common::msg::inFile(common::msg::kNoFlowColumn, in.name));
                return std::nullopt;
            }
            table.flowAt = at;
            return table;
        }
        const bool tab = line.find("\tTime") != std::string::npos;
        if (tab || line.find("Time,") != std::string::npos) {
            table.form = tab ? Form::tab : Form::comma;
            const std::vector<std::string> names = splitFields(line, tab ? '\t' : ',');
            table.names = names.size();
            for (std::size_t i = 1; i < names.size(); ++i) {
                const bool outflow = names[i].find("Outflow") != std::string::npos;
                if (outflow || names[i].find("Runoff") != std::string::npos) {
                    table.flowAt = i;
                    table.outflow = outflow;
                    return table;
                }
            }
            dialogs.message(common::msg::inFile(common::msg::kNoFlowColumn, in.name));
            return std::nullopt;
        }
    }
    dialogs.message(common::msg::inFile(common::msg::kNoTimeHeader, in.name));
    return std::nullopt;
}

// Reads the table's rows. The first time is 0, and the times that follow must stand evenly spaced, as
// far as they are written rounded: the step is the one they leave (see stepWithin). It must match
// `step` when that is already set, and a mismatch stops reading and keeps the rows before it.
// Every time and flow must be wholly a number, the flows not negative, a delimited row no wider than
// its header, a fixed-width number within its column, and the table ends with the file or with a blank
// line that no further row follows; anything else refuses the file.
Rows readRows(LineSource& in, const Table& table, float step, std::size_t maxRows, const Told& dialogs) {
    Rows rows;
    rows.step = step;
    float previousTime = 0;  // hours, as written
    float firstTime = 0;     // hours: the time of the row after time 0, as written
    // The range of steps (hours) the times read so far leave, as far as they are written; an added
    // hydrograph's must be the current step, to a thousandth of an hour.
    double stepLow = step > 0.0f ? static_cast<double>(step) - 0.001 : 0.0;
    double stepHigh = step > 0.0f ? static_cast<double>(step) + 0.001 : std::numeric_limits<double>::max();
    const auto stop = [&](const std::string& text) {
        dialogs.message(text);
        rows.stopped = true;
    };
    std::string line;
    while (readLine(in, line)) {
        if (isBlank(line)) {
            const int blankLine = in.number;
            while (readLine(in, line)) {
                if (!isBlank(line))
                    throw Refusal(common::msg::hydrographBlankInsideTable(in.name, blankLine));
            }
            break;
        }
        const std::size_t k = rows.flows.size();
        if (k == maxRows) {
            stop(common::msg::inFile(common::msg::tooManyHydrographRows(maxRows), in.name));
            break;
        }
        std::string timeText;
        std::string flowText;
        if (table.form == Form::fixedWidth) {
            for (const std::size_t at : {table.timeAt, table.flowAt}) {
                if (cutsANumber(line, at)) {
                    throw Refusal(common::msg::hydrographColumnSplit(in.name, in.number, trimmed(line)));
                }
            }
            timeText = cut(line, table.timeAt, kColumn);
            flowText = cut(line, table.flowAt, kColumn);
        } else {
            const std::vector<std::string> fields = splitFields(line, table.form == Form::tab ? '\t' : ',');
            for (std::size_t i = table.names; i < fields.size(); ++i) {
                if (!isBlank(fields[i])) {
                    throw Refusal(common::msg::hydrographMoreFields(in.name, in.number, line, table.names));
                }
            }
            timeText = fields[0];
            if (table.flowAt < fields.size()) flowText = fields[table.flowAt];
        }

        const float written = tableNumber(in, timeText);
        const std::string shown = trimmed(timeText);
        if (k == 0 && written != 0.0f) {
            throw Refusal(common::msg::hydrographFirstTimeNotZero(in.name, in.number, shown));
        }
        if (k >= 1 && !(written > previousTime)) {
            throw Refusal(common::msg::hydrographTimeNotRising(in.name, in.number, shown));
        }
        if (k >= 1) {
            // Row k stands k steps after the first: its time, as far as it is written, narrows the step.
            const double rounding = writtenRounding(shown, written);
            const double low =
                std::max(stepLow, (static_cast<double>(written) - rounding) / static_cast<double>(k));
            const double high =
                std::min(stepHigh, (static_cast<double>(written) + rounding) / static_cast<double>(k));
            if (k == 1) firstTime = written;
            if (low > high) {
                // A step other than the current hydrograph's keeps the rows before it (one row).
                if (k == 1) {
                    stop(common::msg::unitDurationsDiffer(in.name, in.number, common::generalText(written),
                                                          common::generalText(rows.step)));
                    break;
                }
                const double expected = static_cast<double>(k) * (stepLow + stepHigh) / 2;
                throw Refusal(common::msg::hydrographTimeOffStep(
                    in.name, in.number, shown, common::generalText(static_cast<float>(expected))));
            }
            if (high < 1.0 / 60.0)
                throw Refusal(common::msg::hydrographStepTooShort(in.name, in.number, shown));
            stepLow = low;
            stepHigh = high;
        }
        previousTime = written;
        const float flow = tableNumber(in, flowText);
        if (flow < 0.0f)
            throw Refusal(common::msg::hydrographNegativeFlow(in.name, in.number, trimmed(flowText)));
        rows.flows.push_back(flow);
    }
    if (!rows.stopped && rows.flows.size() < 2) {
        throw Refusal(common::msg::hydrographTooFewRows(in.name, rows.flows.size()));
    }
    // A new hydrograph takes the step its times give; an added one keeps the current step.
    if (rows.step == 0.0f && rows.flows.size() >= 2) rows.step = stepWithin(stepLow, stepHigh, firstTime);
    return rows;
}

float valueAt(const Series& series, int index) {
    return index < series.size() ? series[index] : 0.0f;
}

// The working hydrograph after a read, built apart so that the state changes only when all of it is
// known.
struct Result {
    Series qi;
    Series qout;
    int last = 0;  // last index of the hydrograph
    float maxq = 0;
    std::int16_t tmax = 0;
    float maxout = 0;
    float tmaxout = 0;
    double volume = 0;  // sum of the flows, cfs
};

// A new hydrograph: the file's flows in qi and qout, 0..9000.
Result load(const std::vector<float>& flows) {
    Result r;
    r.qi.redim(kHydrographUpper);
    r.qout.redim(kHydrographUpper);
    for (std::size_t i = 0; i < flows.size(); ++i) {
        const int k = static_cast<int>(i);
        r.qi[k] = flows[i];
        r.qout[k] = flows[i];
        r.volume += static_cast<double>(flows[i]);
        if (flows[i] > r.maxq) {
            r.maxq = flows[i];
            r.tmax = static_cast<std::int16_t>(k);
        }
    }
    r.last = static_cast<int>(flows.size()) - 1;
    r.maxout = r.maxq;
    r.tmaxout = r.tmax;
    return r;
}

// The current hydrograph plus the file's, over the whole of both: the current one is qout when it holds
// the working hydrograph (`fromOutflow`), else the computed qi, and is 0 after its last index `it`. The
// current hydrograph becomes the inflow qi, the sum goes to qout (0..last + 1).
Result combine(const WorkingHydrograph& working, bool fromOutflow, const std::vector<float>& flows) {
    Result r;
    const int currentLast = working.inflow.last;
    const Series& held = fromOutflow ? working.routed.outflowCfs : working.inflow.flowCfs;
    r.last = std::max(currentLast, static_cast<int>(flows.size()) - 1);
    r.qi = working.inflow.flowCfs;
    if (r.qi.upper() < r.last) r.qi.redimPreserve(r.last + kChunk);
    r.qout.redim(r.last + 1);
    for (int k = 0; k <= r.last; ++k) {
        const float current = k <= currentLast ? valueAt(held, k) : 0.0f;
        const float added =
            static_cast<std::size_t>(k) < flows.size() ? flows[static_cast<std::size_t>(k)] : 0.0f;
        r.qi[k] = current;
        r.qout[k] = common::toSingle(static_cast<double>(current) + static_cast<double>(added));
        r.volume += static_cast<double>(r.qout[k]);
        // The combined peak is searched afresh: a peak left from an earlier routing is not this one's.
        if (r.qout[k] > r.maxout) {
            r.maxout = r.qout[k];
            r.tmaxout = static_cast<float>(k);
        }
    }
    return r;
}

}  // namespace

float usgsround(float& value) {
    const float size = std::fabs(value);
    if (size < 0.0995f) {
        value = common::roundedToDecimals(value, 3);  // as "########0.000" reads back
    } else if (size < 0.995f) {
        value = common::roundedToDecimals(value, 2);
    } else if (size < 9.95f) {
        value = common::roundedToDecimals(value, 1);
    } else if (size < 999.5f) {
        // Whole numbers, half away from zero as the pattern "########0" rounds. A single of this size
        // holds every half exactly, so its own value decides as its shortest decimal would.
        value = std::round(value);
    } else {
        // Whole tens, rounding down at .5 below zero as the whole-part function does.
        value = common::toSingle(std::floor(static_cast<double>(value / 10.0f + 0.5f)) * 10.0);
    }
    return value;
}

std::string stepText(float stepHours, bool inMinutes) {
    return common::generalText(inMinutes ? stepHours * 60.0f : stepHours);
}

HydrographRead readHydrographFile(std::istream& in, const WorkingHydrograph& current, bool combining,
                                  float stepHours, std::string_view fileName) {
    HydrographRead read;
    const Told dialogs{read.messages};
    LineSource source{in, std::string(fileName)};
    const std::optional<Table> table = findTable(source, dialogs);
    if (!table) return read;

    // A new hydrograph takes its step from the file; an added one must match the current step.
    Rows rows;
    try {
        rows = readRows(source, *table, combining ? stepHours : 0.0f, combining ? kCombineRows : kLoadRows,
                        dialogs);
    } catch (const Refusal& refusal) {
        dialogs.message(refusal.what());
        return read;
    }
    if (rows.flows.empty()) return read;  // stopped at its first row, which was told

    LoadedHydrograph loaded{current, rows.step, false};
    try {
        Result result;
        float inflowPeak = 0;
        std::int16_t inflowPeakAt = 0;
        if (combining) {
            // The current hydrograph is held in qout after a load, combination or routing; right after
            // a compute run qout has fewer than three elements and the computed qi is the current one.
            const bool fromOutflow =
                (current.outflowIsCurrent || table->outflow) && current.routed.outflowCfs.size() >= 3;
            inflowPeak = fromOutflow ? current.routed.peakCfs : current.inflow.peakCfs;
            inflowPeakAt = fromOutflow ? common::toInt16(current.routed.peakIndex) : current.inflow.peakIndex;
            result = combine(current, fromOutflow, rows.flows);
        } else {
            result = load(rows.flows);
            inflowPeak = result.maxq;
            inflowPeakAt = result.tmax;
        }
        float volume = common::toSingle(result.volume);
        if (rows.step != 0.0f) {
            // Sum of flows (cfs) times the step in days gives cfs-days.
            volume = common::toSingle(result.volume * kAcreFeetPerCfsDay /
                                      (24.0 / static_cast<double>(rows.step)));
            usgsround(volume);
        }
        const std::int16_t last = common::toInt16(result.last);

        WorkingHydrograph& h = loaded.hydrograph;
        h.inflow.flowCfs = std::move(result.qi);
        h.routed.outflowCfs = std::move(result.qout);
        h.inflow.last = last;
        h.inflow.peakCfs = inflowPeak;
        h.inflow.peakIndex = inflowPeakAt;
        h.routed.peakCfs = result.maxout;
        h.routed.peakIndex = result.tmaxout;
        h.volumeAcreFt = volume;
        h.outflowIsCurrent = true;
        loaded.reported = rows.flows.size() > 2;
    } catch (const common::RuntimeFailure& failure) {
        dialogs.message(failure.description());
        return read;
    }
    read.loaded = std::move(loaded);
    return read;
}

HydrographRead readHydrographFile(const std::string& path, const WorkingHydrograph& current, bool combining,
                                  float stepHours) {
    std::string text;
    try {
        text = common::readDataFile(path, common::kMaxDataFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        HydrographRead read;
        read.messages.push_back(failure.number() == common::fileNotFound().number()
                                    ? std::string(common::msg::kHydrographFileNotFound) + "\n" +
                                          failure.cause()
                                    : failure.cause());
        return read;
    }
    std::istringstream in(std::move(text));
    return readHydrographFile(in, current, combining, stepHours,
                              std::filesystem::path(path).filename().string());
}

}  // namespace brelvo::basin
