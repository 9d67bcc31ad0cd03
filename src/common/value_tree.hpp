// A plain tree of values (null, true/false, numbers, texts, lists and maps with their keys in the
// order written), so that a document can write itself out and read itself back without knowing the
// file format around it. A number remembers whether it was written as a whole number, a single or a
// double, so that a writer can give each its own text; one read from a file is a double.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brelvo::common {

class ValueTree {
  public:
    enum class Kind { Null, Bool, Integer, Single, Double, Text, List, Map };
    using List = std::vector<ValueTree>;
    using Map = std::vector<std::pair<std::string, ValueTree>>;

    ValueTree() = default;  // null
    static ValueTree boolean(bool b);
    static ValueTree integer(std::int64_t n);
    static ValueTree single(float f);
    static ValueTree number(double d);
    static ValueTree text(std::string s);
    static ValueTree list(List items = {});
    static ValueTree map();

    Kind kind() const { return kind_; }
    bool isNumber() const { return kind_ == Kind::Integer || kind_ == Kind::Single || kind_ == Kind::Double; }
    bool asBool() const { return bool_; }
    double asNumber() const { return number_; }
    const std::string& asText() const { return text_; }
    const List& asList() const { return list_; }
    const Map& asMap() const { return map_; }

    // A map's entry: added at the end, or replaced where the key already is.
    ValueTree& set(std::string_view key, ValueTree value);
    // A map's entry by key; nullptr when there is none (or this is no map).
    const ValueTree* find(std::string_view key) const;
    // A list's new last item.
    ValueTree& append(ValueTree value);

    friend bool operator==(const ValueTree&, const ValueTree&) = default;

  private:
    Kind kind_ = Kind::Null;
    bool bool_ = false;
    double number_ = 0;
    std::string text_;
    List list_;
    Map map_;
};

// Why a tree cannot be read: the text names the value ("the value \"window.text1.caret\" is missing").
class TreeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the values of one map of a tree, naming the key of the first one that is missing or wrong
// (with the path of maps and lists above it) in a TreeError.
class TreeReader {
  public:
    TreeReader(const ValueTree& map, std::string path);

    const ValueTree& at(std::string_view key) const;
    bool has(std::string_view key) const { return map_.find(key) != nullptr; }
    [[noreturn]] void fail(std::string_view key, std::string_view problem) const;
    double number(std::string_view key, double low, double high) const;
    float single(std::string_view key) const;  // any finite single
    int integer(std::string_view key, int low, int high) const;
    std::int16_t int16(std::string_view key) const;
    bool boolean(std::string_view key) const;
    std::string text(std::string_view key) const;
    // A list of at most `maxSize` items.
    const ValueTree::List& list(std::string_view key, std::size_t maxSize) const;
    TreeReader map(std::string_view key) const;
    // An item of a list under `key` as a map.
    TreeReader item(const ValueTree::List& list, std::size_t index, std::string_view key) const;
    // Two finite singles.
    std::pair<float, float> pair(std::string_view key) const;
    const ValueTree& tree() const { return map_; }

  private:
    const ValueTree& map_;
    std::string path_;
};

// Whether a tree's number is a whole number within [low, high].
bool wholeNumberIn(const ValueTree& value, double low, double high);

}  // namespace brelvo::common
