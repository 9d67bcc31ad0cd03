// The JPEG codec (libjpeg-turbo), kept in a plugin (libbrelvo_jpeg.so) that the program loads the first
// time it reads or writes a JPEG, so that starting the program maps no JPEG library. The interface holds
// plain buffers only: neither Qt nor libjpeg's headers.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

namespace brelvo::mapview {

struct JpegInfo {
    int width = 0;
    int height = 0;
    bool colour = false;  // YCbCr or RGB (not grey, not CMYK)
};

class JpegCodec {
  public:
    virtual ~JpegCodec() = default;
    // The header of a JPEG held in memory; false when it cannot be read.
    virtual bool readHeader(const unsigned char* data, std::size_t size, JpegInfo& info) const = 0;
    // Decodes at 1/scale (scale 1, 2, 4 or 8: the library's scaled inverse transform, so a small copy
    // costs far less than the whole picture) into `pixels` as 0xffRRGGBB words, `stride` bytes a row:
    // ceil(width / scale) x ceil(height / scale) pixels. After each band of rows `rowsDone` hears how
    // many rows are done; the decode stops as soon as `cancel` is set. False when cancelled or on any
    // damage, even one the library only warns about.
    virtual bool decode(const unsigned char* data, std::size_t size, int scale, unsigned char* pixels,
                        std::size_t stride, const std::atomic<bool>* cancel,
                        const std::function<void(int)>& rowsDone) const = 0;
    // Encodes BGR rows (stored bottom-up when `bottomUp`) at `quality` (1..100), full-resolution colour
    // (4:4:4). False when the encoder fails.
    virtual bool encode(const unsigned char* bgr, int width, int stride, int height, bool bottomUp,
                        int quality, std::vector<unsigned char>& out) const = 0;
};

using JpegCodecEntry = JpegCodec* (*)();
inline constexpr const char* kJpegPluginFile = "libbrelvo_jpeg.so";
inline constexpr const char* kJpegPluginEntry = "brelvo_jpeg_codec";

// The codec, loaded on the first call from any thread (beside the program, or in its library folder
// once installed); nullptr when the plugin is not found.
JpegCodec* jpegCodec();
// Whether the plugin has been loaded (no load is attempted).
bool jpegCodecLoaded();

}  // namespace brelvo::mapview
