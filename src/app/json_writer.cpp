// JSON writer for the script runner's dumps.
#include "app/json_writer.hpp"

#include <charconv>
#include <cmath>

#include "common/single_byte_text.hpp"

namespace brelvo::app {

void JsonWriter::separate() {
    if (needComma_) out_ += ',';
    needComma_ = false;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ += '{';
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    out_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ += '[';
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    out_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    value(name);
    out_ += ':';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    out_ += '"';
    // Texts read from single-byte files reach the dump as they are; JSON is UTF-8.
    for (const char c : common::utf8Text(text)) {
        switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '\r':
                out_ += "\\r";
                break;
            case '\t':
                out_ += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    static const char* hex = "0123456789abcdef";
                    out_ += "\\u00";
                    out_ += hex[(c >> 4) & 0xF];
                    out_ += hex[c & 0xF];
                } else {
                    out_ += c;
                }
        }
    }
    out_ += '"';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(bool b) {
    separate();
    out_ += b ? "true" : "false";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(int n) {
    separate();
    out_ += std::to_string(n);
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(float f) {
    separate();
    if (!std::isfinite(f)) {
        out_ += "null";  // JSON has no infinities; the dump never hides a number that is one
    } else {
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::general, 9);
        out_.append(buf, res.ptr);
    }
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ += "null";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(double d) {
    separate();
    if (!std::isfinite(d)) {
        out_ += "null";
    } else {
        char buf[40];
        const auto res = std::to_chars(buf, buf + sizeof buf, d);
        out_.append(buf, res.ptr);
    }
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::point(float x, float y) {
    beginArray();
    value(x);
    value(y);
    return endArray();
}

JsonWriter& JsonWriter::tree(const common::ValueTree& t) {
    using Kind = common::ValueTree::Kind;
    switch (t.kind()) {
        case Kind::Null:
            separate();
            out_ += "null";
            needComma_ = true;
            return *this;
        case Kind::Bool:
            return value(t.asBool());
        case Kind::Integer:
            return value(static_cast<int>(t.asNumber()));
        case Kind::Single:
            return value(static_cast<float>(t.asNumber()));
        case Kind::Double:
            return value(t.asNumber());
        case Kind::Text:
            return value(t.asText());
        case Kind::List:
            beginArray();
            for (const auto& item : t.asList()) tree(item);
            return endArray();
        case Kind::Map:
            beginObject();
            for (const auto& [name, item] : t.asMap()) key(name).tree(item);
            return endObject();
    }
    return *this;
}

}  // namespace brelvo::app
