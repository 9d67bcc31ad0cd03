// Segments, markers and labels held by their picture points through zoom, scroll and layout.
#include "measure/picture_anchoring.hpp"

namespace brelvo::measure {

namespace {

float carry(float v, float fromStart, float fromLength, float toStart, float toLength) {
    if (fromLength == 0 || toLength == 0) return toStart + (v - fromStart);
    const double fraction = (static_cast<double>(v) - fromStart) / fromLength;
    return static_cast<float>(toStart + fraction * toLength);
}

}  // namespace

PointF PictureAnchor::at(const PictureFrame& now) const {
    if (now == frame) return placed;
    const float x = carry(placed.x + offset.x, frame.left, frame.width, now.left, now.width);
    const float y = carry(placed.y + offset.y, frame.top, frame.height, now.top, now.height);
    return {x - offset.x, y - offset.y};
}

void PictureAnchoring::followPoint(PictureAnchor& anchor, bool visible, float& x, float& y, PointF offset,
                                   const PictureFrame& now) const {
    if (!visible) {
        // A hidden element stays where it was left; the position it is shown at again is written anew.
        anchor.set = false;
        return;
    }
    if (!anchor.set || x != anchor.shown.x || y != anchor.shown.y || offset != anchor.offset) {
        // Written by the logic since the last follow: it lies on the picture as shown then.
        anchor.placed = {x, y};
        anchor.offset = offset;
        anchor.frame = frame_;
        anchor.set = true;
    }
    const PointF p = anchor.at(now);
    x = p.x;
    y = p.y;
    anchor.shown = p;
}

void PictureAnchoring::followImagePoint(PictureAnchor& anchor, PointF& shown, PointF& point,
                                        const PictureFrame& now) const {
    followPinnedPoint(anchor, shown, !point.isOrigin(), point, now);
}

void PictureAnchoring::followPinnedPoint(PictureAnchor& anchor, PointF& shown, bool pinned, PointF& point,
                                         const PictureFrame& now) const {
    if (!pinned) {
        anchor.set = false;
        return;
    }
    if (!anchor.set || point != shown) {
        anchor.placed = {frame_.left + point.x, frame_.top + point.y};
        anchor.offset = {};
        anchor.frame = frame_;
        anchor.set = true;
    }
    if (now != frame_) {
        const PointF p = anchor.at(now);
        point = {p.x - now.left, p.y - now.top};
    }
    shown = point;
}

void PictureAnchoring::follow(MeasureDocument& doc, const PictureFrame& now) {
    MeasureState& state = doc.state();
    // Moved on a copy: a part is changed only when something in it moved.
    SurfaceControls surface = doc.controls();
    if (!hasFrame_) {
        frame_ = now;
        hasFrame_ = true;
    }

    // Segments: anchors of removed elements go with them.
    for (auto it = segments_.begin(); it != segments_.end();) {
        it = surface.line1.count(it->first) == 0 ? segments_.erase(it) : std::next(it);
    }
    for (auto& [index, seg] : surface.line1) {
        SegmentAnchors& a = segments_[index];
        followPoint(a.start, seg.visible, seg.x1, seg.y1, {}, now);
        followPoint(a.end, seg.visible, seg.x2, seg.y2, {}, now);
        a.path.resize(seg.path.size());
        for (std::size_t i = 0; i < seg.path.size(); ++i)
            followPoint(a.path[i], seg.visible, seg.path[i].x, seg.path[i].y, {}, now);
        a.holes.resize(seg.holes.size());
        for (std::size_t h = 0; h < seg.holes.size(); ++h) {
            a.holes[h].resize(seg.holes[h].size());
            for (std::size_t i = 0; i < seg.holes[h].size(); ++i)
                followPoint(a.holes[h][i], seg.visible, seg.holes[h][i].x, seg.holes[h][i].y, {}, now);
        }
    }

    followPoint(shape1_, surface.shape1.visible, surface.shape1.left, surface.shape1.top,
                {surface.shape1.width / 2, surface.shape1.height / 2}, now);
    followPoint(shape2_, surface.shape2.visible, surface.shape2.left, surface.shape2.top,
                {surface.shape2.width / 2, surface.shape2.height / 2}, now);

    labels_.resize(surface.label1.size());
    for (std::size_t i = 0; i < surface.label1.size(); ++i) {
        Label& label = surface.label1[i];
        followPoint(labels_[i], label.visible, label.left, label.top, {}, now);
    }

    // The previous point of a line (or the first scale point) is image-relative; (0, 0) means none and
    // stays none. The second scale point follows while the scale is being set.
    followImagePoint(lastPoint_, lastPointShown_, state.lastPoint, now);
    if (state.mode == ScalePoints) {
        followImagePoint(scalePoint2_, scalePoint2Shown_, state.scalePoint2, now);
    } else {
        scalePoint2_.set = false;
    }

    followPinnedPoint(mapOrigin_, mapOriginShown_, state.mapOriginPinned, state.mapOrigin, now);
    followPinnedPoint(refPixel_, refPixelShown_, state.pixelUnits && state.generalPixels, state.refPixel,
                      now);

    frame_ = now;
    const SurfaceControls& was = doc.controls();
    if (surface.line1 != was.line1) doc.edit(SurfacePart::Lines).line1 = std::move(surface.line1);
    if (surface.shape1 != was.shape1) doc.edit(SurfacePart::Shape1).shape1 = surface.shape1;
    if (surface.shape2 != was.shape2) doc.edit(SurfacePart::Shape2).shape2 = surface.shape2;
    if (surface.label1 != was.label1) doc.edit(SurfacePart::Labels).label1 = std::move(surface.label1);
}

}  // namespace brelvo::measure
