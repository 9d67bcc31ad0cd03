// Finds and loads the JPEG codec plugin on first use.
#include <atomic>

#include "common/plugin_library.hpp"
#include "mapview/jpeg_codec.hpp"

namespace brelvo::mapview {

namespace {

std::atomic<JpegCodec*> loadedCodec{nullptr};

JpegCodec* load() {
    auto entry = reinterpret_cast<JpegCodecEntry>(common::loadPluginEntry(kJpegPluginFile, kJpegPluginEntry));
    JpegCodec* codec = entry != nullptr ? entry() : nullptr;
    if (codec) loadedCodec.store(codec);
    return codec;
}

}  // namespace

JpegCodec* jpegCodec() {
    static JpegCodec* const codec = load();  // once, whichever thread asks first
    return codec;
}

bool jpegCodecLoaded() {
    return loadedCodec.load() != nullptr;
}

}  // namespace brelvo::mapview
