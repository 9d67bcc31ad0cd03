// Whether two states of a project hold the same work: the values a user changes (lines, labels, the
// listing, the scale and units, the runoff inputs, the picture file), not how the view shows them.
// Positions are compared as places on the picture, so a zoom, a scroll or a resize changes nothing;
// captions, open panels, the pointer, the markers of a line being started and the digitizing mode are
// the window's passing state and are left out.
#pragma once

#include <optional>

#include "app/project_file.hpp"

namespace brelvo::app::project {

// `runoffAtStart` is what a newly opened runoff window holds: a project whose runoff window holds just
// that is the same as one without it.
bool sameWork(const Project& a, const Project& b, const std::optional<RunoffInputs>& runoffAtStart);

}  // namespace brelvo::app::project
