// The calculation report handed to a reviewer, as a document of lines: a title page (project, titles,
// date, program version, engineer), the inputs with their sources (the basin's figures, the map, the
// storm, the losses and the unit graph with the numbers of their equations), the map, the chart, the
// results (every run and the frequency table), then the coordinate listing and the report tables as
// appendices. It is laid out in pages here, so that its content and its page count are known without
// drawing; the window's layer only draws the pages (the map and the chart as pictures).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/frequency_run.hpp"

namespace brelvo::runoff {

enum class ReportItemKind {
    title,    // the title page's title, in a large font
    heading,  // a section's title, kept on the page of what follows it
    text,     // a line of the window's texts (UTF-8)
    table,    // a line of a fixed-width listing (single-byte), in the fixed-width font as the file has it
    map,      // the map page's figure: basin, stream, outlet, scale bar, north arrow and legend
    chart,    // the runoff window's hydrograph chart
};

struct ReportItem {
    ReportItemKind kind = ReportItemKind::text;
    std::string text;
    bool newPage = false;  // starts a page of its own
    // A table's row: its column header, repeated at the top of every page the table continues on.
    std::string columns;
    friend bool operator==(const ReportItem&, const ReportItem&) = default;
};

// Where a delineated basin came from: the elevation model and the outlet the user chose.
struct DelineationSource {
    std::string modelFile;  // the model's file name
    std::string modelUnit;  // its heights' unit as the program took it ("m", "ft", "US ft", "unknown")
    int outletColumn = 0;
    int outletRow = 0;
    std::string outletMap;       // the outlet's map coordinates as text ("X, Y"); empty when not known
    double searchDistanceM = 0;  // 0: the clicked cell taken as it is
    std::int64_t streamThreshold = 0;
    friend bool operator==(const DelineationSource&, const DelineationSource&) = default;
};

enum class BasinOrigin { typed, traced, delineated };

// What the report takes from outside the runoff window.
struct CalcReportSources {
    std::string listing;  // the coordinate listing as its window shows it (CR LF or LF lines)
    // The imported precipitation-frequency table's title, when the storm came from one; else empty.
    std::string importedTable;
    // The frequency summary's rows as its table shows them: return period, storm depth, runoff depth,
    // peak, time of peak, volume. Empty when there is none.
    std::vector<std::vector<std::string>> frequencyRows;
    std::string date;      // the day the report was made, "2026-12-11"
    std::string version;   // the program's version
    std::string engineer;  // from the program's settings; empty when none was typed
    std::string firm;
    std::string mapFile;    // the map picture's or model's file; empty without one
    std::string mapSystem;  // the map's coordinate system ("EPSG:26917"); empty when not known
    bool georeferenced = false;
    BasinOrigin basin = BasinOrigin::typed;
    std::optional<DelineationSource> delineation;  // with BasinOrigin::delineated
    friend bool operator==(const CalcReportSources&, const CalcReportSources&) = default;
};

// The imported storm's second title when the depth-duration table still holds exactly the rows its
// import wrote; empty when nothing was imported or a row was typed over since.
[[nodiscard]] std::string importedStormTitle(const basin::RunoffFields& fields, const RunoffSession& session);

// The frequency run's rows as the report lists them: the return period, then the five figures as the
// summary table writes them, or the reason the run failed on one line.
[[nodiscard]] std::vector<std::vector<std::string>> frequencyReportRows(
    const std::vector<FrequencyRow>& rows);

struct CalcReport {
    std::string title1;  // the two titles as the runoff window shows them
    std::string title2;
    std::string header;  // heading every page: the project and its storm set
    std::vector<ReportItem> items;
};

// The storms the report covers: "2- to 100-year storms" with a frequency run, else the single storm.
[[nodiscard]] std::string stormSet(const basin::RunoffFields& fields, const RunoffSession& session,
                                   const CalcReportSources& sources);

// The report of the window's fields and session; only meaningful once a run has reported.
[[nodiscard]] CalcReport calcReport(const basin::RunoffFields& fields, const RunoffSession& session,
                                    const CalcReportSources& sources);

// The inputs page: the basin's figures and their source, the map, the storm, the losses and the unit
// graph (calc_report_inputs.cpp).
[[nodiscard]] std::vector<ReportItem> inputItems(const basin::RunoffFields& fields,
                                                 const RunoffSession& session,
                                                 const CalcReportSources& sources);

// The room of a page, in text lines: the body's lines, and the lines a figure takes.
struct PageShape {
    int lines = 55;
    int mapLines = 34;
    int chartLines = 26;
};

// The items page by page: a heading never ends a page, a figure is never split, a table line longer
// than the page is never cut (the drawing clips it at the margin, the file keeps it), and a table's
// column header starts every page the table continues on.
[[nodiscard]] std::vector<std::vector<ReportItem>> paginate(const CalcReport& report, const PageShape& shape);

// The lines an item takes on a page of that shape.
[[nodiscard]] int itemLines(const ReportItem& item, const PageShape& shape);

}  // namespace brelvo::runoff
