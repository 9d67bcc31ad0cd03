// Storm -> Import Precipitation Frequency...: the file chosen and read, the design storm asked for (return
// period and storm length), and its rows made; the windows then put them in the runoff window.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/dialogs.hpp"
#include "runoff/precip_frequency.hpp"

class QWidget;

namespace brelvo::app {

struct StormChoice {
    int returnPeriod = 0;  // years
    double hours = 24;     // the storm's length
};

// Asks which storm of the table to make: the dialog opens with `last` when the table has that return
// period (else 100 years when it has it, else its first) and length; nothing when cancelled.
using StormChoiceAsker = std::function<std::optional<StormChoice>(const runoff::PrecipFrequencyTable& table,
                                                                  const StormChoice& last)>;

// The return period a dialog preselects: `last`'s when the table has it, else 100, else the first.
int preselectedReturnPeriod(const runoff::PrecipFrequencyTable& table, int last);

// The dialog for a user, modal over `parent`.
std::optional<StormChoice> askStormChoice(QWidget* parent, const runoff::PrecipFrequencyTable& table,
                                          const StormChoice& last);

struct StormImport {
    runoff::PrecipFrequencyTable table;
    StormChoice choice;
    runoff::DesignStormRows storm;
};

// The whole command up to the rows: nothing when the user cancels a dialog or the file or the storm is
// refused (the refusal shown as a message); the table's notes are shown once it is read.
std::optional<StormImport> importPrecipFrequency(common::Dialogs& dialogs, const StormChoiceAsker& ask,
                                                 const StormChoice& last);

}  // namespace brelvo::app
