// Every text the program shows a user in a message box, an input box prompt or a failure, in one table.
// The words are the program's own and are compared character by character by users: change none of
// them. Texts that take a value are functions; the rest are constants. Sections follow the folders.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- common: failures, numbers, files ----
// (end of common)

// ---- measure: the measuring window's commands and the scale ----
// (end of measure)

// ---- mapview: pictures in and out ----
// (end of mapview)

// ---- basin: the runoff window's fields, hydrograph files, routing ----
// (end of basin)

// ---- runoff: the compute run, rainfall, losses, unit graphs, report ----
// (end of runoff)

// ---- app: the windows ----
// (end of app)

}  // namespace brelvo::common::msg
