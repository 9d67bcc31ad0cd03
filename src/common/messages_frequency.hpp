// Frequency runs' part of the message table: the Storm menu's frequency window, its summary and its
// messages. Kept in its own file for its length: common/messages.hpp includes it at its place in the
// table; include that file, not this one.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- runoff: design storms and frequency runs ----
// A run that ended without a report and told nothing (a file it asked for was not chosen).
inline constexpr std::string_view kRunEndedWithoutReport = "The run ended without a report.";
// The frequency summary's CSV header.
inline constexpr std::string_view kFrequencyCsvHeader =
    "Return period (years),Storm depth (in),Runoff depth (in),Peak (cfs),Time of peak (h),Volume (acre-ft)";

}  // namespace brelvo::common::msg
