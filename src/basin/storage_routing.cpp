// Modified Puls storage routing: the *.RAT table, its lookup and the routing of the working hydrograph.
#include "basin/storage_routing.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "common/data_file.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace {

constexpr int kLastRow = StorageTable::kLastRow;
// Acre-feet per hour held as cfs: 43,560 square feet per acre over 3,600 seconds, doubled for 2S/dt.
constexpr double kStorageToCfs = 24.2;
// The series grow by this many elements when the routing runs past their end.
constexpr int kChunk = 100;
// Routing stops once the outflow falls below this after the inflow has ended: cfs, by the routed peak.
constexpr float kLargePeakThreshold = 1.0f;   // peak above 10 cfs
constexpr float kSmallPeakThreshold = 0.01f;  // peak of 10 cfs or less
constexpr float kSmallPeak = 10.0f;

// A file the routing cannot use: told to the user, and the routing ends without a result.
class Refusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Single-precision arithmetic: each result rounded to a single, and a result beyond the single range
// is "Overflow" instead of an infinity carried on.
float plus(float a, float b) {
    return common::toSingle(static_cast<double>(a) + static_cast<double>(b));
}
float minus(float a, float b) {
    return common::toSingle(static_cast<double>(a) - static_cast<double>(b));
}
float times(float a, float b) {
    return common::toSingle(static_cast<double>(a) * static_cast<double>(b));
}
// x / 0 is "Division by zero" and 0 / 0 "Overflow", as everywhere else in the program.
float over(float a, float b) {
    if (b == 0.0f) throw a == 0.0f ? common::overflow() : common::divisionByZero();
    return common::toSingle(static_cast<double>(a) / static_cast<double>(b));
}

float cell(const std::vector<float>& column, int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= column.size()) throw common::subscriptOutOfRange();
    return column[static_cast<std::size_t>(row)];
}

// Y(k) + (Y(k + 1) - Y(k)) * f.
float between(const std::vector<float>& y, Located at) {
    const float low = cell(y, at.k);
    return plus(low, times(minus(cell(y, at.k + 1), low), at.f));
}

// 2S/dt in cfs for a storage in acre-feet and a step in hours, worked in double and held as a single.
float storageTerm(float storage, float udur) {
    if (udur == 0.0f) throw common::divisionByZero();
    return common::toSingle(static_cast<double>(storage) * kStorageToCfs / static_cast<double>(udur));
}

// A number in a message: six digits, so that a single's last digit ("7.199999") does not show.
std::string number(float value) {
    return common::messageNumber(value, 6);
}

// Feet as the report shows elevations.
std::string feet(float value) {
    return common::formatPattern(value, "#########0.00");
}

// The lines of a file's text; a line ends at a line feed, a carriage return or both.
std::vector<std::string_view> usedLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

