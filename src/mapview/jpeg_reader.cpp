// The direct JPEG path: the file is mapped, its header read, and the pixels decoded once into a buffer
// that becomes the image's own memory.
#include "mapview/jpeg_reader.hpp"

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

std::unique_ptr<JpegFile> JpegFile::open(const std::string& path, long long maxBytes) {
    std::unique_ptr<JpegFile> jpeg(new JpegFile);
    jpeg->file_.setFileName(QString::fromStdString(path));
    if (!jpeg->file_.open(QIODevice::ReadOnly) || jpeg->file_.size() < 4) return nullptr;
    const uchar* data = jpeg->file_.map(0, jpeg->file_.size());
    if (data == nullptr) return nullptr;
    const auto size = static_cast<std::size_t>(jpeg->file_.size());
    if (data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return nullptr;
    if (turnedByOrientation(data, size)) return nullptr;
    const JpegCodec* codec = jpegCodec();
    if (codec == nullptr || !codec->readHeader(data, size, jpeg->info_) || !jpeg->info_.colour)
        return nullptr;
    if (4LL * jpeg->info_.width * jpeg->info_.height > maxBytes) return nullptr;
    jpeg->data_ = data;
    jpeg->size_ = size;
    jpeg->codec_ = codec;
    return jpeg;
}

QImage JpegFile::preview(const std::atomic<bool>* cancel,
                         const std::function<void(const QImage& image, int rows)>& band) const {
    return decodeScaled(8, cancel, band);
}

QImage JpegFile::decode(const std::atomic<bool>* cancel, const std::function<void(int)>& rowsDone) const {
    if (!rowsDone) return decodeScaled(1, cancel, {});
    return decodeScaled(1, cancel, [&rowsDone](const QImage&, int rows) { rowsDone(rows); });
}

QImage JpegFile::decodeScaled(int scale, const std::atomic<bool>* cancel,
                              const std::function<void(const QImage& image, int rows)>& rowsDone) const {
    const int width = (info_.width + scale - 1) / scale;
    const int height = (info_.height + scale - 1) / scale;
    const long long bytesPerLine = 4LL * width;
    // Plain pages, on purpose: asking for huge pages (madvise) made committing 412 MiB take anywhere
    // from 0.15 to 2 s on machines whose kernel compacts memory for such requests on the spot, against
    // a steady 0.25-0.4 s without.
    void* buffer = std::malloc(static_cast<std::size_t>(bytesPerLine * height));
    if (buffer == nullptr) return {};
    auto* pixels = static_cast<unsigned char*>(buffer);
    // 0xffRRGGBB words, as QImage::Format_RGB32 holds them on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    // The image owns the buffer from here on (and frees it when dropped), so that the rows decoded so
    // far can be shown while the rest decode.
    QImage image(pixels, width, height, static_cast<qsizetype>(bytesPerLine), QImage::Format_RGB32,
                 freeBuffer, buffer);
    std::function<void(int)> rows;
    if (rowsDone) rows = [&](int done) { rowsDone(image, done); };
    if (!codec_->decode(data_, size_, scale, pixels, static_cast<std::size_t>(bytesPerLine), cancel, rows))
        return {};
    return image;
}

std::optional<QImage> decodeJpegDirect(const std::string& path, long long maxBytes) {
    const auto jpeg = JpegFile::open(path, maxBytes);
    if (!jpeg) return std::nullopt;
    QImage image = jpeg->decode();
    if (image.isNull()) return std::nullopt;
    return image;
}

}  // namespace brelvo::mapview
