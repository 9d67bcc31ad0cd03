// The features of a GIS file (GeoJSON, GeoPackage, KML, shapefile) in WGS 84 longitude/latitude, for a
// basin or stream drawn elsewhere: every part of a multi-geometry, a polygon with its holes, and why a
// polygon cannot be traced (a ring that crosses itself or encloses nothing, found in the file's own
// coordinates). Whatever a file holds, the reading is bounded: at most 10,000 features and 100,000
// points a feature.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>

#include "common/messages.hpp"
#include "common/numbers.hpp"
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

struct RawRing {
    std::vector<double> x, y;
};

// A feature's shape (one part of a multi-geometry) in its layer's coordinates.
struct RawFeature {
    Feature::Kind kind = Feature::Kind::Point;
    std::string name;
    RawRing outer;               // a polygon's outer ring, a line's points, a point
    std::vector<RawRing> holes;  // a polygon's inner rings
    std::size_t number = 0;      // its feature's place in the file, from 1
    int part = 1, parts = 1;
    std::string problem;
};

enum class Shape { none, ok, tooLarge };

// The curve's points, consecutive repeats dropped; a ring's closing point repeats its first.
Shape pointsOf(const OGRSimpleCurve& curve, bool ring, RawRing& out, std::size_t& budget) {
    const std::size_t count = static_cast<std::size_t>(std::max(0, curve.getNumPoints()));
    if (count == 0) return Shape::none;
    if (count > budget) return Shape::tooLarge;
    budget -= count;
    for (std::size_t i = 0; i < count; ++i) {
        const double x = curve.getX(static_cast<int>(i)), y = curve.getY(static_cast<int>(i));
        if (!out.x.empty() && out.x.back() == x && out.y.back() == y) continue;
        out.x.push_back(x);
        out.y.push_back(y);
    }
    if (ring && out.x.size() > 1 && out.x.front() == out.x.back() && out.y.front() == out.y.back()) {
        out.x.pop_back();
        out.y.pop_back();
    }
    return Shape::ok;
}

// Each part that has a shape: a polygon with its rings, a line, a point; every part of a collection;
// curves as the lines GDAL approximates them by.
Shape shapesOf(const OGRGeometry& geometry, std::vector<RawFeature>& out, std::size_t& budget,
               int depth = 0) {
    if (geometry.IsEmpty() || depth > 8) return Shape::none;
    const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
    if (OGR_GT_IsNonLinear(type)) {
        const std::unique_ptr<OGRGeometry> linear(geometry.getLinearGeometry());
        return linear && !OGR_GT_IsNonLinear(wkbFlatten(linear->getGeometryType()))
                   ? shapesOf(*linear, out, budget, depth + 1)
                   : Shape::none;
    }
    RawFeature raw;
    Shape shape = Shape::none;
    switch (type) {
        case wkbPoint: {
            const auto& point = *geometry.toPoint();
            raw.kind = Feature::Kind::Point;
            raw.outer.x.push_back(point.getX());
            raw.outer.y.push_back(point.getY());
            shape = Shape::ok;
            break;
        }
        case wkbLineString:
            raw.kind = Feature::Kind::Line;
            shape = pointsOf(*geometry.toLineString(), false, raw.outer, budget);
            break;
        case wkbPolygon:
        case wkbTriangle: {
            const OGRPolygon& polygon = *geometry.toPolygon();
            const OGRLinearRing* ring = polygon.getExteriorRing();
            raw.kind = Feature::Kind::Polygon;
            shape = ring ? pointsOf(*ring, true, raw.outer, budget) : Shape::none;
            for (int i = 0; shape == Shape::ok && i < polygon.getNumInteriorRings(); ++i) {
                const OGRLinearRing* inner = polygon.getInteriorRing(i);
                if (!inner || inner->IsEmpty()) continue;
                raw.holes.emplace_back();
                if (pointsOf(*inner, true, raw.holes.back(), budget) == Shape::tooLarge)
                    shape = Shape::tooLarge;
            }
            break;
        }
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (const OGRGeometry* part : *geometry.toGeometryCollection()) {
                if (!part) continue;
                const Shape partShape = shapesOf(*part, out, budget, depth + 1);
                if (partShape == Shape::tooLarge) return partShape;
                if (partShape == Shape::ok) shape = Shape::ok;
            }
            return shape;
        default:
            return Shape::none;
    }
    if (shape == Shape::ok) out.push_back(std::move(raw));
    return shape;
}

// -1, 0 or 1: which side of a-b the point p lies on.
int side(double ax, double ay, double bx, double by, double px, double py) {
    const double cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    return (cross > 0) - (cross < 0);
}

