// The JPEG codec plugin: libjpeg's decompressor for reading (scaled, in bands, cancellable) and
// TurboJPEG's compressor for writing.
// libjpeg's header takes size_t and FILE from the includes before it.
#include <cstddef>
#include <cstdio>
// (kept apart, so that they stay first)
#include <jpeglib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <memory>

#include "mapview/jpeg_codec.hpp"

namespace brelvo::mapview {

namespace {

// libjpeg reports errors by a call that must not return: back to the decode's setjmp, with the
// decompressor destroyed there. A warning (a damaged but readable file) is counted.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf back;
    bool warned;
};

void failed(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void told(j_common_ptr info, int level) {
    if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warned = true;
}

void quiet(j_common_ptr) {}

// Rows handed to libjpeg at a time; progress and cancel are looked at once a band.
constexpr int kBand = 32;

// Kept free of C++ objects with destructors: a longjmp out of libjpeg passes over this frame.
bool decodeRows(jpeg_decompress_struct& info, const unsigned char* data, std::size_t size, int scale,
                unsigned char* pixels, std::size_t stride, const std::atomic<bool>* cancel,
                const std::function<void(int)>* rowsDone) {
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    info.out_color_space = JCS_EXT_BGRA;  // alpha 0xff: the words Qt's RGB32 holds on this machine
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(scale);
    jpeg_start_decompress(&info);
    JSAMPROW rows[kBand];
    while (info.output_scanline < info.output_height) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            jpeg_abort_decompress(&info);
            return false;
        }
        const unsigned int first = info.output_scanline;
        const unsigned int count = std::min<unsigned int>(kBand, info.output_height - first);
        for (unsigned int k = 0; k < count; ++k) rows[k] = pixels + (first + k) * stride;
        unsigned int done = 0;
        while (done < count) done += jpeg_read_scanlines(&info, rows + done, count - done);
        if (rowsDone != nullptr && *rowsDone) (*rowsDone)(static_cast<int>(info.output_scanline));
    }
    jpeg_finish_decompress(&info);
    return !reinterpret_cast<ErrorManager*>(info.err)->warned;
}

class Codec final : public JpegCodec {
  public:
    bool readHeader(const unsigned char* data, std::size_t size, JpegInfo& out) const override {
        const std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
        if (!decoder) return false;
        int width = 0, height = 0, subsampling = 0, colorspace = 0;
        if (tjDecompressHeader3(decoder.get(), data, static_cast<unsigned long>(size), &width, &height,
                                &subsampling, &colorspace) != 0) {
            return false;
        }
        out.width = width;
        out.height = height;
        out.colour = colorspace == TJCS_YCbCr || colorspace == TJCS_RGB;
        return width > 0 && height > 0;
    }

    bool decode(const unsigned char* data, std::size_t size, int scale, unsigned char* pixels,
                std::size_t stride, const std::atomic<bool>* cancel,
                const std::function<void(int)>& rowsDone) const override {
        if (scale != 1 && scale != 2 && scale != 4 && scale != 8) return false;
        jpeg_decompress_struct info{};
        ErrorManager errors{};
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = failed;
        errors.base.emit_message = told;
        errors.base.output_message = quiet;
        if (setjmp(errors.back) != 0) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        jpeg_create_decompress(&info);
        const bool decoded = decodeRows(info, data, size, scale, pixels, stride, cancel, &rowsDone);
        jpeg_destroy_decompress(&info);
        return decoded;
    }

    bool encode(const unsigned char* bgr, int width, int stride, int height, bool bottomUp, int quality,
                std::vector<unsigned char>& out) const override {
        const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
        if (!encoder) return false;
        unsigned char* encoded = nullptr;
        unsigned long encodedSize = 0;
        const int result = tjCompress2(encoder.get(), bgr, width, stride, height, TJPF_BGR, &encoded,
                                       &encodedSize, TJSAMP_444, quality, bottomUp ? TJFLAG_BOTTOMUP : 0);
        const std::unique_ptr<unsigned char, void (*)(unsigned char*)> jpeg(encoded, tjFree);
        if (result != 0 || jpeg == nullptr) return false;
        out.assign(jpeg.get(), jpeg.get() + encodedSize);
        return true;
    }
};

}  // namespace

}  // namespace brelvo::mapview

extern "C" __attribute__((visibility("default"))) brelvo::mapview::JpegCodec* brelvo_jpeg_codec() {
    static brelvo::mapview::Codec codec;
    return &codec;
}
