// Single-byte text for files: UTF-8 characters up to U+00FF as their one byte, others as "?".
#include "common/single_byte_text.hpp"

namespace brelvo::common {

std::string singleByteText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
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

}  // namespace brelvo::common
