// Number texts: every number is rounded as decimal digits, the way the user reads it, never in binary.
#include "common/numbers.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <type_traits>

#include "common/failure.hpp"
#include "common/messages.hpp"

namespace brelvo::common {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A finite number as decimal digits: value = d1.d2d3... x 10^exponent. No leading or trailing
// zeros in digits; zero has no digits at all. Held in place: number texts are written by the
// hundred thousand in a report, so nothing here allocates.
struct Decimal {
    bool negative = false;
    int count = 0;  // digits in use
    int exponent = 0;
    std::array<char, 24> digits{};  // a double's shortest text has at most 17
};

void dropTrailingZeros(Decimal& d) {
    while (d.count > 0 && d.digits[static_cast<std::size_t>(d.count - 1)] == '0') --d.count;
    if (d.count == 0) d.exponent = 0;  // zero, whatever its sign
}

// The shortest decimal text that reads back as the same float resp. double: what the user sees,
// so 2.675f is 2.675 here and not 2.67499995...
template <typename T>
Decimal shortestDecimal(T value) {
    std::array<char, 64> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific);
    const char* p = buffer.data();

    Decimal d;
    if (p < end && *p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < end && *p != 'e'; ++p) {
        if (isDigit(*p)) d.digits[static_cast<std::size_t>(d.count++)] = *p;
    }
    // to_chars writes "e+05" or "e-05".
    ++p;
    bool negativeExponent = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negativeExponent = *p == '-';
        ++p;
    }
    int magnitude = 0;
    for (; p < end; ++p) magnitude = magnitude * 10 + (*p - '0');
    d.exponent = negativeExponent ? -magnitude : magnitude;
    dropTrailingZeros(d);
    return d;
}

// Keeps `keep` significant digits, rounding half away from zero on the decimal digits.
// keep may be zero or negative when the number lies entirely below the last kept place.
void roundToDigits(Decimal& d, int keep) {
    if (d.count == 0 || d.count <= keep) return;
    if (keep < 0) {
        d.count = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.count = keep;
    if (up) {
        int i = d.count;
        while (i > 0 && d.digits[static_cast<std::size_t>(i - 1)] == '9') {
            d.digits[static_cast<std::size_t>(i - 1)] = '0';
            --i;
        }
        if (i == 0) {
            // Every kept digit carried over (9.995 -> 10.00), or nothing was kept (0.5 -> 1).
            d.digits[0] = '1';
            d.count = 1;
            d.exponent += 1;
            return;
        }
        d.digits[static_cast<std::size_t>(i - 1)] += 1;
    }
    dropTrailingZeros(d);
}

// The fixed-notation parts of a decimal, as counts: integer digits (0 for zero and for numbers below
// 1) and fraction digits (no trailing zeros), the fraction's leading zeros included.
struct FixedParts {
    int integerDigits = 0;
    int fractionDigits = 0;
};

FixedParts fixedParts(const Decimal& d) {
    if (d.count == 0) return {};
    if (d.exponent >= 0) {
        const int integerDigits = d.exponent + 1;
        return {integerDigits, d.count > integerDigits ? d.count - integerDigits : 0};
    }
    return {0, -d.exponent - 1 + d.count};
}

// The integer part's digits: the decimal's digits, then zeros up to the units.
void appendIntegerPart(std::string& out, const Decimal& d, int integerDigits) {
    const int shown = std::min(d.count, integerDigits);
    out.append(d.digits.data(), static_cast<std::size_t>(shown));
    out.append(static_cast<std::size_t>(integerDigits - shown), '0');
}

// The fraction's digits: zeros after the point for a number below 1, then the decimal's digits.
void appendFraction(std::string& out, const Decimal& d, const FixedParts& parts) {
    if (parts.fractionDigits == 0) return;
    if (parts.integerDigits == 0) {
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits.data(), static_cast<std::size_t>(d.count));
    } else {
        out.append(d.digits.data() + parts.integerDigits, static_cast<std::size_t>(parts.fractionDigits));
    }
}

void appendNonFinite(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
    } else {
        out += value < 0 ? "-Inf" : "Inf";
    }
}

