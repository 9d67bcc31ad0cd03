// Georeference arithmetic that needs no coordinate system library: the affine geotransform and its inverse.
#include "measure/georeference.hpp"

#include <cmath>

namespace brelvo::measure {

const char* georefSourceText(GeorefSource source) {
    switch (source) {
        case GeorefSource::File:
            return "file";
        case GeorefSource::WorldFile:
            return "world file";
        case GeorefSource::ControlPoints:
            return "control points";
        case GeorefSource::WebMap:
            return "web map";
    }
    return "file";
}

std::optional<GeorefSource> georefSourceFromText(const std::string& text) {
    for (const GeorefSource s :
         {GeorefSource::File, GeorefSource::WorldFile, GeorefSource::ControlPoints, GeorefSource::WebMap}) {
        if (text == georefSourceText(s)) return s;
    }
    return std::nullopt;
}

MapPoint Georeference::toMap(double column, double row) const {
    const auto& g = geotransform;
    return {g[0] + column * g[1] + row * g[2], g[3] + column * g[4] + row * g[5]};
}

std::optional<MapPoint> Georeference::toPixel(const MapPoint& map) const {
    const auto& g = geotransform;
    const double det = g[1] * g[5] - g[2] * g[4];
    if (!std::isfinite(det) || det == 0) return std::nullopt;
    const double dx = map.x - g[0];
    const double dy = map.y - g[3];
    return MapPoint{(g[5] * dx - g[2] * dy) / det, (g[1] * dy - g[4] * dx) / det};
}

bool Georeference::valid() const {
    for (const double v : geotransform) {
        if (!std::isfinite(v)) return false;
    }
    const auto& g = geotransform;
    const double det = g[1] * g[5] - g[2] * g[4];
    return std::isfinite(det) && det != 0;
}

}  // namespace brelvo::measure
