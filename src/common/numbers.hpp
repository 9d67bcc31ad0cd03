// Number texts: the lenient leading-number read, the general text of a single, number patterns,
// and the conversions and counters of 16-bit integers. Every reader and writer of numbers goes here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brelvo::common {

// The longest leading number of a text after leading blanks (spaces and tabs); 0 when there is none.
// Accepts an optional sign, digits with one '.', and an exponent part ("E" or "D", optional sign,
// digits) only when digits follow it. "12abc" -> 12, " -3.5e2x" -> -350, "abc" -> 0, "." -> 0.
[[nodiscard]] double leadingNumber(std::string_view text);

// True when the text, after leading and trailing blanks, is one number in the form above and nothing else.
[[nodiscard]] bool isWholeNumber(std::string_view text);

// A box's text read as a run reads it: empty (only blanks), one number within the single range, or
// refused as no number ("1,5", "1/2", "2 miles", "nan") or as too large for a single ("1e39", "1e400",
// 400 digits). Never a failure: a box can hold anything the user types.
enum class BoxReading { empty, number, notANumber, tooLarge };
struct BoxNumber {
    BoxReading reading = BoxReading::empty;
    float value = 0;  // the number when reading is number, else 0
};
[[nodiscard]] BoxNumber readBoxNumber(std::string_view text);

// A number field of a data file, read strictly: the text, trimmed, must be wholly a number (as
// isWholeNumber) within the single range. Otherwise a failure ("Type mismatch", or "Overflow" past the
// range) whose cause names the file, the line (counted from 1) and the text.
[[nodiscard]] float fileNumber(std::string_view fileName, int line, std::string_view text);
// The general text of a single: its value rounded to 7 significant digits, trailing zeros dropped,
// no leading blank, "-" for negatives. Fixed notation for 1E-4 <= |v| < 1E7 (e.g. "0.0001", "1234567",
// "2.675", "-0.5", "0"); exponent form otherwise: "1E+38", "-1E+38", "1.234568E+07", "1E-05".
[[nodiscard]] std::string generalText(float value);

// The same rule for a double, with 15 significant digits and fixed notation for 1E-4 <= |v| < 1E15.
[[nodiscard]] std::string generalText(double value);

// A number as a message, a prompt or the status line shows it: `significant` digits (three unless
// told), the integer part never cut ("0.625" for a single holding 0.6249999, "0.0833", "1234");
// exponent form as generalText for very small or very large magnitudes. Never for the listing's or
// the report's figures, which keep their written rules.
[[nodiscard]] std::string messageNumber(double value, int significant = 3);

// Formats a number with a pattern such as "#####0.00", "#0.0", "#00", "0.000":
// '0' a digit always shown, '#' a digit shown only when significant, one '.' the decimal point.
// The number is rounded half away from zero to the pattern's decimals, taking the value as the user
// reads it: its shortest decimal text (a single holding 2.675 gives "2.68" with "0.00").
// No thousands separators; the integer part is never cut; "-" for negatives (never "-0.00").
[[nodiscard]] std::string formatPattern(float value, std::string_view pattern);
[[nodiscard]] std::string formatPattern(double value, std::string_view pattern);

// The same texts appended to `out`, for writers of many numbers.
void appendGeneralText(std::string& out, float value);
void appendFormatPattern(std::string& out, float value, std::string_view pattern);

// A pattern read once, for writers of many numbers in one pattern. A text that is not a pattern is
// refused as formatPattern refuses it.
struct NumberPattern {
    explicit NumberPattern(std::string_view text);
    int minimumIntegerDigits = 0;  // placeholders from the first integer '0' on
    int decimals = 0;              // placeholders after the point
    int requiredDecimals = 0;      // placeholders up to the last '0' after the point
    std::size_t width = 0;         // the pattern's length
};
void appendFormatPattern(std::string& out, float value, const NumberPattern& pattern);

// The single that value's text with `decimals` decimals (the pattern "0.000" for three) reads back as:
// readSingle(formatPattern(value, pattern)), the same bits, mostly without writing the text.
[[nodiscard]] float roundedToDecimals(float value, int decimals);

// A value held as a single: outside the single range, or not a number, it is an overflow failure,
// never an infinity carried on.
[[nodiscard]] float toSingle(double value);

// The lenient read of a text held as a single.
[[nodiscard]] float readSingle(std::string_view text);

// Conversion to a signed 16-bit integer: rounds halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2);
// outside -32768..32767 (after rounding) or not a number: throws overflow().
[[nodiscard]] std::int16_t toInt16(double value);

// Checked 16-bit arithmetic for counters and indices: a result outside -32768..32767 throws overflow().
[[nodiscard]] std::int16_t checkedAdd(std::int16_t a, int b);

// Plain integer text of a 16-bit counter ("0", "12", "-3").
[[nodiscard]] std::string integerText(int value);

}  // namespace brelvo::common
