// The features of a GIS file (GeoJSON, GeoPackage, KML, shapefile) in WGS 84 longitude/latitude, for a
// basin or stream drawn elsewhere. Whatever a file holds, the reading is bounded: at most 10,000 features
// and 100,000 points a feature.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/gdal_support.hpp"

namespace brelvo::geo {

namespace msg = common::msg;

namespace {

constexpr std::size_t kMaxFeatures = 10000;
constexpr std::size_t kMaxPoints = 100000;

struct GdalClose {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// A feature's shape in its layer's coordinates.
struct RawFeature {
    Feature::Kind kind = Feature::Kind::Point;
    std::string name;
    std::vector<double> x, y;
    std::size_t number = 0;  // its place in the file, from 1
};

enum class Shape { none, ok, tooLarge };

Shape pointsOf(const OGRSimpleCurve& curve, bool ring, RawFeature& out) {
    std::size_t count = static_cast<std::size_t>(std::max(0, curve.getNumPoints()));
    // A ring's closing point repeats its first.
    if (ring && count > 1 && curve.getX(0) == curve.getX(static_cast<int>(count) - 1) &&
        curve.getY(0) == curve.getY(static_cast<int>(count) - 1)) {
        --count;
    }
    if (count == 0) return Shape::none;
    if (count > kMaxPoints) return Shape::tooLarge;
    for (std::size_t i = 0; i < count; ++i) {
        out.x.push_back(curve.getX(static_cast<int>(i)));
        out.y.push_back(curve.getY(static_cast<int>(i)));
    }
    return Shape::ok;
}

// A polygon's outer ring, a line, a point; of a collection its first part that has a shape; curves as the
// lines GDAL approximates them by.
Shape shapeOf(const OGRGeometry& geometry, RawFeature& out, int depth = 0) {
    if (geometry.IsEmpty() || depth > 8) return Shape::none;
    const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
    if (OGR_GT_IsNonLinear(type)) {
        const std::unique_ptr<OGRGeometry> linear(geometry.getLinearGeometry());
        return linear && !OGR_GT_IsNonLinear(wkbFlatten(linear->getGeometryType()))
                   ? shapeOf(*linear, out, depth + 1)
                   : Shape::none;
    }
    switch (type) {
        case wkbPoint: {
            const auto& point = *geometry.toPoint();
            out.kind = Feature::Kind::Point;
            out.x.push_back(point.getX());
            out.y.push_back(point.getY());
            return Shape::ok;
        }
        case wkbLineString:
            out.kind = Feature::Kind::Line;
            return pointsOf(*geometry.toLineString(), false, out);
        case wkbPolygon:
        case wkbTriangle: {
            const OGRLinearRing* ring = geometry.toPolygon()->getExteriorRing();
            out.kind = Feature::Kind::Polygon;
            return ring ? pointsOf(*ring, true, out) : Shape::none;
        }
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (const OGRGeometry* part : *geometry.toGeometryCollection()) {
                if (!part) continue;
                const Shape shape = shapeOf(*part, out, depth + 1);
                if (shape != Shape::none) return shape;
            }
            return Shape::none;
        default:
            return Shape::none;
    }
}

std::string nameOf(const OGRFeature& feature) {
    const int index = feature.GetDefnRef()->GetFieldIndex("name");  // any letter case
    if (index < 0 || !feature.IsFieldSetAndNotNull(index)) return {};
    const char* text = feature.GetFieldAsString(index);
    return text ? text : "";
}

bool lonLatRange(const RawFeature& raw) {
    for (std::size_t i = 0; i < raw.x.size(); ++i) {
        if (!(std::fabs(raw.x[i]) <= 180) || !(std::fabs(raw.y[i]) <= 90)) return false;
    }
    return true;
}

}  // namespace

std::optional<std::vector<Feature>> GdalServices::readFeatures(const std::string& path,
                                                               std::string& error) const {
    const std::string file = detail::fileName(path);
    std::error_code ec;
    if (detail::virtualPath(path) || !std::filesystem::is_regular_file(path, ec)) {
        error = msg::importCannotRead(file);
        return std::nullopt;
    }
    const detail::QuietGdal quiet;
    const char* const drivers[] = {"GeoJSON", "GPKG", "LIBKML", "KML", "ESRI Shapefile", nullptr};
    const std::unique_ptr<GDALDataset, GdalClose> dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, nullptr, nullptr));
    if (!dataset) {
        error = msg::importCannotRead(file);
        return std::nullopt;
    }
    const OGRSpatialReference wgs84 = detail::wgs84();
    std::vector<Feature> features;
    std::size_t read = 0;
    for (OGRLayer* layer : dataset->GetLayers()) {
        if (!layer) continue;
        std::vector<RawFeature> raws;
        layer->ResetReading();
        for (const auto& feature : *layer) {
            if (++read > kMaxFeatures) {
                error = msg::importTooManyFeatures(file);
                return std::nullopt;
            }
            const OGRGeometry* geometry = feature ? feature->GetGeometryRef() : nullptr;
            if (!geometry) continue;
            RawFeature raw;
            const Shape shape = shapeOf(*geometry, raw);
            if (shape == Shape::tooLarge) {
                error = msg::importTooManyPoints(file, read);
                return std::nullopt;
            }
            if (shape == Shape::none) continue;
            raw.name = nameOf(*feature);
            raw.number = read;
            raws.push_back(std::move(raw));
        }
        const OGRSpatialReference* own = layer->GetSpatialRef();
        std::unique_ptr<OGRCoordinateTransformation> toWgs84;
        if (own && !own->IsEmpty()) {
            OGRSpatialReference source(*own);
            source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            toWgs84.reset(OGRCreateCoordinateTransformation(&source, &wgs84));
            if (!toWgs84) {
                error = msg::importNoSystem(file);
                return std::nullopt;
            }
        }
        for (RawFeature& raw : raws) {
            // Without a system (a shapefile without its .prj) only longitudes and latitudes are taken as
            // such.
            if (!toWgs84 && !lonLatRange(raw)) {
                error = msg::importNoSystem(file);
                return std::nullopt;
            }
            std::vector<int> ok(raw.x.size(), TRUE);
            if (toWgs84 &&
                !toWgs84->Transform(raw.x.size(), raw.x.data(), raw.y.data(), nullptr, ok.data())) {
                ok.assign(ok.size(), FALSE);
            }
            Feature feature{raw.kind, raw.name, {}};
            for (std::size_t i = 0; i < raw.x.size(); ++i) {
                const measure::LonLat p{raw.x[i], raw.y[i]};
                if (!ok[i] || !(std::fabs(p.lon) <= 360) || !(std::fabs(p.lat) <= 90)) {
                    error = msg::importNotPlaced(file, raw.number);
                    return std::nullopt;
                }
                feature.points.push_back(p);
            }
            features.push_back(std::move(feature));
        }
    }
    return features;
}

}  // namespace brelvo::geo
