// Every text the program shows a user in a message box, an input box prompt or a failure, in one table.
// The words are the program's own and are compared character by character by users: change none of
// them. Texts that take a value are functions; the rest are constants. Sections follow the folders.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::msg {

// ---- common: failures, numbers, files ----
// A failure's description with what caused it and what to do on the line below.
inline std::string withCause(std::string_view first, std::string_view cause) {
    return std::string(first) + "\n" + std::string(cause);
}
// The descriptions of the numbered run-time failures, shown with their numbers (common/failure.hpp
// pairs each with its number).
inline constexpr std::string_view kInvalidProcedureCall = "Invalid procedure call or argument";
inline constexpr std::string_view kOverflow = "Overflow";
inline constexpr std::string_view kOutOfMemory = "Out of memory";
inline constexpr std::string_view kSubscriptOutOfRange = "Subscript out of range";
inline constexpr std::string_view kDivisionByZero = "Division by zero";
inline constexpr std::string_view kTypeMismatch = "Type mismatch";
inline constexpr std::string_view kFileNotFound = "File not found";
inline constexpr std::string_view kInputPastEndOfFile = "Input past end of file";
inline constexpr std::string_view kPathFileAccessError = "Path/File access error";
inline constexpr std::string_view kPathNotFound = "Path not found";
inline constexpr std::string_view kInvalidFileFormat = "Invalid file format";
inline constexpr std::string_view kObjectAlreadyLoaded = "Object already loaded";
inline constexpr std::string_view kInvalidPicture = "Invalid picture";

// The JPEG writer's failures (failures::kJpegLibrary), the code in decimal at the end; and the name that
// follows the program's file name as the failure's source.
inline std::string jpegInitFailed(int code) {
    return "Failed to initialise the IJL library: " + std::to_string(code);
}
inline std::string jpegSaveFailed(int code) {
    return "Failed to save to JPG " + std::to_string(code);
}
inline constexpr std::string_view kJpegSourceModule = ".mIntelJPEGLibrary";
// A data file's line that cannot be read: the file's name, the line (from 1) and the text as found.
inline std::string fileLine(std::string_view file, int line) {
    return std::string(file) + ", line " + std::to_string(line) + ": ";
}
inline std::string fileFieldNotNumber(std::string_view file, int line, std::string_view text) {
    const bool decimalComma =
        text.find(',') != std::string_view::npos || text.find('\t') != std::string_view::npos;
    return fileLine(file, line) + "\"" + std::string(text) + "\" is not a number" +
           (decimalComma ? " (use a decimal point)." : ".");
}
inline std::string fileFieldTooLarge(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is too large a number.";
}
// Why a file was not saved (common/file_replace), said after the file's name.
inline constexpr std::string_view kSaveReadOnly = "the file is read-only";
inline constexpr std::string_view kSaveIsFolder = "a folder has that name";
inline constexpr std::string_view kSaveNotAFile = "it is not a regular file";
inline constexpr std::string_view kSaveNoFolder = "its folder does not exist";
inline constexpr std::string_view kSaveNoRightInFolder = "you may not write in its folder";
inline constexpr std::string_view kSaveReadOnlyFileSystem = "the file system is read-only";
inline constexpr std::string_view kSaveDiskFull = "the disk is full";
inline constexpr std::string_view kSaveTooLarge = "the file is too large for the disk";
inline constexpr std::string_view kSaveNameTooLong = "the name is too long";
inline constexpr std::string_view kSaveTemporaryInTheWay = "something is in the way of its temporary file";
inline constexpr std::string_view kSaveTooManyLinks = "it is a symbolic link that leads in a circle";
inline std::string saveSystemError(int error) {
    return "the system refused the write (error " + std::to_string(error) + ")";
}
inline constexpr std::string_view kDeviceIoError = "Device I/O error";  // a write that failed
// A save of any kind that failed: the file as the user named it, and the reason.
inline std::string fileNotSaved(std::string_view path, std::string_view reason) {
    return "The file \"" + std::string(path) + "\" was not saved: " + std::string(reason) + ".";
}
// (end of common)

