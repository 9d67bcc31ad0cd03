// The names of the controls of both windows (text boxes, labels, lists, check boxes, option groups), as
// the script runner, the dump and the field model know them. Code names a control only through these
// constants; the field model treats any other name as a programming error.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::controls {

// ---- Form1: the measuring window ----
namespace form1 {
inline constexpr std::string_view kForm1 = "Form1";
// A script names a control of this window as "Form1." + name where both windows have one.
inline constexpr std::string_view kQualifier = "Form1.";
inline constexpr std::string_view kMapView = "UserControlPic1";
inline constexpr std::string_view kPicture = "Image1";
inline constexpr std::string_view kLstMenu1 = "lstMenu1";
inline constexpr std::string_view kLstMenu2 = "lstMenu2";
inline constexpr std::string_view kText1 = "Text1";
inline constexpr std::string_view kLabel1 = "Label1";
inline constexpr std::string_view kLine1 = "Line1";
inline constexpr std::string_view kShape1 = "Shape1";
inline constexpr std::string_view kShape2 = "Shape2";
inline constexpr std::string_view kImg4Way = "img4Way";
inline constexpr std::string_view kFrameScale = "frameScale";
inline constexpr std::string_view kText2 = "Text2";
inline constexpr std::string_view kUpDown1 = "UpDown1";
inline constexpr std::string_view kUpDown1Up = "UpDown1.up";
inline constexpr std::string_view kUpDown1Down = "UpDown1.down";
inline constexpr std::string_view kOption1 = "Option1";
inline constexpr std::string_view kCommand1 = "Command1";
// An element of a control array: "Label1(3)", "Option1(0)".
inline std::string indexed(std::string_view arrayName, int index) {
    return std::string(arrayName) + "(" + std::to_string(index) + ")";
}
// (end of form1)
}  // namespace form1

// ---- Form3: the runoff window ----
namespace form3 {
// The window itself: its caption summarises the last run.
inline constexpr std::string_view Form3 = "Form3";
// A script names a control of this window as "Form3." + name where both windows have one.
inline constexpr std::string_view kQualifier = "Form3.";
// Text boxes of the basin block.
inline constexpr std::string_view txtBasinArea = "txtBasinArea";
inline constexpr std::string_view txtL = "txtL";
inline constexpr std::string_view txtLca = "txtLca";
inline constexpr std::string_view txtelv1 = "txtelv1";
inline constexpr std::string_view txtElv2 = "txtElv2";
inline constexpr std::string_view txtS = "txtS";
inline constexpr std::string_view txtC = "txtC";
inline constexpr std::string_view txtLag = "txtLag";
inline constexpr std::string_view txtGraphtimestep = "txtGraphtimestep";
// The rainfall grid's columns, rows 0..7, named with their row as "txtRain(3)" (see kGridRows).
inline constexpr std::string_view txtDuration = "txtDuration";
inline constexpr std::string_view txtRain = "txtRain";
inline constexpr std::string_view txtArealAdj = "txtArealAdj";
inline constexpr int kGridRows = 8;
// Losses and titles.
inline constexpr std::string_view txtCNloss = "txtCNloss";
inline constexpr std::string_view txtConstLoss = "txtConstLoss";
inline constexpr std::string_view txtPercentImp = "txtPercentImp";
inline constexpr std::string_view txtTitle = "txtTitle";
inline constexpr std::string_view txtTile2 = "txtTile2";
// The routing panel's text boxes.
inline constexpr std::string_view txtModbelv = "txtModbelv";
inline constexpr std::string_view txtMuskK = "txtMuskK";
inline constexpr std::string_view txtMuskX = "txtMuskX";
inline constexpr std::string_view txtTatum = "txtTatum";
// Labels whose captions change.
inline constexpr std::string_view Label10 = "Label10";    // the basin area's unit
inline constexpr std::string_view lblL = "lblL";          // the stream length's unit
inline constexpr std::string_view lblLca = "lblLca";      // the length below the centroid's unit
inline constexpr std::string_view Label14 = "Label14";    // the time step's unit
inline constexpr std::string_view Frame2 = "Frame2";      // the hydrograph method frame
inline constexpr std::string_view capTatum = "capTatum";  // the travel time's unit
// Lists.
inline constexpr std::string_view ComboDimgraph = "ComboDimgraph";
inline constexpr std::string_view ComboRain = "ComboRain";
// Check boxes.
inline constexpr std::string_view chkAutoTimeStep = "chkAutoTimeStep";
inline constexpr std::string_view chkAreaAdj = "chkAreaAdj";
// The routing panel's option group: its chosen index as a text, its buttons "optRouteType(0)".
inline constexpr std::string_view optRouteType = "optRouteType";

// Buttons, the routing panel and the chart.
inline constexpr std::string_view Command1 = "Command1";  // Compute Hydrograph
inline constexpr std::string_view Command2 = "Command2";  // Clear Hydrograph Plots
inline constexpr std::string_view Command3 = "Command3";  // Save Hydrograph
inline constexpr std::string_view butRoute = "butRoute";  // Route Hydrograph: opens the routing panel
// Beside the rainfall durations: Storm -> Import Precipitation Frequency... of this window.
inline constexpr std::string_view butImportPrecipFrequency = "butImportPrecipFrequency";
inline constexpr std::string_view frameRoute = "frameRoute";
inline constexpr std::string_view Command4 = "Command4";  // the routing panel's Go
inline constexpr std::string_view Command5 = "Command5";  // the routing panel's Cancel
inline constexpr std::string_view MSChart1 = "MSChart1";
inline constexpr std::string_view kChartAlias = "chart";  // the chart's view, as scripts name it
// (end of form3)
}  // namespace form3

}  // namespace brelvo::common::controls
