// The calculation report's part of the message table: its File entry, its refusal and the sections and
// labels of the PDF. Kept in its own file for its length: common/messages.hpp includes it; include that
// file, not this one.
#pragma once

#include <string>

namespace brelvo::common::msg {

inline constexpr const char* kEntryExportCalcReport = "Export Calculation Report...";
inline constexpr const char* kExportCalcReportTitle = "Export Calculation Report";
inline constexpr const char* kNoComputedHydrograph =
    "There is no computed hydrograph yet. Compute a hydrograph first: the calculation report lists its "
    "inputs, its runs and its report tables.";
// The calculation report (File -> "Export Calculation Report..."): its sections and the labels of
// the runoff window's values it lists.
inline constexpr const char* kCalcMapHeading = "Map and traced basin";
inline constexpr const char* kCalcListingHeading = "Coordinate listing";
inline constexpr const char* kCalcNoListing = "(no coordinates listed)";
inline constexpr const char* kCalcBasinHeading = "Basin";
inline constexpr const char* kCalcUpperElev = "Upper Elev (ft)";
inline constexpr const char* kCalcLowerElev = "Lower Elev (ft)";
inline constexpr const char* kCalcSlope = "S (ft/mi)";
inline constexpr const char* kCalcC = "C estimate";
inline constexpr const char* kCalcLag = "Lag Time (hours)";
inline constexpr const char* kCalcAutoStep = "Auto time step / lag";
inline constexpr const char* kCalcArealReduction = "Areal Reduction";
inline constexpr const char* kCalcOn = "on";
inline constexpr const char* kCalcOff = "off";
inline constexpr const char* kCalcStormHeading = "Storm";
inline constexpr const char* kCalcStormSource = "Source";
inline constexpr const char* kCalcSourceTable = "depth-duration table as typed";
inline constexpr const char* kCalcSourceStormFile = "storm file ";
inline constexpr const char* kCalcSourceImported = "imported table: ";
inline constexpr const char* kCalcTableHeader = "  Hours     Inches    Areal factor";
inline constexpr const char* kCalcArrangement = "Arrangement";
inline constexpr const char* kCalcLossesHeading = "Losses";
inline constexpr const char* kCalcCurveNumber = "SCS CN";
inline constexpr const char* kCalcInitialLoss = "Initial Loss (inches)";
inline constexpr const char* kCalcConstantLoss = "Constant Loss (in/hr)";
inline constexpr const char* kCalcImpervious = "Percent Basin Impervious";
inline constexpr const char* kCalcUnitGraphHeading = "Unit graph";
inline constexpr const char* kCalcMethod = "Hydrograph Method";
inline constexpr const char* kCalcChartHeading = "Hydrograph chart";
inline constexpr const char* kCalcRunsHeading = "Runs";
inline constexpr const char* kCalcFrequencyHeading = "Frequency summary";
inline constexpr const char* kCalcFrequencyHeader =
    "Return period (yr)  Storm (in)  Runoff (in)  Peak (cfs)  Time of peak (h)  Volume (acre-ft)";
inline constexpr const char* kCalcTablesHeading = "Report tables";
inline std::string calcPageOf(int page, int pages) {
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}
// (end of the calculation report)

}  // namespace brelvo::common::msg