// ---- measure: the measuring window's commands and the scale ----
// Captions (the window's status line).
inline constexpr const char* kCaptionMenuAtStart = "Mouse Right Click for Menu";
inline constexpr const char* kCaptionMenu = "Mouse Right Click for menu...";
inline constexpr const char* kCaptionAfterScale = "Right Click for menu";
inline constexpr const char* kCaptionScalePoint1 = "Left Click 1st Point on Scale";
inline constexpr const char* kCaptionScalePoint2 = "Left Click 2nd Point on Scale";
inline constexpr const char* kCaptionAreaBoundary = "Left click area boundary...";
inline constexpr const char* kCaptionLongestStream = "Left click longest stream...";
inline constexpr const char* kCaptionLineEnded =
    "Right click coordinate text box to save... or select 'Add Label' from menu";
inline constexpr const char* kCaptionPlaceLabel = "Left click label and drag to a location...";
// Segment `index` of Line1 is missing (the description of failures::kControlArrayElementMissing); `index` as
// already written.
inline std::string controlArrayElementMissing(const std::string& index) {
    return "Control array element '" + index + "' doesn't exist";
}
// The scale panel's Ok.
inline constexpr const char* kBadScalePoints = "Bad scale points, try again.";
inline constexpr const char* kScaleDistanceNotPositive =
    "Enter the scale distance as a number greater than 0.";
inline constexpr const char* kScaleDistanceTooSmall =
    "The scale distance is too small to give a scale: enter a larger distance.";
inline constexpr const char* kGeneralPixelCoordsInLine =
    "The map coordinates of the two points must differ in both X and Y. The scale is unchanged.";
inline constexpr const char* kGeneralPixelPointsInLine =
    "The scale points must lie apart both across and down for general pixels. The scale is unchanged.";
inline constexpr const char* kGeneralPixelPairsPrompt = "Enter pixel pairs as X1,Y1,X2,Y2:";
inline constexpr const char* kGeneralPixelPairsTitle = "General Pixel Scaling";
inline constexpr const char* kGeneralPixelPairsBad =
    "Enter four numbers separated by commas: X1,Y1,X2,Y2. The scale is unchanged.";
// A refused scale distance or pixel pair: the message's first line, then what was refused and why.
inline constexpr const char* kScaleDistanceLabel = "Scale distance";
inline constexpr const char* kPixelCoordinateRange = "must be a whole number from -32768 to 32767.";
inline constexpr const char* kPixelCoordinatesTooFarApart =
    "The two points lie more than 32767 apart in X or Y: enter coordinates closer together.";
// The second line of a failure of the measuring pass that found no area to take a centroid of.
inline constexpr const char* kNoCentroidCause =
    "The line encloses no area, so it has no centroid: trace around the basin with at least three points "
    "that are not in one line, then choose \"End Area/Line\".";
// The second line of a measured value that cannot be handed to the runoff window; `what` names it
// ("stream length").
inline std::string handOffWithoutUnit(std::string_view what) {
    return "The " + std::string(what) +
           " was measured before a scale was set and carries no unit, so it is not handed on: choose \"Set "
           "Scale\" and measure again, or type it in the runoff window.";
}
// Labels and the help text.
inline constexpr const char* kEditLabelPrompt = "Edit label:";
inline constexpr const char* kEditLabelTitle = "Edit Label";
inline constexpr const char* kTextViewerMissing = "Cant find Notepad.exe";
// The title of the missing-viewer box: the command line that would have shown `path`.
inline std::string textViewerCommandLine(const std::string& path) {
    return "notepad " + path;
}
// (end of measure)

// ---- mapview: pictures in and out ----
// The shared file dialog's cancel, once its cancel-raises-error setting is on, as the platform says it.
inline constexpr const char* kCancelSelected = "Cancel was selected.";
inline constexpr const char* kScrollZoomPrompt = "Enter scoll/zoom factor:";
inline constexpr const char* kScrollZoomTitle = "Scroll/Zoom Speed";
inline constexpr const char* kWebMapUnavailable = "The web map is not available in this build.";
// Kept in the table from when the view locked once a scale was set; the view no longer locks.
inline constexpr const char* kPanZoomLocked = "No resizing or scrolling after scale has been set";
// (end of mapview)

}  // namespace brelvo::common::msg

