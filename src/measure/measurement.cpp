// The measurement pass over the current line, in single precision as the results are read by hand.
#include "measure/measurement.hpp"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/ground_measure.hpp"
#include "measure/ground_position.hpp"

namespace brelvo::measure {

namespace {

void checkFinite(std::initializer_list<float> values) {
    for (const float v : values) {
        if (!std::isfinite(v)) throw common::overflow();
    }
}

float divideSingles(float a, float b) {
    if (b == 0) throw(a == 0 ? common::overflow() : common::divisionByZero());
    return common::toSingle(static_cast<double>(a) / b);
}

const std::string kCrLf = "\r\n";

// A closed ring's sums as the pass takes them piece by piece (single precision).
struct RingSums {
    float s1 = 0, s2 = 0, ax = 0, mxSum = 0, ay = 0, mySum = 0;
    double length = 0;
};

RingSums ringSums(const MeasureState& s, const MapSurface& surface, const std::vector<PointF>& ring) {
    RingSums r;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PointF& a = ring[i];
        const PointF& b = ring[(i + 1) % ring.size()];
        const PointF p1 = ToMapCoords(s, surface, a.x, a.y);
        const PointF p2 = ToMapCoords(s, surface, b.x, b.y);
        r.s1 += p1.y * p2.x;
        r.s2 += p1.x * p2.y;
        const float my = (p1.y + p2.y) / 2;
        const float aArea = (p2.x - p1.x) * my;
        r.ax += aArea;
        r.mxSum += aArea * my / 2;
        const float mx = (p2.x + p1.x) / 2;
        const float bArea = (p2.y - p1.y) * mx;
        r.ay += bArea;
        r.mySum += mx * bArea / 2;
        const double dx = p2.x - p1.x, dy = p2.y - p1.y;
        r.length += std::sqrt(dx * dx + dy * dy);
    }
    return r;
}

}  // namespace

PointF ToMapCoords(const MeasureState& s, const MapSurface& surface, float vx, float vy) {
    if (!s.pixelUnits) {
        // Origin at the view's lower-left corner, Y upward; the X scale serves both axes. Once pinned,
        // that corner is a point of the picture. Differences in double: the same products as before
        // whenever the picture has not moved since the pin.
        if (!s.mapOriginPinned) return {vx * s.scaleX, (surface.viewHeight() - vy) * s.scaleX};
        const double ox = static_cast<double>(surface.imageLeft()) + s.mapOrigin.x;
        const double oy = static_cast<double>(surface.imageTop()) + s.mapOrigin.y;
        return {static_cast<float>((vx - ox) * s.scaleX), static_cast<float>((oy - vy) * s.scaleX)};
    }
    if (!s.generalPixels) {
        // NEXRAD pixels: origin at the picture's top-left, Y downward.
        return {(vx - surface.imageLeft()) * s.scaleX, (vy - surface.imageTop()) * s.scaleX};
    }
    return {(vx - surface.imageLeft() - s.refPixel.x) * s.scaleX + static_cast<float>(s.refCoord[0]),
            (vy - surface.imageTop() - s.refPixel.y) * s.scaleY + static_cast<float>(s.refCoord[1])};
}

void pinMapOrigin(MeasureState& s, const MapSurface& surface) {
    s.mapOrigin = {-surface.imageLeft(), surface.viewHeight() - surface.imageTop()};
    s.mapOriginPinned = true;
}

std::string ChooseNumberFormat(float value) {
    if (!(value > 0)) return "0.00";
    // The factor lies a little below 1/ln 10, so an exact power of ten falls into the band below.
    const double k = std::floor(std::log(static_cast<double>(value)) * 0.434294475872311);
    if (k <= 0) return "0.00" + std::string(static_cast<std::size_t>(-k), '0');
    if (k == 1) return "#0.0";
    if (k == 2) return "#0";
    return "#00";
}

std::string formatMeasure(float value) {
    return common::formatPattern(value, ChooseNumberFormat(value));
}

