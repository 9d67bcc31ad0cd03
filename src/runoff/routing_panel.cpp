// The routing panel's opening values and its refusal.
#include "runoff/routing_panel.hpp"

#include "common/control_names.hpp"
#include "common/messages.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

void openRoutingPanel(basin::RunoffFields& fields) {
    fields.setCaption(form3::capTatum, basin::timeStepInMinutes(fields) ? "minutes" : "hours");
    if (fields.text(form3::txtTatum).empty())
        fields.setText(form3::txtTatum, fields.text(form3::txtGraphtimestep));
}

std::optional<std::string> routingRefusal(const basin::RunoffFields& fields, const basin::ChartGrid& chart) {
    // Columns 1 and 2 are the rainfall grid; a third exists once a hydrograph was plotted.
    if (fields.text(form3::optRouteType) != "2" && chart.columnCount() < 3) {
        return std::string(common::msg::kComputeBeforeRouting);
    }
    return std::nullopt;
}

}  // namespace brelvo::runoff
