// The rules of the routing panel: what it shows when it opens and when a routing is refused.
#pragma once

#include <optional>
#include <string>

#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"

namespace brelvo::runoff {

// The panel as it opens: the travel time is typed in the unit of the time step ("minutes" or
// "hours" in capTatum), and an empty travel time starts as one time step.
void openRoutingPanel(basin::RunoffFields& fields);

// The message that refuses a routing: every option but loading or combining a file (option 2) needs
// a computed hydrograph on the chart. Nothing when the routing may go ahead.
[[nodiscard]] std::optional<std::string> routingRefusal(const basin::RunoffFields& fields,
                                                        const basin::ChartGrid& chart);

}  // namespace brelvo::runoff