#include "common/messages_basin.hpp"
#include "common/messages_batch.hpp"
#include "common/messages_delineation.hpp"
#include "common/messages_distributions.hpp"
#include "common/messages_elevation.hpp"
#include "common/messages_frequency.hpp"
#include "common/messages_geo.hpp"
#include "common/messages_geo_measure.hpp"
#include "common/messages_mapview.hpp"
#include "common/messages_project.hpp"
#include "common/messages_storm.hpp"

namespace brelvo::common::msg {

// ---- runoff: the compute run, rainfall, losses, unit graphs, report ----
// The line added to every run-time failure's description in the message the user sees.
inline constexpr std::string_view kTimeStepHint = "Check your time step for hours or minutes!";
// Causes of a failed run, said on the line below the failure's description instead of the hint.
inline constexpr std::string_view kUnitGraphOverflow =
    "The dimensionless graph's ordinates are too large to sum in single precision: scale them down (only "
    "their shape counts).";
inline constexpr std::string_view kUnitGraphTooLong =
    "The unit graph needs more than 2,001 ordinates: use a longer time step.";
inline constexpr std::string_view kHydrographTooLong =
    "The hydrograph needs more ordinates than it can hold (9,001; 2,001 with a dimensionless graph): use "
    "a longer time step.";
// A box that a run reads and cannot use: its label as the user sees it, its text and why.
inline std::string boxRefused(std::string_view label, std::string_view text, std::string_view reason) {
    return std::string(label) + ": \"" + std::string(text) + "\" " + std::string(reason);
}
inline constexpr std::string_view kNotANumber = "is not a number.";
inline constexpr std::string_view kMustBeAboveZero = "must be above 0.";
inline constexpr std::string_view kMustNotBeNegative = "must not be negative.";
inline constexpr std::string_view kPercentAbove100 = "must not be above 100.";
inline constexpr std::string_view kDurationMustRise = "must be longer than the duration of the row above.";
inline constexpr std::string_view kRationalC = "must be above 0 and at most 1 for the Rational Method.";
// Boxes read strictly wherever their value feeds a figure (the run, the basin block, the routing panel).
inline constexpr std::string_view kTooLargeANumber = "is too large a number.";
// A text that is no number; one with a comma or a slash is told how to write it.
inline std::string boxNotANumber(std::string_view text) {
    if (text.find(',') != std::string_view::npos)
        return "is not a number (use a decimal point and no thousands separators).";
    if (text.find('/') != std::string_view::npos) return "is not a number (write a fraction as a decimal).";
    return std::string(kNotANumber);
}
inline constexpr std::string_view kBelowUpperElev = "must be below the Upper Elev (ft).";
inline constexpr std::string_view kCurveNumberRange =
    "must be a curve number from 5 to 100, or an initial loss below 5 inches.";
inline constexpr std::string_view kMustNotBeAboveOne = "must not be above 1.";
inline constexpr std::string_view kMuskingumXRange = "must be from 0 to 0.5.";
// Storm files (*.STM): counts and rows.
inline std::string stormCountNotWhole(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is not a whole number of steps.";
}
inline std::string stormRowMissing(std::string_view file, int line, int steps) {
    return fileLine(file, line) + "the file announces " + std::to_string(steps) +
           " steps but ends before step " + std::to_string(line - 2) + ".";
}
inline std::string stormRowTooFewFields(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" needs a time and a depth.";
}
inline std::string stormRowsBeyondCount(std::string_view file, int line, std::string_view text, int steps) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is a row beyond the " +
           std::to_string(steps) + " steps the file announces.";
}
inline std::string negativeStormDepth(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is a negative depth.";
}
inline std::string stormStepNotPositive(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is not a time step above 0.";
}
inline std::string stormExtraNumber(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) +
           "\" holds a third number; a line holds two (use a decimal point, not a decimal comma, and no "
           "thousands separators).";
}
inline std::string stormTimeOffStep(std::string_view file, int line, std::string_view text,
                                    std::string_view step, std::string_view expected) {
    return fileLine(file, line) + "the time \"" + std::string(text) + "\" does not follow the step of " +
           std::string(step) + " hours (" + std::string(expected) + " expected).";
}
inline std::string graphOrdinateBeyondCount(std::string_view file, int line, std::string_view text,
                                            int points) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is beyond the " + std::to_string(points) +
           " points the file announces (use a decimal point, not a decimal comma).";
}
inline std::string graphNegativeOrdinate(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is a negative ordinate.";
}
inline std::string graphSpacingNotPositive(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) + "\" is not a spacing above 0 percent.";
}
// Dimensionless graphs (*.DGF): the point count.
inline std::string graphCountNotWhole(std::string_view file, int line, std::string_view text) {
    return fileLine(file, line) + "\"" + std::string(text) +
           "\" is not a whole number of points (1 to 2,001).";
}
inline std::string graphEndsEarly(std::string_view file, int points, int found) {
    return std::string(file) + ": the file announces " + std::to_string(points) + " points but holds " +
           std::to_string(found) + ".";
}
inline constexpr std::string_view kSelectGraphAndArrangement =
    "Select a Dimensionless Graph and Rainfall Arrangement";
