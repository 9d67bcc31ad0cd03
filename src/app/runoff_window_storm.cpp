// The runoff window's storm commands: a design storm of a precipitation-frequency table written into the
// rainfall durations, the table kept with the window's inputs.
#include "app/runoff_window.hpp"
#include "runoff/precip_frequency.hpp"

namespace brelvo::app {

void RunoffWindow::importPrecipFrequency() {
    const StormChoiceAsker ask =
        askStormChoice ? askStormChoice
                       : [this](const runoff::PrecipFrequencyTable& table, const StormChoice& last) {
                             return app::askStormChoice(this, table, last);
                         };
    const auto imported = app::importPrecipFrequency(
        dialogs_, ask, StormChoice{session_.stormReturnPeriod, session_.stormHours});
    if (imported) applyStormImport(*imported);
}

void RunoffWindow::applyStormImport(const StormImport& imported) {
    runoff::applyDesignStorm(fields_, imported.storm);
    session_.stormTable = imported.table;
    session_.stormReturnPeriod = imported.choice.returnPeriod;
    session_.stormHours = imported.choice.hours;
    // The kept table is part of the project even when every box already showed these rows.
    if (edited) edited();
    if (stormTableImported) stormTableImported(imported.table);
}

}  // namespace brelvo::app