void ComputeMeasurement(MeasureDocument& doc, const MapSurface& surface, common::Dialogs& dialogs,
                        float twipsPerPixel) {
    if (measuresOnGround(doc, surface)) {
        computeGroundMeasurement(doc, surface, dialogs, twipsPerPixel);
        return;
    }
    MeasureState& s = doc.state();
    float s1 = 0, s2 = 0, ax = 0, mxSum = 0, ay = 0, mySum = 0, len = 0, lenToNearest = 0, area = 0;
    float xmin = 1E+38f, ymin = 1E+38f, xmax = -1E+38f, ymax = -1E+38f, dmin = 1E+38f;
    const PointF c = s.areaCentroid;
    const int last = s.segmentIndex;
    bool tracedWhole = false;
    std::vector<const std::vector<PointF>*> holes;

    try {
        const int first = s.lineStartAt(s.lineNumber);
        for (int i = first; i <= last; ++i) {
            const auto it = doc.controls().line1.find(i);
            if (it == doc.controls().line1.end()) {
                throw common::controlArrayElementMissing(i);
            }
            const Segment& seg = it->second;
            if (!seg.path.empty()) tracedWhole = true;
            if (s.mode == AreaBoundary)
                for (const auto& hole : seg.holes) holes.push_back(&hole);
            forEachPiece(seg, [&](float vx1, float vy1, float vx2, float vy2) {
                const PointF p1 = ToMapCoords(s, surface, vx1, vy1);
                const PointF p2 = ToMapCoords(s, surface, vx2, vy2);
                const float x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;

                if (x1 < xmin) xmin = x1;
                if (x2 < xmin) xmin = x2;
                if (x1 > xmax) xmax = x1;
                if (x2 > xmax) xmax = x2;
                if (y1 < ymin) ymin = y1;
                if (y2 < ymin) ymin = y2;
                if (y1 > ymax) ymax = y1;
                if (y2 > ymax) ymax = y2;

                s1 += y1 * x2;
                s2 += x1 * y2;

                // Trapezoids against the X axis and the Y axis, with each segment's midpoint.
                const float my = (y1 + y2) / 2;
                const float a = (x2 - x1) * my;
                ax += a;
                mxSum += a * my / 2;
                const float mx = (x2 + x1) / 2;
                const float b = (y2 - y1) * mx;
                ay += b;
                mySum += mx * b / 2;

                // Lengths: powers in double, the running sum kept as a single.
                const double dy = y2 - y1;
                const double dx = x2 - x1;
                len = common::toSingle(len + std::sqrt(dy * dy + dx * dx));

                // Only segment end points are candidates for the point nearest the reference centroid.
                const double cx = c.x - x2;
                const double cy = c.y - y2;
                const float d = common::toSingle(cx * cx + cy * cy);
                checkFinite({s1, s2, ax, mxSum, ay, mySum});
                if (d < dmin) {
                    dmin = d;
                    lenToNearest = len;
                }
            });
        }

        // Each hole's area and moments come out of the area's, its length goes into the perimeter.
        const float outerSign = s1 - s2 < 0 ? -1.0f : 1.0f;
        float holesArea = 0;
        for (const std::vector<PointF>* hole : holes) {
            const RingSums r = ringSums(s, surface, *hole);
            const float f = (r.s1 - r.s2 < 0 ? -1.0f : 1.0f) == outerSign ? -1.0f : 1.0f;
            ax += f * r.ax;
            mxSum += f * r.mxSum;
            ay += f * r.ay;
            mySum += f * r.mySum;
            holesArea += std::fabs(common::toSingle(static_cast<double>(r.s1 - r.s2)) / 2);
            len = common::toSingle(static_cast<double>(len) + r.length);
            checkFinite({ax, mxSum, ay, mySum, holesArea});
        }

        // A line traced whole has its vertices in one element: it is measured whatever its index.
        if (s.segmentIndex >= 2 || tracedWhole) {
            area = std::fabs(common::toSingle(static_cast<double>(s1 - s2)) / 2) - holesArea;
            // A line that encloses no area has no centroid: said once, with why and what to do.
            std::string noCentroid;
            try {
                s.centroid.x = divideSingles(mySum, ay);
            } catch (const common::RuntimeFailure& f) {
                noCentroid = common::msg::withCause(f.description(), common::msg::kNoCentroidCause);
            }
            try {
                s.centroid.y = divideSingles(mxSum, ax);
            } catch (const common::RuntimeFailure& f) {
                if (noCentroid.empty())
                    noCentroid = common::msg::withCause(f.description(), common::msg::kNoCentroidCause);
            }
            if (!noCentroid.empty()) dialogs.message(noCentroid);
            if (s.mode == AreaBoundary) s.areaCentroid = s.centroid;
        }
    } catch (const common::RuntimeFailure& f) {
        // The pass ends here; the listing still gets what was found so far.
        dialogs.message(common::failureText(f));
    }

    float areaInUnits = 0;
    if (s.mode == AreaBoundary) {
        try {
            areaInUnits = common::toSingle(static_cast<double>(area) * s.areaFactor);
        } catch (const common::RuntimeFailure& f) {
            dialogs.message(f.description());
        }
    }
    appendMeasurementResults(doc, {xmin, ymin, xmax, ymax}, areaInUnits, len, len - lenToNearest);
    if (!holes.empty()) appendHolesLine(doc, holes.size());
}

void appendHolesLine(MeasureDocument& doc, std::size_t holes) {
    TextBox& listing = doc.edit(SurfacePart::Text1).text1;
    listing.text += common::msg::areaNetOfHoles(doc.state().measureNumber, holes) + kCrLf;
    listing.caret = static_cast<int>(listing.text.size());
}

void appendMeasurementResults(MeasureDocument& doc, const Extents& extents, float areaInUnits, float length,
                              float lengthBelowCentroid) {
    using common::generalText;
    MeasureState& s = doc.state();
    TextBox& listing = doc.edit(SurfacePart::Text1).text1;
    std::string& text = listing.text;
    text += "Xmin " + generalText(extents.xmin) + ", Ymin " + generalText(extents.ymin) + ", Xmax " +
            generalText(extents.xmax) + ", Ymax " + generalText(extents.ymax) + kCrLf;

    if (s.mode == AreaBoundary) {
        s.areaText = "Area" + common::integerText(s.measureNumber) + "= " + formatMeasure(areaInUnits) +
                     s.areaUnitText + ", Perimeter= " + formatMeasure(length) + s.lengthUnitText;
        s.areaCentroidText =
            s.areaText + ", Centroid= " + formatMeasure(s.centroid.x) + ", " + formatMeasure(s.centroid.y);
        text += s.areaCentroidText + kCrLf;
    } else if (s.mode == StreamLine) {
        s.streamLengthText = "Longest Stream Lenth= " + formatMeasure(length) + s.lengthUnitText;
        s.belowCentroidText =
            "Length Below Centroid= " + formatMeasure(lengthBelowCentroid) + s.lengthUnitText;
        text += s.streamLengthText + ", " + s.belowCentroidText + kCrLf;
    }

    listing.caret = static_cast<int>(text.size());
    listing.visible = true;
    doc.bringToFront(SurfacePart::Text1);
}

}  // namespace brelvo::measure
