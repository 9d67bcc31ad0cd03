// Single-byte text for files: UTF-8 characters up to U+00FF as their one byte, others as "?".
#include "common/single_byte_text.hpp"

namespace brelvo::common {

std::string singleByteText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // A run of ASCII, most of any report, is copied whole.
        std::size_t ascii = i;
        while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
        if (ascii > i) {
            result.append(text.substr(i, ascii - i));
            i = ascii;
            continue;
        }
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        if (lead < 0x80) {
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (!valid || length == 1) {
            result += text[i];
            ++i;
            continue;
        }
        const unsigned code =
            length == 2 ? ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu) : 0x100u;
        result += code <= 0xFF ? static_cast<char>(code) : '?';
        i += length;
    }
    return result;
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 when there is none: no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
std::size_t utf8SequenceLength(std::string_view text) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte, narrowed where the lead allows less
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

std::string utf8Text(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = utf8SequenceLength(text.substr(i));
        if (length > 0) {
            result.append(text.substr(i, length));
            i += length;
            continue;
        }
        const auto single = static_cast<unsigned char>(text[i]);
        result += static_cast<char>(0xC0 | (single >> 6));
        result += static_cast<char>(0x80 | (single & 0x3F));
        ++i;
    }
    return result;
}

}  // namespace brelvo::common
