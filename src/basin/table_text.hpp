// How a hydrograph table writes its numbers: fixed-width columns that a number must not run past, and
// times written rounded, from which the table's time step is worked out.
#pragma once

#include <cstddef>
#include <string>

namespace brelvo::basin {

// The width of a fixed-width column.
inline constexpr std::size_t kColumn = 9;

// The text without its leading and trailing blanks (spaces and tabs).
std::string trimmed(const std::string& text);

// True when the characters [from, from + kColumn) of a line cut a number: a character that is not a
// blank stands on both sides of one of the column's edges.
bool cutsANumber(const std::string& line, std::size_t from);

// How far the time a table writes may lie from the time it stands for (hours): half a unit in its last
// decimal place, and a third of a second besides for times written a little off (0.0833 for 5 minutes).
// A whole number or a time in exponent form is taken as written.
double writtenRounding(const std::string& text, float value);

// The step of a table (hours) from the range its times leave it, [low, high]: the roundest whole number
// of minutes in the range (a multiple of an hour, then of 30, 15, 10, 5 minutes, then any), or else the
// first time as written (0.057 hours is 3.42 minutes), or the middle of the range.
float stepWithin(double low, double high, float first);

}  // namespace brelvo::basin
