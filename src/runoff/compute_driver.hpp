// "Compute Hydrograph": from the runoff window's fields to one storm runoff hydrograph, its report
// file, the window caption and a chart column.
#pragma once

#include <string>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "basin/working_state.hpp"
#include "common/dialogs.hpp"

namespace brelvo::runoff {

struct ComputeContext {
    std::string programFolder;  // where the dimensionless graphs are and the dialogs open
    std::string reportPath;     // the working hydrograph file
};

// The line added to every run-time failure's description in the message the user sees.
inline constexpr const char* kTimeStepHint = "Check your time step for hours or minutes!";

// The compute run, or with routeMode 99 the routing run on the hydrograph already held (the routing
// panel's option in the field "optRouteType": 0 storage routing, 1 Muskingum, 2 combine with a file,
// 3 travel time). Messages go through the dialogs port; a run-time failure ends the run with its
// description, a line feed and the time-step hint, and leaves routeMode at 0.
void computeHydrograph(basin::RunoffState& state, basin::RunoffFields& fields, basin::ChartGrid& chart,
                       common::Dialogs& dialogs, const ComputeContext& context);

}  // namespace brelvo::runoff
