// Single-byte file text and the UTF-8 made of it again.
#include "common/single_byte_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace brelvo::common {
namespace {

TEST(SingleByteText, CharactersUpToFFBecomeOneByteAndOthersAQuestionMark) {
    EXPECT_EQ(singleByteText("12\xC2\xB0 F"), "12\xB0 F");  // degree sign
    EXPECT_EQ(singleByteText("\xE2\x82\xAC 5"), "? 5");     // euro sign: beyond U+00FF
    EXPECT_EQ(singleByteText("caf\xE9"), "caf\xE9");        // already single-byte
}

TEST(Utf8Text, AsciiIsUnchanged) {
    const std::string ascii = "Area = 1.25 sq mi\r\n\t\"quoted\" \\ back\x01\x7F";
    EXPECT_EQ(utf8Text(ascii), ascii);
}

TEST(Utf8Text, SingleByteCharactersBecomeTwoBytes) {
    EXPECT_EQ(utf8Text("12\xB0 F"), "12\xC2\xB0 F");
    EXPECT_EQ(utf8Text("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(utf8Text("\x80\xFF"), "\xC2\x80\xC3\xBF");
    // The reverse of singleByteText for every character it keeps.
    for (int code = 0x80; code <= 0xFF; ++code) {
        const std::string single(1, static_cast<char>(code));
        EXPECT_EQ(singleByteText(utf8Text(single)), single) << code;
    }
}

TEST(Utf8Text, WellFormedUtf8IsKept) {
    const std::string text = "12\xC2\xB0 \xE2\x82\xAC \xF0\x9F\x8C\xA7 \xED\x9F\xBF";  // up to U+D7FF
    EXPECT_EQ(utf8Text(text), text);
}

TEST(Utf8Text, BytesOfMalformedSequencesAreSingleByteCharacters) {
    EXPECT_EQ(utf8Text("\xC2"), "\xC3\x82");                                      // cut short at the end
    EXPECT_EQ(utf8Text("\xC2x"), "\xC3\x82x");                                    // no continuation byte
    EXPECT_EQ(utf8Text("\xC0\xAF"), "\xC3\x80\xC2\xAF");                          // overlong '/'
    EXPECT_EQ(utf8Text("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");              // a surrogate
    EXPECT_EQ(utf8Text("\xF4\x90\x80\x80"), "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80");  // beyond U+10FFFF
    EXPECT_EQ(utf8Text("\xE0\x80\x80"), "\xC3\xA0\xC2\x80\xC2\x80");              // overlong three bytes
}

}  // namespace
}  // namespace brelvo::common
