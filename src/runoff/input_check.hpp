// The boxes a run reads, checked before the run changes anything: a box whose text is not wholly a
// number, or whose value cannot describe a basin, a storm or a routing, stops the run by name.
#pragma once

#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"

namespace brelvo::runoff {

// One refused box: its control name, the label the user sees, its text and the reason.
struct RefusedBox {
    std::string name;
    std::string label;
    std::string text;
    std::string reason;  // "is not a number.", "must be above 0.", ...
    // The line of the message that names this box.
    [[nodiscard]] std::string line() const;
};

// The boxes of a compute run: basin area, C, lag, time step (not with a storm file, which brings its
// own), the losses and, for a table storm, the depth-duration rows down to the first empty depth.
// An empty loss, constant loss or impervious box is 0; an empty depth ends the table.
[[nodiscard]] std::vector<RefusedBox> checkComputeBoxes(const basin::RunoffFields& fields);

// The boxes of a routing by the panel's option: 0 storage (begin elevation, blank ok), 1 Muskingum
// (K and X), 3 travel time.
[[nodiscard]] std::vector<RefusedBox> checkRoutingBoxes(const basin::RunoffFields& fields, int option);

// The one message that lists every refused box, a line each.
[[nodiscard]] std::string refusalMessage(const std::vector<RefusedBox>& boxes);

}  // namespace brelvo::runoff
