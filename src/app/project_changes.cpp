// The same work in two projects: the measuring work on the picture, the runoff inputs, the picture file.
#include "app/project_changes.hpp"

#include <utility>

#include "measure/work_history.hpp"

namespace brelvo::app::project {

namespace {

measure::PictureFrame frameOf(const mapview::RectF& r) {
    return {r.left, r.top, r.width, r.height};
}

}  // namespace

bool sameWork(const Project& a, const Project& b, const std::optional<RunoffInputs>& runoffAtStart) {
    // The measuring work compared on the picture; the view itself is no part of the work.
    const measure::WorkOnPicture x = measure::onPicture(a.work, frameOf(a.picture));
    const measure::WorkOnPicture y = measure::onPicture(b.work, frameOf(b.picture));
    if (!(x.rest == y.rest) || !measure::samePlaces(x.places, y.places)) return false;
    // The delineation's settings are no work on the map, but the project keeps them.
    if (!(a.work.delineationSettings == b.work.delineationSettings)) return false;
    // A runoff window holding just what it held when first opened is the same as none.
    auto runoff = [&runoffAtStart](const Project& p) {
        return p.runoff && runoffAtStart && *p.runoff == *runoffAtStart ? std::nullopt : p.runoff;
    };
    return a.picturePath == b.picturePath && a.scrollZoomFactor == b.scrollZoomFactor &&
           runoff(a) == runoff(b) && a.elevation == b.elevation;
}

}  // namespace brelvo::app::project