inline constexpr std::string_view kNoExcess = "No Excess Rainfall";
inline constexpr std::string_view kCWarning = "Warning, C estimate should be between .01-1";
inline constexpr std::string_view kStormFilter = "Storm files (*.STM)|*.STM|All files (*.*)|*.*|";
inline constexpr std::string_view kLoadOrCombineTitle = "Load hydrograph or combine with current";
inline constexpr std::string_view kComputeBeforeRouting = "Compute hydrograph before routing or combining.";
// `steps` is the hydrograph's step count as shown.
inline std::string routingTooLong(std::string_view steps) {
    return "This hydrograph has " + std::string(steps) +
           " time steps; routing handles at most 6553. Use a longer time step.";
}
// K, X and the step as number texts (hours).
inline std::string muskingumUnstable(std::string_view k, std::string_view x, std::string_view stepHours) {
    return "Muskingum routing is unstable for K = " + std::string(k) + " h, X = " + std::string(x) +
           " and a time step of " + std::string(stepHours) +
           " h: a routing coefficient is negative, so the outflow may oscillate.";
}
// The second line of the Muskingum warning: what to change, limits as number texts.
inline std::string muskingumFixX(std::string_view limit) {
    return "Choose X at most \u0394t/2K = " + std::string(limit) + " or a longer time step.";
}
inline std::string muskingumFixStep(std::string_view limitHours) {
    return "Choose a time step of at most 2K(1 - X) = " + std::string(limitHours) + " h or a larger K.";
}
inline std::string missingGraphFile(std::string_view file, std::string_view programFolder) {
    return "The dimensionless graph file \"" + std::string(file) + "\" is not in the program's folder (" +
           std::string(programFolder) + "). Put the file there or choose another graph.";
}
// An installed program looks in the user's data folder and then in its installed data folder.
inline std::string missingGraphFileInstalled(std::string_view file, std::string_view userFolder,
                                             std::string_view installedFolder) {
    return "The dimensionless graph file \"" + std::string(file) + "\" is neither in your data folder (" +
           std::string(userFolder) + ") nor in " + std::string(installedFolder) +
           ". Put the file in your data folder or choose another graph.";
}
// The working hydrograph file could not be replaced: the run commits nothing and the last report stays.
inline std::string reportNotWritten(std::string_view path, std::string_view reason) {
    return "The report file \"" + std::string(path) + "\" was not written: " + std::string(reason) +
           ". The last report is kept.";
}
// After a graph of the list whose file is not there.
inline constexpr std::string_view kGraphNotInstalled = " (not installed)";
// (end of runoff)

