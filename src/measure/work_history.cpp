// The measuring work compared on the picture, and the undo of Clear Area/Line.
#include "measure/work_history.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace brelvo::measure {

WorkOnPicture onPicture(MeasureWork work, const PictureFrame& frame) {
    WorkOnPicture w;
    const bool sized = frame.width > 0 && frame.height > 0;
    const double width = sized ? frame.width : 1.0, height = sized ? frame.height : 1.0;
    const double left = sized ? frame.left : 0.0, top = sized ? frame.top : 0.0;
    auto viewPoint = [&](float& x, float& y) {
        w.places.push_back((x - left) / width);
        w.places.push_back((y - top) / height);
        x = y = 0;
    };
    auto imagePoint = [&](PointF& point) {
        w.places.push_back(point.x / width);
        w.places.push_back(point.y / height);
        point = {};
    };

    SurfaceControls& c = work.controls;
    for (auto& [index, segment] : c.line1) {
        if (segment.visible) {
            viewPoint(segment.x1, segment.y1);
            viewPoint(segment.x2, segment.y2);
            for (PointF& vertex : segment.path) viewPoint(vertex.x, vertex.y);
            for (auto& hole : segment.holes) {
                for (PointF& vertex : hole) viewPoint(vertex.x, vertex.y);
            }
        } else {
            segment = {};  // a hidden segment's ends and style are no longer anything on the map
        }
    }
    for (Label& label : c.label1) {
        if (label.visible) viewPoint(label.left, label.top);
        if (!label.visible) label.left = label.top = 0;
    }
    c.caption.clear();
    c.text1 = {{}, c.text1.text, 0};
    c.shape1 = c.shape2 = c.frameScale = {};
    c.pointer = Pointer::Default;
    c.text2.clear();
    c.upDown1Value = c.upDown1Step = c.option1 = 0;
    c.dialogCancelRaisesError = false;

    MeasureState& s = work.state;
    w.places.push_back(s.scaleX * width);
    w.places.push_back(s.scaleY * height);
    s.scaleX = s.scaleY = 0;
    if (s.pixelUnits && s.generalPixels) imagePoint(s.refPixel);
    s.refPixel = {};
    if (s.mapOriginPinned) imagePoint(s.mapOrigin);
    s.mapOrigin = {};
    s.mode = Idle;
    s.lastPoint = s.grabPoint = s.scalePoint2 = {};
    s.viewUnlocked = true;
    s.removeAll = false;
    // The delineation's settings are the user's choices, not the work on the map.
    work.delineationSettings = {};
    w.rest = std::move(work);
    return w;
}

bool samePlaces(const std::vector<double>& a, const std::vector<double>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) {
        return std::fabs(x - y) <= 1e-5 * std::max({1.0, std::fabs(x), std::fabs(y)});
    });
}

bool sameWork(const MeasureWork& a, const PictureFrame& frameA, const MeasureWork& b,
              const PictureFrame& frameB) {
    const WorkOnPicture x = onPicture(a, frameA);
    const WorkOnPicture y = onPicture(b, frameB);
    return x.rest == y.rest && samePlaces(x.places, y.places);
}

void ClearHistory::cleared(const MeasureWork& before, const MeasureWork& after, const PictureFrame& frame) {
    if (sameWork(before, frame, after, frame)) return;  // nothing was cleared
    entries_.push_back(Entry{before, after, frame});
}

std::optional<PictureFrame> ClearHistory::undo(MeasureDocument& doc, const PictureFrame& frameNow) {
    while (!entries_.empty() &&
           !sameWork(entries_.back().after, entries_.back().frame, doc.work(), frameNow)) {
        entries_.pop_back();
    }
    if (entries_.empty()) return std::nullopt;
    Entry cleared = std::move(entries_.back());
    entries_.pop_back();
    MeasureWork work = doc.work();
    SurfaceControls& controls = work.controls;
    controls.line1 = std::move(cleared.before.controls.line1);
    controls.label1 = std::move(cleared.before.controls.label1);
    controls.shape1 = cleared.before.controls.shape1;
    controls.shape2 = cleared.before.controls.shape2;
    controls.text1.text = cleared.before.controls.text1.text;
    controls.text1.caret = static_cast<int>(controls.text1.text.size());
    controls.text1.visible = true;
    // The points held on the picture (the map origin, the general-pixel reference) are carried from
    // where the picture was then.
    const float scaleX = work.state.scaleX, scaleY = work.state.scaleY;
    work.state = cleared.before.state;
    work.state.scaleX = scaleX;
    work.state.scaleY = scaleY;
    work.delineation = std::move(cleared.before.delineation);
    doc.replaceWork(std::move(work));
    return cleared.frame;
}

}  // namespace brelvo::measure
