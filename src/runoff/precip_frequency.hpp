// A point precipitation-frequency table as NOAA's precipitation frequency data server writes it (a CSV
// of depths by duration and return period), and the design storm of one return period and length that
// fills the runoff window's eight rainfall durations.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "basin/runoff_fields.hpp"

namespace brelvo::runoff {

struct PrecipFrequencyTable {
    std::string fileName;                     // as chosen (full path)
    std::string unit;                         // "inches" or "millimeters", from the first line's parentheses
    std::string volume;                       // "NOAA Atlas 14 Volume 9 Version 2"
    std::string seriesType;                   // "Partial duration" or "Annual maximum"
    std::string projectArea;                  // "Southeastern States"
    double latitude = 0, longitude = 0;       // degrees, north and east positive
    std::string latitudeText, longitudeText;  // as the file writes them ("26.6", "-81.9"); empty if absent
    std::vector<int> returnPeriods;           // years, in the file's order
    std::vector<std::string> durations;       // the row labels as the file writes them, "5-min" .. "60-day"
    std::vector<double> durationHours;        // the same in hours
    // depthText[d][r]: the depth of duration d and return period r in inches, as the file writes it
    // (millimetres converted exactly, then written as the shortest text that reads back to the same value)
    std::vector<std::vector<std::string>> depthText;
    std::vector<std::string> notes;  // what was read but ignored (the bounds sections), said to the user
    friend bool operator==(const PrecipFrequencyTable&, const PrecipFrequencyTable&) = default;
};

struct PrecipFrequencyRead {
    std::optional<PrecipFrequencyTable> table;
    std::string
        error;  // why the file was refused, naming it (and the line, with its text, where one is at fault)
};

// Reads a table from a file's text; `fileName` is kept in the table and named in a refusal. Refused:
// intensities (in/hr, mm/hr), a server's answer for a point outside every covered area, a text without
// the table, a malformed line. Never throws on any text.
PrecipFrequencyRead readPrecipFrequency(std::string_view text, std::string_view fileName);

// The most rows, return periods and lines of a table read; a larger file is refused.
inline constexpr std::size_t kMaxPrecipRows = 64;
inline constexpr std::size_t kMaxReturnPeriods = 64;
inline constexpr std::size_t kMaxPrecipLines = 20000;

// A duration label ("5-min", "2-hr", "60-day") in hours; nothing when it is no such label.
std::optional<double> durationLabelHours(std::string_view label);

// A duration in hours as the Hours boxes show it: the shortest text that the box's read turns into the
// single nearest the duration ("0.25", "2", "48"; 5 minutes "0.083333336", 10 minutes "0.16666667").
std::string hoursText(double hours);

// A depth cell as the table keeps it (inches): the file's text for inches; for millimetres the depth
// divided by 25.4 (in double) as the shortest text that reads back to it. Nothing when the cell is no
// number, is negative or is not finite.
std::optional<std::string> depthCellText(std::string_view cell, bool millimetres);

// The value of a depth cell for the table's checks: its number as the file writes it (no unit change);
// nothing when the text is no plain number. A subnormal or underflowing value reads as a value that
// `usableDepth` refuses.
std::optional<double> depthCellValue(std::string_view cell);
// A depth the program computes with: above 0 and, in inches, no subnormal.
bool usableDepth(double value, bool millimetres);

// The first depth that falls below its duration's shorter return period or its return period's shorter
// duration: depths[d][r] by duration and return period (`years` in the file's order). Rows are taken
// in order; within a row the longer duration's check comes first. Nothing when none falls.
struct FallingDepth {
    std::size_t duration = 0, returnPeriod = 0;          // the depth that falls
    std::size_t fromDuration = 0, fromReturnPeriod = 0;  // the one it falls below
    bool withDuration = true;                            // else with the return period
};
std::optional<FallingDepth> firstFallingDepth(const std::vector<std::vector<double>>& depths,
                                              const std::vector<int>& years);

// The eight (or fewer) rows of a storm of `stormHours` for one return period: durations up to the
// storm's length, depth texts as the table writes them. Refused (error text) when absent.
struct DesignStormRows {
    std::vector<std::pair<std::string, std::string>> rows;  // hours text, inches text
    std::string title2;
    std::string error;
};
DesignStormRows designStormRows(const PrecipFrequencyTable& table, int returnPeriodYears, double stormHours);

// The second title of a storm of the table: "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year".
std::string designStormTitle(const PrecipFrequencyTable& table, int returnPeriodYears);
// The table's site with its degrees as the file writes them, no more and no fewer decimals: "26.6 N
// 81.9 W"; a coordinate the file does not give is left out.
std::string sitePlace(const PrecipFrequencyTable& table);

// Writes the rows into the runoff fields (txtDuration(i), txtRain(i), the rest of the 8 rows emptied)
// and txtTile2; through setText so the window's change handlers run as for typing. Rows with an error
// write nothing.
void applyDesignStorm(basin::RunoffFields& fields, const DesignStormRows& rows);

}  // namespace brelvo::runoff