// General text: `significant` digits, fixed notation for 1E-4 <= |v| < 10^fixedBelowExponent.
template <typename T>
void appendGeneralText(std::string& out, T value, int significant, int fixedBelowExponent) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, static_cast<double>(value));
        return;
    }
    // A whole number of no more digits than are shown is its own text (rounded flows mostly are).
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double whole = kPowers[std::clamp(std::min(significant, fixedBelowExponent), 0, 15)];
    if (value != 0 && std::fabs(static_cast<double>(value)) < whole && value == std::trunc(value)) {
        std::array<char, 24> digits{};
        const auto [end, ec] =
            std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::int64_t>(value));
        out.append(digits.data(), end);
        return;
    }
    Decimal d = shortestDecimal(value);
    roundToDigits(d, significant);
    if (d.count == 0) {
        out += '0';
        return;
    }
    if (d.negative) out += '-';
    // The choice of notation follows the rounded value: 9.9999999E-05 reads as 0.0001.
    if (d.exponent >= -4 && d.exponent < fixedBelowExponent) {
        const FixedParts parts = fixedParts(d);
        if (parts.integerDigits == 0) {
            out += '0';
        } else {
            appendIntegerPart(out, d, parts.integerDigits);
        }
        if (parts.fractionDigits > 0) {
            out += '.';
            appendFraction(out, d, parts);
        }
        return;
    }
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits.data() + 1, static_cast<std::size_t>(d.count - 1));
    }
    out += d.exponent < 0 ? "E-" : "E+";
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    if (magnitude < 10) out += '0';
    std::array<char, 8> exponentText{};
    const auto [end, ec] =
        std::to_chars(exponentText.data(), exponentText.data() + exponentText.size(), magnitude);
    out.append(exponentText.data(), end);
}

}  // namespace

// A pattern of '0', '#' and at most one '.'.
NumberPattern::NumberPattern(std::string_view text) : width(text.size()) {
    NumberPattern& p = *this;
    bool afterPoint = false;
    bool integerZeroSeen = false;
    for (char c : text) {
        if (c == '.') {
            if (afterPoint) throw invalidProcedureCall();
            afterPoint = true;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++p.decimals;
                if (c == '0') p.requiredDecimals = p.decimals;
            } else {
                integerZeroSeen = integerZeroSeen || c == '0';
                if (integerZeroSeen) ++p.minimumIntegerDigits;
            }
        } else {
            throw invalidProcedureCall();
        }
    }
}

namespace {

// The value times 10^decimals, rounded half away from zero as the user's reading of the single rounds
// (why that is safe is told at appendPatternQuickly, below); false when the quick way cannot be sure, or
// past 10^15 or nine decimals.
bool roundedScaled(float value, int decimals, std::uint64_t& rounded) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (decimals < 0 || decimals > 9) return false;
    const double scaled = std::fabs(static_cast<double>(value)) * kPowers[decimals];
    if (!(scaled < 1e15)) return false;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact
    if (std::fabs(fraction - 0.5) <= scaled * 6.0e-8 + 1e-12) return false;
    rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    return true;
}

