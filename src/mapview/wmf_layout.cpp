// The layout of a Windows metafile: its headers and its records' sizes, checked without drawing.
#include "mapview/wmf_layout.hpp"

#include <cstdint>

#include "common/messages.hpp"
#include "mapview/wmf_picture.hpp"

namespace brelvo::mapview {

namespace msg = common::msg;

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr qsizetype kPlaceableHeaderBytes = 22;
constexpr qsizetype kMetaHeaderBytes = 18;
constexpr std::uint16_t kMetaHeaderWords = 9;
constexpr qsizetype kRecordHeaderBytes = 6;  // size in 16-bit words (32 bits), then the function (16 bits)
constexpr std::uint32_t kEndRecordWords = 3;
constexpr std::uint16_t kEndRecordFunction = 0x0000;

std::uint16_t u16At(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t u32At(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(u16At(b, at)) | (static_cast<std::uint32_t>(u16At(b, at + 2)) << 16);
}

// Memory (1) or disk (2) metafile, a 9-word header, Windows 2 or 3 records.
bool isMetaHeader(const QByteArray& b, qsizetype at) {
    if (b.size() - at < 6) return false;
    const std::uint16_t type = u16At(b, at);
    const std::uint16_t words = u16At(b, at + 2);
    const std::uint16_t version = u16At(b, at + 4);
    return (type == 1 || type == 2) && words == kMetaHeaderWords && (version == 0x0100 || version == 0x0300);
}

bool isPlaceable(const QByteArray& b) {
    return b.size() >= 4 && u32At(b, 0) == kPlaceableKey;
}

}  // namespace

bool looksLikeWmf(const QByteArray& head) {
    return isPlaceable(head) || isMetaHeader(head, 0);
}

std::string checkWmfLayout(const QByteArray& b, bool& placeable) {
    placeable = isPlaceable(b);
    qsizetype at = 0;
    if (placeable) {
        if (b.size() < kPlaceableHeaderBytes) return std::string(msg::kMetafileHeaderCut);
        // libwmf divides by it to find the picture's size.
        if (u16At(b, 14) == 0) return std::string(msg::kMetafileZeroUnitsPerInch);
        at = kPlaceableHeaderBytes;
    }
    if (b.size() - at < kMetaHeaderBytes) {
        return std::string(isMetaHeader(b, at) || placeable ? msg::kMetafileHeaderCut : msg::kNotAMetafile);
    }
    if (!isMetaHeader(b, at)) return std::string(msg::kNotAMetafile);
    // libwmf allocates a buffer of the largest record size the header states before reading any record.
    const std::uint64_t largestRecordBytes = std::uint64_t{u32At(b, at + 12)} * 2;
    at += kMetaHeaderBytes;
    if (largestRecordBytes > static_cast<std::uint64_t>(b.size() - at)) {
        return std::string(msg::kMetafileRecordTooLarge);
    }

    for (long record = 1;; ++record) {
        if (b.size() - at < kRecordHeaderBytes) return std::string(msg::kMetafileEndMissing);
        const std::uint32_t words = u32At(b, at);
        const std::uint16_t function = u16At(b, at + 4);
        if (words < kEndRecordWords) return msg::metafileRecordBadSize(record);
        // 64-bit so that a size near 2^32 words cannot wrap.
        const std::uint64_t bytes = std::uint64_t{words} * 2;
        if (bytes > static_cast<std::uint64_t>(b.size() - at)) {
            return msg::metafileRecordCut(record);
        }
        if (words == kEndRecordWords && function == kEndRecordFunction) return {};
        at += static_cast<qsizetype>(bytes);
    }
}

}  // namespace brelvo::mapview
