// Reading a large colour JPEG map straight into the picture's own pixel buffer: one decode by
// libjpeg-turbo (in the JPEG plugin), with no intermediate copy or format conversion; a small copy at an
// eighth of the size for showing at once; progress and cancel while the whole picture decodes.
#pragma once

#include <QFile>
#include <QImage>
#include <QSize>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mapview/jpeg_codec.hpp"

namespace brelvo::mapview {

// A JPEG file that the direct path takes: mapped, its header read.
class JpegFile {
  public:
    // Nothing when this path declines the file and Qt's reader is to read it: not a JPEG, not a colour
    // (YCbCr or RGB) one, turned by an orientation tag, larger than maxBytes decoded, unreadable header,
    // or no JPEG plugin.
    static std::unique_ptr<JpegFile> open(const std::string& path, long long maxBytes);
    QSize size() const { return {info_.width, info_.height}; }
    // The picture at an eighth of its size (each side rounded up); null when cancelled or damaged.
    // `band`, when given, is shown the preview as it decodes: the whole image (its rows below `rows`
    // not yet written) after each band of rows, on the decoding thread.
    QImage preview(const std::atomic<bool>* cancel = nullptr,
                   const std::function<void(const QImage& image, int rows)>& band = {}) const;
    // The whole picture as 32-bit RGB, the same pixels as Qt's reader gives; `rowsDone` hears the rows
    // decoded so far. Null when cancelled, out of memory, or damaged in any way (then Qt's reader decides).
    QImage decode(const std::atomic<bool>* cancel = nullptr,
                  const std::function<void(int)>& rowsDone = {}) const;

  private:
    JpegFile() = default;
    QImage decodeScaled(int scale, const std::atomic<bool>* cancel,
                        const std::function<void(const QImage& image, int rows)>& rowsDone) const;
    QFile file_;
    const uchar* data_ = nullptr;
    std::size_t size_ = 0;
    JpegInfo info_;
    const JpegCodec* codec_ = nullptr;
};

// The whole picture of a JPEG file in one call (JpegFile::open, then decode); nothing when declined or
// damaged.
std::optional<QImage> decodeJpegDirect(const std::string& path, long long maxBytes);

}  // namespace brelvo::mapview
