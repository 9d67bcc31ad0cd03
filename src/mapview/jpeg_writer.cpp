// JPEG files from bitmap sections: TurboJPEG encodes in memory, and the program's one save path writes
// the bytes beside the target and renames them over it, keeping an overwritten file's times and mode.
#include "mapview/jpeg_writer.hpp"

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "mapview/jpeg_codec.hpp"

namespace brelvo::mapview::mIntelJPEGLibrary {

namespace {

// The program's file name without extension names the module in its failures, as the user would see it.
std::string errorSource() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string program = ec || exe.stem().empty() ? std::string("brelvo") : exe.stem().string();
    return program + std::string(common::msg::kJpegSourceModule);
}

JpegFailure initFailure(int code) {
    return {errorSource(), common::msg::jpegInitFailed(code)};
}

JpegFailure writeFailure(int code) {
    return {errorSource(), common::msg::jpegSaveFailed(code)};
}

// How a picture file is saved: through the one save path, keeping an overwritten file's times as well as
// its owner and mode.
constexpr common::ReplaceOptions kPictureSave{.keepTimes = true};

// The result code a failed file step ends the description with.
int codeFor(common::ReplaceStep step) {
    switch (step) {
        case common::ReplaceStep::write:
            return kFileWriteFailed;
        case common::ReplaceStep::rename:
            return kFileReplaceFailed;
        default:
            return kFileCreateFailed;  // no folder, or no file can be made in it
    }
}

}  // namespace

JpegFailure::JpegFailure(std::string source, std::string description)
    : common::RuntimeFailure(common::failures::kJpegLibrary, std::move(description)),
      source_(std::move(source)) {}

bool WriteJpegFile(const cDIBSection& cDib, const std::string& sFile, std::int32_t lQuality) {
    const JpegCodec* codec = jpegCodec();
    if (codec == nullptr) throw initFailure(kEncoderFailed);

    // A folder, a missing folder or a file this user may not write is refused before any encoding.
    common::checkReplaceable(sFile);

    // The section's rows run bottom-up in memory; the flag makes the JPEG upright. Full-resolution colour
    // (4:4:4) keeps the thin coloured lines of a measurement in their colour; 4:2:0 would smear them.
    std::vector<unsigned char> jpeg;
    if (!codec->encode(cDib.DIBSectionBitsPtr(), cDib.Width(), cDib.BytesPerScanLine(), cDib.Height(), true,
                       lQuality, jpeg) ||
        jpeg.empty()) {
        throw writeFailure(kEncoderFailed);
    }

    try {
        common::replaceFile(sFile, std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()),
                            kPictureSave);
    } catch (const common::ReplaceFailure& failure) {
        // The module's own failure, with the reason the file was not saved as its cause.
        JpegFailure failed = writeFailure(codeFor(failure.step()));
        failed.because(failure.reason());
        throw failed;
    }
    return true;
}

}  // namespace brelvo::mapview::mIntelJPEGLibrary
