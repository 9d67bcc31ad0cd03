// Windows metafiles drawn by libwmf's gd device into PNG bytes in memory, which Qt then decodes: the
// metafile plugin (libbrelvo_wmf.so), so that the program loads libwmf only when it opens a metafile.
// Qt's headers first: libwmf's define names that Qt's own headers use.
#include "mapview/wmf_picture.hpp"
// clang-format off
#include <libwmf/api.h>
#include <libwmf/gd.h>
// clang-format on

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "mapview/wmf_layout.hpp"

namespace brelvo::mapview {

namespace msg = common::msg;

namespace {

// A placeable file states its size in inches: show it as Windows does on a 96 dpi screen.
constexpr double kPlaceableDpi = 96.0;
// A standard file states no size; libwmf takes a small one as 72 units per inch, so 72 dpi draws one
// logical unit per pixel, the scale of the drawing program that wrote it.
constexpr double kStandardDpi = 72.0;

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

QImage renderWmfPicture(const QByteArray& bytes) {
    bool placeable = false;
    if (std::string why = checkWmfLayout(bytes, placeable); !why.empty()) throw refused(std::move(why));

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

}  // namespace

}  // namespace brelvo::mapview

extern "C" Q_DECL_EXPORT bool brelvo_read_wmf_v1(const QByteArray* bytes, QImage* picture,
                                                 std::string* cause) noexcept {
    namespace mapview = brelvo::mapview;
    static_assert(std::is_same_v<decltype(&brelvo_read_wmf_v1), mapview::WmfPluginEntry>);
    try {
        *picture = mapview::renderWmfPicture(*bytes);
        return true;
    } catch (const brelvo::common::RuntimeFailure& failure) {
        *cause = failure.cause();
    } catch (const std::bad_alloc&) {
        *cause = brelvo::common::msg::metafileOutOfMemory(brelvo::common::msg::kMetafileStepDraw);
    } catch (const std::exception&) {
        *cause = brelvo::common::msg::metafileReaderFailed(brelvo::common::msg::kMetafileStepDraw);
    }
    return false;
}
