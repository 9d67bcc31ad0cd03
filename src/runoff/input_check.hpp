// The boxes a run reads, checked before the run changes anything: a box whose text is not wholly a
// number, or whose value cannot describe a basin, a storm or a routing, stops the run by name.
#pragma once

#include <string>
#include <vector>

#include "basin/box_check.hpp"
#include "basin/runoff_fields.hpp"

namespace brelvo::runoff {

using basin::refusalMessage;
using basin::RefusedBox;

// The boxes of a compute run: basin area, C, lag, time step (not with a storm file, which brings its
// own), the losses and, for a table storm, the depth-duration rows down to the first empty depth.
// An empty loss, constant loss or impervious box is 0; an empty depth ends the table. The elevations
// and lengths that S, C and lag come from are checked when they are filled in, so that a run never
// goes on with a slope or lag left over from before a refused edit (basinInputRefusals).
[[nodiscard]] std::vector<RefusedBox> checkComputeBoxes(const basin::RunoffFields& fields);

// The boxes of a routing by the panel's option: 0 storage (begin elevation, blank ok), 1 Muskingum
// (K and X), 3 travel time.
[[nodiscard]] std::vector<RefusedBox> checkRoutingBoxes(const basin::RunoffFields& fields, int option);

}  // namespace brelvo::runoff
