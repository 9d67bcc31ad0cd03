// Splitting a script line into its words: no window, no Qt, so that it can be tried on any text alone.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brelvo::app {

// One script line split into its words; quoted texts keep their blanks, with \" and \\ unescaped.
// No value when a quote is not closed.
std::optional<std::vector<std::string>> splitScriptLine(const std::string& line);

}  // namespace brelvo::app
