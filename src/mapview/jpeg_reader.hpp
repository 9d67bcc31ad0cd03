// Reading a large colour JPEG map straight into the picture's own pixel buffer: one decode by
// libjpeg-turbo, with no intermediate copy or format conversion.
#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace brelvo::mapview {

// The picture of a JPEG file as 32-bit RGB, the same pixels as Qt's reader gives, or nothing when this
// path declines the file and Qt's reader is to read it: not a JPEG, not a colour (YCbCr or RGB) one,
// turned by an orientation tag, larger than maxBytes decoded, or damaged in any way.
std::optional<QImage> decodeJpegDirect(const std::string& path, long long maxBytes);

}  // namespace brelvo::mapview