// A single with a pattern of at most nine decimals, the quick way: the value times 10^decimals,
// rounded half away from zero. The number the user reads is the single's shortest decimal, which lies
// within half a step of the single, at most 2^-24 of its size away; unless the product's fraction is
// that close to a half, the shortest decimal rounds to the same integer. Returns false, writing
// nothing, when the quick way cannot be sure, and for products past 10^15.
bool appendPatternQuickly(std::string& out, float value, const NumberPattern& pattern) {
    std::uint64_t rounded = 0;
    if (pattern.minimumIntegerDigits > 24 || !roundedScaled(value, pattern.decimals, rounded)) return false;

    std::array<char, 24> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), rounded);
    const int count = static_cast<int>(end - digits.data());
    const int integerDigits = rounded == 0 ? 0 : std::max(0, count - pattern.decimals);
    // The fraction's digits, zeros before the digits of a small number, without trailing zeros.
    std::array<char, 16> fraction10{};
    int fractionDigits = 0;
    if (rounded != 0) {
        for (int i = 0; i < pattern.decimals; ++i) {
            const int from = count - pattern.decimals + i;  // index into digits, negative: a leading zero
            fraction10[static_cast<std::size_t>(i)] =
                from >= 0 ? digits[static_cast<std::size_t>(from)] : '0';
        }
        fractionDigits = pattern.decimals;
        while (fractionDigits > 0 && fraction10[static_cast<std::size_t>(fractionDigits - 1)] == '0')
            --fractionDigits;
    }

    // Composed in place and appended once: sign, zeros, 16 digits, point, nine decimals fit.
    std::array<char, 64> text{};
    char* p = text.data();
    if (value < 0 && rounded != 0) *p++ = '-';
    for (int k = integerDigits; k < pattern.minimumIntegerDigits; ++k) *p++ = '0';
    p = std::copy(digits.data(), digits.data() + integerDigits, p);
    if (fractionDigits > 0 || pattern.requiredDecimals > 0) {
        *p++ = '.';
        p = std::copy(fraction10.data(), fraction10.data() + fractionDigits, p);
        for (int k = fractionDigits; k < pattern.requiredDecimals; ++k) *p++ = '0';
    }
    out.append(text.data(), p);
    return true;
}

template <typename T>
void appendPattern(std::string& out, T value, const NumberPattern& pattern) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, static_cast<double>(value));
        return;
    }
    if constexpr (std::is_same_v<T, float>) {
        if (appendPatternQuickly(out, value, pattern)) return;
    }
    Decimal d = shortestDecimal(value);
    if (d.count > 0) roundToDigits(d, d.exponent + 1 + pattern.decimals);
    const FixedParts parts = fixedParts(d);

    // Only a number that is still nonzero after rounding keeps its sign: never "-0.00".
    if (d.negative && d.count > 0) out += '-';
    if (parts.integerDigits < pattern.minimumIntegerDigits)
        out.append(static_cast<std::size_t>(pattern.minimumIntegerDigits - parts.integerDigits), '0');
    appendIntegerPart(out, d, parts.integerDigits);
    if (parts.fractionDigits > 0 || pattern.requiredDecimals > 0) {
        out += '.';
        appendFraction(out, d, parts);
        if (parts.fractionDigits < pattern.requiredDecimals)
            out.append(static_cast<std::size_t>(pattern.requiredDecimals - parts.fractionDigits), '0');
    }
}

// The number at the start of text[start..] in the lenient form. Returns the end of the number
// (start when there is none) and its text in a form std::from_chars reads.
struct ScannedNumber {
    std::size_t end = 0;
    std::string readable;
    int firstDigitExponent = 0;  // decimal exponent of the first significant digit, when nonzero
    bool nonzero = false;
};

ScannedNumber scanNumber(std::string_view text, std::size_t start) {
    ScannedNumber n;
    n.end = start;
    std::size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') n.readable += '-';
        ++i;
    }
    std::size_t digitCount = 0;
    int integerDigitsSoFar = 0;  // counted from the first nonzero digit
    for (; i < text.size() && isDigit(text[i]); ++i) {
        n.readable += text[i];
        ++digitCount;
        if (n.nonzero) {
            ++integerDigitsSoFar;
        } else if (text[i] != '0') {
            n.nonzero = true;
            integerDigitsSoFar = 1;
        }
    }
    int placeOfFirst = integerDigitsSoFar - 1;  // place of the first nonzero digit, 0 = units
    if (i < text.size() && text[i] == '.') {
        n.readable += '.';
        ++i;
        int place = -1;
        for (; i < text.size() && isDigit(text[i]); ++i, --place) {
            n.readable += text[i];
            ++digitCount;
            if (!n.nonzero && text[i] != '0') {
                n.nonzero = true;
                placeOfFirst = place;
            }
        }
    }
    if (digitCount == 0) {
        n.readable.clear();
        return n;
    }
    n.end = i;

    int exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        // The exponent belongs to the number only when digits follow: "1e+" reads as 1.
        if (j < text.size() && isDigit(text[j])) {
            n.readable += 'e';
            if (negativeExponent) n.readable += '-';
            for (; j < text.size() && isDigit(text[j]); ++j) {
                n.readable += text[j];
                // Saturates far beyond any double so that a long exponent cannot overflow an int.
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
            }
            if (negativeExponent) exponent = -exponent;
            n.end = j;
        }
    }
    n.firstDigitExponent = placeOfFirst + exponent;
    return n;
}

