// Number texts users check by hand: every digit of a read, a general text or a pattern must be right.
#include "common/numbers.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "support/failure_number.hpp"

namespace brelvo::common {
namespace {

using testing_support::failureNumber;

TEST(LeadingNumber, ReadsTheLongestLeadingNumber) {
    EXPECT_EQ(leadingNumber("12abc"), 12.0);
    EXPECT_EQ(leadingNumber("  -3.5e2x"), -350.0);
    EXPECT_EQ(leadingNumber("1e"), 1.0);
    EXPECT_EQ(leadingNumber("1e+"), 1.0);
    EXPECT_EQ(leadingNumber("2E-3"), 0.002);
    EXPECT_EQ(leadingNumber("1D2"), 100.0);
    EXPECT_EQ(leadingNumber("-2d-1"), -0.2);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("-.5"), -0.5);
    EXPECT_EQ(leadingNumber("5."), 5.0);
    EXPECT_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(leadingNumber("\t7"), 7.0);
    EXPECT_EQ(leadingNumber("1,000"), 1.0);
    EXPECT_EQ(leadingNumber("+4"), 4.0);
    EXPECT_EQ(leadingNumber("0.1"), 0.1);
}

TEST(LeadingNumber, NoNumberReadsAsZero) {
    for (const char* text : {"", "-", "+", ".", "-.", "abc", "   ", "e5", "\n7"}) {
        EXPECT_EQ(leadingNumber(text), 0.0) << '"' << text << '"';
    }
}

TEST(LeadingNumber, BeyondDoubleRange) {
    EXPECT_EQ(leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("0e999"), 0.0);
    EXPECT_EQ(failureNumber([] { (void)leadingNumber("-1e400"); }), 6);
    EXPECT_EQ(leadingNumber("0.00001e310"), 1e305);
}

TEST(IsWholeNumber, OnlyOneNumberBetweenBlanks) {
    EXPECT_TRUE(isWholeNumber(" 12.5 "));
    EXPECT_TRUE(isWholeNumber("\t-.5e3\t"));
    EXPECT_TRUE(isWholeNumber("+4"));
    EXPECT_FALSE(isWholeNumber("12abc"));
    EXPECT_FALSE(isWholeNumber("1e"));
    EXPECT_FALSE(isWholeNumber("1 2"));
    EXPECT_FALSE(isWholeNumber("-"));
    EXPECT_FALSE(isWholeNumber("  "));
    EXPECT_FALSE(isWholeNumber(""));
}

TEST(GeneralTextSingle, SevenDigitsOfTheShortestText) {
    EXPECT_EQ(generalText(0.1f), "0.1");
    EXPECT_EQ(generalText(1.0f / 3), "0.3333333");
    EXPECT_EQ(generalText(2.0f / 3), "0.6666667");
    EXPECT_EQ(generalText(2.675f), "2.675");
    EXPECT_EQ(generalText(123456.75f), "123456.8");
    EXPECT_EQ(generalText(-123456.75f), "-123456.8");
    EXPECT_EQ(generalText(-0.5f), "-0.5");
    EXPECT_EQ(generalText(100.0f), "100");
    EXPECT_EQ(generalText(0.0f), "0");
    EXPECT_EQ(generalText(-0.0f), "0");
    // Shortest text 3.4028235E+38: the decimal half rounds up, the binary value would not.
    EXPECT_EQ(generalText(std::numeric_limits<float>::max()), "3.402824E+38");
}

TEST(GeneralTextSingle, FixedAndExponentBoundaries) {
    EXPECT_EQ(generalText(1e38f), "1E+38");
    EXPECT_EQ(generalText(-1e38f), "-1E+38");
    EXPECT_EQ(generalText(9999999.0f), "9999999");
    EXPECT_EQ(generalText(-9999999.0f), "-9999999");
    EXPECT_EQ(generalText(10000000.0f), "1E+07");
    EXPECT_EQ(generalText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(generalText(0.0001f), "0.0001");
    EXPECT_EQ(generalText(-0.00012345f), "-0.00012345");
    EXPECT_EQ(generalText(0.00009999999f), "9.999999E-05");
    EXPECT_EQ(generalText(0.00001f), "1E-05");
    EXPECT_EQ(generalText(std::numeric_limits<float>::denorm_min()), "1E-45");
}

TEST(GeneralTextSingle, NotANumberOrInfinite) {
    EXPECT_EQ(generalText(std::numeric_limits<float>::quiet_NaN()), "NaN");
    EXPECT_EQ(generalText(std::numeric_limits<float>::infinity()), "Inf");
    EXPECT_EQ(generalText(-std::numeric_limits<float>::infinity()), "-Inf");
    EXPECT_EQ(generalText(std::numeric_limits<double>::quiet_NaN()), "NaN");
}

TEST(GeneralTextDouble, FifteenDigits) {
    EXPECT_EQ(generalText(0.1 + 0.2), "0.3");
    EXPECT_EQ(generalText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(generalText(-2.5), "-2.5");
    EXPECT_EQ(generalText(123456789012345.0), "123456789012345");
    EXPECT_EQ(generalText(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(generalText(1e300), "1E+300");
    EXPECT_EQ(generalText(5e-324), "5E-324");
    // Notation follows the rounded value: just below a boundary rounds onto it.
    EXPECT_EQ(generalText(std::nextafter(1e15, 0.0)), "1E+15");
    EXPECT_EQ(generalText(std::nextafter(1e-4, 0.0)), "0.0001");
    EXPECT_EQ(generalText(0.00001), "1E-05");
}

TEST(FormatPattern, RoundsTheTextTheUserReads) {
    EXPECT_EQ(formatPattern(2.675f, "0.00"), "2.68");
    EXPECT_EQ(formatPattern(0.35f, "0.0"), "0.4");
    EXPECT_EQ(formatPattern(-1.005, "0.00"), "-1.01");
    EXPECT_EQ(formatPattern(12.25f, "#0.0"), "12.3");
    EXPECT_EQ(formatPattern(9.995f, "0.00"), "10.00");
    EXPECT_EQ(formatPattern(123.456, "#####0.00"), "123.46");
    EXPECT_EQ(formatPattern(2.2957e-5f, "0.0000000"), "0.0000230");
    EXPECT_EQ(formatPattern(0.1f, "0.0000000000"), "0.1000000000");
    EXPECT_EQ(formatPattern(-2.5f, "0"), "-3");
    EXPECT_EQ(formatPattern(0.5f, "#"), "1");
    EXPECT_EQ(formatPattern(-0.005f, "0.00"), "-0.01");
}

TEST(FormatPattern, IntegerDigits) {
    EXPECT_EQ(formatPattern(5.0f, "#00"), "05");
    EXPECT_EQ(formatPattern(1234.5f, "#00"), "1235");
    EXPECT_EQ(formatPattern(0.0f, "#0"), "0");
    EXPECT_EQ(formatPattern(0.25f, "#.00"), ".25");
    EXPECT_EQ(formatPattern(1e20f, "0.00"), "100000000000000000000.00");
    EXPECT_EQ(formatPattern(123456.75f, "0.0"), "123456.8");
}

TEST(FormatPattern, NoNegativeZero) {
    EXPECT_EQ(formatPattern(-0.001f, "0.00"), "0.00");
    EXPECT_EQ(formatPattern(-0.0f, "0.0"), "0.0");
    EXPECT_EQ(formatPattern(-0.4, "#0"), "0");
}

TEST(RoundedToDecimals, TheSingleThePatternsTextReadsBackAs) {
    EXPECT_EQ(roundedToDecimals(2.675f, 2), 2.68f);   // the text the user reads, not 2.67499995
    EXPECT_EQ(roundedToDecimals(0.0995f, 3), 0.1f);   // "0.100"
    EXPECT_EQ(roundedToDecimals(-0.0004f, 3), 0.0f);  // "0.000", never -0
    EXPECT_FALSE(std::signbit(roundedToDecimals(-0.0004f, 3)));
    EXPECT_EQ(roundedToDecimals(-1.25f, 1), -1.3f);  // half away from zero
    EXPECT_EQ(roundedToDecimals(9.949f, 1), 9.9f);
    EXPECT_EQ(roundedToDecimals(7.5f, 0), 8.0f);

    // Singles across the ranges hydrographs round this way (with their neighbours), small ones down to
    // 1e-8 of both signs, and the halves between the rounded values (0.0005, 0.0015, ...) read back
    // bit for bit as their pattern's text does.
    std::vector<float> values;
    for (int k = -80000; k <= 80000; ++k) {
        const float v = static_cast<float>(k) * 1.25e-4f + 3.0e-6f * static_cast<float>(k % 7);
        values.insert(values.end(), {v, std::nextafter(v, -20.0f), std::nextafter(v, 20.0f)});
    }
    for (double v = 1e-8; v < 0.1; v *= 1.01)
        values.insert(values.end(), {static_cast<float>(v), -static_cast<float>(v)});
    int compared = 0;
    for (const int decimals : {1, 2, 3}) {
        const std::string pattern = "0." + std::string(static_cast<std::size_t>(decimals), '0');
        std::vector<float> halves = values;
        for (int k = -20000; k <= 20000; ++k)
            halves.push_back(static_cast<float>((k + 0.5) / std::pow(10.0, decimals)));
        for (const float x : halves) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(roundedToDecimals(x, decimals)),
                      std::bit_cast<std::uint32_t>(readSingle(formatPattern(x, pattern))))
                << x << " with " << pattern;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000000);
}

TEST(FormatPattern, OptionalDecimals) {
    EXPECT_EQ(formatPattern(1.5f, "0.##"), "1.5");
    EXPECT_EQ(formatPattern(2.004f, "0.##"), "2");
    EXPECT_EQ(formatPattern(2.0f, "0.0#"), "2.0");
    EXPECT_EQ(formatPattern(2.125f, "0.0#"), "2.13");
}

TEST(FormatPattern, NonFiniteAndInvalidPatterns) {
    EXPECT_EQ(formatPattern(std::numeric_limits<float>::quiet_NaN(), "0.00"), "NaN");
    EXPECT_EQ(formatPattern(-std::numeric_limits<double>::infinity(), "0.00"), "-Inf");
    EXPECT_EQ(failureNumber([] { (void)formatPattern(1.0f, "#,##0"); }), 5);
    EXPECT_EQ(failureNumber([] { (void)formatPattern(1.0, "0.0.0"); }), 5);
}

TEST(ToInt16, RoundsHalvesToEven) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(-3.5), -4);
    EXPECT_EQ(toInt16(0.5), 0);
    EXPECT_EQ(toInt16(2.5000001), 3);
    EXPECT_EQ(toInt16(-1.4999999), -1);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768.5), -32768);
}