// Where two edges of a ring meet, each edge given by its first point's index; nothing when they do not.
std::optional<std::pair<double, double>> meeting(const RawRing& r, std::size_t i, std::size_t j) {
    const std::size_t n = r.x.size();
    const double ax = r.x[i], ay = r.y[i], bx = r.x[(i + 1) % n], by = r.y[(i + 1) % n];
    const double cx = r.x[j], cy = r.y[j], dx = r.x[(j + 1) % n], dy = r.y[(j + 1) % n];
    const int d1 = side(ax, ay, bx, by, cx, cy), d2 = side(ax, ay, bx, by, dx, dy);
    const int d3 = side(cx, cy, dx, dy, ax, ay), d4 = side(cx, cy, dx, dy, bx, by);
    const auto within = [](double p, double q, double v) {
        return std::min(p, q) <= v && v <= std::max(p, q);
    };
    const auto onEdge = [&](double ex, double ey, double fx, double fy, double px, double py) {
        return within(ex, fx, px) && within(ey, fy, py);
    };
    const bool adjacent = (i + 1) % n == j || (j + 1) % n == i;
    if (d1 == 0 && d2 == 0) {
        // On one line: they meet where they overlap (neighbours share only their common corner).
        for (const auto& [px, py, ex, ey, fx, fy] :
             {std::array{cx, cy, ax, ay, bx, by}, std::array{dx, dy, ax, ay, bx, by},
              std::array{ax, ay, cx, cy, dx, dy}, std::array{bx, by, cx, cy, dx, dy}}) {
            if (!onEdge(ex, ey, fx, fy, px, py)) continue;
            const bool sharedCorner = adjacent && ((px == bx && py == by && (i + 1) % n == j) ||
                                                   (px == ax && py == ay && (j + 1) % n == i));
            if (!sharedCorner) return std::pair{px, py};
        }
        return std::nullopt;
    }
    if (adjacent) return std::nullopt;  // neighbours not on one line meet at their corner only
    if (d1 * d2 > 0 || d3 * d4 > 0) return std::nullopt;
    if (d1 == 0) return std::pair{cx, cy};
    if (d2 == 0) return std::pair{dx, dy};
    if (d3 == 0) return std::pair{ax, ay};
    if (d4 == 0) return std::pair{bx, by};
    const double t =
        ((cx - ax) * (dy - cy) - (cy - ay) * (dx - cx)) / ((bx - ax) * (dy - cy) - (by - ay) * (dx - cx));
    return std::pair{ax + t * (bx - ax), ay + t * (by - ay)};
}

// The first place (by the edges' order along the ring) where the ring touches or crosses itself. The
// edges are swept by their least X, so only edges whose X ranges overlap are compared.
std::optional<std::pair<double, double>> crossing(const RawRing& r) {
    const std::size_t n = r.x.size();
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    const auto lo = [&](std::size_t i) { return std::min(r.x[i], r.x[(i + 1) % n]); };
    const auto hi = [&](std::size_t i) { return std::max(r.x[i], r.x[(i + 1) % n]); };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return lo(a) < lo(b); });
    std::optional<std::pair<std::size_t, std::size_t>> first;
    std::optional<std::pair<double, double>> at;
    for (std::size_t a = 0; a < n; ++a) {
        const std::size_t i = order[a];
        for (std::size_t b = a + 1; b < n && lo(order[b]) <= hi(i); ++b) {
            const std::size_t j = order[b];
            const std::pair<std::size_t, std::size_t> key{std::min(i, j), std::max(i, j)};
            if (first && key >= *first) continue;
            if (const auto p = meeting(r, i, j)) {
                first = key;
                at = p;
            }
        }
    }
    return at;
}

OGRLinearRing linearRing(const RawRing& r) {
    OGRLinearRing ring;
    ring.setPoints(static_cast<int>(r.x.size()), r.x.data(), r.y.data());
    ring.closeRings();
    return ring;
}

// GEOS (when GDAL has it) tells through its index, quickly on any ring, that a ring neither touches nor
// crosses itself; the search above, which names the place but compares every two edges whose X ranges
// overlap, runs only on a ring GEOS finds is not simple, or without GEOS.
bool simpleByGeos(const RawRing& r) {
    if (!OGRGeometryFactory::haveGEOS()) return false;
    OGRLineString line;
    line.setPoints(static_cast<int>(r.x.size()), r.x.data(), r.y.data());
    line.addPoint(r.x.front(), r.y.front());
    return line.IsSimple();
}

// Why a polygon whose rings are each sound cannot be traced: a hole outside it or across a boundary
// (found by GEOS; nothing without it).
std::string holesProblem(const RawFeature& raw, const std::string& label) {
    if (raw.holes.empty() || !OGRGeometryFactory::haveGEOS()) return {};
    OGRPolygon polygon;
    OGRLinearRing outer = linearRing(raw.outer);
    polygon.addRing(&outer);
    for (const RawRing& hole : raw.holes) {
        OGRLinearRing inner = linearRing(hole);
        polygon.addRing(&inner);
    }
    return polygon.IsValid() ? std::string() : msg::importHolesMisplaced(label);
}

