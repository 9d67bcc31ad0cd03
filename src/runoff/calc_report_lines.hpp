// The calculation report's line makers, shared by its parts (the report's own files include it).
#pragma once

#include <string>
#include <vector>

#include "runoff/calc_report.hpp"

namespace brelvo::runoff::report_lines {

constexpr std::size_t kLabelWidth = 38;
// The characters a text line of the page holds in the fixed-width font.
constexpr std::size_t kPageColumns = 92;

inline ReportItem heading(const std::string& text, bool newPage = false) {
    return ReportItem{ReportItemKind::heading, text, newPage, {}};
}

inline ReportItem line(std::string text) {
    return ReportItem{ReportItemKind::text, std::move(text), false, {}};
}

// "  Label .......... value": the label padded so that the values line up; a value too long beside its
// label goes on a line of its own below it by the caller (see labelledLong).
inline ReportItem labelled(const std::string& label, const std::string& value) {
    std::string text = "  " + label;
    if (text.size() < kLabelWidth) text.append(kLabelWidth - text.size(), ' ');
    return line(text + "  " + value);
}

// A label's value beside it, or on a line of its own below it when it would run past the page.
inline void addLabelled(std::vector<ReportItem>& items, const std::string& label, const std::string& value) {
    if (kLabelWidth + 2 + value.size() <= kPageColumns) {
        items.push_back(labelled(label, value));
    } else {
        items.push_back(line("  " + label));
        items.push_back(line("    " + value));
    }
}

inline std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace brelvo::runoff::report_lines
