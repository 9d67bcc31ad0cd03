// A delineated basin's record and the delineation's settings in the measuring work's tree.
#include "measure/delineation_record.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <tuple>

#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::measure {

namespace {

using common::TreeReader;
using common::ValueTree;
namespace msg = common::msg;

// A cell's column and row: [c, r].
ValueTree cellTree(int column, int row) {
    return ValueTree::list({ValueTree::integer(column), ValueTree::integer(row)});
}

// Columns and rows of any model that fits in memory.
constexpr double kMaxCellIndex = 1e9;

std::pair<int, int> readCell(const TreeReader& r, std::string_view key) {
    const ValueTree::List& cell = r.list(key, 2);
    if (cell.size() != 2 || !common::wholeNumberIn(cell[0], 0, kMaxCellIndex) ||
        !common::wholeNumberIn(cell[1], 0, kMaxCellIndex))
        r.fail(key, msg::kValueNotCell);
    return {static_cast<int>(cell[0].asNumber()), static_cast<int>(cell[1].asNumber())};
}

std::string fingerprintText(std::uint64_t value) {
    static const char* digits = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return text;
}

std::int64_t readWhole(const TreeReader& r, std::string_view key, double low, double high) {
    if (!common::wholeNumberIn(r.at(key), low, high)) r.fail(key, msg::kValueOutOfRange);
    return static_cast<std::int64_t>(r.at(key).asNumber());
}

}  // namespace

std::string elevationText(double feet) {
    return common::formatPattern(feet, "#0.0");
}

ValueTree writeDelineation(const std::optional<DelineationRecord>& record,
                           const DelineationSettings& settings) {
    ValueTree t = ValueTree::map();
    if (record) {
        ValueTree& r = t.set("record", ValueTree::map());
        r.set("clickedCell", cellTree(record->clickedColumn, record->clickedRow));
        r.set("outletCell", cellTree(record->outletColumn, record->outletRow));
        r.set("searchCells", ValueTree::integer(record->searchCells));
        r.set("cells", ValueTree::integer(record->cells));
        r.set("cutOff", ValueTree::boolean(record->cutOff));
        r.set("areaM2", ValueTree::number(record->areaM2));
        r.set("pathLengthM", ValueTree::number(record->pathLengthM));
        r.set("elevationsKnown", ValueTree::boolean(record->elevationsKnown));
        r.set("outletElevationFt", ValueTree::number(record->outletElevationFt));
        r.set("headElevationFt", ValueTree::number(record->headElevationFt));
        r.set("searchDistanceM", ValueTree::number(record->searchDistanceM));
        r.set("voidCells", ValueTree::integer(record->voidCells));
        r.set("outletGroundFt", ValueTree::number(record->outletGroundFt));
        r.set("headGroundFt", ValueTree::number(record->headGroundFt));
        // As 16 hexadecimal digits: a number of the file holds no 64 bits exactly.
        r.set("modelFingerprint", ValueTree::text(fingerprintText(record->modelFingerprint)));
    } else {
        t.set("record", ValueTree{});
    }
    t.set("searchCells", ValueTree::integer(settings.searchCells));
    t.set("searchDistanceM",
          settings.searchDistanceM ? ValueTree::number(*settings.searchDistanceM) : ValueTree{});
    t.set("streamThreshold", ValueTree::integer(settings.streamThreshold));
    t.set("showStreams", ValueTree::boolean(settings.showStreams));
    return t;
}

void readDelineation(const TreeReader& root, std::optional<DelineationRecord>& record,
                     DelineationSettings& settings) {
    record.reset();
    settings = {};
    constexpr const char* kKey = "delineation";
    if (!root.has(kKey)) return;
    const TreeReader d = root.map(kKey);
    settings.searchCells = d.integer("searchCells", 0, kMaxSearchCells);
    settings.streamThreshold = readWhole(d, "streamThreshold", 1, static_cast<double>(kMaxStreamThreshold));
    if (d.has("searchDistanceM") && d.at("searchDistanceM").kind() != ValueTree::Kind::Null)
        settings.searchDistanceM = d.number("searchDistanceM", 0, kMaxSearchDistanceM);
    if (d.has("showStreams")) settings.showStreams = d.boolean("showStreams");
    if (d.at("record").kind() == ValueTree::Kind::Null) return;
    const TreeReader r = d.map("record");
    DelineationRecord rec;
    std::tie(rec.clickedColumn, rec.clickedRow) = readCell(r, "clickedCell");
    std::tie(rec.outletColumn, rec.outletRow) = readCell(r, "outletCell");
    rec.searchCells = r.integer("searchCells", 0, kMaxSearchCells);
    rec.cells = readWhole(r, "cells", 1, 1e12);
    rec.cutOff = r.boolean("cutOff");
    rec.areaM2 = r.number("areaM2", 0, 1e15);
    rec.pathLengthM = r.number("pathLengthM", 0, 1e9);
    rec.elevationsKnown = r.boolean("elevationsKnown");
    // Heights from the ocean's deepest trench to above the highest peak, in feet.
    rec.outletElevationFt = r.number("outletElevationFt", -40000, 40000);
    rec.headElevationFt = r.number("headElevationFt", -40000, 40000);
    const auto optionalNumber = [&r](std::string_view key, double low, double high) {
        return r.has(key) ? r.number(key, low, high) : 0.0;
    };
    rec.searchDistanceM = optionalNumber("searchDistanceM", 0, kMaxSearchDistanceM);
    if (r.has("voidCells")) rec.voidCells = readWhole(r, "voidCells", 0, 1e12);
    rec.outletGroundFt = optionalNumber("outletGroundFt", -40000, 40000);
    rec.headGroundFt = optionalNumber("headGroundFt", -40000, 40000);
    if (r.has("modelFingerprint")) {
        const std::string text = r.text("modelFingerprint");
        std::uint64_t value = 0;
        const auto read = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (text.size() != 16 || read.ec != std::errc() || read.ptr != text.data() + text.size())
            r.fail("modelFingerprint", msg::kValueOutOfRange);
        rec.modelFingerprint = value;
    }
    record = rec;
}

}  // namespace brelvo::measure
