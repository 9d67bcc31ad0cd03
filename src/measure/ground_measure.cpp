// Measuring on the ground: map coordinates and the midpoint-rule centroid in double precision (a single
// would lose a UTM northing's metres), geodesic lengths and areas from the map's ground model.
#include "measure/ground_measure.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/ground_position.hpp"
#include "measure/measurement.hpp"

namespace brelvo::measure {

namespace {

namespace msg = common::msg;

const std::string kCrLf = "\r\n";
constexpr double kNone = static_cast<double>(1E+38f);  // the extents before any point, as the planar pass

// A map figure as a single for the listing: beyond the single range it is the largest single, so that no
// georeference the user loads ends the listing.
float listed(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(value)) return 0;
    return static_cast<float>(std::fmax(-kMax, std::fmin(kMax, value)));
}

std::string pointText(const MapPoint& p) {
    return common::generalText(listed(p.x)) + ", " + common::generalText(listed(p.y));
}

// A traced vertex that the map's coordinate system cannot place on the ground.
struct OffTheGround {
    MapPoint point;
};

// One traced line measured on the ground segment by segment: extents, geodesic length, the length up to
// the segment end nearest a reference point, and the midpoint-rule sums taken relative to the first
// vertex.
class GroundLine {
  public:
    GroundLine(const GroundModel& ground, const MapPoint& reference)
        : ground_(ground), reference_(reference) {}
    // A hole of `outer`: its sums taken from the outer line's first vertex.
    GroundLine(const GroundModel& ground, const GroundLine& outer)
        : ground_(ground), origin_(outer.origin_), fixedOrigin_(true) {}

    void add(const MapPoint& a, const MapPoint& b) {
        for (const MapPoint& p : {a, b}) {
            xmin = std::fmin(xmin, p.x);
            xmax = std::fmax(xmax, p.x);
            ymin = std::fmin(ymin, p.y);
            ymax = std::fmax(ymax, p.y);
        }
        const LonLat groundA = onGround(a);
        const LonLat groundB = onGround(b);
        if (starts.empty() && !fixedOrigin_) origin_ = a;
        starts.push_back(a);
        groundStarts.push_back(groundA);
        lastEnd = b;

        const double x1 = a.x - origin_.x, y1 = a.y - origin_.y;
        const double x2 = b.x - origin_.x, y2 = b.y - origin_.y;
        const double my = (y1 + y2) / 2;
        const double aArea = (x2 - x1) * my;
        ax_ += aArea;
        mxSum_ += aArea * my / 2;
        const double mx = (x2 + x1) / 2;
        const double bArea = (y2 - y1) * mx;
        ay_ += bArea;
        mySum_ += mx * bArea / 2;

        lengthM += ground_.geodesicLength(groundA, groundB);
        // Only segment ends are candidates for the point nearest the reference, the earlier on a tie.
        const double dx = reference_.x - b.x, dy = reference_.y - b.y;
        const double d = dx * dx + dy * dy;
        if (d < nearest_) {
            nearest_ = d;
            lengthToNearestM = lengthM;
        }
    }

    // Takes a hole out: its moments from the area's (whichever way each runs round), its length into the
    // perimeter; its geodesic area, which is returned in square metres.
    double takeOut(const GroundLine& hole) {
        const double f = (hole.ay_ < 0) == (ay_ < 0) ? -1 : 1;
        ax_ += f * hole.ax_;
        mxSum_ += f * hole.mxSum_;
        ay_ += f * hole.ay_;
        mySum_ += f * hole.mySum_;
        lengthM += hole.lengthM;
        return ground_.geodesicArea(hole.groundStarts);
    }

    // The centroid's X (My / Ay) and Y (Mx / Ax), shifted back from the first vertex; a zero
    // denominator is the planar pass's failure.
    double centroidX() const { return origin_.x + divide(mySum_, ay_); }
    double centroidY() const { return origin_.y + divide(mxSum_, ax_); }

    double xmin = kNone, ymin = kNone, xmax = -kNone, ymax = -kNone;
    double lengthM = 0;
    double lengthToNearestM = 0;
    std::vector<MapPoint> starts;  // each segment's start, map coordinates
    std::vector<LonLat> groundStarts;
    MapPoint lastEnd;

  private:
    LonLat onGround(const MapPoint& p) const {
        const std::optional<LonLat> g = ground_.toGeographic(p);
        if (!g) throw OffTheGround{p};
        return *g;
    }
    static double divide(double a, double b) {
        if (b == 0) throw(a == 0 ? common::overflow() : common::divisionByZero());
        return a / b;
    }