TEST(ToInt16, OutOfRangeOrNotANumberOverflows) {
    for (double value : {32767.5, -32768.6, 1e10, std::numeric_limits<double>::quiet_NaN(),
                         -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(failureNumber([value] { (void)toInt16(value); }), 6) << value;
    }
}

TEST(CheckedAdd, CountsWithinSixteenBits) {
    EXPECT_EQ(checkedAdd(32766, 1), 32767);
    EXPECT_EQ(checkedAdd(10, -3), 7);
    EXPECT_EQ(checkedAdd(-32768, 65535), 32767);
    EXPECT_EQ(failureNumber([] { (void)checkedAdd(32767, 1); }), 6);
    EXPECT_EQ(failureNumber([] { (void)checkedAdd(-32768, -1); }), 6);
    EXPECT_EQ(failureNumber([] { (void)checkedAdd(0, std::numeric_limits<int>::max()); }), 6);
}

TEST(ToSingle, HoldsWhatASingleCanAndRefusesTheRest) {
    EXPECT_EQ(toSingle(0.1), 0.1f);
    EXPECT_EQ(toSingle(-3.4e38), -3.4e38f);
    EXPECT_EQ(readSingle(" 2.5 in"), 2.5f);
    EXPECT_EQ(readSingle("in"), 0.0f);
    EXPECT_EQ(failureNumber([] { (void)toSingle(3.5e38); }), 6);
    EXPECT_EQ(failureNumber([] { (void)toSingle(std::numeric_limits<double>::quiet_NaN()); }), 6);
    EXPECT_EQ(failureNumber([] { (void)readSingle("1e39"); }), 6);
}

TEST(IntegerText, PlainDigits) {
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(12), "12");
    EXPECT_EQ(integerText(-3), "-3");
    EXPECT_EQ(integerText(-32768), "-32768");
}

