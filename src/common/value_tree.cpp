// The plain value tree and its checked reader.
#include "common/value_tree.hpp"

#include <cmath>
#include <limits>

#include "common/messages.hpp"

namespace brelvo::common {

ValueTree ValueTree::boolean(bool b) {
    ValueTree v;
    v.kind_ = Kind::Bool;
    v.bool_ = b;
    return v;
}

ValueTree ValueTree::integer(std::int64_t n) {
    ValueTree v;
    v.kind_ = Kind::Integer;
    v.number_ = static_cast<double>(n);
    return v;
}

ValueTree ValueTree::single(float f) {
    ValueTree v;
    v.kind_ = Kind::Single;
    v.number_ = static_cast<double>(f);
    return v;
}

ValueTree ValueTree::number(double d) {
    ValueTree v;
    v.kind_ = Kind::Double;
    v.number_ = d;
    return v;
}

ValueTree ValueTree::text(std::string s) {
    ValueTree v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(s);
    return v;
}

ValueTree ValueTree::list(List items) {
    ValueTree v;
    v.kind_ = Kind::List;
    v.list_ = std::move(items);
    return v;
}

ValueTree ValueTree::map() {
    ValueTree v;
    v.kind_ = Kind::Map;
    return v;
}

ValueTree& ValueTree::set(std::string_view key, ValueTree value) {
    for (auto& [k, v] : map_) {
        if (k == key) return v = std::move(value);
    }
    map_.emplace_back(std::string(key), std::move(value));
    return map_.back().second;
}

const ValueTree* ValueTree::find(std::string_view key) const {
    if (kind_ != Kind::Map) return nullptr;
    for (const auto& [k, v] : map_) {
        if (k == key) return &v;
    }
    return nullptr;
}

ValueTree& ValueTree::append(ValueTree value) {
    list_.push_back(std::move(value));
    return list_.back();
}

bool wholeNumberIn(const ValueTree& value, double low, double high) {
    if (!value.isNumber()) return false;
    const double d = value.asNumber();
    return std::isfinite(d) && d == std::floor(d) && d >= low && d <= high;
}

TreeReader::TreeReader(const ValueTree& map, std::string path) : map_(map), path_(std::move(path)) {}

void TreeReader::fail(std::string_view key, std::string_view problem) const {
    throw TreeError(msg::treeValueRefused(path_ + std::string(key), problem));
}

const ValueTree& TreeReader::at(std::string_view key) const {
    const ValueTree* v = map_.find(key);
    if (!v) fail(key, msg::kValueMissing);
    return *v;
}

double TreeReader::number(std::string_view key, double low, double high) const {
    const ValueTree& v = at(key);
    if (!v.isNumber()) fail(key, msg::kValueNotANumber);
    const double d = v.asNumber();
    if (!std::isfinite(d) || d < low || d > high) fail(key, msg::kValueOutOfRange);
    return d;
}

float TreeReader::single(std::string_view key) const {
    constexpr double big = std::numeric_limits<float>::max();
    return static_cast<float>(number(key, -big, big));
}

int TreeReader::integer(std::string_view key, int low, int high) const {
    const double d = number(key, low, high);
    if (d != std::floor(d)) fail(key, msg::kValueNotWhole);
    return static_cast<int>(d);
}

std::int16_t TreeReader::int16(std::string_view key) const {
    return static_cast<std::int16_t>(integer(key, -32768, 32767));
}

bool TreeReader::boolean(std::string_view key) const {
    const ValueTree& v = at(key);
    if (v.kind() != ValueTree::Kind::Bool) fail(key, msg::kValueNotTrueOrFalse);
    return v.asBool();
}

std::string TreeReader::text(std::string_view key) const {
    const ValueTree& v = at(key);
    if (v.kind() != ValueTree::Kind::Text) fail(key, msg::kValueNotText);
    return v.asText();
}

const ValueTree::List& TreeReader::list(std::string_view key, std::size_t maxSize) const {
    const ValueTree& v = at(key);
    if (v.kind() != ValueTree::Kind::List) fail(key, msg::kValueNotList);
    if (v.asList().size() > maxSize) fail(key, msg::kValueTooManyEntries);
    return v.asList();
}

TreeReader TreeReader::map(std::string_view key) const {
    const ValueTree& v = at(key);
    if (v.kind() != ValueTree::Kind::Map) fail(key, msg::kValueNotObject);
    return TreeReader(v, path_ + std::string(key) + ".");
}

TreeReader TreeReader::item(const ValueTree::List& list, std::size_t index, std::string_view key) const {
    if (list.at(index).kind() != ValueTree::Kind::Map) fail(key, msg::kValueEntryNotObject);
    return TreeReader(list[index], path_ + std::string(key) + "[" + std::to_string(index) + "].");
}

std::pair<float, float> TreeReader::pair(std::string_view key) const {
    const ValueTree::List& a = list(key, 2);
    if (a.size() != 2 || !a[0].isNumber() || !a[1].isNumber()) fail(key, msg::kValueNotPoint);
    constexpr double big = std::numeric_limits<float>::max();
    const double x = a[0].asNumber(), y = a[1].asNumber();
    if (!std::isfinite(x) || !std::isfinite(y) || std::abs(x) > big || std::abs(y) > big)
        fail(key, msg::kValueOutOfRange);
    return {static_cast<float>(x), static_cast<float>(y)};
}

}  // namespace brelvo::common
