// Splitting a script line into its words: no window, no Qt, so that it can be tried on any text alone.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace brelvo::app {

// One script line split into its words; quoted texts keep their blanks, with \" and \\ unescaped.
// No value when a quote is not closed.
std::optional<std::vector<std::string>> splitScriptLine(const std::string& line);

// A word that is wholly a number (a single) or a whole number; nothing otherwise.
inline std::optional<float> parseNumber(const std::string& text) {
    float v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}
inline std::optional<int> parseInt(const std::string& text) {
    int v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

}  // namespace brelvo::app