std::size_t skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return i;
}

}  // namespace

double leadingNumber(std::string_view text) {
    const ScannedNumber n = scanNumber(text, skipBlanks(text));
    if (n.readable.empty()) return 0.0;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(n.readable.data(), n.readable.data() + n.readable.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double reads as 0; too large cannot be held and is an overflow.
        if (n.nonzero && n.firstDigitExponent > 0) throw overflow();
        return 0.0;
    }
    return value;
}

bool isWholeNumber(std::string_view text) {
    std::size_t last = text.size();
    while (last > 0 && isBlank(text[last - 1])) --last;
    const std::string_view trimmed = text.substr(0, last);
    const std::size_t start = skipBlanks(trimmed);
    const ScannedNumber n = scanNumber(trimmed, start);
    return !n.readable.empty() && n.end == trimmed.size();
}

float fileNumber(std::string_view fileName, int line, std::string_view text) {
    std::size_t last = text.size();
    while (last > 0 && isBlank(text[last - 1])) --last;
    const std::size_t first = skipBlanks(text.substr(0, last));
    const std::string_view shown = text.substr(first, last - first);
    if (!isWholeNumber(text)) throw typeMismatch().because(msg::fileFieldNotNumber(fileName, line, shown));
    double value = 0;
    try {
        value = leadingNumber(text);
    } catch (const RuntimeFailure&) {
        value = std::numeric_limits<double>::infinity();  // past the double range: too large, said below
    }
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()))) {
        throw overflow().because(msg::fileFieldTooLarge(fileName, line, shown));
    }
    return static_cast<float>(value);
}

std::string generalText(float value) {
    std::string text;
    appendGeneralText(text, value, 7, 7);
    return text;
}

std::string generalText(double value) {
    std::string text;
    appendGeneralText(text, value, 15, 15);
    return text;
}

std::string messageNumber(double value, int significant) {
    const double magnitude = std::fabs(value);
    if (std::isfinite(value) && magnitude >= 1) {
        significant = std::max(significant, static_cast<int>(std::floor(std::log10(magnitude))) + 1);
    }
    significant = std::clamp(significant, 1, 15);
    std::string text;
    appendGeneralText(text, value, significant, 15);
    return text;
}

void appendGeneralText(std::string& out, float value) {
    appendGeneralText(out, value, 7, 7);
}

std::string formatPattern(float value, std::string_view pattern) {
    std::string text;
    appendPattern(text, value, NumberPattern(pattern));
    return text;
}

std::string formatPattern(double value, std::string_view pattern) {
    std::string text;
    appendPattern(text, value, NumberPattern(pattern));
    return text;
}

void appendFormatPattern(std::string& out, float value, std::string_view pattern) {
    appendPattern(out, value, NumberPattern(pattern));
}

void appendFormatPattern(std::string& out, float value, const NumberPattern& pattern) {
    appendPattern(out, value, pattern);
}

float toSingle(double value) {
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        throw overflow();
    }
    return static_cast<float>(value);
}

float roundedToDecimals(float value, int decimals) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    std::uint64_t rounded = 0;
    if (std::isfinite(value) && roundedScaled(value, decimals, rounded)) {
        if (rounded == 0) return 0.0f;  // the text is never "-0.000"
        // The text reads as the double nearest to rounded / 10^decimals, which is what the division
        // gives: both are exact before the one rounding.
        const double magnitude = static_cast<double>(rounded) / kPowers[decimals];
        return toSingle(value < 0 ? -magnitude : magnitude);
    }
    std::string pattern = "0";
    if (decimals > 0) pattern += "." + std::string(static_cast<std::size_t>(decimals), '0');
    return readSingle(formatPattern(value, pattern));
}

float readSingle(std::string_view text) {
    return toSingle(leadingNumber(text));
}

}  // namespace brelvo::common
