// The routing panel's opening values and its refusal.
#include "runoff/routing_panel.hpp"

namespace brelvo::runoff {

void openRoutingPanel(basin::RunoffFields& fields) {
    fields.setCaption("capTatum", basin::timeStepInMinutes(fields) ? "minutes" : "hours");
    if (fields.text("txtTatum").empty()) fields.setText("txtTatum", fields.text("txtGraphtimestep"));
}

std::optional<std::string> routingRefusal(const basin::RunoffFields& fields, const basin::ChartGrid& chart) {
    // Columns 1 and 2 are the rainfall grid; a third exists once a hydrograph was plotted.
    if (fields.text("optRouteType") != "2" && chart.columnCount() < 3) {
        return "Compute hydrograph before routing or combining.";
    }
    return std::nullopt;
}

}  // namespace brelvo::runoff
