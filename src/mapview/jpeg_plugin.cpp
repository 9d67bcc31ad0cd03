// Finds and loads the JPEG codec plugin on first use.
#include <dlfcn.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include "mapview/jpeg_codec.hpp"

namespace brelvo::mapview {

namespace {

std::atomic<JpegCodec*> loadedCodec{nullptr};

JpegCodec* load() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return nullptr;
    const std::filesystem::path folder = program.parent_path();
    std::filesystem::path candidates[] = {folder / kJpegPluginFile, folder / kJpegPluginFile};
#ifdef BRELVO_PLUGIN_DIR_FROM_BIN
    candidates[1] = (folder / BRELVO_PLUGIN_DIR_FROM_BIN / kJpegPluginFile).lexically_normal();
#endif
    for (const auto& path : candidates) {
        if (!std::filesystem::is_regular_file(path, error)) continue;
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // never closed: the codec lives in it
        if (library == nullptr) continue;
        auto entry = reinterpret_cast<JpegCodecEntry>(dlsym(library, kJpegPluginEntry));
        if (JpegCodec* codec = entry != nullptr ? entry() : nullptr) {
            loadedCodec.store(codec);
            return codec;
        }
        dlclose(library);
    }
    return nullptr;
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
