// Reading a map picture file with its format sniffed and its size bounded.
#include "mapview/picture_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "mapview/jpeg_reader.hpp"
#include "mapview/wmf_picture.hpp"

namespace brelvo::mapview {

QImage readPictureFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) throw common::fileNotFound();
    QImageReader::setAllocationLimit(kPictureAllocationLimitMiB);
    QFile in(file);
    const bool metafile = file.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive) ||
                          (in.open(QIODevice::ReadOnly) && looksLikeWmf(in.peek(8)));
    if (metafile) {
        // Qt reads no Windows metafiles: libwmf draws them, from the whole file held in memory.
        if (!in.isOpen() && !in.open(QIODevice::ReadOnly)) {
            throw common::invalidPicture().because(std::string(common::msg::kMetafileUnreadable));
        }
        if (in.size() > kMetafileLimitBytes) {
            throw common::invalidPicture().because(
                common::msg::metafileTooLarge(std::to_string(kMetafileLimitBytes >> 20) + " MiB"));
        }
        return readWmfPicture(in.readAll());
    }
    QImage image;
    if (auto jpeg = decodeJpegDirect(path, static_cast<long long>(kPictureAllocationLimitMiB) << 20)) {
        image = std::move(*jpeg);
    } else {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        image = reader.read();
    }
    if (image.isNull()) throw common::invalidPicture();
    return image;
}

}  // namespace brelvo::mapview