// Why a polygon's ring cannot be traced: fewer than three distinct corners, all on one line, or a place
// where it touches or crosses itself (a ring that does neither encloses an area).
std::string ringProblem(const RawRing& ring, const std::string& label, int hole) {
    std::vector<std::pair<double, double>> distinct;
    for (std::size_t i = 0; i < ring.x.size() && distinct.size() < 3; ++i) {
        const std::pair<double, double> p{ring.x[i], ring.y[i]};
        if (std::find(distinct.begin(), distinct.end(), p) == distinct.end()) distinct.push_back(p);
    }
    if (distinct.size() < 3) return msg::importRingTooFew(label, hole, distinct.size());
    // On one line: every corner on the line from the first to the one farthest from it.
    std::size_t far = 0;
    double farthest = 0;
    for (std::size_t i = 1; i < ring.x.size(); ++i) {
        const double d = std::hypot(ring.x[i] - ring.x[0], ring.y[i] - ring.y[0]);
        if (d > farthest) {
            farthest = d;
            far = i;
        }
    }
    bool inLine = true;
    for (std::size_t i = 1; i < ring.x.size() && inLine; ++i) {
        const double across = (ring.x[far] - ring.x[0]) * (ring.y[i] - ring.y[0]) -
                              (ring.y[far] - ring.y[0]) * (ring.x[i] - ring.x[0]);
        inLine = std::fabs(across) <= 1e-12 * farthest * farthest;
    }
    if (inLine) return msg::importRingNoArea(label, hole);
    if (simpleByGeos(ring)) return {};
    if (const auto at = crossing(ring)) {
        return msg::importRingCrosses(
            label, hole, common::messageNumber(at->first, 10) + ", " + common::messageNumber(at->second, 10));
    }
    return {};
}

std::string nameOf(const OGRFeature& feature) {
    const int index = feature.GetDefnRef()->GetFieldIndex("name");  // any letter case
    if (index < 0 || !feature.IsFieldSetAndNotNull(index)) return {};
    const char* text = feature.GetFieldAsString(index);
    return text ? text : "";
}

bool lonLatRange(const RawRing& ring) {
    for (std::size_t i = 0; i < ring.x.size(); ++i) {
        if (!(std::fabs(ring.x[i]) <= 180) || !(std::fabs(ring.y[i]) <= 90)) return false;
    }
    return true;
}

// The ring in longitude and latitude; nothing when a point cannot be placed.
std::optional<std::vector<measure::LonLat>> toLonLat(RawRing ring, OGRCoordinateTransformation* toWgs84) {
    std::vector<int> ok(ring.x.size(), TRUE);
    if (toWgs84 && !toWgs84->Transform(ring.x.size(), ring.x.data(), ring.y.data(), nullptr, ok.data()))
        return std::nullopt;
    std::vector<measure::LonLat> points;
    for (std::size_t i = 0; i < ring.x.size(); ++i) {
        const measure::LonLat p{ring.x[i], ring.y[i]};
        if (!ok[i] || !(std::fabs(p.lon) <= 360) || !(std::fabs(p.lat) <= 90)) return std::nullopt;
        points.push_back(p);
    }
    return points;
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
            std::vector<RawFeature> parts;
            std::size_t budget = kMaxPoints;
            const Shape shape = shapesOf(*geometry, parts, budget);
            if (shape == Shape::tooLarge) {
                error = msg::importTooManyPoints(file, read);
                return std::nullopt;
            }
            for (std::size_t i = 0; i < parts.size(); ++i) {
                RawFeature& raw = parts[i];
                raw.name = nameOf(*feature);
                raw.number = read;
                raw.part = static_cast<int>(i + 1);
                raw.parts = static_cast<int>(parts.size());
                // Checked in the file's own coordinates, which the message gives.
                if (raw.kind == Feature::Kind::Polygon) {
                    const std::string label = msg::importFeatureLabel(raw.name, read, raw.part, raw.parts);
                    raw.problem = ringProblem(raw.outer, label, 0);
                    for (std::size_t h = 0; h < raw.holes.size() && raw.problem.empty(); ++h)
                        raw.problem = ringProblem(raw.holes[h], label, static_cast<int>(h + 1));
                    if (raw.problem.empty()) raw.problem = holesProblem(raw, label);
                }
                raws.push_back(std::move(raw));
            }
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
            if (!toWgs84 &&
                (!lonLatRange(raw.outer) || !std::all_of(raw.holes.begin(), raw.holes.end(), lonLatRange))) {
                error = msg::importNoSystem(file);
                return std::nullopt;
            }
            Feature feature;
            feature.kind = raw.kind;
            feature.name = raw.name;
            feature.number = raw.number;
            feature.part = raw.part;
            feature.parts = raw.parts;
            feature.problem = raw.problem;
            auto outer = toLonLat(std::move(raw.outer), toWgs84.get());
            if (!outer) {
                error = msg::importNotPlaced(file, raw.number);
                return std::nullopt;
            }
            feature.points = std::move(*outer);
            for (RawRing& hole : raw.holes) {
                auto ring = toLonLat(std::move(hole), toWgs84.get());
                if (!ring) {
                    error = msg::importNotPlaced(file, raw.number);
                    return std::nullopt;
                }
                feature.holes.push_back(std::move(*ring));
            }
            features.push_back(std::move(feature));
        }
    }
    return features;
}

}  // namespace brelvo::geo