// A box's text as a run reads it: one number within the single range, or refused by kind; never a
// failure, whatever was typed ("1e400" and 400 digits once ended the program).
TEST(ReadBoxNumber, OneNumberWithinTheSingleRangeOrRefusedByKind) {
    const auto reading = [](std::string_view text) { return readBoxNumber(text).reading; };
    EXPECT_EQ(readBoxNumber(" 2.5 ").value, 2.5f);
    EXPECT_EQ(readBoxNumber("-3e2").value, -300.0f);
    EXPECT_EQ(readBoxNumber("3.4e38").value, 3.4e38f);
    EXPECT_EQ(reading(" \t"), BoxReading::empty);
    for (const char* text : {"1,950", "3,0", "1/2", "1 1/2", "1.5.5", "2 miles", "three", "nan", "inf", "."})
        EXPECT_EQ(reading(text), BoxReading::notANumber) << text;
    for (const std::string& text : {std::string("1e39"), std::string("-1e39"), std::string("1e400"),
                                    std::string(400, '9'), std::string("3.5e38")})
        EXPECT_EQ(reading(text), BoxReading::tooLarge) << text;
    EXPECT_EQ(readBoxNumber("1e-400").value, 0.0f);  // below the double range: 0, as the lenient read
}

// Numbers in messages and prompts to their meaningful digits, the integer part whole.
TEST(MessageNumber, ThreeSignificantDigitsTheIntegerPartWhole) {
    EXPECT_EQ(messageNumber(0.6249999f), "0.625");
    EXPECT_EQ(messageNumber(0.08333334f), "0.0833");
    EXPECT_EQ(messageNumber(1.0f / 24), "0.0417");
    EXPECT_EQ(messageNumber(0.3000000045), "0.3");
    EXPECT_EQ(messageNumber(1234.56), "1235");
    EXPECT_EQ(messageNumber(-2.5), "-2.5");
    EXPECT_EQ(messageNumber(0), "0");
    EXPECT_EQ(messageNumber(12.3456, 6), "12.3456");
    EXPECT_EQ(messageNumber(1.2345678e-7), "1.23E-07");
}

}  // namespace
}  // namespace brelvo::common
