// The calculation report's part of the message table: its File entry, its refusal and the sections and
// labels of the PDF. Kept in its own file for its length: common/messages.hpp includes it; include that
// file, not this one.
#pragma once

#include <string>

namespace brelvo::common::msg {

inline constexpr const char* kEntryExportCalcReport = "Export Calculation Report...";
inline constexpr const char* kExportCalcReportTitle = "Export Calculation Report";
// File -> "Report Signature...": the engineer and firm the calculation report's title page names, kept
// in the program's settings.
inline constexpr const char* kEntryReportSignature = "Report Signature...";
inline constexpr const char* kReportSignatureTitle = "Report Signature";
inline constexpr const char* kReportEngineerPrompt =
    "The engineer's name, printed on the title page of every calculation report:";
inline constexpr const char* kReportFirmPrompt = "The firm's name, printed below the engineer's:";
inline constexpr const char* kNoComputedHydrograph =
    "There is no computed hydrograph yet. Compute a hydrograph first: the calculation report lists its "
    "inputs, its runs and its report tables.";
// The calculation report (File -> "Export Calculation Report..."): its sections and the labels of
// the runoff window's values it lists.
inline constexpr const char* kCalcMapHeading = "Map of the basin";
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
inline constexpr const char* kCalcSourceImportedBelow = "imported precipitation-frequency table";
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
inline constexpr const char* kCalcTablesHeading = "Appendix B. Report tables of the last run";
inline constexpr const char* kCalcListingAppendix = "Appendix A. Coordinate listing";
inline constexpr const char* kCalcReportTitle = "Calculation Report";
inline constexpr const char* kCalcProject = "Project";
inline constexpr const char* kCalcSecondTitle = "Second title";
inline constexpr const char* kCalcStorms = "Storms";
inline constexpr const char* kCalcDate = "Date";
inline constexpr const char* kCalcProgram = "Program";
inline constexpr const char* kCalcEngineer = "Engineer";
inline constexpr const char* kCalcFirm = "Firm";
inline constexpr const char* kCalcNotTyped = "(none typed: File -> Report Signature...)";
inline constexpr const char* kCalcUntitled = "(untitled)";
inline constexpr const char* kCalcInputsHeading = "Inputs";
inline constexpr const char* kCalcBasinSource = "Basin figures";
inline constexpr const char* kCalcBasinTyped = "typed in the runoff window";
inline constexpr const char* kCalcBasinTraced = "traced on the map";
inline constexpr const char* kCalcBasinDelineated = "delineated from an elevation model";
inline constexpr const char* kCalcStreamUsed = "Stream used";
inline constexpr const char* kCalcStreamLast = "the last stream traced (the last in the listing)";
inline constexpr const char* kCalcStreamFlowPath = "the longest flow path of the delineation";
inline constexpr const char* kCalcModel = "Elevation model";
inline constexpr const char* kCalcOutletCell = "Outlet cell";
inline constexpr const char* kCalcOutletMap = "Outlet map coordinates";
inline constexpr const char* kCalcSearchDistance = "Outlet search distance";
inline constexpr const char* kCalcSearchNone = "none (the clicked cell as it is)";
inline constexpr const char* kCalcStreamThreshold = "Stream threshold";
inline constexpr const char* kCalcMapFileHeading = "Map";
inline constexpr const char* kCalcMapFile = "Map file";
inline constexpr const char* kCalcMapNone = "none";
inline constexpr const char* kCalcMapSystem = "Coordinate system";
inline constexpr const char* kCalcMapNotGeoreferenced = "not known (the map is not georeferenced)";
inline constexpr const char* kCalcMapSystemUnknown = "georeferenced, system not known";
inline constexpr const char* kCalcAtlasFile = "Frequency table file";
inline constexpr const char* kCalcAtlasVolume = "Publication";
inline constexpr const char* kCalcAtlasSeries = "Series";
inline constexpr const char* kCalcAtlasPoint = "Point (latitude, longitude)";
inline constexpr const char* kCalcReturnPeriod = "Return period (yr)";
inline constexpr const char* kCalcDuration = "Storm duration (h)";
inline constexpr const char* kCalcAbstraction = "Initial abstraction";
inline constexpr const char* kCalcAbstractionRule = "Ia = 0.2 S, S = 1000/CN - 10 (in)";
inline constexpr const char* kCalcLagEquation = "Lag equation";
inline constexpr const char* kCalcLagRule = "Lag = C (L Lca / S^0.5)^0.33 (h)";
inline constexpr const char* kCalcLagUsed = "Lag used (h)";
inline constexpr const char* kCalcResultsHeading = "Results";
inline constexpr const char* kCalcRunsHeader = "Run  Summary (Qmax in cfs, Vol in acre-ft, losses in in)";
inline constexpr const char* kCalcMapScale = "Scale bar";
inline constexpr const char* kCalcNorthUnknown = "North not known: the map is not georeferenced.";
inline constexpr const char* kCalcLegendBasin = "Basin boundary";
inline constexpr const char* kCalcLegendStream = "Stream";
inline constexpr const char* kCalcLegendOutlet = "Outlet";
inline constexpr const char* kCalcNoScale = "No scale: the map has no scale set.";
inline std::string calcFrequencySet(const std::string& first, const std::string& last) {
    return first == last ? first + "-year storm" : first + "- to " + last + "-year storms";
}
inline std::string calcSingleStorm(int years, const std::string& hours) {
    return std::to_string(years) + "-year, " + hours + "-hour storm";
}
inline std::string calcHeader(const std::string& project, const std::string& storms) {
    return project + " \u2014 " + storms;
}
inline std::string calcVersion(const std::string& version) {
    return "Brelvo " + version;
}
inline std::string calcPageOf(int page, int pages) {
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}
// (end of the calculation report)

}  // namespace brelvo::common::msg