    const GroundModel& ground_;
    MapPoint reference_;
    MapPoint origin_;
    double ax_ = 0, mxSum_ = 0, ay_ = 0, mySum_ = 0;
    double nearest_ = kNone;
    bool fixedOrigin_ = false;
};

// The area's holes into the line, each closed; their geodesic area in square metres.
double takeOutHoles(GroundLine& line, const GroundModel& ground, const Georeference& g,
                    const MapSurface& surface, float tpp, const Segment& seg) {
    double areaM2 = 0;
    for (const std::vector<PointF>& ring : seg.holes) {
        GroundLine hole(ground, line);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const PointF& a = ring[i];
            const PointF& b = ring[(i + 1) % ring.size()];
            hole.add(mapOfView(g, surface, tpp, a.x, a.y), mapOfView(g, surface, tpp, b.x, b.y));
        }
        areaM2 += line.takeOut(hole);
    }
    return areaM2;
}

// Each straight piece of a segment (itself, or each step of a line traced whole) into the line.
void addPieces(GroundLine& line, const Georeference& g, const MapSurface& surface, float tpp,
               const Segment& seg) {
    forEachPiece(seg, [&](float x1, float y1, float x2, float y2) {
        line.add(mapOfView(g, surface, tpp, x1, y1), mapOfView(g, surface, tpp, x2, y2));
    });
}

std::string latLongText(const LonLat& p) {
    return common::formatPattern(p.lat, "0.000000") + ", " + common::formatPattern(p.lon, "0.000000");
}

}  // namespace

GroundUnits groundUnitsOf(const MeasureState& state) {
    GroundUnits units;
    if (state.lengthUnitText == " (ft)") units.metresPerLength = kMetresPerFoot;
    if (state.areaUnitText == " (acres)") units.squareMetresPerArea = kSquareMetresPerAcre;
    if (state.areaUnitText == " (ft^2)") units.squareMetresPerArea = kSquareMetresPerSquareFoot;
    return units;
}

PointF listingPoint(const MeasureDocument& doc, const MapSurface& surface, float twipsPerPixel, float vx,
                    float vy) {
    if (!measuresOnGround(doc, surface)) return ToMapCoords(doc.state(), surface, vx, vy);
    const MapPoint p = mapOfView(*doc.georeference(), surface, twipsPerPixel, vx, vy);
    return {listed(p.x), listed(p.y)};
}

void computeGroundMeasurement(MeasureDocument& doc, const MapSurface& surface, common::Dialogs& dialogs,
                              float twipsPerPixel) {
    MeasureState& s = doc.state();
    const Georeference& georef = *doc.georeference();
    GroundLine line(*surface.ground(), {s.areaCentroid.x, s.areaCentroid.y});
    double areaM2 = 0;
    std::optional<MapPoint> centroid;  // found by this pass
    bool tracedWhole = false;
    std::vector<const Segment*> holed;
    try {
        const int first = s.lineStartAt(s.lineNumber);
        for (int i = first; i <= s.segmentIndex; ++i) {
            const auto it = doc.controls().line1.find(i);
            if (it == doc.controls().line1.end()) throw common::controlArrayElementMissing(i);
            if (!it->second.path.empty()) tracedWhole = true;
            if (!it->second.holes.empty() && s.mode == AreaBoundary) holed.push_back(&it->second);
            addPieces(line, georef, surface, twipsPerPixel, it->second);
        }
        double holesM2 = 0;
        for (const Segment* seg : holed)
            holesM2 += takeOutHoles(line, *surface.ground(), georef, surface, twipsPerPixel, *seg);
        // A line traced whole has its vertices in one element: it is measured whatever its index.
        if (s.segmentIndex >= 2 || tracedWhole) {
            if (s.mode == AreaBoundary)
                areaM2 = std::fmax(0.0, surface.ground()->geodesicArea(line.groundStarts) - holesM2);
            // A line that encloses no area has no centroid: said once, with why and what to do.
            std::string noCentroid;
            MapPoint found{s.centroid.x, s.centroid.y};
            bool whole = true;
            for (const bool isX : {true, false}) {
                try {
                    const double v = isX ? line.centroidX() : line.centroidY();
                    (isX ? found.x : found.y) = v;
                    (isX ? s.centroid.x : s.centroid.y) = listed(v);
                } catch (const common::RuntimeFailure& f) {
                    whole = false;
                    if (noCentroid.empty())
                        noCentroid = msg::withCause(f.description(), msg::kNoCentroidCause);
                }
            }
            // A stream encloses nothing by nature: only an area's missing centroid is worth a word.
            if (!noCentroid.empty() && s.mode == AreaBoundary) dialogs.message(noCentroid);
            if (whole) centroid = found;
            if (s.mode == AreaBoundary) s.areaCentroid = s.centroid;
        }
    } catch (const common::RuntimeFailure& f) {
        // The pass ends here; the listing still gets what was found so far.
        dialogs.message(common::failureText(f));
    } catch (const OffTheGround& off) {
        dialogs.message(msg::pointOffTheGround(pointText(off.point)));
        centroid.reset();
    }

    const GroundUnits units = groundUnitsOf(s);
    const double length = line.lengthM / units.metresPerLength;
    appendMeasurementResults(doc,
                             {listed(line.xmin), listed(line.ymin), listed(line.xmax), listed(line.ymax)},
                             listed(areaM2 / units.squareMetresPerArea), listed(length),
                             listed(length - line.lengthToNearestM / units.metresPerLength));
    std::size_t holes = 0;
    for (const Segment* seg : holed) holes += seg->holes.size();
    if (holes > 0) appendHolesLine(doc, holes);
    if (s.mode != AreaBoundary || !centroid) return;
    const std::optional<LonLat> wgs = surface.ground()->toWgs84(*centroid);
    if (!wgs) {
        dialogs.message(msg::kCentroidOffTheGround);
        return;
    }
    TextBox& listing = doc.edit(SurfacePart::Text1).text1;
    listing.text += msg::kCentroidLatLongLead + latLongText(*wgs) + kCrLf;
    listing.caret = static_cast<int>(listing.text.size());
}

