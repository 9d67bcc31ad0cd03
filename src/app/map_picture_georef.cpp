// Reading a map picture's georeference for the picture host: the files beside the picture through the
// geodata plugin (loaded only when they may hold one), the coordinate system the user names, and the
// web map capture's georeference on the clipboard.
#include "app/map_picture_georef.hpp"

#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <cmath>

#include "app/geo_plugin.hpp"
#include "app/map_picture_host.hpp"
#include "common/messages.hpp"
#include "mapview/map_georeference.hpp"

namespace brelvo::app {

namespace {

constexpr const char* kWebMercator = "EPSG:3857";

}  // namespace

std::optional<measure::Georeference> clipboardGeoreferenceOf(const QMimeData* mime) {
    const QString type = QString::fromLatin1(kGeoreferenceMimeType);
    if (mime == nullptr || !mime->hasFormat(type)) return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(mime->data(type)).object();
    const QJsonArray g = o.value(QStringLiteral("geotransform")).toArray();
    if (g.size() != 6 || o.value(QStringLiteral("crs")).toString() != QString::fromLatin1(kWebMercator))
        return std::nullopt;
    measure::Georeference georef;
    for (int i = 0; i < 6; ++i) {
        if (!g[i].isDouble()) return std::nullopt;
        georef.geotransform[static_cast<std::size_t>(i)] = g[i].toDouble();
    }
    if (!georef.valid()) return std::nullopt;
    georef.source = measure::GeorefSource::WebMap;
    georef.crs = kWebMercator;
    if (geo::GeoServices* services = geoServices()) {
        std::string error;
        if (const auto wkt = services->systemWkt(kWebMercator, error)) georef.wkt = *wkt;
    }
    return georef;
}

mapview::GeorefLookup MapPictureHost::readGeoreference(const std::string& path) {
    mapview::GeorefLookup lookup;
    // A plain picture (no TIFF, nothing beside it) never loads the geodata support.
    if (!mapview::mayBeGeoreferenced(path)) return lookup;
    geo::GeoServices* services = geoServices();
    if (services == nullptr) {
        lookup.notice = common::msg::geodataMissing(path);
        return lookup;
    }
    geo::GeorefReading reading = services->readGeoreference(path);
    if (!reading.error.empty()) {
        lookup.refusal = common::msg::georeferenceRefused(path, reading.error);
        return lookup;
    }
    // The files passed over are named once the picture shows, one a line.
    for (const std::string& ignored : reading.ignored)
        lookup.notice += (lookup.notice.empty() ? "" : "\n") + ignored;
    if (!reading.georef) return lookup;
    // A picture turned by its orientation tag no longer lies as its georeference says.
    QImageReader reader(QString::fromStdString(path));
    if (reader.transformation() != QImageIOHandler::TransformationNone) {
        lookup.notice += (lookup.notice.empty() ? "" : "\n") + common::msg::georeferenceTurned(path);
        return lookup;
    }
    // The georeference is the raster's: the picture shown must have its size. A world file is trusted,
    // and so is a big raster shown window by window (it is the raster itself).
    if (reading.georef->source == measure::GeorefSource::File && decodedRaster_ == nullptr) {
        std::string error;
        if (const auto raster = services->openRaster(path, error)) {
            const QSize shown = decoded_.isNull() ? probedSize_ : decoded_.size();
            if (shown.width() != raster->width() || shown.height() != raster->height()) {
                lookup.notice += (lookup.notice.empty() ? "" : "\n") +
                                 common::msg::georeferenceSizeDiffers(path, shown.width(), shown.height(),
                                                                      raster->width(), raster->height());
                return lookup;
            }
        }
    }
    lookup.georef = std::move(reading.georef);
    lookup.systemMissing = reading.systemMissing || !lookup.georef->systemKnown();
    return lookup;
}

std::optional<mapview::CoordinateSystem> MapPictureHost::coordinateSystem(const std::string& code,
                                                                          std::string& reason) {
    reason.clear();
    geo::GeoServices* services = geoServices();
    if (services == nullptr) return std::nullopt;
    auto wkt = services->systemWkt(code, reason);
    if (!wkt) return std::nullopt;
    mapview::CoordinateSystem system;
    system.crs = services->epsgOf(*wkt);
    system.wkt = std::move(*wkt);
    return system;
}

}  // namespace brelvo::app
