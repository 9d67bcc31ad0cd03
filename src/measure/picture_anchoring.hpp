// Lines, markers and labels stay on the map: each is held by the point of the picture it was placed
// on, and every zoom, scroll and layout of the view moves it with the picture while it is shown. The
// view positions the logic writes (segments, Shape1 and Shape2, labels, the previous point of a line)
// are taken as placed on the picture as it was shown when they were written. The map origin and the
// reference pixel of general pixel scaling follow the picture too, so map coordinates stay the same.
#pragma once

#include <map>
#include <vector>

#include "measure/measure_document.hpp"
#include "measure/measure_state.hpp"

namespace brelvo::measure {

// The picture's rectangle in the map view, view units.

// A view position written while the picture had the rectangle `frame`. The point held on the picture
// is `placed` + `offset` (a marker is held by its centre, its position is its top-left corner).
struct PictureAnchor {
    PointF placed;
    PointF offset;
    PictureFrame frame;
    PointF shown;  // the view position last given out, to tell a newly written one from it
    bool set = false;

    // Where the position is with the picture at `now`: exactly `placed` while the picture has not
    // moved; otherwise the same fraction of the picture's width and height. A picture of no width or
    // height only carries the position along with its corner.
    PointF at(const PictureFrame& now) const;
};

class PictureAnchoring {
  public:
    // The picture is now shown at `now`: every view position the logic wrote since the last call is
    // anchored to the picture as it was then, and every segment end, marker, label and the previous
    // point of the line being traced is moved to where its picture point now lies.
    void follow(MeasureDocument& doc, const PictureFrame& now);

    // Every position the logic holds now was placed with the picture at `placedIn` (a state put back
    // from earlier): the next follow carries them from there to where the picture is then.
    void restart(const PictureFrame& placedIn) {
        *this = PictureAnchoring{};
        frame_ = placedIn;
        hasFrame_ = true;
    }

    // The picture's rectangle of the last follow; positions written since are in it.
    const PictureFrame& frame() const { return frame_; }

  private:
    // An image-relative point of MeasureState; (0, 0) is no point and stays so.
    void followImagePoint(PictureAnchor& anchor, PointF& shown, PointF& point, const PictureFrame& now) const;
    void followPoint(PictureAnchor& anchor, bool visible, float& x, float& y, PointF offset,
                     const PictureFrame& now) const;
    // An image-relative point that is a point whenever `pinned`, (0, 0) included.
    void followPinnedPoint(PictureAnchor& anchor, PointF& shown, bool pinned, PointF& point,
                           const PictureFrame& now) const;

    struct SegmentAnchors {
        PictureAnchor start;
        PictureAnchor end;
        std::vector<PictureAnchor> path;                // a line traced whole: each vertex
        std::vector<std::vector<PictureAnchor>> holes;  // an area's holes: each vertex
    };
    std::map<int, SegmentAnchors> segments_;
    PictureAnchor shape1_;
    PictureAnchor shape2_;
    std::vector<PictureAnchor> labels_;
    PictureAnchor lastPoint_;
    PointF lastPointShown_;  // image-relative
    PictureAnchor scalePoint2_;
    PointF scalePoint2Shown_;
    PictureAnchor mapOrigin_;
    PointF mapOriginShown_;
    PictureAnchor refPixel_;
    PointF refPixelShown_;
    PictureFrame frame_;
    bool hasFrame_ = false;
};

}  // namespace brelvo::measure
