// The dump's JSON: texts escaped so that they read back, every line valid UTF-8, ASCII byte for byte.
#include "app/json_writer.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace brelvo::app {
namespace {

std::string textValue(std::string_view text) {
    JsonWriter json;
    json.value(text);
    return json.str();
}

TEST(JsonWriter, QuotesBackslashesAndControlCharactersAreEscaped) {
    EXPECT_EQ(textValue("say \"Ok\""), R"("say \"Ok\"")");
    EXPECT_EQ(textValue("C:\\maps\\basin.bmp"), R"("C:\\maps\\basin.bmp")");
    EXPECT_EQ(textValue("a\r\nb\tc"), R"("a\r\nb\tc")");
    EXPECT_EQ(textValue(std::string("\x01\x1F\x00", 3)), R"("\u0001\u001f\u0000")");
    EXPECT_EQ(textValue("\x7F"), "\"\x7F\"");  // DEL needs no escape
}

TEST(JsonWriter, AsciiObjectIsWrittenExactly) {
    JsonWriter json;
    json.beginObject();
    json.key("caption").value("Brelvo - Area");
    json.key("scale").value(true);
    json.key("n").value(-3);
    json.key("area").value(1.25f);
    json.key("third").value(1.0f / 3.0f);
    json.key("inf").value(std::numeric_limits<float>::infinity());
    json.key("d").value(0.1);
    json.key("points").beginArray().point(1.5f, -2.0f).point(0.0f, 3.0f).endArray();
    json.key("empty").beginObject().endObject();
    json.endObject();
    EXPECT_EQ(json.str(),
              R"({"caption":"Brelvo - Area","scale":true,"n":-3,"area":1.25,"third":0.333333343,"inf":null,)"
              R"("d":0.1,"points":[[1.5,-2],[0,3]],"empty":{}})");
}

TEST(JsonWriter, SingleByteTextBecomesUtf8) {
    // A file title read as single bytes: the degree sign (0xB0) and e acute (0xE9).
    EXPECT_EQ(textValue("12\xB0 caf\xE9"), "\"12\xC2\xB0 caf\xC3\xA9\"");
    // A key too, and a quote after a single byte is still escaped.
    JsonWriter json;
    json.beginObject().key("t\xFC").value("\xFF\"").endObject();
    EXPECT_EQ(json.str(), "{\"t\xC3\xBC\":\"\xC3\xBF\\\"\"}");
}

TEST(JsonWriter, Utf8TextIsKept) {
    EXPECT_EQ(textValue("12\xC2\xB0 \xE2\x82\xAC"), "\"12\xC2\xB0 \xE2\x82\xAC\"");
}

}  // namespace
}  // namespace brelvo::app
