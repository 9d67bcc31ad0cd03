// The measuring window's state: digitizing mode, point and line counters, scale factors and units,
// view lock, centroids and the result texts of the last measurement passes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/failure.hpp"

namespace brelvo::measure {

struct PointF {
    float x = 0;
    float y = 0;
    bool isOrigin() const { return x == 0 && y == 0; }
    friend bool operator==(const PointF&, const PointF&) = default;
};

enum Mode : std::int16_t { Idle = 0, AreaBoundary = 1, StreamLine = 2, ScalePoints = 3 };

struct MeasureState {
    static constexpr int kLineStarts = 21;  // lines 0..20 between clears

    std::int16_t mode = Idle;
    PointF lastPoint;  // previous click of the current line or first scale point, image-relative; (0,0) none
    std::array<std::int16_t, kLineStarts> lineStart{};  // first segment index of each line
    std::int16_t segmentIndex = 0;  // segment to draw next; after a line is ended, its last segment
    std::int16_t lineNumber = 0;
    float scaleDistance = 0;         // distance typed in the scale panel, map units
    float scaleX = 1.0f;             // map units per view unit (X, and Y except in general pixel scaling)
    float scaleY = 1.0f;             // map units per view unit for Y in general pixel scaling
    PointF grabPoint;                // where the command menu was opened, or the start of a drag
    std::int16_t measureNumber = 0;  // number of the current area, 1-based
    std::string areaText;
    std::string areaCentroidText;
    std::string streamLengthText;
    std::string belowCentroidText;
    std::int16_t lastFinishedMode = Idle;  // 1 area, 2 stream, 0 none
    float distanceStep = 0;                // scale spinner step, 1 or 5280
    bool feetUnits = false;
    bool pixelUnits = false;
    bool generalPixels = false;
    PointF refPixel;                         // first scale point in general pixel scaling, image-relative
    std::array<std::int16_t, 2> refCoord{};  // user coordinates of refPixel
    // Kept for projects and dumps of earlier versions: the view is never locked now (zoom, scroll and
    // resize are allowed at any time, as every position is held on the picture).
    bool viewUnlocked = true;
    // Where map coordinates (outside pixel units) have their origin, image-relative view units: the
    // view's lower-left corner as it was when the scale was set or the first line was started. It
    // follows the picture through zoom, scroll and resize, so every point of the work keeps its map
    // coordinates. Not pinned (a new picture, the start): the view's lower-left corner as it is now.
    PointF mapOrigin;
    bool mapOriginPinned = false;
    PointF centroid;      // of the last pass, map units
    PointF areaCentroid;  // of the last finished area, map units
    PointF scalePoint2;   // second scale point, image-relative
    // Squared length units to the area unit. Starts at 1 so that an area traced before any scale reads
    // in square view units, as lengths read in view units.
    float areaFactor = 1.0f;
    std::string lengthUnitText;  // " (ft)", empty until a scale is applied
    std::string areaUnitText;    // " (acres)"
    bool removeAll = false;

    // lineStart with the bounds checked: a 21st line without a clear is a subscript failure.
    std::int16_t& lineStartAt(int index) {
        if (index < 0 || index >= kLineStarts) throw common::subscriptOutOfRange();
        return lineStart[static_cast<std::size_t>(index)];
    }

    friend bool operator==(const MeasureState&, const MeasureState&) = default;
};

}  // namespace brelvo::measure
