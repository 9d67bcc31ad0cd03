// Windows metafiles drawn by libwmf's gd device into PNG bytes in memory, which Qt then decodes.
#include "mapview/wmf_picture.hpp"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/failure.hpp"
#include "common/messages.hpp"

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

// A placeable file states its size in inches: show it as Windows does on a 96 dpi screen.
constexpr double kPlaceableDpi = 96.0;
// A standard file states no size; libwmf takes a small one as 72 units per inch, so 72 dpi draws one
// logical unit per pixel, the scale of the drawing program that wrote it.
constexpr double kStandardDpi = 72.0;

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

// Checks the headers and walks the records without interpreting them: every record must lie inside the
// file and the last one must be the end record. libwmf then never runs off the end of the bytes, and a
// file cut short is reported as such instead of as whatever libwmf makes of the missing tail. The reason
// the file is refused; empty when its layout is sound.
std::string checkLayout(const QByteArray& b, bool& placeable) {
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

struct ApiDestroy {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using ApiPtr = std::unique_ptr<wmfAPI, ApiDestroy>;

// Collects the PNG bytes that the gd device writes when the metafile has been played.
struct PngSink {
    QByteArray png;
    bool failed = false;
};

// Called from C: nothing may throw through it. Returning fewer bytes than given makes the PNG writer stop.
int collectPng(void* context, char* buffer, int length) noexcept {
    auto* sink = static_cast<PngSink*>(context);
    if (sink->failed || length < 0) {
        sink->failed = true;
        return 0;
    }
    try {
        sink->png.append(buffer, length);
    } catch (...) {
        sink->failed = true;
        return 0;
    }
    return length;
}

struct Pixels {
    unsigned width;
    unsigned height;
};

// gd stretches the scanned box over the whole image. That box is what the records draw, in libwmf's device
// units, widened by half a pen width all round; the stated size comes from the placeable header's frame
// when there is one, and the drawing need not fill that frame. So the image takes the box's proportions,
// as large as fits the stated size: a map must never come out stretched more one way than the other.
// Within a pixel of the stated size (the pen margin, rounding) the stated size is kept as it is.
Pixels drawnSize(double boxWidth, double boxHeight, unsigned statedWidth, unsigned statedHeight) {
    const double scale = std::min(statedWidth / boxWidth, statedHeight / boxHeight);
    // Never above the stated sides, so never above the limit they were checked against.
    const long width = std::clamp(std::lround(boxWidth * scale), 1L, static_cast<long>(statedWidth));
    const long height = std::clamp(std::lround(boxHeight * scale), 1L, static_cast<long>(statedHeight));
    if (static_cast<long>(statedWidth) - width <= 1 && static_cast<long>(statedHeight) - height <= 1) {
        return {statedWidth, statedHeight};
    }
    return {static_cast<unsigned>(width), static_cast<unsigned>(height)};
}

// "Invalid picture", with why as its cause.
common::RuntimeFailure refused(std::string why) {
    return common::invalidPicture().because(std::move(why));
}

// libwmf's error state as the failure's cause; `step` names the step, as in "reading".
common::RuntimeFailure wmfFailure(wmf_error_t error, std::string_view step) {
    switch (error) {
        case wmf_E_InsMem:
            return refused(msg::metafileOutOfMemory(step));
        case wmf_E_BadFile:
            // With the metafile in memory this is, in practice, the font set-up: libwmf loads the URW base
            // fonts for every file, and fails every file without them.
            return refused(msg::metafileNoFonts(step));
        case wmf_E_BadFormat:
        case wmf_E_EOF:
            return refused(msg::metafileDamaged(step));
        default:
            return refused(msg::metafileReaderFailed(step));
    }
}

}  // namespace

bool looksLikeWmf(const QByteArray& head) {
    return isPlaceable(head) || isMetaHeader(head, 0);
}

QImage readWmfPicture(const QByteArray& bytes) {
    bool placeable = false;
    if (std::string why = checkLayout(bytes, placeable); !why.empty()) throw refused(std::move(why));

    // libwmf wants a writable buffer although it only reads it; it must outlive the API handle below.
    std::vector<unsigned char> data(bytes.begin(), bytes.end());

    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    // Errors come back as return codes and are reported by the caller; libwmf's own printing is off.
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* created = nullptr;
    if (const wmf_error_t e = wmf_api_create(&created, flags, &options);
        e != wmf_E_None || created == nullptr) {
        throw wmfFailure(e, msg::kMetafileStepStart);
    }
    ApiPtr api(created);
    wmf_gd_t* device = WMF_GD_GetData(api.get());
    if ((device->flags & WMF_GD_SUPPORTS_PNG) == 0) {
        throw refused(std::string(msg::kMetafileNoPng));
    }
    if (const wmf_error_t e = wmf_mem_open(api.get(), data.data(), static_cast<long>(data.size()));
        e != wmf_E_None) {
        throw wmfFailure(e, msg::kMetafileStepOpen);
    }
    wmfD_Rect box{};
    if (const wmf_error_t e = wmf_scan(api.get(), 0, &box); e != wmf_E_None)
        throw wmfFailure(e, msg::kMetafileStepRead);

    const double dpi = placeable ? kPlaceableDpi : kStandardDpi;
    unsigned statedWidth = 0;
    unsigned statedHeight = 0;
    if (const wmf_error_t e = wmf_display_size(api.get(), &statedWidth, &statedHeight, dpi, dpi);
        e != wmf_E_None) {
        throw wmfFailure(e, msg::kMetafileStepSize);
    }
    if (statedWidth == 0 || statedHeight == 0) throw refused(std::string(msg::kMetafileZeroSize));
    if (statedWidth > kMaxWmfSidePixels || statedHeight > kMaxWmfSidePixels) {
        throw refused(msg::metafileTooManyPixels(statedWidth, statedHeight, kMaxWmfSidePixels));
    }

    const double boxWidth = static_cast<double>(box.BR.x) - static_cast<double>(box.TL.x);
    const double boxHeight = static_cast<double>(box.BR.y) - static_cast<double>(box.TL.y);
    if (!std::isfinite(boxWidth) || !std::isfinite(boxHeight) || !(boxWidth > 0) || !(boxHeight > 0)) {
        throw refused(std::string(msg::kMetafileDrawsNothing));
    }
    const auto [width, height] = drawnSize(boxWidth, boxHeight, statedWidth, statedHeight);

    PngSink sink;
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &sink;
    device->sink.function = collectPng;
    device->width = width;
    device->height = height;
    device->bbox = box;
    wmfD_Rect played = box;
    if (const wmf_error_t e = wmf_play(api.get(), 0, &played); e != wmf_E_None) {
        throw wmfFailure(e, msg::kMetafileStepDraw);
    }
    if (sink.failed || sink.png.isEmpty()) throw refused(std::string(msg::kMetafileNotStored));
    // Destroying returns the library's final error state; the gd device has already written the PNG.
    if (const wmf_error_t e = wmf_api_destroy(api.release()); e != wmf_E_None) {
        throw wmfFailure(e, msg::kMetafileStepClose);
    }

    QImage image = QImage::fromData(sink.png, "PNG");
    if (image.isNull()) throw refused(std::string(msg::kMetafileNotDecoded));
    return image;
}

}  // namespace brelvo::mapview