// ---- georeferenced map pictures: loading, the coordinate system, the clipboard ----
// A world file or .prj that cannot be read refuses the load; `reason` names the file that is wrong.
inline std::string georeferenceRefused(std::string_view picture, std::string_view reason) {
    return "The map file \"" + std::string(picture) + "\" was not loaded: " + std::string(reason);
}
inline std::string geodataMissing(std::string_view picture) {
    return "The georeference of \"" + std::string(picture) +
           "\" could not be read because the geodata support (GDAL and PROJ) is missing; the map is loaded "
           "as a plain picture.";
}
inline constexpr const char* kCoordinateSystemTitle = "Coordinate System";
inline std::string coordinateSystemPrompt(std::string_view picture) {
    return "The map file \"" + std::string(picture) +
           "\" gives its position but not its coordinate system. Type the coordinate system as an EPSG "
           "code or none:";
}
inline std::string unknownCoordinateSystem(std::string_view answer) {
    return "\"" + std::string(answer) + "\" is no known EPSG code.";
}
inline std::string georeferenceTurned(std::string_view picture) {
    return "The picture \"" + std::string(picture) +
           "\" is turned by its orientation tag, so its georeference no longer fits it; the map is loaded "
           "without a georeference.";
}
inline std::string georeferenceSizeDiffers(std::string_view picture, int width, int height, int rasterWidth,
                                           int rasterHeight) {
    return "The picture \"" + std::string(picture) + "\" is " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels but its georeference is for " + std::to_string(rasterWidth) +
           " x " + std::to_string(rasterHeight) + "; the map is loaded without a georeference.";
}
// (end of georeferenced map pictures)

// ---- app: the windows ----
inline constexpr const char* kClipboardHoldsNoPicture =
    "The clipboard holds no picture. Copy a map picture first.";
inline constexpr const char* kPrintToPdfTitle = "Print to PDF file";
// Big georeferenced rasters, read window by window from their overviews (smaller copies of the map).
inline constexpr const char* kBuildOverviewsQuestion =
    "This map is large and has no overviews, the smaller copies that show it zoomed out quickly. "
    "Build them now? They are stored beside the map in an .ovr file of the same name; the map file "
    "itself is not changed. Without them every zoomed-out view reads the whole map.";
inline constexpr const char* kBuildOverviewsButton = "Build Overviews";
inline constexpr const char* kBuildingOverviews = "Building overviews...";
inline constexpr const char* kCancelButton = "Cancel";
inline std::string overviewsNotBuilt(std::string_view reason) {
    return "The overviews were not built: " + std::string(reason) +
           "\nThe map is shown from its full pixels, which is slow when zoomed out.";
}
inline constexpr std::string_view kOverviewsCancelled = "cancelled";
inline constexpr std::string_view kRasterPixelsUnreadable = "The map's pixels cannot be read.";
inline constexpr std::string_view kRasterUnopened = "The file cannot be read as a raster.";
inline constexpr std::string_view kRasterReopenFailed = "The file can no longer be opened.";
inline constexpr std::string_view kRasterNoBands = "The file holds no raster bands.";
inline constexpr std::string_view kOverviewsFailed = "the overviews could not be written";
// Titles of the dialogs when the caller names none.
inline constexpr const char* kProgramTitle = "Brelvo";
inline constexpr const char* kSaveAsTitle = "Save As";
inline constexpr const char* kOpenTitle = "Open";
// The menu bar of the measuring window: menus and their entries, as `action "MENU/ENTRY"` names them.
inline constexpr const char* kMenuFile = "File";
inline constexpr const char* kMenuEdit = "Edit";
inline constexpr const char* kMenuView = "View";
inline constexpr const char* kMenuHelp = "Help";
inline constexpr const char* kEntryQuit = "Quit";
// "File/Exit" as scripts wrote it before the entry was called Quit.
inline constexpr const char* kEntryExitOldName = "Exit";
inline constexpr const char* kEntryNewProject = "New Project";
inline constexpr const char* kEntryOpenProject = "Open Project...";
inline constexpr const char* kEntrySaveProject = "Save Project";
inline constexpr const char* kEntrySaveProjectAs = "Save Project As...";
inline constexpr const char* kMenuRecentProjects = "Recent Projects";
inline constexpr const char* kEntryExportCsv = "Export Hydrograph CSV...";
inline constexpr const char* kEntryExportChart = "Export Chart...";
// In a chart's place when the charts plugin is missing (the exports still work).
inline constexpr const char* kChartsUnavailable =
    "Charts cannot be drawn: the chart library (libbrelvo_charts.so) is not installed with this program.";
