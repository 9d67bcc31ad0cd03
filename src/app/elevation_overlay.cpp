// The relief over a map placed behind a progress dialog, and kept in the user's cache folder.
#include "app/elevation_overlay.hpp"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>

#include "app/work_with_progress.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

namespace {

// The text of a number that reads back as the same double.
std::string exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// A file as the key names it: full path, size in bytes, modification time in milliseconds.
std::string fileStamp(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    if (path.empty() || !info.isFile()) return {};
    return info.absoluteFilePath().toStdString() + "|" + std::to_string(info.size()) + "|" +
           std::to_string(info.lastModified().toMSecsSinceEpoch());
}

std::string georefText(const measure::Georeference& georef) {
    std::string text = georef.wkt + "|";
    for (const double g : georef.geotransform) text += exact(g) + ",";
    return text;
}

// The overlay kept under `key`, when its file is there and was written for this key.
std::optional<ReliefOverlay> readKept(const std::string& key) {
    // The image's own texts, as written (the reader's text() gives them with their blanks simplified).
    const QImage image(QString::fromStdString(overlayCachePath(key)), "png");
    if (image.isNull() || image.text(QStringLiteral("key")).toStdString() != key) return std::nullopt;
    const QStringList rect = image.text(QStringLiteral("rect")).split(QLatin1Char(' '));
    if (rect.size() != 4) return std::nullopt;
    double r[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        r[i] = rect[i].toDouble(&ok);
        if (!ok) return std::nullopt;
    }
    return ReliefOverlay{image.convertToFormat(QImage::Format_ARGB32), QRectF(r[0], r[1], r[2], r[3])};
}

// Keeps the overlay through a temporary file renamed into place; a cache that cannot be written is
// only a cache: the next open places the overlay again.
void keep(const std::string& key, const ReliefOverlay& overlay) {
    const QString path = QString::fromStdString(overlayCachePath(key));
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return;
    QImage image = overlay.image;
    image.setText(QStringLiteral("key"), QString::fromStdString(key));
    const QRectF& r = overlay.rect;
    image.setText(QStringLiteral("rect"), QString::fromStdString(exact(r.x()) + " " + exact(r.y()) + " " +
                                                                 exact(r.width()) + " " + exact(r.height())));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "png")) return;
    try {
        common::replaceFile(path.toStdString(), std::string_view(bytes.constData(), bytes.size()));
    } catch (const common::RuntimeFailure&) {
    }
}

}  // namespace

std::string overlayCacheKey(const terrain::ElevationModel& model, const std::string& mapPath,
                            const measure::Georeference& mapGeoref, QSize pictureSize,
                            const terrain::ReliefParams& params) {
    const std::string modelFile = fileStamp(model.path);
    const std::string mapFile = fileStamp(mapPath);
    if (modelFile.empty() || mapFile.empty()) return {};
    return "brelvo elevation overlay 1\nmodel " + modelFile + "\n" + georefText(model.georef) + "\nmap " +
           mapFile + "\n" + georefText(mapGeoref) + "\npicture " + std::to_string(pictureSize.width()) + "x" +
           std::to_string(pictureSize.height()) + "\nrelief " + exact(params.cellMetresX) + " " +
           exact(params.cellMetresY) + " " + exact(params.metresPerZ) + " " + exact(params.zLow) + " " +
           exact(params.zHigh) + " " + exact(params.azimuthDeg) + " " + exact(params.altitudeDeg) +
           "\nside " + std::to_string(kMaxReliefOverlaySide);
}

std::string overlayCachePath(const std::string& key) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256).toHex();
    return (folder + QStringLiteral("/elevation-overlays/") + QString::fromLatin1(hash) +
            QStringLiteral(".png"))
        .toStdString();
}

PlacedOverlay placeReliefOverlay(QWidget& parent, const ElevationLayer& layer,
                                 const terrain::ReliefParams& params, QSize pictureSize,
                                 const std::string& key) {
    PlacedOverlay placed;
    const bool keepIt = !key.empty() && !layer.sameSystem();
    if (keepIt) {
        if (auto kept = readKept(key)) {
            placed.outcome = PlacedOverlay::Outcome::placed;
            placed.overlay = std::move(*kept);
            placed.fromCache = true;
            return placed;
        }
    }
    WorkDialog look;
    look.text = QString::fromUtf8(common::msg::kPlacingElevation);
    look.cancel = QString::fromUtf8(common::msg::kCancelButton);
    look.objectName = QStringLiteral("placingElevation");
    look.showAfterMs = 300;
    std::optional<ReliefOverlay> overlay;
    bool stopped = false;
    const bool cancelled = runWithProgress(parent, look, [&](const WorkProgress& progress) {
        overlay = reliefOverlay(layer, params, pictureSize, progress, &stopped);
    });
    // Cancel pressed is a cancel, even when the work had just ended.
    if (cancelled || stopped) {
        placed.outcome = PlacedOverlay::Outcome::cancelled;
        return placed;
    }
    if (!overlay) return placed;
    placed.outcome = PlacedOverlay::Outcome::placed;
    placed.overlay = std::move(*overlay);
    if (keepIt) keep(key, placed.overlay);
    return placed;
}

}  // namespace brelvo::app
