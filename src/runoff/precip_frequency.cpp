// SCRATCH stand-in for the two functions a frequency run needs, until the reader lands.
#include "runoff/precip_frequency.hpp"

#include <algorithm>

#include "common/control_names.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::runoff {

DesignStormRows designStormRows(const PrecipFrequencyTable& table, int returnPeriodYears, double stormHours) {
    DesignStormRows out;
    const auto it = std::find(table.returnPeriods.begin(), table.returnPeriods.end(), returnPeriodYears);
    if (it == table.returnPeriods.end()) {
        out.error = "no " + std::to_string(returnPeriodYears) + "-year column";
        return out;
    }
    const auto r = static_cast<std::size_t>(it - table.returnPeriods.begin());
    for (std::size_t d = 0; d < table.durationHours.size(); ++d) {
        if (table.durationHours[d] <= stormHours + 1e-9)
            out.rows.emplace_back(shortestText(static_cast<float>(table.durationHours[d])),
                                  table.depthText[d][r]);
    }
    if (out.rows.size() > 8) out.rows.erase(out.rows.begin(), out.rows.end() - 8);
    out.title2 = table.volume + ", " + std::to_string(returnPeriodYears) + "-year";
    return out;
}

void applyDesignStorm(basin::RunoffFields& fields, const DesignStormRows& rows) {
    namespace form3 = common::controls::form3;
    for (int i = 0; i < form3::kGridRows; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const bool row = at < rows.rows.size();
        fields.setText(basin::RunoffFields::indexed(form3::txtDuration, i), row ? rows.rows[at].first : "");
        fields.setText(basin::RunoffFields::indexed(form3::txtRain, i), row ? rows.rows[at].second : "");
    }
    fields.setText(form3::txtTile2, rows.title2);
}

}  // namespace brelvo::runoff