inline constexpr const char* kEntryPrintReport = "Print Report...";
inline constexpr const char* kEntryExportReportPdf = "Export Report PDF...";
inline constexpr const char* kEntryUndo = "Undo";
inline constexpr const char* kEntryZoomIn = "Zoom In";
inline constexpr const char* kEntryZoomOut = "Zoom Out";
inline constexpr const char* kEntryZoomToMap = "Zoom to Map";
inline constexpr const char* kEntryZoomToBasin = "Zoom to Basin";
// View -> Zoom to Basin with no area finished.
inline constexpr const char* kNoBasinToZoomTo =
    "There is no basin to zoom to yet. Trace an area or delineate a basin first.";
inline constexpr const char* kEntryCentre = "Centre";
inline constexpr const char* kEntryShowListing = "Show Coordinate Listing";
inline constexpr const char* kEntryHelp = "Brelvo Help";
inline constexpr const char* kEntryAbout = "About";
inline constexpr const char* kAboutText =
    "Brelvo: drainage basin measurement and storm runoff hydrographs. Trace a basin on a map picture, "
    "compute and route its storm hydrograph, and keep the whole job in a project file (File menu). "
    "Press F1 for the guide. GPL-3.0-or-later.";
// The help window: its caption, and what it shows when the guide cannot be read.
inline constexpr const char* kHelpWindowTitle = "Brelvo Help";
inline constexpr const char* kHelpTextMissing = "The guide could not be read: ";
inline constexpr const char* kHelpFindPlaceholder = "Find in the guide";
inline constexpr const char* kHelpFindNext = "Find Next";
// Exports.
inline constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*|";
inline constexpr const char* kExportCsvTitle = "Export Hydrograph CSV";
inline constexpr const char* kNoHydrographToExport =
    "There is no hydrograph to export yet. Compute or route a hydrograph first.";
inline constexpr const char* kChartFilter = "PNG picture (*.png)|*.png|SVG drawing (*.svg)|*.svg|";
inline constexpr const char* kExportChartTitle = "Export Chart";
inline constexpr const char* kNoRunoffWindow = "Open the runoff window and compute a hydrograph first.";
inline constexpr const char* kChartKinds =
    "a chart is saved as a PNG picture (.png) or an SVG drawing (.svg)";
inline constexpr const char* kPdfFilter = "PDF files (*.pdf)|*.pdf|All files (*.*)|*.*|";
inline constexpr const char* kExportReportTitle = "Export Report PDF";
inline constexpr const char* kNoReportYet = "There is no report yet. Compute or route a hydrograph first.";
inline std::string exportNotSaved(const std::string& path, const std::string& problem) {
    return "The file \"" + path + "\" could not be written: " + problem + ".";
}
// The Map menu and its dialogs: georeferencing a plain scan by control points, the units of a
// georeferenced map, the basin to and from GIS files.
inline constexpr const char* kMenuMap = "Map";
inline constexpr const char* kEntryGeoreferenceMap = "Georeference Map...";
inline constexpr const char* kEntryMeasuringUnits = "Measuring Units...";
inline constexpr const char* kEntryExportBasin = "Export Basin and Stream...";
inline constexpr const char* kEntryImportBasin = "Import Basin or Stream...";
inline constexpr const char* kGeorefDialogTitle = "Georeference Map";
inline constexpr const char* kGeorefKindLatLong = "Latitude / Longitude (WGS 84)";
inline constexpr const char* kGeorefKindProjected = "Easting / Northing";
inline constexpr const char* kGeorefEpsgLabel = "EPSG code:";
inline constexpr const char* kGeorefColumnPoint = "Point";
inline constexpr const char* kGeorefColumnPixel = "Column";
inline constexpr const char* kGeorefColumnRow = "Row";
inline constexpr const char* kGeorefColumnLatitude = "Latitude";
inline constexpr const char* kGeorefColumnLongitude = "Longitude";
inline constexpr const char* kGeorefColumnEasting = "Easting";
inline constexpr const char* kGeorefColumnNorthing = "Northing";
inline constexpr const char* kGeorefColumnResidual = "Residual";
inline constexpr const char* kGeorefRemove = "Remove Point";
inline constexpr const char* kGeorefFit = "Fit";
inline constexpr const char* kGeorefSave = "Save";
inline constexpr const char* kGeorefClose = "Close";
inline constexpr const char* kGeorefClickPoints =
    "Left click a point on the map whose coordinates you know, then type them in its row.";
