// The direct JPEG path: the file is mapped, its header read, and the pixels decoded once into a buffer
// that becomes the image's own memory.
#include "mapview/jpeg_reader.hpp"

#include <turbojpeg.h>

#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace brelvo::mapview {

namespace {

std::uint16_t read16(const unsigned char* p, bool little) {
    return little ? static_cast<std::uint16_t>(p[0] | (p[1] << 8))
                  : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t read32(const unsigned char* p, bool little) {
    return little ? (std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                     (std::uint32_t(p[3]) << 24))
                  : ((std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
                     std::uint32_t(p[3]));
}

// True when an Exif segment before the image data carries an orientation other than "as stored"
// (or one that cannot be read): such pictures are turned by Qt's reader.
bool turnedByOrientation(const unsigned char* data, std::size_t size) {
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 4 <= size && data[at] == 0xFF) {
        const unsigned char marker = data[at + 1];
        if (marker == 0xDA || marker == 0xD9) return false;  // image data or its end: no tag met
        const std::size_t length = read16(data + at + 2, false);
        if (length < 2 || at + 2 + length > size) return true;
        const unsigned char* segment = data + at + 4;
        const std::size_t body = length - 2;
        if (marker == 0xE1 && body >= 14 && std::memcmp(segment, "Exif\0\0", 6) == 0) {
            const unsigned char* tiff = segment + 6;
            const std::size_t tiffSize = body - 6;
            const bool little = tiff[0] == 'I' && tiff[1] == 'I';
            if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return true;
            const std::uint32_t ifd = read32(tiff + 4, little);
            if (ifd > tiffSize - 2) return true;
            const std::size_t count = read16(tiff + ifd, little);
            for (std::size_t k = 0; k < count; ++k) {
                const std::size_t entry = ifd + 2 + 12 * k;
                if (entry + 12 > tiffSize) return true;
                if (read16(tiff + entry, little) == 0x0112) return read16(tiff + entry + 8, little) != 1;
            }
        }
        at += 2 + length;
    }
    return true;  // no image data found where it should be: let Qt's reader judge the file
}

void freeBuffer(void* buffer) {
    std::free(buffer);
}

}  // namespace

std::optional<QImage> decodeJpegDirect(const std::string& path, long long maxBytes) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 4) return std::nullopt;
    const auto* data = file.map(0, file.size());
    if (data == nullptr) return std::nullopt;
    const auto size = static_cast<std::size_t>(file.size());
    if (data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return std::nullopt;
    if (turnedByOrientation(data, size)) return std::nullopt;

    const std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    if (!decoder) return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(decoder.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colorspace) != 0) {
        return std::nullopt;
    }
    if (colorspace != TJCS_YCbCr && colorspace != TJCS_RGB) return std::nullopt;
    if (width <= 0 || height <= 0) return std::nullopt;
    const long long bytesPerLine = 4LL * width;
    const long long bytes = bytesPerLine * height;
    if (bytes > maxBytes) return std::nullopt;

    // Plain pages, on purpose: asking for huge pages (madvise) made committing 412 MiB take anywhere
    // from 0.15 to 2 s on machines whose kernel compacts memory for such requests on the spot, against
    // a steady 0.25-0.4 s without.
    void* buffer = std::malloc(static_cast<std::size_t>(bytes));
    if (buffer == nullptr) return std::nullopt;
    auto* pixels = static_cast<unsigned char*>(buffer);
    // 0xffRRGGBB words, as QImage::Format_RGB32 holds them on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    if (tjDecompress2(decoder.get(), data, static_cast<unsigned long>(size), pixels, width,
                      static_cast<int>(bytesPerLine), height, TJPF_BGRA, 0) != 0) {
        std::free(buffer);  // a damaged file, even one libjpeg-turbo only warns about: Qt's reader decides
        return std::nullopt;
    }
    // TJPF_BGRA leaves the fourth byte 0xff for images without alpha, as Format_RGB32 requires.
    return QImage(pixels, width, height, static_cast<qsizetype>(bytesPerLine), QImage::Format_RGB32,
                  freeBuffer, buffer);
}

}  // namespace brelvo::mapview
