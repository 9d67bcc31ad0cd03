// Reading a map picture file with its format sniffed and its size bounded.
#include "mapview/picture_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "common/messages.hpp"
#include "mapview/jpeg_reader.hpp"
#include "mapview/wmf_picture.hpp"

namespace brelvo::mapview {

PictureFile readPictureFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) return {QImage(), std::string(common::msg::kFileNotFound)};
    QImageReader::setAllocationLimit(kPictureAllocationLimitMiB);
    QImage image;
    QFile in(file);
    const bool metafile = file.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive) ||
                          (in.open(QIODevice::ReadOnly) && looksLikeWmf(in.peek(8)));
    if (metafile) {
        // Qt reads no Windows metafiles: libwmf draws them, from the whole file held in memory.
        if ((in.isOpen() || in.open(QIODevice::ReadOnly)) && in.size() <= kMetafileLimitBytes) {
            image = readWmfPicture(in.readAll()).image;
        }
    } else if (auto jpeg = decodeJpegDirect(path, static_cast<long long>(kPictureAllocationLimitMiB) << 20)) {
        image = std::move(*jpeg);
    } else {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        image = reader.read();
    }
    if (image.isNull()) return {QImage(), std::string(common::msg::kInvalidPicture)};
    return {std::move(image), std::string()};
}

}  // namespace brelvo::mapview