inline constexpr const char* kGeorefNeedTwoPoints =
    "Two points with their coordinates are needed for a fit; three or more for rotation and skew.";
// A coordinate box's refusal, shown in the box.
inline constexpr const char* kGeorefNotANumber = "is not a number";
inline constexpr const char* kGeorefLatitudeRange = "a latitude lies from -90 to 90 degrees";
inline constexpr const char* kGeorefLongitudeRange = "a longitude lies from -180 to 360 degrees";
inline std::string georefBoxRefused(int point, const std::string& column, const std::string& reason) {
    return "Point " + std::to_string(point) + ", " + column + ": " + reason + ".";
}
inline std::string georefSystemRefused(const std::string& code, const std::string& reason) {
    return "\"" + code + "\" is no coordinate system this program knows: " + reason + ".";
}
inline std::string georefFitShown(int points, bool affine, const std::string& rms) {
    return std::to_string(points) + " points, " + (affine ? "affine" : "similarity") +
           " transform; residuals in map units, RMS " + rms + ".";
}
inline std::string georefSaved(const std::string& worldFile) {
    return "Saved the world file and .prj beside the picture (" + worldFile + "); the map is georeferenced.";
}
inline constexpr const char* kGeorefNoPictureFile =
    "This picture has no file (it was pasted or captured), so no world file can be saved beside it. The "
    "georeference is applied to the map for this session.";
inline constexpr const char* kGeorefNoPicture = "Load a map picture first.";
inline std::string georefNotSaved(const std::string& path, const std::string& problem) {
    const bool ends = !problem.empty() && problem.back() == '.';
    return "The world file beside \"" + path + "\" could not be written: " + problem + (ends ? "" : ".");
}
inline constexpr const char* kGeoPluginMissing =
    "The geodata component (libbrelvo_geo.so) could not be loaded, so maps cannot be georeferenced, "
    "exported or imported.";
inline constexpr const char* kExportBasinTitle = "Export Basin and Stream";
inline constexpr const char* kImportBasinTitle = "Import Basin or Stream";
inline constexpr const char* kBasinFilter =
    "GeoJSON (*.geojson)|*.geojson|GeoPackage (*.gpkg)|*.gpkg|KML (*.kml)|*.kml|Shapefile (*.shp)|*.shp|";
inline constexpr const char* kBasinOpenFilter =
    "GIS files (*.geojson;*.json;*.gpkg;*.kml;*.shp)|*.geojson;*.json;*.gpkg;*.kml;*.shp|All files "
    "(*.*)|*.*|";
inline constexpr const char* kExportNeedsGeoreference = "Export needs a georeferenced map";
inline constexpr const char* kImportNeedsGeoreference = "Import needs a georeferenced map";
inline constexpr const char* kExportNothingTraced =
    "There is no basin or stream to export: trace the basin (Start Area) or the stream first.";
inline std::string importNotRead(const std::string& path, const std::string& problem) {
    const bool ends = !problem.empty() && problem.back() == '.';
    return "The file \"" + path + "\" could not be read: " + problem + (ends ? "" : ".");
}
inline std::string importNothingUsable(const std::string& path) {
    return "The file \"" + path + "\" holds no polygon and no line to take as a basin or a stream.";
}
// Which of several features of a kind: the prompt lists them as "1: name".
inline std::string importWhichFeature(const std::string& kind, const std::string& listing) {
    return "The file holds several " + kind + "s. Which one?\n" + listing;
}
inline constexpr const char* kImportPolygonKind = "polygon";
inline constexpr const char* kImportLineKind = "line";
inline constexpr const char* kImportWhichTitle = "Import Basin or Stream";
inline constexpr const char* kImportOutsideMap =
    "A vertex of the imported feature lies outside the map's coordinate system and cannot be placed.";
// (end of the Map menu)
// (end of app)

}  // namespace brelvo::common::msg

#include "common/messages_report.hpp"