// Field `index` of a row, empty when the row has fewer fields.
std::string_view field(std::string_view line, char separator, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t next = line.find(separator, start);
        if (next == std::string_view::npos) return {};
        start = next + 1;
    }
    const std::size_t end = line.find(separator, start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// True when anything but blanks and separators follows the row's third field.
bool textAfterThirdField(std::string_view line, char separator) {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        at = line.find(separator, at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    return line.find_first_not_of(std::string(" \t") + separator, at) != std::string_view::npos;
}

// Rows 1..n of the file, without the storage indication. Every number is read strictly; `fileName`
// names the file in the refusals.
StorageTable readRows(std::string_view text, std::string_view fileName) {
    const std::vector<std::string_view> lines = usedLines(text);
    if (lines.size() < 2) {
        throw common::RuntimeFailure(common::failures::kInputPastEndOfFile,
                                     common::msg::inFile(common::msg::kStorageFileEndsEarly, fileName));
    }
    std::int16_t count = 0;
    bool tooMany = false;
    const float listed = common::fileNumber(fileName, 2, lines[1]);
    if (listed != std::floor(listed)) {
        throw common::typeMismatch().because(common::msg::storageCountNotWhole(fileName, lines[1]));
    }
    try {
        count = common::toInt16(listed);
    } catch (const common::RuntimeFailure&) {
        tooMany = true;  // a count beyond the 16-bit range is far beyond the table
    }
    if (tooMany || count > kLastRow) {
        throw common::RuntimeFailure(
            common::failures::kSubscriptOutOfRange,
            common::msg::inFile(common::msg::storageRowsTooMany(
                                    tooMany ? std::string("too many") : std::to_string(count), kLastRow),
                                fileName));
    }
    if (count < 1) {
        throw common::RuntimeFailure(common::failures::kInvalidProcedureCall,
                                     common::msg::inFile(common::msg::storageNoRows(kLastRow), fileName));
    }
    const int n = count;
    if (lines.size() < static_cast<std::size_t>(n) + 2) {
        throw common::RuntimeFailure(
            common::failures::kInputPastEndOfFile,
            common::msg::inFile(common::msg::storageRowsMissing(n, lines.size() - 2), fileName));
    }
    const char separator = lines[2].find(',') != std::string_view::npos ? ',' : '\t';
    StorageTable table;
    table.n = n;
    for (int r = 1; r <= n; ++r) {
        const std::string_view line = lines[static_cast<std::size_t>(r) + 1];
        const auto at = static_cast<std::size_t>(r);
        table.elevation[at] = common::fileNumber(fileName, r + 2, field(line, separator, 0));
        table.outflow[at] = common::fileNumber(fileName, r + 2, field(line, separator, 1));
        table.storage[at] = common::fileNumber(fileName, r + 2, field(line, separator, 2));
        // A fourth field is a column the table has no room for, or a decimal comma that split a number.
        if (textAfterThirdField(line, separator)) {
            throw common::typeMismatch().because(common::msg::storageExtraField(fileName, r + 2, line));
        }
        if (table.outflow[at] < 0 || table.storage[at] < 0) {
            const bool outflow = table.outflow[at] < 0;
            throw common::invalidProcedureCall().because(common::msg::storageNegative(
                fileName, r + 2, field(line, separator, outflow ? 1 : 2), outflow ? "outflow" : "storage"));
        }
        if (r == 1) continue;
        // Interpolation needs every column to rise with the rows; equal neighbours are allowed (an
        // outflow of 0 below the outlet), a fall is a broken table.
        const char* fallen = table.elevation[at] < table.elevation[at - 1] ? "elevation"
                             : table.outflow[at] < table.outflow[at - 1]   ? "outflow"
                             : table.storage[at] < table.storage[at - 1]   ? "storage"
                                                                           : nullptr;
        if (fallen != nullptr) {
            throw common::RuntimeFailure(
                common::failures::kInvalidProcedureCall,
                common::msg::inFile(common::msg::storageRowFalls(r, fallen), fileName));
        }
    }
    // Nothing but blank lines may follow the rows the file announces.
    for (std::size_t i = static_cast<std::size_t>(n) + 2; i < lines.size(); ++i) {
        if (lines[i].find_first_not_of(" \t") != std::string_view::npos) {
            throw common::subscriptOutOfRange().because(
                common::msg::storageRowBeyondCount(fileName, static_cast<int>(i) + 1, lines[i], n));
        }
    }
    return table;
}

// SI = 2S/dt + O for rows 1..n; row 0 and the rows after n stay 0.
void addIndication(StorageTable& table, float udur) {
    for (int r = 1; r <= table.n; ++r) {
        const auto at = static_cast<std::size_t>(r);
        if (udur == 0.0f) throw common::divisionByZero();
        table.indication[at] = common::toSingle(static_cast<double>(table.storage[at]) * kStorageToCfs /
                                                    static_cast<double>(udur) +
                                                static_cast<double>(table.outflow[at]));
    }
}

// locateInTable for the routing: a value past the last row of a full table, or between equal rows,
// is a table the routing cannot use.
Located place(float v, const std::vector<float>& column, int n, const char* what, const char* unit) {
    bool inside = false;
    for (int i = 1; i <= n && !inside; ++i) inside = v <= cell(column, i);
    if (!inside && n + 1 >= static_cast<int>(column.size())) {
        throw Refusal(
            common::msg::storageBeyondLastRow(what, number(v), unit, number(cell(column, n)), kLastRow));
    }
    try {
        return locateInTable(v, column, n);
    } catch (const common::RuntimeFailure&) {
        throw Refusal(common::msg::storageEqualRows(what, number(v), unit));
    }
}

// The working hydrograph as the routing builds it; the state takes it only when the routing is done.
struct Work {
    Series qi;
    Series qout;
    Series elvout;
    Series storout;
    float maxq = 0;
    std::int16_t tmax = 0;
    float maxout = 0;
    float tmaxout = 0;
    float maxelv = 0;
    float highestFt = 0;  // the highest water surface reached, feet
    std::int16_t it = 0;
};

Work route(const WorkingHydrograph& h, std::int16_t newit, float udur, const StorageTable& table,
           std::optional<float> beginElevationFt) {
    Work w;
    w.qi = h.inflow.flowCfs;
    w.qout = h.routed.outflowCfs;
    w.elvout = h.routed.elevationFt;
    w.maxq = h.inflow.peakCfs;
    w.tmax = h.inflow.peakIndex;
    if (h.outflowIsCurrent) {
        // The working hydrograph in qout is the inflow, so its routed peak is the inflow's peak.
        w.maxq = h.routed.peakCfs;
        w.tmax = common::toInt16(h.routed.peakIndex);
    }
    if (w.qout.upper() < 1) w.qout.redimPreserve(1);
    w.storout.redim(w.qout.upper());
    // The run dimensions elvout to 0..newit; a shorter one is grown here rather than overrun.
    const int elvoutUpper = std::max<int>(newit, 0);
    if (w.elvout.upper() < elvoutUpper) w.elvout.redimPreserve(elvoutUpper);

    const int n = table.n;
    const bool typed = beginElevationFt.has_value();
    const std::int16_t itIn = h.inflow.last;
    // The inflow of a cascade is the working hydrograph in qout, taken before the routed values
    // overwrite it.
    if (h.outflowIsCurrent) w.qi[0] = w.qout[0];
    float e0 = 0;  // feet
    float s0 = 0;  // acre-feet
    float o0 = 0;  // cfs
    float t0 = 0;  // 2S/dt, cfs
    if (typed) {
        // The typed water surface: outflow and storage interpolated there; the storage term starts
        // from the first row at or above it.
        e0 = *beginElevationFt;
        int i0 = 1;
        while (i0 < n && !(table.elevation[static_cast<std::size_t>(i0)] >= e0)) ++i0;
        t0 = storageTerm(table.storage[static_cast<std::size_t>(i0)], udur);
        const Located at = place(e0, table.elevation, n, "begin elevation", "ft");
        s0 = between(table.storage, at);
        o0 = between(table.outflow, at);
    } else if (w.qi[0] > table.outflow[1]) {
        // The steady state of the first inflow: the basin passes it, at the storage and water surface
        // the table gives for that outflow.
        o0 = w.qi[0];
        const Located at = place(o0, table.outflow, n, "outflow", "cfs");
        e0 = between(table.elevation, at);
        s0 = between(table.storage, at);
        t0 = storageTerm(s0, udur);
    } else {
        // A first inflow at or below the outflow of row 1 (a computed hydrograph starts at 0): row 1.
        e0 = table.elevation[1];
        s0 = table.storage[1];
        o0 = table.outflow[1];
        t0 = storageTerm(s0, udur);
    }

    w.qout[0] = o0;
    w.elvout[0] = e0;
    w.storout[0] = s0;
    w.highestFt = e0;
    // The state at the end of the step before: outflow (cfs), storage term 2S/dt (cfs).
    float o = o0;
    float t = t0;
    float threshold = 0;  // cfs; 0 until a peak is seen
    if (o0 > 0) {
        w.maxout = o0;
        w.maxelv = e0;
        threshold = o0 > kSmallPeak ? kLargePeakThreshold : kSmallPeakThreshold;
    }
    std::int16_t last = 0;
    for (std::int16_t j = 1; j <= newit; j = common::checkedAdd(j, 1)) {
        if (w.qi.upper() < j) w.qi.redimPreserve(common::checkedAdd(j, kChunk));
        if (w.qout.upper() < j) {
            const std::int16_t upper = common::checkedAdd(j, kChunk);
            w.qout.redimPreserve(upper);
            w.storout.redimPreserve(upper);
        }
        if (j <= itIn && h.outflowIsCurrent) w.qi[j] = w.qout[j];

        // Storage indication at the end of step j: I(j - 1) + I(j) + 2S/dt - O (cfs).
        const float si2 = minus(plus(plus(w.qi[j - 1], w.qi[j]), t), o);
        const float o2 = between(table.outflow, place(si2, table.indication, n, "storage indication", "cfs"));
        const Located atOutflow = place(o2, table.outflow, n, "outflow", "cfs");
        const float e2 = between(table.elevation, atOutflow);
        const float s2 = between(table.storage, atOutflow);

        w.qout[j] = o2;
        w.elvout[j] = e2;
        w.storout[j] = s2;
        w.highestFt = std::max(w.highestFt, e2);
        last = j;
        if (o2 > w.maxout) {
            w.tmaxout = j;
            w.maxout = o2;
            w.maxelv = e2;
            threshold = w.maxout > kSmallPeak ? kLargePeakThreshold : kSmallPeakThreshold;
        }
        if (j >= itIn && o2 < threshold) break;
        if (j == newit - 1) break;

        t = minus(si2, o2);
        o = o2;
    }
    w.it = last;
    return w;
}

}  // namespace

StorageTable parseStorageFile(std::string_view text, float udur, std::string_view fileName) {
    StorageTable table = readRows(text, fileName);
    addIndication(table, udur);
    return table;
}

Located locateInTable(float v, const std::vector<float>& column, int n, bool ascending) {
    if (n < 0) throw common::subscriptOutOfRange();
    int i = 1;
    while (i <= n && !(ascending ? v <= cell(column, i) : v >= cell(column, i))) ++i;
    int k = i - 1;
    if (k == 0) return {0, 0.0f};
    // Past the last row the neighbour is the empty row: extrapolate along the last two rows instead.
    if (cell(column, i) == 0.0f) k = i - 2;
    const float low = cell(column, k);
    return {k, over(minus(v, low), minus(cell(column, k + 1), low))};
}

StorageOutcome modpul(const WorkingHydrograph& hydrograph, std::int16_t routedUpper, float stepHours,
                      std::optional<float> beginElevationFt, const std::string& path) {
    StorageOutcome outcome;
    const std::string shortName = std::filesystem::path(path).filename().string();
    std::string text;
    try {
        text = common::readDataFile(path, common::kMaxDataFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        outcome.messages.push_back(failure.number() == common::fileNotFound().number()
                                       ? common::msg::storageFileNotFound(path)
                                       : failure.description() + "\n" + failure.cause());
        return outcome;
    }
    StorageTable table;
    try {
        table = readRows(text, shortName);
    } catch (const common::RuntimeFailure& failure) {
        outcome.messages.push_back(failure.cause().empty() ? failure.description() : failure.cause());
        return outcome;
    }
    // A zero time step fails here, as the run's other divisions by the step do.
    addIndication(table, stepHours);

    Work w;
    try {
        w = route(hydrograph, routedUpper, stepHours, table, beginElevationFt);
    } catch (const Refusal& refusal) {
        outcome.messages.push_back(common::msg::inFile(refusal.what(), shortName));
        return outcome;
    }
    // Above the last row the table was extended along its last two rows: say by how much.
    const float top = table.elevation[static_cast<std::size_t>(table.n)];
    if (w.highestFt > top) {
        outcome.messages.push_back(common::msg::storageRanPastTop(shortName, feet(minus(w.highestFt, top)),
                                                                  feet(w.highestFt), feet(top)));
    }
    outcome.routing = StorageRouting{hydrograph, path};
    WorkingHydrograph& out = outcome.routing->hydrograph;
    out.inflow.flowCfs = std::move(w.qi);
    out.routed.outflowCfs = std::move(w.qout);
    out.routed.elevationFt = std::move(w.elvout);
    out.routed.storageAcreFt = std::move(w.storout);
    out.inflow.peakCfs = w.maxq;
    out.inflow.peakIndex = w.tmax;
    out.routed.peakCfs = w.maxout;
    out.routed.peakIndex = w.tmaxout;
    out.routed.peakElevationFt = w.maxelv;
    out.inflow.last = w.it;
    return outcome;
}

}  // namespace brelvo::basin
