// The kept precipitation-frequency table to and from a value tree.
#include "runoff/storm_table_tree.hpp"

#include <algorithm>
#include <cmath>

#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace msg = common::msg;
using common::ValueTree;

namespace {

ValueTree textList(const std::vector<std::string>& texts) {
    ValueTree list = ValueTree::list();
    for (const auto& t : texts) list.append(ValueTree::text(t));
    return list;
}

std::vector<std::string> readTexts(const common::TreeReader& r, std::string_view key, std::size_t maxSize) {
    std::vector<std::string> out;
    for (const ValueTree& item : r.list(key, maxSize)) {
        if (item.kind() != ValueTree::Kind::Text) r.fail(key, msg::kValueEntryWrongKind);
        out.push_back(item.asText());
    }
    return out;
}

// A latitude or longitude kept as its text: empty, or a number within [-limit, limit].
double degreesOf(const common::TreeReader& r, std::string_view key, const std::string& text, double limit) {
    if (text.empty()) return 0;
    const common::BoxNumber read = common::readBoxNumber(text);
    if (read.reading != common::BoxReading::number || !(std::fabs(read.value) <= limit))
        r.fail(key, msg::kValueOutOfRange);
    return common::leadingNumber(text);
}

}  // namespace

ValueTree stormTableTree(const KeptStormTable& kept) {
    const PrecipFrequencyTable& t = kept.table;
    ValueTree tree = ValueTree::map();
    tree.set("fileName", ValueTree::text(t.fileName));
    tree.set("unit", ValueTree::text(t.unit));
    tree.set("volume", ValueTree::text(t.volume));
    tree.set("seriesType", ValueTree::text(t.seriesType));
    tree.set("projectArea", ValueTree::text(t.projectArea));
    tree.set("latitude", ValueTree::text(t.latitudeText));
    tree.set("longitude", ValueTree::text(t.longitudeText));
    ValueTree years = ValueTree::list();
    for (int y : t.returnPeriods) years.append(ValueTree::integer(y));
    tree.set("returnPeriods", years);
    tree.set("durations", textList(t.durations));
    ValueTree depths = ValueTree::list();
    for (const auto& row : t.depthText) depths.append(textList(row));
    tree.set("depths", depths);
    tree.set("notes", textList(t.notes));
    tree.set("returnPeriod", ValueTree::integer(kept.returnPeriod));
    tree.set("hours", ValueTree::number(kept.hours));
    return tree;
}

KeptStormTable readStormTableTree(const common::TreeReader& r) {
    KeptStormTable kept;
    PrecipFrequencyTable& t = kept.table;
    t.fileName = r.text("fileName");
    t.unit = r.text("unit");
    if (t.unit != "inches" && t.unit != "millimeters") r.fail("unit", msg::kStormTableDamaged);
    t.volume = r.text("volume");
    t.seriesType = r.text("seriesType");
    t.projectArea = r.text("projectArea");
    t.latitudeText = r.text("latitude");
    t.latitude = degreesOf(r, "latitude", t.latitudeText, 90);
    t.longitudeText = r.text("longitude");
    t.longitude = degreesOf(r, "longitude", t.longitudeText, 360);
    for (const ValueTree& item : r.list("returnPeriods", kMaxReturnPeriods)) {
        if (!common::wholeNumberIn(item, 1, 100000)) r.fail("returnPeriods", msg::kValueEntryNotWhole);
        const int years = static_cast<int>(item.asNumber());
        if (std::find(t.returnPeriods.begin(), t.returnPeriods.end(), years) != t.returnPeriods.end())
            r.fail("returnPeriods", msg::kStormTableDamaged);
        t.returnPeriods.push_back(years);
    }
    if (t.returnPeriods.empty()) r.fail("returnPeriods", msg::kStormTableDamaged);
    t.durations = readTexts(r, "durations", kMaxPrecipRows);
    if (t.durations.empty()) r.fail("durations", msg::kStormTableDamaged);
    for (const auto& label : t.durations) {
        const auto hours = durationLabelHours(label);
        if (!hours || (!t.durationHours.empty() && *hours <= t.durationHours.back()))
            r.fail("durations", msg::kStormTableDamaged);
        t.durationHours.push_back(*hours);
    }
    const ValueTree::List& rows = r.list("depths", kMaxPrecipRows);
    if (rows.size() != t.durations.size()) r.fail("depths", msg::kStormTableDamaged);
    std::vector<std::vector<double>> values;
    for (const ValueTree& row : rows) {
        if (row.kind() != ValueTree::Kind::List || row.asList().size() != t.returnPeriods.size())
            r.fail("depths", msg::kStormTableDamaged);
        std::vector<std::string> depths;
        std::vector<double> rowValues;
        for (const ValueTree& cell : row.asList()) {
            if (cell.kind() != ValueTree::Kind::Text || depthCellText(cell.asText(), false) != cell.asText())
                r.fail("depths", msg::kStormTableDamaged);
            const auto value = depthCellValue(cell.asText());
            if (!value || !usableDepth(*value, false)) r.fail("depths", msg::kStormTableDamaged);
            depths.push_back(cell.asText());
            rowValues.push_back(*value);
        }
        t.depthText.push_back(std::move(depths));
        values.push_back(std::move(rowValues));
    }
    if (firstFallingDepth(values, t.returnPeriods)) r.fail("depths", msg::kStormTableDamaged);
    t.notes = readTexts(r, "notes", kMaxPrecipRows);
    kept.returnPeriod = r.integer("returnPeriod", 0, 100000);
    kept.hours = r.number("hours", 0, 1e6);
    return kept;
}

}  // namespace brelvo::runoff
