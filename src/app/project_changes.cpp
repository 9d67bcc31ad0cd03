// The same work in two projects: view-dependent values on the picture, passing window state left out.
#include "app/project_changes.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace brelvo::app::project {

namespace {

// A project with its view-dependent values taken out into `places` (as fractions of the picture's
// rectangle, and scales per picture width) and its passing state cleared.
struct Work {
    Project rest;
    std::vector<double> places;
};

Work workOf(Project p, const std::optional<RunoffInputs>& runoffAtStart) {
    Work w;
    const mapview::RectF frame = p.picture;
    const bool sized = frame.width > 0 && frame.height > 0;
    const double width = sized ? frame.width : 1.0, height = sized ? frame.height : 1.0;
    const double left = sized ? frame.left : 0.0, top = sized ? frame.top : 0.0;
    auto viewPoint = [&](float& x, float& y) {
        w.places.push_back((x - left) / width);
        w.places.push_back((y - top) / height);
        x = y = 0;
    };
    auto imagePoint = [&](measure::PointF& point) {
        w.places.push_back(point.x / width);
        w.places.push_back(point.y / height);
        point = {};
    };

    p.picture = {};
    p.stretch = false;
    measure::SurfaceControls& c = p.work.controls;
    for (auto& [index, segment] : c.line1) {
        if (segment.visible) {
            viewPoint(segment.x1, segment.y1);
            viewPoint(segment.x2, segment.y2);
        } else {
            segment = {};  // a hidden segment's ends and style are no longer anything on the map
        }
    }
    for (measure::Label& label : c.label1) {
        if (label.visible) viewPoint(label.left, label.top);
        if (!label.visible) label.left = label.top = 0;
    }
    c.caption.clear();
    c.text1 = {{}, c.text1.text, 0};
    c.shape1 = c.shape2 = c.frameScale = {};
    c.pointer = measure::Pointer::Default;
    c.text2.clear();
    c.upDown1Value = c.upDown1Step = c.option1 = 0;
    c.dialogCancelRaisesError = false;

    measure::MeasureState& s = p.work.state;
    w.places.push_back(s.scaleX * width);
    w.places.push_back(s.scaleY * height);
    s.scaleX = s.scaleY = 0;
    if (s.pixelUnits && s.generalPixels) imagePoint(s.refPixel);
    s.refPixel = {};
    if (s.mapOriginPinned) imagePoint(s.mapOrigin);
    s.mapOrigin = {};
    s.mode = measure::Idle;
    s.lastPoint = s.grabPoint = s.scalePoint2 = {};
    s.viewUnlocked = true;
    s.removeAll = false;

    if (p.runoff && runoffAtStart && *p.runoff == *runoffAtStart) p.runoff.reset();
    w.rest = std::move(p);
    return w;
}

// Places agree to a hundred-thousandth: far below a pixel, far above the rounding of a zoom.
bool samePlace(double a, double b) {
    return std::fabs(a - b) <= 1e-5 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

}  // namespace

bool sameWork(const Project& a, const Project& b, const std::optional<RunoffInputs>& runoffAtStart) {
    const Work x = workOf(a, runoffAtStart);
    const Work y = workOf(b, runoffAtStart);
    return x.rest == y.rest &&
           std::equal(x.places.begin(), x.places.end(), y.places.begin(), y.places.end(), samePlace);
}

}  // namespace brelvo::app::project
