// The boxes a run reads, read once and checked before the run changes anything: a box whose text is not
// wholly a number, or whose value cannot describe a basin, a storm or a routing, stops the run by name.
// The values read here are the ones the run computes with, so the check and the run never read a box two
// ways.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "basin/box_check.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "runoff/rainfall.hpp"

namespace brelvo::runoff {

using basin::refusalMessage;
using basin::RefusedBox;

// What a compute run reads of the window.
struct ComputeBoxes {
    float areaSqMi = 0;  // the basin area, converted from the unit its label names
    float c = 0;
    float lagHours = 0;
    float typedStep = 0;  // the time step as typed, in the unit of its label
    bool stepInMinutes = false;
    basin::LossInputs losses;
    std::vector<DepthDurationRow> table;  // the rows down to the first empty depth; none for a storm file
    std::string title1;
    std::string title2;
    std::string methodText;                                     // ComboDimgraph
    basin::GraphMethod method = basin::GraphMethod::graphFile;  // decoded once from methodText
    std::string arrangementText;                                // ComboRain
};

// What a routing run reads of the window for the panel's option.
struct RoutingBoxes {
    int option = 0;                         // 0 storage, 1 Muskingum, 2 load or combine, 3 travel time
    std::optional<float> beginElevationFt;  // storage routing; nothing when blank
    float muskingumK = 0;                   // hours
    float muskingumX = 0;
    float travelHours = 0;  // travel time routing, in hours
    std::string muskingumKText, muskingumXText, travelTimeText, travelTimeUnit;  // as the report shows them
    bool stepInMinutes = false;  // a loaded file's step is shown in minutes
    std::string title1;
    std::string title2;
};

template <typename Boxes>
struct BoxesRead {
    std::vector<RefusedBox> refused;  // empty when the run may go on
    Boxes boxes;
};

// The boxes of a compute run: basin area, C, lag, time step (not with a storm file, which brings its
// own), the losses and, for a table storm, the depth-duration rows down to the first empty depth.
// An empty loss, constant loss or impervious box is 0; an empty depth ends the table. The elevations
// and lengths that S, C and lag come from are checked when they are filled in, so that a run never
// goes on with a slope or lag left over from before a refused edit (basinInputRefusals).
[[nodiscard]] BoxesRead<ComputeBoxes> readComputeBoxes(const basin::RunoffFields& fields);
[[nodiscard]] std::vector<RefusedBox> checkComputeBoxes(const basin::RunoffFields& fields);

// The boxes of a routing by the panel's option: 0 storage (begin elevation, blank ok), 1 Muskingum
// (K and X), 3 travel time.
[[nodiscard]] BoxesRead<RoutingBoxes> readRoutingBoxes(const basin::RunoffFields& fields, int option);
[[nodiscard]] std::vector<RefusedBox> checkRoutingBoxes(const basin::RunoffFields& fields, int option);

// The depth-duration table of the window's boxes, read as a compute run reads them.
[[nodiscard]] DepthDurationTable readDepthDurationTable(const basin::RunoffFields& fields);

}  // namespace brelvo::runoff
