// Script lines: whatever the text, the line splits into words or is refused for an open quote; the
// words, each written back quoted, split into the same words again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/script_line.hpp"
#include "check.hpp"

using brelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const auto words = brelvo::app::splitScriptLine(line);
    if (!words) return 0;
    std::string quoted;
    for (const std::string& word : *words) {
        quoted += " \"";
        for (const char c : word) {
            if (c == '"' || c == '\\') quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    const auto again = brelvo::app::splitScriptLine(quoted);
    require(again.has_value() && *again == *words, "quoted words split into the same words");
    return 0;
}