namespace {

// The segments of finished line `k` (1-based), in order; empty when one is missing.
std::vector<const Segment*> lineSegments(const MeasureDocument& doc, int k, bool tracing) {
    const MeasureState& s = doc.state();
    const int first = s.lineStart[static_cast<std::size_t>(k)];
    const int last = k < s.lineNumber ? s.lineStart[static_cast<std::size_t>(k + 1)] - 1 : s.segmentIndex;
    std::vector<const Segment*> segments;
    if (tracing && k == s.lineNumber) return segments;
    for (int i = first; i <= last; ++i) {
        const auto it = doc.controls().line1.find(i);
        if (it == doc.controls().line1.end()) return {};
        segments.push_back(&it->second);
    }
    return segments;
}

}  // namespace

LastBasinLines lastBasinLines(const MeasureDocument& doc) {
    const MeasureState& s = doc.state();
    const bool tracing = s.mode == AreaBoundary || s.mode == StreamLine;
    // A line's first segment has its kind's colour.
    LastBasinLines last;
    for (int k = std::min<int>(s.lineNumber, MeasureState::kLineStarts - 1); k >= 1; --k) {
        std::vector<const Segment*> segments = lineSegments(doc, k, tracing);
        if (segments.empty()) continue;
        std::vector<const Segment*>& kind = segments.front()->color == kStreamColor ? last.stream : last.area;
        if (kind.empty()) kind = std::move(segments);
    }
    return last;
}

GroundBasin groundBasin(const MeasureDocument& doc, const MapSurface& surface, float twipsPerPixel) {
    if (!measuresOnGround(doc, surface)) return {};
    const auto [area, stream] = lastBasinLines(doc);

    const Georeference& georef = *doc.georeference();
    const GroundModel& ground = *surface.ground();
    GroundBasin basin;
    auto toWgs84 = [&ground](const MapPoint& p) {
        const std::optional<LonLat> g = ground.toWgs84(p);
        if (!g) throw OffTheGround{p};
        return *g;
    };
    try {
        std::optional<MapPoint> reference;
        if (!area.empty()) {
            GroundLine line(ground, {});
            for (const Segment* seg : area) addPieces(line, georef, surface, twipsPerPixel, *seg);
            double holesM2 = 0;
            for (const Segment* seg : area) {
                holesM2 += takeOutHoles(line, ground, georef, surface, twipsPerPixel, *seg);
                for (const auto& ring : seg->holes) {
                    auto& hole = basin.holes.emplace_back();
                    for (const PointF& p : ring)
                        hole.push_back(toWgs84(mapOfView(georef, surface, twipsPerPixel, p.x, p.y)));
                }
            }
            for (const MapPoint& p : line.starts) basin.boundary.push_back(toWgs84(p));
            basin.areaMi2 =
                std::fmax(0.0, ground.geodesicArea(line.groundStarts) - holesM2) / kSquareMetresPerSquareMile;
            basin.perimeterMi = line.lengthM / kMetresPerMile;
            try {
                const MapPoint c{line.centroidX(), line.centroidY()};
                basin.centroid = toWgs84(c);
                // The stream's length below the centroid is taken from the centroid as the pass keeps it.
                reference = MapPoint{listed(c.x), listed(c.y)};
            } catch (const common::RuntimeFailure&) {
                // No centroid: the area encloses nothing.
            }
        }
        if (!stream.empty()) {
            GroundLine line(ground, reference.value_or(MapPoint{}));
            for (const Segment* seg : stream) addPieces(line, georef, surface, twipsPerPixel, *seg);
            for (const MapPoint& p : line.starts) basin.stream.push_back(toWgs84(p));
            basin.stream.push_back(toWgs84(line.lastEnd));
            basin.streamLengthMi = line.lengthM / kMetresPerMile;
            if (reference) basin.lengthToCentroidMi = (line.lengthM - line.lengthToNearestM) / kMetresPerMile;
        }
    } catch (const OffTheGround&) {
        return {};
    }
    return basin;
}

}  // namespace brelvo::measure
