// The georeference that travels with a web map capture on the clipboard (a MIME type of the program's
// own beside the picture), written by the web map window and read by Paste From Clipboard.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <optional>

#include "measure/georeference.hpp"

class QMimeData;

namespace brelvo::app {

inline constexpr const char* kGeoreferenceMimeType = "application/x-brelvo-georeference";

// {"crs": "EPSG:3857", "geotransform": [six numbers]} for a Web Mercator capture (written by the web map
// plugin, so defined here).
inline QByteArray webMapGeoreferenceJson(const std::array<double, 6>& geotransform) {
    QJsonArray g;
    for (const double v : geotransform) g.append(v);
    QJsonObject o;
    o.insert(QStringLiteral("crs"), QStringLiteral("EPSG:3857"));
    o.insert(QStringLiteral("geotransform"), g);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
// The georeference beside the clipboard's picture: Web Mercator with its WKT (from the geodata support
// when it is there), source "web map". Nothing for a plain picture or a geotransform that is no
// georeference (six finite numbers, invertible).
std::optional<measure::Georeference> clipboardGeoreferenceOf(const QMimeData* mime);

}  // namespace brelvo::app
